// The value a server uses, beyond the reading rules: numbers as each version
// keeps them (past 64 bits, in a 32-bit getter, a NUL byte, blanks after a
// minus sign), the server's own adjustments after reading, what check says
// about them, and what set refuses.

#include <gtest/gtest.h>

#include <filesystem>

#include "config/format/ConfReading.h"
#include "config/document/OtherParameters.h"
#include "config/document/SaveGuard.h"
#include "config/document/SettingValues.h"
#include "config/document/TVantrel.h"
#include "config/base/Utf8Path.h"
#include "config/ConfigTestSupport.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

const auto V20 = ServerVersion::V2_0, V21 = ServerVersion::V2_1, V25 = ServerVersion::V2_5,
           V30 = ServerVersion::V3_0, V40 = ServerVersion::V4_0, V50 = ServerVersion::V5_0;

// The file is one line, or a few; value is what get reports for the name.
struct Row {
  std::string text;
  ServerVersion v;
  const char* name;
  const char* value;
};

void ExpectValues(std::initializer_list<Row> rows) {
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text + " on " + std::string(VersionName(r.v)));
    const ConfReading reading = ReadConf(r.text, "/nowhere/firebird.conf", r.v);
    ASSERT_FALSE(reading.refusedAt);
    EXPECT_EQ(reading.settings[*FindSetting(r.name)].value, r.value);
  }
}

}  // namespace

TEST(ServerValues, NumbersAsEachVersionKeepsThem) {
  ExpectValues({
      // 3.0+ reads 64 bits with no overflow check: the arithmetic wraps.
      {"ConnectionTimeout = 18446744073709551615", V30, "ConnectionTimeout", "-1"},
      {"CpuAffinityMask = 9223372036854775808", V30, "CpuAffinityMask", "-9223372036854775808"},
      {"CpuAffinityMask = 18446744073709551616", V30, "CpuAffinityMask", "0"},
      {"CpuAffinityMask = 8589934592G", V30, "CpuAffinityMask", "-9223372036854775808"},
      {"GuardianOption = 18446744073709551616", V30, "GuardianOption", "0"},
      // ... then most getters keep an int: the low 32 bits.
      {"DeadlockTimeout = 99999999999999999999", V30, "DeadlockTimeout", "1661992959"},
      {"DeadlockTimeout = 3000000000", V40, "DeadlockTimeout", "-1294967296"},
      // 2.x: atoi, the low 32 bits of strtol's result, which stops at the
      // long's limit.
      {"DeadlockTimeout = 3000000000", V25, "DeadlockTimeout", "-1294967296"},
      {"DeadlockTimeout = 99999999999999999999", V25, "DeadlockTimeout", "-1"},
      // A blank after the minus sign: 3.0+ allows blanks and TABs around
      // every sign, atoi none.
      {"DeadlockTimeout = - 5", V30, "DeadlockTimeout", "-5"},
      {"DeadlockTimeout = - -5", V30, "DeadlockTimeout", "5"},
      {"DeadlockTimeout = \t-\t 7", V30, "DeadlockTimeout", "-7"},
      {"DeadlockTimeout = - 5", V25, "DeadlockTimeout", "0"},
      // A suffix without a digit before it is no number at all.
      {"DeadlockTimeout = k", V30, "DeadlockTimeout", "0"},
      {"DeadlockTimeout = -m", V30, "DeadlockTimeout", "0"},
      // The number inside a flag is an int too.
      {"TcpNoNagle = 4294967296", V30, "TcpNoNagle", "false"},
      {"TcpNoNagle = 4294967297", V30, "TcpNoNagle", "true"},
      {"TcpNoNagle = 4294967296", V21, "TcpNoNagle", "0"},
      // A NUL byte ends the value; a value of it alone is not empty (2.x
      // takes 0, not the default). Blanks before it still count.
      {std::string("DeadlockTimeout = 7\0more", 24), V30, "DeadlockTimeout", "7"},
      {std::string("DeadlockTimeout = 7\0more", 24), V21, "DeadlockTimeout", "7"},
      {std::string("DeadlockTimeout = 5 \0", 21), V30, "DeadlockTimeout", "0"},
      {std::string("DeadlockTimeout = \0", 19), V21, "DeadlockTimeout", "0"},
      {std::string("TcpNoNagle = yes\0junk", 21), V30, "TcpNoNagle", "true"},
      {std::string("IpcName = ab\0cd", 15), V30, "IpcName", "ab"},
      {std::string("ServerMode = Classic\0x\nTempCacheLimit = -1", 42), V30, "TempCacheLimit", "8388608"},
  });
}

