// Replacing a file on Windows: a temporary file beside it, flushed, then
// ReplaceFileW, which keeps the old file's attributes and security
// descriptor; MoveFileExW with write-through where there is no old file.

#include <windows.h>

#include <chrono>
#include <thread>

#include "config/AtomicFile.h"
#include "config/NativeFile.h"
#include "config/Utf16.h"

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

[[noreturn]] void FailLast() { Fail(static_cast<ErrorCode>(::GetLastError())); }

[[noreturn]] void FailHeldOpen(DWORD error) {
  throw Failure{static_cast<ErrorCode>(error),
                "Another program has it open and does not let it be replaced; it was left as it was",
                {}};
}

std::string Joined(const std::string& folder, const std::string& name) {
  const bool separated = !folder.empty() && kSeparators.find(folder.back()) != std::string_view::npos;
  return separated ? folder + name : folder + kSeparator + name;
}

// A new file in the folder, opened for writing; empty when the folder takes
// no new file (the error is then in error).
std::string CreateTemporary(const std::string& folder, const std::string& base, File& file, DWORD& error) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = Joined(folder, "." + base + "." + UniqueSuffix());
    const ErrorCode opened = file.Open(name, File::Mode::CreateNew);
    if (!opened) return name;
    error = static_cast<DWORD>(opened);
    if (!AlreadyExists(opened)) break;
  }
  return {};
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
void ReplaceByName(const std::wstring& target, const std::wstring& temp, bool& tempKept) {
  for (int attempt = 1;; ++attempt) {
    DWORD error = DeleteRefused(target);
    if (!HeldOpen(error)) {
      if (::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, 0, nullptr, nullptr)) return;
      error = ::GetLastError();
    }
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
      if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return;
      tempKept = true;  // the only whole text left
      throw Failure{static_cast<ErrorCode>(error), ErrorText(static_cast<ErrorCode>(error)),
                    ". The new text is in \"" + Narrow(temp) + "\""};
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

// An existing file that a folder, the read-only attribute or its rights
// keep from being written is refused before anything is written.
void RefuseUnwritable(const std::wstring& targetName, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) Fail(kIsAFolder);
  if (attributes & FILE_ATTRIBUTE_READONLY)
    throw Failure{ERROR_ACCESS_DENIED,
                  "The file is read-only (its read-only attribute is set); it was left as it was",
                  {}};
  // A file the user may not write is not replaced either, even where
  // the folder lets the user delete it. Opening it for writing, and
  // letting everyone else on, asks just that.
  const HANDLE probe = ::CreateFileW(targetName.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (HeldOpen(error)) FailHeldOpen(error);
    Fail(static_cast<ErrorCode>(error));
  }
  ::CloseHandle(probe);
}

void Replace(const std::string& path, std::string_view content) {
  const std::string target = ResolveLinks(path);
  const std::wstring targetName = Widen(target);

  const DWORD attributes = ::GetFileAttributesW(targetName.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists && ::GetLastError() != ERROR_FILE_NOT_FOUND) FailLast();
  if (exists) RefuseUnwritable(targetName, attributes);

  File file;
  DWORD error = ERROR_ACCESS_DENIED;
  const std::string temp = TestWriteHooks().forceInPlace
                               ? std::string()
                               : CreateTemporary(FolderOf(target), BaseName(target), file, error);
  if (temp.empty()) {
    if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) return WriteInPlace(target, content);
    Fail(static_cast<ErrorCode>(error));
  }
  const std::wstring tempName = Widen(temp);
  bool tempKept = false;
  try {
    file.WriteAt(content, 0);
    // The data reaches the disk before the name does: a crash right after
    // the replacement must not leave an empty or partial file under that name.
    file.Sync();
    Step("data synced");
    file.Close();
    if (exists) {
      if ((attributes & kKeptAttributes) &&
          !::SetFileAttributesW(tempName.c_str(), attributes & kKeptAttributes))
        FailLast();
      ReplaceByName(targetName, tempName, tempKept);
    } else if (!::MoveFileExW(tempName.c_str(), targetName.c_str(), MOVEFILE_WRITE_THROUGH)) {
      FailLast();
    }
    Step("renamed");
  } catch (...) {
    if (!tempKept) {
      if (file.IsOpen()) file.Adopt(-1);
      ::DeleteFileW(tempName.c_str());
    }
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
