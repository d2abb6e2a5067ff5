// The program's start from an empty folder to the editor window: the first
// run, a saved folder, and the update check at start with every answer the
// site can give.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cstdlib>

#include "app/Functions.h"
#include "config/fs/SafetyCopy.h"
#include "i18n/Gettext.h"
#include "start/StartSequence.h"
#include "support/Catalog.h"
#include "support/QtPrinters.h"
#include "support/FakePlatform.h"
#include "support/SettingsFile.h"
#include "support/HttpStub.h"
#include "support/InterruptedWrite.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"
#include "ui/main/MainFrm.h"

namespace {

class StartSequenceTest : public ::testing::Test {
 protected:
  StartSequenceTest() {
    platform.executablePath = PELLISTO_EXECUTABLE;  // version 0.2.0.3
    platform.versionDocumentUrl = server.Url(kVersionDocumentPath);
    WriteFileBytes(firebird.file("firebird.conf"), "TempBlockSize = 2048\n");
  }
  ~StartSequenceTest() override { InstallPath.clear(); }

  // Records each dialog shown and whether the editor window was visible then.
  void Expect(const char* dialogName, std::function<void(QDialog&)> drive = {}) {
    platform.dialogHandlers.push_back([this, dialogName, drive](QDialog& shown) {
      EXPECT_EQ(shown.objectName(), dialogName);
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (qobject_cast<TMainFrm*>(top)) {
          EXPECT_FALSE(top->isVisible()) << dialogName;
        }
      }
      if (drive) drive(shown);
    });
  }
  void SaveFolder() { WriteInstallPath(folder); }
  QString Setting(const char* key) { return StoredSetting("InfoGeneral", key); }

  TempDir exeDir, firebird;
  FakePlatform platform{QString::fromStdString(exeDir.path())};
  HttpStub server;
  QString folder = QString::fromStdString(firebird.path());
};

TEST_F(StartSequenceTest, FirstRunAsksForTheFolderThenOpensTheEditor) {
  platform.registeredFolder = folder;
  Expect("WelcomeFrm", [](QDialog& d) {
    QTest::mouseClick(d.findChild<QPushButton*>("Button1"), Qt::LeftButton);
  });
  StartedProgram program = StartProgram();
  ASSERT_NE(program.mainWindow, nullptr);
  EXPECT_NE(program.dataModule, nullptr);
  EXPECT_EQ(QApplication::applicationName(), "Pellisto");
  EXPECT_EQ(platform.shownDialogs, QStringList{"WelcomeFrm"});
  EXPECT_EQ(InstallPath, folder);
  EXPECT_EQ(Setting("Path"), folder);
  EXPECT_TRUE(program.mainWindow->DocumentLoaded());
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(server.requested.isEmpty());  // the check at start is off
}

TEST_F(StartSequenceTest, TheLanguageIsChosenBeforeTheWelcomeDialog) {
  if (!CompileCatalog(exeDir.path(), "es",
                      "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                      "msgid \"&Done\"\nmsgstr \"&Hecho\"\n"))
    GTEST_SKIP() << "msgfmt is not installed";
  WriteLanguage("es");
  Expect("WelcomeFrm", [](QDialog& d) {
    EXPECT_EQ(d.findChild<QPushButton*>("Button1")->text(), "&Hecho");
    QTest::keyClick(&d, Qt::Key_Escape);
  });
  StartProgram();
  EXPECT_EQ(platform.shownDialogs, QStringList{"WelcomeFrm"});
  i18n::SelectLanguage("en");
}

