// The editor window's layout: every component exists under its name with the
// right kind, the pages come in their order, and on every page each text can
// be read whole: nothing clipped, nothing overlapping, nothing pushed out of
// sight on the right.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOptionTab>
#include <QStyleOptionButton>
#include <QStyleFactory>
#include <QScrollBar>
#include <QTabBar>
#include <QTextLayout>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "app/WindowFont.h"
#include "i18n/Gettext.h"
#include "support/TestSystem.h"
#include "ui/MainFrmFixture.h"
#include "ui/main/AccessLists.h"
#include "ui/widgets/ElidingComboBox.h"
#include "ui/widgets/FolderList.h"
#include "ui/main/OptionsNavigator.h"
#include "ui/main/OtherParametersPage.h"
#include "ui/widgets/WrapLabel.h"

namespace {

using LayoutTest = MainFrmTest;

// Values that put the longest items into the drop-down lists.
constexpr const char* kConf =
    "RootDirectory = /opt/firebird/\n"
    "Authentication = Trusted\n"
    "GCPolicy = Cooperative\n"
    "GuardianOption = 1\n"
    "LockGrantOrder = 1\n"
    "DatabaseAccess = Restrict /var/lib/firebird/data/;/srv/databases/\n"
    "TempDirectories = /tmp;/var/tmp\n"
    "TcpRemoteBufferSize = 8192\n";

const char* const kPages[][2] = {
    {"TSGeneral", "General"},
    {"TSAccess", "Access"},
    {"TSOtherAccess", "Other Access"},
    {"TSClientConnection", "Client Connection"},
    {"TSLockMemory", "Locking and shared memory"},
    {"TSSuperServerEngine", "Super Server Engine"},
    {"TSSettingsForWindows", "Windows platforms"},
    {"TSUnixLinux", "Unix/Linux platforms"},
    {"TSCompatibility", "Compatibility"},
    {"TSOthers", "Others"},
};

std::string Where(const QWidget* w) {
  return w->objectName().toStdString() + " (" + w->metaObject()->className() + ")";
}

// Shows the window offscreen and lays out the given page.
void ShowPage(QWidget& window, QTabWidget* pages, int index) {
  window.show();
  pages->setCurrentIndex(index);
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// The lines a wrapped label breaks its text into at its width.
QStringList WrappedLines(const QLabel* label) {
  QTextLayout layout(label->text(), label->font());
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(label->contentsRect().width());
    lines << label->text().mid(line.textStart(), line.textLength());
  }
  layout.endLayout();
  return lines;
}

// What must hold on the shown page for its texts to be readable. Pages
// scroll down; they only scroll sideways when allowed to.
void ExpectPageFits(QWidget* page, bool sideways) {
  auto* scroll = page->findChild<QScrollArea*>();
  ASSERT_NE(scroll, nullptr) << Where(page);
  QWidget* content = scroll->widget();
  if (sideways) {
    EXPECT_TRUE(content->width() <= scroll->viewport()->width() ||
                scroll->horizontalScrollBar()->isVisible())
        << Where(page);
  } else {
    EXPECT_LE(content->width(), scroll->viewport()->width()) << Where(page);
  }
  EXPECT_GE(content->height(), content->layout()->totalHeightForWidth(content->width()))
      << Where(page) << " is squeezed instead of scrolling";

  for (QGroupBox* group : content->findChildren<QGroupBox*>()) {
    const int needed = group->hasHeightForWidth() ? group->heightForWidth(group->width())
                                                  : group->minimumSizeHint().height();
    EXPECT_GE(group->height(), needed) << Where(group) << " is squeezed";
  }
  for (QLabel* label : content->findChildren<QLabel*>()) {
    if (label->wordWrap()) {
      EXPECT_GE(label->height(), label->heightForWidth(label->width())) << Where(label);
      // A path or name such as "misc/upgrade/..." is not torn apart at a "/".
      const QStringList lines = WrappedLines(label);
      for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        EXPECT_FALSE(lines[i].endsWith('/')) << Where(label) << " breaks after " << lines[i].toStdString();
    } else {
      EXPECT_LE(label->sizeHint().width(), label->width()) << Where(label);
      EXPECT_LE(label->sizeHint().height(), label->height()) << Where(label);
    }
  }
  for (QListWidget* list : content->findChildren<QListWidget*>()) {
    // Entries keep a few pixels off the frame, as an edit box's text does.
    const QPoint inner = list->viewport()->geometry().topLeft();
    EXPECT_GE(std::min(inner.x(), inner.y()), 3) << Where(list) << " puts its entries on the frame";
  }
  for (QWidget* w : content->findChildren<QWidget*>()) {
    if (!w->isVisible() || w->isWindow()) continue;
    QWidget* parent = w->parentWidget();
    // The inner parts of composite widgets are their own business.
    if (!qobject_cast<QGroupBox*>(parent) && parent != content) continue;
    EXPECT_TRUE(parent->rect().contains(w->geometry()))
        << Where(w) << " cut off by " << Where(parent);
    for (QObject* other : parent->children()) {
      auto* sibling = qobject_cast<QWidget*>(other);
      if (!sibling || sibling == w || !sibling->isVisible() || sibling->isWindow()) continue;
      if (w < sibling) {  // each pair once
        EXPECT_FALSE(w->geometry().intersects(sibling->geometry()))
            << Where(w) << " overlaps " << Where(sibling);
      }
    }
  }
}

// Whether a button shows its whole caption: a push button draws it within
// its contents, a check box or radio button needs its size hint's width.
bool CaptionFits(QAbstractButton* button) {
  auto* push = qobject_cast<QPushButton*>(button);
  if (!push) return button->sizeHint().width() <= button->width();
  QStyleOptionButton option;
  option.initFrom(push);
  const int room = push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push).width();
  return push->fontMetrics().horizontalAdvance(QString(push->text()).remove('&')) <= room;
}

