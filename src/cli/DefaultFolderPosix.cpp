#include "cli/DefaultFolder.h"

#include <filesystem>
#include <system_error>

#include "config/firebird/FirebirdFolder.h"

namespace cli {

const char kFolderHelp[] =
    "  --folder DIR          the Firebird folder; else $FIREBIRD, else /opt/firebird/\n"
    "                        when it holds firebird.conf, else the newest\n"
    "                        /etc/firebird/<version>/ that holds one\n";

const char kExamplesHelp[] =
    "Examples:\n"
    "  pellisto-conf --folder /opt/firebird get RemoteServicePort\n"
    "  FIREBIRD=/opt/firebird pellisto-conf set DefaultDbCachePages=4096 --dry-run\n";

std::string DefaultFolder() {
  // Firebird's own packages, else where Debian keeps each server's file.
  const std::string standard = "/opt/firebird/";
  std::error_code ec;
  if (std::filesystem::is_regular_file(standard + "firebird.conf", ec)) return standard;
  const std::string debian = DebianFirebirdFolder();
  return debian.empty() ? standard : debian;
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace cli
