// pellisto-conf, the command-line companion of the editor.

#include <cstdlib>
#include <iostream>

#include "cli/Commands.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return cli::Main(args, std::getenv("FIREBIRD"), std::cout, std::cerr);
}
