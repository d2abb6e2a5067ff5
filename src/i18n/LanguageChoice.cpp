// Choosing the language of the run: where the catalogs are, gettext set up
// for the language saved, and the toolkit's own texts routed through the
// same catalog.

#include <libintl.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <clocale>
#include <cstring>
#include <optional>
#include <utility>

#include "app/Functions.h"
#include "app/PlatformServices.h"
#include "i18n/CatalogLookup.h"
#include "i18n/Gettext.h"

namespace i18n {
namespace {

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

void InstallToolkitTranslations(QCoreApplication* app) {
  delete g_toolkitTranslations;  // a translator removes itself when deleted
  const QString language = CatalogLanguage();
  if (language.isEmpty()) return;
  auto* translations = new QTranslator(app);
  if (translations->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translations);
    g_toolkitTranslations = translations;
  } else {
    delete translations;
  }
}

void InstallToolkitTranslators() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  InstallToolkitTranslations(app);
  // The catalog answers first, for the texts it carries itself; the
  // translator installed last is asked first.
  if (g_translator)
    QCoreApplication::removeTranslator(g_translator);
  else
    g_translator = NewCatalogTranslator(app);
  QCoreApplication::installTranslator(g_translator);
}

// The user's own LANGUAGE, restored when a later selection asks for the
// system's choice again.
std::optional<QByteArray> g_startLanguage;
bool g_startLanguageKnown = false;

bool IsPlainCLocale(const char* name) {
  return !name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0;
}

#ifdef Q_OS_WIN
// GNU libintl on Windows takes the messages' locale from LC_ALL, LC_MESSAGES
// or LANG as they stand, not from setlocale: where the first of them that is
// set names the plain C locale, it ignores LANGUAGE and the chosen catalog
// with it. While a language is chosen that variable reads C.UTF-8; the
// user's value comes back with the system's choice, unless someone changed
// the variable meanwhile.
void KeepMessagesLocaleFromC(bool languageChosen) {
  static std::optional<std::pair<const char*, QByteArray>> replaced;
  if (replaced && qgetenv(replaced->first) == "C.UTF-8") qputenv(replaced->first, replaced->second);
  replaced.reset();
  if (!languageChosen) return;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const QByteArray value = qgetenv(name);
    if (value.isEmpty()) continue;
    if (IsPlainCLocale(value.constData())) {
      replaced.emplace(name, value);
      qputenv(name, "C.UTF-8");
    }
    return;
  }
}
#endif

// LANGUAGE and LC_MESSAGES as gettext needs them to choose the code's
// catalog, or, for an empty code, the system's language.
void SetLanguageEnvironment(const QString& code) {
#ifdef Q_OS_WIN
  KeepMessagesLocaleFromC(!code.isEmpty());
#endif
  if (!g_startLanguageKnown) {
    if (qEnvironmentVariableIsSet("LANGUAGE")) g_startLanguage = qgetenv("LANGUAGE");
    g_startLanguageKnown = true;
  }
  const char* locale = ::setlocale(LC_MESSAGES, "");
  if (!code.isEmpty()) {
    qputenv("LANGUAGE", code.toUtf8());
    // glibc ignores LANGUAGE under the plain C locale.
    if (IsPlainCLocale(locale)) ::setlocale(LC_MESSAGES, "C.UTF-8");
    return;
  }
  // The system's choice, by gettext's own rules.
  if (g_startLanguage)
    qputenv("LANGUAGE", *g_startLanguage);
  else
    qunsetenv("LANGUAGE");
  if (!locale) ::setlocale(LC_MESSAGES, "C");
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
  SetLanguageEnvironment(code);
#ifdef Q_OS_WIN
  // Every folder name, whatever the code page.
  wbindtextdomain(kTextDomain, CatalogFolder().toStdWString().c_str());
#else
  const QByteArray folder = QFile::encodeName(CatalogFolder());
  bindtextdomain(kTextDomain, folder.constData());
#endif
  bind_textdomain_codeset(kTextDomain, "UTF-8");
  // textdomain() also tells gettext to drop the translations it has cached,
  // so a second selection in the same process takes effect.
  textdomain(kTextDomain);

  InstallToolkitTranslators();
}

}  // namespace i18n
