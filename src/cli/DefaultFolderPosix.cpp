#include "cli/DefaultFolder.h"

namespace cli {

const char kFolderHelp[] = "  --folder DIR   the Firebird folder; else $FIREBIRD, else /opt/firebird/\n";

const char kExamplesHelp[] =
    "Examples:\n"
    "  pellisto-conf --folder /opt/firebird get RemoteServicePort\n"
    "  FIREBIRD=/opt/firebird pellisto-conf set DefaultDbCachePages=4096 --dry-run\n";

std::string DefaultFolder() { return "/opt/firebird/"; }

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace cli
