// firebird.conf as each server generation reads it: one table of cases per
// rule, each case read by a 2.x and by a 3.0 server; the version a file is
// taken for; and what check says per version.

#include <gtest/gtest.h>

#include <filesystem>

#include "config/format/ConfReading.h"
#include "config/firebird/FirebirdFolder.h"
#include "config/document/SettingValues.h"
#include "config/document/TVantrel.h"
#include "config/base/Utf8Path.h"
#include "config/ConfigTestSupport.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

// What get reports for the name; "refused" when the 3.0 server refuses the
// whole file.
struct Case {
  const char* text;
  const char* name;
  const char* gen2;
  const char* gen3;
};

constexpr char kRefused[] = "refused";

// The server's built-in IpcName differs between its POSIX and Windows builds,
// and so does the separator that ends $(dir_conf).
#ifdef _WIN32
constexpr char kIpcNameDefault[] = "FIREBIRD";
constexpr char kConfFolder[] = "/srv/fb\\";
#else
constexpr char kIpcNameDefault[] = "FirebirdIPI";
constexpr char kConfFolder[] = "/srv/fb/";
#endif

std::string Reads(const ConfReading& r, std::string_view name) {
  if (r.refusedAt) return kRefused;
  return r.settings[*FindSetting(name)].value;
}

void ExpectEachGeneration(std::initializer_list<Case> cases, const std::string& folder = "/nowhere/") {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Reads(ReadConf(c.text, folder + "firebird.conf", ServerVersion::V2_5), c.name), c.gen2)
        << "as 2.5 reads it";
    EXPECT_EQ(Reads(ReadConf(c.text, folder + "firebird.conf", ServerVersion::V3_0), c.name), c.gen3)
        << "as 3.0 reads it";
  }
}

}  // namespace

TEST(ReadingRules, LineEnds) {
  ExpectEachGeneration({
      {"ConnectionTimeout = 77\r\nDeadlockTimeout = 5\r\n", "DeadlockTimeout", "5", "5"},
      // A lone CR ends no line: the rest belongs to the value.
      {"ConnectionTimeout = 77\rDeadlockTimeout = 5\n", "ConnectionTimeout", "77", "0"},
      {"ConnectionTimeout = 77\rDeadlockTimeout = 5\n", "DeadlockTimeout", "10", "10"},
      {"DeadlockTimeout = 5", "DeadlockTimeout", "5", "5"},
  });
}

TEST(ReadingRules, BlanksAndComments) {
  ExpectEachGeneration({
      {"  \tDeadlockTimeout\t =  7  # seven\n", "DeadlockTimeout", "7", "7"},
      {"DeadlockTimeout = = 7\n", "DeadlockTimeout", "7", "0"},
      {"IpcName = x#y\n", "IpcName", "x", "x"},
      {"IpcName = \"x#y\"\n", "IpcName", "\"x", "x#y"},
      {"#DeadlockTimeout = 7\n", "DeadlockTimeout", "10", "10"},
      {"IpcName = C:\\a=b\n", "IpcName", "C:\\a=b", "C:\\a=b"},
  });
}

TEST(ReadingRules, KeysIgnoreCaseAndTheWinnerDiffers) {
  ExpectEachGeneration({
      {"deadlocktimeout = 4\n", "DeadlockTimeout", "4", "4"},
      {"DEADLOCKTIMEOUT = 4\n", "DeadlockTimeout", "4", "4"},
      {"DeadlockTimeout = 1\nDeadlockTimeout = 2\ndeadlocktimeout = 3\n", "DeadlockTimeout", "3", "1"},
      {"Dead lockTimeout = 4\n", "DeadlockTimeout", "10", "10"},
  });
}

TEST(ReadingRules, EmptyValues) {
  ExpectEachGeneration({
      {"ConnectionTimeout =\n", "ConnectionTimeout", "180", "0"},
      {"TcpNoNagle =   # off?\n", "TcpNoNagle", "1", "false"},
      {"RemoteServiceName =\n", "RemoteServiceName", "gds_db", ""},
  });
}

