#pragma once
// Whole-file reads and writes that never leave a half-written file behind.

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

namespace conf {

namespace native {
class File;
}

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

// Replaces the content of path atomically: a temporary file in the same folder
// is written, synced and renamed over the target. A symlink keeps its link and
// its target gets the content; the file's permissions are kept (on Windows, its
// attributes and security descriptor). A file without any write permission (on
// Windows, one marked read-only) is refused. Where no temporary file can be
// created in the folder, the file is written in place, after a whole copy of it
// has been written and synced into the user's state folder (SafetyCopy.h); the
// copy is removed once the write is through. On any failure the old file stays whole
// (or, in place, its copy is kept and named) and FileError "Cannot create file
// "<path>". <reason>" is thrown.
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

// Compares a file with the bytes expected in it, fed piece by piece, reading
// the file in parts instead of whole, so that a large file costs no second
// buffer. Throws FileError "Cannot open file ..." when it cannot be read.
class FileComparer {
 public:
  explicit FileComparer(const std::string& path);
  ~FileComparer();
  FileComparer(const FileComparer&) = delete;
  FileComparer& operator=(const FileComparer&) = delete;

  std::uint64_t Size() const { return size_; }
  // Whether the file's next bytes are exactly these.
  bool Next(std::string_view expected);
  // Whether every byte of the file has been matched.
  bool AtEnd();

 private:
  bool Fill();
  std::string path_;
  std::unique_ptr<native::File> file_;
  std::uint64_t size_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t have_ = 0, at_ = 0;
};

// Seams for tests of the writer; nothing else touches them.
struct WriteHooks {
  // Writes in place, as where the folder takes no new file.
  bool forceInPlace = false;
  // An in-place write goes in parts of this many bytes (0: all at once).
  std::size_t inPlacePart = 0;
  // Told of each step as soon as it is done: "data synced" and "renamed" for
  // a replacement; "copy kept", "part written", "data synced" and "copy
  // removed" in place. A test may end the process there.
  std::function<void(std::string_view step)> step;
};
WriteHooks& TestWriteHooks();

}  // namespace conf
