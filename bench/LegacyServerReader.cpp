#include "LegacyServerReader.h"

#include <algorithm>
#include <unordered_map>

#include "config/base/Text.h"
#include "format/KeyIndex.h"

namespace {

using conf::NextOf;
using conf::Quoted;
using conf::Trim;

ServerLine Split(std::string_view line, std::size_t hash, std::size_t firstEquals) {
  ServerLine result;
  if (firstEquals < hash) {
    result.kind = ServerLine::Kind::Setting;
    result.key = Trim(line.substr(0, firstEquals));
    result.value = Trim(line.substr(firstEquals + 1, hash - firstEquals - 1));
  } else if (!Trim(line.substr(0, hash)).empty()) {
    result.kind = ServerLine::Kind::NoEquals;
  }
  return result;
}

// Walks the text once. For every line, onLine(number, line, server reading);
// for every catalogue key written "<Key> =" in it (the editor's rule),
// onMention(number, line, key, position of its "=", position of the line's
// first "#" or the line's size).
template <class OnLine, class OnMention>
void Scan(std::string_view text, OnLine&& onLine, OnMention&& onMention) {
  NextOf equals(text, '='), hashes(text, '#');
  std::size_t number = 0;
  conf::ForEachLine(text, [&](std::size_t start, std::size_t end) {
    ++number;
    const std::string_view line(text.data() + start, end - start);
    const std::size_t hash = std::min(hashes.From(start), end) - start;
    const std::size_t firstEquals = std::min(equals.From(start), end) - start;
    onLine(number, line, Split(line, hash, firstEquals));
    for (std::size_t eq = equals.From(start); eq < end; eq = equals.From(eq + 1))
      conf::ForEachKeyBefore(line, eq - start, [&](ParamKey key) {
        onMention(number, line, key, eq - start, hash);
      });
  });
}

// The leading digits without their leading zeros; "0" when there are none.
std::string LeadingNumber(std::string_view text, bool negativeAllowed) {
  const bool negative = negativeAllowed && !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  std::size_t first = 0;
  while (first + 1 < digits && text[first] == '0') ++first;
  if (digits == 0 || (digits - first == 1 && text[first] == '0')) return "0";
  return (negative ? "-" : "") + std::string(text.substr(first, digits - first));
}

// The findings about one active line's value.
void CheckValue(std::size_t number, ParamKey key, std::string_view value,
                std::vector<Finding>& findings) {
  if (value.empty()) return;  // the built-in value, as meant
  const ParameterRule& rule = RuleOf(key);
  const std::string name(KeyName(key));
  const std::string written = name + " = " + std::string(value);
  auto add = [&](std::string message) { findings.push_back({number, name, std::move(message)}); };
  switch (rule.kind) {
    case SettingKind::Integer: {
      const std::string read = ServerValue(key, value);
      if (!IsPlainNumber(key, value)) add(written + ": the server reads " + read);
      if (rule.range && !rule.range->Contains(NumberValue(read)))
        add(name + " = " + read + ": outside the range " + std::to_string(rule.range->min) +
            " to " + std::to_string(rule.range->max));
      break;
    }
    case SettingKind::Boolean:
      if (!conf::AllDigits(value))
        add(written + ": the server reads " +
            (ServerValue(key, value) == "1" ? "1 (on)" : "0 (off)"));
      break;
    case SettingKind::Keyword:
      if (!KeywordIndex(key, value)) add(written + ": not one of " + conf::Join(rule.keywords, ", "));
      break;
    case SettingKind::Text:
    case SettingKind::PluginList:
    case SettingKind::AccessPolicy:
    case SettingKind::PathList:
      break;
  }
}

// What to say about a name that is no key: the key in another letter case,
// a near miss or something else. Files repeat their unknown names, so the
// words for each name are found once.
class UnknownKeys {
 public:
  const std::string& MessageFor(std::string_view name) {
    auto found = messages_.find(name);
    if (found == messages_.end()) found = messages_.emplace(name, Compose(name)).first;
    return found->second;
  }

 private:
  static std::string Compose(std::string_view name) {
    if (name.empty()) return "\"=\" without a parameter name before it";
    constexpr std::size_t kNear = 3;
    const NearestKey nearest = ClosestKey(name, kNear);
    const std::string suggestion(KeyName(nearest.key));
    if (nearest.distance == 0)
      return Quoted(name) + " is not " + suggestion +
             ": keys are case-sensitive, so the server ignores this line";
    std::string message = "unknown parameter " + Quoted(name);
    if (nearest.distance <= kNear && nearest.distance * 2 < name.size())
      message += "; did you mean " + suggestion + "?";
    return message;
  }
  std::unordered_map<std::string_view, std::string> messages_;
};

}  // namespace

