// The pages are built as they come to the front: until then their controls
// are not there, and building them, in whatever order, leaves the document
// as it was and the keys going through the pages in their order.

#include <QApplication>

#include "ui/MainFrmFixture.h"

namespace {

using PagesTest = MainFrmTest;

// The page of the tab widget a control stands on.
int PageOf(const QTabWidget* pages, const QWidget* control) {
  for (int i = 0; i < pages->count(); ++i)
    if (pages->widget(i)->isAncestorOf(control)) return i;
  return -1;
}

TEST_F(PagesTest, OnlyThePageInFrontIsBuiltAndTurningToTheOthersChangesNothing) {
  const std::string sample = SamplePath("firebird-2.5.9-windows.conf");
  if (sample.empty()) GTEST_SKIP() << "samples not available";
  WriteActivePage(3);
  Open(ReadFileBytes(sample));
  auto* pages = window->findChild<QTabWidget*>("PCMain");
  ASSERT_EQ(pages->currentIndex(), 3);
  EXPECT_NE(window->findChild<QLineEdit*>("edConnectionTimeout"), nullptr);
  EXPECT_EQ(window->findChild<QLineEdit*>("edTempBlockSize"), nullptr);
  EXPECT_EQ(window->findChild<QLineEdit*>("edLockMemSize"), nullptr);

  const std::string file = ReadFileBytes(conf());
  window->show();
  for (int page : {9, 0, 10, 5, 1, 8, 2, 7, 4, 6}) {
    pages->setCurrentIndex(page);
    QApplication::processEvents();
  }
  EXPECT_FALSE(ApplyEnabled());
  EXPECT_EQ(Pending(), "");
  Click("BtDone");
  EXPECT_EQ(ReadFileBytes(conf()), file);

  // The keys go through the pages in the order of their tabs, then the
  // buttons below them, whatever order the pages came in.
  Reopen().show();
  pages = window->findChild<QTabWidget*>("PCMain");
  for (int page : {7, 10, 2, 9, 0, 4, 1, 8, 3, 6, 5}) pages->setCurrentIndex(page);
  int last = -1;
  bool buttons = false;
  for (QWidget* w = window->nextInFocusChain(); w != window.get(); w = w->nextInFocusChain()) {
    if (w->focusPolicy() == Qt::NoFocus) continue;
    const int page = PageOf(pages, w);
    if (page < 0) {
      buttons = buttons || last >= 0;
      continue;
    }
    EXPECT_FALSE(buttons) << w->objectName().toStdString() << " comes after the buttons";
    EXPECT_GE(page, last) << w->objectName().toStdString();
    last = page;
  }
  EXPECT_EQ(last, pages->count() - 1);
}

// A default that follows the server mode, changed while its page was not
// built, shows once the page is, and is no change of the user's.
TEST_F(PagesTest, APageBuiltAfterTheServerModeChangedShowsItsDefaultAsNoChange) {
  WriteActivePage(10);  // the page of other parameters
  Open("# Firebird version 3.0 configuration file\n#ServerMode = Super\n#DefaultDbCachePages = 2048\n");
  ASSERT_EQ(window->findChild<QLineEdit*>("edDefaultDbCachePages"), nullptr);
  QComboBox* mode = Combo("CBServerMode");
  mode->setFocus();
  QTest::keyClicks(mode, "Cl");
  EXPECT_EQ(Pending(), "ServerMode=Classic|");
  EXPECT_EQ(Edit("edDefaultDbCachePages")->text(), "256");
  EXPECT_EQ(Pending(), "ServerMode=Classic|");
}

}  // namespace
