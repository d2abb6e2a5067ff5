// pellisto-conf run as a process, as scripts run it: what it prints, what it
// writes, and its exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "config/fs/WriteHooks.h"
#include "config/fs/AtomicFile.h"
#include "support/InterruptedWrite.h"
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

struct RunOptions {
  const char* firebird = nullptr;  // the FIREBIRD variable; unset when null
  bool asNobody = false;           // give up root first, so file permissions apply
  const char* stateHome = nullptr;  // the state folder's variable; else an empty folder of the run's own
};

// A run of pellisto-conf that has been started and not yet waited for.
struct Started {
  std::unique_ptr<TempDir> state;
  std::unique_ptr<Process> process;
};

Started StartConf(const std::vector<std::string>& args, RunOptions options = {}) {
  Started run{std::make_unique<TempDir>(), nullptr};
  ProcessOptions process;
  process.environment = {
      {"FIREBIRD", options.firebird ? std::optional<std::string>(options.firebird) : std::nullopt},
      {kStateVariable, options.stateHome ? options.stateHome : run.state->path()}};
  process.asNobody = options.asNobody;
  run.process = std::make_unique<Process>(PELLISTO_CONF, args, process);
  return run;
}

Result Finish(Started& run) {
  if (!run.process->Started()) return {};
  Result result;
  result.code = run.process->Wait();
  result.out = run.process->Out();
  result.err = run.process->Err();
  return result;
}

Result RunConf(const std::vector<std::string>& args, RunOptions options = {}) {
  Started run = StartConf(args, options);
  return Finish(run);
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A Firebird folder with a firebird.conf written with CR LF, as saves write it,
// so that byte comparisons show exactly the lines that changed.
class CliTest : public ::testing::Test {
 protected:
  void Write(const std::string& text) { WriteFileBytes(Conf(), text); }
  std::string Conf() const { return dir.file("firebird.conf"); }
  std::string Folder() const { return dir.path(); }
  Result In(std::vector<std::string> args) {
    args.insert(args.begin(), {"--folder", Folder()});
    return RunConf(args);
  }

  TempDir dir;
};

const char kFile[] =
    "# Firebird settings\r\n"
    "#DefaultDbCachePages = 2048\r\n"
    "TempCacheLimit = 64M\r\n"
    "#RemoteServicePort = 3050\r\n"
    "\r\n"
    "GCPolicy = combined # for SuperServer\r\n";

}  // namespace

TEST_F(CliTest, ListAndGetShowWhatTheServerUses) {
  Write(kFile);
  Result r = In({"list"});
  EXPECT_EQ(r.code, 0);
  // TempCacheLimit came with 2.1: the 50 names 2.1 reads, under the
  // version line and the column titles.
  EXPECT_TRUE(r.out.starts_with("# Firebird 2.1 (2.1.7), from the names in the file")) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 52);
  EXPECT_TRUE(Contains(r.out, "\nTempCacheLimit                  active     64")) << r.out;

  r = In({"list", "--json"});
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(r.out.starts_with("{\"version\": \"2.1\", \"release\": \"2.1.7\", \"detectedFrom\": \"names\", "
                                "\"parameters\": [\n"))
      << r.out;
  EXPECT_TRUE(Contains(r.out, "{\"key\": \"TempCacheLimit\", \"kind\": \"integer\", \"state\": \"active\", "
                              "\"path\": " + JsonString(Conf()) + ", \"line\": 3, \"file\": \"64M\", \"server\": \"64\", "
                              "\"default\": false, \"expansion\": null}"))
      << r.out;
  EXPECT_TRUE(Contains(r.out, "{\"key\": \"LockSignal\", \"kind\": \"integer\", \"state\": "
                              "\"absent\", \"path\": null, \"line\": null, \"file\": null, \"server\": \"16\", "
                              "\"default\": true, \"expansion\": null}"));

  // The folder also comes from FIREBIRD; keys ignore case, as the server's do.
  r = RunConf({"get", "TempCacheLimit", "defaultdbcachepages", "GCPolicy"}, {Folder().c_str()});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "64\n2048\ncombined\n");

  r = In({"get", "TempCacheLimit", "TempBlokSize", "ServerMode"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "unknown parameter \"TempBlokSize\"; did you mean TempBlockSize?"));
  EXPECT_TRUE(Contains(r.err, "ServerMode is not read by Firebird 2.1 (added in 3.0)"));
}

