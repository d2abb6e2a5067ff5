#include "ui/main/OptionsNavigator.h"

#include "i18n/Gettext.h"
#include "ui/main/MainFrmUi.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// Page by page in the order the window was first built, which is not always
// the order the groups are shown in; the two boxes outside the pages come
// last. The order decides which control wins when several names match.
std::vector<QWidget*> SearchCandidates(const Ui::TMainFrm& ui) {
  // Grouped by page, several to a line.
  // clang-format off
  return {
      // General
      ui.GBTemporarySpaceManagement, ui.edTempBlockSize, ui.edTempCacheLimit, ui.GBMaxFileSystemCache,
      ui.edMaxFileSystemCache, ui.GBDatabaseGrowthIncrement, ui.edDatabaseGrowthIncrement,
      ui.GBDefaultDbCachePages, ui.edDefaultDbCachePages, ui.GBCompleteBooleanEvaluation,
      ui.CBCompleteBooleanEvaluation,
      // Access
      ui.GBDatabaseAccess, ui.GBExternalFileAccess, ui.GBUDFAccess,
      // Other Access
      ui.GBTempDirectories, ui.GBAuthentication, ui.CBAuthentication, ui.GBLegacyHASH, ui.CBLegacyHASH,
      ui.GBRemoteBindAddress, ui.edRemoteBindAddress,
      // Client Connection
      ui.GBConnectionTimeout, ui.edConnectionTimeout, ui.GBTCPProtocolSettings, ui.edRemoteServiceName,
      ui.edRemoteServicePort, ui.edRemoteAuxPort, ui.GBTcpNoNagle, ui.CBTcpNoNagle, ui.GBTcpRemoteBufferSize,
      ui.edTcpRemoteBufferSize,
      // Locking and shared memory
      ui.GBLockMemSize, ui.edLockMemSize, ui.GBLockSemCount, ui.edLockSemCount, ui.GBLockAcquireSpins,
      ui.edLockAcquireSpins, ui.GBLockHashSlots, ui.edLockHashSlots, ui.GBEventMemSize, ui.edEventMemSize,
      // Super Server Engine
      ui.GBCpuAffinityMask, ui.edCpuAffinityMask, ui.GBSettingForTheread, ui.CBUsePriorityScheduler,
      ui.edPrioritySwitchDelay, ui.edPriorityBoost, ui.GBGCPolicy, ui.CBGCPolicy,
      // Windows platforms
      ui.GBGuardianOption, ui.CBGuardianOption, ui.GBProcessPriorityLevel, ui.edProcessPriorityLevel,
      ui.GBLocalConnectionSettings, ui.edIpcName, ui.edRemotePipeName, ui.CBCreateInternalWindow,
      // Unix/Linux platforms
      ui.GBLockSignal, ui.edLockSignal, ui.GBRemoteFileOpenAbility, ui.CBRemoteFileOpenAbility,
      ui.GBRedirection, ui.CBRedirection,
      // Compatibility
      ui.GBOldParameterOrdering, ui.CBOldParameterOrdering, ui.GBOldColumnNaming, ui.CBOldColumnNaming,
      ui.GBLockGrantOrder, ui.CBLockGrantOrder,
      // Others
      ui.GBDeadlockTimeout, ui.edDeadlockTimeout, ui.GBMaxUnflushed, ui.edMaxUnflushedWrites,
      ui.edMaxUnflushedWriteTime, ui.GBBugcheckAbort, ui.CBBugcheckAbort,
      // Outside the pages
      ui.edRootDirectory, ui.edSearchInc,
  };
  // clang-format on
}

// Only a to z change: the names are plain ASCII, and any other letter typed
// simply matches nothing.
QString UpperAscii(QString text) {
  for (QChar& c : text)
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
  return text;
}

// What the search compares: the text without spaces, a to z in upper case.
QString SearchKey(QString text) {
  text.remove(QLatin1Char(' '));
  return UpperAscii(std::move(text));
}

// A parameter's name as a tree caption: "WireCryptPlugin" becomes
// "Wire Crypt Plugin", "GCPolicy" "GC Policy", "IPv6V6Only" "IPv6 V6 Only".
QString SpacedName(const QString& name) {
  QString spaced;
  for (qsizetype i = 0; i < name.size(); ++i) {
    const QChar c = name[i];
    if (i > 0 && c.isUpper()) {
      const QChar before = name[i - 1];
      const bool wordEnds = before.isLower() || before.isDigit();
      // An abbreviation ends where a word starts, unless a digit follows
      // that word's first small letter ("IPv6").
      const bool abbreviationEnds = before.isUpper() && i + 1 < name.size() && name[i + 1].isLower() &&
                                    !(i + 2 < name.size() && name[i + 2].isDigit());
      if (wordEnds || abbreviationEnds) spaced += QLatin1Char(' ');
    }
    spaced += c;
  }
  return spaced;
}

void SetBold(QWidget* control, bool bold) {
  QFont font = control->font();
  font.setBold(bold);
  control->setFont(font);
}

bool IsEnter(QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Where a fixed node keeps the English text it searches for.
constexpr int kSearchRole = Qt::UserRole + 1;

}  // namespace

