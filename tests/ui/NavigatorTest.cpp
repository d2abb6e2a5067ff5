// Finding a parameter: typing in the search box, "Focus" and Enter, and the
// options tree, each checked on the page shown, the focus, the bold control
// and the search box's colours.

#include <QScrollArea>
#include <QTreeWidget>
#include <set>

#include "ui/MainFrmFixture.h"
#include "ui/main/OptionsNavigator.h"

namespace {

const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

class NavigatorTest : public MainFrmTest {
 protected:
  void SetUp() override {
    Open("TempBlockSize = 5\n");
    window->show();
    QApplication::processEvents();
    normalBase = Search()->palette().color(QPalette::Base);
  }

  QLineEdit* Search() const { return Edit("edSearchInc"); }
  QTabWidget* Pages() const { return W<QTabWidget>("PCMain"); }
  QWidget* Found() const { return window->Navigator()->HighlightedControl(); }
  QString FoundName() const { return Found() ? Found()->objectName() : QString(); }
  bool Yellow() const {
    return Search()->palette().color(QPalette::Base) == kYellow &&
           Search()->palette().color(QPalette::Text) == kRed;
  }

  // Replaces the search box's text key by key, as a user types it.
  void TypeSearch(const QString& text) {
    Search()->setFocus();
    Search()->selectAll();
    QTest::keyClick(Search(), Qt::Key_Delete);
    QTest::keyClicks(Search(), text);
  }

  // The control, or the control inside the group, holding the focus.
  bool HasFocus(QWidget* control) const {
    QWidget* focus = window->focusWidget();
    return focus == control || control->isAncestorOf(focus);
  }

  bool ScrolledIntoView(QWidget* control) const {
    for (QWidget* w = control->parentWidget(); w; w = w->parentWidget())
      if (auto* area = qobject_cast<QScrollArea*>(w)) {
        QApplication::processEvents();
        const QRect shown(control->mapTo(area->viewport(), QPoint()), control->size());
        // Whole from top to bottom; a group wider than the page may be cut
        // at the sides.
        const QRect view = area->viewport()->rect();
        return shown.top() >= view.top() && shown.bottom() <= view.bottom() &&
               shown.intersects(view);
      }
    return true;  // not on a page
  }

  QColor normalBase;
};

TEST_F(NavigatorTest, EveryCandidateIsOneSearchableControl) {
  const std::vector<QWidget*> candidates = window->Navigator()->Candidates();
  EXPECT_EQ(candidates.size(), 78u);
  std::set<QWidget*> unique;
  for (QWidget* w : candidates) {
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(unique.insert(w).second) << w->objectName().toStdString();
    EXPECT_TRUE(qobject_cast<QLineEdit*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QGroupBox*>(w) ||
                qobject_cast<QComboBox*>(w))
        << w->objectName().toStdString();
  }
}

TEST_F(NavigatorTest, TypingFindsTheLastMatchWithoutMovingTheFocus) {
  // The prompt shown at start is not searched.
  EXPECT_EQ(Found(), nullptr);
  EXPECT_FALSE(Yellow());

  struct Case {
    const char* typed;
    const char* control;
    int page;  // -1: the last keystroke leaves the page as it was
  };
  const Case cases[] = {
      {"db cache", "edDefaultDbCachePages", 0},  // spaces removed, case ignored
      {"lock", "edDeadlockTimeout", 9},          // the last name holding LOCK
      {"temp", "GBTempDirectories", 2},          // later than the Temp boxes of "General"
      {"e", "edSearchInc", -1},                  // the search box itself
      {"root", "edRootDirectory", -1},
      {"access", "GBUDFAccess", 1},
      {"LoCkGrAnT", "CBLockGrantOrder", 8},
      {"Database Access", "GBDatabaseAccess", 1},
  };
  QWidget* previous = nullptr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const QString typed = QString::fromLatin1(c.typed);
    TypeSearch(typed.chopped(1));
    const int pageBefore = Pages()->currentIndex();
    QTest::keyClicks(Search(), typed.right(1));
    ASSERT_EQ(FoundName(), c.control);
    EXPECT_EQ(Pages()->currentIndex(), c.page < 0 ? pageBefore : c.page);
    EXPECT_TRUE(Found()->font().bold());
    if (previous && previous != Found()) {
      EXPECT_FALSE(previous->font().bold());
    }
    EXPECT_EQ(window->focusWidget(), Search());
    EXPECT_FALSE(Yellow());
    previous = Found();
  }
  // A group's controls turn bold with it, its folder list too.
  for (QWidget* inside : W<QGroupBox>("GBDatabaseAccess")->findChildren<QWidget*>(
           Qt::FindDirectChildrenOnly))
    EXPECT_TRUE(inside->font().bold()) << inside->objectName().toStdString();
  EXPECT_TRUE(List("LBRestrict")->font().bold());
  EXPECT_FALSE(Radio("RBFullUDFAccess")->font().bold());
  EXPECT_FALSE(List("LBRestrictUDFAccess")->font().bold());
}

