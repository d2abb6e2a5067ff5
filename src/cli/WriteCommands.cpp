// The commands that change firebird.conf: set and reset.

#include <ostream>
#include <set>

#include "cli/Commands.h"
#include "cli/UnifiedDiff.h"
#include "cli/Session.h"
#include "config/FileLock.h"
#include "config/LineScan.h"
#include "config/SaveGuard.h"
#include "config/SettingValues.h"
#include "config/TVantrel.h"

namespace cli {

int Session::Set(const std::vector<std::string>& pairs) {
  std::vector<std::pair<std::string, std::string>> given;
  for (const std::string& pair : pairs) {
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos) return Usage(conf::Quoted(pair) + " is not KEY=VALUE");
    given.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
  }

  // Held from reading the file to replacing it, so that another writer's
  // change is read first or made after ours, never lost.
  std::optional<conf::FileLock> lock;
  if (!o_.dryRun) lock.emplace(ConfPath());
  TVantrel doc;
  if (o_.serverVersion)
    doc.Load(folder_, *o_.serverVersion);
  else
    doc.Load(folder_);

  // Every pair is checked before anything is written; one refusal writes
  // nothing at all.
  bool refused = false;
  const Changes changes = CheckedChanges(given, doc.Version(), refused);
  const std::vector<std::string> before = doc.Lines();
  const ConfReading current = ReadConf(conf::JoinLines(before), ConfPath(), doc.Version());
  RefuseWhatCannotBeWritten(doc, current, changes, refused);
  if (refused) return Fail("nothing was written", kFindings);

  for (const auto& [id, value] : changes) doc.SetValueOf(id, value);
  const std::vector<std::string> after = doc.LinesAfterSave();
  RefuseWhatWouldNotTakeEffect(doc, current, changes, after, refused);
  if (refused) return Fail("nothing was written", kFindings);

  // The diff tells what happened, so it comes once the file is replaced.
  if (!o_.dryRun) doc.Save(folder_, *lock);
  out_ << UnifiedDiff(ConfPath(), before, after);
  return kDone;
}

Session::Changes Session::CheckedChanges(const std::vector<std::pair<std::string, std::string>>& given,
                                         ServerVersion v, bool& refused) {
  Changes changes;
  std::set<SettingId> seen;
  for (const auto& [name, written] : given) {
    const auto id = ReadName(name, v, refused);
    if (!id) continue;
    const std::string known(SettingOf(*id).name);
    // Every server takes a value without the blanks around it: they are
    // left out, and the user told so.
    const std::size_t first = written.find_first_not_of(" \t");
    const std::string value =
        first == std::string::npos ? std::string() : written.substr(first, written.find_last_not_of(" \t") - first + 1);
    if (value.size() != written.size())
      err_ << kProgram << ": " << known << ": the blanks around the value are left out, as the server reads it\n";
    if (!seen.insert(*id).second) {
      Refuse(known + " is given more than once", refused);
    } else if (const auto problem = WriteProblem(*id, value, v)) {
      Refuse(known + ": " + *problem, refused);
    } else {
      changes.emplace_back(*id, WrittenForm(*id, value, v));
    }
  }
  return changes;
}

void Session::RefuseWhatCannotBeWritten(const TVantrel& doc, const ConfReading& current, const Changes& changes,
                                        bool& refused) {
  const ServerVersion version = current.version;
  if (current.refusedAt) {
    const ConfEntry& e = current.entries[*current.refusedAt];
    Refuse("Firebird " + std::string(VersionName(version)) + " refuses this file as it is (" +
               current.files[e.file] + ":" + std::to_string(e.line) + ": " + e.problem + ")",
           refused);
  }
  for (const auto& [id, value] : changes)
    if (Decode(doc.ValueOf(id)).state == ValueState::Absent) Refuse(LineNotRewritten(id, current), refused);
}

void Session::RefuseWhatWouldNotTakeEffect(const TVantrel& doc, const ConfReading& current,
                                           const Changes& changes, const std::vector<std::string>& after,
                                           bool& refused) {
  // The change must land on the line the server reads, and no other
  // parameter may read differently.
  const ConfReading changed = ReadConf(conf::JoinLines(after), ConfPath(), doc.Version());
  for (const auto& [id, value] : changes)
    if (const auto problem = ChangeWithoutEffect(id, value, changed)) Refuse(*problem, refused);
  for (const std::string& problem : UntouchedParametersReadDifferently(doc, current, changed))
    Refuse(problem, refused);
}

int Session::Reset() {
  conf::ResetToDefaults(folder_);
  return kDone;
}

}  // namespace cli
