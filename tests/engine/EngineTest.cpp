// The real Firebird 3.0 engine reads the same values that pellisto-conf get
// reports. The engine's own configuration reader runs in the client library
// (libfbclient, Debian's build), which reads firebird.conf from the folder
// named by FIREBIRD; a small probe prints what it read, one process per file,
// and every name 3.0 reads is compared with get.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <regex>
#include <sstream>

#include "cli/Commands.h"
#include "config/firebird/BuildFolders.h"
#include "config/format/ConfReading.h"
#include "config/document/TVantrel.h"
#include "config/base/Utf8Path.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace {

const std::string kProbe = PELLISTO_ENGINE_PROBE;

struct EngineReading {
  std::string build;                          // "3.0.11.33637"
  std::map<std::string, std::string> values;  // a text the library has none of reads ""
};

std::string KindLetter(SettingKind kind) {
  return kind == SettingKind::Integer ? "i" : kind == SettingKind::Boolean ? "b" : "s";
}

// The probe's "LI-V6.3.11.33637 Firebird 3.0" as the release it is.
std::string BuildOf(const std::string& line) {
  std::smatch m;
  if (std::regex_search(line, m, std::regex(R"(V\d+\.\d+\.(\d+)\.(\d+) Firebird (\d+\.\d+))")))
    return m[3].str() + "." + m[1].str() + "." + m[2].str();
  return line;
}

// The folder without its last separator: FIREBIRD is then the root that
// $(root) names, as the folder of firebird.conf is.
std::string WithoutLastSeparator(std::string folder) {
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

EngineReading ReadWithEngine(const std::string& folder, const std::vector<SettingId>& ids) {
  std::vector<std::string> args;
  for (SettingId id : ids) args.push_back(KindLetter(SettingInfoOf(id).kind) + ":" + std::string(SettingInfoOf(id).name));
  Process probe(kProbe, args, {{{"FIREBIRD", WithoutLastSeparator(folder)}}});
  EXPECT_EQ(probe.Wait(), 0) << "the probe failed on " << folder;
  EngineReading reading;
  std::istringstream lines(probe.Out());
  std::string line;
  std::getline(lines, line);
  reading.build = BuildOf(line);
  while (std::getline(lines, line)) {
    const std::size_t tab = line.find('\t');
    std::string value = line.substr(tab + 1);
    if (value == "null") value.clear();
    else if (value.size() >= 2 && value.front() == '[') value = value.substr(1, value.size() - 2);
    reading.values[line.substr(0, tab)] = value;
  }
  return reading;
}

// What get reports for the names, in order.
std::vector<std::string> Get(const std::string& folder, const std::vector<SettingId>& ids) {
  std::vector<std::string> args{"--folder", WithoutLastSeparator(folder), "--server-version", "3.0", "get"};
  for (SettingId id : ids) args.emplace_back(SettingInfoOf(id).name);
  std::ostringstream out, err;
  EXPECT_EQ(cli::Run(args, nullptr, out, err), 0) << err.str();
  std::vector<std::string> values;
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) values.push_back(line);
  return values;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kProbe.empty()) GTEST_SKIP() << "the Firebird client library (libfbclient) is not installed";
  }

  // Writes the folder's files, then compares the engine's reading of every
  // name 3.0 reads with get. Returns the engine's reading.
  EngineReading Compare(const std::map<std::string, std::string>& files,
                        const std::set<std::string>& knownToDiffer = {}) {
    TempDir dir;
    for (const auto& [name, text] : files) {
      std::filesystem::create_directories(conf::PathFromUtf8(dir.file(name)).parent_path());
      WriteFileBytes(dir.file(name), text);
    }
    return CompareFolder(dir, knownToDiffer);
  }

  EngineReading CompareFolder(const TempDir& dir, const std::set<std::string>& knownToDiffer = {}) {
    const std::vector<SettingId> ids = SettingsReadBy(ServerVersion::V3_0);
    const EngineReading engine = ReadWithEngine(dir.path(), ids);
    const std::string file = WithoutLastSeparator(dir.path()) + "/firebird.conf";
    ConfReading reading = ReadConf(ReadFileBytes(file), file, ServerVersion::V3_0);
    ApplyBuildFolders(reading);
    // get, end to end, for every value that does not depend on the build.
    std::vector<SettingId> asked;
    for (SettingId id : ids)
      if (reading.settings[id].macros != FolderSource::Unknown) asked.push_back(id);
    const std::vector<std::string> got = Get(dir.path(), asked);
    EXPECT_EQ(got.size(), asked.size());
    for (std::size_t i = 0; i < asked.size() && i < got.size(); ++i)
      EXPECT_EQ(got[i], reading.settings[asked[i]].value) << SettingInfoOf(asked[i]).name;

    for (SettingId id : ids) {
      const std::string name(SettingInfoOf(id).name);
      const ConfSetting& s = reading.settings[id];
      const auto found = engine.values.find(name);
      if (found == engine.values.end()) {
        ADD_FAILURE() << name << " not read by the engine";
        continue;
      }
      // get reports the value the server uses; the library hands out what
      // its reader took, before the server's code adjusts it. A keyword
      // comes out of the library as written; the server then matches it
      // with its list, as get does.
      const bool keyword = SettingInfoOf(id).kind == SettingKind::Keyword;
      const std::string ours = keyword ? s.value : s.read;
      const std::string theirs =
          keyword ? ServerValueOf(id, found->second, ServerVersion::V3_0, reading.superMode) : found->second;
      if (knownToDiffer.contains(name)) {
        EXPECT_NE(theirs, ours) << name << " was expected to differ on build " << engine.build;
        continue;
      }
      // The library hands out some built-in values unresolved: a marker the
      // server replaces by the value of its mode (these come from ServerMode),
      // and the security database with the build's own folder, which a file
      // in a folder of its own cannot tell.
      const bool setInFile = s.state == ValueState::Active;
      if (!setInFile && (name == "DefaultDbCachePages" || name == "TempCacheLimit" || name == "GCPolicy" ||
                         name == "WireCrypt" || name == "ServerMode"))
        continue;
      if (s.macros == FolderSource::Unknown) {
        EXPECT_TRUE(theirs.ends_with("/security3.fdb") || setInFile) << name << ": " << theirs;
        continue;
      }
      EXPECT_EQ(theirs, ours) << name << " on build " << engine.build;
    }
    return engine;
  }
};

