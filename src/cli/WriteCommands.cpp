// The commands that change firebird.conf: set and reset.

#include <ostream>

#include "cli/ExitCode.h"
#include "cli/Json.h"
#include "cli/UnifiedDiff.h"
#include "cli/Session.h"
#include "config/document/CheckedChanges.h"
#include "config/format/ConfLines.h"
#include "config/base/Text.h"
#include "config/document/TVantrel.h"

namespace cli {

int Session::Set(const std::vector<std::string>& pairs) {
  std::vector<std::pair<std::string, std::string>> given;
  for (const std::string& pair : pairs) {
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos) return Usage(conf::Quoted(pair) + " is not KEY=VALUE");
    given.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
  }

  // Found once and locked from reading the file to replacing it, so that
  // another writer's change is read first or made after ours, never lost,
  // and the file replaced is the one read.
  std::optional<conf::SaveTarget> target;
  if (!o_.dryRun) target.emplace(ConfPath(), TargetOptions());
  TVantrel doc;
  if (target)
    doc.Load(*target, o_.serverVersion);
  else if (o_.serverVersion)
    doc.Load(folder_, *o_.serverVersion);
  else
    doc.Load(folder_);

  // Every pair is checked before anything is written; one refusal writes
  // nothing at all.
  const conf::CheckedChanges checked = conf::CheckAndApply(doc, given, ConfPath());
  for (const std::string& notice : checked.notices) err_ << kProgram << ": " << notice << "\n";
  for (const std::string& refusal : checked.refusals) Fail(refusal, kFindings);
  if (!checked.refusals.empty()) return Fail("nothing was written", kFindings);
  const std::vector<std::string>& before = checked.before;
  const std::vector<std::string>& after = checked.after;

  // Values the file already holds leave it as it is, its time included, so
  // that running the same set again is a change of nothing.
  const bool writes = target && after != before;
  // What is printed tells what happened, so it comes once the file is
  // replaced.
  const std::string late = writes ? doc.Save(*target) : std::string();
  if (o_.json)
    SetJson(doc.Version(), checked, writes);
  else
    out_ << TerminalText(UnifiedDiff(ConfPath(), before, after));
  if (!late.empty()) Warn("\"" + ConfPath() + "\" was saved, but " + late);
  return kDone;
}

void Session::SetJson(ServerVersion v, const conf::CheckedChanges& r, bool written) {
  out_ << "{\"path\": " << JsonString(ConfPath()) << ", \"version\": " << JsonString(VersionName(v))
       << ", \"changed\": " << (r.before != r.after ? "true" : "false")
       << ", \"written\": " << (written ? "true" : "false") << ", \"settings\": [";
  for (std::size_t i = 0; i < r.changes.size(); ++i) {
    const SettingId id = r.changes[i].first;
    const long index = r.lineOf[id];
    const std::string& before = r.before[index];
    const std::string& after = r.after[index];
    out_ << (i ? ",\n  " : "\n  ") << "{\"key\": " << JsonString(SettingInfoOf(id).name)
         << ", \"line\": " << index + 1 << ", \"before\": " << JsonString(before)
         << ", \"after\": " << JsonString(after) << ", \"changed\": " << (before != after ? "true" : "false")
         << ", \"serverBefore\": " << JsonString(r.current.settings[id].value)
         << ", \"server\": " << JsonString(r.changed.settings[id].value) << "}";
  }
  out_ << (r.changes.empty() ? "]}\n" : "\n]}\n");
}

int Session::Reset() {
  const std::string late = conf::ResetToDefaults(folder_, TargetOptions());
  if (!late.empty()) Warn("\"" + ConfPath() + "\" was saved, but " + late);
  return kDone;
}

int Session::Recover() {
  // Found and locked as a save does: nobody writes the file meanwhile.
  conf::SaveTarget target(ConfPath(), TargetOptions());
  const std::vector<conf::LeftOverCopy> copies = conf::LeftOverCopiesOf(target.Target());
  if (copies.empty()) {
    out_ << "No copy of " << TerminalText(conf::Quoted(target.Target()))
         << " is left from a rewrite that did not finish.\n";
    return kDone;
  }
  if (!o_.restore && !o_.discard) return ShowCopies(target, copies);
  if (o_.restore) {
    if (copies.size() > 1) {
      ShowCopies(target, copies);
      return Fail("there are several copies: remove all but the one to put back", kFindings);
    }
    const std::string late = target.Restore(copies.front());
    if (!late.empty()) Warn("\"" + ConfPath() + "\" was saved, but " + late);
  } else {
    for (const conf::LeftOverCopy& copy : copies) conf::DiscardCopy(copy);
  }
  out_ << (o_.restore ? "Put back " : "Removed ") << TerminalText(conf::Quoted(copies.front().copy)) << ".\n";
  return kDone;
}

int Session::ShowCopies(conf::SaveTarget& target, const std::vector<conf::LeftOverCopy>& copies) {
  const std::vector<std::string> file = conf::SplitLines(std::string(target.Read().view()));
  for (const conf::LeftOverCopy& copy : copies) {
    out_ << "# " << TerminalText(conf::LeftOverCopyMessage(copy)) << ".\n";
    const std::string diff = LinesDiff(copy.copy, target.Path(), conf::SplitLines(conf::ReadCopy(copy)), file);
    out_ << (diff.empty() ? "# The file is the same as the copy.\n" : TerminalText(diff));
  }
  return kDone;
}

}  // namespace cli