// Where each tab caption is shown: the bar and the tab within it.
struct ShownTab {
  QTabBar* bar;
  int tab;
};

// The tabs the window shows, by caption: every visible tab of every visible
// tab bar, the page control's own and those of the rows above it.
std::vector<std::pair<QString, ShownTab>> ShownTabs(QWidget& window) {
  std::vector<std::pair<QString, ShownTab>> shown;
  for (QTabBar* bar : window.findChildren<QTabBar*>()) {
    if (!bar->isVisible()) continue;
    for (int t = 0; t < bar->count(); ++t)
      if (bar->isTabVisible(t)) shown.push_back({bar->tabText(t), {bar, t}});
  }
  return shown;
}

QRect InWindow(QWidget* w, QWidget& window) {
  return QRect(w->mapTo(&window, QPoint()), w->size());
}

// What the rows of tabs must look like: every caption once and whole, no
// scroll arrows, the rows apart from each other inside the window, and the
// current tab selected in the row right above the pages, the only row with
// a selected tab.
void ExpectTabRows(TMainFrm& window, QTabWidget* pages) {
  const auto shown = ShownTabs(window);
  QTabBar* own = pages->tabBar();
  for (int page = 0; page < pages->count(); ++page) {
    const QString text = pages->tabText(page);
    const auto count = std::count_if(shown.begin(), shown.end(),
                                     [&](const auto& entry) { return entry.first == text; });
    EXPECT_EQ(count, 1) << text.toStdString();
  }
  EXPECT_EQ(shown.size(), static_cast<std::size_t>(pages->count()));

  std::vector<QTabBar*> bars;
  for (const auto& [text, where] : shown) {
    QTabBar* bar = where.bar;
    const QRect tab = bar->tabRect(where.tab);
    EXPECT_TRUE(bar->rect().contains(tab)) << text.toStdString() << " cut off by its row";
    EXPECT_LT(bar->fontMetrics().horizontalAdvance(text), tab.width()) << text.toStdString();
    if (std::find(bars.begin(), bars.end(), bar) == bars.end()) bars.push_back(bar);
  }
  EXPECT_GE(bars.size(), 2u) << "the tabs need more than one row";
  for (QTabBar* bar : bars) {
    EXPECT_TRUE(window.centralWidget()->rect().contains(InWindow(bar, window)))
        << "a row sticks out of the window";
    for (auto* arrow : bar->findChildren<QToolButton*>())
      EXPECT_FALSE(arrow->isVisible()) << "scroll arrows on a row";
  }

  const int current = pages->currentIndex();
  ASSERT_EQ(own->currentIndex(), current);
  ASSERT_TRUE(own->isTabVisible(current)) << "the current tab is not in the row by the pages";
  const QRect ownRow = InWindow(own, window);
  const QRect page = InWindow(pages->currentWidget(), window);
  EXPECT_GE(page.top(), ownRow.bottom());
  EXPECT_LE(page.top() - ownRow.bottom(), 4) << "the current row is apart from the pages";
  for (QTabBar* bar : bars) {
    if (bar == own) continue;
    EXPECT_LE(InWindow(bar, window).bottom(), ownRow.top()) << "a row between the current one "
                                                               "and the pages";
    const int selected = bar->currentIndex();
    EXPECT_TRUE(selected < 0 || !bar->isTabVisible(selected)) << "a second selected tab";
    for (QTabBar* other : bars) {
      if (other != bar && other != own && bar < other) {
        EXPECT_FALSE(InWindow(bar, window).intersects(InWindow(other, window))) << "rows overlap";
      }
    }
  }
}

// Clicks the tab that shows a page's caption, wherever it is.
void ClickTabOf(QWidget& window, const QString& text, bool twice = false) {
  for (const auto& [shownText, where] : ShownTabs(window)) {
    if (shownText != text) continue;
    const QPoint center = where.bar->tabRect(where.tab).center();
    QTest::mouseClick(where.bar, Qt::LeftButton, {}, center);
    // What the second click of a double click brings.
    if (twice) QTest::mouseDClick(where.bar, Qt::LeftButton, {}, center);
    QApplication::processEvents();
    return;
  }
  ADD_FAILURE() << "no tab shows " << text.toStdString();
}

TEST_F(LayoutTest, PagesComeInOrderWithGeneralShown) {
  TMainFrm& window = Open(kConf);
  EXPECT_EQ(window.objectName(), "MainFrm");
  EXPECT_EQ(window.windowTitle(), "Pellisto");
  auto* pages = W<QTabWidget>("PCMain");
  ASSERT_EQ(pages->count(), 10);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(pages->widget(i)->objectName(), kPages[i][0]);
    EXPECT_EQ(pages->tabText(i), kPages[i][1]);
  }
  EXPECT_EQ(pages->currentIndex(), 0);
}

// The widget of a table's row: there, and of the class the row needs.
template <class Kind>
void ExpectKind(const QWidget* control) {
  ASSERT_NE(control, nullptr);
  EXPECT_NE(qobject_cast<const Kind*>(control), nullptr)
      << control->objectName().toStdString() << " is a " << control->metaObject()->className();
}

