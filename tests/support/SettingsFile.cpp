#include "support/SettingsFile.h"

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QFile>
#include <stdexcept>

#include "app/Functions.h"

namespace {
std::string Path() { return QFile::encodeName(SettingsFilePath()).toStdString(); }
}  // namespace

QString StoredSetting(const char* section, const char* key) {
  CSimpleIniA ini(false, false, false);
  ini.LoadFile(Path().c_str());
  return QString::fromLocal8Bit(ini.GetValue(section, key, "<none>"));
}

void StoreSetting(const char* section, const char* key, const QString& text) {
  CSimpleIniA ini(false, false, false);
  ini.SetSpaces(false);
  ini.LoadFile(Path().c_str());
  ini.SetValue(section, key, text.toLocal8Bit().constData());
  if (ini.SaveFile(Path().c_str()) < 0) throw std::runtime_error("cannot write " + Path());
}
