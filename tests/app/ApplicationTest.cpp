// The application object: the wheel over a drop-down list or spin box that
// the user has not focused scrolls the page, for every window of the program.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/WindowFont.h"

namespace {

// One notch of the wheel, turned towards the user, over the widget's middle.
void WheelDown(QWidget* widget) {
  const QPointF at = QRectF(widget->rect()).center();
  QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &wheel);
}

TEST(Application, WheelOverAnUnfocusedValueControlScrollsThePageInstead) {
  QScrollArea area;
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* edit = new QLineEdit;
  auto* list = new QComboBox;
  list->addItems({"one", "two", "three"});
  auto* spin = new QSpinBox;
  spin->setRange(-10, 10);
  auto* editable = new QComboBox;  // the wheel lands on its edit field
  editable->setEditable(true);
  editable->addItems({"one", "two"});
  for (QWidget* w : {static_cast<QWidget*>(edit), static_cast<QWidget*>(list),
                     static_cast<QWidget*>(spin), static_cast<QWidget*>(editable)})
    layout->addWidget(w);
  layout->addSpacing(2000);
  area.setWidget(page);
  area.resize(200, 200);
  area.show();
  area.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&area));

  const auto value = [](QWidget* control) {
    if (auto* box = qobject_cast<QComboBox*>(control)) return box->currentIndex();
    return static_cast<QSpinBox*>(control)->value();
  };
  QScrollBar* scroll = area.verticalScrollBar();
  const std::pair<QWidget*, QWidget*> cases[] = {
      {list, list}, {spin, spin}, {editable, editable->lineEdit()}};
  for (const auto& [control, under] : cases) {
    SCOPED_TRACE(control->metaObject()->className());
    edit->setFocus();
    scroll->setValue(0);
    const int before = value(control);
    WheelDown(under);
    EXPECT_EQ(value(control), before);
    EXPECT_GT(scroll->value(), 0) << "the page did not scroll";
    EXPECT_EQ(QApplication::focusWidget(), edit) << "the wheel took the focus";

    // Once the user has focused it, the wheel is the control's own.
    control->setFocus();
    const int position = scroll->value();
    WheelDown(control);
    EXPECT_NE(value(control), before);
    EXPECT_EQ(scroll->value(), position);
  }
}

// The window's font stands in for the application's only while controls are
// built: afterwards the application, the kinds of widget the desktop gives
// a font of their own, and a window built meanwhile (a menu) have the
// desktop's fonts again, while the controls keep the window's.
TEST(Application, WindowFontStandsInForTheDesktopsOnlyWhileControlsAreBuilt) {
  const QFont desktop = QApplication::font();
  QFont menus = desktop;
  menus.setPointSize(desktop.pointSize() + 5);
  QApplication::setFont(menus, "QMenu");
  QWidget window;
  window.setFont(QFont(QStringLiteral("Courier"), 23));
  auto* page = new QWidget(&window);
  QLineEdit* edit = nullptr;
  QMenu* menu = nullptr;
  {
    // As a control's font may read: the window's, none of it marked as set.
    QFont pageFont = page->font();
    pageFont.setResolveMask(0);
    const WindowFontAsDefault building(pageFont);
    EXPECT_EQ(QFont().toString(), window.font().toString());
    edit = new QLineEdit(page);
    menu = new QMenu(&window);
  }
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(QApplication::font(), desktop);
  EXPECT_EQ(QApplication::font("QMenu"), menus);
  EXPECT_EQ(menu->font(), menus);
  EXPECT_EQ(edit->font(), window.font());
  EXPECT_EQ(page->font(), window.font());
  QApplication::setFont(desktop);  // drops the menus' font again
}

}  // namespace