TEST_F(LayoutTest, EveryComponentHasItsNameAndKind) {
  TMainFrm& window = Open(kConf);
  window.BuildAllPages();
  // Every row of the binding's table has a control of the kind it is handled as.
  const auto bindings = ControlBinding::Bindings();
  const auto controls = window.Binding()->Controls();
  ASSERT_EQ(controls.size(), bindings.size());
  for (std::size_t row = 0; row < bindings.size(); ++row) {
    switch (bindings[row].kind) {
      case ControlBinding::Kind::InstallFolder:
      case ControlBinding::Kind::Edit:
        ExpectKind<QLineEdit>(controls[row]);
        break;
      case ControlBinding::Kind::Flag:
        ExpectKind<QCheckBox>(controls[row]);
        break;
      case ControlBinding::Kind::KeywordList:
      case ControlBinding::Kind::NumberedList:
        ExpectKind<TElidingComboBox>(controls[row]);
        break;
      case ControlBinding::Kind::AccessLists:
        ExpectKind<QGroupBox>(controls[row]);
        break;
    }
  }
  // Memos show text only; drop-down lists offer only their items.
  for (auto* memo : window.findChildren<QPlainTextEdit*>()) {
    EXPECT_TRUE(memo->isReadOnly()) << Where(memo);
    // The warnings wrap, so that none of their lines needs scrolling
    // sideways; the file's own comment keeps its lines as they stand.
    EXPECT_EQ(memo->lineWrapMode(), memo->objectName().startsWith("MWarning") ? QPlainTextEdit::WidgetWidth
                                                                                : QPlainTextEdit::NoWrap)
        << Where(memo);
  }
  for (auto* box : window.findChildren<QComboBox*>()) EXPECT_FALSE(box->isEditable()) << Where(box);
  // Several folders can be selected at once, and they stay in the order added.
  for (auto* list : window.findChildren<QListWidget*>()) {
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection) << Where(list);
    EXPECT_FALSE(list->isSortingEnabled()) << Where(list);
  }
  // A prompt, not a text to search for or to delete first.
  EXPECT_EQ(W<QLineEdit>("edSearchInc")->text(), "");
  EXPECT_EQ(W<QLineEdit>("edSearchInc")->placeholderText(), "Search for name of parameters");
  EXPECT_TRUE(W<QLineEdit>("edRootDirectory")->isReadOnly());
  // Reached with Tab, as every button is.
  EXPECT_EQ(W<QToolButton>("SBFirebirdInstall")->focusPolicy(), Qt::StrongFocus);
}

TEST_F(LayoutTest, AccessGroupsTagTheirControlsAndKeepTheirRadiosApart) {
  Open(kConf);
  // The radio buttons enable and disable by tag among the group's own
  // children, so every tagged control must sit directly in its group.
  const std::pair<const char*, int> tagged[] = {
      {"BtAliasesConf", 1}, {"LBRestrict", 2}, {"BtAddRestrict", 2}, {"BtRemoveRestrict", 2},
      {"LBRestrictExtFileAccess", 2}, {"BtAddExternalFileAccess", 2},
      {"BtRemoveExternalFileAccess", 2}, {"LBRestrictUDFAccess", 2}, {"BtAddUDFAccess", 2},
      {"BtRemoveUDFAccess", 2}, {"LBTempDirectories", 2}, {"Button1", 2}, {"Button2", 2}};
  for (const auto& [name, tag] : tagged) {
    QWidget* w = W<QWidget>(name);
    EXPECT_EQ(w->property("Tag").toInt(), tag) << name;
    EXPECT_TRUE(qobject_cast<QGroupBox*>(w->parentWidget())) << name;
  }

  // One choice per group box: the four UDF radios together, the others apart.
  Radio("RBRestrictUDFAccess")->click();
  Radio("RBFull")->click();
  Radio("RBRestrictUDFAccessUDF")->click();
  EXPECT_TRUE(Radio("RBFull")->isChecked());
  EXPECT_TRUE(Radio("RBRestrictUDFAccessUDF")->isChecked());
  EXPECT_FALSE(Radio("RBRestrictUDFAccess")->isChecked());
}

TEST_F(LayoutTest, MenuCarriesTheActionsByCategory) {
  TMainFrm& window = Open(kConf);
  const std::tuple<const char*, const char*, const char*> actions[] = {
      {"AInitAll", "Initialize all parameters default", "File"},
      {"SExit", "Exit", "File"},
      {"APreferences", "Select language", "Preferences"},
      {"AWebProduct", "Web page of the Product", "Help"},
      {"AFirebirdDoc", "Firebird documentation", "Help"},
      {"ACheckForUpdate", "Check for update", "Help"},
      {"AAbout", "About - Pellisto...", "Help"}};
  QStringList shown;
  for (QAction* menu : W<QMenuBar>("MM")->actions())
    for (QAction* item : menu->menu()->actions())
      shown << menu->text() + "/" + (item->isSeparator() ? "-" : item->objectName());
  EXPECT_EQ(shown, QStringList({"File/AInitAll", "File/-", "File/SExit", "Preferences/APreferences",
                                "Help/AWebProduct", "Help/AFirebirdDoc", "Help/-",
                                "Help/ACheckForUpdate", "Help/AAbout"}));
  for (const auto& [name, text, category] : actions) {
    auto* action = window.findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name;
    EXPECT_EQ(action->text(), text);
    EXPECT_EQ(action->property("Category").toString(), category) << name;
    EXPECT_TRUE(action->shortcut().isEmpty()) << name;
  }
}

