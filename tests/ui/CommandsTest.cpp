// The menu commands, the links, the alias file and the change of the Firebird
// folder, each used as a user does: menu actions, clicks, the fake folder
// chooser and answers to the message boxes.

#include <QAction>
#include <QDialog>
#include <QLayout>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>

#include "support/HttpStub.h"
#include "support/SettingsFile.h"
#include "ui/MainFrmFixture.h"

namespace {

const char* const kDefaultRoute =
    "Want that this is the default route the next time you load Pellisto?";

class CommandsTest : public MainFrmTest {
 protected:
  // Picks a folder in the chooser behind "...".
  void ChangeFolder(const std::string& folder) {
    platform.folderChoices = {QString::fromStdString(folder)};
    QTest::mouseClick(W<QWidget>("SBFirebirdInstall"), Qt::LeftButton);
  }
  QString SavedPath() const { return StoredSetting("InfoGeneral", "Path"); }
  void ExpectQuestion(const RecordedMessage& m) const {
    EXPECT_EQ(m.icon, QMessageBox::Question) << m.text.toStdString();
    EXPECT_EQ(m.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m.defaultButton, QMessageBox::No);
  }
};

TEST_F(CommandsTest, LinksOpenTheirPagesAndExitCloses) {
  Open("TempBlockSize = 5\n");
  window->show();
  Trigger("AWebProduct");
  Trigger("AFirebirdDoc");
  QTest::mouseClick(W<QLabel>("Label4"), Qt::LeftButton);
  EXPECT_EQ(platform.openedUrls, QStringList({ProductPage(), FirebirdDocPage(), ProductPage()}));
  Trigger("SExit");
  EXPECT_FALSE(window->isVisible());
}

TEST_F(CommandsTest, AboutShowsItsLinksAndClosesWithEsc) {
  Open("TempBlockSize = 5\n");
  platform.executablePath = PELLISTO_EXECUTABLE;
  bool shown = false;
  platform.dialogHandlers.push_back([&](QDialog& dialog) {
    shown = true;
    EXPECT_EQ(dialog.objectName(), "AboutFrm");
    EXPECT_EQ(dialog.windowTitle(), "About");
    // The version of the program that runs, read from its file.
    EXPECT_EQ(dialog.findChild<QGroupBox*>("GBAbout")->title(), "About Pellisto 0.2.0.3");
    for (const char* link : {"Label8", "Label10", "Label2", "Label4", "Label13", "Label12",
                             "lblDonate"})
      QTest::mouseClick(dialog.findChild<QLabel*>(link), Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
  });
  Trigger("AAbout");
  EXPECT_TRUE(shown);
  EXPECT_EQ(platform.openedUrls,
            QStringList({FirebirdDocPage(), PdlPage(), "mailto:" + ContactAddress(),
                         ProductPage(), FirebirdDocPage(), CommunityForum(), DonatePage()}));
}

TEST_F(CommandsTest, AboutThanksOnItsDesignedLines) {
  Open("TempBlockSize = 5\n");
  platform.dialogHandlers.push_back([](QDialog& dialog) {
    const auto label = [&](const char* name) { return dialog.findChild<QLabel*>(name); };
    const auto row = [&](const char* name) {
      return label(name)->mapTo(&dialog, label(name)->rect().center()).y();
    };
    // Third line: the thanks, the community's link and what it is thanked
    // for, whole, within the designed width; the fourth line follows.
    EXPECT_EQ(row("Label12"), row("lblAboutNote9"));
    EXPECT_EQ(row("lblAboutNote10"), row("lblAboutNote9"));
    EXPECT_GT(label("lblAboutNote10")->x(), label("Label12")->x());
    EXPECT_GT(row("lblAboutNote11"), row("lblAboutNote10"));
    const int margin = label("lblAboutNote9")->mapTo(&dialog, QPoint()).x();
    auto* line = dialog.findChild<QLayout*>("layThanks");
    ASSERT_NE(line, nullptr);
#ifdef _WIN32
    // Windows places glyphs on whole pixels, which makes the line a few
    // percent wider than the designed width: the dialog grows to hold it.
    EXPECT_LE(margin + line->sizeHint().width() + margin, dialog.width());
#else
    EXPECT_LE(margin + line->sizeHint().width() + margin, 535);
#endif
    for (const char* name : {"lblAboutNote9", "Label12", "lblAboutNote10", "lblAboutNote11"})
      EXPECT_LE(label(name)->sizeHint().width(), label(name)->width()) << name;
  });
  Trigger("AAbout");
}

TEST_F(CommandsTest, CheckForUpdateAlwaysFetchesAndShowsTheDialog) {
  Open("TempBlockSize = 5\n");
  HttpStub server;
  server.answers[kVersionDocumentPath] = HttpStub::Ok(VersionDocument("0.2.0.4"));
  platform.versionDocumentUrl = server.Url(kVersionDocumentPath);
  platform.executablePath = PELLISTO_EXECUTABLE;
  for (const bool atStart : {false, true}) {
    SCOPED_TRACE(atStart);
    WriteAlwaysCheckUpdate(atStart);
    platform.dialogHandlers.push_back([](QDialog& dialog) {
      EXPECT_EQ(dialog.objectName(), "CheckForCurrentVersionFrm");
      EXPECT_EQ(dialog.findChild<QLabel*>("lblFound")->text(),
                "It has found a new version of Pellisto");
      QTest::mouseClick(dialog.findChild<QPushButton*>("BtOk"), Qt::LeftButton);
    });
    Trigger("ACheckForUpdate");
  }
  EXPECT_EQ(platform.shownDialogs.size(), 2);
  EXPECT_EQ(server.requested.size(), 2);
}

TEST_F(CommandsTest, ChoosingTheSameFolderChangesNothing) {
  Open("RootDirectory = x\nTempBlockSize = 5\n");
  ChangeFolder(dir.path());  // chosen with its trailing "/", or without it
  ChangeFolder(dir.path().substr(0, dir.path().size() - 1));
  platform.folderChoices.clear();
  ChangeFolder("");  // cancelled: not even a question
  ASSERT_EQ(MessageTexts(), std::vector<QString>({kDefaultRoute, kDefaultRoute}));
  EXPECT_EQ(Edit("edRootDirectory")->text().toStdString(), dir.path());
  EXPECT_FALSE(ApplyEnabled());
  EXPECT_EQ(Pending(), "");
  EXPECT_EQ(SavedPath(), "<none>");
  // The chooser opens at the folder shown.
  EXPECT_EQ(platform.chooserStarts, QStringList(3, QString::fromStdString(dir.path())));
}

TEST_F(CommandsTest, FolderWithoutFirebirdConfAsksThenSavesThere) {
  Open("RootDirectory = x\nTempBlockSize = 5\n");
  TempDir other;
  const QString folder = QString::fromStdString(other.path());
  const QString notFound = "File not found firebird.conf in " + folder + ", still want to continue?";

  platform.answers = {QMessageBox::No};
  ChangeFolder(other.path());
  ASSERT_EQ(MessageTexts(), std::vector<QString>({notFound}));
  ExpectQuestion(platform.messages[0]);
  EXPECT_EQ(Edit("edRootDirectory")->text().toStdString(), dir.path());
  EXPECT_FALSE(ApplyEnabled());
  EXPECT_FALSE(FileExists(dir.file("Config.ini")));

  platform.messages.clear();
  platform.answers = {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Yes};
  ChangeFolder(other.path());
  ASSERT_EQ(MessageTexts(),
            std::vector<QString>({notFound, "This created the file firebird.conf in " + folder,
                                  kDefaultRoute}));
  ExpectQuestion(platform.messages[2]);
  EXPECT_EQ(SavedPath(), folder);
  EXPECT_EQ(Edit("edRootDirectory")->text(), folder);
  EXPECT_FALSE(FileExists(other.file("firebird.conf")));  // not before Apply

  Type("edTempBlockSize", "6");
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(other.file("firebird.conf")),
            AsSaved("RootDirectory = " + other.path() + "\nTempBlockSize = 6\n"));
  EXPECT_EQ(ReadFileBytes(conf()), "RootDirectory = x\nTempBlockSize = 5\n");
}

TEST_F(CommandsTest, RelativeFolderFromTheChooserIsUsedAbsolute) {
  Open("TempBlockSize = 5\n");
  TempDir other;
  const QString absolute = QString::fromStdString(other.path());
  const QString current = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QFileInfo(absolute.chopped(1)).path()));
  platform.answers = {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Yes};
  ChangeFolder(QFileInfo(absolute.chopped(1)).fileName().toStdString());
  QDir::setCurrent(current);
  EXPECT_EQ(SavedPath(), absolute);
  EXPECT_EQ(Edit("edRootDirectory")->text(), absolute);
}

