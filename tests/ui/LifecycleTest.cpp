// The editor's life: the range test at Apply, Done, Cancel and the question
// before losing changes, Esc, the remembered page, the reset to defaults and
// what happens when firebird.conf cannot be read or written.

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <QLabel>

#include "support/SettingsFile.h"
#include "support/TestSystem.h"
#include "ui/MainFrmFixture.h"

namespace {

using LifecycleTest = MainFrmTest;

const char* const kRestartNotice = "The changes will take effect when reset the Firebird service";
const char* const kRangeError = "TcpRemoteBufferSize must be between 1448 and 32767";

TEST_F(LifecycleTest, RangeOfTcpRemoteBufferSizeAtApply) {
  Open("TcpRemoteBufferSize = 8192\n");
  const std::pair<const char*, bool> cases[] = {
      {"1447", false}, {"1448", true}, {"32767", true}, {"32768", false}, {"-1", false}};
  for (const auto& [text, accepted] : cases) {
    platform.messages.clear();
    Type("edTcpRemoteBufferSize", text);
    Click("BtApply");
    ASSERT_EQ(platform.messages.size(), 1u) << text;
    EXPECT_EQ(platform.messages[0].text, accepted ? kRestartNotice : kRangeError) << text;
    EXPECT_EQ(platform.messages[0].icon,
              accepted ? QMessageBox::Information : QMessageBox::Critical);
    EXPECT_EQ(ApplyEnabled(), !accepted) << text;
    const std::string saved = ReadFileBytes(conf());
    EXPECT_EQ(saved.find(text) != std::string::npos, accepted) << text;
  }
  platform.messages.clear();
  Type("edTcpRemoteBufferSize", "big");
  Click("BtApply");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "'big' is not a valid integer value.");
  EXPECT_EQ(platform.messages[0].title, "Pellisto");
  EXPECT_TRUE(ApplyEnabled());
}

TEST_F(LifecycleTest, AllCommentedPassesTheRangeTestWithItsDefault) {
  Open("#TcpRemoteBufferSize = 100\n#TempBlockSize = 5\n");
  Type("edTempBlockSize", "4096");
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{kRestartNotice});
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("#TcpRemoteBufferSize = 100\nTempBlockSize = 4096\n"));
}

TEST_F(LifecycleTest, AbsentTcpRemoteBufferSizeIsNotTested) {
  Open("TempBlockSize = 5\n");
  Type("edTempBlockSize", "6");
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{kRestartNotice});
  EXPECT_FALSE(ApplyEnabled());
}

TEST_F(LifecycleTest, ApplyAfterResetStillWorks) {
  Open("TcpRemoteBufferSize = 4096\nTempBlockSize = 5\n");
  WriteFileBytes(dir.file("firebird.conf.default"),
                 "#TcpRemoteBufferSize = 8192\n#TempBlockSize = 1048576\n");
  platform.answers = {QMessageBox::Yes};
  Trigger("AInitAll");
  EXPECT_EQ(Edit("edTcpRemoteBufferSize")->text(), "8192");
  platform.messages.clear();
  Type("edTempBlockSize", "2048");
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{kRestartNotice});
}

TEST_F(LifecycleTest, DoneWithABadValueStaysOpenThenSavesAndCloses) {
  Open("TcpRemoteBufferSize = 8192\n");
  window->show();
  Type("edTcpRemoteBufferSize", "1000");
  Click("BtDone");
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(ApplyEnabled());
  EXPECT_EQ(MessageTexts(), std::vector<QString>{kRangeError});

  platform.messages.clear();
  Type("edTcpRemoteBufferSize", "1448");
  Click("BtDone");
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(MessageTexts(), std::vector<QString>{kRestartNotice});  // no close question
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("TcpRemoteBufferSize = 1448\n"));
}