ServerLine ReadServerLine(std::string_view line) {
  return Split(line, std::min(line.find('#'), line.size()), std::min(line.find('='), line.size()));
}

std::string ServerValue(ParamKey key, std::string_view text) {
  switch (KindOf(key)) {
    case SettingKind::Integer:
      return LeadingNumber(text, RuleOf(key).negativeAllowed);
    case SettingKind::Boolean:
      return LeadingNumber(text, false) == "0" ? "0" : "1";
    case SettingKind::Keyword:
    case SettingKind::Text:
    case SettingKind::PluginList:
    case SettingKind::AccessPolicy:
    case SettingKind::PathList:
      break;
  }
  return std::string(text);
}

ServerSettings ReadAsServer(std::string_view text) {
  struct Seen {
    std::size_t line = 0;
    std::string_view value;
  };
  std::array<Seen, kParameterCount> active{}, commented{};
  Scan(
      text,
      [&](std::size_t number, std::string_view, const ServerLine& line) {
        if (line.kind != ServerLine::Kind::Setting) return;
        if (const auto key = FindKey(line.key))
          active[static_cast<std::size_t>(*key)] = {number, line.value};
      },
      [&](std::size_t number, std::string_view line, ParamKey key, std::size_t eq,
          std::size_t hash) {
        if (eq < hash) return;  // in the active part of the line, not a comment
        const std::size_t end = std::min(line.find('#', eq + 1), line.size());
        commented[static_cast<std::size_t>(key)] = {number, Trim(line.substr(eq + 1, end - eq - 1))};
      });

  ServerSettings settings;
  for (const auto& p : kParameters) {
    const std::size_t i = static_cast<std::size_t>(p.key);
    ServerSetting& s = settings[i];
    const Seen& seen = active[i].line ? active[i] : commented[i];
    if (seen.line) {
      s.state = active[i].line ? ValueState::Active : ValueState::Commented;
      s.line = seen.line;
      s.fileText = seen.value;
    }
    s.usesDefault = s.state != ValueState::Active || s.fileText.empty();
    s.value = s.usesDefault ? std::string(DefaultText(p.key)) : ServerValue(p.key, s.fileText);
  }
  return settings;
}

std::vector<Finding> CheckAsServer(std::string_view text) {
  std::vector<Finding> findings;
  std::array<std::vector<std::size_t>, kParameterCount> activeLines;
  std::array<std::size_t, kParameterCount> editorLine{};  // the last line holding "<Key> ="
  UnknownKeys unknownKeys;
  Scan(
      text,
      [&](std::size_t number, std::string_view text, const ServerLine& line) {
        if (line.kind == ServerLine::Kind::Setting) {
          // The value as written, up to the comment: trimming must not hide a
          // control character at either end, which the server keeps.
          const std::size_t eq = text.find('=');
          const std::string_view raw = text.substr(eq + 1, text.find('#', eq) - eq - 1);
          if (const auto found = ControlCharacterIn(raw))
            findings.push_back({number, std::string(line.key),
                                std::string(line.key) + ": the value holds the control character " +
                                    *found + ", which the server reads as part of it"});
        }
        if (line.kind == ServerLine::Kind::NoEquals) {
          findings.push_back({number, "",
                              "no \"=\" on this line: a 2.0 or 2.1 server refuses to start on it"});
        } else if (line.kind == ServerLine::Kind::Setting) {
          if (const auto key = FindKey(line.key)) {
            activeLines[static_cast<std::size_t>(*key)].push_back(number);
            CheckValue(number, *key, line.value, findings);
          } else {
            findings.push_back({number, std::string(line.key), unknownKeys.MessageFor(line.key)});
          }
        }
      },
      [&](std::size_t number, std::string_view, ParamKey key, std::size_t, std::size_t) {
        editorLine[static_cast<std::size_t>(key)] = number;
      });

  for (const auto& p : kParameters) {
    const std::size_t i = static_cast<std::size_t>(p.key);
    const auto& lines = activeLines[i];
    if (lines.empty()) continue;
    const std::string name(p.name);
    const std::string wins = std::to_string(lines.back());
    for (std::size_t j = 0; j + 1 < lines.size(); ++j)
      findings.push_back({lines[j], name, name + " is set again on line " + wins +
                                              ", which the server uses"});
    if (editorLine[i] > lines.back())
      findings.push_back({editorLine[i], name,
                          name + " appears again below its active line " + wins +
                              ": the server uses line " + wins + ", the editor shows this one"});
  }
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  return findings;
}
