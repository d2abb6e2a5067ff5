// The first-run dialog as a user meets it: the folder pre-filled from
// FIREBIRD, the chooser, refused and accepted folders, the check box, and
// every way of closing it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <cstdlib>

#include "app/Functions.h"
#include "app/welcome/Welcom.h"
#include "support/QtPrinters.h"
#include "support/FakePlatform.h"
#include "support/SettingsFile.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

class WelcomeTest : public ::testing::Test {
 protected:
  WelcomeTest() {
    WriteFileBytes(firebird.file("firebird.conf"), "#RootDirectory =\n");
  }

  // Shows a fresh dialog through the platform, driven by the handler.
  int Run(std::function<void(TWelcomeFrm&)> drive) {
    TWelcomeFrm welcome;
    platform.dialogHandlers.push_back(
        [&](QDialog& shown) { drive(static_cast<TWelcomeFrm&>(shown)); });
    const int result = platform.ExecDialog(welcome);
    box = welcome.RootDirectory();
    return result;
  }
  template <typename T>
  static T* W(QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  static void Type(QWidget& dialog, const QString& text) {
    auto* edit = W<QLineEdit>(dialog, "edRootDirectory");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  static void Click(QWidget& dialog, const char* name) {
    QTest::mouseClick(W<QAbstractButton>(dialog, name), Qt::LeftButton);
  }
  QString Setting(const char* key) { return StoredSetting("InfoGeneral", key); }

  TempDir dir, firebird;
  FakePlatform platform{QString::fromStdString(dir.path())};
  QString folder = QString::fromStdString(firebird.path());  // ends with "/"
  QString box;
};

TEST_F(WelcomeTest, PrefilledFromFirebirdVariableAndDoneAloneIsEnough) {
  const QString bare = folder.chopped(1);
  SetVariable("FIREBIRD", bare.toStdString());
  platform.registeredFolder = DesktopServices().RegisteredFirebirdFolder();
  UnsetVariable("FIREBIRD");

  EXPECT_EQ(Run([&](TWelcomeFrm& d) {
              EXPECT_EQ(W<QLineEdit>(d, "edRootDirectory")->text(), folder);
              EXPECT_FALSE(W<QCheckBox>(d, "CBVerifyAlways")->isChecked());
              Click(d, "Button1");
            }),
            QDialog::Accepted);
  EXPECT_EQ(Setting("Path"), folder);
  EXPECT_EQ(Setting("AlwaysCheckUpdate"), "<none>");
  EXPECT_TRUE(platform.messages.empty());
}

#ifdef _WIN32
// The Firebird installer's value in one view of the registry (none for an
// empty folder) for as long as it lives; what was there comes back after.
class InstallersValue {
 public:
  InstallersValue(QSettings::Format view, const QString& folder)
      : settings_(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Firebird Project\\Firebird "
                                 "Server\\Instances"),
                  view),
        before_(settings_.value(kName)) {
    if (folder.isEmpty())
      settings_.remove(kName);
    else
      settings_.setValue(kName, folder);
    settings_.sync();
  }
  ~InstallersValue() {
    if (before_.isValid())
      settings_.setValue(kName, before_);
    else
      settings_.remove(kName);
  }

 private:
  static inline const QString kName = QStringLiteral("DefaultInstance");
  QSettings settings_;
  QVariant before_;
};

TEST_F(WelcomeTest, PrefilledFromTheInstallersFolderUnlessFirebirdNamesOne) {
  UnsetVariable("FIREBIRD");
  const QString registered = QDir::toNativeSeparators(folder);
  {
    // A 32-bit Firebird on 64-bit Windows registers in the 32-bit view.
    const InstallersValue none(QSettings::Registry64Format, {});
    const InstallersValue only(QSettings::Registry32Format, registered);
    EXPECT_EQ(DesktopServices().RegisteredFirebirdFolder(), registered);
  }
  const InstallersValue value(QSettings::Registry64Format, registered);
  platform.registeredFolder = DesktopServices().RegisteredFirebirdFolder();
  EXPECT_EQ(Run([&](TWelcomeFrm& d) {
              EXPECT_EQ(W<QLineEdit>(d, "edRootDirectory")->text(), registered);
              Click(d, "Button1");
            }),
            QDialog::Accepted);
  EXPECT_EQ(Setting("Path"), registered);

  // Firebird's own variable, as pellisto-conf takes it, comes first.
  SetVariable("FIREBIRD", "C:\\Firebird");
  EXPECT_EQ(DesktopServices().RegisteredFirebirdFolder(), "C:\\Firebird\\");
  UnsetVariable("FIREBIRD");
}
#endif

TEST_F(WelcomeTest, RefusesAFolderWithoutFirebirdConfAndStaysOpen) {
  const QString empty = QString::fromStdString(dir.path()) + "nothing";
  const std::pair<QString, QString> refusals[] = {
      {empty, "File not found firebird.conf in " + empty + "."},
      {"", "File not found firebird.conf in "},
      {folder + "firebird.conf", "File not found firebird.conf in " + folder + "firebird.conf."},
  };
  EXPECT_EQ(Run([&](TWelcomeFrm& d) {
              for (const auto& [typed, message] : refusals) {
                platform.messages.clear();
                Type(d, typed);
                Click(d, "Button1");
                ASSERT_EQ(platform.messages.size(), 1u) << typed;
                EXPECT_EQ(platform.messages[0].text, message);
                EXPECT_EQ(platform.messages[0].icon, QMessageBox::Critical);
                EXPECT_EQ(platform.messages[0].title, "Pellisto");
                EXPECT_TRUE(d.isVisible());
                EXPECT_EQ(d.RootDirectory(), typed);
              }
              // Then a good folder, typed without its final "/".
              Type(d, folder.chopped(1));
              Click(d, "Button1");
            }),
            QDialog::Accepted);
  EXPECT_EQ(Setting("Path"), folder);
  EXPECT_EQ(box, folder);
}

TEST_F(WelcomeTest, RelativeFolderIsSavedAbsolute) {
  // Typed as seen from its parent; a later start from anywhere finds it.
  const QString current = QDir::currentPath();
  const QDir parent = QFileInfo(folder.chopped(1)).dir();
  ASSERT_TRUE(QDir::setCurrent(parent.path()));
  const int result = Run([&](TWelcomeFrm& d) {
    Type(d, QFileInfo(folder.chopped(1)).fileName());
    Click(d, "Button1");
  });
  QDir::setCurrent(current);
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(Setting("Path"), folder);
  EXPECT_EQ(box, folder);
}

TEST_F(WelcomeTest, ChooserFillsTheBoxWithASeparator) {
  platform.folderChoices = {folder.chopped(1), "/", ""};
  Run([&](TWelcomeFrm& d) {
    auto* edit = W<QLineEdit>(d, "edRootDirectory");
    Click(d, "SBFirebirdInstall");
    EXPECT_EQ(edit->text(), folder);
    Click(d, "SBFirebirdInstall");
    EXPECT_EQ(edit->text(), "/");
    Click(d, "SBFirebirdInstall");  // cancelled: the box keeps its text
    EXPECT_EQ(edit->text(), "/");
  });
  EXPECT_EQ(platform.chooserTitles, QStringList(3, "Select Directory"));
  EXPECT_EQ(Setting("Path"), "<none>");
}

TEST_F(WelcomeTest, CheckBoxWritesOnEveryClickWhateverTheEnd) {
  EXPECT_EQ(Run([&](TWelcomeFrm& d) {
              Click(d, "CBVerifyAlways");
              EXPECT_EQ(Setting("AlwaysCheckUpdate"), "True");
              Click(d, "CBVerifyAlways");
              EXPECT_EQ(Setting("AlwaysCheckUpdate"), "False");
              Click(d, "Button2");
            }),
            QDialog::Rejected);
  EXPECT_EQ(Setting("AlwaysCheckUpdate"), "False");
  EXPECT_EQ(Setting("Path"), "<none>");
}

TEST_F(WelcomeTest, EnterIsNotDoneAndEscapeOrTheCloseBoxCancel) {
  platform.registeredFolder = folder;
  EXPECT_EQ(Run([&](TWelcomeFrm& d) {
              W<QLineEdit>(d, "edRootDirectory")->setFocus();
              QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
              EXPECT_TRUE(d.isVisible());
              QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
              EXPECT_FALSE(d.isVisible());
            }),
            QDialog::Rejected);
  EXPECT_EQ(Run([&](TWelcomeFrm& d) { d.close(); }), QDialog::Rejected);
  EXPECT_EQ(Setting("Path"), "<none>");
  EXPECT_EQ(box, folder);
}

}  // namespace
