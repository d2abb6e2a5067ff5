// Apply when firebird.conf is not what the window read: another program's
// change is kept and the user's go on top of it, a value both changed is
// asked about, a file that is gone is not written; and values holding a
// control character are never written at all.

#include <QApplication>
#include <QClipboard>
#include <filesystem>

#include "support/TestSystem.h"
#include "ui/MainFrmFixture.h"

namespace {

using ChangedOnDiskTest = MainFrmTest;

const char* const kRestartNotice = "The changes will take effect when reset the Firebird service";
const char* const kMerged =
    "firebird.conf had been changed by another program; your changes were applied on top of it.";

TEST_F(ChangedOnDiskTest, OtherProgramsChangesStayAndTheUsersGoOnTop) {
  Open("#DatabaseAccess = Full\nRemoteServicePort = 3050\nTempBlockSize = 1024\n");
  Type("edTempBlockSize", "2048");
  // Meanwhile: a new first line, another port, another access policy.
  WriteFileBytes(conf(),
                 "# added elsewhere\nDatabaseAccess = Restrict /srv/db\nRemoteServicePort = 3051\n"
                 "TempBlockSize = 1024\n");
  Click("BtApply");

  EXPECT_EQ(MessageTexts(), (std::vector<QString>{kMerged, kRestartNotice}));
  // The policy Apply composed from the controls was no change of the user's.
  EXPECT_EQ(ReadFileBytes(conf()),
            AsSaved("# added elsewhere\nDatabaseAccess = Restrict /srv/db\nRemoteServicePort = 3051\n"
                    "TempBlockSize = 2048\n"));
  EXPECT_EQ(Edit("edRemoteServicePort")->text(), "3051");
  EXPECT_TRUE(Radio("RBRestrict")->isChecked());
  EXPECT_EQ(Entries("LBRestrict"), QStringList{"/srv/db"});
  EXPECT_FALSE(ApplyEnabled());

  // The window now knows the file it wrote: the next Apply just saves.
  platform.messages.clear();
  Type("edTempBlockSize", "4096");
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{kRestartNotice});
}

TEST_F(ChangedOnDiskTest, ValueChangedByBothIsAskedAbout) {
  for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
    const bool keepOwn = answer == QMessageBox::Yes;
    Open("RemoteServicePort = 3050\nTempBlockSize = 1024\n");
    platform.messages.clear();
    Type("edRemoteServicePort", "3052");
    WriteFileBytes(conf(), "RemoteServicePort = 3051\nTempBlockSize = 1024\n");
    platform.answers = {answer};
    Click("BtApply");

    // The restart notice only where the user's value was written.
    ASSERT_EQ(MessageTexts().size(), keepOwn ? 3u : 2u);
    const RecordedMessage& question = platform.messages[0];
    EXPECT_EQ(question.text,
              "Another program changed RemoteServicePort in firebird.conf to \"3051\" while you "
              "changed it to \"3052\".\nKeep your value \"3052\"? No keeps \"3051\".");
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.defaultButton, QMessageBox::No);
    // No: nothing was written, and the window says so.
    EXPECT_EQ(platform.messages[1].text,
              keepOwn ? kMerged
                      : "firebird.conf had been changed by another program; nothing was written, and the window "
                        "shows the file as it is now.");
    // No: nothing of the user's is left to write, and the file stays theirs.
    EXPECT_EQ(ReadFileBytes(conf()), keepOwn ? AsSaved("RemoteServicePort = 3052\nTempBlockSize = 1024\n")
                                             : "RemoteServicePort = 3051\nTempBlockSize = 1024\n");
    EXPECT_EQ(Edit("edRemoteServicePort")->text(), keepOwn ? "3052" : "3051");
  }
}

