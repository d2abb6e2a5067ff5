// The window's frame: font, fixed client area, centring, tab rows, and the
// fine points of showing texts (tree captions, folder lists, wrapped lines).
// Everything else of the layout is declared in MainFrm.ui.

#include <QApplication>
#include <QEvent>
#include <QResizeEvent>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyledItemDelegate>

#include "ui/main/MainFrm.h"
#include "ui/main/TabRows.h"
#include "ui_MainFrm.h"

namespace {

constexpr int kClientWidth = 694;
constexpr int kClientHeight = 611;

// Keeps a page's content as tall as its wrapped texts need at the width the
// page really has. The scroll area alone sizes it for the width it had before
// its vertical scroll bar appeared, which squeezes the groups a little.
class FitContentHeight : public QObject {
 public:
  FitContentHeight(QScrollArea* area) : QObject(area), area_(area) {
    area->viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    // Only a new width changes how the texts wrap.
    if (event->type() == QEvent::Resize &&
        static_cast<QResizeEvent*>(event)->size().width() !=
            static_cast<QResizeEvent*>(event)->oldSize().width()) {
      QWidget* content = area_->widget();
      if (content && content->layout() && content->layout()->hasHeightForWidth())
        content->setMinimumHeight(
            content->layout()->totalHeightForWidth(area_->viewport()->width()));
    }
    return false;
  }

 private:
  QScrollArea* area_;
};

// The options tree's items end right after their caption. The blank margin
// the style keeps behind the text would otherwise bring a horizontal scroll
// bar when the longest caption just fits the tree. Painting still gets the
// full width, so that the caption is not shortened for the lack of it.
class CaptionsEndTheirItems : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QStyledItemDelegate::sizeHint(option, index) - QSize(TrailingBlank(option), 0);
  }
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem whole(option);
    whole.rect.setRight(whole.rect.right() + TrailingBlank(option));
    QStyledItemDelegate::paint(painter, whole, index);
  }

 private:
  // The style's text margin, and the pixel its rounding adds.
  static int TrailingBlank(const QStyleOptionViewItem& option) {
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, option.widget) + 2;
  }
};

}  // namespace

void TMainFrm::SetUpLayout() {
  for (QScrollArea* page : ui->PCMain->findChildren<QScrollArea*>()) new FitContentHeight(page);

  // The folder lists keep their entries off the frame, as the edit boxes do
  // with their text; the frame itself stays the style's.
  for (QListWidget* list : findChildren<QListWidget*>())
    list->setStyleSheet(QStringLiteral("QListWidget { padding: 2px; }"));

  // Ten captions need about twice the width of the pages: they go on rows.
  ui->PCMainRows->SetPages(ui->PCMain);

  // Long node texts get a horizontal scroll bar instead of being cut short.
  ui->TVWOptions->setItemDelegate(new CaptionsEndTheirItems(ui->TVWOptions));
  ui->TVWOptions->header()->setStretchLastSection(false);
  ui->TVWOptions->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

  // Show the prompt from its start, not from where setText left the caret.
  ui->edSearchInc->home(false);

  // Fixed border, minimise but no maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  centralWidget()->setFixedSize(kClientWidth, kClientHeight);
  // The menu bar's height depends on the font just set.
  setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());

  if (QScreen* screen = this->screen()) {
    const QRect available = screen->availableGeometry();
    move(available.center() - rect().center());
  }
}

void TMainFrm::KeepPathsWhole() {
  // Line breaking may split a text after any "/", which tears a path or a
  // name such as "misc/upgrade/security_database.sql" or "FB v1/IB" apart
  // although a blank is at hand. A word joiner after each "/" inside a word
  // leaves the blanks to break at; a word longer than the line still breaks.
  const QChar wordJoiner(0x2060);
  for (QLabel* label : findChildren<QLabel*>()) {
    if (!label->wordWrap()) continue;
    QString text = label->text();
    for (qsizetype at = text.indexOf(QLatin1Char('/')); at >= 0 && at + 1 < text.size();
         at = text.indexOf(QLatin1Char('/'), at + 1))
      if (!text[at + 1].isSpace() && text[at + 1] != wordJoiner) text.insert(at + 1, wordJoiner);
    if (text != label->text()) label->setText(text);
  }
}
