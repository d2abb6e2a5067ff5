#include "config/document/CheckedChanges.h"

#include <set>

#include "config/format/ConfLines.h"
#include "config/firebird/ParameterRules.h"
#include "config/document/SaveGuard.h"
#include "config/document/SavePolicy.h"
#include "config/document/SettingValues.h"
#include "config/document/TVantrel.h"

namespace conf {
namespace {

// The pairs as values written in a form the version reads; every one that
// cannot be written is refused.
SettingChanges Written(const GivenPairs& given, ServerVersion v, std::vector<std::string>& refusals,
                       std::vector<std::string>& notices) {
  SettingChanges changes;
  std::set<SettingId> seen;
  for (const auto& [name, written] : given) {
    std::string problem;
    const auto id = NameReadBy(name, v, problem);
    if (!id) {
      refusals.push_back(problem);
      continue;
    }
    const std::string known(SettingInfoOf(*id).name);
    // Every server takes a value without the blanks around it: they are
    // left out, and the user told so.
    const std::size_t first = written.find_first_not_of(" \t");
    const std::string value =
        first == std::string::npos ? std::string() : written.substr(first, written.find_last_not_of(" \t") - first + 1);
    if (value.size() != written.size()) notices.push_back(known + ": the blanks around the value are left out, as the server reads it");
    if (!seen.insert(*id).second) {
      refusals.push_back(known + " is given more than once");
    } else if (const auto problem = SaveValueProblem(*id, value, v, PageValues::AsTheirVersionReads)) {
      refusals.push_back(known + ": " + *problem);
    } else {
      changes.emplace_back(*id, WrittenForm(*id, value, v));
    }
  }
  return changes;
}

}  // namespace

std::optional<SettingId> NameReadBy(const std::string& name, ServerVersion v, std::string& problem) {
  const auto id = FindSetting(name);
  if (!id)
    problem = UnknownNameMessage(name, v);
  else if (!ReadBy(*id, v))
    problem = NotReadMessage(SettingInfoOf(*id).name, *id, v);
  else
    return id;
  return std::nullopt;
}

CheckedChanges CheckAndApply(TVantrel& doc, const GivenPairs& given, const std::string& path) {
  CheckedChanges r;
  std::vector<std::string>& refusals = r.refusals;
  r.changes = Written(given, doc.Version(), refusals, r.notices);
  r.before = doc.Lines();
  r.after = r.before;
  r.current = ReadConf(JoinLines(r.before), path, doc.Version());
  // A file the server refuses as it is, and names it has no line for.
  if (r.current.refusedAt) {
    const ConfEntry& e = r.current.entries[*r.current.refusedAt];
    refusals.push_back("Firebird " + std::string(VersionName(r.current.version)) + " refuses this file as it is (" +
                       r.current.files[e.file] + ":" + std::to_string(e.line) + ": " + e.problem + ")");
  }
  for (const auto& [id, value] : r.changes)
    if (Decode(doc.ValueOf(id)).state == ValueState::Absent) refusals.push_back(LineNotRewritten(id, r.current));
  if (!refusals.empty()) return r;

  r.lineOf = doc.SettingLines();
  for (const auto& [id, value] : r.changes) doc.SetValueOf(id, value);
  r.after = doc.LinesAfterSave();
  r.changed = ReadConf(JoinLines(r.after), path, doc.Version());
  // The change must land on the line the server reads, and no other
  // parameter may read differently.
  for (const auto& [id, value] : r.changes)
    if (const auto problem = ChangeWithoutEffect(id, value, r.changed)) refusals.push_back(*problem);
  for (const std::string& problem : UntouchedParametersReadDifferently(doc, r.current, r.changed))
    refusals.push_back(problem);
  return r;
}

}  // namespace conf