TEST(ReadingRules, Integers) {
  ExpectEachGeneration({
      {"ConnectionTimeout = 64K\n", "ConnectionTimeout", "64", "65536"},
      {"ConnectionTimeout = 2m\n", "ConnectionTimeout", "2", "2097152"},
      {"ConnectionTimeout = 1G\n", "ConnectionTimeout", "1", "1073741824"},
      {"ConnectionTimeout = 3000x\n", "ConnectionTimeout", "3000", "0"},
      {"ConnectionTimeout = 1k5\n", "ConnectionTimeout", "1", "0"},
      {"ConnectionTimeout = 2 K\n", "ConnectionTimeout", "2", "0"},
      {"ConnectionTimeout = 1009 1\n", "ConnectionTimeout", "1009", "0"},
      {"ConnectionTimeout = 0x10\n", "ConnectionTimeout", "0", "0"},
      {"ConnectionTimeout = abc\n", "ConnectionTimeout", "0", "0"},
      {"ProcessPriorityLevel = -5\n", "ProcessPriorityLevel", "-5", "-5"},
      {"ProcessPriorityLevel = +5\n", "ProcessPriorityLevel", "5", "0"},
      {"ProcessPriorityLevel = --5\n", "ProcessPriorityLevel", "0", "5"},
      // Both keep the packet size within what they can use.
      {"TcpRemoteBufferSize = 64K\n", "TcpRemoteBufferSize", "1448", "32767"},
  });
}

TEST(ReadingRules, Booleans) {
  ExpectEachGeneration({
      {"TcpNoNagle = 0\n", "TcpNoNagle", "0", "false"},
      {"TcpNoNagle = 2\n", "TcpNoNagle", "1", "true"},
      {"TcpNoNagle = -1\n", "TcpNoNagle", "1", "true"},
      {"TcpNoNagle = 5abc\n", "TcpNoNagle", "1", "true"},
      {"TcpNoNagle = true\n", "TcpNoNagle", "0", "true"},
      {"TcpNoNagle = YES\n", "TcpNoNagle", "0", "true"},
      {"TcpNoNagle = y\n", "TcpNoNagle", "0", "true"},
      {"TcpNoNagle = on\n", "TcpNoNagle", "0", "false"},
      {"TcpNoNagle = yes please\n", "TcpNoNagle", "0", "false"},
  });
}

TEST(ReadingRules, Quotes) {
  ExpectEachGeneration({
      {"IpcName = \"  spaced  \"\n", "IpcName", "\"  spaced  \"", "  spaced  "},
      {"IpcName = a\"b\"\n", "IpcName", "a\"b\"", "a\"b"},
      {"IpcName = \"\"\n", "IpcName", "\"\"", ""},
      {"IpcName = \"x\"   # quoted\n", "IpcName", "\"x\"", "x"},
      // A quote before "=", a third quote, text after the closing quote and
      // an unclosed quote: 2.x takes the text, 3.0 refuses the file.
      {"\"IpcName\" = x\n", "IpcName", kIpcNameDefault, kRefused},
      {"IpcName = \"\"\"\n", "IpcName", "\"\"\"", kRefused},
      {"IpcName = \"a\" b\n", "IpcName", "\"a\" b", kRefused},
      {"IpcName = \"abc\n", "IpcName", "\"abc", kRefused},
      {"= 5\n", "IpcName", kIpcNameDefault, kRefused},
  });
}

TEST(ReadingRules, BracesAndMacros) {
  ExpectEachGeneration({
      {"IpcName = a{{b}}c\n", "IpcName", "a{{b}}c", "a{b}c"},
      {"IpcName = $(this)/x\n", "IpcName", "$(this)/x", "/srv/fb/x"},
      {"IpcName = $(DIR_CONF)\n", "IpcName", "$(DIR_CONF)", kConfFolder},
      {"IpcName = $(dir_secDb)\n", "IpcName", "$(dir_secDb)", "$(dir_secDb)"},
      {"IpcName = $(ROOT)\n", "IpcName", "$(ROOT)", kRefused},
      {"IpcName = $(nosuch)\n", "IpcName", "$(nosuch)", kRefused},
      {"IpcName = $(root/x\n", "IpcName", "$(root/x", kRefused},
  }, "/srv/fb/");
}

TEST(ReadingRules, LinesWithoutEquals) {
  // 2.x: a bad line (the server does not run); 3.0.11: ignored, but it takes
  // the place of the first line, so the value below it does not count.
  ExpectEachGeneration({
      {"GuardianOption\nGuardianOption = 0\n", "GuardianOption", "0", "1"},
      {"GuardianOption = 0\nGuardianOption\n", "GuardianOption", "0", "0"},
      {"NoSuchName\nGuardianOption = 0\n", "GuardianOption", "0", "0"},
      {"Guardian\"Option\n", "GuardianOption", "1", kRefused},
  });
}

