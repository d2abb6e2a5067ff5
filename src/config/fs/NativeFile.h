#pragma once
// The few file operations under the writer, the safety copies and the
// writers' lock, one implementation per platform (NativeFilePosix.cpp,
// NativeFileWindows.cpp). Paths are the program's text: bytes on POSIX,
// UTF-8 on Windows, where each call converts them to UTF-16.
//
// A save never names its files by path once it has found them: it holds
// their folder open (HeldFolder) and names each file relative to it, never
// through a link, so that someone who swaps a name for a link halfway
// cannot send a write elsewhere.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/fs/FileBasics.h"

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
// know besides. A refusal that needs no more words carries its whole
// message instead.
struct Failure {
  ErrorCode error = 0;
  std::string reason;
  std::string note;
  std::string message;
};
[[noreturn]] void Fail(ErrorCode error);

// What an open file is.
struct FileFacts {
  enum class Kind { Regular, Folder, Pipe, Device, Socket, Other };
  Kind kind = Kind::Other;
  FileId id;
  std::uint64_t size = 0;
  std::uint64_t links = 1;
  // The user who owns it (POSIX; 0 elsewhere).
  std::uint32_t owner = 0;
  // Why nobody may write it, where nobody may: no write permission for
  // anyone, a flag (immutable, append-only) or the read-only attribute.
  std::string readOnlyBecause;
};
// "a named pipe", "a folder", ...: what a file that is not a regular one is.
std::string KindName(FileFacts::Kind kind);

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
  // What the file is. Throws Failure.
  FileFacts Facts() const;
  // The size of a regular file, 0 for anything else. Throws Failure.
  std::uint64_t Size() const;
  // Reads up to size bytes; 0 at the end. Throws Failure.
  std::size_t Read(char* data, std::size_t size);
  // Reads up to size bytes at the offset, without moving on. Throws Failure.
  std::size_t ReadAt(char* data, std::size_t size, std::uint64_t offset);
  // Writes all of the bytes at the offset. Throws Failure.
  void WriteAt(std::string_view data, std::uint64_t offset);
  void Truncate(std::uint64_t size);
  // Makes the written bytes durable (the test seam hears "synced").
  void Sync();
  // Closing is where some file systems report a failed write: checked.
  void Close();

 private:
  std::intptr_t handle_ = -1;  // a descriptor, or a HANDLE on Windows
};

// Reads the rest of an open file whole. Throws Failure.
FileBuffer ReadAll(File& file);

// A folder held open. Every operation names a file in it relative to the
// folder itself, and never follows a link in that file's place.
class HeldFolder {
 public:
  HeldFolder() = default;
  ~HeldFolder();
  HeldFolder(HeldFolder&& other) noexcept;
  HeldFolder& operator=(HeldFolder&& other) noexcept;

  // The folder's path, ending with a separator (for messages: nothing
  // is reached through it).
  const std::string& Path() const { return path_; }
  bool IsOpen() const { return handle_ != -1; }

  // Opens the file of that name: Read and Write only an existing one, and
  // never waiting on a pipe; CreateNew only a new one, readable by its
  // owner only. 0 or the error code; a link in the name's place is ELOOP.
  ErrorCode Open(const std::string& name, File& file, File::Mode mode) const;
  // What the name holds now, without following a link; nothing when it is
  // free. Throws Failure.
  std::optional<FileId> IdOf(const std::string& name) const;
  // Renames over whatever has the new name; 0 or the error code (on
  // Windows, a Failure in its own words for a file another program holds
  // open).
  ErrorCode Rename(const std::string& from, const std::string& to) const;
  // 0 or the error code; a missing file is no error.
  ErrorCode Remove(const std::string& name) const;
  // The names in it.
  std::vector<std::string> Entries() const;
  // Makes renames in it durable where the system needs that (the test seam
  // hears "folder synced"); false when it could not.
  bool Sync() const;

