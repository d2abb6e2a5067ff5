#include "ui/main/TabRows.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {

// A bar filled with tabs in one go. QTabBar lays all its tabs out again
// after adding each one (to see whether the mouse is over the new tab), so
// filling a bar of n tabs measures some n² of them, each caption through
// the style. While it is being filled, its tabs measure nothing; filled, it
// lays them out anew, measured as QTabBar measures them.
class FilledBar : public QTabBar {
 public:
  using QTabBar::QTabBar;
  void BeginFilling() { filling_ = true; }
  void EndFilling() {
    if (!filling_) return;
    filling_ = false;
    // Setting a text lays the tabs out again (at once if the bar is shown)
    // and measures that one caption anew.
    if (count() > 0) setTabText(count() - 1, tabText(count() - 1));
  }

 protected:
  QSize tabSizeHint(int index) const override { return filling_ ? QSize() : QTabBar::tabSizeHint(index); }

 private:
  bool filling_ = false;
};

// Sizes each tab for its caption, as a bar with these tabs would.
class MeasureBar : public FilledBar {
 public:
  using FilledBar::FilledBar;
  std::vector<int> Widths(const QStringList& texts) {
    BeginFilling();
    while (count() > texts.size()) removeTab(count() - 1);
    while (count() < texts.size()) addTab(QString());
    for (int tab = 0; tab < count(); ++tab) setTabText(tab, texts[tab]);
    // Laid out now, while nothing is measured, each tab is measured once
    // below rather than all of them again at the first.
    tabRect(0);
    std::vector<int> widths;
    for (int tab = 0; tab < count(); ++tab) widths.push_back(QTabBar::tabSizeHint(tab).width());
    EndFilling();
    return widths;
  }
};

// Tabs keep 7 pixels beside their captions, close to the Windows control's
// 6, where Qt's styles keep 12: the ten captions then take two rows in the
// languages shipped, as they do in the design, and not three in Spanish.
constexpr int kTabTextSpace = 14;

class NarrowTabs : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_TabBarTabHSpace) return kTabTextSpace;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// One style for every tab bar of the rows, living as long as the
// application: a widget does not own the style it is given, and the bars
// outlive the rows object while their window is torn down.
//
// It is built on the style that really draws. The application's style may
// itself be a proxy (qt6ct's is), whose base style asks that proxy, not
// ours, for the space beside a caption: tabs sized for our space would then
// be drawn with the wider one, and every caption clipped at both ends.
QStyle* TabStyle() {
  static QPointer<QStyle> style;
  static QString builtOn;
  QStyle* drawing = QApplication::style();
  while (auto* proxy = qobject_cast<QProxyStyle*>(drawing)) drawing = proxy->baseStyle();
  if (!style || builtOn != drawing->name()) {
    builtOn = drawing->name();
    style = new NarrowTabs(builtOn);
    style->setParent(qApp);
  }
  return style;
}

// A row that is not the current one shows no selected tab: each ends with a
// hidden tab that stays current.
int Placeholder(const QTabBar* bar) { return bar->count() - 1; }

// Sees every key press of the application before the focused control does.
class KeyWatch : public QObject {
 public:
  using Handler = std::function<bool(QObject* receiver, const QKeyEvent& key)>;
  KeyWatch(QObject* owner, Handler handler) : QObject(owner), handler_(std::move(handler)) {
    qApp->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    return event->type() == QEvent::KeyPress &&
           handler_(watched, *static_cast<QKeyEvent*>(event));
  }

 private:
  Handler handler_;
};

}  // namespace

TabPages::TabPages(QWidget* parent) : QTabWidget(parent) {
  // Set up as the tab widget sets up its own bar.
  auto* bar = new FilledBar(this);
  bar->setObjectName(QStringLiteral("qt_tabwidget_tabbar"));
  bar->setDrawBase(false);
  bar->BeginFilling();
  setTabBar(bar);
}

void TabPages::Filled() { static_cast<FilledBar*>(tabBar())->EndFilling(); }

void TabPages::showEvent(QShowEvent* event) {
  Filled();
  QTabWidget::showEvent(event);
}

