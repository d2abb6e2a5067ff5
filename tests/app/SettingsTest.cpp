// Config.ini: defaults, the Boolean rule, no caching, refused writes, and
// files that are not what they should be.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <filesystem>
#include <random>

#include "app/Functions.h"
#include "config/ConfigTestSupport.h"
#include "config/base/Utf8Path.h"
#include "support/FakePlatform.h"
#include "support/SettingsFile.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  TempDir dir;
  FakePlatform platform{QString::fromStdString(dir.path())};
  std::string ini() const { return dir.file("Config.ini"); }
};

TEST_F(SettingsTest, MissingFileGivesDefaultsAndFirstWriteCreatesIt) {
  EXPECT_EQ(SettingsFilePath(), QString::fromStdString(ini()));
  EXPECT_EQ(ReadInstallPath(), "");
  EXPECT_EQ(ReadLanguage(), "en");
  EXPECT_FALSE(ReadAlwaysCheckUpdate());
  EXPECT_EQ(ReadActivePage(), 0);
  EXPECT_FALSE(FileExists(ini()));

  WriteActivePage(4);
  ASSERT_TRUE(FileExists(ini()));
  const std::string text = ReadFileBytes(ini());
  EXPECT_NE(text.find("[Screen]"), std::string::npos);
  EXPECT_NE(text.find("ActivePage=4"), std::string::npos);  // key=value, no blanks
  EXPECT_EQ(ReadActivePage(), 4);
}

TEST_F(SettingsTest, EveryReadSeesTheFileAsItIsNow) {
  WriteLanguage("es");
  EXPECT_EQ(ReadLanguage(), "es");
  // Another program (or another window) changes the file behind our back.
  WriteFileBytes(ini(), "[InfoGeneral]\r\nLanguage=de\r\nPath=/opt/fb/\r\n");
  EXPECT_EQ(ReadLanguage(), "de");
  EXPECT_EQ(ReadInstallPath(), "/opt/fb/");
  // Writing one key keeps the others.
  WriteAlwaysCheckUpdate(true);
  EXPECT_EQ(ReadLanguage(), "de");
  EXPECT_EQ(ReadInstallPath(), "/opt/fb/");
  EXPECT_TRUE(ReadAlwaysCheckUpdate());
  EXPECT_NE(ReadFileBytes(ini()).find("AlwaysCheckUpdate=True"), std::string::npos);
}

TEST_F(SettingsTest, BooleanRule) {
  const std::pair<const char*, bool> cases[] = {
      {"True", true},
      {"true", true},
      {"TRUE", true},
      {"1", true},
      {"-7", true},
      {"0", false},
      {"000", false},
      {"False", false},
      {"false", false},
      {"yes", false},
      {"", false},
      {"on", false},
      {"99999999999999999999999", true},
      {"1.0", true},
      {"0.5", true},
      {"1e3", true},
      {".5", true},
      {"1e-999", true},
      {"0.0", false},
      {"0e5", false},
      {"-0.", false},
      {".", false},
      {"e5", false},
      {"1e", false},
      {"nan", false},
      {"1e+5", true},
      {" 2 ", true},
      {"1.2.3", false},
      {"1e5x", false},
      {"+", false},
      {"0x1", false},
      {"\u0663", false},
      {"1..0", false},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(SettingToBool(text), expected) << text;
    StoreSetting("InfoGeneral", "AlwaysCheckUpdate", text);
    EXPECT_EQ(ReadAlwaysCheckUpdate(), expected) << text;
  }
  EXPECT_EQ(BoolToSetting(false), "False");
}

TEST_F(SettingsTest, ActivePageThatIsNoNumberCountsAsZero) {
  for (const char* text : {"abc", "", "3x", "1.5"}) {
    StoreSetting("Screen", "ActivePage", text);
    EXPECT_EQ(ReadActivePage(), 0) << text;
  }
  WriteActivePage(-1);
  EXPECT_EQ(ReadActivePage(), -1);
}

TEST_F(SettingsTest, OddFilesGiveDefaultsOrCutValuesNeverACrash) {
  WriteFileBytes(ini(), "");
  EXPECT_EQ(ReadLanguage(), "en");

  std::mt19937 random(7);
  std::string garbage;
  for (int i = 0; i < 64 * 1024; ++i) garbage.push_back(static_cast<char>(random()));
  WriteFileBytes(ini(), garbage);
  EXPECT_EQ(ReadLanguage(), "en");
  EXPECT_EQ(ReadActivePage(), 0);
  // Writing over garbage still gives a readable file.
  WriteLanguage("pt");
  EXPECT_EQ(ReadLanguage(), "pt");

  const std::string longValue(10000, 'x');
  WriteFileBytes(ini(), "[InfoGeneral]\nPath=" + longValue + "\nLanguage=" +
                            std::string(5000, 'y') + "\n");
  EXPECT_EQ(ReadInstallPath(), QString(2047, 'x'));
  EXPECT_EQ(ReadLanguage().size(), 2047);
}

