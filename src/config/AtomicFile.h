#pragma once
// Whole-file reads and writes that never leave a half-written file behind.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
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

namespace native {
class File;
}

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

// The most bytes Pellisto reads from one file: a larger one is refused before
// any of it is read.
constexpr std::uint64_t kLargestFileRead = 64ull << 20;

// Reads the whole of a regular file. Throws FileError "Cannot open file
// "<path>". <reason>", also for a named pipe, a device or a socket (without
// waiting on it) and for a file larger than kLargestFileRead.
FileBuffer ReadWholeFileBuffer(const std::string& path);
std::string ReadWholeFile(const std::string& path);
// The same for a file named by an include line: nothing when no file has
// that name, and no bytes for a folder, which the server reads as empty.
std::optional<FileBuffer> ReadIncludedFile(const std::string& path);

// Replaces the content of path as one step, as a save does (SaveTarget.h)
// but without the writers' lock: for files of the program's own. Throws
// FileError.
void WriteFileAtomically(const std::string& path, std::string_view content);

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
WriteAccess CheckWriteAccess(const std::string& path);

// The file that really holds path's content: the end of its chain of
// symlinks, which may not exist yet. Throws FileError.
std::string LinkTarget(const std::string& path);
// The folder part of a path ("." when it has none). On Windows "\\" separates
// too, and a drive's root keeps its separator.
std::string FolderOf(const std::string& path);

// Seams for tests of the writer; nothing else touches them.
struct WriteHooks {
  // Writes in place, as where the folder takes no new file.
  bool forceInPlace = false;
  // An in-place write goes in parts of this many bytes (0: all at once).
  std::size_t inPlacePart = 0;
  // Told of each step as soon as it is done: "synced" for every file made
  // durable, "folder synced", "renamed", "checked" (the file compared with
  // the bytes read, just before it is replaced), "copy kept", "part
  // written", "copy removed". A test may end the process there, or act as
  // another process would at that moment.
  std::function<void(std::string_view step)> step;
  // Asked before an operation ("close", "sync", "rename", "folder sync",
  // "copy remove"): an error code makes it fail so.
  std::function<int(std::string_view operation)> fault;
  // The clock of the writers' lock's wait, and its pause between tries.
  std::function<std::chrono::steady_clock::time_point()> clock;
  std::function<void(std::chrono::milliseconds)> pause;
  // The home folder the password database gives root, in place of the
  // real one, so that tests run as root keep their copies to themselves.
  std::string rootHome;
};
WriteHooks& TestWriteHooks();

}  // namespace conf