TabRows::TabRows(QWidget* parent)
    : QWidget(parent), layout_(new QVBoxLayout(this)), measure_(new MeasureBar(this)) {
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  measure_->hide();
  measure_->setStyle(TabStyle());
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TabRows::SetPages(QTabWidget* pages) {
  pages_ = pages;
  if (auto* filled = qobject_cast<TabPages*>(pages)) filled->Filled();
  pages_->setUsesScrollButtons(false);
  pages_->tabBar()->setStyle(TabStyle());
  // A shown tab bar asks its tab widget for a new layout when a text changes.
  pages_->installEventFilter(this);
  pages_->tabBar()->installEventFilter(this);
  new KeyWatch(this, [this](QObject* receiver, const QKeyEvent& key) {
    return TurnPage(receiver, key);
  });
  connect(pages_, &QTabWidget::currentChanged, this, [this] { Arrange(); });
  Sync();
}

int TabRows::RowOf(int page) const {
  for (std::size_t row = 0; row < rows_.size(); ++row)
    for (int p : rows_[row])
      if (p == page) return static_cast<int>(row);
  return -1;
}

std::vector<std::vector<int>> TabRows::Distribute(int width) {
  QStringList texts;
  for (int page = 0; page < pages_->count(); ++page) texts << pages_->tabText(page);
  if (texts != measuredTexts_ || measure_->font() != measuredFont_) {
    // Setting a text also drops the size cached for the old font.
    widths_ = static_cast<MeasureBar*>(measure_)->Widths(texts);
    measuredTexts_ = texts;
    measuredFont_ = measure_->font();
  }
  std::vector<std::vector<int>> rows(1);
  int used = 0;
  for (int page = 0; page < pages_->count(); ++page) {
    const int needed = widths_[static_cast<std::size_t>(page)];
    if (!rows.back().empty() && used + needed > width) {
      rows.emplace_back();
      used = 0;
    }
    rows.back().push_back(page);
    used += needed;
  }
  return rows;
}

void TabRows::BuildBars() {
  // The bars stay put while the pages change; only their tabs do, so the
  // window's layout does not move under the mouse.
  const std::size_t slotCount = rows_.size() - 1;
  while (bars_.size() > slotCount) {
    delete bars_.back();
    bars_.pop_back();
  }
  while (bars_.size() < slotCount) {
    auto* bar = new FilledBar(this);
    bar->setStyle(TabStyle());
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setDrawBase(false);
    bar->setExpanding(false);
    bar->setUsesScrollButtons(false);
    // Clicks and the wheel switch pages here, never the row's own selection.
    bar->installEventFilter(this);
    layout_->addWidget(bar);
    bars_.push_back(bar);
  }
  shownRows_.assign(slotCount, -1);
}

void TabRows::ShowRow(std::size_t slot, int row) {
  if (shownRows_[slot] == row) return;
  shownRows_[slot] = row;
  auto* bar = static_cast<FilledBar*>(bars_[slot]);
  const QSignalBlocker blocker(bar);
  bar->BeginFilling();
  while (bar->count() > 0) bar->removeTab(0);
  bar->setElideMode(pages_->elideMode());
  for (int page : rows_[row])
    bar->setTabEnabled(bar->addTab(texts_[page]), pages_->isTabEnabled(page));
  bar->setTabVisible(bar->addTab(QString()), false);
  bar->setCurrentIndex(Placeholder(bar));
  bar->EndFilling();
}

void TabRows::Sync() {
  // Until a layout has given the tab widget its width, any rows worked out
  // would be for a width it never has.
  if (!pages_ || arranging_ || !pages_->testAttribute(Qt::WA_Resized)) return;
  QStringList texts;
  for (int page = 0; page < pages_->count(); ++page) texts << pages_->tabText(page);
  auto rows = Distribute(pages_->width());
  if (texts == texts_ && rows == rows_) return;
  texts_ = texts;
  const bool rowCountChanged = rows.size() != rows_.size();
  rows_ = std::move(rows);
  BuildBars();
  Arrange();
  if (rowCountChanged) emit RowCountChanged(RowCount());
}

int TabRows::HeightBeyond(int rows) const {
  // The current row is the tab widget's own bar; these are the others.
  int height = 0;
  for (std::size_t slot = static_cast<std::size_t>(std::max(rows - 1, 0)); slot < bars_.size(); ++slot)
    height += bars_[slot]->sizeHint().height();
  return height;
}

void TabRows::Arrange() {
  if (!pages_ || rows_.empty() || arranging_) return;
  arranging_ = true;
  const int count = RowCount();
  const int current = std::max(RowOf(pages_->currentIndex()), 0);
  QTabBar* own = pages_->tabBar();
  // Only real changes: a call that changes nothing also clears the bar's
  // note that its tabs need laying out again.
  const auto setVisible = [own](int page, bool visible) {
    if (own->isTabVisible(page) != visible) own->setTabVisible(page, visible);
  };
  // The current row first: a bar whose current tab is hidden picks another.
  for (int page : rows_[current]) setVisible(page, true);
  for (int row = 0; row < count; ++row)
    if (row != current)
      for (int page : rows_[row]) setVisible(page, false);

  // The rows turn as those of the Windows control do: counted upwards from
  // the pages they keep their round order, starting with the current row.
  for (int slot = 0; slot < count - 1; ++slot) ShowRow(slot, (current + count - 1 - slot) % count);

  // The tab widget sizes its bar for the tabs now shown.
  QEvent request(QEvent::LayoutRequest);
  QCoreApplication::sendEvent(pages_, &request);
  arranging_ = false;
}

void TabRows::ClickTab(std::size_t slot, QPoint pos) {
  QTabBar* bar = bars_[slot];
  const int tab = bar->tabAt(pos);
  if (tab >= 0 && tab != Placeholder(bar) && bar->isTabEnabled(tab))
    pages_->setCurrentIndex(rows_[shownRows_[slot]][tab]);
}

bool TabRows::StepPage(int step) {
  // Arrow keys go on into the next row, as in the Windows control.
  for (int page = pages_->currentIndex() + step; page >= 0 && page < pages_->count();
       page += step) {
    if (pages_->isTabEnabled(page)) {
      pages_->setCurrentIndex(page);
      break;
    }
  }
  return true;
}

bool TabRows::TurnPage(QObject* receiver, const QKeyEvent& key) {
  if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier ||
      (key.key() != Qt::Key_PageDown && key.key() != Qt::Key_PageUp))
    return false;
  // Keys meant for an open list or a dialog stay theirs.
  const auto* widget = qobject_cast<QWidget*>(receiver);
  if (!widget || widget->window() != pages_->window() || QApplication::activePopupWidget() ||
      QApplication::activeModalWidget())
    return false;
  const int step = key.key() == Qt::Key_PageDown ? 1 : -1;
  const int count = pages_->count();
  for (int page = pages_->currentIndex(), pass = 1; pass < count; ++pass) {
    page = (page + step + count) % count;
    if (pages_->isTabEnabled(page)) {
      pages_->setCurrentIndex(page);
      break;
    }
  }
  return true;
}

bool TabRows::eventFilter(QObject* watched, QEvent* event) {
  if (!pages_) return false;
  if (watched == pages_) {
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize) Sync();
    return false;
  }
  if (watched == pages_->tabBar()) {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
        const int forward = isRightToLeft() ? -1 : 1;
        if (key->key() == Qt::Key_Right) return StepPage(forward);
        if (key->key() == Qt::Key_Left) return StepPage(-forward);
      }
    }
    return false;
  }
  const auto row = std::find(bars_.begin(), bars_.end(), watched);
  if (row == bars_.end()) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton)
        ClickTab(static_cast<std::size_t>(row - bars_.begin()), mouse->position().toPoint());
      return true;
    }
    // The first click has moved its row down, so the second would land on
    // another row's tab.
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
      return true;
    default:
      return false;
  }
}

void TabRows::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) Sync();
  QWidget::changeEvent(event);
}

void TabRows::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Sync();
}
