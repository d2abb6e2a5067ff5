#include "config/format/ConfReading.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "format/GenerationReaders.h"
#include "config/fs/NativeFile.h"
#include "config/base/Text.h"
#include "config/firebird/ServerNumbers.h"

namespace conf {

// Sets the values of a reading whose lines have been read.
void Resolve(ConfReading& reading);

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

std::optional<std::string_view> KeywordOf(SettingId id, std::string_view value, ServerVersion v) {
  const SettingInfo& s = SettingInfoOf(id);
  // Compared exactly: DataTypeCompatibility everywhere, GCPolicy by 3.0.
  const bool exact = s.name == "DataTypeCompatibility" || (s.name == "GCPolicy" && v == ServerVersion::V3_0);
  for (std::string_view k : s.keywords)
    if (exact ? value == k : conf::EqualsIgnoringCase(value, k)) return k;
  return std::nullopt;
}

namespace {

std::string FormatDefault(SettingId id, ServerVersion v, bool superMode) {
  const std::string_view d = DefaultOf(id, v, superMode);
  if (SettingInfoOf(id).kind == SettingKind::Boolean && GenerationOf(v) == Generation::V2)
    return d == "true" ? "1" : "0";
  return std::string(d);
}

}  // namespace

long long LeadingInteger(std::string_view text) { return Atoi(text); }

std::optional<long long> StrictInteger(std::string_view text) {
  const ReadNumber n = ReadInteger(text, ServerVersion::V3_0);
  return n.valid ? std::optional<long long>(n.stored) : std::nullopt;
}

bool ReadsTrue(std::string_view text) {
  return Atoi(text) != 0 || conf::EqualsIgnoringCase(text, "true") || conf::EqualsIgnoringCase(text, "yes") ||
         conf::EqualsIgnoringCase(text, "y");
}

std::string DefaultValueOf(SettingId id, ServerVersion v, bool superMode) {
  return FormatDefault(id, v, superMode);
}

std::string_view UpToNul(std::string_view value) { return value.substr(0, value.find('\0')); }

std::string ServerValueOf(SettingId id, std::string_view value, ServerVersion v, bool superMode) {
  NumberContext context;
  context.superMode = superMode;
  return ServerValueOf(id, value, v, context);
}

std::string ServerValueOf(SettingId id, std::string_view written, ServerVersion v, const NumberContext& context) {
  const SettingInfo& s = SettingInfoOf(id);
  const bool v2 = GenerationOf(v) == Generation::V2;
  // An empty value is the built-in one for 2.x; 3.0+ reads it as 0, false
  // or an empty text. A value made of a NUL byte alone is not empty.
  if (v2 && written.empty()) return FormatDefault(id, v, context.superMode);
  // Every server reads a value as a C string: a NUL byte ends it.
  const std::string_view value = UpToNul(written);
  switch (s.kind) {
    case SettingKind::Integer: {
      const ReadNumber n = ReadInteger(value, v);
      return std::to_string(UsedInteger(id, n.valid ? n.stored : 0, v, context).value);
    }
    case SettingKind::Boolean:
      if (v2) return Atoi(value) != 0 ? "1" : "0";
      return ReadsTrue(value) ? "true" : "false";
    case SettingKind::Keyword:
      if (const auto k = KeywordOf(id, value, v)) return std::string(*k);
      return FormatDefault(id, v, context.superMode);
    case SettingKind::AccessPolicy:
      if (!TakesAccessPolicy(value, v)) return "None";
      break;
    case SettingKind::Text:
    case SettingKind::PluginList:
    case SettingKind::PathList:
      break;
  }
  return std::string(value);
}

bool TakesAccessPolicy(std::string_view value, ServerVersion v) {
  // 2.0 and 2.1 were not read for this.
  if (v < ServerVersion::V2_5) return true;
  // Compared as paths: exactly on POSIX 3.0+, ignoring case on Windows and 2.x.
  const bool anyCase = conf::native::kWindows || GenerationOf(v) == Generation::V2;
  auto is = [&](std::string_view a, std::string_view b) { return anyCase ? conf::EqualsIgnoringCase(a, b) : a == b; };
  if (is(value, "None") || is(value, "Full")) return true;
  return value.size() > 8 && is(value.substr(0, 8), "Restrict") && (value[8] == ' ' || value[8] == '\t');
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
  PerSetting<const ConfEntry*> winner{};
  for (const ConfEntry& e : reading.entries) {
    if (!e.id || (e.kind != ConfEntry::Kind::Setting && e.kind != ConfEntry::Kind::BareName)) continue;
    const ConfEntry*& w = winner[*e.id];
    if (v2 ? e.kind == ConfEntry::Kind::Setting : !w) w = &e;
  }
  if (!v2) {
    const SettingId mode = *FindSetting("ServerMode");
    if (winner[mode] && winner[mode]->kind == ConfEntry::Kind::Setting)
      reading.superMode = IsSuperMode(UpToNul(winner[mode]->value));
  }

  NumberContext context;
  context.superMode = reading.superMode;
  static const SettingId kMaxParallelWorkers = *FindSetting("MaxParallelWorkers");
  for (const SettingId id : AllSettings()) {
    if (!ReadBy(id, version)) continue;
    ConfSetting& s = reading.settings[id];
    if (const ConfEntry* w = winner[id]) {
      s.state = ValueState::Active;
      s.file = w->file;
      s.line = w->line;
      s.fileText = w->value;
      s.usesDefault = w->kind == ConfEntry::Kind::BareName || (v2 && w->value.empty());
      s.macros = w->macros;
    } else if (const ConfMention& m = reading.commented[id]; m.line) {
      s.state = ValueState::Commented;
      s.file = m.file;
      s.line = m.line;
      s.fileText = m.value;
    }
    s.value = s.usesDefault ? FormatDefault(id, version, reading.superMode)
                            : ServerValueOf(id, s.fileText, version, context);
    s.read = s.value;
    if (!s.usesDefault && SettingInfoOf(id).kind == SettingKind::Integer) {
      const ReadNumber n = ReadInteger(UpToNul(s.fileText), version);
      s.read = std::to_string(n.valid ? n.stored : 0);
    }
    // The server's code takes the value it uses, 5.0's ParallelWorkers the
    // MaxParallelWorkers it ends up with.
    if (id == kMaxParallelWorkers) context.maxParallelWorkers = std::stoll(s.value);
  }
}

void ApplyBuildFolders(ConfReading& reading) { ApplyBuildFolders(reading, SettingsReadBy(reading.version)); }

void ApplyBuildFolders(ConfReading& reading, const std::vector<SettingId>& ids) {
  std::optional<BuildFolders> folders;
  auto get = [&]() -> const BuildFolders& {
    if (!folders) folders = BuildFoldersFor(reading.files.front(), reading.version);
    return *folders;
  };
  for (const SettingId id : ids) {
    ConfSetting& s = reading.settings[id];
    if (!ReadBy(id, reading.version)) continue;
    if (SettingInfoOf(id).name == "UdfAccess" && (reading.version == ServerVersion::V2_5 || reading.version == ServerVersion::V3_0)) {
      // Exactly so on POSIX 3.0, in any case on Windows and 2.x.
      const bool anyCase = conf::native::kWindows || reading.version == ServerVersion::V2_5;
      const bool restrictUdf = anyCase ? conf::EqualsIgnoringCase(s.value, "Restrict UDF") : s.value == "Restrict UDF";
      if (restrictUdf && get().udfFolderBuild) {
        const BuildFolder& udf = get()[BuildMacro::Udf];
        s.value = s.read = "Restrict " + udf.text;
        s.macros = udf.source;
      }
      continue;
    }
    if (!s.usesDefault && s.state == ValueState::Active) continue;
    const std::size_t open = s.value.find("$(");
    if (open == std::string::npos) continue;
    const std::size_t close = s.value.find(')', open);
    if (close == std::string::npos) continue;
    const auto macro = BuildMacroNamed(std::string_view(s.value).substr(open + 2, close - open - 2));
    if (!macro) continue;
    const BuildFolder& folder = get()[*macro];
    s.macros = folder.source;
    if (folder.source == FolderSource::Unknown) continue;
    std::string expanded = s.value.substr(0, open);
    AppendFolder(expanded, folder.text, std::string_view(s.value).substr(close + 1));
    s.value = s.read = expanded + s.value.substr(close + 1);
  }
}
