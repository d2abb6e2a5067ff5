// Saving: which lines change, how the file is replaced, and what a failed
// save leaves behind.

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <vector>

#ifndef _WIN32
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "config/fs/AtomicFile.h"
#include "config/ConfigTestSupport.h"
#include "config/document/TVantrel.h"
#include "config/base/Utf8Path.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

namespace fs = std::filesystem;
using conf::PathFromUtf8;

std::string CreateError(const std::string& path, const std::string& reason) {
  return "Cannot create file \"" + path + "\". " + reason;
}
std::string CreateError(const std::string& path, SystemError error) { return CreateError(path, ErrorText(error)); }
// An existing file that is not replaced.
std::string WriteError(const std::string& path, const std::string& reason) {
  return "Cannot write file \"" + path + "\". " + reason;
}

#ifndef _WIN32
std::string WriteError(const std::string& path, int error) { return WriteError(path, std::strerror(error)); }

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}
#endif

}  // namespace

TEST(Save, RewritesOnlyPendingKeysInCanonicalForm) {
  TempDir dir;
  const std::string original =
      "# DatabaseAccess = Restrict /example\n"
      "  #  TempBlockSize = 1048576 # bytes\n"
      "\tDatabaseAccess = Full\r\n"
      "LockSignal = 16\n"
      "TempCacheLimit = 67108864";
  WriteFileBytes(ConfIn(dir), original);
  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempBlockSize("2048");
  doc.SetDatabaseAccess("Restrict ");  // trailing blank is written as given
  doc.SetLockSignal("16");             // equal: not pending
  doc.SetAuthentication("mixed");      // no line: nothing added
  doc.Save(dir.path());

  const std::string crlf =
      "# DatabaseAccess = Restrict /example\r\n"
      "TempBlockSize = 2048 # bytes\r\n"
      "DatabaseAccess = Restrict \r\n"
      "LockSignal = 16\r\n"
      "TempCacheLimit = 67108864\r\n";
#ifdef _WIN32
  const std::string expected = crlf;
#else
  // Each line keeps its own end (the last one none), a rewritten line the
  // end of the line it replaces.
  const std::string expected =
      "# DatabaseAccess = Restrict /example\n"
      "TempBlockSize = 2048 # bytes\n"
      "DatabaseAccess = Restrict \r\n"
      "LockSignal = 16\n"
      "TempCacheLimit = 67108864";
#endif
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), expected);
  EXPECT_EQ(conf::JoinLines(doc.Lines()), crlf);
  EXPECT_EQ(doc.PendingChanges().size(), 3u);
  EXPECT_TRUE(doc.Modified());

  TVantrel again;
  again.Load(dir.path());
  EXPECT_EQ(again.TempBlockSize(), "2048");
  EXPECT_EQ(again.DatabaseAccess(), "Restrict");
  EXPECT_EQ(again.Authentication(), "*");

  // Saving the same changes again gives the same file.
  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), expected);
}

TEST(Save, ALineBreakInAValueCannotAddLines) {
  TempDir dir;
  WriteFileBytes(ConfIn(dir), "RemoteServiceName = gds_db\nRemoteServicePort = 3050\n");
  TVantrel doc;
  doc.Load(dir.path());
  doc.SetRemoteServiceName("a\r\nRemoteServicePort = 9\nb");
  EXPECT_EQ(doc.RemoteServiceName(), "a\r\nRemoteServicePort = 9\nb");  // stored as given
  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)),
            SavedFromLf("RemoteServiceName = a  RemoteServicePort = 9 b\r\nRemoteServicePort = 3050\r\n"));
}

TEST(Save, WriteAccessIsJudgedAsTheWriterWouldWithoutWriting) {
  using enum conf::WriteAccess;
  TempDir dir;
  const std::string file = dir.file("firebird.conf"), locked = dir.file("locked.conf");
  WriteFileBytes(file, "a\n");
  WriteFileBytes(locked, "b\n");
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  fs::create_directory(dir.file("folder.conf"));
  std::vector<std::pair<std::string, conf::WriteAccess>> cases = {
      {file, Allowed},
      {dir.file("new.conf"), Allowed},
      {locked, NoWritePermission},
      {dir.file("folder.conf"), Impossible},
  };
#ifndef _WIN32  // symbolic links need a privilege on Windows
  fs::create_symlink(locked, dir.file("link.conf"));
  cases.push_back({dir.file("link.conf"), NoWritePermission});  // judged by the file it leads to
#endif
  for (const auto& [path, access] : cases) EXPECT_EQ(conf::CheckWriteAccess(path), access) << path;
  // Nothing was written, nothing left behind: the files made above only.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()),
            static_cast<std::ptrdiff_t>(cases.size()) - 1);
  EXPECT_EQ(ReadFileBytes(file), "a\n");
}