TEST_F(SettingsTest, RefusedWriteRaisesAndKeepsTheOldFile) {
  WriteLanguage("es");
  const std::string before = ReadFileBytes(ini());
  SetReadOnly(ini(), true);
  ASSERT_TRUE(IsReadOnly(ini()));
  try {
    WriteLanguage("de");
    FAIL() << "a read-only settings file was written";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + ini());
  }
  EXPECT_EQ(ReadFileBytes(ini()), before);
  EXPECT_EQ(ReadLanguage(), "es");
  SetReadOnly(ini(), false);
}

TEST_F(SettingsTest, UnreadableFileIsNotReplacedByOneWithOnlyTheNewValue) {
#ifdef _WIN32
  GTEST_SKIP() << "a file that may be written but not read needs POSIX modes";
#else
  const std::string before = "[InfoGeneral]\r\nPath=/opt/fb/\r\nLanguage=es\r\n";
  WriteFileBytes(ini(), before);
  // Anyone may write the file and create files beside it; nobody may read it.
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  ASSERT_EQ(chmod(ini().c_str(), 0222), 0);
  const auto write = [] {
    try {
      WriteActivePage(3);
      return std::string("written");
    } catch (const std::runtime_error& e) {
      return std::string(e.what());
    }
  };
  // Root reads every file: the attempt is made as another user.
  const auto result = geteuid() == 0 ? RunAsNobody(write) : std::optional(write());
  if (!result) GTEST_SKIP() << "running as root and unable to switch to user nobody";
  EXPECT_EQ(*result, "Unable to write to " + ini());
  ASSERT_EQ(chmod(ini().c_str(), 0644), 0);
  EXPECT_EQ(ReadFileBytes(ini()), before);
#endif
}

TEST_F(SettingsTest, MissingFolderRaisesUnableToWrite) {
  platform.applicationFolder = QString::fromStdString(dir.path() + "gone/");
  EXPECT_THROW(WriteActivePage(1), std::runtime_error);
  EXPECT_EQ(ReadActivePage(), 0);
}

// Sets (or, given nullptr, unsets) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    if (value)
      qputenv(name, value);
    else
      qunsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

#ifdef _WIN32
// Windows keeps a user's settings in the local application data, a known
// folder that no variable moves; the toolkit's test mode gives these tests a
// folder of their own below it, emptied before and after.
class UsersFolder {
 public:
  UsersFolder() {
    QStandardPaths::setTestModeEnabled(true);
    Clear();
  }
  ~UsersFolder() {
    Clear();
    QStandardPaths::setTestModeEnabled(false);
  }
  std::string base() const {
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
               .toStdString() +
           "\\";
  }
  std::string folder() const { return base() + "Pellisto\\"; }

 private:
  // The folder, or the file a test put in its place.
  void Clear() const { std::filesystem::remove_all(conf::PathFromUtf8(base() + "Pellisto")); }
};
#endif

TEST_F(SettingsTest, ReadOnlyProgramFolderKeepsSettingsInTheUsersFolder) {
#ifdef _WIN32
  UsersFolder users;
  EXPECT_EQ(SettingsFilePath(), QString::fromStdString(ini()));  // writable: beside it
  platform.readOnlyFolders << platform.applicationFolder;
  EXPECT_EQ(SettingsFilePath(), QString::fromStdString(users.folder() + "Config.ini"));
  EXPECT_EQ(ReadLanguage(), "en");
  EXPECT_FALSE(FileExists(users.folder())) << "a read created the folder";
  WriteLanguage("es");
  EXPECT_EQ(ReadLanguage(), "es");
  EXPECT_TRUE(FileExists(users.folder() + "Config.ini"));
  EXPECT_FALSE(FileExists(ini()));
#else
  const std::string xdg = dir.path() + "xdg";
  {
    ScopedEnv config("XDG_CONFIG_HOME", xdg.c_str());
    EXPECT_EQ(SettingsFilePath(), QString::fromStdString(ini()));  // writable: beside it
  }
  platform.readOnlyFolders << platform.applicationFolder;
  struct Case {
    const char* xdg;  // nullptr: unset
    const char* home;
    std::string folder;
  } cases[] = {
      {xdg.c_str(), "h0", xdg + "/pellisto/"},
      {nullptr, "h1", dir.path() + "h1/.config/pellisto/"},
      {"", "h2", dir.path() + "h2/.config/pellisto/"},
      {"relative/config", "h3", dir.path() + "h3/.config/pellisto/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    ScopedEnv config("XDG_CONFIG_HOME", c.xdg);
    ScopedEnv home("HOME", (dir.path() + c.home).c_str());
    EXPECT_EQ(SettingsFilePath(), QString::fromStdString(c.folder + "Config.ini"));
    EXPECT_EQ(ReadLanguage(), "en");
    EXPECT_FALSE(FileExists(c.folder)) << "a read created the folder";

    WriteLanguage("es");
    EXPECT_EQ(ReadLanguage(), "es");
    struct stat info {};
    ASSERT_EQ(stat(c.folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
  }
  EXPECT_FALSE(FileExists(ini()));
#endif
}

TEST_F(SettingsTest, InstalledProgramNeverWritesBesideItself) {
  // Root can write in /usr/bin; the settings still go to the user's folder.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.path() + "share/pellisto")));
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.path() + "bin")));
  platform.applicationFolder = QString::fromStdString(dir.path() + "bin/");
#ifdef _WIN32
  UsersFolder users;
  WriteActivePage(3);
  EXPECT_TRUE(FileExists(users.folder() + "Config.ini"));
#else
  ScopedEnv config("XDG_CONFIG_HOME", (dir.path() + "xdg").c_str());
  WriteActivePage(3);
  EXPECT_TRUE(FileExists(dir.path() + "xdg/pellisto/Config.ini"));
#endif
  EXPECT_FALSE(FileExists(dir.path() + "bin/Config.ini"));
}

