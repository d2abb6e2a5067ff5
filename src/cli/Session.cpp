#include "cli/Session.h"

#include <ostream>

#include "cli/ExitCode.h"
#include "cli/Json.h"
#include "config/fs/AtomicFile.h"
#include "config/base/Text.h"

namespace cli {

using conf::Quoted;

int Session::Dispatch() {
  const std::string& command = o_.operands.front();
  const std::vector<std::string> rest(o_.operands.begin() + 1, o_.operands.end());
  if (command == "list") return Expect(rest.empty(), {.json = true}) ? List() : kUsage;
  if (command == "get") return Expect(!rest.empty(), {}) ? Get(rest) : kUsage;
  if (command == "set") return Expect(!rest.empty(), {.json = true, .dryRun = true, .trustFolders = true}) ? Set(rest) : kUsage;
  if (command == "reset") return Expect(rest.empty(), {.trustFolders = true}) ? Reset() : kUsage;
  if (command == "check") return Expect(rest.empty(), {.json = true}) ? Check() : kUsage;
  if (command == "recover") return Expect(rest.empty(), {.trustFolders = true, .choice = true}) ? Recover() : kUsage;
  return Usage("unknown command " + Quoted(TerminalText(command)));
}

bool Session::Expect(bool operandsFit, Takes takes) {
  const std::string& command = o_.operands.front();
  const auto misplaced = [&](bool given, bool fits, const char* option) {
    if (given && !fits) Usage(std::string(option) + " does not apply to " + command);
    return given && !fits;
  };
  if (!operandsFit) {
    Usage(o_.operands.size() == 1 ? command + " needs arguments"
                                  : command + " takes no argument " + Quoted(TerminalText(o_.operands[1])));
    return false;
  }
  if (misplaced(o_.json, takes.json, "--json") || misplaced(o_.dryRun, takes.dryRun, "--dry-run") ||
      misplaced(o_.trustFolders, takes.trustFolders, "--trust-folders") ||
      misplaced(o_.restore, takes.choice, "--restore") || misplaced(o_.discard, takes.choice, "--discard"))
    return false;
  if (o_.restore && o_.discard) {
    Usage("give either --restore or --discard");
    return false;
  }
  return true;
}

int Session::Usage(const std::string& message) {
  err_ << kProgram << ": " << message << "\nTry '" << kProgram << " --help'.\n";
  return kUsage;
}

int Session::Fail(const std::string& message, int code) {
  err_ << kProgram << ": " << TerminalText(message) << "\n";
  return code;
}

void Session::Warn(const std::string& message) { err_ << kProgram << ": " << TerminalText(message) << "\n"; }

conf::SaveTarget::Options Session::TargetOptions() const {
  conf::SaveTarget::Options options;
  options.trustFolders = o_.trustFolders;
  return options;
}

void Session::Refuse(const std::string& message, bool& refused) {
  Fail(message, kFindings);
  refused = true;
}

Session::Reading Session::Read() const {
  const conf::FileBuffer file = conf::ReadWholeFileBuffer(ConfPath());
  if (o_.serverVersion)
    return {{*o_.serverVersion, VersionCue::Given}, ReadConf(file.view(), ConfPath(), *o_.serverVersion)};
  Reading r;
  r.conf = ReadConfAsDetected(file.view(), ConfPath(), r.detected);
  return r;
}

std::string Session::VersionOf(const Reading& r) { return "Firebird " + std::string(VersionName(r.conf.version)); }

bool Session::Refused(const Reading& r) {
  if (!r.conf.refusedAt) return false;
  const ConfEntry& e = r.conf.entries[*r.conf.refusedAt];
  Fail(VersionOf(r) + " refuses this file: " + r.conf.files[e.file] + ":" + std::to_string(e.line) + ": " +
           e.problem + " (see check)",
       kFindings);
  return true;
}

std::optional<SettingId> Session::ReadName(const std::string& name, ServerVersion v, bool& refused) {
  std::string problem;
  const auto id = conf::NameReadBy(name, v, problem);
  if (!id) Refuse(problem, refused);
  return id;
}

}  // namespace cli
