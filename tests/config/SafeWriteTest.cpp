// What keeps a save from losing or tearing firebird.conf: the check that the
// file is still the one read, the line rollback of a refused save, the copy
// kept while a file is rewritten in place, and the order of the durable steps.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "config/fs/AtomicFile.h"
#include "config/ConfigTestSupport.h"
#include "config/fs/SafetyCopy.h"
#include "config/document/SaveGuard.h"
#include "config/format/ConfReading.h"
#include "config/document/TVantrel.h"
#include "config/base/Utf8Path.h"
#include "support/InterruptedWrite.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

namespace fs = std::filesystem;

class SafeWrite : public WriterTest {
 protected:
  std::vector<std::string> StateFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(conf::PathFromUtf8(state.path())))
      if (e.is_regular_file()) names.push_back(conf::Utf8Of(e.path().filename()));
    return names;
  }
  void RecordSteps() {
    conf::TestWriteHooks().step = [this](std::string_view step) { steps.emplace_back(step); };
  }

  std::vector<std::string> steps;
};

TEST_F(SafeWrite, SaveRefusesAFileChangedSinceItWasRead) {
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 1\nLockSignal = 16\n");
  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempBlockSize("2");
  const auto lines = doc.Lines();

  // Same size, other bytes: only the content tells.
  const std::string theirs = "TempBlockSize = 1\nLockSignal = 17\n";
  WriteFileBytes(ConfIn(dir), theirs);
  EXPECT_THROW(doc.Save(dir.path()), FileChangedError);
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), theirs);
  EXPECT_EQ(doc.Lines(), lines);
  EXPECT_EQ(doc.PendingChanges(), std::vector<std::string>{"TempBlockSize=2"});

  // A new time stamp on the same bytes is no change.
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 1\nLockSignal = 16\n");
  const fs::path file = conf::PathFromUtf8(ConfIn(dir));
  fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(24 * 365));
  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), SavedFromLf("TempBlockSize = 2\r\nLockSignal = 16\r\n"));

  // After its own save the document knows the bytes it wrote.
  doc.SetLockSignal("8");
  doc.Save(dir.path());
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 2\r\nLockSignal = 9\r\n");
  doc.SetTempBlockSize("3");
  EXPECT_THROW(doc.Save(dir.path()), FileChangedError);
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 2\r\nLockSignal = 9\r\n");

  // Removed: an error, and nothing is created in its place.
  fs::remove(ConfIn(dir));
  EXPECT_THROW(doc.Save(dir.path()), FileError);
  EXPECT_FALSE(FileExists(ConfIn(dir)));
}

TEST_F(SafeWrite, RefusedSaveOfTwoChangesOnOneLineLeavesTheLinesAsTheyWere) {
  // The second change finds its key in the comment the first one kept.
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 1 # LockSignal = 16\nTcpNoNagle = 1\n");
  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempBlockSize("2");
  doc.SetLockSignal("8");
  ASSERT_EQ(doc.LinesAfterSave()[0], "LockSignal = 8");
  const auto lines = doc.Lines();
  SetReadOnly(ConfIn(dir), true);
  EXPECT_THROW(doc.Save(dir.path()), FileError);
  EXPECT_EQ(doc.Lines(), lines);
}

TEST_F(SafeWrite, LoneCrStaysInItsLineAndNoSaveChangesAnUntouchedReading) {
  // For every server this is one line: the port is 3086 and the page cache
  // is not set.
  const std::string text = "RemoteServicePort = 3086\rDefaultDbCachePages = 3007\nTcpNoNagle = 0\n";
  WriteFileBytes(ConfIn(dir), text);
  TVantrel doc;
  doc.Load(dir.path());
  EXPECT_EQ(doc.Lines(), (std::vector<std::string>{
                             "RemoteServicePort = 3086\rDefaultDbCachePages = 3007", "TcpNoNagle = 0"}));
  doc.SetTcpNoNagle("1");
  EXPECT_TRUE(UntouchedParametersReadDifferently(doc).empty());
  doc.Save(dir.path());
  const std::string saved = ReadFileBytes(ConfIn(dir));
  EXPECT_EQ(saved, SavedFromLf("RemoteServicePort = 3086\rDefaultDbCachePages = 3007\r\nTcpNoNagle = 1\r\n"));
  EXPECT_EQ(ReadConf(saved, ConfIn(dir), ServerVersion::V2_1).settings[SettingIdOf(ParamKey::DefaultDbCachePages)].state,
            ValueState::Absent);

  // Rewriting the page cache's line would drop the port the server reads.
  doc.SetModified(false);
  doc.SetDefaultDbCachePages("4096");
  EXPECT_EQ(UntouchedParametersReadDifferently(doc),
            std::vector<std::string>{
                "RemoteServicePort is not being changed, but after this save the server would read "
                "its built-in value instead of \"3086\\x0DDefaultDbCachePages = 3007\" (line 1)"});
}

TEST_F(SafeWrite, ReplacementSyncsTheDataBeforeTheRename) {
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 1\n");
  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempBlockSize("2");
  RecordSteps();
  doc.Save(dir.path());
  EXPECT_EQ(steps, (std::vector<std::string>{"checked", "synced", "renamed", "folder synced"}));
}

TEST_F(SafeWrite, InPlaceWriteKeepsACopyUntilItIsThroughAndLeavesNoOldTail) {
  // CR LF already, so the new text is the old one six bytes shorter.
  const std::string original = "TempBlockSize = 1048576\r\n# the rest stays\r\n";
  WriteFileBytes(ConfIn(dir), original);
  const std::string before = FileIdentity(ConfIn(dir));
  ASSERT_NE(before, "");
  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempBlockSize("2");
  conf::TestWriteHooks().forceInPlace = true;
  RecordSteps();
  doc.Save(dir.path());

  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 2\r\n# the rest stays\r\n");
  EXPECT_EQ(FileIdentity(ConfIn(dir)), before) << "expected the file to be written in place";
  // The copy's note, the copy and their folder are durable before the file
  // is touched; then the file's new text.
  EXPECT_EQ(steps, (std::vector<std::string>{"checked", "synced", "synced", "folder synced", "copy kept",
                                             "part written", "synced", "copy removed"}));
  EXPECT_TRUE(StateFiles().empty());
}

TEST_F(SafeWrite, InterruptedInPlaceWriteLeavesACopyThatIsFoundLater) {
  std::string original = "TempBlockSize = 1\n";
  for (int i = 0; i < 50; ++i) original += "# line " + std::to_string(i) + "\n";
  WriteFileBytes(ConfIn(dir), original);
  ASSERT_TRUE(InterruptInPlaceSave(dir.path(), state.path()));
  const std::string torn = ReadFileBytes(ConfIn(dir));  // a new start, an old tail
  const std::string start = SavedFromLf("TempBlockSize = 2\r\n");
  EXPECT_EQ(torn.substr(0, start.size()), start);
  EXPECT_EQ(torn.substr(32), original.substr(32));

  const std::vector<conf::LeftOverCopy> copies = conf::FindLeftOverCopies();
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].original, ConfIn(dir));
  EXPECT_EQ(copies[0].copy.rfind(SafetyCopiesUnder(state.path()) + "firebird.conf.", 0), 0u) << copies[0].copy;
  EXPECT_EQ(ReadFileBytes(copies[0].copy), original);
  const std::string message = conf::LeftOverCopyMessage(copies[0]);
  EXPECT_NE(message.find(copies[0].copy), std::string::npos);
  EXPECT_NE(message.find(ConfIn(dir)), std::string::npos);
}

}  // namespace
