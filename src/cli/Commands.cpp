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
#include "config/FileLock.h"
#include "config/ParameterRules.h"
#include "config/SafetyCopy.h"
#include "config/SaveGuard.h"
#include "config/ServerReader.h"
#include "config/TVantrel.h"

#ifndef PELLISTO_FILE_VERSION
#define PELLISTO_FILE_VERSION "unknown"
#endif

namespace cli {
namespace {

const char kProgram[] = "pellisto-conf";

const char kHelpStart[] =
    "Usage: pellisto-conf [--folder DIR] COMMAND [ARGUMENTS]\n"
    "\n"
    "Reads, changes and checks firebird.conf, the configuration file of a\n"
    "Firebird 2.x server, with the same rules as the Pellisto editor.\n"
    "\n"
    "Commands:\n"
    "  list [--json]                 every parameter in catalogue order: its state in\n"
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
    "  --help         this text\n"
    "  --version      the program's version\n"
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

// "unknown parameter "X"; did you mean Y?"
std::string UnknownKey(std::string_view name) {
  return "unknown parameter " + Quoted(name) + "; did you mean " +
         std::string(KeyName(ClosestKey(name).key)) + "?";
}

// Why a change of the key cannot be made: the server reads a line that the
// editor's rule does not find, or the file has no line for the key at all.
std::string NotRewritten(ParamKey key, const ServerSetting& server) {
  const std::string name(KeyName(key));
  if (server.state == ValueState::Active)
    return name + ": the server reads it from line " + std::to_string(server.line) +
           ", which this program does not rewrite";
  return name + ": not supported by this file (it has no line for it); no line is added";
}

std::string NotRewritten(ParamKey key, const ServerSettings& server) {
  return NotRewritten(key, server[static_cast<std::size_t>(key)]);
}

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

  int List() {
    const conf::FileBuffer file = conf::ReadWholeFileBuffer(ConfPath());
    const ServerSettings settings = ReadAsServer(file.view());
    if (o_.json) {
      out_ << "[\n";
      for (const auto& p : kParameters) {
        const ServerSetting& s = settings[static_cast<std::size_t>(p.key)];
        const bool inFile = s.state != ValueState::Absent;
        out_ << "  {\"key\": " << JsonString(p.name)
             << ", \"kind\": " << JsonString(KindName(KindOf(p.key)))
             << ", \"state\": " << JsonString(StateName(s.state))
             << ", \"line\": " << (inFile ? std::to_string(s.line) : "null")
             << ", \"file\": " << (inFile ? JsonString(s.fileText) : "null")
             << ", \"server\": " << JsonString(s.value)
             << ", \"default\": " << (s.usesDefault ? "true" : "false") << "}"
             << (p.key == kParameters.back().key ? "\n" : ",\n");
      }
      out_ << "]\n";
      return kDone;
    }
    auto shown = [](std::string_view text) { return text.empty() ? std::string("\"\"") : std::string(text); };
    std::size_t serverWidth = 11;
    for (const ServerSetting& s : settings) serverWidth = std::max(serverWidth, std::min<std::size_t>(shown(s.value).size(), 24));
    auto column = [](std::string text, std::size_t width) {
      if (text.size() < width) text.append(width - text.size(), ' ');
      return text;
    };
    out_ << column("KEY", 27) << column("STATE", 11) << column("SERVER USES", serverWidth) << "  FILE\n";
    for (const auto& p : kParameters) {
      const ServerSetting& s = settings[static_cast<std::size_t>(p.key)];
      std::string file;
      if (s.state == ValueState::Commented) file = "#" + s.fileText;
      if (s.state == ValueState::Active) file = shown(s.fileText);
      std::string line = column(std::string(p.name), 27) + column(std::string(StateName(s.state)), 11) +
                         column(shown(s.value), serverWidth) + "  " + file;
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out_ << line << "\n";
    }
    return kDone;
  }

  int Get(const std::vector<std::string>& names) {
    std::vector<ParamKey> keys;
    bool refused = false;
    for (const std::string& name : names) {
      if (const auto key = FindKey(name))
        keys.push_back(*key);
      else
        Refuse(UnknownKey(name), refused);
    }
    if (refused) return kFindings;
    const conf::FileBuffer file = conf::ReadWholeFileBuffer(ConfPath());
    const ServerSettings settings = ReadAsServer(file.view());
    for (ParamKey key : keys) out_ << settings[static_cast<std::size_t>(key)].value << "\n";
    return kDone;
  }

  int Set(const std::vector<std::string>& pairs) {
    // Every pair is checked before anything is written; one refusal writes
    // nothing at all.
    std::vector<std::pair<ParamKey, std::string>> changes;
    std::set<ParamKey> seen;
    bool refused = false;
    for (const std::string& pair : pairs) {
      const std::size_t eq = pair.find('=');
      if (eq == std::string::npos) return Usage(Quoted(pair) + " is not KEY=VALUE");
      const std::string name = pair.substr(0, eq);
      std::string value = pair.substr(eq + 1);
      const auto key = FindKey(name);
      if (!key) {
        Refuse(UnknownKey(name), refused);
        continue;
      }
      if (!seen.insert(*key).second) {
        Refuse(name + " is given more than once", refused);
        continue;
      }
      if (const auto problem = ValueProblem(*key, value)) {
        Refuse(name + ": " + *problem, refused);
        continue;
      }
      // Keywords are written as the editor writes them.
      if (const auto index = KeywordIndex(*key, value)) value = RuleOf(*key).keywords[*index];
      changes.emplace_back(*key, std::move(value));
    }

    // Held from reading the file to replacing it, so that another writer's
    // change is read first or made after ours, never lost.
    std::optional<conf::FileLock> lock;
    if (!o_.dryRun) lock.emplace(ConfPath());
    TVantrel doc;
    doc.Load(folder_);
    const ServerSettings current = ReadAsServer(conf::JoinLines(doc.Lines()));
    for (const auto& [key, value] : changes)
      if (Decode(doc.Value(key)).state == ValueState::Absent)
        Refuse(NotRewritten(key, current), refused);
    if (refused) return Fail("nothing was written", kFindings);

    for (const auto& [key, value] : changes) doc.SetValue(key, value);
    const std::vector<std::string> before = doc.Lines();
    const std::vector<std::string> after = doc.LinesAfterSave();

    // The editor rewrites the last line holding "<Key> ="; where the server
    // reads another line the change would not take effect.
    const ServerSettings changed = ReadAsServer(conf::JoinLines(after));
    for (const auto& [key, value] : changes) {
      const std::string line = std::string(KeyName(key)) + " = " + value;
      const ServerSetting& s = changed[static_cast<std::size_t>(key)];
      if (s.state != ValueState::Active || s.fileText != ReadServerLine(line).value)
        Refuse(NotRewritten(key, s), refused);
    }
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
    const conf::FileBuffer file = conf::ReadWholeFileBuffer(ConfPath());
    const std::vector<Finding> findings = CheckAsServer(file.view());
    if (o_.json) {
      out_ << "[";
      for (std::size_t i = 0; i < findings.size(); ++i)
        out_ << (i ? ",\n  " : "\n  ") << "{\"line\": " << findings[i].line
             << ", \"key\": " << JsonString(findings[i].key)
             << ", \"message\": " << JsonString(findings[i].message) << "}";
      out_ << (findings.empty() ? "]\n" : "\n]\n");
    } else {
      for (const Finding& f : findings) out_ << ConfPath() << ":" << f.line << ": " << f.message << "\n";
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