TEST_F(ChangedOnDiskTest, AFileChangedAgainDuringTheMergeIsMergedAgainUpToFiveTimes) {
  for (const int changes : {1, 5}) {
    Open("RemoteServicePort = 3050\nTempBlockSize = 1024\n");
    platform.messages.clear();
    Type("edRemoteServicePort", "3052");
    WriteFileBytes(conf(), "RemoteServicePort = 3051\nTempBlockSize = 1024\n");
    // While the user is asked, the other program writes yet another port.
    int written = 0;
    platform.onMessage = [&](const RecordedMessage& m) {
      if (m.icon == QMessageBox::Question && written < changes)
        WriteFileBytes(conf(), "RemoteServicePort = " + std::to_string(4000 + ++written) + "\nTempBlockSize = 1024\n");
    };
    platform.answers = {QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes};
    Click("BtApply");
    platform.onMessage = nullptr;
    std::size_t questions = 0;
    for (const auto& m : platform.messages) questions += m.icon == QMessageBox::Question;
    if (changes == 1) {
      // Read again once more, asked again, and written.
      EXPECT_EQ(questions, 2u);
      EXPECT_EQ(ReadFileBytes(conf()), AsSaved("RemoteServicePort = 3052\nTempBlockSize = 1024\n"));
      EXPECT_FALSE(ApplyEnabled());
    } else {
      // Five rounds, then it gives up: the file stays the other program's.
      EXPECT_EQ(questions, 5u);
      EXPECT_EQ(platform.messages.back().icon, QMessageBox::Critical);
      EXPECT_EQ(ReadFileBytes(conf()), "RemoteServicePort = 4005\nTempBlockSize = 1024\n");
      EXPECT_TRUE(ApplyEnabled());
      EXPECT_EQ(Edit("edRemoteServicePort")->text(), "3052");
    }
  }
}

TEST_F(ChangedOnDiskTest, AMergeThatFailsTheChecksWritesNothing) {
  Open("TcpNoNagle = 0\nTempBlockSize = 1024\n");
  Check("CBTcpNoNagle")->click();
  // The other program's line holds a second setting behind a lone CR:
  // rewriting it would lose the port the server reads.
  const std::string theirs = "RemoteServicePort = 3086\rTcpNoNagle = 0\nTempBlockSize = 1024\n";
  WriteFileBytes(conf(), theirs);
  Click("BtApply");
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_EQ(platform.messages.back().icon, QMessageBox::Critical);
  EXPECT_TRUE(platform.messages.back().text.contains("RemoteServicePort")) << platform.messages.back().text.toStdString();
  EXPECT_EQ(ReadFileBytes(conf()), theirs);
  EXPECT_TRUE(ApplyEnabled());
}

TEST_F(ChangedOnDiskTest, FileRemovedMeanwhileIsNotWrittenAndTheChangesStay) {
  Open("TempBlockSize = 1024\n");
  Type("edTempBlockSize", "2048");
  std::filesystem::remove(conf());
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{QString::fromStdString("Cannot open file \"" + conf() + "\". " +
                                                                        ErrorText(SystemError::NoSuchFile) + ".")});
  EXPECT_FALSE(FileExists(conf()));
  EXPECT_TRUE(ApplyEnabled());
  EXPECT_EQ(Pending(), "TempBlockSize=2048|");
}

TEST_F(ChangedOnDiskTest, ControlCharactersAreRefusedAtApply) {
  const std::string text = "RemoteBindAddress = 127.0.0.1\nTempDirectories = /tmp\n";
  Open(text);
  // Pasted into an edit box.
  Edit("edRemoteBindAddress")->selectAll();
  QApplication::clipboard()->setText("\v127.0.0.2");
  Edit("edRemoteBindAddress")->paste();
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{"RemoteBindAddress: a value cannot hold the control "
                                                 "character 0x0B. Nothing was saved."});
  EXPECT_EQ(ReadFileBytes(conf()), text);
  EXPECT_TRUE(ApplyEnabled());

  // A folder whose name holds one, added to a folder list.
  Type("edRemoteBindAddress", "127.0.0.2");
  platform.messages.clear();
  platform.folderChoices = {QStringLiteral("/srv/\x1b" "db")};
  Click("Button1");
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{"TempDirectories: a value cannot hold the control "
                                                 "character 0x1B. Nothing was saved."});
  EXPECT_EQ(ReadFileBytes(conf()), text);
}

}  // namespace
