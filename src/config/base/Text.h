#pragma once
// Text helpers: splitting a text into lines without copying, finding names
// written as "<Name> =" in a line, trimming, comparing, and the small pieces
// messages are made of.

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace conf {

// Walks the occurrences of one character through a text with memchr and
// remembers the next one, so that each part of the text is searched once.
class NextOf {
 public:
  NextOf(std::string_view text, char c) : text_(text), c_(c), at_(Find(0)) {}
  // The first occurrence at or after from; the text's size when there is none.
  std::size_t From(std::size_t from) {
    if (at_ < from) at_ = Find(from);
    return at_;
  }

 private:
  std::size_t Find(std::size_t from) const {
    if (from >= text_.size()) return text_.size();
    const void* hit = std::memchr(text_.data() + from, c_, text_.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data())
               : text_.size();
  }
  std::string_view text_;
  char c_;
  std::size_t at_;
};

// Calls line(start, end) for every line of the text. Lines end at LF, and a
// CR right before that LF belongs to the line end; a CR anywhere else is a
// byte of its line, as every Firebird server reads the file. A line end at the
// very end adds no empty line.
template <class F>
void ForEachLine(std::string_view text, F&& line) {
  NextOf lf(text, '\n');
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t next = lf.From(start);
    std::size_t end = next;
    if (next < text.size() && end > start && text[end - 1] == '\r') --end;
    line(start, end);
    start = next + 1;
  }
}

// Names grouped by their last character, so that one pass over a line can
// tell for every " =" which name (if any) stands right before it.
template <class Id>
class NamesByLastChar {
 public:
  void Add(Id id, std::string_view name) {
    buckets_[static_cast<unsigned char>(name.back())].emplace_back(id, name);
  }
  // Calls found(id) for every name that stands right before " =", where eq
  // is the position of the "=" in the line.
  template <class F>
  void ForEachBefore(std::string_view line, std::size_t eq, F&& found) const {
    if (eq < 2 || line[eq - 1] != ' ') return;
    const std::size_t keyEnd = eq - 1;  // the blank before "="
    for (const auto& [id, name] : buckets_[static_cast<unsigned char>(line[keyEnd - 1])])
      if (name.size() <= keyEnd && line.compare(keyEnd - name.size(), name.size(), name) == 0) found(id);
  }

 private:
  std::vector<std::pair<Id, std::string_view>> buckets_[256];
};

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Without leading and trailing blanks and control characters.
inline std::string_view Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Keywords and keys compare ignoring case in ASCII only: the file is bytes in
// whatever code page the server's machine uses.
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// The edit distance (Levenshtein) between a and b, ignoring case as
// EqualsIgnoringCase does. Once a row shows that it cannot come below limit,
// it stops and returns limit.
inline std::size_t EditDistanceIgnoringCase(std::string_view a, std::string_view b,
                                            std::size_t limit = static_cast<std::size_t>(-1)) {
  std::vector<std::size_t> previous(b.size() + 1), row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    std::size_t least = row[0];
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const bool same = AsciiLower(a[i - 1]) == AsciiLower(b[j - 1]);
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
      least = std::min(least, row[j]);
    }
    std::swap(row, previous);
    if (least >= limit) return limit;
  }
  return previous[b.size()];
}

// At least one character, and only the digits 0 to 9.
inline bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

inline std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A byte as two hexadecimal digits ("0B").
inline std::string HexDigits(unsigned char byte) {
  static const char kHex[] = "0123456789ABCDEF";
  return {kHex[byte >> 4], kHex[byte & 15]};
}

// The pieces with the separator between them.
template <class Range>
std::string Join(const Range& pieces, std::string_view separator) {
  std::string text;
  bool first = true;
  for (const auto& piece : pieces) {
    if (!first) text += separator;
    text += piece;
    first = false;
  }
  return text;
}

}  // namespace conf