TEST(Save, NothingPendingWritesNothing) {
  TempDir dir;
  TVantrel doc;
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 1\n");
  doc.Load(dir.path());
  doc.SetModified(true);
  TempDir other;
  doc.Save(other.path());
  EXPECT_FALSE(FileExists(ConfIn(other)));
  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 1\n");

  // A key the file does not have is still pending; the file is rewritten
  // (on Windows with CR LF) but gains no line.
  doc.SetLockSignal("16");
  EXPECT_TRUE(doc.Modified());
  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), SavedFromLf("TempBlockSize = 1\r\n"));
}

TEST(Save, SetRootDirectoryMovesTheSaveFolderByPlainConcatenation) {
  TempDir dir;
  WriteFileBytes(ConfIn(dir), "RootDirectory = /nowhere/\nTempBlockSize = 1\n");
  TVantrel doc;
  doc.Load(dir.path());
  ASSERT_TRUE(fs::create_directory(PathFromUtf8(dir.file("moved"))));

  doc.SetRootDirectory(dir.file("moved/"));
  doc.Save("");
  EXPECT_EQ(ReadFileBytes(dir.file("moved/firebird.conf")),
            SavedFromLf("RootDirectory = " + dir.file("moved/") + "\r\nTempBlockSize = 1\r\n"));

  doc.SetRootDirectory(dir.file("moved"));  // no separator: glued to the name
  doc.Save("");
  EXPECT_TRUE(FileExists(dir.file("movedfirebird.conf")));
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "RootDirectory = /nowhere/\nTempBlockSize = 1\n");
}

TEST(Save, OddBytesRoundTripUntouched) {
  TempDir dir;
  const std::string longLine(1 << 20, 'x');
  const std::string nul("nul\0inside\0", 11);
  const std::string original = "# first\rlone CR inside\r\n" + nul + "\n" + longLine +
                               "\n\n\r\n#TempBlockSize = 8\n\xff\xfe high bytes = 1\t\n"
                               "last line without end";
  WriteFileBytes(ConfIn(dir), original);
  TVantrel doc;
  doc.Load(dir.path());
  EXPECT_EQ(doc.TempBlockSize(), "#8");
  doc.SetTempBlockSize("16");
  doc.Save(dir.path());
#ifdef _WIN32
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)),
            "# first\rlone CR inside\r\n" + nul + "\r\n" + longLine +
                "\r\n\r\n\r\nTempBlockSize = 16\r\n\xff\xfe high bytes = 1\t\r\n"
                "last line without end\r\n");
#else
  // Every byte but the rewritten line's, the line ends included.
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)),
            "# first\rlone CR inside\r\n" + nul + "\n" + longLine +
                "\n\n\r\nTempBlockSize = 16\n\xff\xfe high bytes = 1\t\n"
                "last line without end");
#endif
}

TEST(Save, FailureKeepsTheOldFileAndThePendingChanges) {
  TempDir dir;
  const std::string original = "#TempBlockSize = 1048576\nLockSignal = 16\n";
  WriteFileBytes(ConfIn(dir), original);
  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempBlockSize("2048");
  const auto lines = doc.Lines();
  const auto pending = doc.PendingChanges();

  auto expectUnchanged = [&] {
    EXPECT_EQ(ReadFileBytes(ConfIn(dir)), original);
    EXPECT_EQ(doc.Lines(), lines);
    EXPECT_EQ(doc.PendingChanges(), pending);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"firebird.conf"});
  };

  // A file nobody may write, refused even when running as root.
  SetReadOnly(ConfIn(dir), true);
  EXPECT_EQ(SaveError(doc, dir.path()), WriteError(ConfIn(dir), ReadOnlyReason()));
  expectUnchanged();
#ifdef _WIN32
  EXPECT_TRUE(IsReadOnly(ConfIn(dir)));
#else
  EXPECT_EQ(StatOf(ConfIn(dir)).st_mode & 07777, 0444u);
