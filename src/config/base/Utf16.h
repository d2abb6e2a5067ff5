#pragma once
// Windows only. The program's text is UTF-8 there, the Windows API's UTF-16:
// each call converts at the boundary, and nothing else does.

#include <string>
#include <string_view>

namespace conf {

// Bytes that are no UTF-8 become U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace conf
