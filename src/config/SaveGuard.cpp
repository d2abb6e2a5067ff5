#include "config/SaveGuard.h"

#include <set>

#include "config/LineScan.h"
#include "config/ParameterRules.h"
#include "config/ConfReading.h"
#include "config/TVantrel.h"

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

bool SameReading(const ConfSetting& a, const ConfSetting& b) {
  const bool activeA = a.state == ValueState::Active, activeB = b.state == ValueState::Active;
  return activeA == activeB && (!activeA || (a.fileText == b.fileText && a.file == b.file));
}

}  // namespace

std::vector<std::string> UntouchedParametersReadDifferently(const TVantrel& doc) {
  std::set<SettingId> changed;
  for (const std::string& entry : doc.PendingChanges())
    if (const auto id = FindSetting(std::string_view(entry).substr(0, entry.find('='))))
      changed.insert(*id);
  // Read by the file's version, as the server of that version reads it.
  const ServerVersion version = doc.Version();
  const std::string path = doc.Folder() + "firebird.conf";
  const ConfReading before = ReadConf(conf::JoinLines(doc.Lines()), path, version);
  const ConfReading after = ReadConf(conf::JoinLines(doc.LinesAfterSave()), path, version);
  std::vector<std::string> problems;
  if (after.refusedAt && !before.refusedAt) {
    const ConfEntry& e = after.entries[*after.refusedAt];
    problems.push_back("after this save Firebird " + std::string(VersionName(version)) +
                       " would refuse the whole file: line " + std::to_string(e.line) + ", " + e.problem);
    return problems;
  }
  for (const SettingId id : SettingsReadBy(version)) {
    if (changed.count(id) || SameReading(before.settings[id], after.settings[id])) continue;
    problems.push_back(std::string(SettingOf(id).name) +
                       " is not being changed, but after this save the server would read " +
                       Reading(after.settings[id]) + " instead of " + Reading(before.settings[id]));
  }
  return problems;
}
