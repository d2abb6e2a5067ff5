#pragma once
// Values written for any catalogue name, in a form the file's server version
// reads as meant: what is refused, and the spelling written.

#include <optional>
#include <string>
#include <string_view>

#include "config/firebird/ServerVersion.h"
#include "config/firebird/VersionCatalogue.h"

// Why the value cannot be written for the name in a file of the version, or
// nothing when it can. A 2.x file takes the editor's values as before; a
// 3.0+ file also numbers with k, m or g and flags true or false, and never a
// quote, a macro or a doubled brace, which its server would read otherwise.
std::optional<std::string> WriteProblem(SettingId id, std::string_view value, ServerVersion v);

// Why a number is not read as written by the version for the name: past the
// 64 bits its reader holds (a k, m or g multiplied in), or past the type the
// server keeps it in (an int for most). Nothing for a number read as written
// and for a text that is no number at all (other rules answer for it).
std::optional<std::string> NumberWidthProblem(SettingId id, std::string_view value, ServerVersion v);

// The text written for an accepted value: a keyword in its listed spelling,
// a 3.0+ flag as true or false, anything else as given.
std::string WrittenForm(SettingId id, std::string_view value, ServerVersion v);
