#pragma once
// Config.ini as a person reads and edits it: for the tests that check in
// which words a setting was stored, or whether it was stored at all, and for
// those that put into the file what the program itself never writes.

#include <QString>

// The text stored for the key in the section of SettingsFilePath(), or
// "<none>" when no line sets it.
QString StoredSetting(const char* section, const char* key);
// Stores the text for the key, keeping the file's other lines.
void StoreSetting(const char* section, const char* key, const QString& text);