TEST(ReadingRules, Include) {
  TempDir dir;
  std::filesystem::create_directories(conf::PathFromUtf8(dir.file("sub")));
  WriteFileBytes(dir.file("sub/a.conf"), "ConnectionTimeout = 44\n");
  WriteFileBytes(dir.file("sub/.hidden.conf"), "DeadlockTimeout = 9\n");
  const std::string folder = dir.path();
  ExpectEachGeneration({
      // Lines of an included file count at the place of the include.
      {"include sub/a.conf\nConnectionTimeout = 55\n", "ConnectionTimeout", "55", "44"},
      {"INCLUDE\tsub/*.conf\nConnectionTimeout = 55\n", "ConnectionTimeout", "55", "44"},
      {"include $(this)/sub/a.conf\n", "ConnectionTimeout", "180", "44"},
      {"include nomatch/*.conf\nConnectionTimeout = 55\n", "ConnectionTimeout", "55", "55"},
      {"include sub/a.conf # c\n", "ConnectionTimeout", "180", kRefused},
      {"include \"sub/a.conf\"\n", "ConnectionTimeout", "180", kRefused},
      {"include missing.conf\n", "ConnectionTimeout", "180", kRefused},
      {"include firebird.conf\n", "ConnectionTimeout", "180", kRefused},
      // 3.0 passes over hidden files the pattern does not name.
      {"include sub/*.conf\n", "DeadlockTimeout", "10", "10"},
      {"include sub/.*.conf\n", "DeadlockTimeout", "10", "9"},
  }, folder);
  // Later versions pass over only "." and "..".
  WriteFileBytes(dir.file("firebird.conf"), "include sub/*.conf\n");
  EXPECT_EQ(Reads(ReadConf("include sub/*.conf\n", dir.file("firebird.conf"), ServerVersion::V4_0),
                  "DeadlockTimeout"),
            "9");

  // A value from an included file is reported with that file and line.
  const ConfReading r = ReadConf("# settings\ninclude sub/a.conf\n", dir.file("firebird.conf"), ServerVersion::V3_0);
  const ConfSetting& s = r.settings[*FindSetting("ConnectionTimeout")];
  EXPECT_EQ(r.files.at(s.file), NativePath(dir.file("sub/a.conf")));
  EXPECT_EQ(s.line, 1u);
}

TEST(ReadingRules, DefaultsFollowTheVersionAndServerMode) {
  const auto value = [](const char* text, ServerVersion v, const char* name) {
    return ReadConf(text, "/x/firebird.conf", v).settings[*FindSetting(name)].value;
  };
  EXPECT_EQ(value("", ServerVersion::V2_1, "LockHashSlots"), "1009");
  EXPECT_EQ(value("", ServerVersion::V2_0, "LockHashSlots"), "101");
  EXPECT_EQ(value("", ServerVersion::V3_0, "LockHashSlots"), "8191");
  EXPECT_EQ(value("", ServerVersion::V3_0, "DefaultDbCachePages"), "2048");
  EXPECT_EQ(value("ServerMode = classic\n", ServerVersion::V3_0, "DefaultDbCachePages"), "256");
  EXPECT_EQ(value("ServerMode = Classic\n", ServerVersion::V4_0, "GCPolicy"), "cooperative");
  EXPECT_EQ(value("ServerMode = Classic\n", ServerVersion::V2_5, "DefaultDbCachePages"), "2048");
  // A commented line shows the default, not what it says.
  EXPECT_EQ(value("#LockHashSlots = 1009\n", ServerVersion::V3_0, "LockHashSlots"), "8191");
  // GCPolicy: 3.0 compares with the lower-case words only, 4.0 ignores case.
  EXPECT_EQ(value("GCPolicy = Background\n", ServerVersion::V3_0, "GCPolicy"), "combined");
  EXPECT_EQ(value("GCPolicy = Background\n", ServerVersion::V4_0, "GCPolicy"), "background");
  EXPECT_EQ(value("ServerMode = superclassic\n", ServerVersion::V3_0, "ServerMode"), "SuperClassic");
}

