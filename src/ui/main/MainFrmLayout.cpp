// The window's frame: font, fixed client area, centring, tab rows. Everything
// else of the layout is declared in MainFrm.ui.

#include <QFont>
#include <QHeaderView>
#include <QMenuBar>
#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>

#include "app/WindowFont.h"
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
    if (event->type() == QEvent::Resize) {
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

}  // namespace

void TMainFrm::SetUpLayout() {
  // Set on the window so that every control inherits it, and so that the
  // bold of a found control is added to this font and removed again.
  setFont(WindowFont());

  for (QScrollArea* page : ui->PCMain->findChildren<QScrollArea*>()) new FitContentHeight(page);

  // Ten captions need about twice the width of the pages: they go on rows.
  ui->PCMainRows->SetPages(ui->PCMain);

  // Long node texts get a horizontal scroll bar instead of being cut short.
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
