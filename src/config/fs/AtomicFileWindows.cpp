// Replacing a file on Windows: a temporary file beside it, flushed, then
// ReplaceFileW, which keeps the old file's attributes and security
// descriptor; MoveFileExW with write-through where there is no old file.

#include <windows.h>

#include <chrono>
#include <thread>

#include "config/fs/AtomicFile.h"
#include "config/fs/NativeFile.h"
#include "config/fs/WriteHooks.h"
#include "config/base/Utf16.h"

namespace conf::native {
namespace {

// Attributes a replacement takes over from the file it replaces. ReplaceFileW
// does so itself; setting them first keeps them where it does not (some
// network file systems, Wine).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Another program has the file open without letting it be deleted, which a
// replacement needs. Virus scanners and indexers let go within moments.
bool HeldOpen(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}
constexpr int kHeldOpenTries = 10;
constexpr std::chrono::milliseconds kHeldOpenPause{100};


[[noreturn]] void FailHeldOpen(DWORD error) {
  throw Failure{static_cast<ErrorCode>(error),
                "Another program has it open and does not let it be replaced; it was left as it was",
                {},
                {}};
}

// 0, or why the file cannot be opened to be deleted: asked first, because a
// failed ReplaceFileW may leave files of its own behind (Wine does).
DWORD DeleteRefused(const std::wstring& target) {
  const HANDLE handle =
      ::CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return ::GetLastError();
  ::CloseHandle(handle);
  return 0;
}

// ReplaceFileW, waiting a moment for a program that holds the file open.
// When it took the old file away and could not put the new one in its
// place, the new one is moved there by name.
void ReplaceByName(const std::wstring& target, const std::wstring& temp) {
  for (int attempt = 1;; ++attempt) {
    DWORD error = DeleteRefused(target);
    if (!HeldOpen(error)) {
      if (::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, 0, nullptr, nullptr)) return;
      error = ::GetLastError();
    }
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
      if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return;
      Fail(static_cast<ErrorCode>(error));  // the new file is the only whole text now
    }
    if (!HeldOpen(error)) Fail(static_cast<ErrorCode>(error));
    if (attempt == kHeldOpenTries) FailHeldOpen(error);
    std::this_thread::sleep_for(kHeldOpenPause);
  }
}

}  // namespace

// A link (a symbolic link, or a folder reached through a junction) keeps
// its place: the file it leads to is the one replaced.
std::string ResolveLinks(const std::string& path) {
  const std::wstring name = Widen(path);
  const HANDLE handle = ::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return path;  // not there yet; the writer words any other error
  std::wstring final(MAX_PATH, L'\0');
  DWORD n = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  if (n >= final.size()) {
    final.resize(n);
    n = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  }
  ::CloseHandle(handle);
  if (n == 0 || n >= final.size()) return path;
  final.resize(n);
  // "\\?\C:\..." and "\\?\UNC\server\share\..." as they are usually written.
  if (final.starts_with(L"\\\\?\\UNC\\")) return Narrow(L"\\\\" + final.substr(8));
  if (final.starts_with(L"\\\\?\\")) return Narrow(final.substr(4));
  return Narrow(final);
}

ErrorCode CreateBeside(const HeldFolder& folder, const std::string& name, File& file, std::string& created) {
#ifdef PELLISTO_TEST_HOOKS
  if (TestWriteHooks().forceInPlace) return ERROR_ACCESS_DENIED;
#endif
  ErrorCode error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 100 && AlreadyExists(error); ++attempt) {
    created = "." + name + "." + UniqueSuffix();
    error = folder.Open(created, file, File::Mode::CreateNew);
  }
  return error;
}

bool CopyMetadata(const File& from, File& to) {
  // ReplaceFileW gives the new file the old one's security descriptor and
  // attributes; setting them first keeps them where it does not (some
  // network file systems, Wine).
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(reinterpret_cast<HANDLE>(from.Handle()), &info)) return false;
  FILE_BASIC_INFO basic{};
  if (!::GetFileInformationByHandleEx(reinterpret_cast<HANDLE>(to.Handle()), FileBasicInfo, &basic, sizeof basic))
    return false;
  basic.FileAttributes = (basic.FileAttributes & ~kKeptAttributes) | (info.dwFileAttributes & kKeptAttributes);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return ::SetFileInformationByHandle(reinterpret_cast<HANDLE>(to.Handle()), FileBasicInfo, &basic, sizeof basic);
}

void SetNewFilePermissions(File&) {}

bool RenameImpossible(ErrorCode error) { return error == ERROR_NOT_SAME_DEVICE; }

bool CreateRefused(ErrorCode error) { return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT; }

ErrorCode HeldFolder::Rename(const std::string& from, const std::string& to) const {
  if (const ErrorCode error = InjectedFault("rename")) return error;
  const std::wstring source = Widen(path_ + from), target = Widen(path_ + to);
  if (::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
    return static_cast<ErrorCode>(::GetLastError());
  }
  try {
    ReplaceByName(target, source);
    return 0;
  } catch (const Failure& failure) {
    // A file another program holds open keeps its own words.
    if (failure.error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) return failure.error;
    throw;
  }
}

WriteAccess WriteAccessOf(const std::string& target) {
  const std::wstring name = Widen(target);
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return WriteAccess::Impossible;
    const DWORD folder = ::GetFileAttributesW(Widen(FolderOf(target)).c_str());
    return folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY) ? WriteAccess::Allowed
                                                                                  : WriteAccess::Impossible;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return WriteAccess::Impossible;
  if (attributes & FILE_ATTRIBUTE_READONLY) return WriteAccess::NoWritePermission;
  // Opening for writing changes nothing and asks the file's own security.
  const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return ::GetLastError() == ERROR_ACCESS_DENIED ? WriteAccess::NotPermitted : WriteAccess::Impossible;
  ::CloseHandle(handle);
  return WriteAccess::Allowed;
}

}  // namespace conf::native
