#include "config/SaveGuard.h"

#include <set>

#include "config/LineScan.h"
#include "config/ParameterRules.h"
#include "config/ServerReader.h"
#include "config/TVantrel.h"

namespace {

// What the server reads for one parameter: the text of its winning active
// line, or nothing (its built-in value).
std::string Reading(const ServerSetting& s) {
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

bool SameReading(const ServerSetting& a, const ServerSetting& b) {
  const bool activeA = a.state == ValueState::Active, activeB = b.state == ValueState::Active;
  return activeA == activeB && (!activeA || a.fileText == b.fileText);
}

}  // namespace

std::vector<std::string> UntouchedParametersReadDifferently(const TVantrel& doc) {
  std::set<ParamKey> changed;
  for (const std::string& entry : doc.PendingChanges())
    if (const auto key = FindKey(std::string_view(entry).substr(0, entry.find('='))))
      changed.insert(*key);
  const ServerSettings before = ReadAsServer(conf::JoinLines(doc.Lines()));
  const ServerSettings after = ReadAsServer(conf::JoinLines(doc.LinesAfterSave()));
  std::vector<std::string> problems;
  for (const auto& p : kParameters) {
    const std::size_t i = static_cast<std::size_t>(p.key);
    if (changed.count(p.key) || SameReading(before[i], after[i])) continue;
    problems.push_back(std::string(p.name) + " is not being changed, but after this save the server would read " +
                       Reading(after[i]) + " instead of " + Reading(before[i]));
  }
  return problems;
}