TEST(ServerValues, TheServersOwnAdjustments) {
  ExpectValues({
      // LockMemSize: release 3.0.11 and later raise it to 256 KiB (3.0 on its
      // int, 4.0+ on the 64-bit value); 5.0.4 also rounds to the page.
      {"LockMemSize = 1", V25, "LockMemSize", "1"},
      {"LockMemSize = 1", V30, "LockMemSize", "262144"},
      {"LockMemSize = 3g", V30, "LockMemSize", "262144"},
      {"LockMemSize = 3g", V40, "LockMemSize", "3221225472"},
      {"LockMemSize = 4g", V40, "LockMemSize", "0"},
      // A memory page: 4 KiB here, the allocation granularity of 64 KiB on Windows.
      {"LockMemSize = 1000000", V50, "LockMemSize", kWindows ? "1048576" : "1003520"},
      {"LockHashSlots = 50", V25, "LockHashSlots", "101"},
      {"LockHashSlots = 3000", V20, "LockHashSlots", "2048"},
      {"LockHashSlots = 70000", V40, "LockHashSlots", "65521"},
      {"LockHashSlots = 70000", V50, "LockHashSlots", "4464"},
      {"LockHashSlots = 65536", V50, "LockHashSlots", "101"},
      {"LockHashSlots = -1", V50, "LockHashSlots", "65521"},
      // A negative page cache is the mode's default on 3.0+, a huge one on 2.x.
      {"DefaultDbCachePages = -1", V30, "DefaultDbCachePages", "2048"},
      {"ServerMode = ThreadedShared\nDefaultDbCachePages = -1", V40, "DefaultDbCachePages", "256"},
      {"DefaultDbCachePages = 2147483648", V30, "DefaultDbCachePages", "2048"},
      {"DefaultDbCachePages = 2147483648", V40, "DefaultDbCachePages", "2147483646"},
      {"DefaultDbCachePages = 10", V30, "DefaultDbCachePages", "50"},
      {"DefaultDbCachePages = -1", V21, "DefaultDbCachePages", "131072"},
      {"DefaultDbCachePages = 99999999999999999999", V25, "DefaultDbCachePages", "2147483646"},
      {"TempBlockSize = 100000", V30, "TempBlockSize", "131072"},
      {"TempBlockSize = 64k", V25, "TempBlockSize", "65536"},
      {"TempBlockSize = -1", V30, "TempBlockSize", "0"},
      {"TempCacheLimit = -1", V30, "TempCacheLimit", "67108864"},
      {"ServerMode = Classic\nTempCacheLimit = -5", V50, "TempCacheLimit", "8388608"},
      {"TempCacheLimit = -1", V25, "TempCacheLimit", "0"},
      {"TcpRemoteBufferSize = 4294967296", V30, "TcpRemoteBufferSize", "1448"},
      {"TcpRemoteBufferSize = 4294967296", V40, "TcpRemoteBufferSize", "32767"},
      {"RemoteServicePort = 68586", V21, "RemoteServicePort", "3050"},
      {"RemoteServicePort = -1", V30, "RemoteServicePort", "65535"},
      {"RemoteAuxPort = 68586", V30, "RemoteAuxPort", "3050"},
      {"DummyPacketInterval = -1", V25, "DummyPacketInterval", "60"},
      {"DummyPacketInterval = -1", V21, "DummyPacketInterval", "-1"},
      {"FileSystemCacheThreshold = -1", V30, "FileSystemCacheThreshold", "0"},
      {"FileSystemCacheThreshold = -1", V40, "FileSystemCacheThreshold", "65536"},
      {"FileSystemCacheSize = 5", V30, "FileSystemCacheSize", "30"},
      {"FileSystemCacheSize = 50", V30, "FileSystemCacheSize", "50"},
      {"DatabaseGrowthIncrement = 64k", V30, "DatabaseGrowthIncrement", "0"},
      {"DatabaseGrowthIncrement = 2g", V40, "DatabaseGrowthIncrement", "0"},
      {"MaxUnflushedWrites = -5", V30, "MaxUnflushedWrites", "-1"},
      {"MaxUserTraceLogSize = 4096", V40, "MaxUserTraceLogSize", "0"},
      {"MaxUserTraceLogSize = 4096", V30, "MaxUserTraceLogSize", "4096"},
      {"EventMemSize = 1000", V50, "EventMemSize", kWindows ? "65536" : "4096"},
      {"EventMemSize = 1000", V40, "EventMemSize", "1000"},
      {"PriorityBoost = 5000", V25, "PriorityBoost", "1000"},
      {"PrioritySwitchDelay = 0", V21, "PrioritySwitchDelay", "1"},
      {"MaxIdentifierByteLength = 300", V40, "MaxIdentifierByteLength", "252"},
      {"SnapshotsMemSize = 0", V50, "SnapshotsMemSize", "65536"},
      {"InlineSortThreshold = -1", V40, "InlineSortThreshold", "1000"},
      {"StatementTimeout = -1", V40, "StatementTimeout", "4294967295"},
      {"MaxStatementCacheSize = -1", V50, "MaxStatementCacheSize", "2097152"},
      {"MaxParallelWorkers = 100", V50, "MaxParallelWorkers", "64"},
      {"ParallelWorkers = 8\nMaxParallelWorkers = 4", V50, "ParallelWorkers", "4"},
      // An access policy the server does not take is None.
      {"DatabaseAccess = Restrict", V30, "DatabaseAccess", "None"},
      {"DatabaseAccess = Restrict /db", V30, "DatabaseAccess", "Restrict /db"},
#ifndef _WIN32
      {"DatabaseAccess = full", V30, "DatabaseAccess", "None"},
#endif
      {"DatabaseAccess = full", V25, "DatabaseAccess", "full"},
      {"ExternalFileAccess = Some", V21, "ExternalFileAccess", "Some"},
  });
}

