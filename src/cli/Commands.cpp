#include "cli/Commands.h"

#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Session.h"
#include "config/AtomicFile.h"
#include "config/SafetyCopy.h"

#ifndef PELLISTO_FILE_VERSION
#define PELLISTO_FILE_VERSION "unknown"
#endif

namespace cli {

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
