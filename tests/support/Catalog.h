#pragma once
// Compiles a .po text with msgfmt (on Windows, with a reader of the plain
// catalogs tests write) into <folder>locale/<code>/LC_MESSAGES/default.mo.

#include <string>

// False when msgfmt is not installed (the caller skips); throws when msgfmt
// rejects the catalog.
bool CompileCatalog(const std::string& folder, const std::string& code, const std::string& po);
