#include "config/TVantrel.h"

#include <cstring>
#include <string_view>
#include <utility>

#include "config/AtomicFile.h"

namespace {

const char kFileName[] = "firebird.conf";

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string Pattern(std::string_view key) {
  std::string p(key);
  p += " =";
  return p;
}

// Keys grouped by their last character, so that one pass over the file can
// tell for every " =" which key (if any) stands right before it.
struct KeyIndex {
  std::vector<ParamKey> byLastChar[256];
  KeyIndex() {
    for (const auto& p : kParameters)
      byLastChar[static_cast<unsigned char>(p.name.back())].push_back(p.key);
  }
};

const KeyIndex& Index() {
  static const KeyIndex index;
  return index;
}

// Calls found(key) for every catalogue key that stands right before " ="
// where eq is the position of the "=" in the line.
template <class F>
void ForEachKeyBefore(std::string_view line, std::size_t eq, F&& found) {
  if (eq < 2 || line[eq - 1] != ' ') return;
  const std::size_t keyEnd = eq - 1;  // the blank before "="
  for (ParamKey key : Index().byLastChar[static_cast<unsigned char>(line[keyEnd - 1])]) {
    std::string_view name = KeyName(key);
    if (name.size() <= keyEnd && line.compare(keyEnd - name.size(), name.size(), name) == 0)
      found(key);
  }
}

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

// Calls line(start, end) for every line of the text.
template <class F>
void ForEachLine(std::string_view text, F&& line) {
  NextOf cr(text, '\r'), lf(text, '\n');
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t nextCr = cr.From(start);
    const std::size_t end = std::min(nextCr, lf.From(start));
    line(start, end);
    if (end == text.size()) break;
    start = end + 1;
    if (end == nextCr && start < text.size() && text[start] == '\n') ++start;
  }
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

void TVantrel::Save(const std::string& folder) {
  if (pending_.empty()) return;

  // Lines are changed in place and put back if the file cannot be written, so
  // a failed save leaves the document as it was.
  std::vector<std::pair<std::size_t, std::string_view>> replaced;
  for (const auto& entry : pending_) {
    std::size_t eq = entry.find('=');
    std::string_view name = std::string_view(entry).substr(0, eq);
    std::string_view value = std::string_view(entry).substr(eq + 1);
    long at = conf::FindLast(lines_, name);
    if (at < 0) continue;
    std::string_view& line = lines_[static_cast<std::size_t>(at)];
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
    rewritten_.push_back(std::move(updated));
    line = rewritten_.back();
  }

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