TEST_F(CommandsTest, FolderWithItsOwnFirebirdConfIsReplacedOnlyWhenTheUserAgrees) {
  Open("TempBlockSize = 5\n");
  TempDir other;
  WriteFileBytes(other.file("firebird.conf"), "# another server\nTempBlockSize = 9\n");
  const QString folder = QString::fromStdString(other.path());
  const QString replace = "The firebird.conf in " + folder +
                          " will be replaced by the parameters shown here when you apply. Continue?";

  platform.answers = {QMessageBox::No};
  ChangeFolder(other.path());
  ASSERT_EQ(MessageTexts(), std::vector<QString>({replace}));
  ExpectQuestion(platform.messages[0]);
  EXPECT_EQ(Edit("edRootDirectory")->text().toStdString(), dir.path());
  EXPECT_FALSE(ApplyEnabled());
  EXPECT_EQ(ReadFileBytes(other.file("firebird.conf")), "# another server\nTempBlockSize = 9\n");

  platform.messages.clear();
  platform.answers = {QMessageBox::Yes, QMessageBox::No};
  ChangeFolder(other.path());
  ASSERT_EQ(MessageTexts(), std::vector<QString>({replace, kDefaultRoute}));
  EXPECT_EQ(SavedPath(), "<none>");
  EXPECT_EQ(Edit("edRootDirectory")->text(), folder);
  EXPECT_TRUE(ApplyEnabled());
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(other.file("firebird.conf")), AsSaved("TempBlockSize = 5\n"));
}

