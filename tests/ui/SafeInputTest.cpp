// No value changes unless the user changes it: the keys that turn the pages
// and the mouse wheel pass over the controls without touching their values.

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <set>

#include "ui/MainFrmFixture.h"

namespace {

using SafeInputTest = MainFrmTest;

const char* const kConf =
    "Authentication = native\nGuardianOption = 0\nLockGrantOrder = 0\nGCPolicy = background\n"
    "TempBlockSize = 2048\nOldParameterOrdering = 0\nCreateInternalWindow = 1\n";

// What the user could have changed: every value of the document and every
// drop-down's choice.
std::vector<std::string> State(const TMainFrm& window) {
  std::vector<std::string> state;
  for (const auto& p : kParameters) state.push_back(window.Document()->Value(p.key));
  for (const QComboBox* box : window.findChildren<QComboBox*>())
    state.push_back(box->objectName().toStdString() + "=" + std::to_string(box->currentIndex()));
  return state;
}

TEST_F(SafeInputTest, CtrlPageKeysTurnThePagesFromWhateverHasTheFocus) {
  Open(kConf);
  window->show();
  auto* pages = W<QTabWidget>("PCMain");
  const auto before = State(*window);
  Edit("edTempBlockSize")->setFocus();
  // Turning a page hands the focus to a control of the new one: an edit, a
  // drop-down, a check box, ... The next key goes to that control.
  std::set<std::string> kinds;
  for (const auto& [key, step] : {std::pair{Qt::Key_PageDown, 1}, std::pair{Qt::Key_PageUp, -1}}) {
    for (int turn = 1; turn <= pages->count(); ++turn) {
      QWidget* focused = window->focusWidget();
      ASSERT_NE(focused, nullptr);
      kinds.insert(focused->metaObject()->className());
      const int expected = (pages->currentIndex() + step + pages->count()) % pages->count();
      QTest::keyClick(focused, key, Qt::ControlModifier);
      ASSERT_EQ(pages->currentIndex(), expected) << "from " << focused->objectName().toStdString();
    }
  }
  EXPECT_TRUE(kinds.count("QLineEdit") && kinds.count("TElidingComboBox") && kinds.count("QCheckBox"));
  EXPECT_FALSE(ApplyEnabled());
  // The pages came as they were turned to: the drop-downs they brought show
  // what they show in a window no key reached.
  const auto after = State(*window);
  Reopen().BuildAllPages();
  EXPECT_EQ(after, State(*window));
  EXPECT_EQ(std::vector(after.begin(), after.begin() + static_cast<long>(std::size(kParameters))),
            std::vector(before.begin(), before.begin() + static_cast<long>(std::size(kParameters))));
}

TEST_F(SafeInputTest, WheelOverAnUnfocusedDropDownScrollsThePage) {
  Open(kConf);
  // A larger font makes the page taller than the window, as a wide face does.
  QFont large = window->font();
  large.setPointSize(12);
  window->setFont(large);
  window->show();
  auto* pages = W<QTabWidget>("PCMain");
  pages->setCurrentWidget(W<QWidget>("TSSettingsForWindows"));
  QApplication::processEvents();
  QScrollBar* scroll = pages->currentWidget()->findChild<QScrollArea*>()->verticalScrollBar();
  ASSERT_GT(scroll->maximum(), 0) << "the page does not scroll";
  const auto before = State(*window);

  QComboBox* guardian = Combo("CBGuardianOption");
  Edit("edIpcName")->setFocus();
  const QPointF at = QRectF(guardian->rect()).center();
  QWheelEvent notch(at, guardian->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(guardian, &notch);
  EXPECT_GT(scroll->value(), 0);
  EXPECT_EQ(State(*window), before);
  EXPECT_FALSE(ApplyEnabled());
}

}  // namespace
