// The save policy the window and pellisto-conf share: the checks before a
// save, and the merge of pending changes onto a file another program changed.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "config/document/SavePolicy.h"

namespace {

using Changes = std::vector<std::pair<std::string, std::string>>;

// Lines end with CR LF, which a save keeps on every platform.
constexpr const char* kFile = "TempBlockSize = 1\r\nLockSignal = 16\r\nDatabaseAccess = Full\r\n";

// A document of the file in dir with the changes pending.
void LoadWithChanges(TVantrel& doc, const TempDir& dir, const std::string& file, const Changes& changes) {
  WriteFileBytes(ConfIn(dir), file);
  doc.Load(dir.path());
  for (const auto& [name, value] : changes) doc.SetValueOf(*FindSetting(name), value);
}

std::string ValueIn(const TVantrel& doc, const std::string& name) { return doc.ValueOf(*FindSetting(name)); }

}  // namespace

// What a reread carries over onto the file as another program left it, and
// which changes meet that program's change of the same parameter.
TEST(Reread, CarriesThePendingChangesOverAndFindsTheConflicts) {
  using Conflicts = std::vector<std::tuple<std::string, std::string, std::string>>;  // name, file's, own
  struct Case {
    const char* what;
    std::string theirs;
    Changes changes;
    std::vector<std::string> pending;
    Conflicts conflicts;
  };
  const Case cases[] = {
      {"their change elsewhere stays", "TempBlockSize = 1\r\nLockSignal = 17\r\nDatabaseAccess = Full\r\n",
       {{"TempBlockSize", "2"}}, {"TempBlockSize=2"}, {}},
      {"both changed it differently", "TempBlockSize = 5\r\nLockSignal = 16\r\nDatabaseAccess = Full\r\n",
       {{"TempBlockSize", "2"}}, {"TempBlockSize=2"}, {{"TempBlockSize", "5", "2"}}},
      {"both changed it alike", "TempBlockSize = 2\r\nLockSignal = 16\r\nDatabaseAccess = Full\r\n",
       {{"TempBlockSize", "2"}}, {"TempBlockSize=2"}, {}},
      {"they commented it out", "#TempBlockSize = 1\r\nLockSignal = 16\r\nDatabaseAccess = Full\r\n",
       {{"TempBlockSize", "2"}}, {"TempBlockSize=2"}, {{"TempBlockSize", "#1", "2"}}},
      {"they took its line away", "LockSignal = 16\r\nDatabaseAccess = Full\r\n",
       {{"TempBlockSize", "2"}}, {"TempBlockSize=2"}, {}},
      {"a policy written otherwise means no change", kFile,
       {{"DatabaseAccess", "full"}, {"LockSignal", "8"}}, {"LockSignal=8"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    TVantrel doc;
    LoadWithChanges(doc, dir, kFile, c.changes);
    const std::vector<std::string> pendingBefore = doc.PendingChanges();
    WriteFileBytes(ConfIn(dir), c.theirs);

    std::vector<TVantrel::Conflict> found;
    const std::unique_ptr<TVantrel> merged = doc.Reread(found);
    EXPECT_EQ(merged->PendingChanges(), c.pending);
    Conflicts conflicts;
    for (const auto& f : found)
      conflicts.emplace_back(std::string(Settings()[f.id].name), f.fileValue, f.ownValue);
    EXPECT_EQ(conflicts, c.conflicts);
    // The text is the file as it is now; the document reread stays as it was.
    EXPECT_EQ(std::string(merged->Text()), c.theirs);
    EXPECT_EQ(doc.PendingChanges(), pendingBefore);
  }
}

// The 46 compare by meaning, the other names as written: the deliberate
// difference the pages' composed values need.
TEST(Reread, ComparesThePagesParametersByMeaningAndOthersAsWritten) {
  const std::string file = "# Firebird version 3.0 configuration file\r\nDatabaseAccess = Full\r\nAuthServer = Srp\r\n";
  TempDir dir;
  TVantrel doc;
  LoadWithChanges(doc, dir, file, {{"DatabaseAccess", "FULL"}, {"AuthServer", "srp"}});
  std::vector<TVantrel::Conflict> conflicts;
  EXPECT_EQ(doc.Reread(conflicts)->PendingChanges(), std::vector<std::string>{"AuthServer=srp"});
}

// A save of a file another program changed: its changes stay, ours go on
// top, and the user decides where both changed the same parameter.
TEST(SavePolicy, MergesOntoAFileChangedOnDisk) {
  struct Case {
    const char* what;
    std::optional<std::string> theirs;  // none: nobody else wrote
    bool keepOwn;
    std::string saved;
    int questions;
    bool mergedOthers;
    bool changed;
  };
  const Case cases[] = {
      {"nobody else wrote", std::nullopt, true, "TempBlockSize = 2\r\nLockSignal = 16\r\nDatabaseAccess = Full\r\n", 0,
       false, true},
      {"they changed another line", "TempBlockSize = 1\r\nLockSignal = 17\r\nDatabaseAccess = Full\r\n", true,
       "TempBlockSize = 2\r\nLockSignal = 17\r\nDatabaseAccess = Full\r\n", 0, true, true},
      {"both, the user keeps theirs", "TempBlockSize = 5\r\nLockSignal = 16\r\nDatabaseAccess = Full\r\n", false,
       "TempBlockSize = 5\r\nLockSignal = 16\r\nDatabaseAccess = Full\r\n", 1, true, false},
      {"both, the user keeps his own", "TempBlockSize = 5\r\nLockSignal = 16\r\nDatabaseAccess = Full\r\n", true,
       "TempBlockSize = 2\r\nLockSignal = 16\r\nDatabaseAccess = Full\r\n", 1, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    TVantrel doc;
    LoadWithChanges(doc, dir, kFile, {{"TempBlockSize", "2"}});
    const std::vector<std::string> lines = doc.Lines();
    if (c.theirs) WriteFileBytes(ConfIn(dir), *c.theirs);

    int questions = 0;
    int checks = 0;
    const conf::SaveOutcome outcome = conf::SaveMergingChangesOnDisk(
        doc, [&](TVantrel& d) { return d.Save(dir.path()); }, [&](const TVantrel&) { ++checks; },
        [&](const TVantrel::Conflict& conflict) {
          ++questions;
          EXPECT_EQ(conflict.ownValue, "2");
          return c.keepOwn;
        });
    EXPECT_EQ(ReadFileBytes(ConfIn(dir)), c.saved);
    EXPECT_EQ(questions, c.questions);
    EXPECT_EQ(outcome.mergedOthers, c.mergedOthers);
    EXPECT_EQ(outcome.merged != nullptr, c.mergedOthers);
    EXPECT_EQ(outcome.changed, c.changed);
    // Every document written was checked first.
    EXPECT_EQ(checks, c.mergedOthers ? 2 : 1);
    if (c.mergedOthers) {
      // The document given is untouched; the merged one is what was written.
      EXPECT_EQ(doc.Lines(), lines);
      EXPECT_EQ(doc.PendingChanges(), std::vector<std::string>{"TempBlockSize=2"});
      EXPECT_EQ(ValueIn(*outcome.merged, "LockSignal"), c.theirs->find("17") != std::string::npos ? "17" : "16");
    }
  }
}

// A file changed again while the merge is written is merged again, five
// times at most; then the save gives up and the file keeps the other
// program's last text.
TEST(SavePolicy, AFileChangedDuringTheMergeIsMergedAgainAtMostFiveTimes) {
  for (const int changes : {conf::kMergeAttempts, conf::kMergeAttempts + 1}) {
    SCOPED_TRACE(changes);
    TempDir dir;
    TVantrel doc;
    LoadWithChanges(doc, dir, kFile, {{"TempBlockSize", "2"}});
    int writes = 0;
    std::string theirs;
    const auto write = [&](TVantrel& d) {
      if (writes++ < changes) {
        theirs = "TempBlockSize = 1\r\nLockSignal = " + std::to_string(20 + writes) + "\r\nDatabaseAccess = Full\r\n";
        WriteFileBytes(ConfIn(dir), theirs);
      }
      return d.Save(dir.path());
    };
    const auto save = [&] {
      return conf::SaveMergingChangesOnDisk(doc, write, [](const TVantrel&) {},
                                            [](const TVantrel::Conflict&) { return true; });
    };
    if (changes == conf::kMergeAttempts) {
      save();
      EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 2\r\nLockSignal = 25\r\nDatabaseAccess = Full\r\n");
    } else {
      EXPECT_THROW(save(), FileChangedError);
      EXPECT_EQ(ReadFileBytes(ConfIn(dir)), theirs);
    }
  }
}

// The checks run on the merged document too: one that fails them writes
// nothing over the other program's file.
TEST(SavePolicy, AMergedDocumentFailingTheChecksWritesNothing) {
  TempDir dir;
  TVantrel doc;
  LoadWithChanges(doc, dir, kFile, {{"TempBlockSize", "2"}});
  const std::string theirs = "TempBlockSize = 1\r\nLockSignal = 17\r\nDatabaseAccess = Full\r\n";
  WriteFileBytes(ConfIn(dir), theirs);
  int checks = 0;
  const auto refuseMerged = [&](const TVantrel&) {
    if (++checks == 2) throw std::runtime_error("refused");
  };
  EXPECT_THROW(conf::SaveMergingChangesOnDisk(
                   doc, [&](TVantrel& d) { return d.Save(dir.path()); }, refuseMerged,
                   [](const TVantrel::Conflict&) { return true; }),
               std::runtime_error);
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), theirs);
}

// What refuses a value before a save: the pages' values as typed (the
// window), or every value as the file's version reads it (pellisto-conf).
TEST(SavePolicy, ChecksThePagesValuesAsTypedOrAsTheirVersionReadsThem) {
  struct Case {
    const char* name;
    const char* value;
    bool refusedAsTyped;
    bool refusedAsTheVersionReads;
  };
  const Case cases[] = {
      {"DefaultDbCachePages", "many", false, true},        // the page's control holds it to digits
      {"TcpRemoteBufferSize", "99999", false, true},       // outside the range the version takes
      {"DefaultDbCachePages", "1\x0b", true, true},        // a control character: always
      {"DefaultDbCachePages", "99999999999", true, true},  // not kept as written by the server
      {"FileSystemCacheSize", "200", true, true},          // beyond the 46: as the version reads it
  };
  const std::string file = "DefaultDbCachePages = 2048\r\nTcpRemoteBufferSize = 8192\r\nFileSystemCacheSize = 0\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + "=" + c.value);
    TempDir dir;
    WriteFileBytes(ConfIn(dir), file);
    TVantrel doc;
    doc.Load(dir.path(), ServerVersion::V2_5);
    doc.SetValueOf(*FindSetting(c.name), c.value);
    const conf::SaveRefusal asTyped = conf::CheckBeforeSave(doc, conf::PageValues::AsTyped);
    const conf::SaveRefusal asRead = conf::CheckBeforeSave(doc, conf::PageValues::AsTheirVersionReads);
    EXPECT_EQ(asTyped.value.has_value(), c.refusedAsTyped);
    EXPECT_EQ(asRead.value.has_value(), c.refusedAsTheVersionReads);
    if (asRead.value) {
      EXPECT_EQ(asRead.value->rfind(std::string(c.name) + ": ", 0), 0u) << *asRead.value;
    }
  }
}