TEST_F(CliTest, EachVersionReadsItsOwnWay) {
  Write("# Firebird version 3.0 configuration file\n"
        "ServerMode = Classic\n"
        "DefaultDbCachePages = 64K\n"
        "TcpNoNagle = yes\n"
        "tcpnonagle = 0\n"
        "#LockHashSlots = 1009\n");
  Result r = In({"get", "ServerMode", "DefaultDbCachePages", "TcpNoNagle", "LockHashSlots", "TempCacheLimit"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "Classic\n65536\ntrue\n8191\n8388608\n");
  r = In({"check"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, Conf() + ":5: tcpnonagle is already set on line 4: the server uses that one\n");

  // Read as 2.5 would read the same lines.
  r = In({"--server-version", "2.5", "get", "DefaultDbCachePages", "TcpNoNagle", "LockHashSlots"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "64\n0\n1009\n");
  r = In({"list", "--json", "--server-version=5.0"});
  EXPECT_TRUE(r.out.starts_with("{\"version\": \"5.0\", \"release\": \"5.0.4\", \"detectedFrom\": \"given\""));
  r = In({"--server-version", "3.5", "list"});
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(Contains(r.err, "unknown server version \"3.5\"")) << r.err;

  // A line the server cannot take: it refuses the whole file, which check
  // reports first and get will not pretend otherwise.
  Write("DefaultDbCachePages = 64K\nIpcName = \"a\" b\n");
  r = In({"--server-version", "3.0", "check", "--json"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.out.starts_with("[\n  {\"path\": " + JsonString(Conf()) + ", \"line\": 2, \"key\": \"IpcName\", "
                                "\"message\": \"Firebird 3.0 refuses the whole file"))
      << r.out;
  EXPECT_TRUE(Contains(r.out, "\"refusesFile\": true}"));
  r = In({"--server-version", "3.0", "get", "DefaultDbCachePages"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "Firebird 3.0 refuses this file: " + Conf() + ":2: text after the closing quote"))
      << r.err;
}

TEST_F(CliTest, SetWritesWhatTheVersionReadsOnTheLineItReads) {
  const std::string text =
      "# Firebird version 3.0 configuration file\r\n"
      "#DefaultDbCachePages = 2048\r\n"
      "ServerMode = Super\r\n"
      "tcpnonagle=0   # the server reads this line\r\n"
      "TcpNoNagle = 1\r\n"
      "#WireCrypt = Required\r\n"
      "GuardianOption\r\n"
      "GuardianOption = 1\r\n";
  Write(text);
  for (const auto& [pair, message] : std::vector<std::pair<std::string, std::string>>{
           {"TcpNoNagle=on", "TcpNoNagle: \"on\" is not true or false"},
           {"GuardianOption=0",
            "GuardianOption: line 7 names it without \"=\" above the line written, so the server keeps its default"},
           {"RootDirectory=/opt", "RootDirectory is not read by Firebird 3.0 (removed in 3.0)"},
           {"MaxUserTraceLogSize=5", "MaxUserTraceLogSize: not supported by this file (it has no line for it)"},
           {"WireCrypt=\x1b", "WireCrypt: a value cannot hold the control character 0x1B"},
       }) {
    const Result r = In({"set", pair});
    EXPECT_EQ(r.code, 1) << pair;
    EXPECT_TRUE(Contains(r.err, message)) << pair << "\n" << r.err;
  }
  EXPECT_EQ(ReadFileBytes(Conf()), text);

  Result r = In({"set", "DefaultDbCachePages=64K", "tcpNONagle=yes", "WireCrypt=enabled", "ServerMode=classic"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(Conf()),
            "# Firebird version 3.0 configuration file\r\n"
            "DefaultDbCachePages = 64K\r\n"
            "ServerMode = Classic\r\n"
            "TcpNoNagle = true # the server reads this line\r\n"
            "TcpNoNagle = 1\r\n"
            "WireCrypt = Enabled\r\n"
            "GuardianOption\r\n"
            "GuardianOption = 1\r\n");
  r = In({"get", "DefaultDbCachePages", "TcpNoNagle", "WireCrypt", "ServerMode", "TempCacheLimit"});
  EXPECT_EQ(r.out, "65536\ntrue\nEnabled\nClassic\n8388608\n");
}

TEST_F(CliTest, SetJsonReportsEachKeyAndTheSameValuesAgainLeaveTheFileAlone) {
  const std::string text =
      "# Firebird version 3.0 configuration file\r\n"
      "#DefaultDbCachePages = 2048\r\n"
      "TcpNoNagle = true\r\n";
  Write(text);
  const auto report = [&](bool changed, bool written, const char* cacheLine) {
    return "{\"path\": " + JsonString(Conf()) + ", \"version\": \"3.0\", \"changed\": " +
           (changed ? "true" : "false") + ", \"written\": " + (written ? "true" : "false") +
           ", \"settings\": [\n"
           "  {\"key\": \"DefaultDbCachePages\", \"line\": 2, \"before\": \"" + cacheLine +
           "\", \"after\": \"DefaultDbCachePages = 64K\", \"changed\": " + (changed ? "true" : "false") +
           ", \"serverBefore\": \"" + (changed ? "2048" : "65536") + "\", \"server\": \"65536\"},\n"
           "  {\"key\": \"TcpNoNagle\", \"line\": 3, \"before\": \"TcpNoNagle = true\", \"after\": "
           "\"TcpNoNagle = true\", \"changed\": false, \"serverBefore\": \"true\", \"server\": \"true\"}\n"
           "]}\n";
  };
  const std::vector<std::string> args = {"set", "--json", "defaultdbcachepages=64K", "TcpNoNagle=yes"};
  std::vector<std::string> dry = args;
  dry.push_back("--dry-run");
  Result r = In(dry);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, report(true, false, "#DefaultDbCachePages = 2048"));
  EXPECT_EQ(ReadFileBytes(Conf()), text);

  r = In(args);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, report(true, true, "#DefaultDbCachePages = 2048"));
  const std::string written = ReadFileBytes(Conf());
  EXPECT_NE(written, text);

  // A second run finds nothing to do: the file keeps its bytes and its time.
  namespace fs = std::filesystem;
  const fs::file_time_type past = fs::last_write_time(Conf()) - std::chrono::hours(24);
  fs::last_write_time(Conf(), past);
  r = In(args);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, report(false, false, "DefaultDbCachePages = 64K"));
  EXPECT_EQ(ReadFileBytes(Conf()), written);
  EXPECT_EQ(fs::last_write_time(Conf()), past);

  // A refused value prints no report, only the reason.
  r = In({"set", "--json", "DefaultDbCachePages=12x"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "DefaultDbCachePages: \"12x\"")) << r.err;
}

TEST_F(CliTest, TheDebianThreeZeroFileIsClean) {
  const std::string sample = SamplePath("firebird-3.0.11-debian.conf");
  if (sample.empty()) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;
  Write(ReadFileBytes(sample));
  Result r = In({"check"});
  EXPECT_EQ(r.code, 0) << r.out;
  r = In({"get", "LockHashSlots", "RemoteBindAddress", "UdfAccess", "WireCrypt", "AuthServer"});
  EXPECT_EQ(r.out, "8191\nlocalhost\nNone\nRequired\nSrp\n");
}

TEST_F(CliTest, SetOnAnLfFileChangesTheBytesOfItsLineOnly) {
  const std::string sample = SamplePath("firebird-3.0.11-debian.conf");
  if (sample.empty()) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;
  const std::string original = ReadFileBytes(sample);
  Write(original);
  Result r = In({"set", "DefaultDbCachePages=4096"});
  ASSERT_EQ(r.code, 0) << r.err;
  std::string expected = original;
  expected.replace(expected.find("\n#DefaultDbCachePages = 2048\n") + 1, 27, "DefaultDbCachePages = 4096");
#ifdef _WIN32
  // Windows writes CR LF after every line.
  for (std::size_t at = expected.find('\n'); at != std::string::npos; at = expected.find('\n', at + 2))
    expected.insert(at, 1, '\r');
#endif
  EXPECT_EQ(ReadFileBytes(Conf()), expected);
}

TEST_F(CliTest, SetRewritesOnlyItsLinesAndPrintsTheDiff) {
  Write(kFile);
#ifndef _WIN32
  ASSERT_EQ(chmod(Conf().c_str(), 0640), 0);
#endif
  const std::string diff = "--- " + Conf() + "\n+++ " + Conf() +
                           "\n"
                           "@@ -3,2 +3,2 @@\n"
                           "-TempCacheLimit = 64M\n"
                           "-#RemoteServicePort = 3050\n"
                           "+TempCacheLimit = 67108864\n"
                           "+RemoteServicePort = 3051\n"
                           "@@ -6 +6 @@\n"
                           "-GCPolicy = combined # for SuperServer\n"
                           "+GCPolicy = cooperative # for SuperServer\n";
  const std::vector<std::string> args = {"set", "RemoteServicePort=3051", "GCPolicy=Cooperative",
                                         "TempCacheLimit=67108864"};

  std::vector<std::string> dry = args;
  dry.push_back("--dry-run");
  Result r = In(dry);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, diff);
  EXPECT_EQ(ReadFileBytes(Conf()), kFile);

  r = In(args);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, diff);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFileBytes(Conf()),
            "# Firebird settings\r\n"
            "#DefaultDbCachePages = 2048\r\n"
            "TempCacheLimit = 67108864\r\n"
            "RemoteServicePort = 3051\r\n"
            "\r\n"
            "GCPolicy = cooperative # for SuperServer\r\n");