TEST_F(LayoutTest, TreeNodesNameThePagesAndTheirControls) {
  Open(kConf);
  window->BuildAllPages();
  auto* tree = W<QTreeWidget>("TVWOptions");
  auto* pages = W<QTabWidget>("PCMain");
  EXPECT_TRUE(tree->isHeaderHidden());
  EXPECT_EQ(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
  ASSERT_EQ(tree->topLevelItemCount(), pages->count());
  int children = 0;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    QTreeWidgetItem* node = tree->topLevelItem(i);
    EXPECT_EQ(node->text(0), pages->tabText(i));
    EXPECT_FALSE(node->isExpanded()) << node->text(0).toStdString();
    // A child's text, without its spaces, names a control on its own page.
    for (int c = 0; c < node->childCount(); ++c, ++children) {
      const QString key = node->child(c)->text(0).remove(' ');
      bool found = false;
      for (QWidget* w : pages->widget(i)->findChildren<QWidget*>())
        found = found || ((qobject_cast<QLineEdit*>(w) || qobject_cast<QCheckBox*>(w) ||
                           qobject_cast<QComboBox*>(w) || qobject_cast<QGroupBox*>(w)) &&
                          w->objectName().contains(key, Qt::CaseInsensitive));
      EXPECT_TRUE(found) << node->child(c)->text(0).toStdString();
    }
  }
  EXPECT_EQ(children, 44);
}

// QTabBar hands the option a tab is drawn with to its subclasses only.
struct TabOptions : QTabBar {
  using QTabBar::initStyleOption;
};

TEST_F(LayoutTest, CaptionsAreWholeUnderEveryStyle) {
  const QString before = QApplication::style()->name();
  const auto expectWhole = [&](QStyle* style, const char* name) {
    QApplication::setStyle(style);
    TMainFrm& window = Open(kConf);
    window.show();
    QApplication::processEvents();
    for (const auto& [text, where] : ShownTabs(window)) {
      QStyleOptionTab option;
      static_cast<TabOptions*>(where.bar)->initStyleOption(&option, where.tab);
      // The room the style draws the caption in, not the tab's.
      const QRect label = where.bar->style()->subElementRect(QStyle::SE_TabBarTabText, &option, where.bar);
      EXPECT_GE(label.width(), where.bar->fontMetrics().horizontalAdvance(text)) << name << ": " << text.toStdString();
    }
    window.close();
  };
  expectWhole(QStyleFactory::create("Fusion"), "Fusion");
  expectWhole(QStyleFactory::create("Windows"), "Windows");
  // A proxy over the style that draws, as qt6ct sets one up.
  expectWhole(new QProxyStyle(QStyleFactory::create("Fusion")), "a proxy over Fusion");
  const bool qt6ct = QStyleFactory::keys().contains("qt6ct-style", Qt::CaseInsensitive);
  if (qt6ct) expectWhole(QStyleFactory::create("qt6ct-style"), "qt6ct");
  QApplication::setStyle(before);
  if (!qt6ct) GTEST_SKIP() << "qt6ct is not installed (Debian package qt6ct): checked under Fusion, Windows and a proxy";
}

TEST_F(LayoutTest, WindowHasAFixedClientAreaAndNoMaximise) {
  TMainFrm& window = Open(kConf);
  window.show();
  QApplication::processEvents();
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_EQ(window.centralWidget()->size(), QSize(694, 611));
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  // Every control uses the window's font.
  EXPECT_EQ(W<QLabel>("lblLockMemSizeDes")->font(), window.font());
  EXPECT_EQ(window.font().pointSize(), 8);
}

TEST_F(LayoutTest, KeyboardVisitsTheWindowInItsOrder) {
  TMainFrm& window = Open(kConf);
  window.show();
  QApplication::processEvents();
  auto* pages = W<QTabWidget>("PCMain");
  const std::vector<QWidget*> order = {W<QWidget>("edSearchInc"), W<QWidget>("btFocused"),
                                       W<QWidget>("TVWOptions"),  pages->tabBar(),
                                       W<QWidget>("BtDone"),      W<QWidget>("BtCancel"),
                                       W<QWidget>("BtApply"),     W<QWidget>("edRootDirectory")};
  std::vector<QWidget*> visited;
  QWidget* w = order.front();
  do {
    if (std::find(order.begin(), order.end(), w) != order.end() &&
        std::find(visited.begin(), visited.end(), w) == visited.end())
      visited.push_back(w);
    w = w->nextInFocusChain();
  } while (w != order.front());
  EXPECT_EQ(visited, order);
}

TEST_F(LayoutTest, TabsWrapOntoRowsWithTheCurrentRowByThePages) {
  TMainFrm& window = Open(kConf);
  auto* pages = W<QTabWidget>("PCMain");
  for (int i = 0; i < pages->count(); ++i) {
    ShowPage(window, pages, i);
    SCOPED_TRACE(i);
    ExpectTabRows(window, pages);
  }
  // Back to a page of the first row after the others.
  ShowPage(window, pages, 1);
  ExpectTabRows(window, pages);
}