TEST(ServerValues, CheckSaysWhatTheServerDoesWithANumber) {
  const std::string text =
      "ConnectionTimeout = 18446744073709551615\n"
      "GuardianOption = 18446744073709551616\n"
      "DeadlockTimeout = 3000000000\n"
      "TcpNoNagle = 4294967296\n"
      "LockMemSize = 1\n"
      "TempBlockSize = 1\n"
      "TempBlockSize = 100000\n"
      "DummyPacketInterval = k\n"
      "IpcName = ab" + std::string(1, '\0') + "cd\n"
      "DatabaseAccess = Restrict\n"
      "LockHashSlots = 8191\n";
  EXPECT_EQ(Findings(text, V30),
            (std::vector<std::string>{
                "1: ConnectionTimeout = 18446744073709551615: too large for the 64 bits the server reads it into: "
                "it reads -1",
                "2: GuardianOption = 18446744073709551616: too large for the 64 bits the server reads it into: "
                "it reads 0",
                "3: DeadlockTimeout = 3000000000: the server keeps it in 32 bits, which makes it -1294967296",
                "4: TcpNoNagle = 4294967296: the server reads false, keeping the number in 32 bits",
                "5: LockMemSize = 1: the server uses 262144 (raised to its least, 262144, by release 3.0.11; "
                "Debian's 3.0.11.33637 build and 3.0.10 and older raise it to 65536 only)",
                // Only the line the server takes says what it uses.
                "6: TempBlockSize = 1: the server uses 65536 (at least 65536 and rounded up to a multiple of 65536)",
                "7: TempBlockSize is already set on line 6: the server uses that one",
                "8: DummyPacketInterval = k: the server reads 0",
                "9: IpcName: a NUL byte ends the value for the server, which reads \"ab\"",
                "10: DatabaseAccess = Restrict: Firebird 3.0 takes None, Full, or Restrict followed by folders" +
                    std::string(kWindows ? "" : ", with these capitals") + "; the server uses None",
            }));
  // 2.x reads an int, and says so otherwise.
  EXPECT_EQ(Findings("DeadlockTimeout = 3000000000\nDefaultDbCachePages = 10\n", V21),
            (std::vector<std::string>{
                "1: DeadlockTimeout = 3000000000: too large for the int the server reads it into: it reads "
                "-1294967296",
                "2: DefaultDbCachePages = 10: the server uses 50 (kept within 50 to 131072 when a database is "
                "opened; a negative number counts as a huge one)",
            }));
}