TEST(VersionDetection, SamplesAndCues) {
  struct Row {
    const char* sample;
    ServerVersion version;
  };
  std::size_t found = 0;
  for (const Row& row : {Row{"firebird-2.0.7.conf", ServerVersion::V2_0}, Row{"firebird-2.1.7.conf", ServerVersion::V2_1},
                         Row{"firebird-2.5.9-windows.conf", ServerVersion::V2_5},
                         Row{"firebird-3.0.11-debian.conf", ServerVersion::V3_0}}) {
    const std::string path = SamplePath(row.sample);
    if (path.empty()) continue;
    ++found;
    SCOPED_TRACE(row.sample);
    const DetectedVersion d = DetectServerVersion(ReadFileBytes(path));
    EXPECT_EQ(d.version, row.version);
    EXPECT_EQ(d.cue, VersionCue::Header);
  }
  if (found == 0) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;

  struct Text {
    const char* text;
    ServerVersion version;
    VersionCue cue;
  };
  for (const Text& t : {
           Text{"", ServerVersion::V2_1, VersionCue::None},
           Text{"DefaultDbCachePages = 4096\n", ServerVersion::V2_1, VersionCue::None},
           Text{"#\n# Firebird version 4.0 configuration file\n#\n", ServerVersion::V4_0, VersionCue::Header},
           Text{"# Firebird version 6.0 configuration file\n", ServerVersion::V5_0, VersionCue::Header},
           Text{"ServerMode = Classic\nWireCrypt = Enabled\n", ServerVersion::V3_0, VersionCue::Names},
           Text{"#ParallelWorkers = 1\nServerMode = Super\n", ServerVersion::V5_0, VersionCue::Names},
           Text{"SortMemBlockSize = 1048576\n", ServerVersion::V2_0, VersionCue::Names},
           Text{"# Firebird configuration file\nServerMode = Super\nFileSystemCacheSize = 0\n",
                ServerVersion::V2_5, VersionCue::Header},
       }) {
    SCOPED_TRACE(t.text);
    const DetectedVersion d = DetectServerVersion(t.text);
    EXPECT_EQ(d.version, t.version);
    EXPECT_EQ(d.cue, t.cue);
  }
  EXPECT_EQ(ParseServerVersion("3.0"), ServerVersion::V3_0);
  EXPECT_EQ(ParseServerVersion("4"), ServerVersion::V4_0);
  EXPECT_EQ(ParseServerVersion("2.5.9"), ServerVersion::V2_5);
  EXPECT_FALSE(ParseServerVersion("2").has_value());
  EXPECT_FALSE(ParseServerVersion("3.5").has_value());
}

TEST(VersionCheck, ShippedFilesAndATypicalConfigurationAreClean) {
  std::size_t found = 0;
  for (const char* name : {"firebird-2.0.7.conf", "firebird-2.1.7.conf", "firebird-2.5.9-windows.conf",
                           "firebird-3.0.11-debian.conf"}) {
    const std::string path = SamplePath(name);
    if (path.empty()) continue;
    ++found;
    const std::string text = ReadFileBytes(path);
    EXPECT_EQ(Findings(text, DetectServerVersion(text).version), std::vector<std::string>{}) << name;
  }
  const std::string typical =
      "ServerMode = SuperClassic\n"
      "WireCrypt = Enabled\n"
      "AuthServer = Srp256, Srp\n"
      "AuthClient = Srp256, Srp, Legacy_Auth\n"
      "UserManager = Srp, Legacy_UserManager\n"
      "WireCryptPlugin = ChaCha, Arc4\n"
      "DefaultDbCachePages = 64K\n"
      "TempCacheLimit = 256M\n"
      "FileSystemCacheThreshold = 64K\n"
      "TcpNoNagle = true\n"
      "RemoteAccess = false\n"
      "WireCompression = yes\n"
      "RemoteBindAddress = \"\"\n"
      "DatabaseAccess = Restrict /var/lib/firebird/data\n";
  for (ServerVersion v : {ServerVersion::V3_0, ServerVersion::V4_0, ServerVersion::V5_0})
    EXPECT_EQ(Findings(typical, v), std::vector<std::string>{}) << VersionName(v);
  if (found == 0) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;
}

