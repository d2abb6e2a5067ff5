// The file operations of NativeFile.h on Windows: UTF-8 paths become UTF-16
// at each call.

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <limits>

#include "config/fs/NativeFile.h"
#include "fs/NativeFileWindows.h"
#include "config/base/Utf16.h"

namespace conf::native {

// ERROR_DIRECTORY_NOT_SUPPORTED, which not every SDK names.
const ErrorCode kIsAFolder = 336;
// Codes with bit 29 set, which Windows leaves to applications.
const ErrorCode kIsANamedPipe = 0x20000001;
const ErrorCode kIsADevice = 0x20000002;
const ErrorCode kIsASocket = 0x20000003;

namespace {

std::string SystemText(DWORD error, DWORD language) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, language, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words(text ? text : L"", n);
  if (text) ::LocalFree(text);
  while (!words.empty() && std::iswspace(words.back())) words.pop_back();
  return Narrow(words);
}




}  // namespace

std::string ErrorText(ErrorCode error) {
  if (error == kIsAFolder) return "It is a folder, not a file";
  if (error == kIsANamedPipe) return "It is a named pipe, not a regular file";
  if (error == kIsADevice) return "It is a device, not a regular file";
  if (error == kIsASocket) return "It is a socket, not a regular file";
  // In English, as every other message of the program; else in the
  // system's language.
  std::string text = SystemText(static_cast<DWORD>(error), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (text.empty()) text = SystemText(static_cast<DWORD>(error), 0);
  if (text.empty()) return "Windows error " + std::to_string(error);
  // Without the final period, as a reason reads inside a message that may
  // go on (and as POSIX words them).
  if (text.back() == '.') text.pop_back();
  return text;
}

File::~File() {
  if (IsOpen()) ::CloseHandle(AsHandle(handle_));
}

void File::Adopt(std::intptr_t handle) {
  if (IsOpen()) ::CloseHandle(AsHandle(handle_));
  handle_ = handle;
}

ErrorCode File::Open(const std::string& path, Mode mode, bool) {
  // Readers let everyone else on; writers let others read, as the server
  // may at any time, and nothing else.
  DWORD access = GENERIC_WRITE, share = FILE_SHARE_READ, disposition = OPEN_ALWAYS;
  switch (mode) {
    case Mode::Read:
      access = GENERIC_READ;
      share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
      disposition = OPEN_EXISTING;
      break;
    case Mode::Write:
    case Mode::Create:
      break;
    case Mode::CreateNew:
      disposition = CREATE_NEW;
      break;
  }
  const std::wstring name = Widen(path);
  const HANDLE handle =
      ::CreateFileW(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // Windows says "access denied" for a folder.
    return static_cast<ErrorCode>(error == ERROR_ACCESS_DENIED && IsFolder(name) ? kIsAFolder : error);
  }
  Adopt(reinterpret_cast<std::intptr_t>(handle));
  if (const DWORD type = mode == Mode::Read ? ::GetFileType(handle) : FILE_TYPE_DISK; type != FILE_TYPE_DISK) {
    const ErrorCode error = type == FILE_TYPE_PIPE ? kIsANamedPipe : kIsADevice;
    Adopt(-1);
    return error;
  }
  if (mode == Mode::Create && !::SetEndOfFile(handle)) {
    const DWORD error = ::GetLastError();
    Adopt(-1);
    return static_cast<ErrorCode>(error);
  }
  return 0;
}

FileFacts File::Facts() const {
  FileFacts facts;
  switch (::GetFileType(AsHandle(handle_))) {
    case FILE_TYPE_PIPE:
      facts.kind = FileFacts::Kind::Pipe;
      return facts;
    case FILE_TYPE_CHAR:
      facts.kind = FileFacts::Kind::Device;
      return facts;
    case FILE_TYPE_DISK:
      break;
    default:
      return facts;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(AsHandle(handle_), &info)) Fail(static_cast<ErrorCode>(::GetLastError()));
  facts.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileFacts::Kind::Folder : FileFacts::Kind::Regular;
  facts.id = IdOfInfo(info);
  facts.size = facts.kind == FileFacts::Kind::Regular
                   ? (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow
                   : 0;
  facts.links = info.nNumberOfLinks;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) facts.readOnlyBecause = "its read-only attribute is set";
  return facts;
}

std::uint64_t File::Size() const { return Facts().size; }

std::size_t File::Read(char* data, std::size_t size) {
  DWORD n = 0;
  const DWORD part = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (!::ReadFile(AsHandle(handle_), data, part, &n, nullptr)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_BROKEN_PIPE) return 0;  // the end of a pipe
    Fail(static_cast<ErrorCode>(error));
  }
  return n;
}

void File::WriteAt(std::string_view data, std::uint64_t offset) {
  while (!data.empty()) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD n = 0;
    const DWORD part = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
    if (!::WriteFile(AsHandle(handle_), data.data(), part, &n, &at))
      Fail(static_cast<ErrorCode>(::GetLastError()));
    if (n == 0) Fail(ERROR_WRITE_FAULT);
    data.remove_prefix(n);
    offset += n;
  }
}

std::size_t File::ReadAt(char* data, std::size_t size, std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD n = 0;
  const DWORD part = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (!::ReadFile(AsHandle(handle_), data, part, &n, &at)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE) return 0;
    Fail(static_cast<ErrorCode>(error));
  }
  return n;
}

void File::Truncate(std::uint64_t size) {
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(size);
  if (!::SetFilePointerEx(AsHandle(handle_), at, nullptr, FILE_BEGIN) || !::SetEndOfFile(AsHandle(handle_)))
    Fail(static_cast<ErrorCode>(::GetLastError()));
}

void File::Sync() {
  if (const ErrorCode error = InjectedFault("sync")) Fail(error);
  if (!::FlushFileBuffers(AsHandle(handle_))) Fail(static_cast<ErrorCode>(::GetLastError()));
  Step("synced");
}

void File::Close() {
  const HANDLE handle = AsHandle(handle_);
  handle_ = -1;
  const ErrorCode injected = InjectedFault("close");
  if (!::CloseHandle(handle)) Fail(static_cast<ErrorCode>(::GetLastError()));
  if (injected) Fail(injected);
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveFile(const std::string& path) { ::DeleteFileW(Widen(path).c_str()); }


bool AlreadyExists(ErrorCode error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }
bool IsLink(ErrorCode error) { return error == ERROR_CANT_RESOLVE_FILENAME; }

// Windows has no signal for a write past a size limit.
std::shared_ptr<void> QuietFileSizeLimit() { return nullptr; }

bool IsMissing(ErrorCode error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

std::string StateFolder() {
  // The variable first, so that a test (or a user) can move it.
  std::string local;
  if (const wchar_t* variable = ::_wgetenv(L"LOCALAPPDATA"); variable && *variable) {
    local = Narrow(variable);
  } else {
    wchar_t* known = nullptr;
    if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known) == S_OK) local = Narrow(known);
    ::CoTaskMemFree(known);
  }
  if (!EndsWithSeparator(local)) local += kSeparator;
  return local + "Pellisto\\";
}

}  // namespace conf::native