TEST(ServerValues, ANumberTheServerWouldNotKeepAsWrittenIsRefused) {
  struct Case {
    const char* name;
    const char* value;
    ServerVersion v;
    const char* problem;  // empty: accepted
  };
  for (const Case& c : {
           Case{"DeadlockTimeout", "99999999999999999999", V30,
                "\"99999999999999999999\" is not kept as written by Firebird 3.0, which holds it in 32 bits: the "
                "largest value accepted is 2147483647"},
           Case{"DeadlockTimeout", "2147483647", V30, ""},
           Case{"DeadlockTimeout", "2097152k", V30,
                "\"2097152k\" is not kept as written by Firebird 3.0, which holds it in 32 bits: the largest value "
                "accepted is 2147483647"},
           Case{"DeadlockTimeout", "2097151k", V30, ""},
           Case{"TempCacheLimit", "8589934591G", V30, ""},
           Case{"TempCacheLimit", "8589934592G", V30,
                "\"8589934592G\" is not kept as written by Firebird 3.0, which holds it in 64 bits: the largest "
                "value accepted is 9223372036854775807"},
           Case{"GuardianOption", "18446744073709551616", V30,
                "\"18446744073709551616\" is not kept as written by Firebird 3.0, which holds it in 32 bits: the "
                "largest value accepted is 1"},
           Case{"ProcessPriorityLevel", "-2147483649", V30,
                "\"-2147483649\" is not kept as written by Firebird 3.0, which holds it in 32 bits: the smallest "
                "value accepted is -2147483648"},
           Case{"StatementTimeout", "4294967295", V40, ""},
           Case{"MaxUserTraceLogSize", "4096", V40,
                "\"4096\" is not kept as written by Firebird 4.0, which holds it in a 32-bit count of bytes: the "
                "largest value accepted is 4095"},
           // The editor's parameters on the files they were made for.
           Case{"DeadlockTimeout", "3000000000", V21,
                "\"3000000000\" is not kept as written by Firebird 2.1, which holds it in an int of 32 bits: the "
                "largest value accepted is 2147483647"},
           Case{"SortMemBlockSize", "3000000000", V20,
                "\"3000000000\" is not kept as written by Firebird 2.0, which holds it in an int of 32 bits: the "
                "largest value accepted is 2147483647"},
       }) {
    SCOPED_TRACE(std::string(c.name) + "=" + c.value);
    EXPECT_EQ(WriteProblem(*FindSetting(c.name), c.value, c.v).value_or(""), c.problem);
  }
}

namespace {

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// A folder's path without its last separator, as a file's folder reads.
std::string Folder(const TempDir& dir) { return dir.path().substr(0, dir.path().size() - 1); }

const ConfSetting& Setting(const ConfReading& r, const char* name) { return r.settings[*FindSetting(name)]; }

}  // namespace

