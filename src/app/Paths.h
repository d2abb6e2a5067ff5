#pragma once
// Folders as the program hands them around, and the crossing of texts
// between Qt and the configuration document.

#include <QString>
#include <string>

// Platform path separator; folders handed around end with it.
inline constexpr char kPathDelimiter = '/';
// The folder with the separator appended when it does not end with one (a
// Windows folder may also end with a backslash); empty stays empty.
QString WithTrailingSeparator(const QString& folder);
// The folder as an absolute path ending with the separator, a relative one
// taken from the current directory, so that it means the same folder after a
// start from anywhere else; empty stays empty.
QString AbsoluteFolder(const QString& folder);

// Texts cross between Qt and the configuration document as the system's
// 8-bit text.
std::string ToDoc(const QString& text);
QString FromDoc(const std::string& text);