TEST_F(StartSequenceTest, CancelledFirstRunEndsWithoutWritingThePath) {
  platform.registeredFolder = folder;
  Expect("WelcomeFrm", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
  StartedProgram program = StartProgram();
  EXPECT_EQ(program.mainWindow, nullptr);
  EXPECT_FALSE(FileExists(exeDir.file("Config.ini")));
}

TEST_F(StartSequenceTest, SavedFolderOpensTheEditorEvenWhenItIsGone) {
  WriteInstallPath(folder + "gone/");
  StartedProgram program = StartProgram();
  ASSERT_NE(program.mainWindow, nullptr);
  EXPECT_TRUE(platform.shownDialogs.isEmpty());
  EXPECT_EQ(InstallPath, folder + "gone/");
  // The editor itself reports the missing file.
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].icon, QMessageBox::Critical);
  EXPECT_FALSE(program.mainWindow->DocumentLoaded());
}

TEST_F(StartSequenceTest, CopyATornWriteLeftIsOfferedBackBeforeTheEditorOpens) {
  SaveFolder();
  TempDir state;
  const std::string saved = getenv(kStateVariable);
  SetVariable(kStateVariable, state.path());
  const std::string original = ReadFileBytes(firebird.file("firebird.conf"));
  // Later, then removed, then put back: the file the editor opens with.
  for (const auto answer : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Yes}) {
    ASSERT_TRUE(InterruptInPlaceSave(firebird.path(), state.path()));
    const std::string torn = ReadFileBytes(firebird.file("firebird.conf"));
    platform.messages.clear();
    platform.answers = {answer};
    StartedProgram program = StartProgram();
    ASSERT_NE(program.mainWindow, nullptr);
    ASSERT_EQ(platform.messages.size(), 1u) << answer;
    EXPECT_EQ(platform.messages[0].icon, QMessageBox::Warning);
    const QString text = platform.messages[0].text;
    EXPECT_TRUE(text.startsWith(QString::fromStdString("\"" + SafetyCopiesUnder(state.path()) + "firebird.conf.")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString("\" holds \"" + firebird.file("firebird.conf") + "\"")))
        << text.toStdString();
    EXPECT_EQ(conf::FindLeftOverCopies().size(), answer == QMessageBox::Cancel ? 1u : 0u) << answer;
    EXPECT_EQ(ReadFileBytes(firebird.file("firebird.conf")), answer == QMessageBox::Yes ? original : torn);
    if (answer == QMessageBox::Cancel) conf::DiscardCopy(conf::FindLeftOverCopies().front());
    WriteFileBytes(firebird.file("firebird.conf"), original);
  }
  SetVariable(kStateVariable, saved);
}

TEST_F(StartSequenceTest, UpdateCheckAtStartShowsOnlyANewerVersion) {
  SaveFolder();
  WriteAlwaysCheckUpdate(true);
  const std::pair<const char*, bool> cases[] = {
      {"0.2.0.3", false}, {"0.2.0.4", true}, {"0.2.0.2", false}, {nullptr, false}};
  for (const auto& [published, shown] : cases) {
    SCOPED_TRACE(published ? published : "unreachable");
    platform.shownDialogs.clear();
    server.requested.clear();
    platform.versionDocumentUrl = published ? server.Url(kVersionDocumentPath) : RefusingUrl();
    if (published)
      server.answers[kVersionDocumentPath] = HttpStub::Ok(VersionDocument(published));
    if (shown)
      Expect("CheckForCurrentVersionFrm", [](QDialog& d) {
        EXPECT_EQ(d.findChild<QLabel*>("lblFound")->text(),
                  "It has found a new version of Pellisto");
        // The editor window exists already, not yet shown.
        int editors = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
          editors += qobject_cast<TMainFrm*>(top) != nullptr;
        EXPECT_EQ(editors, 1);
      });
    StartedProgram program = StartProgram();
    ASSERT_NE(program.mainWindow, nullptr);
    EXPECT_FALSE(program.mainWindow->isVisible());
    EXPECT_EQ(platform.shownDialogs,
              shown ? QStringList{"CheckForCurrentVersionFrm"} : QStringList{});
    EXPECT_EQ(server.requested.size(), published ? 1 : 0);
    EXPECT_TRUE(platform.messages.empty());
  }
}

}  // namespace