  // For the writers' lock: the handle, and the folder's identity.
  std::intptr_t Handle() const { return handle_; }
  FileId Id() const { return id_; }
  // Whether every user may open the folder for reading (POSIX modes).
  bool ReadableByAll() const { return readableByAll_; }

 private:
  friend struct FolderOpener;
  std::string path_;
  std::intptr_t handle_ = -1;
  FileId id_;
  bool readableByAll_ = false;
};

// Closes a folder's handle (HeldFolder's, one platform's way).
void CloseFolderHandle(std::intptr_t handle);

// The file a save works on, found once: the end of the chain of links from
// the path given, the folder that holds it (held open) and its name there.
// guard: as root, only through folders that no user but root and the
// file's owner may change (a refusal names the folder, in a Failure with
// its whole message).
struct Location {
  HeldFolder folder;
  std::string name;
  std::string target;  // the file's own path, for messages
};
Location Locate(const std::string& path, bool guard);
// The file that the path leads to now, links followed; nothing when none.
std::optional<FileId> IdByPath(const std::string& path);

#ifndef _WIN32
// Takes over a folder's descriptor (opened with O_PATH at least).
HeldFolder HoldFolder(int fd, std::string path);
#endif

// This user's own folder (StateFolder()), opened: made when asked for and
// missing, and only when it is this user's and nobody else may change it or
// the folders it is reached through. Throws Failure.
HeldFolder OpenStateFolder(bool create);

// A new file beside the one named, opened for writing; its name. 0 or the
// error code.
ErrorCode CreateBeside(const HeldFolder& folder, const std::string& name, File& file, std::string& created);

// Gives to (a file just made, still empty) the owner, group, permissions,
// ACLs, extended attributes and flags of from; false where they cannot all
// be kept, or would end up wider. Throws nothing.
bool CopyMetadata(const File& from, File& to);
// The permissions of a new file that replaces none.
void SetNewFilePermissions(File& file);

// Whether the process runs with root's rights (POSIX), for whom a save
// takes more care.
bool RunsAsRoot();

// A file that cannot be removed stays.
void RemoveFile(const std::string& path);
// Whether something has that name (a dangling link counts).
bool Exists(const std::string& path);
// Whether an error says the name is taken; that nothing has that name; that
// a link has it, where no link was to be followed.
bool AlreadyExists(ErrorCode error);
// Whether an error says nothing has the name (or a folder on its way).
bool IsMissing(ErrorCode error);
bool IsLink(ErrorCode error);
// Keeps a write past the file size limit from ending the whole program
// (SIGXFSZ) while the guard lives; it then fails with EFBIG.
std::shared_ptr<void> QuietFileSizeLimit();
// Whether a rename over the file failed because it cannot be replaced by
// one (a file mounted on its own, another file system): it is then written
// in place.
bool RenameImpossible(ErrorCode error);
// Whether an error says no new file may be made there.
bool CreateRefused(ErrorCode error);
// A few characters that make a new file's name unlikely to be taken.
std::string UniqueSuffix();

// The folder, ending with a separator, where Pellisto keeps what belongs to
// this user on this machine: $XDG_STATE_HOME/pellisto/ (else
// ~/.local/state/pellisto/), or %LOCALAPPDATA%\Pellisto\ on Windows. Root
// takes its own home from the password database, never from the
// environment, which sudo may have kept from another user.
std::string StateFolder();

// The file that really holds path's content: the end of its chain of links,
// which may not exist yet. Throws Failure.
std::string ResolveLinks(const std::string& path);
// Whether a save could replace the file at target (links already followed)
// now, judged without writing anything (CheckWriteAccess).
WriteAccess WriteAccessOf(const std::string& target);

// Tells the test seam that a step is done, and asks it whether the
// operation of that name should fail (0: it goes on).
void Step(std::string_view name);
ErrorCode InjectedFault(std::string_view operation);
// The last part of a path.
std::string BaseName(const std::string& path);

}  // namespace conf::native
