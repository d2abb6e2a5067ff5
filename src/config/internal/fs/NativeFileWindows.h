#pragma once
// The Windows half of the native file layer: small helpers of its own
// files. Internal to src/config.

#ifndef PELLISTO_CONFIG_INTERNAL
#error "fs/NativeFileWindows.h is internal to src/config"
#endif

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "config/fs/NativeFile.h"

namespace conf::native {

inline HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

inline bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline FileId IdOfInfo(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

inline bool EndsWithSeparator(std::string_view path) {
  return !path.empty() && kSeparators.find(path.back()) != std::string_view::npos;
}

}  // namespace conf::native
