// Loading, reading values and recording changes.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "config/ConfigTestSupport.h"
#include "config/document/TVantrel.h"
#include "config/base/Utf8Path.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

// Values of all 46 keys, to tell whether anything changed.
std::vector<std::string> AllValues(const TVantrel& doc) {
  std::vector<std::string> values;
  for (const auto& p : kParameters) values.push_back(doc.Value(p.key));
  return values;
}

void LoadText(TVantrel& doc, const TempDir& dir, const std::string& text) {
  WriteFileBytes(ConfIn(dir), text);
  doc.Load(dir.path());
}

// Records every OnModified call.
struct Notifications {
  std::vector<bool> values;
  void Attach(TVantrel& doc) {
    doc.OnModified = [this, &doc](TVantrel& sender, bool modified) {
      EXPECT_EQ(&sender, &doc);
      values.push_back(modified);
    };
  }
};

}  // namespace

TEST(Lines, SplitAtLfOnlyAndJoinWithCrLf) {
  using conf::SplitLines;
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitLines(""), V{});
  EXPECT_EQ(SplitLines("a"), V{"a"});
  EXPECT_EQ(SplitLines("a\n"), V{"a"});
  EXPECT_EQ(SplitLines("a\r\n"), V{"a"});
  // A CR not followed by LF is a byte of its line, as the server reads it.
  EXPECT_EQ(SplitLines("a\r"), V{"a\r"});
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (V{"a", "b", "c\rd"}));
  EXPECT_EQ(SplitLines("\n"), V{""});
  EXPECT_EQ(SplitLines("\n\n"), (V{"", ""}));
  EXPECT_EQ(SplitLines("a\n\r"), (V{"a", "\r"}));
  EXPECT_EQ(SplitLines("a\r\r\nb"), (V{"a\r", "b"}));
  EXPECT_EQ(SplitLines(std::string("a\0b\n\0", 5)), (V{std::string("a\0b", 3), std::string(1, '\0')}));

  EXPECT_EQ(conf::JoinLines({}), "");
  EXPECT_EQ(conf::JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(Reading, ValueFormsOfParameterLines) {
  struct Row {
    const char* line;
    ParamKey key;
    const char* value;
  };
  const Row rows[] = {
      {"#TempBlockSize = 1048576", ParamKey::TempBlockSize, "#1048576"},
      {"TempBlockSize = 1048576", ParamKey::TempBlockSize, "1048576"},
      {"#RootDirectory =", ParamKey::RootDirectory, "#"},
      {"TempBlockSize = 4096 # bytes", ParamKey::TempBlockSize, "4096"},
      {"#TempBlockSize = 4096 # bytes", ParamKey::TempBlockSize, "#4096"},
      {"TempBlockSize =1048576", ParamKey::TempBlockSize, "1048576"},
      {"TempBlockSize =", ParamKey::TempBlockSize, ""},
      {"TempBlockSize=1048576", ParamKey::TempBlockSize, "*"},
      {"tempblocksize = 1048576", ParamKey::TempBlockSize, "*"},
      {"DatabaseAccess = Restrict C:\\a=b", ParamKey::DatabaseAccess, "Restrict C:\\a=b"},
      {" \t TempBlockSize =   2048 \t ", ParamKey::TempBlockSize, "2048"},
      {"#    DefaultDbCachePages = 2048   # an end-of-line comment", ParamKey::DefaultDbCachePages,
       "#2048"},
      {"# note # TempBlockSize = 5", ParamKey::TempBlockSize, "#5"},
      {"set TempBlockSize = 5 here", ParamKey::TempBlockSize, "5 here"},
      {"TempBlockSize = #", ParamKey::TempBlockSize, ""},
      {"TempBlockSize = 5#6", ParamKey::TempBlockSize, "5"},
      {"TempBlockSize =\x01 \x1f" "2048\x0b\x0c\x1f", ParamKey::TempBlockSize, "2048"},
  };
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    TVantrel doc;
    LoadText(doc, dir, std::string("# header\n") + row.line + "\n");
    EXPECT_EQ(doc.Value(row.key), row.value);
    for (const auto& p : kParameters)
      if (p.key != row.key) {
        EXPECT_EQ(doc.Value(p.key), "*") << p.name;
      }
  }

  // A "#" anywhere before the key comments it out, also one that ends the
  // line of another parameter.
  TVantrel doc;
  LoadText(doc, dir, "LockSignal = 1 # was TempBlockSize = 4\n");
  EXPECT_EQ(doc.LockSignal(), "1");
  EXPECT_EQ(doc.TempBlockSize(), "#4");
}