TEST_F(LayoutTest, ClickingATabInAnyRowShowsItsPage) {
  TMainFrm& window = Open(kConf);
  auto* pages = W<QTabWidget>("PCMain");
  ShowPage(window, pages, 0);
  // Jumps between rows in both directions and within a row.
  for (int page : {9, 4, 1, 6, 8, 3, 5, 2, 7, 0}) {
    SCOPED_TRACE(page);
    ClickTabOf(window, pages->tabText(page));
    EXPECT_EQ(pages->currentIndex(), page);
    ExpectTabRows(window, pages);
  }
  // A second click on the current tab changes nothing.
  ClickTabOf(window, pages->tabText(0));
  EXPECT_EQ(pages->currentIndex(), 0);
  // Nor does the second click of a double click, though another row has
  // come under the mouse by then.
  for (int page : {8, 5, 0}) {
    ClickTabOf(window, pages->tabText(page), true);
    EXPECT_EQ(pages->currentIndex(), page);
    ExpectTabRows(window, pages);
  }
}

TEST_F(LayoutTest, KeysWalkThroughTheTabsOfEveryRow) {
  TMainFrm& window = Open(kConf);
  auto* pages = W<QTabWidget>("PCMain");
  ShowPage(window, pages, 0);
  QTabBar* own = pages->tabBar();
  own->setFocus();
  for (int page = 1; page < pages->count(); ++page) {
    QTest::keyClick(own, Qt::Key_Right);
    ASSERT_EQ(pages->currentIndex(), page);
    ExpectTabRows(window, pages);
  }
  QTest::keyClick(own, Qt::Key_Right);
  EXPECT_EQ(pages->currentIndex(), 9) << "the last tab leads nowhere";
  for (int page = 8; page >= 0; --page) {
    QTest::keyClick(own, Qt::Key_Left);
    ASSERT_EQ(pages->currentIndex(), page);
  }
  ExpectTabRows(window, pages);

  // The page control's own keys go round all pages.
  QTest::keyClick(own, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(pages->currentIndex(), 9);
  QTest::keyClick(own, Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 0);
  QTest::keyClick(own, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 1);
  ExpectTabRows(window, pages);
  EXPECT_EQ(QApplication::focusWidget(), own);

  // Also from a control on a page.
  ShowPage(window, pages, 0);
  QLineEdit* edit = Edit("edDefaultDbCachePages");
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 9);
  ExpectTabRows(window, pages);
  // And from the keypad's PgDn, which comes with the keypad modifier.
  QTest::keyClick(edit, Qt::Key_PageDown, Qt::ControlModifier | Qt::KeypadModifier);
  EXPECT_EQ(pages->currentIndex(), 0);
}

TEST_F(LayoutTest, TabRowsFollowChangedCaptions) {
  // Captions translated before the window shows, as at its creation.
  TMainFrm& window = Open(kConf);
  auto* pages = W<QTabWidget>("PCMain");
  pages->setTabText(0, "Generalidades");
  pages->setTabText(6, "Plataformas Windows");
  ShowPage(window, pages, 6);
  ExpectTabRows(window, pages);

  // And changed while it shows: a long caption takes a row of its own.
  pages->setTabText(2, "Other access policies and the folders they allow");
  ShowPage(window, pages, 2);
  ExpectTabRows(window, pages);
  ClickTabOf(window, "Plataformas Windows");
  EXPECT_EQ(pages->currentIndex(), 6);
  ExpectTabRows(window, pages);
}

TEST_F(LayoutTest, ClosedDropDownsEndAnItemTooLongWithAnEllipsis) {
  TMainFrm& window = Open(kConf);
  auto* pages = W<QTabWidget>("PCMain");
  ShowPage(window, pages, 8);
  auto* grantOrder = window.findChild<TElidingComboBox*>("CBLockGrantOrder");
  ASSERT_NE(grantOrder, nullptr);
  // Narrow enough that even the short item does not fit.
  const int narrow = grantOrder->fontMetrics().horizontalAdvance(grantOrder->itemText(0)) / 2;
  int elided = 0;
  for (bool narrowed : {false, true}) {
    if (narrowed) {
      grantOrder->setFixedWidth(narrow);
      QApplication::processEvents();
    }
    for (auto* box : window.findChildren<TElidingComboBox*>()) {
      for (int i = 0; i < box->count(); ++i) {
        box->setCurrentIndex(i);
        const QString item = box->itemText(i);
        const QString shown = box->DisplayedText();
        const QFontMetrics metrics = box->fontMetrics();
        const int room = box->TextRect().width();
        SCOPED_TRACE(Where(box) + ": " + item.toStdString());
        EXPECT_EQ(box->currentText(), item);
        EXPECT_LE(metrics.horizontalAdvance(shown), room);
        if (metrics.horizontalAdvance(item) <= room) {
          EXPECT_EQ(shown, item);
        } else {
          ++elided;
          EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
          EXPECT_TRUE(item.startsWith(shown.chopped(1)));
        }
      }
    }
  }
  EXPECT_GE(elided, 2);

  // The box paints what it says it shows: the same as for an item that
  // holds just that shorter text.
  grantOrder->setCurrentIndex(1);
  const QString item = grantOrder->itemText(1);
  const QImage painted = grantOrder->grab().toImage();
  grantOrder->setItemText(1, grantOrder->DisplayedText());
  EXPECT_EQ(painted, grantOrder->grab().toImage());
  grantOrder->setItemText(1, item);
  EXPECT_TRUE(grantOrder->toolTip().isEmpty()) << "tooltips carry the unsupported hint";
}