OptionsNavigator::OptionsNavigator(QObject* window, const Ui::TMainFrm& ui, std::function<void()> buildPages)
    : QObject(window),
      ui_(ui),
      buildPages_(std::move(buildPages)),
      pages_(ui.PCMain),
      search_(ui.edSearchInc),
      tree_(ui.TVWOptions),
      searchPalette_(search_->palette()) {
  connect(search_, &QLineEdit::textChanged, this, &OptionsNavigator::edSearchIncChange);
  connect(search_, &QLineEdit::returnPressed, this, &OptionsNavigator::btFocusedClick);
  connect(ui.btFocused, &QPushButton::clicked, this, &OptionsNavigator::btFocusedClick);
  connect(tree_, &QTreeWidget::itemClicked, this, &OptionsNavigator::TVWOptionsClick);
  tree_->installEventFilter(this);

  // The nodes show in the chosen language; a child finds its control by its
  // English text, the spelled-out name of the parameter.
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
    (*it)->setData(0, kSearchRole, (*it)->text(0));
    (*it)->setText(0, i18n::Translate((*it)->text(0)));
  }
}

void OptionsNavigator::TakeCandidates() const {
  // The search compares component names, each control's own: the pages are
  // built for it (the page of other parameters again after a new file).
  buildPages_();
  if (!candidates_.empty()) return;
  const std::vector<QWidget*> controls = SearchCandidates(ui_);
  candidates_.reserve(controls.size());
  for (QWidget* control : controls) candidates_.push_back({UpperAscii(control->objectName()), control});
}

std::vector<QWidget*> OptionsNavigator::Candidates() const {
  TakeCandidates();
  std::vector<QWidget*> controls;
  for (const Candidate& candidate : candidates_) controls.push_back(candidate.control);
  return controls;
}

void OptionsNavigator::FindParameter(const QString& text, bool focus) {
  const QString key = SearchKey(text);

  QWidget* found = nullptr;
  if (!key.isEmpty()) {
    TakeCandidates();
    for (const Candidate& candidate : candidates_)
      if (candidate.control && candidate.upperName.contains(key)) found = candidate.control;
    if (!found) found = FindAdded(key);
  }

  SetSearchColours(found != nullptr);
  if (!found) return;
  Mark(found, focus);
}

QWidget* OptionsNavigator::FindAdded(const QString& key) const {
  QWidget* last = nullptr;
  for (const AddedCandidate& candidate : added_) {
    if (!candidate.control) continue;
    if (candidate.upperParameter == key || candidate.upperName == key) return candidate.control;
    if (candidate.upperName.contains(key)) last = candidate.control;
  }
  return last;
}

void OptionsNavigator::Mark(QWidget* found, bool focus) {
  ShowPageOf(found);
  // A control that cannot take the focus (disabled, hidden) simply does not.
  if (focus) found->setFocus(Qt::OtherFocusReason);
  // Unbold first, so that finding the same control again leaves it bold;
  // the same control found again is left as it is (a new font costs a new
  // layout of everything inside it).
  if (found == highlighted_) return;
  if (highlighted_) SetBold(highlighted_, false);
  SetBold(found, true);
  highlighted_ = found;
}

void OptionsNavigator::SetAddedPage(const QString& caption, const std::vector<QString>& parameters) {
  delete addedNode_;
  addedNode_ = nullptr;
  added_.clear();
  if (parameters.empty()) return;
  addedNode_ = new QTreeWidgetItem(tree_, {caption});
  for (const QString& parameter : parameters) {
    // The child finds its own control, whatever other names hold its text.
    auto* child = new QTreeWidgetItem(addedNode_, {SpacedName(parameter)});
    child->setData(0, Qt::UserRole, static_cast<int>(added_.size()));
    added_.push_back({QString(), SearchKey(parameter), nullptr});
  }
}

void OptionsNavigator::SetAddedControls(const std::vector<QWidget*>& controls) {
  for (std::size_t i = 0; i < controls.size() && i < added_.size(); ++i) {
    added_[i].upperName = SearchKey(controls[i]->objectName());
    added_[i].control = controls[i];
  }
}

void OptionsNavigator::ShowPageOf(QWidget* control) {
  QScrollArea* area = nullptr;
  for (QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
    if (!area) area = qobject_cast<QScrollArea*>(w);
    if (pages_->indexOf(w) >= 0) {
      if (pages_->currentWidget() != w) {
        pages_->setCurrentWidget(w);
        // The page just shown lays itself out, and sets its scroll range, on
        // posted layout requests (its new height asks for another pass):
        // settle them before scrolling.
        for (int pass = 0; pass < 3; ++pass)
          QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
      }
      if (area) area->ensureWidgetVisible(control);
      return;
    }
  }
}

void OptionsNavigator::SetSearchColours(bool found) {
  QPalette palette = searchPalette_;
  if (!found) {
    palette.setColor(QPalette::Base, QColor(255, 255, 0));
    palette.setColor(QPalette::Text, QColor(255, 0, 0));
  }
  search_->setPalette(palette);
}

void OptionsNavigator::edSearchIncChange(const QString& text) { FindParameter(text, false); }

void OptionsNavigator::btFocusedClick() { FindParameter(search_->text(), true); }

void OptionsNavigator::TVWOptionsClick() {
  const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
  if (selected.isEmpty()) return;
  QTreeWidgetItem* node = selected.first();
  if (node->parent() && node->parent() == addedNode_) {
    TakeCandidates();
    const auto& candidate = added_[static_cast<std::size_t>(node->data(0, Qt::UserRole).toInt())];
    if (candidate.control) {
      SetSearchColours(true);
      Mark(candidate.control, true);
    }
  } else if (node->parent())
    FindParameter(node->data(0, kSearchRole).toString(), true);
  else
    pages_->setCurrentIndex(tree_->indexOfTopLevelItem(node));
}

bool OptionsNavigator::eventFilter(QObject* watched, QEvent* event) {
  // Moving through the tree with the arrows only selects; Enter acts.
  if (watched == tree_ && IsEnter(event)) {
    TVWOptionsClick();
    return true;
  }
  return QObject::eventFilter(watched, event);
}
