#include "support/TestSystem.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "config/fs/NativeFile.h"
#include "config/base/Utf16.h"
#include "config/base/Utf8Path.h"

const char kStateVariable[] = "LOCALAPPDATA";

std::string SafetyCopiesUnder(const std::string& stateHome) { return stateHome + "Pellisto\\"; }

void SetVariable(const std::string& name, const std::string& value) {
  _wputenv_s(conf::Widen(name).c_str(), conf::Widen(value).c_str());
}
void UnsetVariable(const std::string& name) { _wputenv_s(conf::Widen(name).c_str(), L""); }

std::string ErrorText(SystemError error) {
  switch (error) {
    case SystemError::NoSuchFile:
      return conf::native::ErrorText(ERROR_FILE_NOT_FOUND);
    case SystemError::NoSuchFolder:
    case SystemError::NotAFolder:
      return conf::native::ErrorText(ERROR_PATH_NOT_FOUND);
    case SystemError::IsAFolder:
      return conf::native::ErrorText(conf::native::kIsAFolder);
  }
  return {};
}

std::string ReadOnlyReason() {
  return "It is read-only (its read-only attribute is set)";
}

std::string NativePath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

void SetReadOnly(const std::string& path, bool readOnly) {
  const std::wstring name = conf::Widen(path);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  SetFileAttributesW(name.c_str(), readOnly ? attributes | FILE_ATTRIBUTE_READONLY
                                            : attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
}

bool IsReadOnly(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(conf::Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

std::string FileIdentity(const std::string& path) {
  const HANDLE file =
      CreateFileW(conf::Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!known) return {};
  return std::to_string(info.dwVolumeSerialNumber) + ":" +
         std::to_string((std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
}

void ShareFolder(const std::string& folder, const std::string& link) {
  std::filesystem::copy(conf::PathFromUtf8(folder), conf::PathFromUtf8(link),
                        std::filesystem::copy_options::recursive);
}