TEST(VersionCheck, TheDocumentAndTheServerAgreeOnEveryShippedFile) {
  std::size_t found = 0;
  for (const char* name : {"firebird-2.0.7.conf", "firebird-2.1.7.conf", "firebird-2.5.9-windows.conf",
                           "firebird-3.0.11-debian.conf"}) {
    const std::string path = SamplePath(name);
    if (path.empty()) continue;
    ++found;
    SCOPED_TRACE(name);
    TempDir dir;
    WriteFileBytes(dir.file("firebird.conf"), ReadFileBytes(path));
    TVantrel doc;
    doc.Load(dir.path());
    const ConfReading r = ReadConf(ReadFileBytes(path), dir.file("firebird.conf"), doc.Version());
    for (const auto& p : kParameters) {
      const ConfSetting& s = r.settings[SettingIdOf(p.key)];
      const DecodedValue editor = Decode(doc.Value(p.key));
      if (!ReadBy(SettingIdOf(p.key), doc.Version())) continue;
      EXPECT_EQ(s.state, editor.state) << p.name;
      EXPECT_EQ(s.fileText, editor.text) << p.name;
    }
  }
  if (found == 0) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;
}

TEST(VersionCheck, ReportsWhatEachVersionReadsDifferently) {
  const std::string text =
      "TempCacheLimit = 64M\n"
      "TcpNoNagle = on\n"
      "TcpRemoteBufferSize = 65536\n"
      "TempBlockSize = 1\n"
      "TempBlockSize = 2\n"
      "tempblocksize = 4\n"
      "TempBlokSize = 5\n"
      "RootDirectory = /opt/firebird\n"
      "ParallelWorkers = 4\n"
      "GCPolicy = Sometimes\n"
      "GuardianOption\n"
      "ServerMode = Classic\n"
      "Classic = 1\n"
      "LockHashSlots =\n"
      "RemotePipeName = a\vb\n";
  EXPECT_EQ(Findings(text, ServerVersion::V2_1),
            (std::vector<std::string>{
                "11: no \"=\" on this line: a Firebird 2.1 server refuses to start on it",
                "1: TempCacheLimit = 64M: the server reads 64",
                "2: TcpNoNagle = on: the server reads 0 (off)",
                "3: TcpRemoteBufferSize = 65536: outside the range 1448 to 32767; the server uses 32767",
                "4: TempBlockSize is set again on line 6, which the server uses",
                "5: TempBlockSize is set again on line 6, which the server uses",
                "6: tempblocksize = 4: the server uses 65536 (at least 65536 and rounded up to a multiple of 65536)",
                "7: unknown parameter \"TempBlokSize\"; did you mean TempBlockSize?",
                "9: ParallelWorkers is not read by Firebird 2.1 (added in 5.0)",
                "10: GCPolicy = Sometimes: not one of cooperative, background, combined; the server uses combined",
                "12: ServerMode is not read by Firebird 2.1 (added in 3.0)",
                "13: unknown parameter \"Classic\"",
                "15: RemotePipeName: the value holds the control character 0x0B, which the server reads as part of it",
            }));
}

TEST(VersionCheck, ThreeZeroFindingsAndTheRefusedFileFirst) {
  const std::string text =
      "TempCacheLimit = 64M\n"
      "TcpNoNagle = on\n"
      "TcpRemoteBufferSize = 64K\n"
      "TempBlockSize = 1\n"
      "TempBlockSize = 2\n"
      "RootDirectory = /opt/firebird\n"
      "ParallelWorkers = 4\n"
      "GCPolicy = Combined\n"
      "GuardianOption\n"
      "GuardianOption = 0\n"
      "LockHashSlots =\n"
      "DeadlockTimeout = 10s\n";
  EXPECT_EQ(Findings(text, ServerVersion::V3_0),
            (std::vector<std::string>{
                "2: TcpNoNagle = on: the server reads false",
                "3: TcpRemoteBufferSize = 65536: outside the range 1448 to 32767; the server uses 32767",
                "4: TempBlockSize = 1: the server uses 65536 (at least 65536 and rounded up to a multiple of 65536)",
                "5: TempBlockSize is already set on line 4: the server uses that one",
                "6: RootDirectory is not read by Firebird 3.0 (removed in 3.0)",
                "7: ParallelWorkers is not read by Firebird 3.0 (added in 5.0)",
                "8: GCPolicy = Combined: Firebird 3.0 reads this word only as written in its list "
                "(cooperative, background, combined); the server uses combined",
                "9: GuardianOption without \"=\": Firebird 3.0 (release 3.0.11) ignores this line, but a later "
                "GuardianOption line then no longer counts; Debian's 3.0.11.33637 build and 3.0.10 and older "
                "read it as an empty value (0, false or nothing)",
                "10: GuardianOption is named without \"=\" on line 9, which hides this line: the server keeps "
                "its default",
                "11: LockHashSlots has an empty value: Firebird 3.0 reads 0, not its default 8191, and uses 101",
                "12: DeadlockTimeout = 10s: the server reads 0",
            }));
  EXPECT_EQ(Findings(text + "IpcName = \"a\" b\n", ServerVersion::V3_0).front(),
            "13: Firebird 3.0 refuses the whole file because of this line (text after the closing quote): "
            "the server does not start with it");
}

