// Translating a window: the walk over the window and everything it owns
// (TranslateComponent), one lookup per text of each kind of widget and of
// each action, and the classes and properties left alone.

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBox>
#include <QToolButton>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "i18n/CatalogLookup.h"
#include "i18n/Gettext.h"

namespace i18n {
namespace {

struct Exclusions {
  std::vector<std::string> classes;
  std::vector<std::pair<std::string, QByteArray>> properties;
};

Exclusions& Excluded() {
  static Exclusions exclusions;
  return exclusions;
}

bool ClassIgnored(const QObject* object) {
  for (const std::string& name : Excluded().classes)
    if (object->inherits(name.c_str())) return true;
  return false;
}

// The object or one of its parents up to the root is excluded: a widget's
// children are its parts (a combo's edit, a custom panel's labels).
bool InIgnoredSubtree(const QObject* object, const QObject* root) {
  for (const QObject* o = object; o; o = o->parent()) {
    if (ClassIgnored(o)) return true;
    if (o == root) break;
  }
  return false;
}

bool PropertyIgnored(const QObject* object, const char* property) {
  for (const auto& [className, name] : Excluded().properties)
    if (name.compare(property, Qt::CaseInsensitive) == 0 &&
        object->inherits(className.c_str()))
      return true;
  return false;
}

class ObjectTranslator {
 public:
  explicit ObjectTranslator(QObject* object) : object_(object) {}

  // Looks up one property's text; the setter runs only for a translation.
  template <typename Setter>
  void Text(const char* property, const QString& text, Setter&& set) const {
    if (text.isEmpty() || PropertyIgnored(object_, property)) return;
    QString translated;
    if (Lookup(text, &translated) && translated != text) set(translated);
  }

  bool Allowed(const char* property) const { return !PropertyIgnored(object_, property); }

 private:
  QObject* object_;
};

// Memo lines: one lookup per line, so that an untranslated line keeps its
// text exactly (trailing spaces included) and empty lines stay empty.
void TranslateLines(QTextDocument* document) {
  std::vector<std::pair<int, QString>> changes;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    QString translated;
    if (Lookup(block.text(), &translated) && translated != block.text())
      changes.emplace_back(block.blockNumber(), translated);
  }
  if (changes.empty()) return;

  const bool modified = document->isModified();
  const bool undo = document->isUndoRedoEnabled();
  // The initial text is no user edit: nothing to undo afterwards.
  document->setUndoRedoEnabled(false);
  QTextCursor cursor(document);
  // Last line first: a translation holding a line break adds lines below.
  for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
    const QTextBlock block = document->findBlockByNumber(it->first);
    cursor.setPosition(block.position());
    cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    cursor.insertText(it->second);
  }
  document->setUndoRedoEnabled(undo);
  document->setModified(modified);
}

void TranslateTabs(const ObjectTranslator& t, QTabBar* bar) {
  for (int i = 0; i < bar->count(); ++i) {
    t.Text("tabText", bar->tabText(i), [&](const QString& s) { bar->setTabText(i, s); });
    t.Text("tabToolTip", bar->tabToolTip(i),
           [&](const QString& s) { bar->setTabToolTip(i, s); });
  }
}

void TranslateHeader(const ObjectTranslator& t, QTableWidgetItem* item) {
  if (!item) return;
  t.Text("headerLabels", item->text(), [&](const QString& s) { item->setText(s); });
}

// Qt's default for an action's icon text and tooltip: the text without
// accelerator marks and ellipsis.
QString DerivedActionText(QString text) {
  text.remove(QStringLiteral("..."));
  return WithoutAccelerators(text).trimmed();
}

// A menu's own action and a dock's toggle action mirror the title of their
// owner, which is translated there; translating both would translate twice.
bool MirrorsItsOwner(QAction* action) {
  if (auto* menu = qobject_cast<QMenu*>(action->parent()); menu && menu->menuAction() == action)
    return true;
  auto* dock = qobject_cast<QDockWidget*>(action->parent());
  return dock && dock->toggleViewAction() == action;
}

void TranslateAction(QAction* action) {
  if (MirrorsItsOwner(action)) return;
  const ObjectTranslator t(action);
  const QString text = action->text();
  const QString iconText = action->iconText();
  const QString toolTip = action->toolTip();
  const QString derived = DerivedActionText(text);

  t.Text("text", text, [&](const QString& s) { action->setText(s); });
  // Icon text and tooltip left at their default follow the text by
  // themselves; only texts set of their own are looked up. One set of its
  // own that happens to equal the default shows by not following.
  const bool textChanged = action->text() != text;
  if (iconText != derived || (textChanged && action->iconText() == iconText))
    t.Text("iconText", iconText, [&](const QString& s) { action->setIconText(s); });
  if (toolTip != derived || (textChanged && action->toolTip() == toolTip))
    t.Text("toolTip", toolTip, [&](const QString& s) { action->setToolTip(s); });
  t.Text("statusTip", action->statusTip(), [&](const QString& s) { action->setStatusTip(s); });
  t.Text("whatsThis", action->whatsThis(), [&](const QString& s) { action->setWhatsThis(s); });
}

// An edit box that belongs to a combo or spin box shows that widget's value,
// which is translated (or not) by its owner.
bool IsInnerEdit(const QLineEdit* edit) {
  if (auto* combo = qobject_cast<QComboBox*>(edit->parent()))
    return combo->lineEdit() == edit;
  return qobject_cast<QAbstractSpinBox*>(edit->parent()) != nullptr;
}

// The texts of each kind of widget. Each answers whether the widget was of
// its kind; a widget is of one kind at most.

