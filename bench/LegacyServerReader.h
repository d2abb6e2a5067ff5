#pragma once
// The 2.x-only reader and check pellisto-conf used before it read each
// server version by its own rules; the benchmark measures the readers of
// today against it.
// firebird.conf as a Firebird 2.x server reads it, which is not always what
// the editor's line rule finds. For the server a "#" anywhere starts a
// comment; the key is the text before the first "=", trimmed, and matches
// case-sensitively; the last active line of a key wins; an empty value means
// the built-in value. A number is read by its leading digits, so "64M" is 64,
// and a flag is on when that number is not zero, so "true" is off.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "config/firebird/ParameterCatalogue.h"
#include "config/firebird/ParameterRules.h"

// One line as the server splits it.
struct ServerLine {
  enum class Kind {
    Blank,     // nothing but blanks before the first "#"
    Setting,   // key "=" value
    NoEquals,  // text without "=" (a 2.0 or 2.1 server refuses to start on it)
  };
  Kind kind = Kind::Blank;
  std::string_view key;    // trimmed text before the first "="
  std::string_view value;  // trimmed text after it, up to the first "#"
};
ServerLine ReadServerLine(std::string_view line);

// What the server makes of a non-empty value written for the key: numbers by
// their leading digits, flags as "1" or "0", other kinds the text itself.
std::string ServerValue(ParamKey key, std::string_view text);

// One parameter as the server sees it.
struct ServerSetting {
  // Active: a line sets it. Commented: no line does, but a comment holds
  // "<Key> =" (as a commented-out line does). Absent: neither.
  ValueState state = ValueState::Absent;
  std::size_t line = 0;  // 1-based: the active line that wins, else the last commented one
  std::string fileText;  // the value written on that line
  std::string value;     // the value the server uses
  bool usesDefault = true;
};

using ServerSettings = std::array<ServerSetting, kParameterCount>;

// Reads a whole file's text.
ServerSettings ReadAsServer(std::string_view text);

// Something the server would read differently from what was most likely
// meant, at a 1-based line.
struct Finding {
  std::size_t line;
  std::string key;  // the key of that line as written; empty for a line without one
  std::string message;
};

// The findings of a whole file's text, in line order.
std::vector<Finding> CheckAsServer(std::string_view text);