TEST_F(LifecycleTest, CancelAsksBeforeDroppingChanges) {
  Open("TempBlockSize = 5\n");
  window->show();
  Type("edTempBlockSize", "6");
  platform.answers = {QMessageBox::No};
  Click("BtCancel");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Abandon changes");
  EXPECT_EQ(platform.messages[0].defaultButton, QMessageBox::No);
  EXPECT_EQ(platform.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(Pending(), "TempBlockSize=6|");

  platform.answers = {QMessageBox::Yes};
  Click("BtCancel");
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(ReadFileBytes(conf()), "TempBlockSize = 5\n");  // untouched
}

TEST_F(LifecycleTest, EscClosesFromAnyControlAndRemembersThePage) {
  Open("TempBlockSize = 5\n");
  window->show();
  W<QTabWidget>("PCMain")->setCurrentIndex(4);
  QTest::keyClick(Edit("edLockMemSize"), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadActivePage(), 4);

  Reopen();
  EXPECT_EQ(W<QTabWidget>("PCMain")->currentIndex(), 4);
  // A stored page that is no page shows the first one, also when the reset
  // restores the page while another one is showing.
  WriteFileBytes(dir.file("firebird.conf.default"), "#TempBlockSize = 1048576\n");
  for (const char* stored : {"x", "10", "-1"}) {
    StoreSetting("Screen", "ActivePage", stored);
    platform.answers = {QMessageBox::Yes};
    Trigger("AInitAll");
    EXPECT_EQ(W<QTabWidget>("PCMain")->currentIndex(), 0) << stored;
    W<QTabWidget>("PCMain")->setCurrentIndex(4);
  }
}

TEST_F(LifecycleTest, EscWithChangesAsks) {
  Open("TempBlockSize = 5\n");
  window->show();
  Type("edTempBlockSize", "7");
  platform.answers = {QMessageBox::No};
  QTest::keyClick(W<QTabWidget>("PCMain"), Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(MessageTexts(), std::vector<QString>{"Abandon changes"});
}

TEST_F(LifecycleTest, ResetToDefaults) {
  Open("TempBlockSize = 5\nTcpNoNagle = 0\nAuthentication = native\n");
  const std::string defaults =
      "# shipped\n#TempBlockSize = 1048576\n#TcpNoNagle = 0\n#Authentication = native\n";
  WriteFileBytes(dir.file("firebird.conf.default"), defaults);
  Type("edLockMemSize", "1");  // pending before the reset: dropped without asking

  platform.answers = {QMessageBox::No};
  Trigger("AInitAll");
  ASSERT_EQ(platform.messages.size(), 1u);
  // It says what it does, and to which file.
  EXPECT_EQ(platform.messages[0].text,
            QString::fromStdString("Copy firebird.conf.default over firebird.conf in " + dir.path() +
                                   "? Every parameter then has the value of firebird.conf.default, and changes "
                                   "not applied are lost."));
  EXPECT_EQ(platform.messages[0].icon, QMessageBox::Warning);
  EXPECT_EQ(platform.messages[0].defaultButton, QMessageBox::No);
  EXPECT_EQ(Edit("edTempBlockSize")->text(), "5");

  platform.answers = {QMessageBox::Yes};
  Trigger("AInitAll");
  EXPECT_EQ(ReadFileBytes(conf()),
            AsSaved("# shipped\n#TempBlockSize = 1048576\n#TcpNoNagle = 0\n#Authentication = native\n"));
  EXPECT_EQ(Edit("edTempBlockSize")->text(), "1048576");
  EXPECT_TRUE(Check("CBTcpNoNagle")->isChecked());
  EXPECT_EQ(Combo("CBAuthentication")->currentText(), "Mixed");
  EXPECT_FALSE(ApplyEnabled());
  EXPECT_TRUE(window->Document()->PendingChanges().empty());
}

TEST_F(LifecycleTest, ApplyAndResetLeaveTheFocusOnDoneNotInTheFolderBox) {
  Open("TempBlockSize = 5\n");
  WriteFileBytes(dir.file("firebird.conf.default"), "#TempBlockSize = 1048576\n");
  window->show();
  for (const bool reset : {false, true}) {
    Type("edTempBlockSize", reset ? "7" : "6");
    Button("BtApply")->setFocus();
    if (reset) {
      platform.answers = {QMessageBox::Yes};
      W<QAction>("AInitAll")->trigger();
    } else {
      QTest::keyClick(Button("BtApply"), Qt::Key_Space);
    }
    EXPECT_FALSE(ApplyEnabled()) << reset;
    EXPECT_EQ(window->focusWidget(), Button("BtDone")) << reset;
  }
}

TEST_F(LifecycleTest, EnterPressesTheFocusedButtonAndNothingElse) {
  Open("TempBlockSize = 5\nTcpNoNagle = 1\n");
  window->show();
  Type("edTempBlockSize", "6");
  // Enter anywhere but on a button saves nothing and changes nothing.
  QTest::keyClick(Edit("edTempBlockSize"), Qt::Key_Return);
  Check("CBTcpNoNagle")->setFocus();
  QTest::keyClick(Check("CBTcpNoNagle"), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(Check("CBTcpNoNagle")->isChecked());
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadFileBytes(conf()), "TempBlockSize = 5\nTcpNoNagle = 1\n");

  Button("BtApply")->setFocus();
  QTest::keyClick(Button("BtApply"), Qt::Key_Return);
  EXPECT_EQ(MessageTexts(), std::vector<QString>{kRestartNotice});
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("TempBlockSize = 6\nTcpNoNagle = 1\n"));

  Type("edTempBlockSize", "7");
  platform.messages.clear();
  platform.answers = {QMessageBox::No};
  Button("BtCancel")->setFocus();
  QTest::keyClick(Button("BtCancel"), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(MessageTexts(), std::vector<QString>{"Abandon changes"});
  EXPECT_TRUE(window->isVisible());

  platform.messages.clear();
  Button("BtDone")->setFocus();
  QTest::keyClick(Button("BtDone"), Qt::Key_Return);
  EXPECT_EQ(MessageTexts(), std::vector<QString>{kRestartNotice});
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("TempBlockSize = 7\nTcpNoNagle = 1\n"));
}

TEST_F(LifecycleTest, ResetWithoutDefaultFileChangesNothing) {
  Open("TempBlockSize = 5\n");
  Type("edTempBlockSize", "6");
  platform.answers = {QMessageBox::Yes};
  QTest::qWait(0);
  // Run through the menu so the error reaches the error box.
  W<QAction>("AInitAll")->trigger();
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[1].text,
            QString::fromStdString("Cannot open file \"" + dir.file("firebird.conf.default") + "\". " +
                                   ErrorText(SystemError::NoSuchFile) + "."));
  EXPECT_EQ(platform.messages[1].icon, QMessageBox::Critical);
  EXPECT_EQ(ReadFileBytes(conf()), "TempBlockSize = 5\n");
  EXPECT_EQ(Edit("edTempBlockSize")->text(), "6");
  EXPECT_TRUE(ApplyEnabled());
}