#endif

  // Missing folder.
  EXPECT_EQ(SaveError(doc, dir.file("gone/")), CreateError(dir.file("gone/firebird.conf"), SystemError::NoSuchFolder));
  EXPECT_FALSE(FileExists(dir.file("gone")));
  expectUnchanged();

  // A folder where the file should be.
  TempDir holdsFolder;
  ASSERT_TRUE(fs::create_directory(PathFromUtf8(ConfIn(holdsFolder))));
  EXPECT_EQ(SaveError(doc, holdsFolder.path()), WriteError(ConfIn(holdsFolder), "It is a folder, not a regular file"));
  expectUnchanged();

  // Once writable again the same changes are written.
  SetReadOnly(ConfIn(dir), false);
  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), SavedFromLf("TempBlockSize = 2048\r\nLockSignal = 16\r\n"));
}

TEST(Save, WriteFailingMidwayLeavesTheOldFileWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file size limit to make a write fail halfway";
#else
  TempDir dir;
  std::string original;
  for (int i = 0; i < 2000; ++i) original += "# filler line " + std::to_string(i) + "\n";
  original += "TempBlockSize = 1\n";
  WriteFileBytes(ConfIn(dir), original);
  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempBlockSize("2");

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;  // far below the new file's size
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error = SaveError(doc, dir.path());
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);

  EXPECT_EQ(error, WriteError(ConfIn(dir), EFBIG));
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), original);
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"firebird.conf"});
  EXPECT_EQ(doc.PendingChanges(), std::vector<std::string>{"TempBlockSize=2"});

  doc.Save(dir.path());
  EXPECT_NE(ReadFileBytes(ConfIn(dir)).find("\nTempBlockSize = 2\n"), std::string::npos);
#endif
}

TEST(Save, SymlinkStaysALinkAndItsTargetGetsTheContent) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege on Windows";
#else
  TempDir dir;
  ASSERT_EQ(mkdir(dir.file("real").c_str(), 0755), 0);
  WriteFileBytes(dir.file("real/actual.conf"), "TempBlockSize = 1\n");
  ASSERT_EQ(chmod(dir.file("real/actual.conf").c_str(), 0640), 0);
  // A chain: firebird.conf -> real/step.conf -> actual.conf (relative links).
  ASSERT_EQ(symlink("actual.conf", dir.file("real/step.conf").c_str()), 0);
  ASSERT_EQ(symlink("real/step.conf", ConfIn(dir).c_str()), 0);

  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempBlockSize("2");
  doc.Save(dir.path());

  EXPECT_TRUE(S_ISLNK(StatOf(ConfIn(dir)).st_mode));
  EXPECT_TRUE(S_ISLNK(StatOf(dir.file("real/step.conf")).st_mode));
  EXPECT_EQ(fs::read_symlink(ConfIn(dir)), "real/step.conf");
  EXPECT_EQ(ReadFileBytes(dir.file("real/actual.conf")), "TempBlockSize = 2\n");
  EXPECT_EQ(StatOf(dir.file("real/actual.conf")).st_mode & 07777, 0640u);
  EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"firebird.conf", "real"}));
  EXPECT_EQ(FolderEntries(dir.file("real")), (std::vector<std::string>{"actual.conf", "step.conf"}));
#endif
}

