#include "app/PellistoApplication.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QWheelEvent>

#include "app/ErrorBox.h"

namespace {

// The drop-down list or spin box that a widget is or belongs to (the edit
// field of an editable one), within its window; null for anything else.
QWidget* ValueControlOf(QObject* receiver) {
  for (auto* w = qobject_cast<QWidget*>(receiver); w; w = w->parentWidget()) {
    if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w)) return w;
    if (w->isWindow()) break;
  }
  return nullptr;
}

bool HasKeyboardFocus(const QWidget* control) {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == control || control->isAncestorOf(focus));
}

// Turns the wheel over the scroll area around the control instead, as over
// any other spot of the page. Nothing scrolls where there is no such area.
void ScrollAround(const QWidget* control, const QWheelEvent& wheel) {
  for (QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
      QWidget* viewport = area->viewport();
      QWheelEvent turned(viewport->mapFromGlobal(wheel.globalPosition()), wheel.globalPosition(),
                         wheel.pixelDelta(), wheel.angleDelta(), wheel.buttons(),
                         wheel.modifiers(), wheel.phase(), wheel.inverted(), wheel.source());
      QCoreApplication::sendEvent(viewport, &turned);
      return;
    }
    if (w->isWindow()) return;
  }
}

}  // namespace

PellistoApplication::PellistoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool PellistoApplication::notify(QObject* receiver, QEvent* event) {
  try {
    if (event->type() == QEvent::Wheel) {
      // Caught before the control sees it: a control that takes the focus
      // on the wheel would otherwise take it and then change its value.
      if (const QWidget* control = ValueControlOf(receiver);
          control && !HasKeyboardFocus(control)) {
        ScrollAround(control, *static_cast<QWheelEvent*>(event));
        return true;
      }
    }
    return QApplication::notify(receiver, event);
  } catch (...) {
    HandleException(std::current_exception());
    return false;
  }
}