TEST(Reading, LastMatchingLineIsTheParameterLineAndTheFirstLineCounts) {
  TempDir dir;
  TVantrel doc;
  LoadText(doc, dir,
           "DatabaseAccess = Full\n"
           "# e.g. DatabaseAccess = Restrict /db\n"
           "TempBlockSize = 1\n"
           "DatabaseAccess = None\n"
           "  DatabaseAccess=Restrict /never\n");
  EXPECT_EQ(doc.DatabaseAccess(), "None");
  EXPECT_EQ(conf::FindParameterLine(doc.Lines(), "DatabaseAccess"), 3);
  EXPECT_EQ(conf::FindParameterLine(doc.Lines(), "RootDirectory"), -1);

  LoadText(doc, dir, "TempBlockSize = 7\n# DatabaseAccess = Full\nRemoteServicePort = 3050");
  EXPECT_EQ(doc.TempBlockSize(), "7");
  EXPECT_EQ(doc.DatabaseAccess(), "#Full");
  EXPECT_EQ(doc.RemoteServicePort(), "3050");
  EXPECT_EQ(conf::FindParameterLine(doc.Lines(), "TempBlockSize"), 0);
}

TEST(Reading, EveryKeyOnAnActiveLineAndNoKeyAtAll) {
  TempDir dir;
  std::string text;
  for (const auto& p : kParameters) text += std::string(p.name) + " = v" + std::string(p.name) + " \r\n";
  TVantrel doc;
  LoadText(doc, dir, text);
  for (const auto& p : kParameters) EXPECT_EQ(doc.Value(p.key), "v" + std::string(p.name));
  EXPECT_EQ(doc.Folder(), "vRootDirectory");
  EXPECT_EQ(doc.Lines().size(), 46u);

  LoadText(doc, dir, "# nothing known here\nFoo = 1\n");
  for (const auto& p : kParameters) EXPECT_EQ(doc.Value(p.key), "*") << p.name;
  EXPECT_EQ(doc.Folder(), "*");
}

TEST(Document, WholeCycle) {
  TempDir dir;
  TVantrel doc;
  Notifications seen;
  seen.Attach(doc);
  LoadText(doc, dir, "# Firebird configuration\n#TempBlockSize = 1048576\nTempCacheLimit = 67108864\n");
  EXPECT_EQ(doc.TempBlockSize(), "#1048576");
  EXPECT_EQ(doc.TempCacheLimit(), "67108864");
  int stars = 0;
  for (const auto& p : kParameters) stars += doc.Value(p.key) == "*";
  EXPECT_EQ(stars, 44);
  EXPECT_FALSE(doc.Modified());
  EXPECT_TRUE(seen.values.empty());  // loading raises nothing

  doc.SetTempBlockSize("2048");
  EXPECT_EQ(doc.TempBlockSize(), "2048");
  EXPECT_EQ(doc.PendingChanges(), std::vector<std::string>{"TempBlockSize=2048"});
  EXPECT_TRUE(doc.Modified());
  EXPECT_EQ(seen.values, std::vector<bool>{true});

  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)),
            SavedFromLf("# Firebird configuration\r\nTempBlockSize = 2048\r\nTempCacheLimit = 67108864\r\n"));
  EXPECT_EQ(doc.PendingChanges().size(), 1u);
  EXPECT_TRUE(doc.Modified());

  doc.SetModified(false);
  EXPECT_TRUE(doc.PendingChanges().empty());
  EXPECT_FALSE(doc.Modified());
}