TEST(Save, PermissionsAndOwnerAreKept) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX modes and owners; WindowsFile.AttributesAndSecurityAreKept covers Windows";
#else
  const bool root = geteuid() == 0;
  // Plain, set-user-id and set-group-id, sticky.
  for (const mode_t mode : {0604u, 06750u, 01640u}) {
    SCOPED_TRACE(testing::Message() << std::oct << mode);
    TempDir dir;
    WriteFileBytes(ConfIn(dir), "TempBlockSize = 1\n");
    if (root) {
      ASSERT_EQ(chown(ConfIn(dir).c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(chmod(ConfIn(dir).c_str(), mode), 0);
    const struct stat before = StatOf(ConfIn(dir));
    ASSERT_EQ(before.st_mode & 07777, mode) << "the file system keeps no such mode";

    TVantrel doc;
    doc.Load(dir.path());
    doc.SetTempBlockSize("2");
    doc.Save(dir.path());
    const struct stat after = StatOf(ConfIn(dir));
    EXPECT_EQ(after.st_mode & 07777, mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_NE(after.st_ino, before.st_ino) << "expected the file to be replaced, not rewritten";
  }

  // A new file gets the permissions the user's umask leaves.
  for (const auto& [mask, mode] : {std::pair<mode_t, mode_t>{022, 0644}, {077, 0600}}) {
    TempDir fresh;
    TVantrel doc;
    doc.SetTempBlockSize("2");
    const mode_t saved = umask(mask);
    doc.Save(fresh.path());
    umask(saved);
    EXPECT_EQ(StatOf(ConfIn(fresh)).st_mode & 07777, mode) << mask;
  }
#endif
}

TEST(Save, WritesInPlaceWhereTheFolderTakesNoNewFile) {
#ifdef _WIN32
  GTEST_SKIP() << "needs root and user nobody";
#else
  if (geteuid() != 0) GTEST_SKIP() << "needs root to set up a folder another user cannot write";
  TempDir dir;
  std::string original;
  for (int i = 0; i < 100; ++i) original += "# filler line number " + std::to_string(1000 + i) + "\n";
  original += "TempBlockSize = 1\n";
  WriteFileBytes(ConfIn(dir), original);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(ConfIn(dir).c_str(), 0666), 0);
  const ino_t inode = StatOf(ConfIn(dir)).st_ino;
  TempDir state;  // where the copy of the old file goes: nobody's own
  const passwd* nobody = getpwnam("nobody");
  if (!nobody) GTEST_SKIP() << "no user nobody";
  ASSERT_EQ(chown(state.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);

  auto result = RunAsNobody([&] {
    setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    std::string out;
    TVantrel doc;
    doc.Load(dir.path());
    doc.SetTempBlockSize("1048576");  // longer than the file's line
    // First a write cut short by the size limit: the old bytes are put back.
    rlimit small{};
    getrlimit(RLIMIT_FSIZE, &small);
    small.rlim_cur = original.size() + 3;
    setrlimit(RLIMIT_FSIZE, &small);
    out += SaveError(doc, dir.path()) + "|";
    out += (ReadFileBytes(ConfIn(dir)) == original ? "kept" : "damaged") + std::string("|");
    small.rlim_cur = small.rlim_max;
    setrlimit(RLIMIT_FSIZE, &small);
    out += SaveError(doc, dir.path());
    return out;
  });
  if (!result) GTEST_SKIP() << "unable to switch to user nobody";
  // The failed write put the old text back, so the copy it made first went.
  EXPECT_EQ(*result, WriteError(ConfIn(dir), EFBIG) + "; it was left as it was|kept|");
  EXPECT_TRUE(FolderEntries(state.path() + "pellisto").empty());
  EXPECT_EQ(StatOf(ConfIn(dir)).st_ino, inode);
  std::string expected = original;
  expected.replace(expected.find("TempBlockSize = 1"), 17, "TempBlockSize = 1048576");
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), expected);
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"firebird.conf"});
#endif
}

TEST(Samples, SaveRewritesOnlyTheChangedLine) {
  std::string path = SamplePath("firebird-2.5.9-windows.conf");
  if (path.empty()) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;
  TempDir dir;
  const std::string original = ReadFileBytes(path);
  WriteFileBytes(ConfIn(dir), original);
  TVantrel doc;
  doc.Load(dir.path());
  doc.SetRootDirectory(dir.path());
  doc.SetModified(false);
  doc.SetTempBlockSize("2048");
  doc.SetGCPolicy("cooperative");
  doc.Save("");

  auto before = conf::SplitLines(original);
  auto after = conf::SplitLines(ReadFileBytes(ConfIn(dir)));
  ASSERT_EQ(before.size(), after.size());
  std::vector<std::string> changed;
  for (std::size_t i = 0; i < before.size(); ++i)
    if (before[i] != after[i]) changed.push_back(before[i] + " -> " + after[i]);
  EXPECT_EQ(changed, (std::vector<std::string>{"#TempBlockSize = 1048576 -> TempBlockSize = 2048",
                                               "#GCPolicy = combined -> GCPolicy = cooperative"}));
  // The Windows file already had CR LF everywhere: only the two lines differ.
  std::string expected = original;
  expected.replace(expected.find("#TempBlockSize = 1048576"), 24, "TempBlockSize = 2048");
  expected.replace(expected.find("#GCPolicy = combined"), 20, "GCPolicy = cooperative");
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), expected);
}

