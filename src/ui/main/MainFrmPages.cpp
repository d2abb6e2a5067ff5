// The ten pages are built when first needed: the page in front when the
// window opens, any other when it comes to the front, all of them before
// Apply reads them or a search looks through them. A page built later is
// the same page: translated, its paths kept whole, its keys in their place
// in the tab order, its controls bound and filled as the window's others.

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <array>

#include "app/DesignedColours.h"
#include "app/ErrorBox.h"
#include "app/WindowFont.h"
#include "i18n/Gettext.h"
#include "ui/main/AccessLists.h"
#include "ui/main/ControlBinding.h"
#include "ui/main/MainFrm.h"
#include "ui/main/MainFrmUi.h"
#include "ui/main/OtherParametersPage.h"
#include "ui/widgets/DialogKeys.h"

namespace {

using U = Ui::TMainFrm;

template <class Page>
void SetUp(U& ui, QWidget* content) {
  const WindowFontAsDefault building(content->font());
  static_cast<Page&>(ui).setupUi(content);
}

struct PageRow {
  QWidget* U::*tab;  // the frame's empty page
  const char* name;  // of its scroll area "Scroll<name>" and content "PageContent<name>"
  void (*setUp)(U&, QWidget*);
};

// In the order of the tabs.
constexpr PageRow kPages[] = {
    {&U::TSGeneral, "General", SetUp<Ui::PageGeneral>},
    {&U::TSAccess, "Access", SetUp<Ui::PageAccess>},
    {&U::TSOtherAccess, "OtherAccess", SetUp<Ui::PageOtherAccess>},
    {&U::TSClientConnection, "ClientConnection", SetUp<Ui::PageClientConnection>},
    {&U::TSLockMemory, "LockMemory", SetUp<Ui::PageLockMemory>},
    {&U::TSSuperServerEngine, "SuperServerEngine", SetUp<Ui::PageSuperServerEngine>},
    {&U::TSSettingsForWindows, "SettingsForWindows", SetUp<Ui::PageSettingsForWindows>},
    {&U::TSUnixLinux, "UnixLinux", SetUp<Ui::PageUnixLinux>},
    {&U::TSCompatibility, "Compatibility", SetUp<Ui::PageCompatibility>},
    {&U::TSOthers, "Others", SetUp<Ui::PageOthers>},
};
static_assert(std::size(kPages) == TMainFrm::kPageCount);

bool TakesFocus(const QWidget* w) { return w->focusPolicy() != Qt::NoFocus; }

// The widget of the page that first takes the focus from among w's
// ancestors below content, or w itself: the keys move such a widget with
// its inner parts.
bool OutermostFocusTaker(const QWidget* w, const QWidget* content) {
  if (!TakesFocus(w)) return false;
  for (const QWidget* up = w->parentWidget(); up && up != content; up = up->parentWidget())
    if (TakesFocus(up)) return false;
  return true;
}

}  // namespace

void TMainFrm::BuildPage(int index) {
  if (index < 0 || index >= kPageCount || built_[static_cast<std::size_t>(index)]) return;
  built_[static_cast<std::size_t>(index)] = true;
  const PageRow& page = kPages[index];
  QWidget* tab = ui.get()->*page.tab;
  // Filled before it is shown: shown then, it shows its controls at once
  // (into a page on show, they would only show once the events are
  // processed).
  QScrollArea* area = MakePageArea(tab, QLatin1String(page.name));
  QWidget* content = area->widget();
  page.setUp(*ui, content);
  i18n::TranslateComponent(content);
  KeepPathsWhole(content);
  OrderFocus(index);
  UseDialogKeys(content);

  if (content->isAncestorOf(ui->BtAliasesConf))
    connect(ui->BtAliasesConf, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { BtAliasesConfClick(); }, this); });
  for (QLabel* warning : {ui->lblWarning1, ui->lblWarning2})
    if (content->isAncestorOf(warning)) SetTextColour(warning, WarningColour(palette()));

  // Bound, and filled when a file is loaded, as if they had been there from
  // the start: the document does not change.
  binding_->Attach();
  access_->Attach();

  if (tab->isVisible()) area->show();
  // Its height for the width it has now, which it had before its texts
  // (before the window is shown, the width it gets then does it).
  if (isVisible()) {
    for (QWidget* up = content->parentWidget(); up; up = up->parentWidget())
      if (auto* area = qobject_cast<QScrollArea*>(up)) {
        FitPageHeight(area);
        break;
      }
  }
  // Brought to the front while empty, the page took the focus the page
  // before had: it goes on to the page's first control, as it does on a
  // page that was there.
  if (QWidget* tab = ui->PCMain->widget(index); tab && focusWidget() == tab) {
    for (QWidget* w = tab->nextInFocusChain(); w != tab; w = w->nextInFocusChain()) {
      if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy() && w->isVisibleTo(tab) &&
          w->isEnabled() && tab->isAncestorOf(w)) {
        w->setFocus();
        break;
      }
    }
  }
}

void TMainFrm::BuildAllPages() {
  for (int index = 0; index < kPageCount; ++index) BuildPage(index);
  otherParameters_->BuildRows();
}

void TMainFrm::OrderFocus(int index) {
  QWidget* page = ui.get()->*kPages[index].tab;
  // Born last, the page's controls stand at the end of the tab order: they
  // go back to where the page stands, after the last control of the pages
  // before it, or after the tabs.
  const auto precedes = [this, index](const QWidget* w) {
    if (w == ui->PCMain || ui->PCMain->tabBar()->isAncestorOf(w) || w == ui->PCMain->tabBar()) return true;
    for (int earlier = 0; earlier < index; ++earlier)
      if ((ui.get()->*kPages[earlier].tab)->isAncestorOf(w)) return true;
    return false;
  };
  QWidget* before = nullptr;
  std::vector<QWidget*> own;
  for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
    if (page->isAncestorOf(w)) {
      if (OutermostFocusTaker(w, page)) own.push_back(w);
    } else if (TakesFocus(w) && precedes(w)) {
      before = w;
    }
  }
  if (!before) return;
  for (QWidget* w : own) {
    QWidget::setTabOrder(before, w);
    before = w;
  }
}