TEST(Document, ChangesArePendingOncePerKeyInFirstChangeOrder) {
  TempDir dir;
  TVantrel doc;
  LoadText(doc, dir, "#TempBlockSize = 1048576\nLockSignal = 16\nDeadlockTimeout = 10\n");
  Notifications seen;
  seen.Attach(doc);

  // Equal to the current value: nothing recorded, nothing raised.
  doc.SetLockSignal("16");
  doc.SetTempBlockSize("#1048576");
  doc.SetAuthentication("*");
  EXPECT_TRUE(doc.PendingChanges().empty());
  EXPECT_FALSE(doc.Modified());
  EXPECT_TRUE(seen.values.empty());

  doc.SetLockSignal("8");
  doc.SetDeadlockTimeout("20");
  doc.SetLockSignal("4");
  EXPECT_EQ(doc.PendingChanges(), (std::vector<std::string>{"LockSignal=4", "DeadlockTimeout=20"}));
  EXPECT_EQ(doc.LockSignal(), "4");
  EXPECT_EQ(seen.values, (std::vector<bool>{true, true, true}));

  // Back to the loaded text: compared with the current value, so still pending.
  doc.SetLockSignal("16");
  EXPECT_EQ(doc.PendingChanges().front(), "LockSignal=16");
  // Values are stored as given: no trimming, "=" inside kept.
  doc.SetDatabaseAccess("Restrict C:\\a=b ");
  EXPECT_EQ(doc.DatabaseAccess(), "Restrict C:\\a=b ");
  EXPECT_EQ(doc.PendingChanges().back(), "DatabaseAccess=Restrict C:\\a=b ");
  // A key without a line in the file is recorded all the same.
  doc.SetAuthentication("mixed");
  EXPECT_EQ(doc.PendingChanges().back(), "Authentication=mixed");
  EXPECT_EQ(doc.PendingChanges().size(), 4u);
}

TEST(Document, SetModifiedAlwaysNotifiesAndFalseDropsPendingChanges) {
  TVantrel doc;
  Notifications seen;
  EXPECT_FALSE(doc.Modified());
  doc.SetModified(false);  // no handler yet: nothing to call
  seen.Attach(doc);

  doc.SetModified(false);
  EXPECT_FALSE(doc.Modified());
  doc.SetModified(true);
  doc.SetModified(true);
  EXPECT_TRUE(doc.Modified());
  EXPECT_TRUE(doc.PendingChanges().empty());
  EXPECT_EQ(seen.values, (std::vector<bool>{false, true, true}));

  doc.SetTempBlockSize("1");
  doc.SetModified(false);
  EXPECT_TRUE(doc.PendingChanges().empty());
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(doc.TempBlockSize(), "1");  // values stay; only the record goes
  EXPECT_EQ(seen.values, (std::vector<bool>{false, true, true, true, false}));
}

TEST(Document, RootDirectoryDecidesTheFolder) {
  TempDir dir;
  TVantrel doc;
  LoadText(doc, dir, "RootDirectory = /opt/firebird/\n");
  EXPECT_EQ(doc.Folder(), "/opt/firebird/");
  LoadText(doc, dir, "#RootDirectory =\n");
  EXPECT_EQ(doc.Folder(), "#");

  doc.SetRootDirectory(dir.path());
  EXPECT_EQ(doc.Folder(), dir.path());
  EXPECT_EQ(doc.RootDirectory(), dir.path());
  doc.SetModified(false);
  doc.SetRootDirectory(dir.path());  // unchanged: nothing recorded
  EXPECT_FALSE(doc.Modified());

  // An empty folder argument loads from the document's own folder.
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 9\n");
  doc.Load("");
  EXPECT_EQ(doc.TempBlockSize(), "9");
  EXPECT_EQ(doc.Folder(), "*");
}

