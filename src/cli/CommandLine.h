#pragma once
// pellisto-conf's command line: its options and operands, the help text,
// and the Firebird folder it works on.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/firebird/ServerVersion.h"

namespace cli {

extern const char kProgram[];

struct Options {
  std::string folder;
  bool folderGiven = false;
  bool json = false;
  bool dryRun = false;
  bool trustFolders = false;
  bool restore = false;  // recover's choices
  bool discard = false;
  bool help = false;
  // Standard output is a terminal: values are shown escaped there.
  bool terminal = false;
  bool version = false;
  std::optional<ServerVersion> serverVersion;
  std::vector<std::string> operands;
};

// A command line that cannot be run; its text says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The options and operands of a command line (without the program's name).
// Throws UsageError.
Options Parse(const std::vector<std::string>& args);

std::string Help();

// The Firebird folder, ending with a separator as the document puts
// "firebird.conf" right after it; empty when none is known.
std::string FolderOf(const Options& o, const char* firebirdVariable);

}  // namespace cli
