#pragma once
// The lookup in the catalog of the language chosen, shared by the window
// translation and the toolkit's own texts (inside src/i18n only).

#include <QString>

class QObject;
class QTranslator;

namespace i18n {

// True (and the translation in *translated) when the catalog holds the text.
bool Lookup(const QString& text, QString* translated);

// "&Yes" -> "Yes", "Save && &Close" -> "Save & Close".
QString WithoutAccelerators(const QString& text);

// A translator that answers the toolkit's own texts (message-box buttons,
// dialog texts) from the catalog, owned by parent.
QTranslator* NewCatalogTranslator(QObject* parent);

}  // namespace i18n
