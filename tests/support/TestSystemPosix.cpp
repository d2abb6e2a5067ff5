#include "support/TestSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

#include <filesystem>

const char kStateVariable[] = "XDG_STATE_HOME";

std::string SafetyCopiesUnder(const std::string& stateHome) { return stateHome + "pellisto/"; }

void SetVariable(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}
void UnsetVariable(const std::string& name) { unsetenv(name.c_str()); }

std::string ErrorText(SystemError error) {
  switch (error) {
    case SystemError::NoSuchFile:
    case SystemError::NoSuchFolder:
      return std::strerror(ENOENT);
    case SystemError::IsAFolder:
      return std::strerror(EISDIR);
    case SystemError::NotAFolder:
      return std::strerror(ENOTDIR);
  }
  return {};
}

std::string ReadOnlyReason() { return "It is read-only (no one has write permission)"; }

std::string NativePath(std::string path) { return path; }

void SetReadOnly(const std::string& path, bool readOnly) { chmod(path.c_str(), readOnly ? 0444 : 0644); }

bool IsReadOnly(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

std::string FileIdentity(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return {};
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

void ShareFolder(const std::string& folder, const std::string& link) {
  std::filesystem::create_directory_symlink(folder, link);
}
