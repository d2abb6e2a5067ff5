// The catalogs built from po/: English and Spanish are offered, and Spanish
// chosen in the dialog shows at the next start, except where texts must stay
// as written.

#include <QAction>
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTreeWidget>
#include <filesystem>

#include "i18n/Gettext.h"
#include "support/TestSystem.h"
#include "ui/MainFrmFixture.h"

namespace {

class ShippedCatalogsTest : public MainFrmTest {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(PELLISTO_LOCALE_DIR "/es/LC_MESSAGES/default.mo"))
      GTEST_SKIP() << "catalogs not built";
    ShareFolder(PELLISTO_LOCALE_DIR, dir.path() + "locale");
    i18n::SelectLanguage(ReadLanguage());
  }
  void TearDown() override { i18n::SelectLanguage("en"); }
};

TEST_F(ShippedCatalogsTest, TheToolkitSpeaksEnglishAgainWithAnotherLanguage) {
  i18n::SelectLanguage("es");
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Ver en:");
  i18n::SelectLanguage("en");
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
  // No catalog for the language: the program stays English, and so does the
  // toolkit.
  i18n::SelectLanguage("de");
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Find Directory"), "Find Directory");
}

TEST_F(ShippedCatalogsTest, SpanishChosenInTheDialogShowsAtTheNextStart) {
  Open("TempBlockSize = 5\n");
  platform.dialogHandlers.push_back([](QDialog& dialog) {
    auto* grid = dialog.findChild<QTableWidget*>("VLE_Language");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 1)->text(), "English");
    EXPECT_EQ(grid->item(1, 1)->text(), "Spanish");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(1, 0)).center());
    QTest::mouseClick(dialog.findChild<QWidget*>("BtDone"), Qt::LeftButton);
  });
  W<QAction>("APreferences")->trigger();
  // This run keeps its language.
  EXPECT_EQ(MessageTexts(),
            std::vector<QString>({"The changes will take effect when reopen Pellisto"}));
  EXPECT_EQ(Button("BtApply")->text(), "Apply");

  // The next start.
  i18n::SelectLanguage(ReadLanguage());
  Reopen();
  EXPECT_EQ(Button("BtApply")->text(), "Aplicar");
  EXPECT_EQ(W<QTabWidget>("PCMain")->tabText(1), "Acceso");
  EXPECT_EQ(W<QAction>("APreferences")->text(), "Seleccionar idioma");
  EXPECT_EQ(Edit("edSearchInc")->placeholderText(), QString::fromUtf8("Buscar parámetros por nombre"));
  EXPECT_EQ(W<QTreeWidget>("TVWOptions")->topLevelItem(1)->text(0), "Acceso");
  EXPECT_EQ(W<QTreeWidget>("TVWOptions")->topLevelItem(0)->child(0)->text(0),
            QString::fromUtf8("Páginas de caché de BD predeterminadas"));

  // So do the toolkit's own dialogs: the folder chooser and the buttons of
  // message boxes.
  {
    QFileDialog chooser;
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(chooser.findChild<QLabel*>("lookInLabel")->text(), "Ver en:");
    QMessageBox box(QMessageBox::Question, "Pellisto", "?", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "No");
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), QString::fromUtf8("Sí"));
  }

  // The language dialog speaks Spanish too; About never does.
  platform.dialogHandlers.push_back([](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Seleccionar idioma");
    EXPECT_EQ(dialog.findChild<QTableWidget*>()->horizontalHeaderItem(1)->text(), "Idioma");
    // The code column is wide enough for its longer title.
    const QHeaderView* header = dialog.findChild<QTableWidget*>()->horizontalHeader();
    EXPECT_LE(header->sectionSizeHint(0), header->sectionSize(0));
  });
  platform.dialogHandlers.push_back([](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "About");
    EXPECT_EQ(dialog.findChild<QLabel*>("lblDonate")->text(), "Go to Donate Page!!!");
  });
  W<QAction>("APreferences")->trigger();
  W<QAction>("AAbout")->trigger();
  EXPECT_EQ(platform.shownDialogs, QStringList({"SelectLanguageFrm", "SelectLanguageFrm",
                                                "AboutFrm"}));
}

}  // namespace