TEST_F(LayoutTest, EveryPageShowsItsTextsWhole) {
  TMainFrm& window = Open(kConf);
  auto* pages = W<QTabWidget>("PCMain");
  for (int i = 0; i < pages->count(); ++i) {
    ShowPage(window, pages, i);
    ExpectPageFits(pages->widget(i), false);
  }
}

TEST_F(LayoutTest, WithTheDesignedFaceNothingNeedsToScroll) {
  // The window is laid out for Tahoma; without one installed it loads the
  // free Tahoma of fonts-wine.
  ASSERT_TRUE(WindowFontIsTahoma()) << "neither Tahoma nor fonts-wine is installed";
  TMainFrm& window = Open(kConf);
  EXPECT_EQ(QFontInfo(window.font()).family(), "Tahoma");
  auto* pages = W<QTabWidget>("PCMain");
  for (int i = 0; i < pages->count(); ++i) {
    SCOPED_TRACE(pages->tabText(i).toStdString());
    ShowPage(window, pages, i);
    EXPECT_FALSE(pages->widget(i)->findChild<QScrollArea*>()->verticalScrollBar()->isVisible());
    std::set<QTabBar*> rows;
    for (const auto& [text, where] : ShownTabs(window)) rows.insert(where.bar);
    EXPECT_EQ(rows.size(), 2u);
  }
  // Nor does the window's client area: the window is as tall as its menu
  // bar and the client area together, the menu bar as tall as the window's
  // layout makes it at that width.
  auto* client = W<QScrollArea>("ScrollClientArea");
  EXPECT_EQ(client->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(client->horizontalScrollBar()->maximum(), 0);
  auto* tree = W<QTreeWidget>("TVWOptions");
  EXPECT_FALSE(tree->horizontalScrollBar()->isVisible());
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    QTreeWidgetItem* node = tree->topLevelItem(i);
    EXPECT_LE(tree->visualItemRect(node).right(), tree->viewport()->rect().right())
        << node->text(0).toStdString() << " is cut";
  }
}

// The shipped catalogs, shared into the program's folder; their languages.
std::vector<std::string> ShareShippedLanguages(const std::string& programFolder) {
  const std::filesystem::path catalogs(PELLISTO_LOCALE_DIR);
  ShareFolder(catalogs.string(), programFolder + "locale");
  std::vector<std::string> languages;
  for (const auto& entry : std::filesystem::directory_iterator(catalogs))
    languages.push_back(entry.path().filename().string());
  return languages;
}

TEST_F(LayoutTest, EveryShippedLanguageFitsTheDesignedSizeAsEnglishDoes) {
  ASSERT_TRUE(WindowFontIsTahoma()) << "neither Tahoma nor fonts-wine is installed";
  ASSERT_TRUE(std::filesystem::exists(std::filesystem::path(PELLISTO_LOCALE_DIR) / "es/LC_MESSAGES/default.mo"));
  for (const std::string& language : ShareShippedLanguages(dir.path())) {
    SCOPED_TRACE(language);
    i18n::SelectLanguage(QString::fromStdString(language));
    TMainFrm& window = Open(kConf);
    auto* pages = W<QTabWidget>("PCMain");
    for (int i = 0; i < pages->count(); ++i) {
      SCOPED_TRACE(pages->tabText(i).toStdString());
      ShowPage(window, pages, i);
      QWidget* page = pages->widget(i);
      EXPECT_FALSE(page->findChild<QScrollArea*>()->verticalScrollBar()->isVisible());
      std::set<QTabBar*> rows;
      for (const auto& [text, where] : ShownTabs(window)) rows.insert(where.bar);
      EXPECT_EQ(rows.size(), 2u);
      ExpectPageFits(page, false);
      for (QAbstractButton* button : page->findChildren<QAbstractButton*>())
        EXPECT_TRUE(CaptionFits(button)) << Where(button) << " is cut";
      for (auto* box : page->findChildren<TElidingComboBox*>()) {
        for (int item = 0; item < box->count(); ++item) {
          box->setCurrentIndex(item);
          EXPECT_EQ(box->DisplayedText(), box->itemText(item)) << Where(box) << " is cut";
        }
      }
    }
    // The edit boxes of a page stand in one column, whatever their titles.
    ShowPage(window, pages, 0);
    for (QLineEdit* edit : pages->widget(0)->findChildren<QLineEdit*>())
      EXPECT_EQ(edit->mapTo(pages, QPoint()).x(),
                Edit("edDefaultDbCachePages")->mapTo(pages, QPoint()).x())
          << Where(edit);
    for (const char* name : {"BtDone", "BtCancel", "BtApply", "btFocused"})
      EXPECT_TRUE(CaptionFits(Button(name))) << name << " is cut";
    for (const char* name : {"Label1", "Label4"})
      EXPECT_LE(W<QLabel>(name)->sizeHint().width(), W<QLabel>(name)->width()) << name << " is cut";
  }
  i18n::SelectLanguage("en");
}

