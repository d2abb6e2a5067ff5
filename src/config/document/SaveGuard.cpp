#include "config/document/SaveGuard.h"

#include <algorithm>
#include <set>

#include "config/base/Text.h"
#include "config/firebird/ParameterRules.h"
#include "config/format/ConfReading.h"
#include "config/document/TVantrel.h"

namespace {

// What the server reads for one parameter: the text of its winning active
// line, or nothing (its built-in value).
std::string Reading(const ConfSetting& s) {
  if (s.state != ValueState::Active) return "its built-in value";
  std::string text = "\"";
  for (const char c : s.fileText) {
    if (static_cast<unsigned char>(c) < 32 && c != '\t') {
      text += "\\x" + conf::HexDigits(static_cast<unsigned char>(c));
    } else {
      text += c;
    }
  }
  return text + "\" (line " + std::to_string(s.line) + ")";
}

// A value as the server takes it from its line: without blanks around it.
std::string WithoutOuterBlanks(std::string_view value) {
  const std::size_t first = value.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(value.substr(first, value.find_last_not_of(" \t") - first + 1));
}

bool SameReading(const ConfSetting& a, const ConfSetting& b) {
  const bool activeA = a.state == ValueState::Active, activeB = b.state == ValueState::Active;
  return activeA == activeB && (!activeA || (a.fileText == b.fileText && a.file == b.file));
}

}  // namespace

std::vector<std::string> UntouchedParametersReadDifferently(const TVantrel& doc) {
  // Read by the file's version, as the server of that version reads it.
  const ServerVersion version = doc.Version();
  // Included files are found from the file read, not from the folder its
  // RootDirectory names.
  const std::string path = doc.DiskPath().empty() ? doc.Folder() + "firebird.conf" : doc.DiskPath();
  return UntouchedParametersReadDifferently(doc, ReadConf(conf::JoinLines(doc.Lines()), path, version),
                                            ReadConf(conf::JoinLines(doc.LinesAfterSave()), path, version));
}

std::vector<std::string> UntouchedParametersReadDifferently(const TVantrel& doc, const ConfReading& before,
                                                            const ConfReading& after) {
  std::set<SettingId> changed;
  for (const std::string& entry : doc.PendingChanges())
    if (const auto id = FindSetting(std::string_view(entry).substr(0, entry.find('='))))
      changed.insert(*id);
  const ServerVersion version = before.version;
  std::vector<std::string> problems;
  if (after.refusedAt && !before.refusedAt) {
    const ConfEntry& e = after.entries[*after.refusedAt];
    problems.push_back("after this save Firebird " + std::string(VersionName(version)) +
                       " would refuse the whole file: line " + std::to_string(e.line) + ", " + e.problem);
    return problems;
  }
  for (const SettingId id : SettingsReadBy(version)) {
    if (changed.count(id) || SameReading(before.settings[id], after.settings[id])) continue;
    problems.push_back(std::string(SettingInfoOf(id).name) +
                       " is not being changed, but after this save the server would read " +
                       Reading(after.settings[id]) + " instead of " + Reading(before.settings[id]));
  }
  return problems;
}

std::string LineNotRewritten(SettingId id, const ConfReading& reading) {
  const std::string name(SettingInfoOf(id).name);
  const ConfSetting& s = reading.settings[id];
  if (s.state != ValueState::Active)
    return name + ": not supported by this file (it has no line for it); no line is added";
  std::string where = "line " + std::to_string(s.line);
  if (s.file != 0) where += " of " + reading.files[s.file];
  return name + ": the server reads it from " + where + ", which this program does not rewrite";
}

std::optional<std::string> ChangeWithoutEffect(SettingId id, std::string_view value, const ConfReading& after) {
  const ConfSetting& s = after.settings[id];
  if (s.state == ValueState::Active && s.file == 0 && !s.usesDefault && s.fileText == WithoutOuterBlanks(value))
    return std::nullopt;
  const auto hiding = std::find_if(after.entries.begin(), after.entries.end(), [&](const ConfEntry& e) {
    return e.id == id && e.kind == ConfEntry::Kind::BareName;
  });
  if (hiding != after.entries.end() && GenerationOf(after.version) == Generation::V3)
    return std::string(SettingInfoOf(id).name) + ": line " + std::to_string(hiding->line) +
           " names it without \"=\" above the line written, so the server keeps its default";
  return LineNotRewritten(id, after);
}
