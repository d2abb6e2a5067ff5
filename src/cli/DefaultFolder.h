#pragma once
// Where pellisto-conf looks for firebird.conf when neither --folder nor the
// FIREBIRD variable names a folder, and how its help says so: one file per
// platform.

#include <string>

namespace cli {

// The folder, ending with a separator; empty when there is none.
std::string DefaultFolder();

// The folder with a separator at its end, as the document puts
// "firebird.conf" right after it.
std::string WithSeparator(std::string folder);

// The help's lines on --folder, and its examples.
extern const char kFolderHelp[];
extern const char kExamplesHelp[];

}  // namespace cli
