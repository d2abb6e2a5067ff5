#include "cli/Json.h"

#include <algorithm>

namespace {

// The length of the valid UTF-8 sequence starting at i, or 0.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  auto continuation = [&](std::size_t k, unsigned lo = 0x80, unsigned hi = 0xBF) {
    return k < s.size() && at(k) >= lo && at(k) <= hi;
  };
  const unsigned c = at(i);
  if (c >= 0xC2 && c <= 0xDF) return continuation(i + 1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    // No overlong forms (E0) and no surrogates (ED).
    const unsigned lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    return continuation(i + 1, lo, hi) && continuation(i + 2) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    // No overlong forms (F0) and nothing past U+10FFFF (F4).
    const unsigned lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
    return continuation(i + 1, lo, hi) && continuation(i + 2) && continuation(i + 3) ? 4 : 0;
  }
  return 0;
}

void AppendEscape(std::string& out, unsigned c) {
  static const char kHex[] = "0123456789abcdef";
  out += "\\u00";
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

}  // namespace

std::string JsonString(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 2);
  out += '"';
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned c = static_cast<unsigned char>(bytes[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      AppendEscape(out, c);
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (const std::size_t n = Utf8Length(bytes, i)) {
      out.append(bytes.substr(i, n));
      i += n;
      continue;
    } else {
      AppendEscape(out, c);
    }
    ++i;
  }
  out += '"';
  return out;
}

std::string TerminalText(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size());
  const auto escape = [&](unsigned c) {
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 15];
  };
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned c = static_cast<unsigned char>(bytes[i]);
    const std::size_t n = c < 0x80 ? 1 : Utf8Length(bytes, i);
    if (c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) {
      out += static_cast<char>(c);
    } else if (n == 2 && c == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0) {
      escape(c);  // U+0080 to U+009F, the C1 controls
      escape(static_cast<unsigned char>(bytes[i + 1]));
    } else if (n > 1) {
      out.append(bytes.substr(i, n));
    } else {
      escape(c);
    }
    i += std::max<std::size_t>(n, 1);
  }
  return out;
}
