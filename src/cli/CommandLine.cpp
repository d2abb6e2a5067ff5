#include "cli/CommandLine.h"

#include <string_view>

#include "cli/DefaultFolder.h"

namespace cli {

const char kProgram[] = "pellisto-conf";

namespace {

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
    "  set KEY=VALUE... [--dry-run] [--json]\n"
    "                                checks every pair first; then rewrites only\n"
    "                                their lines in one atomic save and prints a diff\n"
    "                                once the file is replaced\n"
    "                                (--dry-run: prints the diff, writes nothing;\n"
    "                                --json: instead of the diff, per key its line\n"
    "                                before and after and the value the server uses)\n"
    "  reset                         copies firebird.conf.default over firebird.conf\n"
    "  check [--json]                lines the server reads differently from what\n"
    "                                they seem to say\n"
    "  recover [--restore|--discard] a rewrite in place that did not finish keeps a\n"
    "                                copy of the file as it was, and no save touches\n"
    "                                the file until it is dealt with: shows how the\n"
    "                                file differs from it; --restore puts the copy\n"
    "                                back, --discard removes it\n"
    "\n"
    "Options:\n";
const char kHelpOptions[] =
    "  --trust-folders       as root, save even where a user other than root and the\n"
    "                        file's owner may change a folder on the way to the file\n"
    "                        (refused otherwise: that user could put a link there)\n"
    "  --server-version X.Y  read the file as this version (2.0, 2.1, 2.5, 3.0, 4.0,\n"
    "                        5.0) does; else the version the file shows\n"
    "  --help                this text\n"
    "  --version             the program's version\n"
    "\n";
const char kHelpEnd[] =
    "\n"
    "Exit status: 0 done, 1 findings or a refused value, 2 usage error, 3 file error\n"
    "(also: locked by another Pellisto for 5 seconds, or changed meanwhile), 4 done\n"
    "but the output could not be written (for set, reset and recover the file was\n"
    "changed).\n";

// Whether the argument is the option that takes a value, as "--name VALUE"
// or "--name=VALUE".
bool IsOptionWithValue(const std::string& a, std::string_view name) {
  return a.starts_with(name) && (a.size() == name.size() || a[name.size()] == '=');
}

// The option's value: after its "=", else the next argument (i moves on to
// it). Throws UsageError(missing) when there is none.
std::string OptionValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
                        const char* missing) {
  if (args[i].size() > name.size()) return args[i].substr(name.size() + 1);
  if (++i == args.size()) throw UsageError(missing);
  return args[i];
}

}  // namespace

std::string Help() {
  return std::string(kHelpStart) + kFolderHelp + kHelpOptions + kExamplesHelp + kHelpEnd;
}

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
    } else if (a == "--trust-folders") {
      o.trustFolders = true;
    } else if (a == "--restore") {
      o.restore = true;
    } else if (a == "--discard") {
      o.discard = true;
    } else if (IsOptionWithValue(a, "--server-version")) {
      const std::string text = OptionValue(args, i, "--server-version", "--server-version needs a version");
      o.serverVersion = ParseServerVersion(text);
      if (!o.serverVersion)
        throw UsageError("unknown server version \"" + text + "\" (2.0, 2.1, 2.5, 3.0, 4.0 or 5.0)");
    } else if (IsOptionWithValue(a, "--folder")) {
      o.folder = OptionValue(args, i, "--folder", "--folder needs a folder");
      if (o.folder.empty()) throw UsageError("--folder needs a folder");
      o.folderGiven = true;
    } else {
      throw UsageError("unknown option " + a);
    }
  }
  return o;
}

std::string FolderOf(const Options& o, const char* firebirdVariable) {
  if (o.folderGiven) return WithSeparator(o.folder);
  if (firebirdVariable && *firebirdVariable) return WithSeparator(firebirdVariable);
  return DefaultFolder();
}

}  // namespace cli
