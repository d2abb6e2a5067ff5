#include "app/WindowFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QString>

namespace {

const QString kTahoma = QStringLiteral("Tahoma");

// Where fonts-wine puts its faces; not on fontconfig's path. Only the
// regular face: its bold companion draws thin, widely spaced letters at 8 pt
// (a found control in "bold" hardly stood out), while the bold synthesized
// from the regular face reads as bold at the same width.
const char* const kBundledFaces[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
};

bool TahomaAvailable() {
  static const bool available = [] {
    if (QFontDatabase::hasFamily(kTahoma)) return true;
    for (const char* face : kBundledFaces)
      QFontDatabase::addApplicationFont(QString::fromLatin1(face));
    return QFontDatabase::hasFamily(kTahoma);
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