TEST(Document, SettersTouchOnlyTheirOwnKey) {
  using Setter = void (TVantrel::*)(const std::string&);
  using Getter = const std::string& (TVantrel::*)() const;
  struct Row {
    const char* name;
    Setter set;
    Getter get;
  };
#define ROW(Key) {#Key, &TVantrel::Set##Key, &TVantrel::Key}
  const Row rows[] = {
      ROW(RootDirectory),        ROW(DatabaseAccess),       ROW(ExternalFileAccess),
      ROW(UdfAccess),            ROW(TempDirectories),      ROW(LegacyHash),
      ROW(Authentication),       ROW(DefaultDbCachePages),  ROW(DatabaseGrowthIncrement),
      ROW(MaxFileSystemCache),   ROW(TempBlockSize),        ROW(TempCacheLimit),
      ROW(OldParameterOrdering), ROW(CompleteBooleanEvaluation), ROW(DeadlockTimeout),
      ROW(MaxUnflushedWrites),   ROW(MaxUnflushedWriteTime), ROW(BugcheckAbort),
      ROW(OldColumnNaming),      ROW(ConnectionTimeout),    ROW(RemoteServiceName),
      ROW(RemoteServicePort),    ROW(RemoteAuxPort),        ROW(TcpRemoteBufferSize),
      ROW(TcpNoNagle),           ROW(RemoteBindAddress),    ROW(LockMemSize),
      ROW(LockSemCount),         ROW(LockGrantOrder),       ROW(LockAcquireSpins),
      ROW(LockHashSlots),        ROW(EventMemSize),         ROW(CpuAffinityMask),
      ROW(UsePriorityScheduler), ROW(PrioritySwitchDelay),  ROW(PriorityBoost),
      ROW(GCPolicy),             ROW(GuardianOption),       ROW(ProcessPriorityLevel),
      ROW(IpcName),              ROW(RemotePipeName),       ROW(CreateInternalWindow),
      ROW(LockSignal),           ROW(RemoteFileOpenAbility), ROW(Redirection),
  };
#undef ROW
  ASSERT_EQ(std::size(rows), 45u);

  TempDir dir;
  std::string text;
  for (const auto& p : kParameters) text += std::string(p.name) + " = old\n";
  WriteFileBytes(ConfIn(dir), text);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TVantrel doc;
    doc.Load(dir.path());
    std::vector<std::string> before = AllValues(doc);
    (doc.*row.set)("new");
    EXPECT_EQ((doc.*row.get)(), "new");
    EXPECT_EQ(doc.PendingChanges(), std::vector<std::string>{std::string(row.name) + "=new"});
    for (const auto& p : kParameters)
      if (p.name != row.name) {
        EXPECT_EQ(doc.Value(p.key), before[static_cast<std::size_t>(p.key)]);
      }
  }
}

// DummyPacketInterval is read but never written.
template <class T>
concept HasDummyPacketIntervalSetter = requires(T& doc) { doc.SetDummyPacketInterval(std::string()); };
template <class T>
concept HasTempBlockSizeSetter = requires(T& doc) { doc.SetTempBlockSize(std::string()); };
static_assert(!HasDummyPacketIntervalSetter<TVantrel>);
static_assert(HasTempBlockSizeSetter<TVantrel>);

TEST(Document, DummyPacketIntervalIsReadOnly) {
  TempDir dir;
  TVantrel doc;
  LoadText(doc, dir, "#DummyPacketInterval = 0\n");
  EXPECT_EQ(doc.DummyPacketInterval(), "#0");
  EXPECT_THROW(doc.SetValue(ParamKey::DummyPacketInterval, "5"), std::logic_error);
  EXPECT_EQ(doc.DummyPacketInterval(), "#0");
  EXPECT_FALSE(doc.Modified());
  EXPECT_TRUE(doc.PendingChanges().empty());
}

TEST(Document, LoadFailureLeavesTheDocumentAsItWas) {
  TempDir dir;
  TVantrel doc;
  LoadText(doc, dir, "RootDirectory = /srv/fb/\nTempBlockSize = 5\n");
  doc.SetTempBlockSize("6");
  const auto lines = doc.Lines();
  const auto values = AllValues(doc);
  const auto pending = doc.PendingChanges();

  auto expectUnchanged = [&] {
    EXPECT_EQ(doc.Lines(), lines);
    EXPECT_EQ(AllValues(doc), values);
    EXPECT_EQ(doc.PendingChanges(), pending);
    EXPECT_EQ(doc.Folder(), "/srv/fb/");
    EXPECT_TRUE(doc.Modified());
  };
  auto expectLoadError = [&](const std::string& folder, SystemError error) {
    std::string expected = "Cannot open file \"" + folder + "firebird.conf\". " + ErrorText(error);
    try {
      doc.Load(folder);
      ADD_FAILURE() << "Load of " << folder << " did not fail";
    } catch (const FileError& e) {
      EXPECT_EQ(std::string(e.what()), expected);
    }
    expectUnchanged();
  };

  TempDir missing;
  expectLoadError(missing.path(), SystemError::NoSuchFile);
  expectLoadError(missing.path() + "nofolder/", SystemError::NoSuchFolder);

  TempDir holdsFolder;
  ASSERT_TRUE(std::filesystem::create_directory(conf::PathFromUtf8(ConfIn(holdsFolder))));
  expectLoadError(holdsFolder.path(), SystemError::IsAFolder);

  // A file where a folder should be.
  TempDir notFolder;
  WriteFileBytes(notFolder.file("plain"), "x");
  expectLoadError(notFolder.file("plain/"), SystemError::NotAFolder);
}

