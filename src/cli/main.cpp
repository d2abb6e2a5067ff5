// pellisto-conf, the command-line companion of the editor.

#include <cstdlib>
#include <iostream>

#include "cli/Commands.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int code = cli::Run(args, std::getenv("FIREBIRD"), std::cout, std::cerr);
  std::cout.flush();
  // Output cut short (a full disk, a closed pipe) must not look like success.
  if (!std::cout) {
    std::cerr << "pellisto-conf: cannot write the output\n";
    return code == cli::kDone ? cli::kFileError : code;
  }
  return code;
}
