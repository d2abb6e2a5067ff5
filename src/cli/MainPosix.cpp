// pellisto-conf, the command-line companion of the editor.

#include <csignal>
#include <cstdlib>

#include <unistd.h>
#include <iostream>

#include "cli/Commands.h"

int main(int argc, char** argv) {
  // A reader that went away is a failed write to report, not a signal that
  // ends the program before it can say so.
  std::signal(SIGPIPE, SIG_IGN);
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return cli::Main(args, std::getenv("FIREBIRD"), std::cout, std::cerr, ::isatty(STDOUT_FILENO) == 1);
}