TEST_F(EngineTest, EveryDefaultOfAnEmptyFile) {
  const EngineReading engine = Compare({{"firebird.conf", ""}});
  std::cout << "Firebird client library build: " << engine.build << "\n";
  RecordProperty("FirebirdBuild", engine.build);
  EXPECT_TRUE(engine.build.starts_with("3.0.")) << engine.build;
}

TEST_F(EngineTest, AFileWrittenByHand) {
  Compare({{"firebird.conf",
            "# Firebird version 3.0 configuration file\n"
            "DefaultDbCachePages = 64K\r\n"
            "TempCacheLimit = 256M\n"
            "DatabaseGrowthIncrement = 1g\n"
            "FileSystemCacheThreshold = 3000x\n"
            "TempBlockSize = 11\n"
            "TempBlockSize = 22\n"
            "eventmemsize = 1234\n"
            "LOCKHASHSLOTS = 4099\n"
            "IpcName = \"  spaced # not a comment \"\n"
            "RemoteServiceName = fb_db   # a comment\n"
            "RemotePipeName = a{{b}}c\n"
            "TcpNoNagle = on\n"
            "RemoteFileOpenAbility = yes\n"
            "IPv6V6Only = TRUE\n"
            "WireCompression = Y\n"
            "Redirection = 5abc\n"
            "BugcheckAbort = t\n"
            "ConnectionTimeout = 77\rDeadlockTimeout = 5\n"
            "DummyPacketInterval =\n"
            "RemoteBindAddress =\n"
            "ProcessPriorityLevel = --2\n"
            "ServerMode = classic\n"
            "GCPolicy = Background\n"
            "AuthServer = Srp256, Srp\n"
            "include conf.d/*.conf\n"
            "MaxUserTraceLogSize = 55\n"},
           {"conf.d/a.conf", "MaxUserTraceLogSize = 44\nLockAcquireSpins = 9\n"},
           {"conf.d/b.conf", "lockacquirespins = 10\nUserManager = Legacy_UserManager\n"},
           {"conf.d/c.conf", "LockAcquireSpins = 11\nDeadlockTimeout = 12\n"}});
}