TEST(FirebirdFolder, DebianFolderOfTheNewestVersionWithAFile) {
  TempDir root;
  EXPECT_EQ(DebianFirebirdFolder(root.path()), "");
  for (const char* version : {"2.5", "3.0", "10.0", "4.0", "notes"})
    std::filesystem::create_directories(conf::PathFromUtf8(root.file(version)));
  WriteFileBytes(root.file("2.5/firebird.conf"), "");
  WriteFileBytes(root.file("3.0/firebird.conf"), "");
  WriteFileBytes(root.file("notes/firebird.conf"), "");
  EXPECT_EQ(DebianFirebirdFolder(root.path()), NativePath(root.file("3.0/")));
  WriteFileBytes(root.file("10.0/firebird.conf"), "");
  EXPECT_EQ(DebianFirebirdFolder(root.path()), NativePath(root.file("10.0/")));
  EXPECT_EQ(DebianFirebirdFolder(root.file("missing/")), "");
}

TEST(VersionWrite, EachVersionTakesTheFormsItReads) {
  struct Row {
    const char* name;
    const char* value;
    ServerVersion v;
    const char* problem;  // empty: accepted
    const char* written;
  };
  const auto v21 = ServerVersion::V2_1, v30 = ServerVersion::V3_0, v50 = ServerVersion::V5_0;
  for (const Row& r : {
           Row{"TempCacheLimit", "64M", v21, "\"64M\" is not a number (digits only)", ""},
           Row{"TempCacheLimit", "64M", v30, "", "64M"},
           Row{"TempCacheLimit", "64MB", v30, "\"64MB\" is not a number (digits, with k, m or g after them)", ""},
           Row{"TempCacheLimit", "", v30, "\"\" is not a number (digits, with k, m or g after them)", ""},
           Row{"TcpRemoteBufferSize", "64K", v30, "64K is outside the range 1448 to 32767", ""},
           Row{"TcpNoNagle", "true", v21, "\"true\" is not 0 or 1", ""},
           Row{"TcpNoNagle", "Yes", v30, "", "true"},
           Row{"TcpNoNagle", "0", v30, "", "false"},
           Row{"TcpNoNagle", "on", v30, "\"on\" is not true or false", ""},
           Row{"GCPolicy", "Background", v30, "", "background"},
           Row{"ServerMode", "superclassic", v50, "", "SuperClassic"},
           Row{"ServerMode", "Hybrid", v30,
               "\"Hybrid\" is not one of Super, ThreadedDedicated, SuperClassic, ThreadedShared, Classic, MultiProcess",
               ""},
           Row{"ServerMode", "Classic", v21, "ServerMode is not read by Firebird 2.1 (added in 3.0)", ""},
           Row{"RootDirectory", "/opt", v30, "RootDirectory is not read by Firebird 3.0 (removed in 3.0)", ""},
           Row{"AuthServer", "Srp256, Srp", v30, "", "Srp256, Srp"},
           Row{"IpcName", "\"x\"", v30, "a value cannot hold a quote: the server takes quotes away or refuses the file", ""},
           Row{"IpcName", "\"x\"", v21, "", "\"x\""},
           Row{"SecurityDatabase", "$(dir_secDb)/s.fdb", v30, "a value cannot hold \"$(\": the server reads it as a macro", ""},
           Row{"WireCryptPlugin", "a#b", v30,
               "a value cannot hold \"#\": the server reads the rest of the line as a comment", ""},
           Row{"DatabaseAccess", "Restrict /db", v30, "", "Restrict /db"},
           Row{"DummyPacketInterval", "5", v30, "cannot be changed", ""},
       }) {
    SCOPED_TRACE(std::string(r.name) + "=" + r.value + " on " + std::string(VersionName(r.v)));
    const SettingId id = *FindSetting(r.name);
    EXPECT_EQ(WriteProblem(id, r.value, r.v).value_or(""), r.problem);
    if (!*r.problem) {
      EXPECT_EQ(WrittenForm(id, r.value, r.v), r.written);
    }
  }
}
