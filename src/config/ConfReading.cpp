#include "config/ConfReading.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "config/GenerationReaders.h"
#include "config/LineScan.h"

namespace conf {

void NoteMentions(std::string_view comment, std::size_t file, std::size_t line, ConfReading& reading) {
  auto isNameChar = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  };
  for (std::size_t eq = comment.find('='); eq != std::string_view::npos; eq = comment.find('=', eq + 1)) {
    std::size_t nameEnd = eq;
    while (nameEnd > 0 && (comment[nameEnd - 1] == ' ' || comment[nameEnd - 1] == '\t')) --nameEnd;
    std::size_t nameStart = nameEnd;
    while (nameStart > 0 && isNameChar(comment[nameStart - 1])) --nameStart;
    if (nameStart == nameEnd) continue;
    const auto id = FindSetting(comment.substr(nameStart, nameEnd - nameStart));
    if (!id) continue;
    const std::size_t end = std::min(comment.find('#', eq + 1), comment.size());
    ConfMention& m = reading.commented[*id];
    m.file = file;
    m.line = line;
    m.value = TrimServerBlanks(comment.substr(eq + 1, end - eq - 1));
  }
}

}  // namespace conf

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::string_view> KeywordOf(SettingId id, std::string_view value, ServerVersion v) {
  const SettingInfo& s = SettingOf(id);
  // Compared exactly: DataTypeCompatibility everywhere, GCPolicy by 3.0.
  const bool exact = s.name == "DataTypeCompatibility" || (s.name == "GCPolicy" && v == ServerVersion::V3_0);
  for (std::string_view k : s.keywords)
    if (exact ? value == k : conf::EqualsIgnoringCase(value, k)) return k;
  return std::nullopt;
}

namespace {

std::string FormatDefault(SettingId id, ServerVersion v, bool superMode) {
  const std::string_view d = DefaultOf(id, v, superMode);
  if (SettingOf(id).kind == SettingKind::Boolean && GenerationOf(v) == Generation::V2)
    return d == "true" ? "1" : "0";
  return std::string(d);
}

}  // namespace

long long LeadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i)
    value = value > (LLONG_MAX - 9) / 10 ? LLONG_MAX : value * 10 + (text[i] - '0');
  return negative ? -value : value;
}

std::optional<long long> StrictInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  for (; i < text.size() && text[i] == '-'; ++i) negative = !negative;
  // 64-bit arithmetic that wraps, as the server's does.
  unsigned long long value = 0;
  const std::size_t digits = i;
  for (; i < text.size() && IsDigit(text[i]); ++i) value = value * 10 + static_cast<unsigned>(text[i] - '0');
  if (i < text.size() && i > digits) {
    const char c = conf::AsciiLower(text[i]);
    const int shift = c == 'k' ? 10 : c == 'm' ? 20 : c == 'g' ? 30 : -1;
    if (shift < 0) return std::nullopt;
    value <<= shift;
    ++i;
  }
  if (i != text.size()) return std::nullopt;
  return static_cast<long long>(negative ? 0 - value : value);
}

bool ReadsTrue(std::string_view text) {
  return LeadingInteger(text) != 0 || conf::EqualsIgnoringCase(text, "true") ||
         conf::EqualsIgnoringCase(text, "yes") || conf::EqualsIgnoringCase(text, "y");
}

std::string DefaultValueOf(SettingId id, ServerVersion v, bool superMode) {
  return FormatDefault(id, v, superMode);
}

std::string ServerValueOf(SettingId id, std::string_view value, ServerVersion v, bool superMode) {
  const SettingInfo& s = SettingOf(id);
  const bool v2 = GenerationOf(v) == Generation::V2;
  // An empty value is the built-in one for 2.x; 3.0+ reads it as 0, false
  // or an empty text.
  if (v2 && value.empty()) return FormatDefault(id, v, superMode);
  switch (s.kind) {
    case SettingKind::Integer: {
      long long n = v2 ? LeadingInteger(value) : StrictInteger(value).value_or(0);
      // The 3.0+ server keeps its packet size within what it can use.
      if (!v2 && s.name == "TcpRemoteBufferSize" && s.range) n = std::clamp(n, s.range->min, s.range->max);
      return std::to_string(n);
    }
    case SettingKind::Boolean:
      if (v2) return LeadingInteger(value) != 0 ? "1" : "0";
      return ReadsTrue(value) ? "true" : "false";
    case SettingKind::Keyword:
      if (const auto k = KeywordOf(id, value, v)) return std::string(*k);
      return FormatDefault(id, v, superMode);
    case SettingKind::Text:
    case SettingKind::PluginList:
    case SettingKind::AccessPolicy:
    case SettingKind::PathList:
      break;
  }
  return std::string(value);
}

ConfReading ReadConf(std::string_view text, const std::string& path, ServerVersion version) {
  ConfReading reading;
  reading.version = version;
  if (GenerationOf(version) == Generation::V2)
    conf::ReadGeneration2(text, path, reading);
  else
    conf::ReadGeneration3(text, path, reading);
  conf::Resolve(reading);
  return reading;
}

ConfReading ReadConfAsDetected(std::string_view text, const std::string& path, DetectedVersion& detected) {
  const conf::Header header = conf::HeaderOf(text);
  if (header.version) {
    detected = {*header.version, VersionCue::Header};
    return ReadConf(text, path, *header.version);
  }
  // The 2.x reader sees the names; a 2.x file then needs no second pass.
  ConfReading reading;
  conf::ReadGeneration2(text, path, reading);
  detected = conf::VersionFromNames(conf::NamesIn(reading), header.found);
  if (GenerationOf(detected.version) == Generation::V3) return ReadConf(text, path, detected.version);
  reading.version = detected.version;
  conf::Resolve(reading);
  return reading;
}

void conf::Resolve(ConfReading& reading) {
  const ServerVersion version = reading.version;
  const bool v2 = GenerationOf(version) == Generation::V2;

  // The line each name takes its value from: 2.x the last, 3.0+ the first
  // (a bare name included: it takes the place and leaves the default).
  std::array<const ConfEntry*, kSettingCount> winner{};
  for (const ConfEntry& e : reading.entries) {
    if (!e.id || e.kind == ConfEntry::Kind::Refused) continue;
    const ConfEntry*& w = winner[*e.id];
    if (v2 ? e.kind == ConfEntry::Kind::Setting : !w) w = &e;
  }
  if (!v2) {
    const SettingId mode = *FindSetting("ServerMode");
    if (winner[mode] && winner[mode]->kind == ConfEntry::Kind::Setting)
      reading.superMode = IsSuperMode(winner[mode]->value);
  }

  for (SettingId id = 0; id < kSettingCount; ++id) {
    if (!ReadBy(id, version)) continue;
    ConfSetting& s = reading.settings[id];
    if (const ConfEntry* w = winner[id]) {
      s.state = ValueState::Active;
      s.file = w->file;
      s.line = w->line;
      s.fileText = w->value;
      s.usesDefault = w->kind == ConfEntry::Kind::BareName || (v2 && w->value.empty());
    } else if (const ConfMention& m = reading.commented[id]; m.line) {
      s.state = ValueState::Commented;
      s.file = m.file;
      s.line = m.line;
      s.fileText = m.value;
    }
    s.value = s.usesDefault ? FormatDefault(id, version, reading.superMode)
                            : ServerValueOf(id, s.fileText, version, reading.superMode);
  }
}