TEST_F(LifecycleTest, SaveFailureShowsTheErrorAndKeepsEverything) {
  Open("TempBlockSize = 5\n");
  SetReadOnly(conf(), true);
  Type("edTempBlockSize", "6");
  Click("BtApply");
  ASSERT_EQ(platform.messages.size(), 1u);
  // With what it takes to be allowed to save it.
  EXPECT_EQ(platform.messages[0].text,
            QString::fromStdString("Cannot write file \"" + conf() + "\". " + ReadOnlyReason() +
                                   ". Give the file a write permission to save it."));
  EXPECT_TRUE(ApplyEnabled());
  EXPECT_EQ(ReadFileBytes(conf()), "TempBlockSize = 5\n");
  EXPECT_EQ(Pending(), "TempBlockSize=6|");
  SetReadOnly(conf(), false);
}

TEST_F(LifecycleTest, UnreadableFileLeavesNothingToSave) {
  // No firebird.conf in the folder at all.
  Reopen();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text,
            QString::fromStdString("Cannot open file \"" + conf() + "\". " + ErrorText(SystemError::NoSuchFile) + "."));
  EXPECT_FALSE(window->DocumentLoaded());
  window->show();
  Type("edTempBlockSize", "6");
  platform.folderChoices = {"/srv"};
  Click("Button1");
  EXPECT_FALSE(ApplyEnabled());
  Click("BtDone");  // closes like Cancel, without the question
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_FALSE(FileExists(conf()));
  EXPECT_FALSE(FileExists("firebird.conf"));
}

