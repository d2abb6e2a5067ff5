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
#include "config/ConfReading.h"
#include "config/TVantrel.h"
#include "config/Utf8Path.h"
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

EngineReading ReadWithEngine(const std::string& folder, const std::vector<SettingId>& ids) {
  std::vector<std::string> args;
  for (SettingId id : ids) args.push_back(KindLetter(SettingOf(id).kind) + ":" + std::string(SettingOf(id).name));
  Process probe(kProbe, args, {{{"FIREBIRD", folder}}});
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

// What get reports for every name, in order.
std::vector<std::string> Get(const std::string& folder, const std::vector<SettingId>& ids) {
  std::vector<std::string> args{"--folder", folder, "--server-version", "3.0", "get"};
  for (SettingId id : ids) args.emplace_back(SettingOf(id).name);
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
    const std::vector<std::string> ours = Get(dir.path(), ids);
    EXPECT_EQ(ours.size(), ids.size());
    const ConfReading reading =
        ReadConf(ReadFileBytes(dir.file("firebird.conf")), dir.file("firebird.conf"), ServerVersion::V3_0);
    for (std::size_t i = 0; i < ids.size() && i < ours.size(); ++i) {
      const std::string name(SettingOf(ids[i]).name);
      const auto found = engine.values.find(name);
      if (found == engine.values.end()) {
        ADD_FAILURE() << name << " not read by the engine";
        continue;
      }
      if (knownToDiffer.contains(name)) {
        EXPECT_NE(found->second, ours[i]) << name << " was expected to differ on build " << engine.build;
        continue;
      }
      // The library hands out some built-in values unresolved: a marker the
      // server replaces by the value of its mode (these come from ServerMode),
      // and the security database with the build's own folder.
      const bool setInFile = reading.settings[ids[i]].state == ValueState::Active;
      if (!setInFile && (name == "DefaultDbCachePages" || name == "TempCacheLimit" || name == "GCPolicy" ||
                         name == "WireCrypt" || name == "ServerMode"))
        continue;
      if (!setInFile && name == "SecurityDatabase") {
        EXPECT_TRUE(found->second.ends_with("/security3.fdb")) << found->second;
        continue;
      }
      // get reports the value the server uses; the library hands out what
      // its reader took, before the server's code adjusts it. A keyword
      // comes out of the library as written; the server then matches it
      // with its list, as get does.
      const ConfSetting& s = reading.settings[ids[i]];
      EXPECT_EQ(ours[i], s.value) << name;
      const bool keyword = SettingOf(ids[i]).kind == SettingKind::Keyword;
      const std::string engineValue =
          keyword ? ServerValueOf(ids[i], found->second, ServerVersion::V3_0, reading.superMode) : found->second;
      EXPECT_EQ(engineValue, keyword ? s.value : s.read) << name << " on build " << engine.build;
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
