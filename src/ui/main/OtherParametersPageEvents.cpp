// The page of other parameters as the user moves through it: the column
// titles kept over their columns, the keys that go from row to row, the
// wheel over a list, clicks on a row's name or value, and the rows' height.

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "ui/main/OtherParametersPage.h"

void OtherParametersPage::PlaceHeader() {
  if (rows_.empty() || !header_) return;
  // Each title at the left of its column, as the rows lay them out now.
  const QWidget* content = scroll_->widget();
  const int offset = content->mapTo(page_, QPoint()).x() - header_->mapTo(page_, QPoint()).x();
  for (int column = 0; column < static_cast<int>(headings_.size()); ++column) {
    QLabel* heading = headings_[static_cast<std::size_t>(column)];
    const QRect cell = grid_->cellRect(1, column);
    const int width = column + 1 < static_cast<int>(headings_.size())
                          ? grid_->cellRect(1, column + 1).left() - cell.left()
                          : header_->width() - (cell.left() + offset);
    heading->setGeometry(cell.left() + offset, 0, std::max(width, heading->sizeHint().width()),
                         header_->height());
  }
}

bool OtherParametersPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && !qobject_cast<QComboBox*>(watched)) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const int row = RowOf(qobject_cast<QWidget*>(watched));
    const int step = key->key() == Qt::Key_Down ? 1 : key->key() == Qt::Key_Up ? -1 : 0;
    if (row >= 0 && step != 0 && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      // The scroll area would take the key and scroll the row away.
      const int next = row + step;
      if (next >= 0 && next < static_cast<int>(rows_.size())) {
        QWidget* editor = rows_[static_cast<std::size_t>(next)].editor;
        editor->setFocus(Qt::TabFocusReason);
        scroll_->ensureWidgetVisible(editor);
        // Once more when the page has settled: the comment below follows
        // the row and may take another height.
        QTimer::singleShot(0, editor, [this, editor] { scroll_->ensureWidgetVisible(editor); });
      }
      return true;
    }
  }
  if (scroll_ && watched == scroll_->widget() && (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
                                                  event->type() == QEvent::LayoutRequest)) {
    // As tall as the wrapped values need at the width the rows really
    // have: the scroll area sizes them for the width before its scroll bar
    // came, and the last row would end below the range.
    auto* content = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Resize && content->layout()->hasHeightForWidth())
      content->setMinimumHeight(content->layout()->totalHeightForWidth(scroll_->viewport()->width()));
    PlaceHeader();
  }
  if (event->type() == QEvent::Wheel && qobject_cast<QComboBox*>(watched)) {
    // Even a list that has the focus: the wheel scrolls the rows instead.
    QCoreApplication::sendEvent(scroll_->verticalScrollBar(), event);
    return true;
  }
  if (event->type() == QEvent::MouseButtonPress) {
    for (const Row& row : rows_)
      if (watched == row.name || watched == row.value) row.editor->setFocus(Qt::MouseFocusReason);
  }
  return QObject::eventFilter(watched, event);
}