TEST_F(SettingsTest, UnwritableUsersFolderRaisesUnableToWrite) {
  platform.readOnlyFolders << platform.applicationFolder;
  // A file where the folder should be stops even root.
#ifdef _WIN32
  UsersFolder users;
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(users.base())));
  WriteFileBytes(users.base() + "Pellisto", "");
  const std::string expected = users.folder() + "Config.ini";
#else
  WriteFileBytes(dir.file("blocker"), "");
  ScopedEnv config("XDG_CONFIG_HOME", dir.file("blocker").c_str());
  const std::string expected = dir.path() + "blocker/pellisto/Config.ini";
#endif
  try {
    WriteLanguage("de");
    FAIL() << "the settings were written below a file";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + expected);
  }
  EXPECT_EQ(ReadLanguage(), "en");
}

TEST(DesktopWriteCheck, CreatesAFileToKnowAndLeavesNothingBehind) {
  TempDir dir;
  DesktopServices desktop;
  EXPECT_TRUE(desktop.CanWriteInFolder(QString::fromStdString(dir.path())));
  EXPECT_TRUE(QDir(QString::fromStdString(dir.path()))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                  .isEmpty());
  EXPECT_FALSE(desktop.CanWriteInFolder(QString::fromStdString(dir.path() + "gone/")));
}

TEST(LinkTargets, HttpsAndFixedPaths) {
  for (const QString& link : {ProductPage(), FirebirdDocPage(), PdlPage(), DonatePage(),
                              CommunityForum(), CurrentVersionAddress()})
    EXPECT_TRUE(link.startsWith("https://")) << link.toStdString();
  EXPECT_TRUE(ProductPage().endsWith("/?page_id=71"));
  EXPECT_TRUE(FirebirdDocPage().endsWith("/index.php?op=doc"));
  EXPECT_TRUE(PdlPage().endsWith("/manual/pdl.html"));
  EXPECT_TRUE(DonatePage().endsWith("/Donate.htm"));
  EXPECT_TRUE(CommunityForum().endsWith("/foros"));
  EXPECT_TRUE(CurrentVersionAddress().endsWith("/archivos/CurrentVersion.xml"));
}

TEST(SharedServices, LinksAndFolderChooserGoThroughThePlatform) {
  TempDir dir;
  FakePlatform platform(QString::fromStdString(dir.path()));
  OpenLink(DonatePage());
  EXPECT_EQ(platform.openedUrls, QStringList{DonatePage()});

  platform.folderChoices = {"/srv/firebird"};
  EXPECT_EQ(ChooseFolder(nullptr), "/srv/firebird");
  EXPECT_EQ(ChooseFolder(nullptr), "");  // cancelled
  EXPECT_EQ(platform.chooserTitles, QStringList({"Select Directory", "Select Directory"}));
}

TEST(SharedServices, FolderChooserOpensAtHomeWithNothingSelected) {
  // The real chooser, with a user who looks at it and picks a folder.
  struct User : DesktopServices {
    QString pick;
    int ExecDialog(QDialog& dialog) override {
      auto& chooser = static_cast<QFileDialog&>(dialog);
      EXPECT_EQ(chooser.windowTitle(), "Select Directory");
      EXPECT_EQ(chooser.directory().absolutePath(), QDir::homePath());
      EXPECT_EQ(chooser.selectedFiles(), QStringList{QDir::homePath()});
      EXPECT_EQ(chooser.fileMode(), QFileDialog::Directory);
      if (pick.isEmpty()) return QDialog::Rejected;
      chooser.selectFile(pick);
      return QDialog::Accepted;
    }
  } user;
  EXPECT_EQ(user.ChooseFolder(nullptr, "Select Directory", QString()), "");
  TempDir dir;
  user.pick = QString::fromStdString(dir.path()).chopped(1);
  EXPECT_EQ(user.ChooseFolder(nullptr, "Select Directory", "/no/such/folder/"), user.pick);
}

}  // namespace
