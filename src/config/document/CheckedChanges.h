#pragma once
// A change of named parameters, checked as a whole before anything is
// written: every name must be one the file's version reads and has a line
// for, every value one that version reads as meant, and once applied the
// server must read each value from the line written and every other
// parameter as before. pellisto-conf set and the helper that saves as
// administrator take the same checks from here.

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/format/ConfReading.h"
#include "config/firebird/VersionCatalogue.h"

class TVantrel;

namespace conf {

// Pairs as given: a name (any spelling) and a value.
using GivenPairs = std::vector<std::pair<std::string, std::string>>;
// Names of the catalogue and the values written for them, in the order given.
using SettingChanges = std::vector<std::pair<SettingId, std::string>>;

struct CheckedChanges {
  SettingChanges changes;
  // Why the change cannot be made, one message per problem, in the order
  // found; when there is any, nothing may be written.
  std::vector<std::string> refusals;
  // What was taken otherwise than given, for the user to know.
  std::vector<std::string> notices;
  // The file's lines before and after (after: as the save would write them;
  // equal to before when refused early), their readings by the document's
  // version, and the line each name has.
  std::vector<std::string> before;
  std::vector<std::string> after;
  ConfReading current;
  ConfReading changed;
  PerSetting<long> lineOf{};
};

// The name's entry in the catalogue when the version reads it; else
// nothing, and problem says why.
std::optional<SettingId> NameReadBy(const std::string& name, ServerVersion v, std::string& problem);

// Checks the pairs against the document (read from path) and, when nothing
// is refused, sets them in it, ready to be saved.
CheckedChanges CheckAndApply(TVantrel& doc, const GivenPairs& given, const std::string& path);

}  // namespace conf