TEST_F(NavigatorTest, NoMatchOnlyColoursTheSearchBox) {
  TypeSearch("gc policy");
  ASSERT_EQ(FoundName(), "CBGCPolicy");
  const int page = Pages()->currentIndex();

  for (const char* typed : {"##", "", "  ", "#db"}) {
    SCOPED_TRACE(typed);
    TypeSearch(typed);
    EXPECT_TRUE(Yellow());
    EXPECT_EQ(Pages()->currentIndex(), page);
    EXPECT_EQ(FoundName(), "CBGCPolicy");
    EXPECT_TRUE(Combo("CBGCPolicy")->font().bold());
    EXPECT_EQ(window->focusWidget(), Search());
  }
  TypeSearch("gc");
  EXPECT_FALSE(Yellow());
  EXPECT_EQ(Search()->palette().color(QPalette::Base), normalBase);
}

TEST_F(NavigatorTest, FocusButtonAndEnterMoveTheFocusToTheMatch) {
  TypeSearch("tcp remote buffer");
  EXPECT_EQ(window->focusWidget(), Search());
  Click("btFocused");
  EXPECT_EQ(window->focusWidget(), Edit("edTcpRemoteBufferSize"));

  TypeSearch("lock hash");
  QTest::keyClick(Search(), Qt::Key_Return);
  EXPECT_EQ(window->focusWidget(), Edit("edLockHashSlots"));
  EXPECT_EQ(Pages()->currentIndex(), 4);

  // A control that cannot take the focus is still shown and marked; the
  // focus stays where it was and nothing is reported.
  Edit("edLockSignal")->setEnabled(false);
  TypeSearch("lock signal");
  QTest::keyClick(Search(), Qt::Key_Enter);
  EXPECT_EQ(FoundName(), "edLockSignal");
  EXPECT_EQ(Pages()->currentIndex(), 7);
  EXPECT_EQ(window->focusWidget(), Search());
  EXPECT_TRUE(platform.messages.empty());

  // Finding the same control again keeps it bold.
  QTest::keyClick(Search(), Qt::Key_Return);
  EXPECT_TRUE(Edit("edLockSignal")->font().bold());
}

