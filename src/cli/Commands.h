#pragma once
// pellisto-conf: reads, changes and checks firebird.conf from scripts, on the
// same document and rules as the editor window.

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/ExitCode.h"

namespace cli {

// Runs one command line (without the program's name). firebirdVariable is
// the FIREBIRD environment variable, or null. Results go to out, messages to
// err.
int Run(const std::vector<std::string>& args, const char* firebirdVariable, std::ostream& out,
        std::ostream& err, bool outIsTerminal = false);

// Run as the program's main routine: also flushes out, and fails when the
// output could not be written. outIsTerminal: out is shown in a terminal.
int Main(const std::vector<std::string>& args, const char* firebirdVariable, std::ostream& out,
         std::ostream& err, bool outIsTerminal = false);

}  // namespace cli