TEST(BuildFolders, TheOfficialLayoutTheFilesFolderOrTheServersBuild) {
  const std::string text =
      "IpcName = $(dir_plugins)|$(dir_secDb)/s.fdb|$(dir_conf)|$(dir_conf)/x|$(root)|$(install)|$(DIR_SampleDb)\n";
  // The official archive and installer keep every folder under the root,
  // where firebird.conf and firebird.msg are.
  TempDir official;
  WriteFileBytes(official.file("firebird.msg"), "");
  const std::string f = Folder(official);
  ConfReading r = ReadConf(text, official.file("firebird.conf"), V30);
  // Where the folder's separator meets the path's, the path's stays.
  EXPECT_EQ(Setting(r, "IpcName").value, f + kSep + "plugins|" + f + "/s.fdb|" + f + kSep + "|" + f + "/x|" + f + "|" +
                                             f + "|" + f + kSep + "examples" + kSep + "empbuild");
  EXPECT_EQ(Setting(r, "IpcName").macros, FolderSource::OfficialLayout);
  ApplyBuildFolders(r);
  EXPECT_EQ(Setting(r, "SecurityDatabase").value, f + "/security3.fdb");
  EXPECT_EQ(Setting(r, "SecurityDatabase").macros, FolderSource::OfficialLayout);

  // Elsewhere the root is the file's folder, and the build's other folders
  // are not known: the value keeps its macro and says so.
  TempDir plain;
  r = ReadConf("IpcName = $(dir_plugins)/x\nRemotePipeName = $(dir_conf)\nTracePlugin = $(root)|$(install)\n",
               plain.file("firebird.conf"), V40);
  EXPECT_EQ(Setting(r, "IpcName").value, "$(dir_plugins)/x");
  EXPECT_EQ(Setting(r, "IpcName").macros, FolderSource::Unknown);
  EXPECT_EQ(Setting(r, "RemotePipeName").value, plain.path());
  EXPECT_EQ(Setting(r, "TracePlugin").value, Folder(plain) + "|" + Folder(plain));
  EXPECT_EQ(Setting(r, "TracePlugin").macros, FolderSource::FileFolder);
  ApplyBuildFolders(r);
  EXPECT_EQ(Setting(r, "SecurityDatabase").value, "$(dir_secDb)/security4.fdb");
  EXPECT_EQ(Setting(r, "SecurityDatabase").macros, FolderSource::Unknown);
  EXPECT_EQ(Setting(r, "AuthServer").macros, FolderSource::None);
  EXPECT_FALSE(r.refusedAt);

  // root, install and this are names in lower case only.
  for (const char* macro : {"$(THIS)", "$(Root)", "$(INSTALL)"}) {
    r = ReadConf(std::string("IpcName = ") + macro + "\n", plain.file("firebird.conf"), V30);
    ASSERT_TRUE(r.refusedAt) << macro;
    EXPECT_EQ(r.entries[*r.refusedAt].problem, "unknown macro " + std::string(macro));
  }
}

TEST(ReadingRules, IncludesAsTheEngineFollowsThem) {
  TempDir dir;
  const auto write = [&](const std::string& name, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(conf::PathFromUtf8(dir.file(name))).parent_path());
    WriteFileBytes(dir.file(name), text);
  };
  const auto value = [&](const std::string& text, const char* name) {
    const ConfReading r = ReadConf(text, dir.file("firebird.conf"), V30);
    return r.refusedAt ? "refused: " + r.entries[*r.refusedAt].problem : Setting(r, name).value;
  };
  write("w/ab.conf", "DeadlockTimeout = 9\n");
  std::filesystem::create_directories(conf::PathFromUtf8(dir.file("folder.conf")));
  // An included folder reads as empty, also one a pattern finds.
  EXPECT_EQ(value("include folder.conf\nDeadlockTimeout = 3\n", "DeadlockTimeout"), "3");
  EXPECT_EQ(value("include f*.conf\nDeadlockTimeout = 3\n", "DeadlockTimeout"), "3");
  // "?" makes the path a pattern: one that finds nothing is passed over.
  EXPECT_EQ(value("include w/a?.conf\nDeadlockTimeout = 4\n", "DeadlockTimeout"), kWindows ? "9" : "4");
#ifndef _WIN32
  // On POSIX it matches itself only.
  write("w/a?.conf", "DeadlockTimeout = 8\n");
  EXPECT_EQ(value("include w/a?.conf\n", "DeadlockTimeout"), "8");
