#pragma once
// The folders a 3.0+ server puts in place of the macros of its configuration
// ($(root), $(dir_plugins), ...): they are those of the server's build, so
// they are found for the installation a firebird.conf belongs to, and each
// says how it was found.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "config/firebird/ServerVersion.h"

// How the text of a macro was found, from the weakest word to the strongest.
enum class FolderSource {
  None,            // no macro
  ThisFile,        // $(this): the folder of the file that holds the line
  FileFolder,      // the folder of firebird.conf, where the server's root is wherever it is installed
  OfficialLayout,  // the official archive and installer: every folder under the Firebird root
  DebianLayout,    // Debian's packages, for a file under /etc/firebird/<version>/
  ClientLibrary,   // the installed client library of the file's version, asked
  Unknown,         // none of these applies: the value depends on the server's build
};
// "this file's folder", "folder of firebird.conf", "official layout", "Debian
// layout", "client library", "server's build"; empty for None.
std::string_view FolderSourceName(FolderSource source);
// The source that tells most about a value made with both: an unknown
// folder first, else the source of the build's own folders.
FolderSource Combined(FolderSource a, FolderSource b);

// The macros of the build, in the order of BuildFolders::folders.
enum class BuildMacro { Root, Install, Conf, SecDb, Plugins, Udf, Sample, SampleDb, Intl, Msg };
inline constexpr std::size_t kBuildMacroCount = 10;
// The macro a $(name) stands for: root and install in lower case only, the
// dir_ names in any case. Nothing for this and for unknown names.
std::optional<BuildMacro> BuildMacroNamed(std::string_view name);

struct BuildFolder {
  std::string text;  // as the server puts it in place of the macro
  FolderSource source = FolderSource::Unknown;
};

struct BuildFolders {
  std::array<BuildFolder, kBuildMacroCount> folders;
  // The folder a relative include line of firebird.conf starts from: the
  // one the server opens the file in.
  std::string includeBase;
  // $(this) in firebird.conf.
  std::string thisFolder;
  // The build was made with a UDF folder of its own (Debian's is): the
  // server reads "Restrict UDF" as Restrict and that folder.
  bool udfFolderBuild = false;
  const BuildFolder& operator[](BuildMacro m) const { return folders[static_cast<std::size_t>(m)]; }
};

// The folders of the installation of the firebird.conf at path, read as the
// version: the installed client library's answer where it is that
// installation's (Debian's location, or its own configuration file is this
// one), else Debian's packages for /etc/firebird/3.0/, else the official
// layout where the folder also holds the server's firebird.msg; otherwise
// $(root), $(install) and $(dir_conf) stand for the file's folder and the
// other folders are unknown.
BuildFolders BuildFoldersFor(const std::string& path, ServerVersion version);

// Whether the file is where Debian's packages keep the version's
// firebird.conf (/etc/firebird/<version>/): the only place where the server
// opens it under another name, so that its includes and $(this) need the
// build's folders.
bool IsDebianPlace(const std::string& path, ServerVersion version);

// Debian's folders for a version (3.0), from its packages' file lists;
// nothing for a version Debian's packages were not read for.
std::optional<BuildFolders> DebianFolders(ServerVersion version);

// Where a macro ends a text and the next part starts with a separator, the
// server keeps one of the two: "$(dir_conf)/x" is ".../3.0/x".
void AppendFolder(std::string& out, std::string_view folder, std::string_view rest);

// The folder $(this) names for a file opened by that name: a symbolic link
// is followed once, to the folder of what it points to.
std::string ThisFolderOf(const std::string& name);

// What the installed Firebird client library tells of its build, with
// FIREBIRD unset (as the server's service runs): its version ("3.0") and
// the folders of the macros. Asked once per process, in a child process
// that is stopped after a few seconds; nothing when no library is installed
// (or this build cannot ask one).
struct ClientLibraryAnswer {
  std::string version;
  std::array<std::string, kBuildMacroCount> folders;
};
const std::optional<ClientLibraryAnswer>& AskClientLibrary();