TEST_F(CommandsTest, ResetWorksOnTheFolderShown) {
  Open("TempBlockSize = 5\nLockSemCount = 16\n");
  WriteFileBytes(dir.file("firebird.conf.default"), "#TempBlockSize = 1\n");
  TempDir other;
  WriteFileBytes(other.file("firebird.conf"), "TempBlockSize = 9\n");
  WriteFileBytes(other.file("firebird.conf.default"), "#TempBlockSize = 1048576\n#LockSemCount = 32\n");
  platform.answers = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Yes};
  ChangeFolder(other.path());
  Trigger("AInitAll");

  EXPECT_EQ(ReadFileBytes(other.file("firebird.conf")), AsSaved("#TempBlockSize = 1048576\n#LockSemCount = 32\n"));
  EXPECT_EQ(ReadFileBytes(conf()), "TempBlockSize = 5\nLockSemCount = 16\n");
  EXPECT_EQ(Edit("edTempBlockSize")->text(), "1048576");
  EXPECT_EQ(Edit("edRootDirectory")->text().toStdString(), other.path());
  EXPECT_FALSE(ApplyEnabled());
  // And the window goes on editing that server.
  Type("edLockSemCount", "64");
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(other.file("firebird.conf")), AsSaved("#TempBlockSize = 1048576\nLockSemCount = 64\n"));
}

TEST_F(CommandsTest, RefusedSettingsWriteStopsTheChange) {
  Open("TempBlockSize = 5\n");
  QDir().mkpath(QString::fromStdString(dir.file("Config.ini")));  // cannot be written
  TempDir other;
  platform.answers = {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Yes};
  ChangeFolder(other.path());
  ASSERT_EQ(platform.messages.size(), 4u);
  EXPECT_EQ(platform.messages[3].icon, QMessageBox::Critical);
  EXPECT_EQ(platform.messages[3].text, "Unable to write to " + SettingsFilePath() + ".");
  EXPECT_EQ(Edit("edRootDirectory")->text().toStdString(), dir.path());
  EXPECT_FALSE(ApplyEnabled());
}