// Every caption of the tree whole, its nodes open or closed.
void ExpectTreeCaptionsWhole(QTreeWidget* tree) {
  for (bool expanded : {false, true, false}) {
    SCOPED_TRACE(expanded ? "expanded" : "collapsed");
    expanded ? tree->expandAll() : tree->collapseAll();
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    // Opened, the nodes need the vertical scroll bar, which narrows the tree.
    EXPECT_EQ(tree->verticalScrollBar()->isVisible(), expanded);
    EXPECT_FALSE(tree->horizontalScrollBar()->isVisible());
    const QFontMetrics metrics(tree->font());
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
      QTreeWidgetItem* node = *it;
      if (node->parent() && !node->parent()->isExpanded()) continue;
      const QRect cell = tree->visualItemRect(node);
      const QString caption = node->text(0);
      // The caption's lines from where it starts (a pixel into its cell);
      // the ink of each must end within the tree.
      const int start = cell.left() + 1;
      QTextLayout layout(caption, tree->font());
      QTextOption option;
      option.setWrapMode(QTextOption::WordWrap);
      layout.setTextOption(option);
      int lines = 0;
      layout.beginLayout();
      for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(tree->viewport()->width() - start);
        const QString text = caption.mid(line.textStart(), line.textLength()).trimmed();
        EXPECT_LE(start + QFontMetricsF(tree->font()).tightBoundingRect(text).right(),
                  tree->viewport()->width())
            << text.toStdString() << " is cut on the right";
        ++lines;
      }
      layout.endLayout();
      EXPECT_GE(cell.height(), lines * metrics.lineSpacing()) << caption.toStdString() << " is cut";
    }
  }
}

TEST_F(LayoutTest, TheTreeWalkedByKeyboardKeepsTheCurrentNodeInView) {
  TMainFrm& window = Open(kConf);
  window.show();
  auto* tree = W<QTreeWidget>("TVWOptions");
  tree->setFocus();
  tree->setCurrentItem(tree->topLevelItem(0));
  for (int step = 0; step < 80; ++step) {
    QTest::keyClick(tree, Qt::Key_Right);  // opens a page's node, or goes into it
    QTest::keyClick(tree, Qt::Key_Down);
    QApplication::processEvents();
    const QRect shown = tree->visualItemRect(tree->currentItem());
    // Whole in view; the view may keep a node's last pixel row under its
    // edge.
    EXPECT_GE(shown.top(), 0) << tree->currentItem()->text(0).toStdString();
    EXPECT_LE(shown.top() + shown.height(), tree->viewport()->height() + 1) << tree->currentItem()->text(0).toStdString();
  }
  EXPECT_EQ(tree->currentItem(), tree->topLevelItem(9)->child(3));
}

TEST_F(LayoutTest, TreeShowsEveryCaptionWholeExpandedOrNot) {
  TMainFrm& window = Open(kConf);
  window.show();
  ExpectTreeCaptionsWhole(W<QTreeWidget>("TVWOptions"));
}

TEST_F(LayoutTest, ThePageOfOtherParametersFitsInEveryShippedLanguage) {
  const std::string sample = SamplePath("firebird-3.0.11-debian.conf");
  if (sample.empty()) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;
  ASSERT_TRUE(WindowFontIsTahoma()) << "neither Tahoma nor fonts-wine is installed";
  for (const std::string& language : ShareShippedLanguages(dir.path())) {
    SCOPED_TRACE(language);
    i18n::SelectLanguage(QString::fromStdString(language));
    TMainFrm& window = Open(ReadFileBytes(sample));
    auto* pages = W<QTabWidget>("PCMain");
    // The tabs take a row more, and the window grows by it: none of the ten
    // pages scrolls (the list of other parameters does, by design).
    for (int i = 0; i < 10; ++i) {
      ShowPage(window, pages, i);
      EXPECT_FALSE(pages->widget(i)->findChild<QScrollArea*>()->verticalScrollBar()->isVisible())
          << pages->tabText(i).toStdString() << " scrolls";
    }
    ShowPage(window, pages, 10);
    QWidget* page = pages->widget(10);
    ExpectPageFits(page, false);
    ExpectTabRows(window, pages);
    auto* list = page->findChild<QScrollArea*>();
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    for (QWidget* editor : window.OtherParameters()->Editors())
      EXPECT_LE(editor->geometry().right(), list->viewport()->width()) << Where(editor) << " is cut";
    for (auto* box : page->findChildren<TElidingComboBox*>()) {
      for (int item = 0; item < box->count(); ++item) {
        box->setCurrentIndex(item);
        EXPECT_EQ(box->DisplayedText(), box->itemText(item)) << Where(box) << " is cut";
      }
    }
    auto* title = W<QLabel>("lblOtherParameterComment");
    EXPECT_GE(title->height(), title->heightForWidth(title->width())) << "the comment's title is cut";
    ExpectTreeCaptionsWhole(W<QTreeWidget>("TVWOptions"));
  }
  i18n::SelectLanguage("en");
}

TEST_F(LayoutTest, OpenDropDownListsShowWholeItemsAndStayOnTheScreen) {
  TMainFrm& window = Open(kConf);
  // A wider face makes the long items wider than their boxes.
  QFont large = window.font();
  large.setPointSize(11);
  window.setFont(large);
  window.show();
  const QRect screen = window.screen()->availableGeometry();
  window.move(screen.right() - window.frameGeometry().width() + 1, screen.top());
  auto* pages = W<QTabWidget>("PCMain");
  // Styles that open the list over the box, and those that open it below.
  std::unique_ptr<QStyle> below(QStyleFactory::create("Windows"));
  ASSERT_NE(below, nullptr);
  for (QStyle* style : {window.style(), below.get()}) {
    for (const char* name : {"CBLockGrantOrder", "CBGuardianOption"}) {
      SCOPED_TRACE(std::string(name) + " " + style->name().toStdString());
      QComboBox* box = Combo(name);
      box->setStyle(style);
      for (int i = 0; i < pages->count(); ++i)
        if (pages->widget(i)->isAncestorOf(box)) pages->setCurrentIndex(i);
      QApplication::processEvents();
      box->showPopup();
      QAbstractItemView* list = box->view();
      EXPECT_TRUE(screen.contains(list->window()->geometry()));
      EXPECT_LE(list->sizeHintForColumn(0), list->viewport()->width());
      box->hidePopup();
      box->setStyle(nullptr);
    }
  }
}

