#pragma once
// What tests of files and processes need to say the same thing on POSIX and
// on Windows: variables, the state folder, the system's words for an error,
// a read-only file, a file's identity.

#include <string>

// The variable that moves the user's state folder (XDG_STATE_HOME, or
// LOCALAPPDATA on Windows), and the folder of the safety copies below it.
extern const char kStateVariable[];
std::string SafetyCopiesUnder(const std::string& stateHome);

void SetVariable(const std::string& name, const std::string& value);
void UnsetVariable(const std::string& name);

// The failures tests provoke, in the words the file layer reports them.
enum class SystemError { NoSuchFile, NoSuchFolder, IsAFolder, NotAFolder };
std::string ErrorText(SystemError error);
// Why a read-only file is not replaced.
std::string ReadOnlyReason();

// A path written with "/" as the system writes it back (with "\\" on
// Windows).
std::string NativePath(std::string path);

void SetReadOnly(const std::string& path, bool readOnly);
bool IsReadOnly(const std::string& path);

// The file itself, whatever its name: the same for a file rewritten in
// place, another for one replaced.
std::string FileIdentity(const std::string& path);

// The folder's files seen at link too: a symbolic link on POSIX, a copy on
// Windows (where a link needs a right that tests do not have).
void ShareFolder(const std::string& folder, const std::string& link);
