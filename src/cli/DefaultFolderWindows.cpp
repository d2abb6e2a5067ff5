#include "cli/DefaultFolder.h"

#include <windows.h>

#include "config/base/Utf16.h"

namespace cli {

const char kFolderHelp[] =
    "  --folder DIR          the Firebird folder; else %FIREBIRD%, else the folder\n"
    "                        that the Firebird installer registered\n"
    "                        (DefaultInstance)\n";

// A quoted folder takes no final backslash: \" would escape the quote.
const char kExamplesHelp[] =
    "Examples:\n"
    "  pellisto-conf --folder \"C:\\Program Files\\Firebird\\Firebird_3_0\" list\n"
    "  set FIREBIRD=C:\\Program Files\\Firebird\\Firebird_3_0\\\n"
    "  pellisto-conf set DefaultDbCachePages=4096 --dry-run\n";

namespace {

// The value in one view of the registry (KEY_WOW64_64KEY or _32KEY); empty
// when it is not there. The key is opened for reading only.
std::wstring ReadDefaultInstance(REGSAM view) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Firebird Project\\Firebird Server\\Instances", 0,
                      KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
    return {};
  static const wchar_t kValue[] = L"DefaultInstance";
  // REG_EXPAND_SZ values are expanded and taken too.
  const DWORD types = RRF_RT_REG_SZ;
  std::wstring value;
  DWORD size = 0;
  if (::RegGetValueW(key, nullptr, kValue, types, nullptr, nullptr, &size) == ERROR_SUCCESS) {
    value.assign(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegGetValueW(key, nullptr, kValue, types, nullptr, value.data(), &size) != ERROR_SUCCESS)
      value.clear();
  }
  ::RegCloseKey(key);
  value.resize(wcsnlen(value.c_str(), value.size()));
  return value;
}

}  // namespace

std::string DefaultFolder() {
  // Where the Firebird installer registered the server, read only. A 32-bit
  // Firebird on 64-bit Windows writes the 32-bit view of the registry.
  std::wstring folder = ReadDefaultInstance(KEY_WOW64_64KEY);
  if (folder.empty()) folder = ReadDefaultInstance(KEY_WOW64_32KEY);
  return folder.empty() ? std::string() : WithSeparator(conf::Narrow(folder));
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
  return folder;
}

}  // namespace cli
