#include "app/Functions.h"

// Settings are 8-bit text, read and written as they are.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <stdexcept>

#include "app/ElfNote.h"
#include "app/PlatformServices.h"
#include "config/fs/AtomicFile.h"
#include "config/fs/SaveTarget.h"

#ifdef Q_OS_WIN
#include <windows.h>

#include <vector>
#else
#include <pwd.h>
#include <unistd.h>
#endif

QString InstallPath;

// ---------------------------------------------------------------- Config.ini

namespace {
// Every section and key of the file.
constexpr const char* kSectionInfoGeneral = "InfoGeneral";
constexpr const char* kSectionScreen = "Screen";
constexpr const char* kKeyPath = "Path";
constexpr const char* kKeyLanguage = "Language";
constexpr const char* kKeyAlwaysCheckUpdate = "AlwaysCheckUpdate";
constexpr const char* kKeyActivePage = "ActivePage";

// The longest value a read returns, as the Windows profile services do.
constexpr int kMaxSettingLength = 2047;


// The user's own settings folder for programs, ending with "/".
QString UserSettingsFolder() {
#ifdef Q_OS_WIN
  // The user's local application data: %LOCALAPPDATA%\Pellisto\Config.ini.
  return WithTrailingSeparator(QDir::toNativeSeparators(
             QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))) +
         QStringLiteral("Pellisto\\");
#else
  // A relative XDG_CONFIG_HOME is invalid and is ignored, as the XDG rules ask.
  QString base = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
  if (base.isEmpty() || QDir::isRelativePath(base)) {
    QString home = QFile::decodeName(qgetenv("HOME"));
    if (home.isEmpty())
      if (const passwd* user = ::getpwuid(::getuid())) home = QFile::decodeName(user->pw_dir);
    base = WithTrailingSeparator(home) + QStringLiteral(".config");
  }
  return WithTrailingSeparator(base) + QStringLiteral("pellisto/");
#endif
}

// Creates the folder and any missing parent, the new ones private to the
// user; false when that fails.
bool MakeSettingsFolder(const QString& folder) {
  if (QFileInfo(folder).isDir()) return true;
  const QString parent = QFileInfo(QDir::cleanPath(folder)).path();
  if (parent == QDir::cleanPath(folder) || !MakeSettingsFolder(parent)) return false;
  return QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
         QFileInfo(folder).isDir();
}

// Loads the settings file afresh; false when it is missing or unreadable.
bool LoadSettings(CSimpleIniA& ini, const QString& path) {
  ini.SetSpaces(false);
#ifdef Q_OS_WIN
  return ini.LoadFile(path.toStdWString().c_str()) >= 0;
#else
  return ini.LoadFile(ToDocPath(path).c_str()) >= 0;
#endif
}

struct SettingsLocation {
  QString path;
  bool inUserFolder;  // created on the first write when missing
};

SettingsLocation LocateSettings() {
  const QString beside = Platform().ApplicationFolder();
  // An installed program stays out of bin/ even when it could write there,
  // as root can in /usr/bin.
  const bool installed = QFileInfo(InstalledDataFolder()).isDir();
  if (!installed && Platform().CanWriteInFolder(beside))
    return {beside + QStringLiteral("Config.ini"), false};
  return {UserSettingsFolder() + QStringLiteral("Config.ini"), true};
}

// A value of the file; the default when it has none or cannot be read.
QString ReadSetting(const char* section, const char* key, const QString& defaultValue) {
  CSimpleIniA ini(false, false, false);
  if (!LoadSettings(ini, SettingsFilePath())) return defaultValue;
  const char* value = ini.GetValue(section, key, nullptr);
  if (!value) return defaultValue;
  std::string text(value);
  if (text.size() > kMaxSettingLength) text.resize(kMaxSettingLength);
  return FromDoc(text);
}

// Writes one value (see the writers in Functions.h).
void WriteSetting(const char* section, const char* key, const QString& value) {
  const SettingsLocation location = LocateSettings();
  const QString& path = location.path;
  CSimpleIniA ini(false, false, false);
  // A missing file is created below; one that is there but cannot be read
  // would be replaced by a file holding nothing but this value.
  const bool loaded = LoadSettings(ini, path) || !QFileInfo::exists(path);
  std::string data;
  const bool composed =
      loaded && ini.SetValue(section, key, ToDoc(value).c_str()) >= 0 && ini.Save(data) >= 0;
  try {
    if (!composed) throw std::runtime_error("compose");
    if (location.inUserFolder && !MakeSettingsFolder(QFileInfo(path).path()))
      throw std::runtime_error("folder");
    conf::WriteFileAtomically(ToDocPath(path), data);
  } catch (const std::exception&) {
    throw std::runtime_error(ToDoc(QStringLiteral("Unable to write to %1").arg(path)));
  }
}

}  // namespace