TEST_F(NavigatorTest, EveryTreeChildFindsItsControlOnItsPage) {
  // In tree order.
  const char* const expected[] = {
      "edDefaultDbCachePages", "edDatabaseGrowthIncrement", "edMaxFileSystemCache",
      "edTempBlockSize", "edTempCacheLimit", "CBCompleteBooleanEvaluation",
      "GBDatabaseAccess", "GBExternalFileAccess", "GBUDFAccess",
      "CBAuthentication", "CBLegacyHASH", "edRemoteBindAddress", "GBTempDirectories",
      "edConnectionTimeout", "edRemoteServiceName", "edRemoteServicePort", "edRemoteAuxPort",
      "edTcpRemoteBufferSize", "CBTcpNoNagle",
      "edLockMemSize", "edLockSemCount", "edLockAcquireSpins", "edLockHashSlots",
      "edEventMemSize",
      "CBGCPolicy", "edCpuAffinityMask", "CBUsePriorityScheduler", "edPrioritySwitchDelay",
      "edPriorityBoost",
      "CBGuardianOption", "edProcessPriorityLevel", "edIpcName", "edRemotePipeName",
      "CBCreateInternalWindow",
      "edLockSignal", "CBRemoteFileOpenAbility", "CBRedirection",
      "CBOldParameterOrdering", "CBOldColumnNaming", "CBLockGrantOrder",
      "edDeadlockTimeout", "edMaxUnflushedWrites", "edMaxUnflushedWriteTime", "CBBugcheckAbort",
  };
  auto* tree = W<QTreeWidget>("TVWOptions");
  tree->expandAll();
  std::size_t next = 0;
  for (int page = 0; page < tree->topLevelItemCount(); ++page) {
    QTreeWidgetItem* node = tree->topLevelItem(page);
    for (int c = 0; c < node->childCount(); ++c, ++next) {
      ASSERT_LT(next, std::size(expected));
      SCOPED_TRACE(expected[next]);
      QTreeWidgetItem* child = node->child(c);
      // Every other child by mouse, the others by selecting and Enter.
      if (next % 2 == 0) {
        tree->scrollToItem(child);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(child).center());
      } else {
        tree->setFocus();
        tree->setCurrentItem(child);
        QTest::keyClick(tree, Qt::Key_Return);
      }
      ASSERT_EQ(FoundName(), expected[next]);
      EXPECT_EQ(Pages()->currentIndex(), page);
      EXPECT_TRUE(HasFocus(Found()));
      EXPECT_TRUE(Found()->font().bold());
    }
  }
  EXPECT_EQ(next, std::size(expected));
}

TEST_F(NavigatorTest, FoundControlIsScrolledIntoView) {
  // A larger font (or a longer translation) makes the pages scroll.
  QFont large = window->font();
  large.setPointSize(12);
  window->setFont(large);
  QApplication::processEvents();
  for (const char* typed :
       {"redirection", "lock signal", "bugcheck", "create internal", "event mem", "udf access"}) {
    SCOPED_TRACE(typed);
    TypeSearch(typed);
    ASSERT_NE(Found(), nullptr);
    EXPECT_TRUE(ScrolledIntoView(Found()));
  }
}

TEST_F(NavigatorTest, TopLevelNodeOnlyShowsItsPage) {
  auto* tree = W<QTreeWidget>("TVWOptions");
  TypeSearch("deadlock");
  TypeSearch("##");  // yellow, edDeadlockTimeout still bold
  tree->setFocus();

  tree->setCurrentItem(tree->topLevelItem(1));
  EXPECT_EQ(Pages()->currentIndex(), 9);  // selecting alone does nothing
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                    tree->visualItemRect(tree->topLevelItem(1)).center());
  EXPECT_EQ(Pages()->currentIndex(), 1);
  EXPECT_EQ(FoundName(), "edDeadlockTimeout");
  EXPECT_TRUE(Edit("edDeadlockTimeout")->font().bold());
  EXPECT_EQ(window->focusWidget(), tree);
  EXPECT_TRUE(Yellow());

  // Its child "UDF Access": the group is found, the previous one unmarked.
  tree->expandItem(tree->topLevelItem(1));
  tree->setCurrentItem(tree->topLevelItem(1)->child(2));
  QTest::keyClick(tree, Qt::Key_Enter);
  EXPECT_EQ(FoundName(), "GBUDFAccess");
  EXPECT_FALSE(Edit("edDeadlockTimeout")->font().bold());
  EXPECT_TRUE(HasFocus(W<QGroupBox>("GBUDFAccess")));
  EXPECT_FALSE(Yellow());
}

}  // namespace
