#pragma once
// The few file operations under the writer, the safety copies and the
// writers' lock, one implementation per platform (NativeFilePosix.cpp,
// NativeFileWindows.cpp). Paths are the program's text: bytes on POSIX,
// UTF-8 on Windows, where each call converts them to UTF-16.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/AtomicFile.h"

namespace conf::native {

#ifdef _WIN32
constexpr bool kWindows = true;
constexpr std::string_view kSeparators = "\\/";
constexpr char kSeparator = '\\';
#else
constexpr bool kWindows = false;
constexpr std::string_view kSeparators = "/";
constexpr char kSeparator = '/';
#endif

// A system error code: errno, or GetLastError() on Windows.
using ErrorCode = int;
// "Is a folder": EISDIR, or the code Windows gives for a file operation on a
// folder (which it words as "access denied" otherwise).
extern const ErrorCode kIsAFolder;
// Opening for reading takes a regular file or a folder only. A named pipe,
// a device or a socket is refused with one of these, without waiting on it
// (a pipe nobody writes to would block the read for ever, a device such as
// /dev/zero never ends).
extern const ErrorCode kIsANamedPipe;
extern const ErrorCode kIsADevice;
extern const ErrorCode kIsASocket;

// The system's words for an error code, without a final period or line end.
std::string ErrorText(ErrorCode error);

// A failed step of a write, carried up to the one place that words the
// error: the system's code, the reason in words, and what the user should
// know besides.
struct Failure {
  ErrorCode error = 0;
  std::string reason;
  std::string note;
};
[[noreturn]] void Fail(ErrorCode error);

// An open file, closed when it goes.
class File {
 public:
  enum class Mode {
    Read,       // an existing regular file (or a folder, refused as kIsAFolder)
    Write,      // created when missing, its bytes kept
    Create,     // created when missing, emptied when not
    CreateNew,  // only a file that does not exist yet
  };

  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens the file; 0, or the error code (and the file stays closed). A
  // private file is readable by its owner only, where the system has modes.
  ErrorCode Open(const std::string& path, Mode mode, bool privateFile = false);
  bool IsOpen() const { return handle_ != -1; }
  // The descriptor or HANDLE, for the platform's own calls; and taking over
  // one opened elsewhere.
  std::intptr_t Handle() const { return handle_; }
  void Adopt(std::intptr_t handle);
  // The size of a regular file, 0 for anything else. Throws Failure.
  std::uint64_t Size() const;
  // Reads up to size bytes; 0 at the end. Throws Failure.
  std::size_t Read(char* data, std::size_t size);
  // Writes all of the bytes at the offset. Throws Failure.
  void WriteAt(std::string_view data, std::uint64_t offset);
  void Truncate(std::uint64_t size);
  // Makes the written bytes durable.
  void Sync();
  // Closing is where some file systems report a failed write: checked.
  void Close();

 private:
  std::intptr_t handle_ = -1;  // a descriptor, or a HANDLE on Windows
};

// Whether something has that name (a dangling link counts).
bool Exists(const std::string& path);
// Best effort: a file that cannot be removed stays.
void RemoveFile(const std::string& path);
// Renames over an existing file, durably; 0 or the error code.
ErrorCode Rename(const std::string& from, const std::string& to);
// Creates the folder and its missing parents (new ones private where the
// system has modes); 0 or the error code.
ErrorCode MakeFolders(const std::string& folder);
// The names in a folder (none when it cannot be read).
std::vector<std::string> FolderEntries(const std::string& folder);
// Makes a rename in the folder durable where the system needs that.
void SyncFolder(const std::string& folder);
// Whether an error says the name is taken.
bool AlreadyExists(ErrorCode error);
// Whether an error says nothing has the name (or a folder on its way).
bool IsMissing(ErrorCode error);
// A few characters that make a new file's name unlikely to be taken.
std::string UniqueSuffix();

// The folder, ending with a separator, where Pellisto keeps what belongs to
// this user on this machine: $XDG_STATE_HOME/pellisto/ (else
// ~/.local/state/pellisto/), or %LOCALAPPDATA%\Pellisto\ on Windows.
std::string StateFolder();

// The file that really holds path's content: the end of its chain of links,
// which may not exist yet. Throws Failure.
std::string ResolveLinks(const std::string& path);
// Replaces path's content as one step (WriteFileAtomically). Throws Failure.
void Replace(const std::string& path, std::string_view content);
// Whether Replace could replace the file at target (links already followed)
// now, judged without writing anything (CheckWriteAccess).
WriteAccess WriteAccessOf(const std::string& target);

// Shared by both platforms' Replace: where the folder takes no new file, the
// file is rewritten in place after a copy of it was kept. Throws Failure.
void WriteInPlace(const std::string& target, std::string_view content);
// Tells the test seam that a step is done.
void Step(std::string_view name);
// The last part of a path.
std::string BaseName(const std::string& path);

}  // namespace conf::native