TEST_F(LifecycleTest, RestartNoticeWheneverTheFileIsWritten) {
  // Into another folder than the one the program started with.
  Open("RootDirectory = x\nTempBlockSize = 5\n");
  TempDir other;
  Edit("edRootDirectory")->setText(QString::fromStdString(other.path()));
  Type("edTempBlockSize", "6");
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{kRestartNotice});
  EXPECT_EQ(ReadFileBytes(other.file("firebird.conf")),
            AsSaved("RootDirectory = " + other.path() + "\nTempBlockSize = 6\n"));
  EXPECT_EQ(ReadFileBytes(conf()), "RootDirectory = x\nTempBlockSize = 5\n");

  // Not when nothing was written: a radio clicked back to the value read.
  Open("DatabaseAccess = Full\n");
  Radio("RBNone")->click();
  Radio("RBFull")->click();
  ASSERT_TRUE(ApplyEnabled());
  platform.messages.clear();
  Click("BtApply");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(ApplyEnabled());
  EXPECT_EQ(ReadFileBytes(conf()), "DatabaseAccess = Full\n");
}

TEST_F(LifecycleTest, ChangesTheFileHasNoLineForAreReportedNotClaimed) {
  const QString notSaved =
      "Not saved, because firebird.conf has no line for them (its version of Firebird does not "
      "know them): LegacyHash, GCPolicy";
  Open("TempBlockSize = 5\n");
  // Both stay usable, unlike an edit box of a parameter the file lacks.
  Check("CBLegacyHASH")->click();
  Combo("CBGCPolicy")->setFocus();
  QTest::keyClick(Combo("CBGCPolicy"), Qt::Key_Down);
  Type("edTempBlockSize", "6");
  Click("BtApply");
  // The notice for what was written, then what was not.
  EXPECT_EQ(MessageTexts(), std::vector<QString>({kRestartNotice, notSaved}));
  EXPECT_EQ(platform.messages[1].icon, QMessageBox::Warning);
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("TempBlockSize = 6\n"));

  // Nothing written: no notice at all.
  platform.messages.clear();
  Check("CBLegacyHASH")->click();
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), std::vector<QString>({
                                "Not saved, because firebird.conf has no line for them (its "
                                "version of Firebird does not know them): LegacyHash"}));
  EXPECT_FALSE(ApplyEnabled());
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("TempBlockSize = 6\n"));
}

TEST_F(LifecycleTest, AFileThatMayNotBeWrittenIsSaidAtOnce) {
  Open("TempBlockSize = 5\n");
  EXPECT_EQ(W<QLabel>("lblFileState")->text(), "");
  // Read-only for everyone, root included.
  SetReadOnly(conf(), true);
  Reopen();
  EXPECT_EQ(W<QLabel>("lblFileState")->text(),
            "Read-only: firebird.conf in " + InstallPath + " has no write permission");
  // Nothing else changes: the values can still be changed.
  EXPECT_FALSE(Edit("edTempBlockSize")->isReadOnly());
  Type("edTempBlockSize", "6");
  EXPECT_TRUE(ApplyEnabled());
  SetReadOnly(conf(), false);

  // A file of root's, opened by another user.
#ifdef _WIN32
  GTEST_SKIP() << "another user's rights are POSIX owners and modes here";
#else
  if (geteuid() != 0) GTEST_SKIP() << "needs root to open the window as another user";
  window.reset();
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  WriteActivePage(0);
  ASSERT_EQ(chmod(SettingsFilePath().toLocal8Bit().constData(), 0666), 0);
  ASSERT_EQ(seteuid(65534), 0);
  Reopen();
  EXPECT_EQ(W<QLabel>("lblFileState")->text(),
            "Read-only: you may not write firebird.conf in " + InstallPath);
  platform.messages.clear();
  Type("edTempBlockSize", "6");
  Click("BtApply");
  ASSERT_EQ(seteuid(0), 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  const QString error = platform.messages[0].text;
  EXPECT_TRUE(error.startsWith(QString::fromStdString("Cannot write file \"" + conf() + "\".")))
      << error;
  EXPECT_TRUE(error.endsWith(". Run Pellisto as root to save it.")) << error;
  EXPECT_EQ(ReadFileBytes(conf()), "TempBlockSize = 5\n");
#endif
}

}  // namespace
