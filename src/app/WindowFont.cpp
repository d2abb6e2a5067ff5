#include "app/WindowFont.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QString>
#include <QStringList>

namespace {

const QString kTahoma = QStringLiteral("Tahoma");

// Where fonts-wine puts its faces; not on fontconfig's path. Only the
// regular face: its bold companion draws thin, widely spaced letters at 8 pt
// (a found control in "bold" hardly stood out), while the bold synthesized
// from the regular face reads as bold at the same width.
const char* const kBundledFaces[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
};

// Looked up among the installed families by name: asking whether the
// family exists (hasFamily) has fontconfig work out its aliases for it
// first, each time, which costs more than reading the whole list.
bool Installed() { return QFontDatabase::families().contains(kTahoma, Qt::CaseInsensitive); }

bool TahomaAvailable() {
  static const bool available = [] {
    if (Installed()) return true;
    for (const char* face : kBundledFaces)
      QFontDatabase::addApplicationFont(QString::fromLatin1(face));
    return Installed();
  }();
  return available;
}

}  // namespace

QFont WindowFont(int pointSize) {
  QFont font = TahomaAvailable() ? QFont(kTahoma)
                                 : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPointSize(pointSize);
  return font;
}

bool WindowFontIsTahoma() { return TahomaAvailable(); }

// QGuiApplication's, not QApplication's: the latter would also drop the fonts
// the desktop gives particular kinds of widget (menus, message boxes).
WindowFontAsDefault::WindowFontAsDefault(const QFont& windowFont) : desktop_(QGuiApplication::font()) {
  // Every trait the window's, whether the control it was read from set it
  // or inherited it (a control's font may tell neither).
  QFont standIn = windowFont;
  standIn.setResolveMask(QFont::AllPropertiesResolved);
  QGuiApplication::setFont(standIn);
}

WindowFontAsDefault::~WindowFontAsDefault() { QGuiApplication::setFont(desktop_); }
