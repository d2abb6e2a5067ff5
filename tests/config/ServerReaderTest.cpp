// Reading firebird.conf as the server does, and the findings of check.

#include <gtest/gtest.h>

#include "config/ServerReader.h"
#include "config/TVantrel.h"
#include "support/TempDir.h"

namespace {

using K = ParamKey;

const ServerSetting& Of(const ServerSettings& settings, K key) {
  return settings[static_cast<std::size_t>(key)];
}

// "line: message" for each finding.
std::vector<std::string> Findings(const std::string& text) {
  std::vector<std::string> lines;
  for (const Finding& f : CheckAsServer(text)) lines.push_back(std::to_string(f.line) + ": " + f.message);
  return lines;
}

}  // namespace

TEST(ServerReader, ReadsWhatTheServerTakes) {
  const ServerSettings s = ReadAsServer(
      "#DefaultDbCachePages = 4096\n"
      "  TempCacheLimit   =  64M   # sixty-four megabytes\r\n"
      "TempBlockSize=1\n"
      "TempBlockSize = 2\n"
      "tempblocksize = 3\n"
      "TcpNoNagle = true\n"
      "BugcheckAbort = 2\n"
      "LockSignal =   # nothing\n"
      "DeadlockTimeout = abc\n"
      "ProcessPriorityLevel = -05\n"
      "PriorityBoost = 007\n"
      "DatabaseAccess = Restrict C:\\a=b;D:\\#dir\n"
      "# e.g. RemoteServicePort = 3051 # a port\n");
  struct Row {
    K key;
    ValueState state;
    std::size_t line;
    const char* file;
    const char* value;
  };
  const Row rows[] = {
      {K::DefaultDbCachePages, ValueState::Commented, 1, "4096", "2048"},
      {K::TempCacheLimit, ValueState::Active, 2, "64M", "64"},
      {K::TempBlockSize, ValueState::Active, 4, "2", "2"},
      {K::TcpNoNagle, ValueState::Active, 6, "true", "0"},
      {K::BugcheckAbort, ValueState::Active, 7, "2", "1"},
      {K::LockSignal, ValueState::Active, 8, "", "16"},
      {K::DeadlockTimeout, ValueState::Active, 9, "abc", "0"},
      {K::ProcessPriorityLevel, ValueState::Active, 10, "-05", "-5"},
      {K::PriorityBoost, ValueState::Active, 11, "007", "7"},
      {K::DatabaseAccess, ValueState::Active, 12, "Restrict C:\\a=b;D:\\", "Restrict C:\\a=b;D:\\"},
      {K::RemoteServicePort, ValueState::Commented, 13, "3051", "3050"},
      {K::LockMemSize, ValueState::Absent, 0, "", "1048576"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(KeyName(row.key)));
    const ServerSetting& got = Of(s, row.key);
    EXPECT_EQ(got.state, row.state);
    EXPECT_EQ(got.line, row.line);
    EXPECT_EQ(got.fileText, row.file);
    EXPECT_EQ(got.value, row.value);
    EXPECT_EQ(got.usesDefault, row.state != ValueState::Active || got.fileText.empty());
  }
}

TEST(ServerReader, CheckReportsWhatReadsDifferently) {
  const std::string text =
      "# a comment without an equals sign\n"
      "TempCacheLimit = 64M\n"
      "TcpNoNagle = on\n"
      "TcpRemoteBufferSize = 65536\n"
      "TempBlockSize = 1\n"
      "TempBlockSize = 2\n"
      "#TempBlockSize = 3\n"
      "tempblocksize = 4\n"
      "TempBlokSize = 5\n"
      "MaxUserTraceLogSize = 10\n"
      "GCPolicy = sometimes\n"
      "RootDirectory /opt/firebird\n"
      " = 7\n"
      "\n"
      "RemoteServicePort =   # the built-in port\n"
      "ProcessPriorityLevel = -1\n"
      "RemoteBindAddress = \v127.0.0.2\f\n"
      "RemoteServiceName = gds_db\rRemoteAuxPort = 1\r\n"  // one line for the server
      "IpcName = FIREBIRD # \x01 in a comment is no value\n";
  EXPECT_EQ(Findings(text),
            (std::vector<std::string>{
                "2: TempCacheLimit = 64M: the server reads 64",
                "3: TcpNoNagle = on: the server reads 0 (off)",
                "4: TcpRemoteBufferSize = 65536: outside the range 1448 to 32767",
                "5: TempBlockSize is set again on line 6, which the server uses",
                "7: TempBlockSize appears again below its active line 6: the server uses line 6, "
                "the editor shows this one",
                "8: \"tempblocksize\" is not TempBlockSize: keys are case-sensitive, so the "
                "server ignores this line",
                "9: unknown parameter \"TempBlokSize\"; did you mean TempBlockSize?",
                "10: unknown parameter \"MaxUserTraceLogSize\"",
                "11: GCPolicy = sometimes: not one of cooperative, background, combined",
                "12: no \"=\" on this line: a 2.0 or 2.1 server refuses to start on it",
                "13: \"=\" without a parameter name before it",
                "17: RemoteBindAddress: the value holds the control character 0x0B, which the "
                "server reads as part of it",
                "18: RemoteServiceName: the value holds the control character 0x0D, which the "
                "server reads as part of it",
            }));
}

TEST(Samples, ShippedFilesCheckCleanAndReadAllCommented) {
  std::size_t found = 0;
  for (const char* name : {"firebird-2.0.7.conf", "firebird-2.1.7.conf", "firebird-2.5.9-windows.conf"}) {
    const std::string path = SamplePath(name);
    if (path.empty()) continue;
    ++found;
    SCOPED_TRACE(name);
    const std::string text = ReadFileBytes(path);
    EXPECT_EQ(Findings(text), std::vector<std::string>{});
    // The server and the editor agree on every shipped file.
    TempDir dir;
    WriteFileBytes(dir.file("firebird.conf"), text);
    TVantrel doc;
    doc.Load(dir.path());
    const ServerSettings s = ReadAsServer(text);
    for (const auto& p : kParameters) {
      const DecodedValue editor = Decode(doc.Value(p.key));
      EXPECT_NE(Of(s, p.key).state, ValueState::Active) << p.name;
      EXPECT_EQ(Of(s, p.key).state, editor.state) << p.name;
      EXPECT_EQ(Of(s, p.key).fileText, editor.text) << p.name;
    }
  }
  if (found == 0) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;
}
