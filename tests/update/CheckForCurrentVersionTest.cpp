// The update dialog: the three outcomes as the user reads them, the fetch
// from the menu under a busy cursor, the check box and the link.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/Functions.h"
#include "support/QtPrinters.h"
#include "support/FakePlatform.h"
#include "support/SettingsFile.h"
#include "support/HttpStub.h"
#include "support/TempDir.h"
#include "update/CheckForCurrentVersion.h"

namespace {

class CheckForCurrentVersionTest : public ::testing::Test {
 protected:
  CheckForCurrentVersionTest() {
    platform.executablePath = PELLISTO_EXECUTABLE;  // version 0.2.0.3
    platform.versionDocumentUrl = server.Url(kVersionDocumentPath);
  }
  QLabel* Label(const char* name) { return dialog.findChild<QLabel*>(name); }
  QCheckBox* Check() { return dialog.findChild<QCheckBox*>("CBVerifyAlways"); }
  // The colour the label is drawn in.
  bool Red(QLabel* label) {
    return label->palette().color(label->foregroundRole()) == QColor(255, 0, 0);
  }

  TempDir dir;
  FakePlatform platform{QString::fromStdString(dir.path())};
  HttpStub server;
  TCheckForCurrentVersionFrm dialog;
};

TEST_F(CheckForCurrentVersionTest, Outcomes) {
  const QString details = "Your version of Pellisto is 0.2.0.3 and the current version of Pellisto is ";
  struct Case {
    const char* published;
    const char* found;
    bool red;
    const char* more;
    QString detail;
  };
  const Case cases[] = {
      {"0.2.0.3", "There were no new updates", false, "Read more", details + "0.2.0.3"},
      {"0.2.0.2", "There were no new updates", false, "Read more", details + "0.2.0.2"},
      {" 0.2.0.3 ", "There were no new updates", false, "Read more", details + "0.2.0.3"},
      {"0.2.0.4", "It has found a new version of Pellisto", true, "Download new version",
       details + "0.2.0.4"},
      {"garbage", "Connection Failed", false, "Read more", "Connection Failed"},
      {"Connection Failed", "Connection Failed", false, "Read more", "Connection Failed"},
  };
  // One dialog filled again and again: nothing of an earlier outcome stays.
  for (const Case& c : cases) {
    dialog.ShowCheckResult(false, c.published);
    EXPECT_EQ(Label("lblFound")->text(), c.found) << c.published;
    EXPECT_EQ(Red(Label("lblFound")), c.red) << c.published;
    EXPECT_EQ(Label("lblMore")->text(), c.more) << c.published;
    EXPECT_EQ(Label("lblMore")->font().bold(), c.red) << c.published;
    EXPECT_EQ(Label("lblDetail")->text(), c.detail) << c.published;
  }
  EXPECT_TRUE(server.requested.isEmpty());
}

TEST_F(CheckForCurrentVersionTest, MenuCheckFetchesUnderABusyCursor) {
  server.answers[kVersionDocumentPath] =
      HttpStub::Ok(VersionDocument("0.3.0.0"));
  bool busy = false;
  server.onRequest = [&] {
    busy = QApplication::overrideCursor() &&
           QApplication::overrideCursor()->shape() == Qt::WaitCursor;
  };
  dialog.ShowCheckResult(true, "0.2.0.3");  // the text is ignored when fetching
  EXPECT_TRUE(busy);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Label("lblFound")->text(), "It has found a new version of Pellisto");
  EXPECT_TRUE(Label("lblDetail")->text().endsWith("is 0.3.0.0"));

  platform.versionDocumentUrl = RefusingUrl();
  dialog.ShowCheckResult(true, "0.3.0.0");
  EXPECT_EQ(Label("lblFound")->text(), "Connection Failed");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(CheckForCurrentVersionTest, CheckBoxWritesOnEveryClickAndLinkOpensTheProductPage) {
  StoreSetting("InfoGeneral", "AlwaysCheckUpdate", "1");
  dialog.ShowCheckResult(false, "0.2.0.3");
  EXPECT_TRUE(Check()->isChecked());

  platform.dialogHandlers.push_back([&](QDialog& shown) {
    QTest::mouseClick(Check(), Qt::LeftButton);
    EXPECT_EQ(StoredSetting("InfoGeneral", "AlwaysCheckUpdate"), "False");
    QTest::mouseClick(Check(), Qt::LeftButton);
    EXPECT_EQ(StoredSetting("InfoGeneral", "AlwaysCheckUpdate"), "True");
    QTest::mouseClick(Check(), Qt::LeftButton);
    QTest::mouseClick(Label("lblMore"), Qt::LeftButton);
    // The link is reachable from the keyboard too.
    Label("lblMore")->setFocus();
    QTest::keyClick(Label("lblMore"), Qt::Key_Space);
    QTest::keyClick(&shown, Qt::Key_Escape);
    EXPECT_FALSE(shown.isVisible());
  });
  EXPECT_EQ(platform.ExecDialog(dialog), QDialog::Rejected);
  EXPECT_EQ(StoredSetting("InfoGeneral", "AlwaysCheckUpdate"), "False");
  EXPECT_EQ(platform.openedUrls, QStringList({ProductPage(), ProductPage()}));

  platform.dialogHandlers.push_back([&](QDialog&) {
    QTest::mouseClick(dialog.findChild<QPushButton*>("BtOk"), Qt::LeftButton);
  });
  EXPECT_EQ(platform.ExecDialog(dialog), QDialog::Accepted);
}

}  // namespace
