// Looking texts up in the catalog: for the program's own texts and, through
// a translator, for the toolkit's.

#include "i18n/CatalogLookup.h"

#include <libintl.h>

#include <QTranslator>

#include "i18n/Gettext.h"

namespace i18n {
namespace {

// The toolkit's own texts that the program shows: message-box buttons and
// the edit boxes' context menu. Listed only so that the catalog template
// carries them; the toolkit asks for them itself (CatalogTranslator below).
[[maybe_unused]] constexpr const char* kToolkitTexts[] = {
    N_("OK"),  N_("Yes"),   N_("No"),     N_("Cancel"), N_("Undo"),      N_("Redo"),
    N_("Cut"), N_("Copy"),  N_("Paste"),  N_("Delete"), N_("Select All"),
    // The folder chooser's title, which the program asks for in the
    // toolkit's context (ChooseFolder).
    N_("Select Directory"),
};

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

}  // namespace

bool Lookup(const QString& text, QString* translated) {
  // gettext("") is the catalog header, never a translation.
  if (text.isEmpty()) return false;
  const QByteArray msgid = text.toUtf8();
  // gettext hands back the very msgid pointer when it has nothing, which
  // tells a missing entry apart from one translated into the same words.
  const char* result = dgettext(kTextDomain, msgid.constData());
  if (result == msgid.constData()) return false;
  *translated = QString::fromUtf8(result);
  return true;
}

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

QTranslator* NewCatalogTranslator(QObject* parent) { return new CatalogTranslator(parent); }

QString Translate(const QString& text) {
  QString translated;
  return Lookup(text, &translated) ? translated : text;
}

}  // namespace i18n
