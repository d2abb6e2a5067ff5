#pragma once
// Folders as the program hands them around, and the crossing of texts
// between Qt and the configuration document.

#include <QString>
#include <string>

// Platform path separator; folders handed around end with it.
#ifdef _WIN32
inline constexpr char kPathDelimiter = '\\';
#else
inline constexpr char kPathDelimiter = '/';
#endif
// The folder with the separator appended when it does not end with one (a
// Windows folder may also end with "/"); empty stays empty.
QString WithTrailingSeparator(const QString& folder);
// The folder as an absolute path ending with the separator, a relative one
// taken from the current directory, so that it means the same folder after a
// start from anywhere else; empty stays empty.
QString AbsoluteFolder(const QString& folder);

// Texts cross between Qt and the configuration document as the system's
// 8-bit text.
std::string ToDoc(const QString& text);
QString FromDoc(const std::string& text);
// Paths cross as the document's file layer takes them: UTF-8 on Windows
// (where the 8-bit code page cannot name every file), the system's file
// name bytes elsewhere.
std::string ToDocPath(const QString& path);
QString FromDocPath(const std::string& path);