#endif

  // A relative include is found from the folder of the file that holds it;
  // $(this) is that folder, $(root), $(install) and $(dir_conf) the server's
  // (here the folder of firebird.conf).
  write("sub/a.conf", "include b.conf\nIpcName = $(this)|$(root)|$(install)|$(dir_conf)\n");
  write("sub/b.conf", "DeadlockTimeout = 6\n");
  write("b.conf", "DeadlockTimeout = 7\n");
  EXPECT_EQ(value("include sub/a.conf\n", "DeadlockTimeout"), "6");
  const std::string f = Folder(dir);
  EXPECT_EQ(value("include sub/a.conf\n", "IpcName"),
            f + kSep + "sub|" + f + "|" + f + "|" + f + kSep);

  // 64 files deep are read; the 65th is too deep for the server.
  for (int level = 1; level <= 65; ++level)
    write("deep/" + std::to_string(level) + ".conf",
          level == 65 ? "DeadlockTimeout = 65\n" : "include " + std::to_string(level + 1) + ".conf\n");
  write("deep/64.conf", "DeadlockTimeout = 64\n");
  EXPECT_EQ(value("include deep/1.conf\n", "DeadlockTimeout"), "64");
  write("deep/64.conf", "include 65.conf\n");
  EXPECT_EQ(value("include deep/1.conf\n", "DeadlockTimeout"), "refused: includes nested too deep");
}

#ifndef _WIN32
TEST(ReadingRules, ThisFollowsALinkedFirebirdConfOnceAndIncludesStayBesideTheLink) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("link/sub"));
  std::filesystem::create_directories(dir.file("real/sub"));
  std::filesystem::create_directories(dir.file("third"));
  WriteFileBytes(dir.file("real/firebird.conf"), "");
  std::filesystem::create_symlink("../real/firebird.conf", dir.file("link/firebird.conf"));
  WriteFileBytes(dir.file("link/sub/a.conf"), "DeadlockTimeout = 1\n");
  WriteFileBytes(dir.file("real/sub/a.conf"), "DeadlockTimeout = 2\n");
  const ConfReading r = ReadConf("IpcName = $(this)\ninclude sub/a.conf\n", dir.file("link/firebird.conf"), V30);
  EXPECT_EQ(Setting(r, "IpcName").value, dir.file("link/../real"));
  EXPECT_EQ(Setting(r, "DeadlockTimeout").value, "1");
  // One link only, as the server reads it.
  std::filesystem::create_symlink(dir.file("real/firebird.conf"), dir.file("third/mid.conf"));
  std::filesystem::remove(dir.file("link/firebird.conf"));
  std::filesystem::create_symlink("../third/mid.conf", dir.file("link/firebird.conf"));
  EXPECT_EQ(Setting(ReadConf("IpcName = $(this)\n", dir.file("link/firebird.conf"), V30), "IpcName").value,
            dir.file("link/../third"));
}
#endif

// Faults that slipped past the suite before: each case below fails on one.
TEST(ReadingRules, WhatTheVersionsAndTheCheckWereNotAskedBefore) {
  // An indented "# Key = v" on 2.x is a commented mention, as one in the
  // first column is.
  EXPECT_EQ(Setting(ReadConf("  \t# DeadlockTimeout = 7\n", "/x/firebird.conf", V21), "DeadlockTimeout").state,
            ValueState::Commented);
  // A header that names a 2.x version is not one of the shipped headers: the
  // names decide.
  const DetectedVersion d = DetectServerVersion("# Firebird version 2.5 configuration file\nServerMode = Super\n");
  EXPECT_EQ(d.version, V30);
  EXPECT_EQ(d.cue, VersionCue::Names);
  // ThreadedShared is SuperClassic: the defaults of the modes that are not
  // Super.
  const ConfReading shared = ReadConf("ServerMode = ThreadedShared\n", "/x/firebird.conf", V30);
  EXPECT_EQ(Setting(shared, "DefaultDbCachePages").value, "256");
  EXPECT_EQ(Setting(shared, "TempCacheLimit").value, "8388608");
  EXPECT_EQ(Setting(shared, "GCPolicy").value, "cooperative");
  // "Did you mean" stops where half the letters typed would be wrong: three
  // slips in seven letters are a name, three in six or four in any are not.
  EXPECT_EQ(UnknownNameMessage("IpcNXXe", V30), "unknown parameter \"IpcNXXe\"; did you mean IpcName?");
  EXPECT_EQ(UnknownNameMessage("IpXXme", V30), "unknown parameter \"IpXXme\"");
  EXPECT_EQ(UnknownNameMessage("XXXXame", V30), "unknown parameter \"XXXXame\"");

  EXPECT_EQ(Findings("DummyPacketInterval =\n"          // empty, and 0 is its default
                     "TcpNoNagle = n\n"                 // a plain word for off
                     "AuthServer =\n",
                     V30),
            std::vector<std::string>{});
  EXPECT_EQ(Findings("IpcName = \"\n", V21), std::vector<std::string>{});  // a lone quote is no quoted value
  // The editor shows the last "<Key> =" line of a 2.x file; only its 46
  // parameters are shown at all.
  EXPECT_EQ(Findings("SortMemBlockSize = 5\n#SortMemBlockSize = 6\nDeadlockTimeout = 5\n#DeadlockTimeout = 6\n", V20),
            std::vector<std::string>{"4: DeadlockTimeout appears again below its active line 3: the server uses "
                                     "line 3, the editor shows this one"});
}

