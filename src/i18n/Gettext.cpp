#include "i18n/Gettext.h"

#include <libintl.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
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
#include <QTranslator>
#include <QWidget>
#include <clocale>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Functions.h"
#include "app/PlatformServices.h"

namespace i18n {
namespace {

// The toolkit's own texts that the program shows: message-box buttons and
// the edit boxes' context menu. Listed only so that the catalog template
// carries them; the toolkit asks for them itself (CatalogTranslator below).
[[maybe_unused]] constexpr const char* kToolkitTexts[] = {
    N_("OK"),  N_("Yes"),   N_("No"),     N_("Cancel"), N_("Undo"),      N_("Redo"),
    N_("Cut"), N_("Copy"),  N_("Paste"),  N_("Delete"), N_("Select All"),
};

// True (and the translation in *translated) when the catalog holds the text.
// gettext hands back the very msgid pointer when it has nothing, which tells
// a missing entry apart from one translated into the same words.
bool Lookup(const QString& text, QString* translated) {
  // gettext("") is the catalog header, never a translation.
  if (text.isEmpty()) return false;
  const QByteArray msgid = text.toUtf8();
  const char* result = dgettext(kTextDomain, msgid.constData());
  if (result == msgid.constData()) return false;
  *translated = QString::fromUtf8(result);
  return true;
}

// "&Yes" -> "Yes", "Save && &Close" -> "Save & Close".
QString WithoutAccelerators(const QString& text) {
  QString plain;
  plain.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&')) {
      if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
        plain += QLatin1Char('&');
        ++i;
      }
      continue;
    }
    plain += text[i];
  }
  return plain;
}

// Answers the toolkit's own texts (message-box buttons, dialog texts) from
// the catalog. Our forms' uic contexts ("TMainFrm", ...) are left
// unanswered: those windows are translated by TranslateComponent, and
// answering here would also translate texts that must stay English, such as
// the options tree's nodes.
class CatalogTranslator final : public QTranslator {
 public:
  using QTranslator::QTranslator;

  bool isEmpty() const override { return false; }

  QString translate(const char* context, const char* sourceText,
                    const char* /*disambiguation*/, int /*n*/) const override {
    if (!context || context[0] != 'Q' || !sourceText || !*sourceText) return {};
    const QString source = QString::fromUtf8(sourceText);
    QString translated;
    if (Lookup(source, &translated)) return translated;
    // Catalogs usually hold "Yes" rather than the toolkit's "&Yes".
    const QString plain = WithoutAccelerators(source);
    if (plain != source && Lookup(plain, &translated)) return translated;
    return {};
  }
};

QPointer<QTranslator> g_translator;
// The toolkit's own translations (Debian's qt6-translations-l10n) for the
// language of the catalog in use: the folder chooser and the other dialogs
// of the toolkit then speak the language the program's windows speak.
QPointer<QTranslator> g_toolkitTranslations;

// The language of the catalog gettext uses now, from its header ("Language:
// es"); empty when no catalog was found for the language asked for.
QString CatalogLanguage() {
  const char* header = dgettext(kTextDomain, "");
  if (!header || !*header) return {};
  for (const QString& line : QString::fromUtf8(header).split(QLatin1Char('\n')))
    if (line.startsWith(QLatin1String("Language:"))) return line.mid(9).trimmed();
  return {};
}

void InstallToolkitTranslators() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  delete g_toolkitTranslations;  // a translator removes itself when deleted
  const QString language = CatalogLanguage();
  if (!language.isEmpty()) {
    auto* translations = new QTranslator(app);
    if (translations->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(translations);
      g_toolkitTranslations = translations;
    } else {
      delete translations;
    }
  }
  // The catalog answers first, for the texts it carries itself; the
  // translator installed last is asked first.
  if (g_translator)
    QCoreApplication::removeTranslator(g_translator);
  else
    g_translator = new CatalogTranslator(app);
  QCoreApplication::installTranslator(g_translator);
}

// The user's own LANGUAGE, restored when a later selection asks for the
// system's choice again.
std::optional<QByteArray> g_startLanguage;
bool g_startLanguageKnown = false;

bool IsPlainCLocale(const char* name) {
  return !name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0;
}

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