QString InstalledDataFolder() {
  return Platform().ApplicationFolder() + QStringLiteral("../share/pellisto/");
}

QString SettingsFilePath() { return LocateSettings().path; }

bool SettingToBool(const QString& text) {
  // Decimal numbers, with fraction and exponent: true unless every digit of
  // the number itself is zero. Judged by the digits, so that no number is too
  // long or too small to read ("1e-999" is not zero). Read by hand: this is
  // asked at every start, and a regular expression is compiled first.
  const QString trimmed = text.trimmed();
  const qsizetype end = trimmed.size();
  qsizetype at = 0;
  const auto is = [&](qsizetype i, char16_t c) { return i < end && trimmed[i] == c; };
  const auto digit = [&](qsizetype i) { return i < end && trimmed[i] >= u'0' && trimmed[i] <= u'9'; };
  if (is(at, u'+') || is(at, u'-')) ++at;
  qsizetype digits = 0;
  bool nonZero = false;
  const auto readDigits = [&] {
    for (; digit(at); ++at, ++digits) nonZero = nonZero || trimmed[at] != u'0';
  };
  readDigits();
  if (is(at, u'.')) {
    ++at;
    readDigits();
  }
  if (is(at, u'e') || is(at, u'E')) {
    qsizetype exponent = at + 1;
    if (is(exponent, u'+') || is(exponent, u'-')) ++exponent;
    if (digit(exponent)) {
      for (at = exponent; digit(at);) ++at;
    }
  }
  if (digits > 0 && at == end) return nonZero;
  return trimmed.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
}

QString BoolToSetting(bool value) {
  return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString ReadInstallPath() { return ReadSetting(kSectionInfoGeneral, kKeyPath, QString()); }

void WriteInstallPath(const QString& folder) { WriteSetting(kSectionInfoGeneral, kKeyPath, folder); }

QString ReadLanguage() {
  return ReadSetting(kSectionInfoGeneral, kKeyLanguage, QStringLiteral("en"));
}

void WriteLanguage(const QString& code) { WriteSetting(kSectionInfoGeneral, kKeyLanguage, code); }

bool ReadAlwaysCheckUpdate() {
  return SettingToBool(
      ReadSetting(kSectionInfoGeneral, kKeyAlwaysCheckUpdate, QStringLiteral("False")));
}

void WriteAlwaysCheckUpdate(bool check) {
  WriteSetting(kSectionInfoGeneral, kKeyAlwaysCheckUpdate, BoolToSetting(check));
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

void OpenLink(const QString& address) { Platform().OpenUrl(address); }

QString ChooseFolder(QWidget* owner, const QString& start) {
  // Asked of the toolkit's translator, which answers from the catalog (the
  // catalog glue lists the text among the toolkit's own).
  return Platform().ChooseFolder(owner, QCoreApplication::translate("QFileDialog", "Select Directory"),
                                 start);
}

// ---------------------------------------------------------------- version

namespace {
QString JoinVersion(unsigned a, unsigned b, unsigned c, unsigned d) {
  return QStringLiteral("%1.%2.%3.%4").arg(a).arg(b).arg(c).arg(d);
}
}  // namespace

#ifdef Q_OS_WIN
QString ReadFileVersion(const QString& path) {
  const std::wstring file = path.toStdWString();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> info(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, info.data())) return {};
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      !fixed || length < sizeof(VS_FIXEDFILEINFO))
    return {};
  return JoinVersion(HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                     HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
}
#else
QString ReadFileVersion(const QString& path) {
  // Written at build time from VersionInfo.cpp.in: owner "Pellisto", type 1,
  // four 16-bit numbers.
  const auto note = elf::FindNote(ToDocPath(path), "Pellisto", 1);
  if (!note || note->desc.size() != 8) return {};
  unsigned parts[4];
  for (int i = 0; i < 4; ++i) {
    const auto hi = static_cast<unsigned char>(note->desc[2 * i + (note->bigEndian ? 0 : 1)]);
    const auto lo = static_cast<unsigned char>(note->desc[2 * i + (note->bigEndian ? 1 : 0)]);
    parts[i] = hi << 8 | lo;
  }
  return JoinVersion(parts[0], parts[1], parts[2], parts[3]);
}
#endif