TEST(ReadingRules, ADuplicateInAnotherFileIsNamedWithIt) {
  TempDir dir;
  WriteFileBytes(dir.file("a.conf"), "DeadlockTimeout = 7\n");
  const ConfReading r = ReadConf("include a.conf\nDeadlockTimeout = 5\n", dir.file("firebird.conf"), V30);
  std::vector<std::string> found;
  for (const ConfFinding& f : CheckConf(r)) found.push_back(r.files[f.file] + ":" + std::to_string(f.line) + ": " + f.message);
  EXPECT_EQ(found, std::vector<std::string>{dir.file("firebird.conf") + ":2: DeadlockTimeout is already set on line 1 of " +
                                            r.files[1] + ": the server uses that one"});
  EXPECT_EQ(r.files[1], NativePath(dir.file("a.conf")));
}

TEST(OtherParameters, OnlyThisFilesLinesOnceEachWithTheirComment) {
  TempDir dir;
  WriteFileBytes(dir.file("a.conf"), "NoSuchName = 1\nSortMemBlockSize = 5\nAuthServer = Srp\n");
  WriteFileBytes(dir.file("firebird.conf"),
                 "# The wire: Required, Enabled or Disabled\n"
                 "WireCrypt = Foo\n"
                 "include a.conf\n"
                 "sortmemupperlimit = 1\n"
                 "SortMemUpperLimit = 2\n");
  TVantrel doc;
  doc.Load(dir.path(), V30);
  std::vector<std::string> rows;
  for (const OtherParameter& p : OtherParametersOf(doc))
    rows.push_back(p.name + " " + std::to_string(p.line) + " " + p.serverValue + (p.usesDefault ? " (default)" : "") +
                   (p.comment.empty() ? "" : " / " + p.comment.front()));
  // An ignored or unknown name of an included file is that file's; a name
  // ignored twice is one row; a keyword the server does not know means its
  // default; a comment block may start on the first line.
  EXPECT_EQ(rows, (std::vector<std::string>{"WireCrypt 1 Required (default) / # The wire: Required, Enabled or Disabled",
                                            "SortMemUpperLimit 3 "}));
}

TEST(SaveGuard, ATabAroundAValueIsNoChangeTheServerWouldMiss) {
  TempDir dir;
  WriteFileBytes(dir.file("firebird.conf"), "# Firebird version 3.0 configuration file\nRemoteBindAddress = x\n");
  TVantrel doc;
  doc.Load(dir.path());
  const SettingId id = *FindSetting("RemoteBindAddress");
  // The window passes a pasted value on as it is: the server reads it
  // without the TAB after it, and with the one inside.
  doc.SetValueOf(id, "le\tad\t");
  const ConfReading after = ReadConf(conf::JoinLines(doc.LinesAfterSave()), dir.file("firebird.conf"), V30);
  EXPECT_EQ(Setting(after, "RemoteBindAddress").value, "le\tad");
  EXPECT_EQ(ChangeWithoutEffect(id, "le\tad\t", after), std::nullopt);
  EXPECT_EQ(UntouchedParametersReadDifferently(doc), std::vector<std::string>{});
}
