#pragma once
// Message catalogs: GNU gettext, text domain "default", catalogs under
// <catalog folder>/<code>/LC_MESSAGES/default.mo. The language of the run is
// chosen in LanguageChoice.cpp, texts are looked up in CatalogLookup.cpp,
// and windows are translated by the walk of WindowTranslation.cpp.

#include <QString>

class QObject;

// Marks a text the program hands to the toolkit, so that the catalog template
// picks it up; it is looked up where the toolkit shows it.
#define N_(text) text

namespace i18n {

inline constexpr const char* kTextDomain = "default";

// The folder the catalogs are loaded from (and the language dialog scans),
// without a trailing "/": "locale" beside the executable when there is one,
// else an installed program's <prefix>/share/pellisto/locale.
QString CatalogFolder();

// Selects the language for every later lookup; called once at start, before
// any window exists. An empty code leaves the choice to the system's
// language; a code without a catalog simply leaves the texts in English.
// Also routes the toolkit's own texts (message-box buttons and the like)
// through the catalog, and, when a catalog was found, loads the toolkit's
// own translations for its language (the folder chooser's texts).
void SelectLanguage(const QString& code);

// The catalog's translation of one text, or the text itself.
QString Translate(const QString& text);

// Leaves a property of a class (and of every class derived from it)
// untranslated from now on, in every window translated afterwards. Property
// names are those of the walker: "text", "toolTip", "title", "windowTitle",
// "items", "plainText", "tabText", "headerLabels", or any other name a
// caller wants excluded.
void IgnoreClassProperty(const char* className, const char* property);
// Leaves everything of a class (and of derived classes) untranslated.
void IgnoreClass(const char* className);

// Translates the texts of a window and of everything it owns, recursively:
// window titles, captions, titles, hints, initial edit texts, action texts,
// menu titles, tab texts, drop-down items, memo lines (one line at a time,
// empty lines left alone) and grid column titles. Component names, fonts,
// tree views and excluded classes/properties are left alone.
void TranslateComponent(QObject* root);

}  // namespace i18n