#ifndef _WIN32
  struct stat st {};
  ASSERT_EQ(stat(Conf().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
#endif

  // The same values again change nothing and print nothing.
  r = In(args);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "");
}

TEST_F(CliTest, OneBadPairWritesNothing) {
  const std::string text = std::string(kFile) +
                           "#TempBlockSize = 1048576\r\n"  // the editor rewrites this line ...
                           "TempBlockSize=4096\r\n"        // ... the server reads this one
                           "RemoteAuxPort=0\r\n";
  Write(text);
  Result r = In({"set", "RemoteServicePort=3051", "TempCacheLimit=64M", "LockSignal=16",
                 "TcpRemoteBufferSize=1000", "DummyPacketInterval=5", "RemoteAuxPort=1", "Authentication=kerberos",
                 "RemotePipeName=a#b", "GCPolicy=background", "GCPolicy=combined", "Temp=1", "TempBlokSize=1",
                 "RemoteBindAddress=\v127.0.0.2\f"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  for (const char* message : {
           "TempCacheLimit: \"64M\" is not a number (digits only)",
           "TcpRemoteBufferSize: 1000 is outside the range 1448 to 32767",
           "DummyPacketInterval: cannot be changed",
           "Authentication: \"kerberos\" is not one of mixed, native, trusted",
           "RemotePipeName: a value cannot hold \"#\"",
           "RemoteBindAddress: a value cannot hold the control character 0x0B",
           "GCPolicy is given more than once",
           "unknown parameter \"Temp\"\n",  // nothing close to suggest
           "unknown parameter \"TempBlokSize\"; did you mean TempBlockSize?",
           "LockSignal: not supported by this file (it has no line for it); no line is added",
           "RemoteAuxPort: the server reads it from line 9, which this program does not rewrite",
           "nothing was written",
       })
    EXPECT_TRUE(Contains(r.err, message)) << message << "\n" << r.err;
  EXPECT_FALSE(Contains(r.err, "RemoteServicePort"));
  EXPECT_EQ(ReadFileBytes(Conf()), text);

  // Valid on its own, but the change would not reach the server.
  r = In({"set", "TempBlockSize=2048"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err, "TempBlockSize: the server reads it from line 8")) << r.err;
  EXPECT_EQ(ReadFileBytes(Conf()), text);
}

TEST_F(CliTest, ResetAndCheck) {
  Write(kFile);
  Result r = In({"check"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, Conf() + ":3: TempCacheLimit = 64M: the server reads 64\n");

  WriteFileBytes(dir.file("firebird.conf.default"), "#TempCacheLimit = 67108864\n#GCPolicy = combined");
  r = In({"reset"});
  EXPECT_EQ(r.code, 0) << r.err;
#ifdef _WIN32
  EXPECT_EQ(ReadFileBytes(Conf()), "#TempCacheLimit = 67108864\r\n#GCPolicy = combined\r\n");
#else
  // A copy of the defaults' bytes, their line ends included.
  EXPECT_EQ(ReadFileBytes(Conf()), "#TempCacheLimit = 67108864\n#GCPolicy = combined");
#endif

  r = In({"check", "--json"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "[]\n");
}

TEST_F(CliTest, BadInputs) {
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string err;
  };
  const std::string missing = Folder() + "nowhere/";
  const Case cases[] = {
      {{"--folder", missing, "list"}, 3,
       "Cannot open file \"" + missing + "firebird.conf\". " + ErrorText(SystemError::NoSuchFolder)},
      {{"--folder", Folder(), "reset"}, 3, "Cannot open file \"" + Folder() + "firebird.conf.default\""},
      {{"--folder", Folder(), "list", "--verbose"}, 2, "unknown option --verbose"},
      {{"--folderX", Folder(), "list"}, 2, "unknown option --folderX"},
      {{"--folder", Folder(), "--server-versionX=3.0", "list"}, 2, "unknown option --server-versionX=3.0"},
      {{"--folder", Folder(), "get", "--dry-run", "GCPolicy"}, 2, "--dry-run does not apply to get"},
      {{"--folder", Folder(), "set", "GCPolicy"}, 2, "\"GCPolicy\" is not KEY=VALUE"},
      {{"--folder", Folder(), "frobnicate"}, 2, "unknown command \"frobnicate\""},
      {{"--folder"}, 2, "--folder needs a folder"},
      {{}, 2, "Usage: pellisto-conf"},
  };
  Write(kFile);
  for (const Case& c : cases) {
    const Result r = RunConf(c.args);
    EXPECT_EQ(r.code, c.code) << c.err;
    EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
  }
  const Result help = RunConf({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_TRUE(Contains(help.out, "Usage: pellisto-conf"));

  // A read-only file is refused and stays as it was.
  SetReadOnly(Conf(), true);
  Result r = In({"set", "GCPolicy=background"});
  EXPECT_EQ(r.code, 3);
  EXPECT_TRUE(Contains(r.err, "Cannot write file \"" + Conf() + "\". " + ReadOnlyReason())) << r.err;
  EXPECT_EQ(r.out, "");  // no diff for a change that was not made
  EXPECT_EQ(ReadFileBytes(Conf()), kFile);

#ifndef _WIN32
  // A file its reader may not open.
  ASSERT_EQ(chmod(Conf().c_str(), 0), 0);
  ASSERT_EQ(chmod(Folder().c_str(), 0755), 0);
  r = geteuid() == 0 ? RunConf({"--folder", Folder(), "get", "GCPolicy"}, {nullptr, true})
                     : In({"get", "GCPolicy"});
  // 125: no switch to nobody; 127: nobody may not run the program from here.
  if (r.code == 125 || r.code == 127 || r.code == -1) GTEST_SKIP() << "unable to run as user nobody";
  EXPECT_EQ(r.code, 3);
  EXPECT_TRUE(Contains(r.err, "Cannot open file \"" + Conf() + "\". Permission denied")) << r.err;
#endif
}

TEST_F(CliTest, ALoneCrIsPartOfItsLineAndAChangeMayNotAlterAnUntouchedReading) {
  // For the server this is one line: the port is 3086, the page cache unset.
  const std::string text = "RemoteServicePort = 3086\rDefaultDbCachePages = 3007\r\nTcpNoNagle = 0\r\n";
  Write(text);
  Result r = In({"get", "RemoteServicePort", "DefaultDbCachePages"});
  EXPECT_EQ(r.out, "3086\n2048\n");

  r = In({"set", "DefaultDbCachePages=4096"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err, "RemoteServicePort is not being changed, but after this save the server "
                              "would read its built-in value instead of \"3086\\x0D"))
      << r.err;
  EXPECT_EQ(ReadFileBytes(Conf()), text);

  r = In({"set", "TcpNoNagle=1"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(Conf()), "RemoteServicePort = 3086\rDefaultDbCachePages = 3007\r\nTcpNoNagle = 1\r\n");
}

TEST_F(CliTest, TwoWritersAtOnceBothLand) {
  for (int round = 0; round < 100; ++round) {
    Write("RemoteServicePort = 3050\r\nDefaultDbCachePages = 2048\r\n");
    const std::string port = std::to_string(3100 + round), pages = std::to_string(4000 + round);
    Started first = StartConf({"--folder", Folder(), "set", "RemoteServicePort=" + port});
    Started second = StartConf({"--folder", Folder(), "set", "DefaultDbCachePages=" + pages});
    const Result a = Finish(first), b = Finish(second);
    ASSERT_EQ(a.code, 0) << a.err;
    ASSERT_EQ(b.code, 0) << b.err;
    ASSERT_EQ(ReadFileBytes(Conf()),
              "RemoteServicePort = " + port + "\r\nDefaultDbCachePages = " + pages + "\r\n")
        << "round " << round;
  }
}

TEST_F(CliTest, LockHeldElsewhereGivesUpAfterAWhileAndWritesNothing) {
  Write(kFile);
  // Another process holds the writers' lock until the release file exists.
  const std::string release = dir.file("release");
  Process holder(TestChild(), {"hold-lock", Conf(), release});
  ASSERT_TRUE(holder.WaitForOutput("ready")) << holder.Err();
  const Result r = In({"set", "GCPolicy=background"});
  // Readers do not wait for it (on Windows a lock on the file itself would
  // stop them).
  const Result read = In({"get", "GCPolicy"});
  WriteFileBytes(release, "");
  EXPECT_EQ(holder.Wait(), 0);
  EXPECT_EQ(r.code, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "Cannot save \"" + Conf() + "\": another Pellisto program is changing it")) << r.err;
  EXPECT_EQ(ReadFileBytes(Conf()), kFile);
  EXPECT_EQ(read.code, 0) << read.err;
  EXPECT_EQ(read.out, "combined\n");
}

TEST_F(CliTest, NextRunNamesTheCopyAnInterruptedWriteLeft) {
  Write("TempBlockSize = 1\r\n# Firebird settings, long enough to be written in parts\r\n");
  TempDir state;
  ASSERT_TRUE(InterruptInPlaceSave(Folder(), state.path()));
  RunOptions options;
  options.stateHome = state.path().c_str();
  const Result r = RunConf({"--folder", Folder(), "get", "TempBlockSize"}, options);
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(Contains(r.err, "pellisto-conf: \"" + SafetyCopiesUnder(state.path()) + "firebird.conf.")) << r.err;
  EXPECT_TRUE(Contains(r.err, "\" holds \"" + Conf() + "\" as it was before a rewrite that did not finish"))
      << r.err;
}

TEST_F(CliTest, RecoverShowsRestoresOrRemovesTheCopyATornWriteLeft) {
  const std::string original = "TempBlockSize = 1\r\n# Firebird settings, long enough to be written in parts\r\n";
  Write(original);
  TempDir state;
  ASSERT_TRUE(InterruptInPlaceSave(Folder(), state.path()));
  const std::string torn = ReadFileBytes(Conf());
  RunOptions options;
  options.stateHome = state.path().c_str();
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--folder", Folder()});
    return RunConf(args, options);
  };

  // Until it is dealt with, nothing is written into the file.
  Result r = run({"set", "TempBlockSize=3"});
  EXPECT_EQ(r.code, 3);
  EXPECT_TRUE(Contains(r.err, "may be damaged")) << r.err;
  EXPECT_EQ(ReadFileBytes(Conf()), torn);

  r = run({"recover"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(Contains(r.out, "\n-TempBlockSize = 1\n+TempBlockSize = 2\n")) << r.out;
  EXPECT_EQ(ReadFileBytes(Conf()), torn);

  r = run({"recover", "--restore"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(Conf()), original);
  EXPECT_TRUE(std::filesystem::is_empty(SafetyCopiesUnder(state.path())));
  r = run({"recover"});
  EXPECT_TRUE(Contains(r.out, "No copy of")) << r.out;

  // Removed instead: the file stays as it is, and saves go on.
  ASSERT_TRUE(InterruptInPlaceSave(Folder(), state.path()));
  EXPECT_EQ(run({"recover", "--discard"}).code, 0);
  EXPECT_EQ(ReadFileBytes(Conf()), torn);
  EXPECT_TRUE(std::filesystem::is_empty(SafetyCopiesUnder(state.path())));
  EXPECT_EQ(run({"set", "TempBlockSize=3"}).code, 0);
  EXPECT_EQ(run({"recover", "--restore", "--discard"}).code, 2);
}

#ifndef _WIN32
TEST_F(CliTest, OutputLostAfterASaveIsNotCalledAFileError) {
  Write(kFile);
  for (const char* redirect : {">/dev/full", ">&-"}) {
    Process shell("/bin/sh", {"-c", std::string("exec \"$0\" \"$@\" ") + redirect, PELLISTO_CONF, "--folder",
                              Folder(), "set", "GCPolicy=cooperative"});
    EXPECT_EQ(shell.Wait(), 4) << redirect << ": " << shell.Err();
    EXPECT_TRUE(Contains(shell.Err(), "cannot write the output (the command itself was carried out)"))
        << shell.Err();
    EXPECT_TRUE(Contains(ReadFileBytes(Conf()), "GCPolicy = cooperative")) << redirect;
    Write(kFile);
  }
}

TEST_F(CliTest, TheFilesBytesReachTheTerminalEscaped) {
  using namespace std::string_literals;
  Write("RemoteBindAddress = a\x1b]0;owned\x07z\xff\r\nDeadlockTimeout = 5\x00x\r\n"s);
  Result r = In({"list"});
  EXPECT_TRUE(Contains(r.out, "a\\x1b]0;owned\\x07z\\xff")) << r.out;
  EXPECT_FALSE(Contains(r.out, "\x1b")) << r.out;
  r = In({"check"});
  EXPECT_EQ(r.out.find('\0'), std::string::npos) << r.out;
  EXPECT_FALSE(Contains(r.out, "\xff")) << r.out;
  r = In({"list", "--json"});
  EXPECT_TRUE(Contains(r.out, "a\\u001b]0;owned\\u0007z\\u00ff")) << r.out;
}

TEST_F(CliTest, RootRefusesAFolderOthersMayChangeUnlessTrusted) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  Write(kFile);
  ASSERT_EQ(chmod(Folder().c_str(), 0777), 0);
  Result r = In({"set", "GCPolicy=cooperative"});
  EXPECT_EQ(r.code, 3);
  EXPECT_TRUE(Contains(r.err, "the folder \"" + Folder() + "\" on the way to it may be changed by every user"))
      << r.err;
  EXPECT_EQ(ReadFileBytes(Conf()), kFile);
  r = In({"set", "GCPolicy=cooperative", "--trust-folders"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(In({"get", "GCPolicy", "--trust-folders"}).code, 2);
}
#endif

#ifndef _WIN32
TEST_F(CliTest, AUserWhoMayNotWriteTheFileIsToldToUseSudoAndNoPasswordIsAskedFor) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run pellisto-conf as another user";
  // Root's server folder, with a blank in its name.
  ASSERT_EQ(chmod(Folder().c_str(), 0755), 0);
  const std::string folder = Folder() + "my fb/";
  std::filesystem::create_directory(folder);
  WriteFileBytes(folder + "firebird.conf", kFile);
  // A pkexec first on PATH that would leave a trace if it were run.
  TempDir bin;
  ASSERT_EQ(chmod(bin.path().c_str(), 0777), 0);
  WriteFileBytes(bin.file("pkexec"), "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\nexit 126\n");
  ASSERT_EQ(chmod(bin.file("pkexec").c_str(), 0755), 0);
  ProcessOptions options;
  options.asNobody = true;
  options.environment = {{"FIREBIRD", folder}, {"PATH", bin.path() + ":/usr/bin:/bin"}, {kStateVariable, bin.path()}};
  for (const auto& [args, hint] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           // The folder came from FIREBIRD, which sudo does not keep: it is given.
           {{"set", "GCPolicy=cooperative"},
            "sudo pellisto-conf --folder '" + folder + "' set GCPolicy=cooperative"},
           {{"--folder", folder, "reset"}, "sudo pellisto-conf --folder '" + folder + "' reset"}}) {
    Process run(PELLISTO_CONF, args, options);
    const int code = run.Wait();
    if (code == 125) GTEST_SKIP() << "cannot switch to user nobody";
    EXPECT_EQ(code, 3) << run.Err();
    EXPECT_TRUE(Contains(run.Err(), "pellisto-conf: only root may write it; run the command as root: " + hint + "\n"))
        << run.Err();
  }
  EXPECT_EQ(ReadFileBytes(folder + "firebird.conf"), kFile);
  EXPECT_FALSE(FileExists(bin.file("ran")));
  // A change that writes nothing needs no root.
  Process dry(PELLISTO_CONF, {"set", "GCPolicy=cooperative", "--dry-run"}, options);
  EXPECT_EQ(dry.Wait(), 0) << dry.Err();
  EXPECT_FALSE(Contains(dry.Err(), "sudo")) << dry.Err();
}
#endif

#ifndef _WIN32
TEST_F(CliTest, ALinkRepointedDuringSetOrAFaultOfItsOwnEndsWithStatus3NotACrash) {
  // The folder's firebird.conf is a link, switched to another server's file
  // while set runs, as an admin switching versions would.
  TempDir first, second;
  WriteFileBytes(first.file("firebird.conf"), kFile);
  WriteFileBytes(second.file("firebird.conf"), kFile);
  std::filesystem::create_symlink(first.file("firebird.conf"), Conf());
  conf::TestWriteHooks().step = [&](std::string_view step) {
    if (step != "checked") return;
    std::filesystem::remove(Conf());
    std::filesystem::create_symlink(second.file("firebird.conf"), Conf());
  };
  std::ostringstream out, err;
  int code = cli::Main({"--folder", Folder(), "set", "GCPolicy=cooperative"}, nullptr, out, err);
  EXPECT_EQ(code, 3);
  EXPECT_TRUE(Contains(err.str(), "now leads to another file than the one read")) << err.str();
  EXPECT_EQ(ReadFileBytes(first.file("firebird.conf")), kFile);
  EXPECT_EQ(ReadFileBytes(second.file("firebird.conf")), kFile);

  conf::TestWriteHooks().step = [](std::string_view step) {
    if (step == "checked") throw std::logic_error("a fault of the program's own");
  };
  err.str("");
  code = cli::Main({"--folder", Folder(), "set", "GCPolicy=cooperative"}, nullptr, out, err);
  conf::TestWriteHooks() = {};
  EXPECT_EQ(code, 3);
  EXPECT_EQ(err.str(), "pellisto-conf: a fault of the program's own\n");
  EXPECT_EQ(ReadFileBytes(second.file("firebird.conf")), kFile);
}
#endif
TEST_F(CliTest, ListSaysWhereEachValueComesFromAndHowItWasFound) {
  WriteFileBytes(dir.file("a.conf"), "DeadlockTimeout = 7\n");
  Write("# Firebird version 3.0 configuration file\r\n"
        "#TcpNoNagle = true\r\n"
        "include a.conf\r\n"
        "IpcName = $(dir_conf)fb\r\n"
        "RemotePipeName = $(dir_plugins)\r\n");
  Result r = In({"list", "--json"});
  EXPECT_EQ(r.code, 0) << r.err;
  for (const std::string& row : {
           "{\"key\": \"TcpNoNagle\", \"kind\": \"boolean\", \"state\": \"commented\", \"path\": " +
               JsonString(Conf()) + ", \"line\": 2, \"file\": \"true\", \"server\": \"true\", \"default\": true, "
               "\"expansion\": null}",
           "{\"key\": \"DeadlockTimeout\", \"kind\": \"integer\", \"state\": \"active\", \"path\": " +
               JsonString(dir.file("a.conf")) + ", \"line\": 1, \"file\": \"7\", \"server\": \"7\", "
               "\"default\": false, \"expansion\": null}",
           "{\"key\": \"IpcName\", \"kind\": \"text\", \"state\": \"active\", \"path\": " + JsonString(Conf()) +
               ", \"line\": 4, \"file\": " + JsonString(Folder() + "fb") + ", \"server\": " +
               JsonString(Folder() + "fb") + ", \"default\": false, \"expansion\": \"folder of firebird.conf\"}",
           // A folder of the server's build nobody can tell here is not a value.
           "{\"key\": \"RemotePipeName\", \"kind\": \"text\", \"state\": \"active\", \"path\": " +
               JsonString(Conf()) + ", \"line\": 5, \"file\": \"$(dir_plugins)\", \"server\": null, "
               "\"default\": false, \"expansion\": \"server's build\"}",
       })
    EXPECT_TRUE(Contains(r.out, row)) << row << "\n" << r.out;
  r = In({"get", "RemotePipeName"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "RemotePipeName: the value depends on the server's build ($(dir_plugins))")) << r.err;

  // A file the server refuses lists nothing.
  Write("# Firebird version 3.0 configuration file\nIpcName = \"a\" b\n");
  r = In({"list"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
}

TEST_F(CliTest, SetKeepsNothingTheServerWouldReadOtherwise) {
  WriteFileBytes(dir.file("a.conf"), "DeadlockTimeout = 7\n");
  const std::string text =
      "# Firebird version 3.0 configuration file\r\n"
      "include a.conf\r\n"
      "DeadlockTimeout = 5\r\n"
      "ConnectionTimeout = 180\r\n"
      "RemoteBindAddress = x\r\n";
  Write(text);
  for (const auto& [pair, message] : std::vector<std::pair<std::string, std::string>>{
           // The value equals what the included file sets, which is what
           // the server reads: the line written would not count.
           {"DeadlockTimeout=7", "DeadlockTimeout: the server reads it from line 1 of " + dir.file("a.conf")},
           {"ConnectionTimeout=99999999999999999999",
            "ConnectionTimeout: \"99999999999999999999\" is not kept as written by Firebird 3.0, which holds it "
            "in 32 bits: the largest value accepted is 2147483647"},
           {"ConnectionTimeout=8589934592G", "the largest value accepted is 2147483647"},
       }) {
    const Result r = In({"set", pair});
    EXPECT_EQ(r.code, 1) << pair;
    EXPECT_TRUE(Contains(r.err, message)) << pair << "\n" << r.err;
  }
  EXPECT_EQ(ReadFileBytes(Conf()), text);

  // Blanks around a value are not kept, and the user is told; a TAB inside
  // it is part of the value.
  Result r = In({"set", "RemoteBindAddress=  le\tad\t"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "pellisto-conf: RemoteBindAddress: the blanks around the value are left out, as the server reads it\n");
  EXPECT_TRUE(Contains(ReadFileBytes(Conf()), "\r\nRemoteBindAddress = le\tad\r\n"));
  EXPECT_EQ(In({"get", "RemoteBindAddress"}).out, "le\tad\n");

  // A file the server refuses as it is takes no change.
  Write("# Firebird version 3.0 configuration file\r\nDeadlockTimeout = 5\r\nIpcName = \"a\" b\r\n");
  r = In({"set", "DeadlockTimeout=6"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err, "Firebird 3.0 refuses this file as it is (" + Conf() + ":3: text after the closing quote)"))
      << r.err;
}