TEST_F(LayoutTest, PagesStayReadableWithAFoundGroupInBold) {
  // The search sets a found group box in bold, and its texts with it; the
  // few lines that never wrap may then need a sideways scroll.
  TMainFrm& window = Open(kConf);
  auto* pages = W<QTabWidget>("PCMain");
  for (int i = 0; i < pages->count(); ++i) {
    for (QGroupBox* group : pages->widget(i)->findChildren<QGroupBox*>()) {
      QFont bold = group->font();
      bold.setBold(true);
      group->setFont(bold);
    }
    ShowPage(window, pages, i);
    ExpectPageFits(pages->widget(i), true);
  }
}

TEST_F(LayoutTest, PagesScrollWhenTheirTextsNeedMoreRoom) {
  // A larger font stands for wider glyphs or longer translations: the pages
  // grow downwards and scroll instead of squeezing their groups.
  TMainFrm& window = Open(kConf);
  QFont large = window.font();
  large.setPointSize(12);
  window.setFont(large);
  auto* pages = W<QTabWidget>("PCMain");
  for (int i = 0; i < pages->count(); ++i) {
    ShowPage(window, pages, i);
    ExpectPageFits(pages->widget(i), true);
    ExpectTabRows(window, pages);
  }
  ShowPage(window, pages, 4);
  auto* scroll = pages->widget(4)->findChild<QScrollArea*>();
  ASSERT_TRUE(scroll->verticalScrollBar()->isVisible());
  scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
  QApplication::processEvents();
  QWidget* last = W<QWidget>("GBEventMemSize");
  const QRect shown(last->mapTo(scroll->viewport(), QPoint()), last->size());
  EXPECT_TRUE(scroll->viewport()->rect().contains(shown));
}

// A wrapped label's sizes, worked out from its text shaped once, must be
// the label's own to the pixel: any difference moves every page's layout.
void ExpectMeasuresAsLabel(const TWrapLabel& label) {
  SCOPED_TRACE(label.text().left(40).toStdString());
  EXPECT_EQ(label.sizeHint(), label.QLabel::sizeHint());
  EXPECT_EQ(label.minimumSizeHint(), label.QLabel::minimumSizeHint());
  for (int width : {0, 1, 9, 33, 60, 97, 150, 233, 266, 360, 374, 480, 694, 2000, QWIDGETSIZE_MAX})
    EXPECT_EQ(label.heightForWidth(width), label.QLabel::heightForWidth(width)) << "at " << width;
}

TEST(WrapLabelTest, MeasuresAsTheLabelItselfWhateverItsTextAndFrame) {
  const QString texts[] = {
      QString(),
      QStringLiteral("one"),
      QStringLiteral("Sets the size of the page cache for each database, in pages.\nA second line\r with a return"),
      QString(300, QLatin1Char('x')) + QStringLiteral(" and a tail"),
      QStringLiteral("misc/upgrade/security_database.sql") + QChar(0x2060) + QStringLiteral(" (a path kept whole)"),
      QStringLiteral("\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd right to left, then left to right again"),
  };
  const std::function<void(TWrapLabel&)> shapes[] = {
      [](TWrapLabel&) {},
      [](TWrapLabel& l) { l.setMargin(3); },
      [](TWrapLabel& l) { l.setIndent(7); },
      [](TWrapLabel& l) { l.setFrameShape(QFrame::Box); },
      [](TWrapLabel& l) { l.setAlignment(Qt::AlignRight | Qt::AlignBottom); },
      [](TWrapLabel& l) { l.setAlignment(Qt::AlignJustify | Qt::AlignTop); },
      [](TWrapLabel& l) { l.setContentsMargins(2, 3, 4, 5); },
      [](TWrapLabel& l) { l.setMinimumWidth(50); },
      [](TWrapLabel& l) { l.setMaximumWidth(120); },
  };
  for (const QString& text : texts) {
    for (const auto& shape : shapes) {
      TWrapLabel label(text);
      label.setWordWrap(true);
      label.setFont(WindowFont());
      shape(label);
      ExpectMeasuresAsLabel(label);
      // Then another text and font on the same label.
      label.setText(text + QStringLiteral(" and more words after it"));
      QFont large = label.font();
      large.setPointSize(16);
      label.setFont(large);
      ExpectMeasuresAsLabel(label);
    }
  }
}

// Every wrapped label of the window, in every shipped language.
TEST_F(LayoutTest, EveryWrappedLabelMeasuresAsTheLabelItself) {
  std::vector<std::string> languages{"en"};
  for (const std::string& language : ShareShippedLanguages(dir.path())) languages.push_back(language);
  for (const std::string& language : languages) {
    SCOPED_TRACE(language);
    i18n::SelectLanguage(QString::fromStdString(language));
    TMainFrm& window = Open(kConf);
    window.BuildAllPages();
    const QList<TWrapLabel*> labels = window.findChildren<TWrapLabel*>();
    ASSERT_GT(labels.size(), 30);
    for (const TWrapLabel* label : labels) ExpectMeasuresAsLabel(*label);
  }
  i18n::SelectLanguage("en");
}

}  // namespace
