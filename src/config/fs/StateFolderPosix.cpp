// This user's own state folder on POSIX systems, found without trusting a
// folder that someone else may change.

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/fs/AtomicFile.h"
#include "config/fs/NativeFile.h"
#include "config/fs/WriteHooks.h"

namespace conf::native {

namespace {

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string HomeFromPasswords() {
#ifdef PELLISTO_TEST_HOOKS
  if (::geteuid() == 0 && !TestWriteHooks().rootHome.empty()) return TestWriteHooks().rootHome;
#endif
  const passwd* user = ::getpwuid(::geteuid());
  return user && user->pw_dir ? user->pw_dir : "/";
}

// Opens (making it when asked) one folder of the way to the state folder:
// only one of this user's or root's, reached through a folder that others
// may not change (or, sticky, may not change that entry of).
int StateStep(int at, const struct stat& atStat, const std::string& part, bool create, struct stat& st) {
  const uid_t me = ::geteuid();
  const auto ours = [&](uid_t uid) { return uid == me || uid == 0; };
  // The folder it is taken from first: nothing is made in one that others
  // may change.
  if (!ours(atStat.st_uid) || ((atStat.st_mode & (S_IWGRP | S_IWOTH)) && !(atStat.st_mode & S_ISVTX))) {
    errno = EPERM;
    return -1;
  }
  int fd = ::openat(at, part.c_str(), O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT && create) {
    if (::mkdirat(at, part.c_str(), 0700) != 0 && errno != EEXIST) return -1;
    fd = ::openat(at, part.c_str(), O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
  }
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !ours(st.st_uid)) {
    ::close(fd);
    errno = EPERM;
    return -1;
  }
  return fd;
}

}  // namespace

namespace {

// The folder the state folder is made in, and the part of its path below
// it. Root's own home, never one the environment names: sudo may have kept
// another user's HOME or XDG_STATE_HOME. A folder XDG_STATE_HOME names is
// still used by root when it is root's own.
std::pair<std::string, std::string> StateFolderParts() {
  const char* state = std::getenv("XDG_STATE_HOME");
  // A relative XDG_STATE_HOME is invalid and ignored, as the XDG rules ask.
  if (state && state[0] == '/') {
    struct stat st {};
    if (!RunsAsRoot() || (::stat(state, &st) == 0 && st.st_uid == 0 && !(st.st_mode & (S_IWGRP | S_IWOTH))))
      return {WithSlash(state), "pellisto/"};
  }
  std::string home;
  if (!RunsAsRoot())
    if (const char* variable = std::getenv("HOME"); variable && variable[0] == '/') home = variable;
  if (home.empty()) home = HomeFromPasswords();
  return {WithSlash(home), ".local/state/pellisto/"};
}

}  // namespace

std::string StateFolder() {
  const auto [base, below] = StateFolderParts();
  return base + below;
}

namespace {

// The path with the links of its longest existing part resolved.
std::string WithoutLinks(const std::string& path) {
  std::string head = path, tail;
  while (head.size() > 1) {
    char real[PATH_MAX];
    if (::realpath(head.c_str(), real)) return WithSlash(real) + tail;
    head.pop_back();
    const std::size_t slash = head.find_last_of('/');
    tail = head.substr(slash + 1) + "/" + tail;
    head.resize(slash + 1);
  }
  return path;
}

}  // namespace

HeldFolder OpenStateFolder(bool create) {
  // The folder it is made in may be reached through links (a home that is
  // one); below it, the walk follows none.
  const auto [base, below] = StateFolderParts();
  const std::string path = WithoutLinks(base) + below;
  int at = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (at < 0) Fail(errno);
  struct stat atStat {};
  ::fstat(at, &atStat);
  for (std::size_t from = 1; from < path.size();) {
    const std::size_t slash = path.find('/', from);
    const std::string part = path.substr(from, slash - from);
    from = slash + 1;
    if (part.empty() || part == ".") continue;
    struct stat st {};
    const int fd = StateStep(at, atStat, part, create, st);
    const int error = errno;
    ::close(at);
    if (fd < 0) Fail(error);
    at = fd;
    atStat = st;
  }
  // The folder itself: this user's, and nobody else's to change.
  if (atStat.st_uid != ::geteuid() || (atStat.st_mode & (S_IWGRP | S_IWOTH))) {
    ::close(at);
    Fail(EPERM);
  }
  return HoldFolder(at, path);
}

}  // namespace conf::native
