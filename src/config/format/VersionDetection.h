#pragma once
// How to tell from a file which server version it was written for.

#include <bitset>
#include <optional>
#include <string_view>

#include "config/firebird/ServerVersion.h"
#include "config/firebird/VersionCatalogue.h"
#include "config/format/Reading.h"

// How the version of a file was found.
enum class VersionCue {
  Given,   // chosen by the user (pellisto-conf --server-version)
  Header,  // the file's header names the version or its series
  Names,   // the parameter names the file holds
  None,    // nothing told: the rules the editor's 46 parameters come from
};
std::string_view CueName(VersionCue cue);  // "header", "names", ...

struct DetectedVersion {
  ServerVersion version;
  VersionCue cue;
};

// The version a file was written for: its header when it has one, else the
// version that reads most of the parameter names the file holds (active or
// commented); among equals 2.1 first, then the oldest. A file without any cue
// is taken for 2.1, the version whose parameters the editor's pages show.
DetectedVersion DetectServerVersion(std::string_view text);

namespace conf {

// The header of a shipped file names its version on one of its first lines:
// "# Firebird version 3.0 configuration file", or, for every 2.x release,
// "# Firebird configuration file".
struct Header {
  bool found = false;
  std::optional<ServerVersion> version;  // none: the 2.x header
};
Header HeaderOf(std::string_view text);

// The version that reads most of the names (see DetectServerVersion).
DetectedVersion VersionFromNames(const std::bitset<kSettingCount>& names, bool twoXHeader);
// The catalogue names a reading met, on active or commented lines.
std::bitset<kSettingCount> NamesIn(const ConfReading& reading);

}  // namespace conf
