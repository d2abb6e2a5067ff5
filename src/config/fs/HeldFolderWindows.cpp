// Folders held open on Windows: the files in them are named by path, but
// never opened through a link in their place, and the folder's handle keeps
// its identity for the writers' lock.

#include <windows.h>

#include <algorithm>

#include "config/fs/AtomicFile.h"
#include "config/fs/NativeFile.h"
#include "fs/NativeFileWindows.h"
#include "config/base/Utf16.h"

namespace conf::native {

namespace {

ErrorCode MakeFolders(const std::string& folder) {
  // Each part in turn; a drive or a share that cannot be "created" is fine
  // as long as the whole folder is there in the end.
  DWORD error = ERROR_PATH_NOT_FOUND;
  for (std::size_t at = 0; at != std::string::npos;) {
    at = folder.find_first_of(kSeparators, at + 1);
    const std::string part = folder.substr(0, at);
    if (part.empty() || EndsWithSeparator(part) || part.back() == ':') continue;
    if (!::CreateDirectoryW(Widen(part).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
      error = ::GetLastError();
  }
  return IsFolder(Widen(folder)) ? 0 : static_cast<ErrorCode>(error);
}

std::string WithSeparator(std::string folder) {
  if (!EndsWithSeparator(folder)) folder += kSeparator;
  return folder;
}

// Opens a file without following a link in its place (the link itself is
// opened, and refused).
HANDLE OpenNoLink(const std::wstring& name, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
  return ::CreateFileW(name.c_str(), access, share, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr);
}

}  // namespace

struct FolderOpener {
  static HeldFolder Hold(const std::string& path) {
    const HANDLE handle = ::CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      // A folder that is not there is a path not found, as Windows says it
      // for a file in it.
      Fail(static_cast<ErrorCode>(error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error));
    }
    BY_HANDLE_FILE_INFORMATION info{};
    ::GetFileInformationByHandle(handle, &info);
    HeldFolder folder;
    folder.path_ = WithSeparator(path);
    folder.handle_ = reinterpret_cast<std::intptr_t>(handle);
    folder.id_ = IdOfInfo(info);
    return folder;
  }
};

void CloseFolderHandle(std::intptr_t handle) { ::CloseHandle(AsHandle(handle)); }

ErrorCode HeldFolder::Open(const std::string& name, File& file, File::Mode mode) const {
  const std::wstring path = Widen(path_ + name);
  HANDLE handle = INVALID_HANDLE_VALUE;
  switch (mode) {
    case File::Mode::Read:
      // Folders open too, so that they are told apart from a missing file.
      handle = OpenNoLink(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
      break;
    case File::Mode::Write:
      handle = OpenNoLink(path, GENERIC_WRITE | GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
      break;
    case File::Mode::CreateNew:
      handle = OpenNoLink(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW);
      break;
    case File::Mode::Create:
      return ERROR_INVALID_PARAMETER;
  }
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return static_cast<ErrorCode>(error == ERROR_ACCESS_DENIED && IsFolder(path) ? kIsAFolder : error);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    ::CloseHandle(handle);
    return ERROR_CANT_RESOLVE_FILENAME;  // a link where a file was expected
  }
  file.Adopt(reinterpret_cast<std::intptr_t>(handle));
  return 0;
}

std::optional<FileId> HeldFolder::IdOf(const std::string& name) const {
  const HANDLE handle = OpenNoLink(Widen(path_ + name), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    Fail(static_cast<ErrorCode>(error));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info);
  const DWORD error = ::GetLastError();
  ::CloseHandle(handle);
  if (!known) Fail(static_cast<ErrorCode>(error));
  return IdOfInfo(info);
}

ErrorCode HeldFolder::Remove(const std::string& name) const {
  if (const ErrorCode error = InjectedFault("remove")) return error;
  if (::DeleteFileW(Widen(path_ + name).c_str())) return 0;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND ? 0 : static_cast<ErrorCode>(error);
}

std::vector<std::string> HeldFolder::Entries() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(Widen(path_ + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(Narrow(name));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

// NTFS journals its folders: a rename is durable once MoveFileEx or
// ReplaceFile returned with write-through.
bool HeldFolder::Sync() const {
  if (InjectedFault("folder sync")) return false;
  Step("folder synced");
  return true;
}

Location Locate(const std::string& path, bool) {
  const std::string target = ResolveLinks(path);
  const std::wstring name = Widen(target);
  if (IsFolder(name))
    throw Failure{kIsAFolder, "It is " + KindName(FileFacts::Kind::Folder) + ", not a regular file", {}, {}};
  Location location;
  location.folder = FolderOpener::Hold(FolderOf(target));
  location.name = BaseName(target);
  location.target = target;
  return location;
}

std::optional<FileId> IdByPath(const std::string& path) {
  const HANDLE handle = ::CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info);
  ::CloseHandle(handle);
  return known ? std::optional<FileId>(IdOfInfo(info)) : std::nullopt;
}

// Windows has no root whose rights a user could borrow through a link:
// administrators' folders are guarded by their ACLs.
bool RunsAsRoot() { return false; }

HeldFolder OpenStateFolder(bool create) {
  const std::string folder = StateFolder();
  if (create)
    if (const ErrorCode error = MakeFolders(folder)) Fail(error);
  if (!IsFolder(Widen(folder))) Fail(ERROR_PATH_NOT_FOUND);
  return FolderOpener::Hold(folder);
}

}  // namespace conf::native