bool TranslateCaption(const ObjectTranslator& t, QWidget* w) {
  if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    // A tool button showing an action takes its text from the action.
    auto* tool = qobject_cast<QToolButton*>(w);
    if (!tool || !tool->defaultAction())
      t.Text("text", button->text(), [&](const QString& s) { button->setText(s); });
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    t.Text("text", label->text(), [&](const QString& s) { label->setText(s); });
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    t.Text("title", group->title(), [&](const QString& s) { group->setTitle(s); });
  } else if (auto* menu = qobject_cast<QMenu*>(w)) {
    t.Text("title", menu->title(), [&](const QString& s) { menu->setTitle(s); });
  } else {
    return false;
  }
  return true;
}

bool TranslateEdit(const ObjectTranslator& t, QWidget* w) {
  auto* edit = qobject_cast<QLineEdit*>(w);
  if (!edit) return false;
  // Translation is no user edit: change handlers must not run for it.
  const QSignalBlocker blocker(edit);
  // Shown from its start, as the untranslated text was.
  if (!IsInnerEdit(edit))
    t.Text("text", edit->text(), [&](const QString& s) {
      edit->setText(s);
      edit->home(false);
    });
  t.Text("placeholderText", edit->placeholderText(),
         [&](const QString& s) { edit->setPlaceholderText(s); });
  return true;
}

bool TranslateTabWidget(const ObjectTranslator& t, QWidget* w) {
  if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
    TranslateTabs(t, tabs->tabBar());
    return true;
  }
  auto* bar = qobject_cast<QTabBar*>(w);
  if (!bar) return false;
  // A tab widget's own bar was handled with the tab widget.
  auto* owner = qobject_cast<QTabWidget*>(bar->parent());
  if (!owner || owner->tabBar() != bar) TranslateTabs(t, bar);
  return true;
}

bool TranslateDropDown(const ObjectTranslator& t, QWidget* w) {
  auto* combo = qobject_cast<QComboBox*>(w);
  if (!combo) return false;
  const QSignalBlocker blocker(combo);
  if (t.Allowed("items"))
    for (int i = 0; i < combo->count(); ++i)
      t.Text("items", combo->itemText(i), [&](const QString& s) { combo->setItemText(i, s); });
  t.Text("placeholderText", combo->placeholderText(),
         [&](const QString& s) { combo->setPlaceholderText(s); });
  return true;
}

template <class Memo>
bool TranslateMemoOf(const ObjectTranslator& t, QWidget* w) {
  auto* memo = qobject_cast<Memo*>(w);
  if (!memo) return false;
  const QSignalBlocker blocker(memo);
  if (t.Allowed("plainText")) TranslateLines(memo->document());
  t.Text("placeholderText", memo->placeholderText(),
         [&](const QString& s) { memo->setPlaceholderText(s); });
  return true;
}

bool TranslateMemo(const ObjectTranslator& t, QWidget* w) {
  return TranslateMemoOf<QPlainTextEdit>(t, w) || TranslateMemoOf<QTextEdit>(t, w);
}

bool TranslateGrid(const ObjectTranslator& t, QWidget* w) {
  if (auto* grid = qobject_cast<QTableWidget*>(w)) {
    // Column (and row) titles only; cells are data.
    for (int c = 0; c < grid->columnCount(); ++c) TranslateHeader(t, grid->horizontalHeaderItem(c));
    for (int r = 0; r < grid->rowCount(); ++r) TranslateHeader(t, grid->verticalHeaderItem(r));
    return true;
  }
  auto* toolBox = qobject_cast<QToolBox*>(w);
  if (!toolBox) return false;
  for (int i = 0; i < toolBox->count(); ++i) {
    t.Text("itemText", toolBox->itemText(i), [&](const QString& s) { toolBox->setItemText(i, s); });
    t.Text("itemToolTip", toolBox->itemToolTip(i),
           [&](const QString& s) { toolBox->setItemToolTip(i, s); });
  }
  return true;
}

void TranslateWidget(QWidget* w) {
  const ObjectTranslator t(w);
  t.Text("windowTitle", w->windowTitle(), [&](const QString& s) { w->setWindowTitle(s); });
  t.Text("toolTip", w->toolTip(), [&](const QString& s) { w->setToolTip(s); });
  t.Text("statusTip", w->statusTip(), [&](const QString& s) { w->setStatusTip(s); });
  t.Text("whatsThis", w->whatsThis(), [&](const QString& s) { w->setWhatsThis(s); });
  // Tree and list items are left alone: the options tree's nodes must stay
  // English, and the folder lists hold data.
  for (auto kind : {TranslateCaption, TranslateEdit, TranslateTabWidget, TranslateDropDown,
                    TranslateMemo, TranslateGrid})
    if (kind(t, w)) return;
}

}  // namespace

void IgnoreClassProperty(const char* className, const char* property) {
  auto& list = Excluded().properties;
  std::pair<std::string, QByteArray> entry{className, QByteArray(property)};
  for (const auto& existing : list)
    if (existing.first == entry.first &&
        existing.second.compare(entry.second, Qt::CaseInsensitive) == 0)
      return;
  list.push_back(std::move(entry));
}

void IgnoreClass(const char* className) {
  auto& list = Excluded().classes;
  for (const std::string& existing : list)
    if (existing == className) return;
  list.emplace_back(className);
}

void TranslateComponent(QObject* root) {
  if (!root) return;
  QList<QObject*> objects{root};
  objects += root->findChildren<QObject*>();
  for (QObject* object : objects) {
    if (InIgnoredSubtree(object, root)) continue;
    if (auto* widget = qobject_cast<QWidget*>(object))
      TranslateWidget(widget);
    else if (auto* action = qobject_cast<QAction*>(object))
      TranslateAction(action);
  }
}

}  // namespace i18n
