#pragma once
// A save rewrites whole lines, and a line can carry more than its own
// parameter for the server (another key behind a lone CR, an active setting
// before a "#" that mentions the key). Such a save would change a value
// nobody touched; these checks find that before anything is written.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/firebird/VersionCatalogue.h"

class TVantrel;
struct ConfReading;

// One message for each parameter that the document's pending changes are
// not about but whose reading by the server a save would change; empty when
// the save is safe.
std::vector<std::string> UntouchedParametersReadDifferently(const TVantrel& doc);
// The same for a caller that has read the file already, by the document's
// version: before, its lines as they are; after, as the save would write
// them (LinesAfterSave).
std::vector<std::string> UntouchedParametersReadDifferently(const TVantrel& doc, const ConfReading& before,
                                                            const ConfReading& after);

// Why a change of the name cannot be made in the file so read: it has no
// line for the name, or the server reads the name from a line that a save
// does not rewrite (in an included file, or another line than the one a
// save rewrites).
std::string LineNotRewritten(SettingId id, const ConfReading& reading);

// Why a change of the name to the value would not take effect: after the
// save (after: the file as the save would write it, read by its version)
// the server would not read the value from the line written, because a 3.0+
// file names it without "=" above that line, or as LineNotRewritten says.
// Nothing when the server reads the value written.
std::optional<std::string> ChangeWithoutEffect(SettingId id, std::string_view value, const ConfReading& after);
