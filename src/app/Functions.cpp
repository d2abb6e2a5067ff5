#include "app/Functions.h"

// Settings are 8-bit text, read and written as they are.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <stdexcept>

#include "app/PlatformServices.h"
#include "config/AtomicFile.h"

QString InstallPath;

std::string ToDoc(const QString& text) { return text.toLocal8Bit().toStdString(); }
QString FromDoc(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// ---------------------------------------------------------------- Config.ini

namespace {
// The longest value a read returns, as the Windows profile services do.
constexpr int kMaxSettingLength = 2047;

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Loads the settings file afresh; false when it is missing or unreadable.
bool LoadSettings(CSimpleIniA& ini) {
  ini.SetSpaces(false);
  return ini.LoadFile(PathBytes(SettingsFilePath()).c_str()) >= 0;
}
}  // namespace

QString SettingsFilePath() {
  return Platform().ApplicationFolder() + QStringLiteral("Config.ini");
}

QString ReadSetting(const QString& section, const QString& key,
                    const QString& defaultValue) {
  CSimpleIniA ini(false, false, false);
  if (!LoadSettings(ini)) return defaultValue;
  const char* value = ini.GetValue(ToDoc(section).c_str(), ToDoc(key).c_str(), nullptr);
  if (!value) return defaultValue;
  std::string text(value);
  if (text.size() > kMaxSettingLength) text.resize(kMaxSettingLength);
  return FromDoc(text);
}

void WriteSetting(const QString& section, const QString& key, const QString& value) {
  const QString path = SettingsFilePath();
  CSimpleIniA ini(false, false, false);
  LoadSettings(ini);  // a missing file is created below
  std::string data;
  const bool composed =
      ini.SetValue(ToDoc(section).c_str(), ToDoc(key).c_str(), ToDoc(value).c_str()) >= 0 &&
      ini.Save(data) >= 0;
  try {
    if (!composed) throw std::runtime_error("compose");
    conf::WriteFileAtomically(PathBytes(path), data);
  } catch (const std::exception&) {
    throw std::runtime_error(ToDoc(QStringLiteral("Unable to write to %1").arg(path)));
  }
}

bool SettingToBool(const QString& text) {
  // Whole numbers of any length: true unless every digit is zero.
  static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+)$"));
  const QString trimmed = text.trimmed();
  if (const auto match = number.match(trimmed); match.hasMatch())
    return match.captured(1).contains(QRegularExpression(QStringLiteral("[1-9]")));
  return trimmed.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
}

QString BoolToSetting(bool value) {
  return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString ReadInstallPath() {
  return ReadSetting(kSectionInfoGeneral, kKeyPath, QString());
}

QString ReadLanguage() {
  return ReadSetting(kSectionInfoGeneral, kKeyLanguage, QStringLiteral("en"));
}

bool ReadAlwaysCheckUpdate() {
  return SettingToBool(
      ReadSetting(kSectionInfoGeneral, kKeyAlwaysCheckUpdate, QStringLiteral("False")));
}

int ReadActivePage() {
  bool ok = false;
  const int page =
      ReadSetting(kSectionScreen, kKeyActivePage, QStringLiteral("0")).trimmed().toInt(&ok);
  return ok ? page : 0;
}

void WriteActivePage(int page) {
  WriteSetting(kSectionScreen, kKeyActivePage, QString::number(page));
}

// ---------------------------------------------------------------- links

QString ProductPage() { return QString(links::kProductHost) + "/?page_id=71"; }
QString FirebirdDocPage() { return QString(links::kFirebirdHost) + "/index.php?op=doc"; }
QString PdlPage() { return QString(links::kFirebirdHost) + "/manual/pdl.html"; }
QString DonatePage() { return QString(links::kProductHost) + "/Donate.htm"; }
QString CommunityForum() { return QString(links::kCommunityHost) + "/foros"; }
QString CurrentVersionAddress() {
  return QString(links::kProductHost) + "/archivos/CurrentVersion.xml";
}

QString ContactAddress() {
  return QStringLiteral("contact@") + QUrl(QString::fromLatin1(links::kProductHost)).host();
}

void OpenLink(const QString& address) { Platform().OpenUrl(address); }

QString ChooseFolder(QWidget* owner) {
  return Platform().ChooseFolder(owner, QStringLiteral("Select Directory"));
}