void TranslateAction(QAction* action) {
  // A menu's own action and a dock's toggle action mirror the title of their
  // owner, which is translated there; translating both would translate twice.
  if (auto* menu = qobject_cast<QMenu*>(action->parent()); menu && menu->menuAction() == action)
    return;
  if (auto* dock = qobject_cast<QDockWidget*>(action->parent());
      dock && dock->toggleViewAction() == action)
    return;

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

void TranslateWidget(QWidget* w) {
  const ObjectTranslator t(w);
  t.Text("windowTitle", w->windowTitle(), [&](const QString& s) { w->setWindowTitle(s); });
  t.Text("toolTip", w->toolTip(), [&](const QString& s) { w->setToolTip(s); });
  t.Text("statusTip", w->statusTip(), [&](const QString& s) { w->setStatusTip(s); });
  t.Text("whatsThis", w->whatsThis(), [&](const QString& s) { w->setWhatsThis(s); });

  if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    // A tool button showing an action takes its text from the action.
    auto* tool = qobject_cast<QToolButton*>(w);
    if (!tool || !tool->defaultAction())
      t.Text("text", button->text(), [&](const QString& s) { button->setText(s); });
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    t.Text("text", label->text(), [&](const QString& s) { label->setText(s); });
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    t.Text("title", group->title(), [&](const QString& s) { group->setTitle(s); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
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
  } else if (auto* menu = qobject_cast<QMenu*>(w)) {
    t.Text("title", menu->title(), [&](const QString& s) { menu->setTitle(s); });
  } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
    TranslateTabs(t, tabs->tabBar());
  } else if (auto* bar = qobject_cast<QTabBar*>(w)) {
    // A tab widget's own bar was handled with the tab widget.
    auto* owner = qobject_cast<QTabWidget*>(bar->parent());
    if (!owner || owner->tabBar() != bar) TranslateTabs(t, bar);
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    const QSignalBlocker blocker(combo);
    if (t.Allowed("items"))
      for (int i = 0; i < combo->count(); ++i)
        t.Text("items", combo->itemText(i), [&](const QString& s) { combo->setItemText(i, s); });
    t.Text("placeholderText", combo->placeholderText(),
           [&](const QString& s) { combo->setPlaceholderText(s); });
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
    const QSignalBlocker blocker(memo);
    if (t.Allowed("plainText")) TranslateLines(memo->document());
    t.Text("placeholderText", memo->placeholderText(),
           [&](const QString& s) { memo->setPlaceholderText(s); });
  } else if (auto* text = qobject_cast<QTextEdit*>(w)) {
    const QSignalBlocker blocker(text);
    if (t.Allowed("plainText")) TranslateLines(text->document());
    t.Text("placeholderText", text->placeholderText(),
           [&](const QString& s) { text->setPlaceholderText(s); });
  } else if (auto* grid = qobject_cast<QTableWidget*>(w)) {
    // Column (and row) titles only; cells are data.
    for (int c = 0; c < grid->columnCount(); ++c) TranslateHeader(t, grid->horizontalHeaderItem(c));
    for (int r = 0; r < grid->rowCount(); ++r) TranslateHeader(t, grid->verticalHeaderItem(r));
  } else if (auto* toolBox = qobject_cast<QToolBox*>(w)) {
    for (int i = 0; i < toolBox->count(); ++i) {
      t.Text("itemText", toolBox->itemText(i),
             [&](const QString& s) { toolBox->setItemText(i, s); });
      t.Text("itemToolTip", toolBox->itemToolTip(i),
             [&](const QString& s) { toolBox->setItemToolTip(i, s); });
    }
  }
  // Tree and list items are left alone: the options tree's nodes must stay
  // English, and the folder lists hold data.
}

}  // namespace

QString CatalogFolder() {
  // A build folder or a portable copy carries its catalogs beside the
  // program; an installed one finds them under its prefix's share/.
  const QString beside = Platform().ApplicationFolder() + QStringLiteral("locale");
  if (QFileInfo(beside).isDir()) return beside;
  const QFileInfo installed(InstalledDataFolder() + QStringLiteral("locale"));
  return installed.isDir() ? installed.canonicalFilePath() : beside;
}

void SelectLanguage(const QString& code) {
  if (!g_startLanguageKnown) {
    if (qEnvironmentVariableIsSet("LANGUAGE")) g_startLanguage = qgetenv("LANGUAGE");
    g_startLanguageKnown = true;
  }

  const char* locale = std::setlocale(LC_MESSAGES, "");
  if (!code.isEmpty()) {
    qputenv("LANGUAGE", code.toUtf8());
    // glibc ignores LANGUAGE under the plain C locale.
    if (IsPlainCLocale(locale)) std::setlocale(LC_MESSAGES, "C.UTF-8");
  } else {
    // The system's choice, by gettext's own rules.
    if (g_startLanguage)
      qputenv("LANGUAGE", *g_startLanguage);
    else
      qunsetenv("LANGUAGE");
    if (!locale) std::setlocale(LC_MESSAGES, "C");
  }

  const QByteArray folder = QFile::encodeName(CatalogFolder());
  bindtextdomain(kTextDomain, folder.constData());
  bind_textdomain_codeset(kTextDomain, "UTF-8");
  // textdomain() also tells gettext to drop the translations it has cached,
  // so a second selection in the same process takes effect.
  textdomain(kTextDomain);

  InstallToolkitTranslators();
}

QString Translate(const QString& text) {
  QString translated;
  return Lookup(text, &translated) ? translated : text;
}

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
