#pragma once
// A reading: what a server takes from a firebird.conf and the files it
// includes, line by line and name by name (made by ReadConf, ConfReading.h).

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "config/firebird/BuildFolders.h"
#include "config/firebird/ServerVersion.h"
#include "config/firebird/ValueForm.h"
#include "config/firebird/VersionCatalogue.h"

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
  PerSetting<ConfMention> commented;  // the last one per name
  std::optional<std::size_t> refusedAt;  // 3.0+: the entry that makes the server refuse the file
  bool superMode = true;                 // 3.0+: ServerMode, for the defaults that follow it
  PerSetting<ConfSetting> settings;  // of the names the version reads
};
