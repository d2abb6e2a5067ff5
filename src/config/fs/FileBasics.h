#pragma once
// The file layer's errors and small types.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>

// A file that cannot be read or written, with the platform's reason in the
// text; raised by the file operations here and by the document's Load and
// Save.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised by a save when the file on disk is no longer the one read (or last
// written): someone else changed it, replaced it or pointed its link
// elsewhere, and nothing was written.
class FileChangedError : public FileError {
 public:
  using FileError::FileError;
};

// Raised, run as root, for a file on whose way a user other than root and
// the file's owner may change a folder (they could put a link in its
// place): nothing was written.
class UnsafeFolderError : public FileError {
 public:
  using FileError::FileError;
};

namespace conf {

// A file's identity: the same for a file rewritten in place, another for
// one that replaced it.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

// The bytes of a whole file, in a buffer that is not cleared before reading.
struct FileBuffer {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  std::string_view view() const { return {data.get(), size}; }
};

// Whether WriteFileAtomically could replace the file now, judged as it
// would, without writing anything: an existing file needs a write permission
// that this process may use (the replacement then goes through a temporary
// file in its folder or, where none can be made there, in place); a missing
// one needs a folder this process may create files in.
enum class WriteAccess {
  Allowed,
  NoWritePermission,   // the file has no write permission for anyone
  NotPermitted,        // this user may not write it (its owner or root may)
  ReadOnlyFileSystem,  // its file system is mounted read-only
  Impossible,          // a folder, a broken chain of links and the like
};

}  // namespace conf
