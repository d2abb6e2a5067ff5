// firebird.conf as a 2.0, 2.1 or 2.5 server reads it: lines end at LF; a "#"
// anywhere cuts the rest of the line, quotes or not; the key is the text
// before the first "=", without the blanks around it, and matches ignoring
// case; the value skips every "=", blank and TAB after that; a line with text
// but no "=" is bad (2.0 and 2.1 refuse to start, 2.5 does not serve); no
// quotes, no include, no macros.

#include "format/GenerationReaders.h"

namespace conf {

void ReadGeneration2(std::string_view text, const std::string& path, ConfReading& reading) {
  reading.files = {path};
  std::size_t number = 0;
  ForEachServerLine(text, [&](std::size_t start, std::size_t end) {
    ++number;
    std::string_view line = text.substr(start, end - start);
    // Most lines of a shipped file are comments: the "#" is found at once.
    std::size_t hash = 0;
    while (hash < line.size() && line[hash] != '#') ++hash;
    if (hash < line.size()) {
      // A line that is a comment from its first character on may show a
      // parameter commented out.
      if (TrimServerBlanks(line.substr(0, hash)).empty())
        NoteMentions(line.substr(hash + 1), 0, number, reading);
      line = line.substr(0, hash);
    }
    std::size_t b = 0;
    while (b < line.size() && IsServerBlank(line[b])) ++b;
    line.remove_prefix(b);
    if (line.empty()) return;

    ConfEntry entry;
    entry.line = number;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      entry.kind = ConfEntry::Kind::BareName;
      entry.key = TrimServerBlanks(line);
    } else {
      entry.key = TrimServerBlanks(line.substr(0, eq));
      std::string_view value = line.substr(eq);
      std::size_t v = 0;
      while (v < value.size() && (value[v] == '=' || value[v] == ' ' || value[v] == '\t')) ++v;
      entry.value = TrimServerBlanks(value.substr(v));
    }
    entry.id = FindSetting(entry.key);
    reading.entries.push_back(std::move(entry));
  });
}

}  // namespace conf