TEST_F(EngineTest, FilesWrittenBySetAndByTheDocument) {
  TempDir dir;
  WriteFileBytes(dir.file("firebird.conf"),
                 "# Firebird version 3.0 configuration file\n"
                 "#DefaultDbCachePages = 2048\n"
                 "#TempCacheLimit = 64M\n"
                 "tcpnonagle = 0\n"
                 "TcpNoNagle = 1\n"
                 "#RemoteFileOpenAbility = 0\n"
                 "#WireCrypt = Required\n"
                 "#ServerMode = Super\n"
                 "#AuthServer = Srp\n"
                 "#LockHashSlots = 8191\n"
                 "#RemoteServiceName = gds_db\n");
  std::ostringstream out, err;
  ASSERT_EQ(cli::Run({"--folder", dir.path(), "set", "DefaultDbCachePages=64K", "TcpNoNagle=yes",
                      "ServerMode=superclassic", "AuthServer=Srp256, Srp", "LockHashSlots=4099"},
                     nullptr, out, err),
            0)
      << err.str();
  CompareFolder(dir);

  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempCacheLimit("256M");
  doc.SetRemoteFileOpenAbility("1");
  doc.SetRemoteServiceName("fb_db");
  doc.SetTcpNoNagle("0");
  doc.SetValueOf(*FindSetting("WireCrypt"), "Enabled");
  doc.Save(dir.path());
  const EngineReading engine = CompareFolder(dir);
  EXPECT_EQ(engine.values.at("TcpNoNagle"), "false");
  EXPECT_EQ(engine.values.at("TempCacheLimit"), "268435456");
}

TEST_F(EngineTest, ALineWithoutEqualsOnThisBuild) {
  // The 3.0.11 release (build 33703) ignores a bare name, whose line still
  // hides a later one; earlier builds, Debian's snapshot 33637 among them,
  // read it as an empty value. get follows the release.
  const char* text = "GuardianOption\nGuardianOption = 0\nTcpNoNagle\n";
  TempDir probeDir;
  WriteFileBytes(probeDir.file("firebird.conf"), "");
  const std::string build = ReadWithEngine(probeDir.path(), {}).build;
  const std::size_t buildNumber = std::stoul(build.substr(build.rfind('.') + 1));
  if (buildNumber < 33682)
    Compare({{"firebird.conf", text}}, {"GuardianOption", "TcpNoNagle"});
  else
    Compare({{"firebird.conf", text}});
  std::cout << "Firebird client library build: " << build << "\n";
}

}  // namespace

namespace {

// The folders of the library's build, as the probe prints them with FIREBIRD
// unset (as the server's service runs).
std::map<std::string, std::string> LibraryFolders() {
  Process probe(kProbe, {"--folders"}, {{{"FIREBIRD", std::nullopt}}});
  EXPECT_EQ(probe.Wait(), 0);
  std::map<std::string, std::string> folders;
  std::istringstream lines(probe.Out());
  for (std::string line; std::getline(lines, line);) {
    const std::size_t tab = line.find('\t');
    folders[line.substr(0, tab)] = line.substr(tab + 2, line.size() - tab - 3);
  }
  return folders;
}

const char* const kMacros[] = {"root",    "install",    "dir_conf",     "dir_secDb", "dir_plugins",
                               "dir_udf", "dir_sample", "dir_sampleDb", "dir_intl",  "dir_msg"};

}  // namespace

