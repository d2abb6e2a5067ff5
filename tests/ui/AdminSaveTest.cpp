// A firebird.conf of root's, opened by another user: every save goes
// through pellisto-save-helper, run by a stand-in pkexec first on PATH that
// records its arguments and, as pkexec does once the password is given,
// runs the helper as root. The window itself runs as nobody and never
// writes the file. These need root (CI runs as root).

#include <QLabel>
#include <sys/stat.h>
#include <unistd.h>

#include "config/base/Sha256.h"
#include "ui/MainFrmFixture.h"
#include "ui/main/AdminSave.h"

namespace {

const char* const kRestartNotice = "The changes will take effect when reset the Firebird service";

// The stand-in: bash, started by a process whose effective user (nobody) is
// not its real one (root), takes back root, as pkexec gives it. A file
// "dismiss" beside it answers as a dismissed password dialog does, one
// "refuse" as a wrong password (or an agent that words a dismissal so). PATH
// holds its folder alone, so it uses nothing but bash's own commands.
const char kStandIn[] =
    "#!/bin/bash\n"
    "here=${0%/*}\n"
    "printf '%s\\n' \"$@\" > \"$here/args\"\n"
    "[ -e \"$here/dismiss\" ] && exit 126\n"
    "[ -e \"$here/refuse\" ] && { echo 'Error executing command as another user: Not authorized' >&2; exit 127; }\n"
    "[ \"$1\" = --disable-internal-agent ] && shift\n"
    "PKEXEC_UID=65534 exec \"$@\"\n";

class AdminSaveTest : public MainFrmTest {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to open the window as another user";
    // The server's folder is root's alone; the settings go where nobody may write.
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(settings.path().c_str(), 0777), 0);
    ASSERT_EQ(chmod(bin.path().c_str(), 0777), 0);
    platform.applicationFolder = QString::fromStdString(settings.path());
    platform.executablePath = QStringLiteral(PELLISTO_EXECUTABLE);
    WriteFileBytes(bin.file("pkexec"), kStandIn);
    ASSERT_EQ(chmod(bin.file("pkexec").c_str(), 0755), 0);
    path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.path()));
  }
  void TearDown() override {
    window.reset();
    if (geteuid() != 0) {
      ASSERT_EQ(seteuid(0), 0);
    }
    if (!path.isNull()) qputenv("PATH", path);
  }
  // Opens the window on a file of root's, as nobody.
  TMainFrm& OpenAsUser(const std::string& text) {
    WriteFileBytes(conf(), text);
    EXPECT_EQ(seteuid(65534), 0);
    return Reopen();
  }
  // Does as root what another program would, meanwhile.
  template <typename F>
  void AsRoot(F&& action) {
    ASSERT_EQ(seteuid(0), 0);
    action();
    ASSERT_EQ(seteuid(65534), 0);
  }
  QStringList HelperArgs() const {
    return QString::fromStdString(ReadFileBytes(bin.file("args"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }
  QString Question() const {
    return QStringLiteral("You may not write %1.\nSave it as administrator? The system will ask for an "
                          "administrator's password.")
        .arg(QString::fromStdString(conf()));
  }

  QString ResetQuestion() const {
    return QString::fromStdString("Copy firebird.conf.default over firebird.conf in " + dir.path() +
                                  "? Every parameter then has the value of firebird.conf.default, and changes "
                                  "not applied are lost.");
  }

  TempDir settings, bin, other;  // made as root, removed as root
  QByteArray path;
};

TEST_F(AdminSaveTest, ApplyAndDoneSaveAsAdministratorAndTheWindowNeverWrites) {
  const std::string text = "TempBlockSize = 1024\nRemoteServicePort = 3050\n";
  OpenAsUser(text);
  EXPECT_EQ(W<QLabel>("lblFileState")->text(), "Read-only for you: firebird.conf is saved as administrator");
  EXPECT_EQ(W<QLabel>("lblFileState")->toolTip(),
            "Read-only: you may not write firebird.conf in " + InstallPath +
                ": Apply saves it as administrator, after the system asks for an administrator's password");

  // No to the offer: nothing runs, nothing is written, the change waits.
  Type("edTempBlockSize", "2048");
  platform.answers = {QMessageBox::No};
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{Question()});
  EXPECT_FALSE(FileExists(bin.file("args")));
  EXPECT_TRUE(ApplyEnabled());

  platform.messages.clear();
  platform.answers = {QMessageBox::Yes};
  Click("BtApply");
  EXPECT_EQ(MessageTexts(), (std::vector<QString>{Question(), kRestartNotice}));
  EXPECT_EQ(platform.messages[0].defaultButton, QMessageBox::Yes);
  // The file, the bytes read, and only the change made.
  EXPECT_EQ(HelperArgs(), (QStringList{"--disable-internal-agent", AdminSave::HelperPath(),
                                       QString::fromStdString(conf()),
                                       QString::fromStdString(conf::Sha256Hex(text)), "TempBlockSize=2048"}));
  EXPECT_EQ(ReadFileBytes(conf()), SavedFromLf("TempBlockSize = 2048\r\nRemoteServicePort = 3050\r\n"));
  EXPECT_FALSE(ApplyEnabled());
  EXPECT_EQ(Edit("edTempBlockSize")->text(), "2048");

  // The window read back what was written: the next save starts from it.
  platform.messages.clear();
  Type("edRemoteServicePort", "3051");
  platform.answers = {QMessageBox::Yes};
  Click("BtDone");
  EXPECT_EQ(ReadFileBytes(conf()), SavedFromLf("TempBlockSize = 2048\r\nRemoteServicePort = 3051\r\n"));
  EXPECT_EQ(window->Document(), nullptr) << "Done closes the window once saved";
}

TEST_F(AdminSaveTest, NoPasswordKeepsTheFileAndTheChanges) {
  const std::string text = "TempBlockSize = 1024\n";
  const QString notSaved =
      "firebird.conf was not saved: the administrator's password was not given, or not accepted. The file is "
      "as it was, and your changes are still here.";
  for (const auto& [answer, said] : std::vector<std::pair<std::string, QString>>{
           {"dismiss", notSaved},
           {"refuse", notSaved + " (pkexec: Error executing command as another user: Not authorized)"}}) {
    SCOPED_TRACE(answer);
    OpenAsUser(text);
    WriteFileBytes(bin.file(answer), "");
    platform.messages.clear();
    Type("edTempBlockSize", "2048");
    platform.answers = {QMessageBox::Yes};
    Click("BtDone");
    ASSERT_EQ(MessageTexts().size(), 2u);
    EXPECT_EQ(platform.messages[1].icon, QMessageBox::Information);
    EXPECT_EQ(platform.messages[1].text, said);
    EXPECT_EQ(ReadFileBytes(conf()), text);
    ASSERT_NE(window->Document(), nullptr) << "the window stays open";
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(Pending(), "TempBlockSize=2048|");
    AsRoot([&] { std::filesystem::remove(bin.file(answer)); });
    ASSERT_EQ(seteuid(0), 0);
  }
}

TEST_F(AdminSaveTest, AnotherProgramsChangeIsMergedAndTheSaveTriedAgain) {
  OpenAsUser("TempBlockSize = 1024\nRemoteServicePort = 3050\n");
  Type("edTempBlockSize", "2048");
  const std::string changed = "# added elsewhere\nTempBlockSize = 1024\nRemoteServicePort = 3051\n";
  AsRoot([&] { WriteFileBytes(conf(), changed); });
  platform.answers = {QMessageBox::Yes};
  Click("BtApply");
  EXPECT_EQ(MessageTexts(),
            (std::vector<QString>{Question(),
                                  "firebird.conf had been changed by another program; your changes were "
                                  "applied on top of it.",
                                  kRestartNotice}));
  // Tried again over the bytes as they are now.
  EXPECT_EQ(HelperArgs().at(3), QString::fromStdString(conf::Sha256Hex(changed)));
  EXPECT_EQ(ReadFileBytes(conf()), SavedFromLf("# added elsewhere\r\nTempBlockSize = 2048\r\nRemoteServicePort = 3051\r\n"));
  EXPECT_EQ(Edit("edRemoteServicePort")->text(), "3051");
}

TEST_F(AdminSaveTest, TheResetAndAChangeOfFolderSaveAsAdministratorToo) {
  OpenAsUser("RootDirectory = /opt/a/\nTempBlockSize = 1024\n");
  AsRoot([&] { WriteFileBytes(dir.file("firebird.conf.default"), "RootDirectory = /opt/a/\n#TempBlockSize = 1048576\n"); });
  platform.answers = {QMessageBox::Yes, QMessageBox::Yes};
  Trigger("AInitAll");
  EXPECT_EQ(MessageTexts(), (std::vector<QString>{ResetQuestion(), Question()}));
  EXPECT_EQ(ReadFileBytes(conf()), SavedFromLf("RootDirectory = /opt/a/\r\n#TempBlockSize = 1048576\r\n"));
  EXPECT_EQ(Edit("edTempBlockSize")->text(), "1048576");

  // Another server's folder, also root's: the prompt says how it is saved.
  AsRoot([&] {
    ASSERT_EQ(chmod(other.path().c_str(), 0755), 0);
    WriteFileBytes(other.file("firebird.conf"), "RootDirectory = /opt/b/\nTempBlockSize = 7\n");
  });
  platform.messages.clear();
  platform.folderChoices = {QString::fromStdString(other.path())};
  platform.answers = {QMessageBox::Yes, QMessageBox::No};
  QTest::mouseClick(W<QWidget>("SBFirebirdInstall"), Qt::LeftButton);
  platform.answers = {QMessageBox::Yes};
  Click("BtApply");
  ASSERT_GE(MessageTexts().size(), 1u);
  EXPECT_EQ(MessageTexts()[0],
            "The firebird.conf in " + QString::fromStdString(other.path()) +
                " will be replaced by the parameters shown here when you apply, as administrator (you may "
                "not write it yourself). Continue?");
  EXPECT_EQ(ReadFileBytes(other.file("firebird.conf")),
            "RootDirectory = " + other.path() + "\r\n#TempBlockSize = 1048576\r\n");
}

TEST_F(AdminSaveTest, WithoutPkexecTheNoticeSaysToInstallItAndApplySaysWhatItAlwaysDid) {
  std::filesystem::remove(bin.file("pkexec"));
  OpenAsUser("TempBlockSize = 1024\n");
  EXPECT_EQ(W<QLabel>("lblFileState")->text(),
            "Read-only for you: install the pkexec package to save it as administrator");
  EXPECT_EQ(W<QLabel>("lblFileState")->toolTip(),
            "Read-only: you may not write firebird.conf in " + InstallPath +
                "; install the pkexec package to save it as administrator");
  Type("edTempBlockSize", "2048");
  Click("BtApply");
  ASSERT_EQ(MessageTexts().size(), 1u);
  EXPECT_TRUE(MessageTexts()[0].endsWith(". Run Pellisto as root to save it.")) << MessageTexts()[0];
  EXPECT_EQ(ReadFileBytes(conf()), "TempBlockSize = 1024\n");
}

}  // namespace
