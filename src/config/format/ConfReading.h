#pragma once
// firebird.conf as one server version reads it. Each generation has its own
// reader (2.0 to 2.5; 3.0 on), and both hand over the same picture: the lines
// that set a parameter, in the order the server reads them, the commented
// "#Name = value" lines, and a line that makes a 3.0+ server refuse the whole
// file. From that picture come the values the server uses and the findings
// of a check.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/firebird/BuildFolders.h"
#include "config/firebird/ParameterRules.h"
#include "config/firebird/ServerNumbers.h"
#include "config/firebird/ServerVersion.h"
#include "config/firebird/VersionCatalogue.h"
#include "config/format/Reading.h"
#include "config/format/VersionDetection.h"

// Reads the text of the file at path (path: for included files and messages).
// Throws FileError when an included file cannot be read by Pellisto: one
// that is not a regular file or a folder, one that is too large, more than
// kMostFilesRead files in all.
ConfReading ReadConf(std::string_view text, const std::string& path, ServerVersion version);
// The same for the version DetectServerVersion finds, which it also tells;
// a file taken for 2.x is read once.
ConfReading ReadConfAsDetected(std::string_view text, const std::string& path, DetectedVersion& detected);

// What a version's server makes of a value written for a name on an active
// line (the value as the reader takes it): numbers in plain digits, booleans
// "1"/"0" on 2.x and "true"/"false" on 3.0+, a keyword in its listed
// spelling, the built-in value where the server falls back to it.
std::string ServerValueOf(SettingId id, std::string_view value, ServerVersion v, bool superMode = true);
// The same with all the server's code knows of the other values.
std::string ServerValueOf(SettingId id, std::string_view value, ServerVersion v, const NumberContext& context);
// Whether a 2.5+ server takes an access policy as written: None, Full or
// Restrict and a blank before its folders; it reads anything else as None.
bool TakesAccessPolicy(std::string_view value, ServerVersion v);
// The value as every server hands it on: up to its first NUL byte.
std::string_view UpToNul(std::string_view value);
// The keyword a value stands for, in its listed spelling, as the version
// compares it (most ignore case; 3.0 reads GCPolicy only in lower case).
std::optional<std::string_view> KeywordOf(SettingId id, std::string_view value, ServerVersion v);
// The built-in value as ServerValueOf writes it.
std::string DefaultValueOf(SettingId id, ServerVersion v, bool superMode = true);

// 3.0+ integers as the reader keeps them (ReadInteger): blanks and "-"
// signs, digits and at most one k, m or g right after them. Nothing when the
// text is anything else (the server then reads 0).
std::optional<long long> StrictInteger(std::string_view text);
// 2.x integers: what atoi reads (Atoi).
long long LeadingInteger(std::string_view text);
// 3.0+ booleans: a non-zero number, or true, yes or y in any case.
bool ReadsTrue(std::string_view text);

// Something the server reads differently from what was most likely meant.
struct ConfFinding {
  std::size_t file = 0;  // index into ConfReading::files
  std::size_t line = 0;
  std::string key;
  std::string message;
  bool refusesFile = false;  // the gravest: the server refuses the whole file
};

// Puts the folders of the server's build into the values that name them
// without a macro of their own: the built-in SecurityDatabase's $(dir_secDb),
// and on 2.5 and 3.0 builds made with a UDF folder of their own (Debian's)
// "Restrict UDF". Only for those who show the values: finding the folders
// may mean asking the client library.
void ApplyBuildFolders(ConfReading& reading);
// The same for the names given only.
void ApplyBuildFolders(ConfReading& reading, const std::vector<SettingId>& ids);

// Findings in the order of the files and lines; a refused file first.
std::vector<ConfFinding> CheckConf(const ConfReading& reading);
