// The language dialog, opened from the menu: which languages it offers for
// the catalogs found, which one it selects, and what Done, a double click,
// Cancel and Esc write.

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QTableWidget>
#include <filesystem>

#include "i18n/SelectLanguage.h"
#include "ui/MainFrmFixture.h"

namespace {

const char* const kReopenNotice = "The changes will take effect when reopen Pellisto";

class LanguageDialogTest : public MainFrmTest {
 protected:
  void SetUp() override { Open("TempBlockSize = 5\n"); }

  // An empty file stands for a catalog: the dialog only looks at names.
  void Catalog(const std::string& relative) {
    const std::string path = dir.path() + "locale/" + relative;
    QDir().mkpath(QString::fromStdString(path.substr(0, path.rfind('/'))));
    WriteFileBytes(path, "");
  }

  // Opens "Select language" and hands the dialog's grid to the driver.
  void OpenDialog(const std::function<void(QDialog&, QTableWidget&)>& drive) {
    bool shown = false;
    platform.dialogHandlers.push_back([&](QDialog& dialog) {
      shown = true;
      auto* grid = dialog.findChild<QTableWidget*>("VLE_Language");
      ASSERT_NE(grid, nullptr);
      drive(dialog, *grid);
    });
    W<QAction>("APreferences")->trigger();
    EXPECT_TRUE(shown);
  }

  static QStringList Rows(const QTableWidget& grid) {
    QStringList rows;
    for (int r = 0; r < grid.rowCount(); ++r)
      rows << grid.item(r, 0)->text() + "=" + grid.item(r, 1)->text();
    return rows;
  }
  static QString Selected(const QTableWidget& grid) {
    const int row = grid.currentRow();
    return row >= 0 && grid.item(row, 0)->isSelected() ? grid.item(row, 0)->text() : QString();
  }
};

TEST_F(LanguageDialogTest, OffersTheInstalledLanguagesAndSelectsTheSavedOne) {
  Catalog("de/LC_MESSAGES/default.mo");
  Catalog("ES/LC_MESSAGES/default.mo");     // the folder's letter case does not matter
  Catalog("fr/LC_MESSAGES/Default.mo");     // the file's does
  Catalog("pt_BR/LC_MESSAGES/default.mo");  // no row for it
#ifndef _WIN32
  std::filesystem::create_directory_symlink(dir.path() + "locale", dir.path() + "locale/loop");
#endif
  WriteLanguage("es");

  OpenDialog([](QDialog& dialog, QTableWidget& grid) {
    EXPECT_EQ(dialog.windowTitle(), "Select language");
    EXPECT_EQ(Rows(grid), QStringList({"de=German", "es=Spanish"}));
    EXPECT_EQ(Selected(grid), "es");
    EXPECT_EQ(grid.horizontalHeaderItem(0)->text(), "Code ISO");
    EXPECT_EQ(grid.horizontalHeaderItem(1)->text(), "Language");
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    QTest::mouseClick(dialog.findChild<QWidget*>("BtCancel"), Qt::LeftButton);
  });
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadLanguage(), "es");
}

TEST_F(LanguageDialogTest, DesignedSizeAndColumnsAndAnUpperCaseCodeSelectsItsRow) {
  Catalog("de/LC_MESSAGES/default.mo");
  Catalog("es/LC_MESSAGES/default.mo");
  WriteLanguage("ES");
  OpenDialog([](QDialog& dialog, QTableWidget& grid) {
    EXPECT_EQ(Selected(grid), "es");
    EXPECT_EQ(dialog.size(), QSize(406, 215));
#ifdef _WIN32
    // Windows' header margins need a few pixels more for "Code ISO": the
    // column takes them, and both columns still fit the grid.
    EXPECT_GE(grid.columnWidth(0), 53);
    EXPECT_LE(grid.columnWidth(0) + grid.columnWidth(1), grid.viewport()->width());
#else
    EXPECT_EQ(grid.columnWidth(0), 53);
#endif
    EXPECT_EQ(grid.columnWidth(1), 314);
    EXPECT_LE(grid.horizontalHeader()->sectionSizeHint(0), grid.columnWidth(0));
  });
}

TEST_F(LanguageDialogTest, DoneAndDoubleClickSaveTheRowCancelAndEscDoNot) {
  Catalog("de/LC_MESSAGES/default.mo");
  Catalog("en/LC_MESSAGES/default.mo");
  WriteLanguage("xx");  // no such row: the first is selected

  OpenDialog([](QDialog&, QTableWidget& grid) {
    EXPECT_EQ(Selected(grid), "de");
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Escape);
  });
  EXPECT_EQ(ReadLanguage(), "xx");

  OpenDialog([](QDialog& dialog, QTableWidget& grid) {
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::mouseClick(dialog.findChild<QWidget*>("BtDone"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_EQ(ReadLanguage(), "en");

  OpenDialog([](QDialog& dialog, QTableWidget& grid) {
    EXPECT_EQ(Selected(grid), "en");  // the choice just saved
    // A double click: the first click's press and release, then the second.
    const QPoint row = grid.visualItemRect(grid.item(0, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, row);
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_EQ(ReadLanguage(), "de");
  EXPECT_EQ(MessageTexts(), std::vector<QString>({kReopenNotice, kReopenNotice}));
}

TEST_F(LanguageDialogTest, WithoutCatalogsTheGridIsEmptyAndDoneStoresNoCode) {
  Catalog("pt_BR/LC_MESSAGES/default.mo");
  OpenDialog([](QDialog& dialog, QTableWidget& grid) {
    EXPECT_EQ(grid.rowCount(), 0);
    QTest::mouseClick(dialog.findChild<QWidget*>("Label1"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QWidget*>("BtDone"), Qt::LeftButton);
  });
  EXPECT_EQ(ReadLanguage(), "");
  EXPECT_EQ(platform.openedUrls, QStringList({ProductPage()}));
}

#ifndef _WIN32
// Root opens every folder; the scan then runs with an ordinary user's
// rights, so that a folder without permissions really cannot be opened.
class OrdinaryRights {
 public:
  OrdinaryRights() : dropped_(geteuid() == 0 && seteuid(65534) == 0) {}
  ~OrdinaryRights() {
    if (dropped_) {
      EXPECT_EQ(seteuid(0), 0);
    }
  }

 private:
  bool dropped_;
};

TEST_F(LanguageDialogTest, UnreadableFolderIsReportedAndEveryLanguageOffered) {
  Catalog("es/LC_MESSAGES/default.mo");
  const std::string closed = dir.path() + "locale/zz";
  QDir().mkpath(QString::fromStdString(closed));
  ASSERT_EQ(chmod(closed.c_str(), 0), 0);
  WriteLanguage("es");
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);  // the rest stays readable
  ASSERT_EQ(chmod(SettingsFilePath().toLocal8Bit().constData(), 0644), 0);

  {
    const OrdinaryRights rights;
    OpenDialog([](QDialog& dialog, QTableWidget& grid) {
      EXPECT_EQ(grid.rowCount(), static_cast<int>(TSelectLanguageFrm::LanguageTable().size()));
      EXPECT_EQ(Selected(grid), "aa");
      QTest::keyClick(&dialog, Qt::Key_Escape);
    });
  }
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].icon, QMessageBox::Critical);
  EXPECT_EQ(platform.messages[0].text.toStdString(),
            "Cannot open folder \"" + closed + "\". Permission denied.");
}

#endif

}  // namespace
