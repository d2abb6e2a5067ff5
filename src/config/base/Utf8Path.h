#pragma once
// std::filesystem paths from and to the program's text. On Windows that text
// is UTF-8, and a path made from a plain std::string would read it in the
// ANSI code page instead; elsewhere the bytes pass as they are.

#include <filesystem>
#include <string>
#include <string_view>

namespace conf {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace conf