TEST_F(EngineTest, WhatTheSecondPassFound) {
  const std::string nul(1, '\0');
  Compare({{"firebird.conf",
            "# Firebird version 3.0 configuration file\n"
            // Numbers past 64 bits wrap, a k, m or g multiplied in too.
            "DeadlockTimeout = 99999999999999999999\n"
            "ConnectionTimeout = 18446744073709551615\n"
            "LockMemSize = 9223372036854775808\n"
            "EventMemSize = 18446744073709551616\n"
            "TempBlockSize = 8589934592G\n"
            "GuardianOption = 18446744073709551616\n"
            // Blanks around the signs, and signs or suffixes without digits.
            "DummyPacketInterval = - 5\n"
            "LockAcquireSpins = - -5\n"
            "LockHashSlots = \t-\t 7\n"
            "ProcessPriorityLevel = -\n"
            "DefaultDbCachePages = -k\n"
            "CpuAffinityMask = k\n"
            // The int inside a flag.
            "TcpNoNagle = 4294967296\n"
            "Redirection = 4294967297\n"
            // A NUL byte ends a value; blanks before it still count.
            "TempCacheLimit = 7" + nul + "more\n"
            "RemoteFileOpenAbility = yes" + nul + "junk\n"
            "IpcName = ab" + nul + "cd\n"
            "FileSystemCacheThreshold = 5 " + nul + "\n"
            // An included folder is empty; "?" is a pattern that matches
            // itself only.
            "include folder\n"
            "include w/a?.conf\n"
            "include w/x?.conf\n"},
           {"folder/firebird.conf", "MaxUserTraceLogSize = 1\n"},
           {"w/ab.conf", "RemoteAuxPort = 9\n"},
           {"w/a?.conf", "RemoteServiceName = literal\n"}});
}

TEST_F(EngineTest, MacrosOfTheFilesFolderAndOfTheBuild) {
  // Where the server's root is the folder of firebird.conf (FIREBIRD names
  // it here): $(dir_conf) ends with a separator, one of two is kept.
  Compare({{"firebird.conf",
            "IpcName = $(dir_conf)|$(dir_conf)/x|$(dir_conf)x|$(dir_conf)//x\n"
            "RemotePipeName = $(root)|$(root)/y|$(this)|$(this)/z\n"
            "include sub/a.conf\n"},
           {"sub/a.conf", "RemoteServiceName = $(this)|$(root)|$(DIR_CONF)\n"}});

  // The build's own folders: what Pellisto takes for Debian's file is what
  // the library says of its build, and what it reads from a value.
  const std::map<std::string, std::string> library = LibraryFolders();
  const BuildFolders debian = BuildFoldersFor("/etc/firebird/3.0/firebird.conf", ServerVersion::V3_0);
  const std::optional<BuildFolders> table = DebianFolders(ServerVersion::V3_0);
  for (std::size_t i = 0; i < std::size(kMacros); ++i) {
    SCOPED_TRACE(kMacros[i]);
    EXPECT_EQ(debian.folders[i].text, library.at(kMacros[i]));
    EXPECT_EQ(debian.folders[i].source, FolderSource::ClientLibrary);
    if (table) {
      EXPECT_EQ(table->folders[i].text, library.at(kMacros[i]));
    }
  }
  // Those the root does not move, read from a file by the library and by
  // Pellisto as Debian's file.
  std::string text = "IpcName = ";
  for (const char* macro : {"install", "dir_secDb", "dir_plugins", "dir_udf", "dir_sample", "dir_sampleDb",
                            "dir_intl", "dir_msg"})
    text += std::string("$(") + macro + ")/f|";
  TempDir dir;
  WriteFileBytes(dir.file("firebird.conf"), text + "\n");
  const EngineReading engine = ReadWithEngine(dir.path(), {*FindSetting("IpcName")});
  const ConfReading ours = ReadConf(text, "/etc/firebird/3.0/firebird.conf", ServerVersion::V3_0);
  EXPECT_EQ(ours.settings[*FindSetting("IpcName")].value, engine.values.at("IpcName"));
  EXPECT_EQ(ours.settings[*FindSetting("IpcName")].macros, FolderSource::ClientLibrary);
}
