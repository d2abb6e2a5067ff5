#include "config/fs/FileLock.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>

#include "config/fs/AtomicFile.h"
#include "config/fs/NativeFile.h"
#include "config/base/Utf16.h"

namespace conf {

namespace {
HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The same file named in any spelling: its final path (links followed),
// made absolute, in the upper case Windows compares names in.
std::wstring Identity(const std::string& path) {
  const std::wstring name = Widen(LinkTarget(path));
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {
    full.resize(n);
    n = ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  full.resize(n && n < full.size() ? n : 0);
  if (full.empty()) full = name;
  std::wstring upper(full.size(), L'\0');
  if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, full.c_str(), static_cast<int>(full.size()),
                      upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0) == 0)
    return full;
  return upper;
}

std::string ProgramData() {
  wchar_t* known = nullptr;
  std::string folder;
  if (::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &known) == S_OK) folder = Narrow(known);
  ::CoTaskMemFree(known);
  return folder;
}

// %ProgramData%\Pellisto\Locks\<name>.<hash of the identity>.lock: the name
// for people, the hash to tell files of the same name apart.
std::string LockFile(const std::string& path) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const wchar_t c : Identity(path)) {
    hash ^= static_cast<std::uint16_t>(c);
    hash *= 1099511628211ull;
  }
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
  const std::size_t slash = path.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return ProgramData() + "\\Pellisto\\Locks\\" + name + "." + digits + ".lock";
}

// Opens the lock file, creating it and its folders when needed. Lock files
// stay: removing one while another process waits on it would let two
// writers in.
HANDLE OpenLockFile(const std::string& lockFile) {
  const std::wstring name = Widen(lockFile);
  // Read access is enough to lock a byte, and is what other users get.
  auto open = [&] {
    return ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE handle = open();
  if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_PATH_NOT_FOUND) {
    const std::wstring locks = name.substr(0, name.find_last_of(L'\\'));
    ::CreateDirectoryW(locks.substr(0, locks.find_last_of(L'\\')).c_str(), nullptr);
    ::CreateDirectoryW(locks.c_str(), nullptr);
    handle = open();
  }
  return handle;
}
}  // namespace

void FileLock::Take(const native::HeldFolder&, const std::string& file, std::chrono::milliseconds wait) {
  const std::string lockFile = LockFile(file);
  const HANDLE handle = OpenLockFile(lockFile);
  if (handle == INVALID_HANDLE_VALUE)
    throw FileError("Cannot save \"" + file + "\": the lock that keeps two writers apart cannot be taken (" +
                    lockFile + ": " + native::ErrorText(static_cast<native::ErrorCode>(::GetLastError())) +
                    "); nothing was written");
  static constexpr LockCalls kCalls{
      [](std::intptr_t lockFile, int& error) {
        OVERLAPPED first{};
        error = native::InjectedFault("lock");
        if (!error && ::LockFileEx(AsHandle(lockFile), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                                   0, &first))
          return LockTry::Taken;
        if (!error) error = static_cast<int>(::GetLastError());
        if (error == ERROR_LOCK_VIOLATION) return LockTry::Held;
        // Some network file systems keep no locks.
        if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION) return LockTry::NoLocks;
        return LockTry::Failed;
      },
      [](std::intptr_t lockFile) { ::CloseHandle(AsHandle(lockFile)); }};
  if (TakeLock(file, wait, kCalls, reinterpret_cast<std::intptr_t>(handle)))
    handle_ = reinterpret_cast<std::intptr_t>(handle);
}

FileLock::~FileLock() {
  // Closing the lock file lets go of the lock.
  if (handle_ != -1) ::CloseHandle(AsHandle(handle_));
}


}  // namespace conf