// Random files and random edits: after saving, every line that does not
// belong to a changed key comes back byte for byte, and loading again reads
// the values that were set.
TEST(Save, RandomFilesKeepEveryOtherLine) {
  std::vector<ParamKey> settable;
  for (const auto& p : kParameters)
    if (p.hasSetter) settable.push_back(p.key);
  const std::vector<std::string> fileValues = {"1048576", "", "Restrict C:\\a=b", "0", "gds_db",
                                               "Restrict /db;/mnt/mirror"};
  const std::vector<std::string> newValues = {"2048", "", "Full", "x=y", "Restrict /srv/db",
                                              "1048576", "0"};

  TempDir dir;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    auto chance = [&](int percent) { return static_cast<int>(pick(100)) < percent; };
    auto anyKey = [&] { return std::string(kParameters[pick(kParameters.size())].name); };

    std::vector<std::string> lines;
    std::map<std::string, std::string> expectedValue;  // value form, last line wins
    std::map<std::string, std::size_t> lineOf;
    std::map<std::string, std::string> commentOf;      // end-of-line comment of that line
    const std::size_t count = pick(40);
    for (std::size_t i = 0; i < count; ++i) {
      std::string line;
      switch (pick(7)) {
        case 0:
          line = "# a comment, with = and # inside";
          break;
        case 1:
          line = chance(50) ? "" : " \t ";
          break;
        case 2:
        case 3: {  // a parameter line, active or commented
          std::string key = anyKey();
          std::string value = fileValues[pick(fileValues.size())];
          bool commented = chance(50);
          std::string comment = chance(30) ? "# bytes " : "";
          line = std::string(chance(30) ? "  " : "") + (commented ? "#" : "") +
                 (chance(30) ? " " : "") + key + " = " + value +
                 (comment.empty() ? "" : "  " + comment);
          expectedValue[key] = (commented ? "#" : "") + value;
          lineOf[key] = lines.size();
          commentOf[key] = comment;
          break;
        }
        case 4: {  // an example inside a comment also counts as the key's line
          std::string key = anyKey();
          line = "# e.g. " + key + " = example";
          expectedValue[key] = "#example";
          lineOf[key] = lines.size();
          commentOf[key] = "";
          break;
        }
        case 5: {  // near misses that are no parameter lines
          std::string key = anyKey();
          line = chance(50) ? key + "=1" : "x" + key.substr(1) + "= 2";
          break;
        }
        default: {  // junk bytes, NULs included
          std::size_t size = pick(30);
          for (std::size_t j = 0; j < size; ++j) {
            char c = static_cast<char>(pick(256));
            line += c == '\n' ? '\0' : c;
          }
          // A CR inside stays in its line; one at the end joins the line end.
          if (!line.empty() && line.back() == '\r') line.back() = '\0';
        }
      }
      lines.push_back(line);
    }

    std::string text;
    std::vector<std::string> ends;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::string end = chance(50) ? "\r\n" : "\n";
      if (i + 1 == lines.size() && !lines[i].empty() && chance(30)) end = "";
      text += lines[i] + end;
      ends.push_back(end);
    }
    WriteFileBytes(ConfIn(dir), text);

    TVantrel doc;
    doc.Load(dir.path());
    ASSERT_EQ(doc.Lines(), lines);
    std::map<std::string, std::string> current;
    for (const auto& p : kParameters) {
      std::string name(p.name);
      current[name] = expectedValue.count(name) ? expectedValue[name] : "*";
      ASSERT_EQ(doc.Value(p.key), current[name]) << name;
    }

    std::set<std::string> changed;
    std::vector<std::string> order;
    for (std::size_t calls = pick(8); calls > 0; --calls) {
      ParamKey key = settable[pick(settable.size())];
      std::string name(KeyName(key));
      std::string value = chance(20) ? current[name] : newValues[pick(newValues.size())];
      doc.SetValue(key, value);
      if (value != current[name] && changed.insert(name).second) order.push_back(name);
      current[name] = value;
    }
    std::vector<std::string> pending;
    for (const auto& name : order) pending.push_back(name + "=" + current[name]);
    ASSERT_EQ(doc.PendingChanges(), pending);
    if (chance(20)) doc.SetModified(true);

    std::vector<std::string> expectedLines = lines;
    for (const auto& name : changed) {
      if (!lineOf.count(name)) continue;
      std::string& line = expectedLines[lineOf[name]];
      line = name + " = " + current[name] + (commentOf[name].empty() ? "" : " " + commentOf[name]);
    }

    doc.Save(dir.path());
#ifdef _WIN32
    const std::string saved = conf::JoinLines(expectedLines);
#else
    // Every line keeps its end, a rewritten one the end of the line it replaced.
    std::string saved;
    for (std::size_t i = 0; i < expectedLines.size(); ++i) saved += expectedLines[i] + ends[i];
#endif
    ASSERT_EQ(ReadFileBytes(ConfIn(dir)), changed.empty() ? text : saved);

    TVantrel reloaded;
    reloaded.Load(dir.path());
    for (const auto& p : kParameters) {
      std::string name(p.name);
      std::string want = current[name];
      if (changed.count(name) && !lineOf.count(name)) want = "*";
      EXPECT_EQ(reloaded.Value(p.key), want) << name;
    }
  }
}
