#pragma once
// pellisto-save-helper: the one program that runs as root (through pkexec,
// under the polkit action org.pellisto.pellisto.save) when the window saves
// a firebird.conf its user may not write. The window stays the user's; this
// program does one save and nothing else, and trusts nothing it is given:
//
//   pellisto-save-helper FILE SHA256 [KEY=VALUE...]
//       sets the parameters in FILE, whose bytes must still be the ones the
//       window read (SHA256 of them);
//   pellisto-save-helper FILE SHA256 --from SOURCE SOURCE_SHA256 [KEY=VALUE...]
//       replaces FILE by SOURCE with the parameters set (the window's change
//       of Firebird folder writes the file it shows over another server's);
//   pellisto-save-helper FILE SHA256 --defaults
//       copies FILE.default over FILE (File > Initialize all parameters
//       default).
//
// FILE comes first, so that the password dialog, which shows the command,
// names it at once.
//
// Every file it reads or writes must be named firebird.conf (or
// firebird.conf.default), before and after links, be a regular file owned by
// root or by the Firebird service account (firebird), and be reached only
// through folders no other user may change. Every change passes the checks
// of pellisto-conf set, and is written as set writes it: found once, under
// the writers' lock, compared before it is replaced, never trusting folders.
//
// The outcome goes to standard output: a first line "saved", "changed"
// (the file is no longer the one read: nothing was written), "refused" or
// "failed", then the message, if any (after "saved": what went wrong once
// the file was saved). The exit status says the same: 0, 2, 1, 3.

#include <string>
#include <vector>

namespace helper {

enum class Outcome { Saved = 0, Refused = 1, Changed = 2, Failed = 3 };

struct Result {
  Outcome outcome = Outcome::Failed;
  std::string message;
  // For the system log: the file named, and the parameters asked for.
  std::string file;
  std::vector<std::string> names;
};

// Carries out one request (the arguments without the program's name).
Result Save(const std::vector<std::string>& args);

// "saved", "refused", "changed", "failed".
const char* OutcomeWord(Outcome outcome);

// The line written to the system log: who asked (the user pkexec names in
// PKEXEC_UID, else the one running it), for which file and names, and how
// it ended; control characters escaped.
std::string LogLine(const std::string& requester, const Result& result);

}  // namespace helper
