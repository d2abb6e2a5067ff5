// The window's frame: font, fixed client area, centring, tab rows, and the
// fine points of showing texts (page heights, folder lists, wrapped lines).
// Everything else of the layout is declared in MainFrm.ui.

#include <QEvent>
#include <QResizeEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <algorithm>

#include "app/DesignedColours.h"
#include "ui/main/MainFrm.h"
#include "ui/main/TabRows.h"
#include "ui/main/MainFrmUi.h"
#include "ui/widgets/PageScrollArea.h"

namespace {

constexpr int kClientWidth = 694;
constexpr int kClientHeight = 611;
// The rows the ten pages' tabs take at the designed width, in every shipped
// language.
constexpr int kDesignedTabRows = 2;

// Keeps a page's content as tall as its wrapped texts need at the width the
// page really has. The scroll area alone sizes it for the width it had before
// its vertical scroll bar appeared, which squeezes the groups a little.
class FitContentHeight : public QObject {
 public:
  FitContentHeight(QScrollArea* area) : QObject(area), area_(area) {
    area->viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    // Only a new width changes how the texts wrap. Showing the window passes
    // the page through several widths on the way to its own (the one it had
    // while hidden, then with and without a scroll bar): the texts are
    // measured once, at the width it has when that is over.
    if (event->type() == QEvent::Resize && !pending_ &&
        static_cast<QResizeEvent*>(event)->size().width() != static_cast<QResizeEvent*>(event)->oldSize().width()) {
      pending_ = true;
      QMetaObject::invokeMethod(
          this,
          [this] {
            pending_ = false;
            TMainFrm::FitPageHeight(area_);
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  QScrollArea* area_;
  bool pending_ = false;
};

}  // namespace

void TMainFrm::SetUpLayout() {
  // The read-only folder box and the warnings (the file's state beside the
  // folder among them) in the designed colours, or in ones that read as well
  // on a dark desktop.
  SetFieldColour(ui->edRootDirectory, ReadOnlyFieldColour(palette()));
  // (The pages' warnings get theirs as their pages are built.)
  SetTextColour(ui->lblFileState, WarningColour(palette()));

  // Ten captions need about twice the width of the pages: they go on rows.
  // When a file brings the page of other parameters, the tabs may need a
  // third row; the window then grows by it, so that no page has to scroll.
  connect(ui->PCMainRows, &TabRows::RowCountChanged, this, [this] { FitClientArea(); });
  ui->PCMainRows->SetPages(ui->PCMain);

  // Show the prompt from its start, not from where setText left the caret.
  ui->edSearchInc->home(false);

  WrapClientArea();

  // Fixed border, minimise but no maximise, where the designed size fits.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  FitClientArea();
  PlaceOnScreen();
}

QScrollArea* TMainFrm::MakePageArea(QWidget* tab, const QString& name) {
  // Not made with the frame: ten scroll areas would be laid out and
  // polished at start for pages not yet shown.
  auto* area = new TPageScrollArea(tab);
  area->setObjectName(QStringLiteral("Scroll") + name);
  area->setFocusPolicy(Qt::NoFocus);
  area->setFrameShape(QFrame::NoFrame);
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area->setWidgetResizable(true);
  auto* content = new QWidget();
  content->setObjectName(QStringLiteral("PageContent") + name);
  area->setWidget(content);
  tab->layout()->addWidget(area);
  new FitContentHeight(area);
  return area;
}

void TMainFrm::FitPageHeight(QScrollArea* area) {
  QWidget* content = area->widget();
  if (content && content->layout() && content->layout()->hasHeightForWidth())
    content->setMinimumHeight(content->layout()->totalHeightForWidth(area->viewport()->width()));
}

void TMainFrm::WrapClientArea() {
  // The designed client area keeps its size; where the screen has less
  // room (a high scale factor, a small screen), the window shows what fits
  // and scrolls to the rest, so that every control stays within reach.
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("ScrollClientArea"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  // Moved straight from the window into the scroll area, the client area
  // keeps the window's font and palette throughout: taken out first
  // (takeCentralWidget), it would stand alone for a moment, and every control
  // in it would be told of the application's font and then of the window's
  // again, and measure its text twice over.
  QWidget* client = centralWidget();
  scroll->setWidget(client);
  setCentralWidget(scroll);
}

namespace {

// Room a window manager's frame takes around a window before the window is
// shown and its frame known: a border and a title bar.
constexpr QSize kFrameAllowance(16, 40);

QSize FrameOf(const QWidget* window) {
  // Shown but not yet framed by the window manager, the frame reads as
  // nothing: the allowance stands in until it is known.
  const QSize frame = window->frameGeometry().size() - window->size();
  return window->isVisible() && !frame.isEmpty() ? frame : kFrameAllowance;
}

}  // namespace

void TMainFrm::FitClientArea() {
  const int height = kClientHeight + ui->PCMainRows->HeightBeyond(kDesignedTabRows);
  ui->ClientArea->setFixedSize(kClientWidth, height);
  // The menu bar's height depends on the window's font, and the window's
  // layout gives it its height for the width it has, which may be a pixel
  // more than its size hint (so under Windows' style).
  const int menuHeight = std::max(menuBar()->sizeHint().height(), menuBar()->heightForWidth(kClientWidth));
  const QSize designed(kClientWidth, height + menuHeight);
  const QScreen* screen = this->screen();
  const QSize room = screen ? screen->availableGeometry().size() - FrameOf(this) : designed;
  if (designed.width() <= room.width() && designed.height() <= room.height()) {
    setFixedSize(designed);
    return;
  }
  // Resizable from a small size up to the designed one; it opens as large
  // as the screen lets it.
  setMinimumSize(designed.boundedTo(QSize(320, 240)));
  setMaximumSize(designed);
  resize(designed.boundedTo(room));
}

void TMainFrm::PlaceOnScreen() {
  const QScreen* screen = this->screen();
  if (!screen) return;
  // Centred, and never above or left of the available area: the title bar,
  // the menu and the folder row stay on the screen.
  const QRect available = screen->availableGeometry();
  QRect frame(QPoint(), size() + FrameOf(this));
  frame.moveCenter(available.center());
  frame.moveTopLeft(QPoint(std::max(frame.left(), available.left()), std::max(frame.top(), available.top())));
  move(frame.topLeft());
}

void TMainFrm::KeepPathsWhole(QWidget* root) {
  // Line breaking may split a text after any "/", which tears a path or a
  // name such as "misc/upgrade/security_database.sql" or "FB v1/IB" apart
  // although a blank is at hand. A word joiner after each "/" inside a word
  // leaves the blanks to break at; a word longer than the line still breaks.
  const QChar wordJoiner(0x2060);
  for (QLabel* label : root->findChildren<QLabel*>()) {
    if (!label->wordWrap()) continue;
    QString text = label->text();
    for (qsizetype at = text.indexOf(QLatin1Char('/')); at >= 0 && at + 1 < text.size();
         at = text.indexOf(QLatin1Char('/'), at + 1))
      if (!text[at + 1].isSpace() && text[at + 1] != wordJoiner) text.insert(at + 1, wordJoiner);
    if (text != label->text()) label->setText(text);
  }
}
