#include "config/firebird/BuildFolders.h"

#include <filesystem>
#include <system_error>

#include "config/fs/AtomicFile.h"
#include "config/base/Text.h"
#include "config/base/Utf8Path.h"

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr std::string_view kSeparators = "\\/";
#else
constexpr char kSeparator = '/';
constexpr std::string_view kSeparators = "/";
#endif

bool IsSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

// A folder's text without separators at its end (a root keeps its own).
std::string WithoutEndSeparator(std::string folder) {
  while (folder.size() > 1 && IsSeparator(folder.back())) folder.pop_back();
  return folder;
}

std::string Normal(const std::string& folder) {
  return WithoutEndSeparator(conf::Utf8Of(conf::PathFromUtf8(folder).lexically_normal()));
}

BuildFolders FromTexts(const std::array<std::string, kBuildMacroCount>& texts, FolderSource source) {
  BuildFolders b;
  for (std::size_t i = 0; i < kBuildMacroCount; ++i) b.folders[i] = {texts[i], source};
  return b;
}

// Every folder under the root, as the official archive (Linux) and installer
// (Windows) lay them out; the configuration, the messages and the security
// database are in the root itself.
BuildFolders OfficialFolders(const std::string& root) {
  const std::string r = root + kSeparator;
  return FromTexts({root, root, r, r, r + "plugins", r + "UDF", r + "examples",
                    r + "examples" + kSeparator + "empbuild", r + "intl", r},
                   FolderSource::OfficialLayout);
}

const char* const kMacroNames[] = {"root",    "install",  "dir_conf",     "dir_secDb", "dir_plugins",
                                   "dir_udf", "dir_sample", "dir_sampleDb", "dir_intl", "dir_msg"};

}  // namespace

std::string_view FolderSourceName(FolderSource source) {
  switch (source) {
    case FolderSource::None:
      return "";
    case FolderSource::ThisFile:
      return "this file's folder";
    case FolderSource::FileFolder:
      return "folder of firebird.conf";
    case FolderSource::OfficialLayout:
      return "official layout";
    case FolderSource::DebianLayout:
      return "Debian layout";
    case FolderSource::ClientLibrary:
      return "client library";
    case FolderSource::Unknown:
      return "server's build";
  }
  return "";
}

FolderSource Combined(FolderSource a, FolderSource b) { return a > b ? a : b; }

std::optional<BuildMacro> BuildMacroNamed(std::string_view name) {
  for (std::size_t i = 0; i < kBuildMacroCount; ++i) {
    const std::string_view known = kMacroNames[i];
    // root and install are compared as written, the dir_ names ignoring case.
    if (i < 2 ? name == known : conf::EqualsIgnoringCase(name, known)) return static_cast<BuildMacro>(i);
  }
  return std::nullopt;
}

void AppendFolder(std::string& out, std::string_view folder, std::string_view rest) {
  if (!folder.empty() && !rest.empty() && IsSeparator(folder.back()) && IsSeparator(rest.front()))
    folder.remove_suffix(1);
  out.append(folder);
}

std::string ThisFolderOf(const std::string& name) {
  std::error_code ec;
  const fs::path path = conf::PathFromUtf8(name);
  if (!fs::is_symlink(fs::symlink_status(path, ec))) return conf::FolderOf(name);
  const fs::path target = fs::read_symlink(path, ec);
  if (ec) return conf::FolderOf(name);
  const std::string text = conf::Utf8Of(target);
  // A relative target is joined to the link's folder as it is, not tidied.
  return conf::FolderOf(target.is_absolute() ? text : conf::FolderOf(name) + kSeparator + text);
}

std::optional<BuildFolders> DebianFolders(ServerVersion version) {
#if defined(PELLISTO_MULTIARCH) && !defined(_WIN32)
  // From the file lists of Debian 12's packages (3.0.11.33637.ds4-2+deb12u1):
  // firebird3.0-server-core holds /usr/lib/<triplet>/firebird/3.0/plugins/,
  // UDF/, intl/ and firebird.conf, a link to /etc/firebird/3.0/firebird.conf,
  // which the server opens; libfbclient2 holds firebird.msg in that same
  // folder and lib/libfbclient.so.2 below it; firebird3.0-server holds
  // /var/lib/firebird/3.0/system/, where the security database is created;
  // firebird3.0-examples holds /usr/share/doc/firebird3.0-common-doc/examples/.
  // The texts, trailing separators included, are those the build's client
  // library gives (IConfigManager::getDirectory).
  if (version != ServerVersion::V3_0) return std::nullopt;
  const std::string lib = std::string("/usr/lib/") + PELLISTO_MULTIARCH + "/firebird/3.0";
  const std::string examples = "/usr/share/doc/firebird3.0-common-doc/examples";
  BuildFolders b = FromTexts({lib + "/", lib, lib + "/", "/var/lib/firebird/3.0/system", lib + "/plugins",
                              lib + "/UDF", examples, examples + "/empbuild", lib + "/intl", lib + "/"},
                             FolderSource::DebianLayout);
  b.includeBase = lib;
  b.thisFolder = "/etc/firebird/3.0";
  b.udfFolderBuild = true;  // debian/rules configures --with-fbudf
  return b;
#else
  (void)version;
  return std::nullopt;
#endif
}

bool IsDebianPlace(const std::string& path, ServerVersion version) {
  return kSeparator == '/' && Normal(conf::FolderOf(path)) == "/etc/firebird/" + std::string(VersionName(version));
}

BuildFolders BuildFoldersFor(const std::string& path, ServerVersion version) {
  const std::string folder = conf::FolderOf(path);
  const bool debianPlace = IsDebianPlace(path, version);
  const std::optional<ClientLibraryAnswer>& library = AskClientLibrary();
  if (library && library->version == VersionName(version)) {
    // The library's own firebird.conf is the one in its configuration folder.
    const std::string& conf = library->folders[static_cast<std::size_t>(BuildMacro::Conf)];
    const std::string itsFile = WithoutEndSeparator(conf) + kSeparator + "firebird.conf";
    std::error_code ec;
    if (debianPlace || fs::equivalent(conf::PathFromUtf8(itsFile), conf::PathFromUtf8(path), ec)) {
      BuildFolders b = FromTexts(library->folders, FolderSource::ClientLibrary);
      b.includeBase = conf::FolderOf(itsFile);
      // Debian's server opens a link to the file under /etc/firebird/.
      b.thisFolder = debianPlace ? Normal(folder) : ThisFolderOf(itsFile);
      b.udfFolderBuild = debianPlace;
      return b;
    }
  }
  if (debianPlace)
    if (auto debian = DebianFolders(version)) return *debian;

  std::error_code ec;
  BuildFolders b;
  if (fs::is_regular_file(conf::PathFromUtf8(folder) / "firebird.msg", ec)) {
    b = OfficialFolders(folder);
  } else {
    // Wherever a server is installed, its root holds its firebird.conf
    // (Debian's aside); the other folders are its build's.
    b.folders[static_cast<std::size_t>(BuildMacro::Root)] = {folder, FolderSource::FileFolder};
    b.folders[static_cast<std::size_t>(BuildMacro::Install)] = {folder, FolderSource::FileFolder};
    b.folders[static_cast<std::size_t>(BuildMacro::Conf)] = {folder + kSeparator, FolderSource::FileFolder};
  }
  b.includeBase = folder;
  b.thisFolder = ThisFolderOf(path);
  return b;
}
