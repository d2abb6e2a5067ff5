// The lines of firebird.conf by the document's rules.

#include "config/format/ConfLines.h"

#include <cstring>

#include "format/GenerationReaders.h"
#include "config/base/Text.h"
#include "format/KeyIndex.h"

namespace {

std::string Pattern(std::string_view key) {
  std::string p(key);
  p += " =";
  return p;
}

// Where the parts of a parameter line are: the key's pattern, the start of
// the value and the end-of-line comment (npos when there is none).
struct LineParts {
  std::size_t pattern = std::string::npos;
  std::size_t valueStart = 0;
  std::size_t comment = std::string::npos;
};

LineParts Parse(std::string_view line, std::string_view key) {
  LineParts parts;
  std::string pattern = Pattern(key);
  parts.pattern = line.find(pattern);
  if (parts.pattern == std::string::npos) return parts;
  parts.valueStart = parts.pattern + pattern.size();
  parts.comment = line.find('#', parts.valueStart);
  return parts;
}

}  // namespace

namespace conf {

// How the line that ForEachLine ended at `end` ends in the text.
static LineEnd EndAt(std::string_view text, std::size_t end) {
  if (end >= text.size()) return LineEnd::None;
  return text[end] == '\r' ? LineEnd::CrLf : LineEnd::Lf;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::size_t start, std::size_t end) {
    lines.emplace_back(text.data() + start, end - start);
  });
  return lines;
}

template <class Line>
std::string JoinAll(const std::vector<Line>& lines) {
  std::size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string text;
  text.reserve(total);
  for (const auto& l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

std::string JoinLines(const std::vector<std::string>& lines) { return JoinAll(lines); }

LineEnd WrittenEnd(LineEnd had) {
#ifdef _WIN32
  (void)had;
  return LineEnd::CrLf;
#else
  return had;
#endif
}

FileBuffer JoinToBuffer(const std::vector<std::string_view>& lines, const std::vector<LineEnd>& ends) {
  FileBuffer joined;
  for (std::size_t i = 0; i < lines.size(); ++i) joined.size += lines[i].size() + SizeOf(ends[i]);
  joined.data.reset(new char[joined.size]);
  char* at = joined.data.get();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::memcpy(at, lines[i].data(), lines[i].size());
    at += lines[i].size();
    if (ends[i] == LineEnd::CrLf) *at++ = '\r';
    if (ends[i] != LineEnd::None) *at++ = '\n';
  }
  return joined;
}

std::string WithWrittenEnds(std::string_view text) {
  std::string written;
  written.reserve(text.size());
  ForEachLine(text, [&](std::size_t start, std::size_t end) {
    written.append(text.substr(start, end - start));
    const LineEnd ending = WrittenEnd(EndAt(text, end));
    if (ending == LineEnd::CrLf) written += '\r';
    if (ending != LineEnd::None) written += '\n';
  });
  return written;
}

long FindParameterLine(const std::vector<std::string>& lines, std::string_view key) {
  return FindLast(lines, key);
}

std::string ExtractValue(std::string_view line, std::string_view key) {
  LineParts parts = Parse(line, key);
  if (parts.pattern == std::string::npos) return {};
  // Only a "#" before the key comments the line out; one after the "=" starts
  // an end-of-line comment that is not part of the value.
  bool commented = line.find('#') < parts.pattern;
  std::size_t end = parts.comment == std::string::npos ? line.size() : parts.comment;
  std::string_view value =
      Trim(line.substr(parts.valueStart, end - parts.valueStart));
  std::string result;
  result.reserve(value.size() + 1);
  if (commented) result += '#';
  result += value;
  return result;
}

long ParameterLine(const std::vector<std::string_view>& lines, std::string_view name, Generation generation) {
  return generation == Generation::V3 ? ParameterLine3(lines, name) : FindLast(lines, name);
}

std::string ValueForm(std::string_view line, std::string_view name, Generation generation) {
  return generation == Generation::V3 ? ValueForm3(line) : ExtractValue(line, name);
}

void MergePending(const std::vector<std::string>& pending, Generation generation,
                  std::vector<std::string_view>& lines, std::deque<std::string>& store,
                  std::vector<std::pair<std::size_t, std::string_view>>& replaced) {
  for (const auto& entry : pending) {
    std::size_t eq = entry.find('=');
    std::string_view name = std::string_view(entry).substr(0, eq);
    std::string_view value = std::string_view(entry).substr(eq + 1);
    long at = ParameterLine(lines, name, generation);
    if (at < 0) continue;
    std::string_view& line = lines[static_cast<std::size_t>(at)];
    std::string updated;
    if (generation == Generation::V3) {
      updated = conf::RewriteLine3(line, name, value);
    } else {
      updated.reserve(name.size() + value.size() + 3);
      updated.append(name).append(" = ").append(value);
      const LineParts parts = Parse(line, name);
      if (parts.comment != std::string::npos) updated.append(" ").append(line.substr(parts.comment));
    }
    // A line break in a value would split the line and add lines of its own.
    for (std::size_t i = name.size() + 3; i < name.size() + 3 + value.size() && i < updated.size(); ++i)
      if (updated[i] == '\r' || updated[i] == '\n') updated[i] = ' ';
    replaced.emplace_back(static_cast<std::size_t>(at), line);
    store.push_back(std::move(updated));
    line = store.back();
  }
}

LineIndex IndexLines(std::string_view text, Generation generation) {
  // One pass over a 2.x file: split it and note each key's line while the
  // line is still in the cache. A 3.0+ key's line is its catalogue name's.
  LineIndex index;
  index.lines.reserve(text.size() / 32 + 16);  // typical conf lines; grows past it if needed
  index.ends.reserve(index.lines.capacity());
  index.lineOf.fill(-1);
  NextOf equals(text, '=');
  ForEachLine(text, [&](std::size_t start, std::size_t end) {
    std::string_view line(text.data() + start, end - start);
    const long at = static_cast<long>(index.lines.size());
    index.lines.emplace_back(line);
    index.ends.push_back(EndAt(text, end));
    if (generation == Generation::V2)
      for (std::size_t eq = equals.From(start); eq < end; eq = equals.From(eq + 1))
        ForEachKeyBefore(line, eq - start, [&](ParamKey key) { index.lineOf[static_cast<std::size_t>(key)] = at; });
  });
  if (generation == Generation::V3) {
    const PerSetting<long> lineOf = SettingLines(index.lines, generation);
    for (const auto& p : kParameters) index.lineOf[static_cast<std::size_t>(p.key)] = lineOf[SettingIdOf(p.key)];
  }
  return index;
}

PerSetting<long> SettingLines(const std::vector<std::string_view>& lines, Generation generation) {
  PerSetting<long> lineOf;
  lineOf.fill(-1);
  if (generation == Generation::V2) {
    // The last line holding "<Name> =", as FindLast has it, for every name.
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string_view line = lines[i];
      for (std::size_t eq = line.find('='); eq != std::string_view::npos; eq = line.find('=', eq + 1))
        ForEachSettingBefore(line, eq, [&](SettingId id) { lineOf[id] = static_cast<long>(i); });
    }
    return lineOf;
  }
  // The first active line, else the last commented one, as ParameterLine3.
  PerSetting<bool> active{};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto named = NameOfLine3(lines[i]);
    if (!named || active[named->id]) continue;
    lineOf[named->id] = static_cast<long>(i);
    active[named->id] = named->active;
  }
  return lineOf;
}

}  // namespace conf
