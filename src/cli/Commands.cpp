#include "cli/Commands.h"

#include <algorithm>
#include <map>
#include <optional>
#include <ostream>
#include <set>

#include "cli/DefaultFolder.h"
#include "cli/Json.h"
#include "cli/UnifiedDiff.h"
#include "config/AtomicFile.h"
#include "config/ConfReading.h"
#include "config/FileLock.h"
#include "config/ParameterRules.h"
#include "config/SafetyCopy.h"
#include "config/SaveGuard.h"
#include "config/SettingValues.h"
#include "config/TVantrel.h"

#ifndef PELLISTO_FILE_VERSION
#define PELLISTO_FILE_VERSION "unknown"
#endif

namespace cli {
namespace {

const char kProgram[] = "pellisto-conf";

const char kHelpStart[] =
    "Usage: pellisto-conf [--folder DIR] [--server-version X.Y] COMMAND [ARGUMENTS]\n"
    "\n"
    "Reads, changes and checks firebird.conf, the configuration file of a\n"
    "Firebird server (2.0 to 5.0), as that version's server reads it.\n"
    "\n"
    "Commands:\n"
    "  list [--json]                 every parameter the server reads: its state in\n"
    "                                the file (active, commented, absent), the value\n"
    "                                the server uses and the file's text\n"
    "  get KEY...                    the value the server uses, one per line\n"
    "  set KEY=VALUE... [--dry-run]  checks every pair first; then rewrites only their\n"
    "                                lines in one atomic save and prints a diff once\n"
    "                                the file is replaced\n"
    "                                (--dry-run: prints the diff, writes nothing)\n"
    "  reset                         copies firebird.conf.default over firebird.conf\n"
    "  check [--json]                lines the server reads differently from what\n"
    "                                they seem to say\n"
    "\n"
    "Options:\n";
const char kHelpOptions[] =
    "  --server-version X.Y  read the file as this version (2.0, 2.1, 2.5, 3.0, 4.0,\n"
    "                        5.0) does; else the version the file shows\n"
    "  --help                this text\n"
    "  --version             the program's version\n"
    "\n";
const char kHelpEnd[] =
    "\n"
    "Exit status: 0 done, 1 findings or a refused value, 2 usage error, 3 file error\n"
    "(also: locked by another Pellisto for 5 seconds, or changed meanwhile).\n";

std::string Help() {
  return std::string(kHelpStart) + kFolderHelp + kHelpOptions + kExamplesHelp + kHelpEnd;
}

struct Options {
  std::string folder;
  bool folderGiven = false;
  bool json = false;
  bool dryRun = false;
  bool help = false;
  bool version = false;
  std::optional<ServerVersion> serverVersion;
  std::vector<std::string> operands;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

Options Parse(const std::vector<std::string>& args) {
  Options o;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-') {
      o.operands.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--dry-run") {
      o.dryRun = true;
    } else if (a == "--server-version" || a.rfind("--server-version=", 0) == 0) {
      std::string text;
      if (a == "--server-version") {
        if (++i == args.size()) throw UsageError("--server-version needs a version");
        text = args[i];
      } else {
        text = a.substr(17);
      }
      o.serverVersion = ParseServerVersion(text);
      if (!o.serverVersion)
        throw UsageError("unknown server version \"" + text + "\" (2.0, 2.1, 2.5, 3.0, 4.0 or 5.0)");
    } else if (a == "--folder" || a.rfind("--folder=", 0) == 0) {
      if (a == "--folder") {
        if (++i == args.size()) throw UsageError("--folder needs a folder");
        o.folder = args[i];
      } else {
        o.folder = a.substr(9);
      }
      if (o.folder.empty()) throw UsageError("--folder needs a folder");
      o.folderGiven = true;
    } else {
      throw UsageError("unknown option " + a);
    }
  }
  return o;
}

// The Firebird folder, ending with a separator as the document puts
// "firebird.conf" right after it; empty when none is known.
std::string FolderOf(const Options& o, const char* firebirdVariable) {
  if (o.folderGiven) return WithSeparator(o.folder);
  if (firebirdVariable && *firebirdVariable) return WithSeparator(firebirdVariable);
  return DefaultFolder();
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

class Session {
 public:
  Session(const Options& o, std::string folder, std::ostream& out, std::ostream& err)
      : o_(o), folder_(std::move(folder)), out_(out), err_(err) {}

  int Dispatch() {
    const std::string& command = o_.operands.front();
    const std::vector<std::string> rest(o_.operands.begin() + 1, o_.operands.end());
    if (command == "list") return Expect(rest.empty(), true, false) ? List() : kUsage;
    if (command == "get") return Expect(!rest.empty(), false, false) ? Get(rest) : kUsage;
    if (command == "set") return Expect(!rest.empty(), false, true) ? Set(rest) : kUsage;
    if (command == "reset") return Expect(rest.empty(), false, false) ? Reset() : kUsage;
    if (command == "check") return Expect(rest.empty(), true, false) ? Check() : kUsage;
    return Usage("unknown command " + Quoted(command));
  }

 private:
  bool Expect(bool operandsFit, bool jsonFits, bool dryRunFits) {
    const std::string& command = o_.operands.front();
    if (!operandsFit)
      Usage(o_.operands.size() == 1 ? command + " needs arguments"
                                    : command + " takes no argument " + Quoted(o_.operands[1]));
    else if (o_.json && !jsonFits)
      Usage("--json does not apply to " + command);
    else if (o_.dryRun && !dryRunFits)
      Usage("--dry-run does not apply to " + command);
    else
      return true;
    return false;
  }

  int Usage(const std::string& message) {
    err_ << kProgram << ": " << message << "\nTry '" << kProgram << " --help'.\n";
    return kUsage;
  }
  int Fail(const std::string& message, int code) {
    err_ << kProgram << ": " << message << "\n";
    return code;
  }
  // Reports one refused key or value; the command goes on to report the rest.
  void Refuse(const std::string& message, bool& refused) {
    Fail(message, kFindings);
    refused = true;
  }

  std::string ConfPath() const { return folder_ + "firebird.conf"; }

  // The file as the server of its version reads it.
  struct Reading {
    DetectedVersion detected{kAssumedVersion, VersionCue::None};
    ConfReading conf;
  };
  Reading Read() const {
    const conf::FileBuffer file = conf::ReadWholeFileBuffer(ConfPath());
    if (o_.serverVersion)
      return {{*o_.serverVersion, VersionCue::Given}, ReadConf(file.view(), ConfPath(), *o_.serverVersion)};
    Reading r;
    r.conf = ReadConfAsDetected(file.view(), ConfPath(), r.detected);
    return r;
  }

  static std::string VersionOf(const Reading& r) { return "Firebird " + std::string(VersionName(r.conf.version)); }

  // A 3.0+ server that refuses the file uses none of its values.
  bool Refused(const Reading& r) {
    if (!r.conf.refusedAt) return false;
    const ConfEntry& e = r.conf.entries[*r.conf.refusedAt];
    Fail(VersionOf(r) + " refuses this file: " + r.conf.files[e.file] + ":" + std::to_string(e.line) + ": " +
             e.problem + " (see check)",
         kFindings);
    return true;
  }

  // A name of the catalogue that the version reads, or the reason why not.
  std::optional<SettingId> ReadName(const std::string& name, ServerVersion v, bool& refused) {
    const auto id = FindSetting(name);
    if (!id) {
      std::string message = "unknown parameter " + Quoted(name);
      if (const auto close = CloseSetting(name); close && ReadBy(*close, v))
        message += "; did you mean " + std::string(SettingOf(*close).name) + "?";
      Refuse(message, refused);
    } else if (!ReadBy(*id, v)) {
      Refuse(std::string(SettingOf(*id).name) + " is not read by Firebird " + std::string(VersionName(v)) +
                 " (" + NotReadReason(*id, v) + ")",
             refused);
    } else {
      return id;
    }
    return std::nullopt;
  }

  int List() {
    const Reading r = Read();
    if (Refused(r)) return kFindings;
    const ConfReading& c = r.conf;
    static const char* const kCues[] = {"as given", "from the file's header", "from the names in the file",
                                        "nothing in the file tells: the version of the editor's pages"};
    const char* cue = kCues[static_cast<int>(r.detected.cue)];
    const std::vector<SettingId> ids = SettingsReadBy(c.version);
    if (o_.json) {
      out_ << "{\"version\": " << JsonString(VersionName(c.version))
           << ", \"release\": " << JsonString(ReleaseName(c.version))
           << ", \"detectedFrom\": " << JsonString(CueName(r.detected.cue)) << ", \"parameters\": [\n";
      for (std::size_t i = 0; i < ids.size(); ++i) {
        const SettingInfo& info = SettingOf(ids[i]);
        const ConfSetting& s = c.settings[ids[i]];
        const bool inFile = s.state != ValueState::Absent;
        out_ << "  {\"key\": " << JsonString(info.name)
             << ", \"kind\": " << JsonString(SettingKindName(info.kind))
             << ", \"state\": " << JsonString(StateName(s.state))
             << ", \"path\": " << (inFile ? JsonString(c.files[s.file]) : "null")
             << ", \"line\": " << (inFile ? std::to_string(s.line) : "null")
             << ", \"file\": " << (inFile ? JsonString(s.fileText) : "null")
             << ", \"server\": " << JsonString(s.value)
             << ", \"default\": " << (s.usesDefault ? "true" : "false") << "}"
             << (i + 1 == ids.size() ? "\n" : ",\n");
      }
      out_ << "]}\n";
      return kDone;
    }
    auto shown = [](std::string_view text) { return text.empty() ? std::string("\"\"") : std::string(text); };
    std::size_t serverWidth = 11;
    for (SettingId id : ids)
      serverWidth = std::max(serverWidth, std::min<std::size_t>(shown(c.settings[id].value).size(), 24));
    auto column = [](std::string text, std::size_t width) {
      if (text.size() < width) text.append(width - text.size(), ' ');
      return text;
    };
    out_ << "# " << VersionOf(r) << " (" << ReleaseName(c.version) << "), " << cue << "\n";
    out_ << column("KEY", 32) << column("STATE", 11) << column("SERVER USES", serverWidth) << "  FILE\n";
    for (SettingId id : ids) {
      const ConfSetting& s = c.settings[id];
      std::string file;
      if (s.state == ValueState::Commented) file = "#" + s.fileText;
      if (s.state == ValueState::Active) file = shown(s.fileText);
      if (s.state != ValueState::Absent && s.file != 0)
        file += "  (" + c.files[s.file] + ":" + std::to_string(s.line) + ")";
      std::string line = column(std::string(SettingOf(id).name), 32) +
                         column(std::string(StateName(s.state)), 11) + column(shown(s.value), serverWidth) +
                         "  " + file;
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out_ << line << "\n";
    }
    return kDone;
  }

  int Get(const std::vector<std::string>& names) {
    const Reading r = Read();
    std::vector<SettingId> ids;
    bool refused = false;
    for (const std::string& name : names)
      if (const auto id = ReadName(name, r.conf.version, refused)) ids.push_back(*id);
    if (refused || Refused(r)) return kFindings;
    for (SettingId id : ids) out_ << r.conf.settings[id].value << "\n";
    return kDone;
  }

  int Set(const std::vector<std::string>& pairs) {
    std::vector<std::pair<std::string, std::string>> given;
    for (const std::string& pair : pairs) {
      const std::size_t eq = pair.find('=');
      if (eq == std::string::npos) return Usage(Quoted(pair) + " is not KEY=VALUE");
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
    const ServerVersion version = doc.Version();

    // Every pair is checked before anything is written; one refusal writes
    // nothing at all. Values are written in a form the version reads.
    std::vector<std::pair<SettingId, std::string>> changes;
    std::set<SettingId> seen;
    bool refused = false;
    for (const auto& [name, value] : given) {
      const auto id = ReadName(name, version, refused);
      if (!id) continue;
      const std::string known(SettingOf(*id).name);
      if (!seen.insert(*id).second) {
        Refuse(known + " is given more than once", refused);
      } else if (const auto problem = WriteProblem(*id, value, version)) {
        Refuse(known + ": " + *problem, refused);
      } else {
        changes.emplace_back(*id, WrittenForm(*id, value, version));
      }
    }

    const std::string path = ConfPath();
    const ConfReading current = ReadConf(conf::JoinLines(doc.Lines()), path, version);
    if (current.refusedAt) {
      const ConfEntry& e = current.entries[*current.refusedAt];
      Refuse("Firebird " + std::string(VersionName(version)) + " refuses this file as it is (" +
                 current.files[e.file] + ":" + std::to_string(e.line) + ": " + e.problem + ")",
             refused);
    }
    for (const auto& [id, value] : changes)
      if (Decode(doc.ValueOf(id)).state == ValueState::Absent) Refuse(LineNotRewritten(id, current), refused);
    if (refused) return Fail("nothing was written", kFindings);

    for (const auto& [id, value] : changes) doc.SetValueOf(id, value);
    const std::vector<std::string> before = doc.Lines();
    const std::vector<std::string> after = doc.LinesAfterSave();

    // The change must land on the line the server reads.
    const ConfReading changed = ReadConf(conf::JoinLines(after), path, version);
    for (const auto& [id, value] : changes)
      if (const auto problem = ChangeWithoutEffect(id, value, changed)) Refuse(*problem, refused);
    for (const std::string& problem : UntouchedParametersReadDifferently(doc)) Refuse(problem, refused);
    if (refused) return Fail("nothing was written", kFindings);

    // The diff tells what happened, so it comes once the file is replaced.
    if (!o_.dryRun) doc.Save(folder_, *lock);
    out_ << UnifiedDiff(ConfPath(), before, after);
    return kDone;
  }

  int Reset() {
    conf::ResetToDefaults(folder_);
    return kDone;
  }

  int Check() {
    const Reading r = Read();
    const std::vector<ConfFinding> findings = CheckConf(r.conf);
    const std::vector<std::string>& files = r.conf.files;
    if (o_.json) {
      out_ << "[";
      for (std::size_t i = 0; i < findings.size(); ++i)
        out_ << (i ? ",\n  " : "\n  ") << "{\"path\": " << JsonString(files[findings[i].file])
             << ", \"line\": " << findings[i].line << ", \"key\": " << JsonString(findings[i].key)
             << ", \"message\": " << JsonString(findings[i].message)
             << ", \"refusesFile\": " << (findings[i].refusesFile ? "true" : "false") << "}";
      out_ << (findings.empty() ? "]\n" : "\n]\n");
    } else {
      for (const ConfFinding& f : findings) out_ << files[f.file] << ":" << f.line << ": " << f.message << "\n";
    }
    return findings.empty() ? kDone : kFindings;
  }

  const Options& o_;
  std::string folder_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

int Run(const std::vector<std::string>& args, const char* firebirdVariable, std::ostream& out,
        std::ostream& err) {
  Options o;
  try {
    o = Parse(args);
  } catch (const UsageError& e) {
    err << kProgram << ": " << e.what() << "\nTry '" << kProgram << " --help'.\n";
    return kUsage;
  }
  if (o.help) {
    out << Help();
    return kDone;
  }
  if (o.version) {
    out << kProgram << " " << PELLISTO_FILE_VERSION << "\n";
    return kDone;
  }
  if (o.operands.empty()) {
    err << Help();
    return kUsage;
  }
  // A copy left by an in-place write that did not finish is told before
  // anything else happens, whatever the command.
  for (const conf::LeftOverCopy& copy : conf::FindLeftOverCopies())
    err << kProgram << ": " << conf::LeftOverCopyMessage(copy) << "\n";
  const std::string folder = FolderOf(o, firebirdVariable);
  if (folder.empty()) {
    err << kProgram << ": no Firebird folder is known: give --folder DIR or set FIREBIRD"
        << " (no Firebird installation is registered on this machine)\n";
    return kFileError;
  }
  Session session(o, folder, out, err);
  try {
    return session.Dispatch();
  } catch (const FileError& e) {
    err << kProgram << ": " << e.what() << "\n";
    return kFileError;
  }
}

int Main(const std::vector<std::string>& args, const char* firebirdVariable, std::ostream& out,
         std::ostream& err) {
  const int code = Run(args, firebirdVariable, out, err);
  out.flush();
  // Output cut short (a full disk, a closed pipe) must not look like success.
  if (!out) {
    err << kProgram << ": cannot write the output\n";
    return code == kDone ? kFileError : code;
  }
  return code;
}

}  // namespace cli
