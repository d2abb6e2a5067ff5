#include "cli/Commands.h"

#include <new>
#include <ostream>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "cli/CommandLine.h"
#include "cli/Json.h"
#include "cli/Session.h"
#include "config/fs/AtomicFile.h"
#include "config/fs/SafetyCopy.h"

#ifndef PELLISTO_FILE_VERSION
#define PELLISTO_FILE_VERSION "unknown"
#endif

namespace cli {
namespace {

// Whether the command writes firebird.conf.
bool ChangesTheFile(const Options& o) {
  const std::string& command = o.operands.front();
  return (command == "set" && !o.dryRun) || command == "reset" ||
         (command == "recover" && (o.restore || o.discard));
}

// Whether this user may not write the file, and root may.
bool OnlyRootMayWrite(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return false;
#else
  return ::geteuid() != 0 && conf::CheckWriteAccess(path) == conf::WriteAccess::NotPermitted;
#endif
}

// The arguments as a shell reads them back: quoted where they need it.
std::string ShellWords(const std::vector<std::string>& args) {
  std::string words;
  for (const std::string& arg : args) {
    if (!words.empty()) words += ' ';
    const bool plain = !arg.empty() && arg.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                             "0123456789_-./=:,+@%") == std::string::npos;
    if (plain) {
      words += arg;
      continue;
    }
    words += '\'';
    for (const char c : arg) words += c == '\'' ? std::string("'\\''") : std::string(1, c);
    words += '\'';
  }
  return words;
}

// The same command for root, who finds the same folder: sudo keeps no
// FIREBIRD, so a folder that came from there is given.
std::vector<std::string> AsRootWould(const Options& o, const std::string& folder, const std::vector<std::string>& args) {
  if (o.folderGiven) return args;
  std::vector<std::string> given{"--folder", folder};
  given.insert(given.end(), args.begin(), args.end());
  return given;
}

}  // namespace

int Run(const std::vector<std::string>& args, const char* firebirdVariable, std::ostream& out,
        std::ostream& err, bool outIsTerminal) {
  Options o;
  try {
    o = Parse(args);
    o.terminal = outIsTerminal;
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
  // anything else happens, whatever the command (recover shows them).
  if (o.operands.front() != "recover")
    for (const conf::LeftOverCopy& copy : conf::FindLeftOverCopies())
      err << kProgram << ": " << TerminalText(conf::LeftOverCopyMessage(copy)) << "\n";
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
    err << kProgram << ": " << TerminalText(e.what()) << "\n";
    // Scripts stay non-interactive: the way is said, never a password asked.
    if (ChangesTheFile(o) && OnlyRootMayWrite(folder + "firebird.conf"))
      err << kProgram << ": only root may write it; run the command as root: sudo " << kProgram << " "
          << TerminalText(ShellWords(AsRootWould(o, folder, args))) << "\n";
    return kFileError;
  }
}

int Main(const std::vector<std::string>& args, const char* firebirdVariable, std::ostream& out,
         std::ostream& err, bool outIsTerminal) {
  int code = kFileError;
  try {
    code = Run(args, firebirdVariable, out, err, outIsTerminal);
  } catch (const std::bad_alloc&) {
    err << kProgram << ": out of memory; nothing was written\n";
  } catch (const std::exception& e) {
    // A fault of the program's own: said, never a crash.
    err << kProgram << ": " << TerminalText(e.what()) << "\n";
  } catch (...) {
    err << kProgram << ": an unexpected error ended the command\n";
  }
  out.flush();
  // Output cut short (a full disk, a closed pipe) must not look like success,
  // nor like a file that could not be written when it was.
  if (!out && (code == kDone || code == kFindings)) {
    err << kProgram << ": cannot write the output (the command itself was carried out)\n";
    return kOutputLost;
  }
  return code;
}

}  // namespace cli
