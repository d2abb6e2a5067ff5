#pragma once
// The two readers behind ReadConf. Internal to src/config.

#ifndef PELLISTO_CONFIG_INTERNAL
#error "format/GenerationReaders.h is internal to src/config"
#endif

#include <bitset>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "config/format/Reading.h"
#include "config/base/Text.h"

namespace conf {

// Fills files, entries, commented and refusedAt of reading.
void ReadGeneration2(std::string_view text, const std::string& path, ConfReading& reading);
void ReadGeneration3(std::string_view text, const std::string& path, ConfReading& reading);

// Calls line(start, end) for each line as both generations split a file: at
// LF only (a CR before it is trimmed like a blank; a lone CR ends nothing).
template <class F>
void ForEachServerLine(std::string_view text, F&& line) {
  std::size_t start = 0;
  while (start < text.size()) {
    const void* lf = std::memchr(text.data() + start, '\n', text.size() - start);
    const std::size_t end =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) : text.size();
    line(start, end);
    start = end + 1;
  }
}

inline bool IsServerBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

inline std::string_view TrimServerBlanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsServerBlank(s[b])) ++b;
  while (e > b && IsServerBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// One line as a 3.0+ server takes it apart, before braces and macros.
struct Line3 {
  enum class Kind { Blank, Comment, Include, Setting, BareName, Refused };
  Kind kind = Kind::Blank;
  std::string_view key;    // Setting, BareName, Refused: trimmed
  std::string_view value;  // Setting: trimmed, without quotes; Comment: after "#"; Include: the path
  std::string_view problem;  // Refused: why the server refuses the file
  std::size_t comment = 0;   // Setting: where a comment starts in the line, else its size
};
Line3 SplitLine3(std::string_view line);

// The document's view of a 3.0+ file. The parameter line of a name is the
// one the server reads (the first active line, its key compared ignoring
// case, with or without blanks around "="), else the last commented
// "#Name = value" line; -1 when there is none.
template <class Line>
long ParameterLine3(const std::vector<Line>& lines, std::string_view name);
// The value form of a parameter line: the value (without its quotes) of an
// active line, "#" and the value of a commented one.
std::string ValueForm3(std::string_view line);
// The canonical line "Name = value", keeping a comment that followed the
// value on the line replaced.
std::string RewriteLine3(std::string_view line, std::string_view name, std::string_view value);
// The name and value of a commented "#Name = value" line, if it is one.
bool CommentedSetting3(std::string_view line, std::string_view& name, std::string_view& value,
                       std::size_t& valueEnd);
// The catalogue name a 3.0+ line sets (active) or shows commented out
// ("#Name = value"); nothing for any other line.
struct NamedLine3 {
  SettingId id;
  bool active;
};
std::optional<NamedLine3> NameOfLine3(std::string_view line);

template <class Line>
long ParameterLine3(const std::vector<Line>& lines, std::string_view name) {
  long commented = -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line(lines[i]);
    const Line3 split = SplitLine3(line);
    if (split.kind == Line3::Kind::Setting && EqualsIgnoringCase(split.key, name)) return static_cast<long>(i);
    std::string_view key, value;
    std::size_t end = 0;
    if (split.kind == Line3::Kind::Comment && CommentedSetting3(line, key, value, end) &&
        EqualsIgnoringCase(key, name))
      commented = static_cast<long>(i);
  }
  return commented;
}

// Notes the commented "Name = value" lines in a comment's text: the last one
// of each name wins.
void NoteMentions(std::string_view comment, std::size_t file, std::size_t line, ConfReading& reading);

}  // namespace conf