TEST(Document, LoadOfAnUnreadableFileFails) {
#ifdef _WIN32
  GTEST_SKIP() << "permission bits cannot make a file unreadable on Windows";
#else
  TempDir dir;
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 5\n");
  ASSERT_EQ(chmod(ConfIn(dir).c_str(), 0000), 0);
  std::string expected = "Cannot open file \"" + ConfIn(dir) + "\". " + std::strerror(EACCES);

  auto attempt = [&] {
    TVantrel doc;
    try {
      doc.Load(dir.path());
      return std::string("loaded ") + doc.TempBlockSize();
    } catch (const FileError& e) {
      return std::string(e.what());
    }
  };
  if (geteuid() != 0) {
    EXPECT_EQ(attempt(), expected);
    return;
  }
  // Root reads anything; the same attempt as an ordinary user must fail.
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  std::optional<std::string> result = RunAsNobody(attempt);
  if (!result) GTEST_SKIP() << "running as root and unable to switch to user nobody";
  EXPECT_EQ(*result, expected);
#endif
}

TEST(Document, LoadAgainReplacesLinesButKeepsPendingChanges) {
  TempDir dir;
  TVantrel doc;
  LoadText(doc, dir, "TempBlockSize = 5\nLockSignal = 1\n");
  doc.SetTempBlockSize("6");
  LoadText(doc, dir, "TempBlockSize = 7\n");
  EXPECT_EQ(doc.TempBlockSize(), "7");
  EXPECT_EQ(doc.LockSignal(), "*");
  EXPECT_EQ(doc.Lines(), std::vector<std::string>{"TempBlockSize = 7"});
  EXPECT_EQ(doc.PendingChanges(), std::vector<std::string>{"TempBlockSize=6"});
  EXPECT_TRUE(doc.Modified());
}

TEST(Samples, ShippedFilesReadAsTheirReleasesWrite) {
  struct Sample {
    const char* file;
    std::vector<std::string> absent;
  };
  const Sample samples[] = {
      {"firebird-2.0.7.conf", {"Authentication", "TempBlockSize"}},
      {"firebird-2.1.7.conf", {}},
      {"firebird-2.5.9-windows.conf",
       {"MaxFileSystemCache", "OldParameterOrdering", "LockSemCount", "CreateInternalWindow",
        "LockSignal"}},
  };
  int found = 0;
  for (const Sample& sample : samples) {
    SCOPED_TRACE(sample.file);
    std::string path = SamplePath(sample.file);
    if (path.empty()) continue;
    ++found;
    TempDir dir;
    WriteFileBytes(ConfIn(dir), ReadFileBytes(path));
    TVantrel doc;
    doc.Load(dir.path());
    for (const std::string& name : sample.absent)
      EXPECT_EQ(doc.Value(*FindKey(name)), "*") << name;
    // Shipped files comment out every parameter they know.
    for (const auto& p : kParameters) {
      const std::string& v = doc.Value(p.key);
      if (v != "*") {
        EXPECT_EQ(v.substr(0, 1), "#") << p.name << " = " << v;
      }
    }
    EXPECT_EQ(doc.RootDirectory(), "#");
    EXPECT_EQ(doc.Folder(), "#");
    EXPECT_EQ(doc.DatabaseAccess(), "#Full");
    EXPECT_EQ(doc.RemotePipeName(), "#interbas");
    EXPECT_FALSE(doc.Modified());
    if (std::string(sample.file) == "firebird-2.1.7.conf") {
      for (const auto& p : kParameters) EXPECT_NE(doc.Value(p.key), "*") << p.name;
      EXPECT_EQ(doc.TempBlockSize(), "#1048576");
      EXPECT_EQ(doc.DefaultDbCachePages(), "#2048");
      EXPECT_EQ(doc.GCPolicy(), "#combined");
      EXPECT_EQ(doc.UdfAccess(), "#Restrict UDF");
      EXPECT_EQ(doc.Lines().size(), 766u);
    }
    if (std::string(sample.file) == "firebird-2.5.9-windows.conf") {
      EXPECT_EQ(doc.Lines().size(), 825u);
      for (const auto& line : doc.Lines()) EXPECT_EQ(line.find('\r'), std::string::npos);
    }
  }
  if (found == 0) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;
}