TEST_F(CommandsTest, WindowWithoutAFileLoadsTheFolderChosen) {
  Reopen();  // no firebird.conf: the window opens unfilled
  ASSERT_FALSE(window->DocumentLoaded());
  TempDir other;
  WriteFileBytes(other.file("firebird.conf"), "TempBlockSize = 9\n");
  platform.messages.clear();
  platform.answers = {QMessageBox::Yes};
  ChangeFolder(other.path());
  EXPECT_EQ(MessageTexts(), std::vector<QString>({kDefaultRoute}));
  EXPECT_TRUE(window->DocumentLoaded());
  EXPECT_EQ(Edit("edTempBlockSize")->text(), "9");
  EXPECT_EQ(W<QLabel>("lblFileState")->text(), "");
  Type("edTempBlockSize", "10");
  platform.messages.clear();
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(other.file("firebird.conf")), AsSaved("TempBlockSize = 10\n"));
  EXPECT_EQ(MessageTexts(), std::vector<QString>(
                                {"The changes will take effect when reset the Firebird service"}));
}

TEST_F(CommandsTest, WindowWithoutAFileClaimsNoFileInAFolderWithoutOne) {
  Reopen();
  ASSERT_FALSE(window->DocumentLoaded());
  // The folder looked in, and that nothing is open there.
  EXPECT_EQ(Edit("edRootDirectory")->text(), InstallPath);
  EXPECT_EQ(W<QLabel>("lblFileState")->text(),
            "No file is open: there is no readable firebird.conf in " + InstallPath);
  TempDir other;
  const QString folder = QString::fromStdString(other.path());
  platform.messages.clear();
  platform.answers = {QMessageBox::Yes, QMessageBox::No};
  ChangeFolder(other.path());
  // Asked, but nothing claimed: there is nothing to save into it.
  EXPECT_EQ(MessageTexts(),
            std::vector<QString>({"File not found firebird.conf in " + folder +
                                      ", still want to continue?",
                                  kDefaultRoute}));
  EXPECT_EQ(Edit("edRootDirectory")->text(), folder);
  EXPECT_EQ(W<QLabel>("lblFileState")->text(),
            "No file is open: there is no readable firebird.conf in " + folder);
  EXPECT_FALSE(ApplyEnabled());
  Type("edTempBlockSize", "6");
  EXPECT_FALSE(ApplyEnabled());
  Click("BtDone");
  EXPECT_FALSE(FileExists(other.file("firebird.conf")));
}

TEST_F(CommandsTest, AliasFileOpensInTheEditorWithItsFullPath) {
  // A folder name a shell would split or misread (Windows allows no quote
  // in a name, but the command interpreter's & and %).
#ifdef _WIN32
  const std::string folder = dir.path() + "fb 2.5;x & y %PATH%\\";
#else
  const std::string folder = dir.path() + "fb \"2.5\";x y/";
#endif
  QDir().mkpath(QString::fromStdString(folder));
  WriteFileBytes(folder + "firebird.conf", "DatabaseAccess = None\n");
  WriteFileBytes(folder + "aliases.conf", "employee = /srv/employee.fdb\n");
  InstallPath = QString::fromStdString(folder);
  Reopen();
  Click("BtAliasesConf");
  EXPECT_EQ(platform.editedFiles, QStringList({QString::fromStdString(folder + "aliases.conf")}));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(CommandsTest, MissingAliasFileIsReportedWithItsFolder) {
  Open("DatabaseAccess = None\n");
  Click("BtAliasesConf");
  EXPECT_TRUE(platform.editedFiles.isEmpty());
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "File not found aliases.conf in " + InstallPath);
  EXPECT_EQ(platform.messages[0].icon, QMessageBox::Warning);
}

}  // namespace
