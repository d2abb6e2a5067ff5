#include "config/SafetyCopy.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/AtomicFile.h"
#include "config/FileLock.h"

namespace conf {
namespace {

constexpr std::string_view kOriginSuffix = ".origin";
constexpr std::string_view kPartSuffix = ".part";

[[noreturn]] void Throw(int error) { throw std::system_error(error, std::generic_category()); }

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// Creates the folder and its missing parents, the new ones private.
void MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) Throw(errno);
  }
}

// Writes all of the text to a new file and syncs it.
void WriteSynced(const std::string& path, std::string_view text, int flags) {
  const int fd = ::open(path.c_str(), flags | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) Throw(errno);
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : EIO;
      ::close(fd);
      Throw(error);
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  const bool synced = ::fsync(fd) == 0;
  const int error = errno;
  if (::close(fd) != 0 || !synced) Throw(synced ? errno : error);
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string Chopped(std::string_view text, std::size_t n) {
  return std::string(text.substr(0, text.size() - n));
}

}  // namespace

std::string SafetyCopyFolder() {
  // A relative XDG_STATE_HOME is invalid and ignored, as the XDG rules ask.
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return WithSlash(state) + "pellisto/";
  std::string home;
  if (const char* variable = std::getenv("HOME"); variable && variable[0] == '/') home = variable;
  if (home.empty())
    if (const passwd* user = ::getpwuid(::getuid())) home = user->pw_dir;
  return WithSlash(home) + ".local/state/pellisto/";
}

SafetyCopy::SafetyCopy(const std::string& original, std::string_view content) {
  const std::string folder = SafetyCopyFolder();
  MakeFolders(folder);
  const std::size_t slash = original.rfind('/');
  const std::string name = slash == std::string::npos ? original : original.substr(slash + 1);

  // The note of the original comes first: a copy is only ever complete with
  // its note beside it, and a note without its copy means the file was
  // never touched.
  std::string origin = folder + name + ".XXXXXX" + std::string(kOriginSuffix);
  const int fd = ::mkostemps(origin.data(), static_cast<int>(kOriginSuffix.size()), O_CLOEXEC);
  if (fd < 0) Throw(errno);
  ::close(fd);
  origin_ = origin;
  const std::string copy = Chopped(origin, kOriginSuffix.size());
  const std::string part = copy + std::string(kPartSuffix);
  try {
    WriteSynced(origin_, original + "\n", O_TRUNC);
    WriteSynced(part, content, O_CREAT | O_TRUNC);
    if (::rename(part.c_str(), copy.c_str()) != 0) Throw(errno);
  } catch (...) {
    ::unlink(part.c_str());
    ::unlink(origin_.c_str());
    throw;
  }
  copy_ = copy;
  SyncFolder(folder);
}

void SafetyCopy::Remove() {
  // The copy first: a note left alone names no copy and is cleared later.
  ::unlink(copy_.c_str());
  ::unlink(origin_.c_str());
}

std::vector<LeftOverCopy> FindLeftOverCopies() {
  const std::string folder = SafetyCopyFolder();
  std::vector<std::string> notes;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name.size() > kOriginSuffix.size() && name.ends_with(kOriginSuffix))
        notes.emplace_back(name);
    }
    ::closedir(dir);
  }
  std::sort(notes.begin(), notes.end());

  std::vector<LeftOverCopy> copies;
  for (const std::string& note : notes) {
    std::string original;
    try {
      original = ReadWholeFile(folder + note);
    } catch (const FileError&) {
      continue;
    }
    if (!original.empty() && original.back() == '\n') original.pop_back();
    const std::string copy = folder + Chopped(note, kOriginSuffix.size());
    try {
      // Held: a write of that file is going on right now, copy and all.
      FileLock quiet(original, std::chrono::milliseconds(0));
      if (Exists(copy)) {
        copies.push_back({copy, original});
      } else {
        ::unlink((copy + std::string(kPartSuffix)).c_str());
        ::unlink((folder + note).c_str());
      }
    } catch (const FileError&) {
    }
  }
  return copies;
}

std::string LeftOverCopyMessage(const LeftOverCopy& copy) {
  return "\"" + copy.copy + "\" holds \"" + copy.original +
         "\" as it was before a rewrite that did not finish. Compare the two, put the copy "
         "back if the file is damaged, then delete the copy";
}

}  // namespace conf
