#pragma once
// Shared services: the settings file Config.ini, the install folder of the
// run, web links, the folder chooser and the version of an executable file.

#include <QString>

#include "app/Paths.h"
#include "app/WebLinks.h"

class QWidget;

// --- Config.ini (read and written on every call) ---
// Each setting has its typed reader and writer here; the sections and keys
// of the file are known to Functions.cpp alone.

// The shared files of an installed program, ../share/pellisto/ from the
// executable's folder; the folder exists only in an installed layout.
QString InstalledDataFolder();

// Config.ini beside the executable when a file can be created there (a build
// folder, a portable copy); otherwise, and always for an installed program,
// $XDG_CONFIG_HOME/pellisto/Config.ini (~/.config/pellisto/ when the variable
// is unset, empty or relative).
QString SettingsFilePath();
// The Boolean rule: a decimal number (fraction and exponent allowed) is true
// when not zero; else "True"/"False" in any case; anything else false.
bool SettingToBool(const QString& text);
QString BoolToSetting(bool value);  // "True" / "False"

// The readers give the default when the file, the section or the key is
// missing or the file cannot be read, and at most 2047 characters. The
// writers create the file, its folder and the section when missing, and
// throw std::runtime_error "Unable to write to <path>" when the write is
// refused, or when the file is there but cannot be read (writing would lose
// its other values).
QString ReadInstallPath();  // "Path", empty by default
void WriteInstallPath(const QString& folder);
QString ReadLanguage();  // "Language", "en" by default
void WriteLanguage(const QString& code);
bool ReadAlwaysCheckUpdate();  // "AlwaysCheckUpdate" by the Boolean rule, false by default
void WriteAlwaysCheckUpdate(bool check);  // as "True" or "False"
int ReadActivePage();  // "ActivePage"; a text that is not a whole number counts as 0
void WriteActivePage(int page);

// The Firebird folder of this run, set once at start.
extern QString InstallPath;

// Opens a web address; silent on failure, never blocks.
void OpenLink(const QString& address);

// The file version of an executable as four numbers joined by dots
// ("0.2.0.3"); empty when the file is missing or carries no version. Read
// from the file itself: its version resource on Windows, its version note
// on ELF systems.
QString ReadFileVersion(const QString& path);

// The shared folder chooser (title "Select Directory", folders only), opened
// at start (else at the home folder); empty text when cancelled.
QString ChooseFolder(QWidget* owner, const QString& start = QString());
