#include "config/TVantrel.h"

#include <string_view>
#include <utility>

#include "config/AtomicFile.h"
#include "config/LineScan.h"

namespace {

using conf::ForEachKeyBefore;
using conf::NextOf;
using conf::Trim;

const char kFileName[] = "firebird.conf";

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

template <class Line>
long FindLast(const std::vector<Line>& lines, std::string_view key) {
  std::string pattern = Pattern(key);
  for (std::size_t i = lines.size(); i-- > 0;)
    if (std::string_view(lines[i]).find(pattern) != std::string_view::npos)
      return static_cast<long>(i);
  return -1;
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

void ResetToDefaults(const std::string& folder) {
  const std::string defaults = ReadWholeFile(folder + kFileName + ".default");
  WriteFileAtomically(folder + kFileName, JoinLines(SplitLines(defaults)));
}

}  // namespace conf

TVantrel::TVantrel() = default;
TVantrel::~TVantrel() = default;

void TVantrel::Load(const std::string& folder) {
  std::string path = (folder.empty() ? folder_ : folder) + kFileName;
  conf::FileBuffer file = conf::ReadWholeFileBuffer(path);
  const std::string_view text = file.view();

  // One pass over the file: split it and note the last line that holds each
  // key's pattern while the line is still in the cache.
  std::vector<std::string_view> lines;
  lines.reserve(text.size() / 32 + 16);  // typical conf lines; grows past it if needed
  std::array<long, kParameterCount> lineOf;
  lineOf.fill(-1);
  NextOf equals(text, '=');
  conf::ForEachLine(text, [&](std::size_t start, std::size_t end) {
    std::string_view line(text.data() + start, end - start);
    const long index = static_cast<long>(lines.size());
    for (std::size_t eq = equals.From(start); eq < end; eq = equals.From(eq + 1))
      ForEachKeyBefore(line, eq - start,
                       [&](ParamKey key) { lineOf[static_cast<std::size_t>(key)] = index; });
    lines.emplace_back(line);
  });

  std::array<std::string, kParameterCount> values;
  for (const auto& p : kParameters) {
    long at = lineOf[static_cast<std::size_t>(p.key)];
    values[static_cast<std::size_t>(p.key)] =
        at < 0 ? std::string("*") : conf::ExtractValue(lines[at], p.name);
  }

  text_ = std::move(file.data);  // the views keep pointing into the same buffer
  lines_ = std::move(lines);
  rewritten_.clear();
  values_ = std::move(values);
  folder_ = RootDirectory();
}

namespace {

// Writes each pending entry into its parameter line, one after the other (a
// later entry sees the lines the earlier ones wrote). The new lines go into
// store; replaced gets each line's index and its previous text, in order.
void MergePending(const std::vector<std::string>& pending, std::vector<std::string_view>& lines,
                  std::deque<std::string>& store,
                  std::vector<std::pair<std::size_t, std::string_view>>& replaced) {
  for (const auto& entry : pending) {
    std::size_t eq = entry.find('=');
    std::string_view name = std::string_view(entry).substr(0, eq);
    std::string_view value = std::string_view(entry).substr(eq + 1);
    long at = conf::FindLast(lines, name);
    if (at < 0) continue;
    std::string_view& line = lines[static_cast<std::size_t>(at)];
    LineParts parts = Parse(line, name);
    std::string updated;
    updated.reserve(name.size() + value.size() + 3);
    updated.append(name).append(" = ").append(value);
    // A line break in a value would split the line and add lines of its own.
    for (std::size_t i = name.size() + 3; i < updated.size(); ++i)
      if (updated[i] == '\r' || updated[i] == '\n') updated[i] = ' ';
    if (parts.comment != std::string::npos)
      updated.append(" ").append(line.substr(parts.comment));
    replaced.emplace_back(static_cast<std::size_t>(at), line);
    store.push_back(std::move(updated));
    line = store.back();
  }
}

}  // namespace

void TVantrel::Save(const std::string& folder) {
  if (pending_.empty()) return;

  // Lines are changed in place and put back if the file cannot be written, so
  // a failed save leaves the document as it was.
  std::vector<std::pair<std::size_t, std::string_view>> replaced;
  MergePending(pending_, lines_, rewritten_, replaced);

  std::string path = (folder.empty() ? folder_ : folder) + kFileName;
  try {
    conf::WriteFileAtomically(path, conf::JoinAll(lines_));
  } catch (...) {
    for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
      lines_[it->first] = it->second;
      rewritten_.pop_back();
    }
    throw;
  }
}

std::vector<std::string> TVantrel::LinesAfterSave() const {
  std::vector<std::string_view> lines = lines_;
  std::deque<std::string> store;
  std::vector<std::pair<std::size_t, std::string_view>> replaced;
  MergePending(pending_, lines, store, replaced);
  return std::vector<std::string>(lines.begin(), lines.end());
}

std::vector<std::string> TVantrel::Lines() const {
  return std::vector<std::string>(lines_.begin(), lines_.end());
}

void TVantrel::SetModified(bool value) {
  modified_ = value;
  if (!value) pending_.clear();
  if (OnModified) OnModified(*this, value);
}

void TVantrel::SetValue(ParamKey key, const std::string& value) {
  const ParameterInfo& info = ParameterOf(key);
  if (!info.hasSetter)
    throw std::logic_error(std::string(info.name) + " cannot be changed");
  std::string& current = values_[static_cast<std::size_t>(key)];
  if (current == value) return;
  current = value;
  std::string entry(info.name);
  entry += '=';
  entry += value;
  RecordChange(entry);
  if (key == ParamKey::RootDirectory) folder_ = value;
}

void TVantrel::RecordChange(const std::string& entry) {
  std::string_view name = std::string_view(entry).substr(0, entry.find('='));
  bool replaced = false;
  for (auto& pending : pending_) {
    if (pending.size() > name.size() && pending[name.size()] == '=' &&
        pending.compare(0, name.size(), name) == 0) {
      pending = entry;
      replaced = true;
      break;
    }
  }
  if (!replaced) pending_.push_back(entry);
  PendingChanged();
}

void TVantrel::PendingChanged() { SetModified(true); }
