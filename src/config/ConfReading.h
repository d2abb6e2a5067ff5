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

#include "config/BuildFolders.h"
#include "config/ParameterRules.h"
#include "config/ServerNumbers.h"
#include "config/ServerVersion.h"
#include "config/VersionCatalogue.h"

// A line the server does something with.
struct ConfEntry {
  enum class Kind {
    Setting,   // Name = value
    BareName,  // a name without "=": 2.x refuses or stops serving; 3.0+ see the readers
    Refused,   // 3.0+: a line that makes the server refuse the whole file
    UnreadInclude,  // 3.0+: an include whose path depends on the server's build
  };
  Kind kind = Kind::Setting;
  std::size_t file = 0;  // index into ConfReading::files
  std::size_t line = 0;  // 1-based, in that file
  std::string key;       // the name as written, trimmed
  // The value as the generation's reader takes it from the line: 2.x trimmed
  // and cut at "#"; 3.0+ also without its quotes, with "{{", "}}" and macros
  // replaced.
  std::string value;
  std::optional<SettingId> id;  // the catalogue's name, whatever the version
  std::string problem;          // Refused: the server's complaint
  // How the macros of the value (or of an include's path) were replaced;
  // Unknown: a folder of the server's build was not found, and the value
  // keeps that macro.
  FolderSource macros = FolderSource::None;
};

// The most files one reading opens, firebird.conf and its includes together:
// more are refused, so that includes that fan out (a file including the next
// twice, forty deep) cannot keep a reader busy for ever.
inline constexpr std::size_t kMostFilesRead = 10000;

// A commented line "#Name = value".
struct ConfMention {
  std::size_t file = 0;
  std::size_t line = 0;  // 0: none
  std::string value;
};

// One name as the server sees it.
struct ConfSetting {
  // Active: a line sets it. Commented: none does, but a commented
  // "#Name =" line shows it. Absent: neither.
  ValueState state = ValueState::Absent;
  std::size_t file = 0;
  std::size_t line = 0;   // the line the server takes, else the last commented one
  std::string fileText;   // the value as written on that line
  // The value the server uses: after its reader, the type its code keeps it
  // in and its own adjustments (ServerNumbers.h).
  std::string value;
  // A number as the server's reader keeps it, before the rest: what its
  // configuration interface hands out. Otherwise the same as value.
  std::string read;
  bool usesDefault = true;
  // How the macros in the value were replaced; Unknown: the value depends on
  // the server's build, and keeps the macro it could not replace.
  FolderSource macros = FolderSource::None;
};

struct ConfReading {
  ServerVersion version = kAssumedVersion;
  std::vector<std::string> files;  // [0] the file read, then every file included
  std::vector<ConfEntry> entries;  // in the order the server reads them
  std::array<ConfMention, kSettingCount> commented;  // the last one per name
  std::optional<std::size_t> refusedAt;  // 3.0+: the entry that makes the server refuse the file
  bool superMode = true;                 // 3.0+: ServerMode, for the defaults that follow it
  std::array<ConfSetting, kSettingCount> settings;  // of the names the version reads
};

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
