// On Windows the folders of the macros come from the installer's layout:
// the client library is not asked.

#include "config/firebird/BuildFolders.h"

const std::optional<ClientLibraryAnswer>& AskClientLibrary() {
  static const std::optional<ClientLibraryAnswer> none;
  return none;
}
