#include "ui/main/OptionsTree.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// The options tree shows every caption whole at the width it has: one too
// long for the room its level leaves wraps onto a second line, and the tree
// never scrolls sideways. The style keeps a blank margin of a few pixels on
// each side of a caption; here a caption starts one pixel into its cell and
// may run to two pixels before the tree's edge (the ink of a last letter may
// reach past its advance), so that the longest page name still takes one
// line. The rows are laid out again when
// the tree's width changes (its vertical scroll bar comes or goes as nodes
// open and close).
class WholeCaptions : public QStyledItemDelegate {
 public:
  explicit WholeCaptions(QTreeView* tree) : QStyledItemDelegate(tree), tree_(tree) {
    tree->viewport()->installEventFilter(this);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem wrapped(option);
    wrapped.features |= QStyleOptionViewItem::WrapText;
    // The style wraps only within a valid rectangle, whose height it ignores.
    wrapped.rect = Room(QRect(0, 0, tree_->viewport()->width() - Indent(index), QWIDGETSIZE_MAX), option);
    return QStyledItemDelegate::sizeHint(wrapped, index);
  }
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem whole(option);
    whole.rect = Room(option.rect, option);
    QStyledItemDelegate::paint(painter, whole, index);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize &&
        static_cast<QResizeEvent*>(event)->size().width() != static_cast<QResizeEvent*>(event)->oldSize().width())
      emit sizeHintChanged(QModelIndex());
    return false;
  }

 private:
  // Where an item's cell starts: one indentation per level, and one for the
  // expand buttons of the top level.
  int Indent(const QModelIndex& index) const {
    int levels = tree_->rootIsDecorated() ? 1 : 0;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) ++levels;
    return levels * tree_->indentation();
  }
  // A cell widened so that the style's margins leave the caption the room
  // described above.
  static QRect Room(const QRect& cell, const QStyleOptionViewItem& option) {
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, option.widget) + 1;
    return cell.adjusted(1 - margin, 0, margin - 2, 0);
  }

  QTreeView* tree_;
};

}  // namespace

OptionsTree::OptionsTree(QWidget* parent) : QTreeWidget(parent) {
  // One column, no header: hidden first, so that nothing below measures it.
  header()->setVisible(false);
  header()->setSectionResizeMode(0, QHeaderView::Stretch);
  // Long node texts wrap instead of being cut short or scrolled to.
  setWordWrap(true);
  setUniformRowHeights(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Scrolled by pixels, the range follows the rows' real heights: by items,
  // it takes the wrapped captions for one line, and the last nodes reached
  // by keyboard stay below the view.
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  // Rows laid out anew (a caption wrapped once the scroll bar narrowed the
  // tree) may push the current node out of view: it is brought back.
  connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] {
    if (currentIndex().isValid()) scrollTo(currentIndex());
  });
  setItemDelegate(new WholeCaptions(this));
}
