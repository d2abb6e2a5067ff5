// Replacing a file on POSIX systems: a temporary file beside it, synced and
// renamed over it; its links, owner and mode kept.

#include <cerrno>
#include <climits>
#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "config/AtomicFile.h"
#include "config/NativeFile.h"

namespace conf::native {
namespace {

// For best-effort calls whose failure changes nothing; unlike a cast to
// void it also quiets the compiler's warn_unused_result.
void BestEffort(int) {}

// Without this a write past RLIMIT_FSIZE kills the whole program instead of
// failing with EFBIG.
class IgnoreFileSizeSignal {
 public:
  IgnoreFileSizeSignal() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, &saved_);
  }
  ~IgnoreFileSizeSignal() { ::sigaction(SIGXFSZ, &saved_, nullptr); }

 private:
  struct sigaction saved_ {};
};

mode_t CurrentUmask() {
  mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

// Devices, pipes and the like cannot be replaced by a renamed file: they
// get the bytes written into them.
void WriteThrough(const std::string& target, std::string_view content) {
  File file;
  if (const ErrorCode error = file.Open(target, File::Mode::Write)) Fail(error);
  const int fd = static_cast<int>(file.Handle());
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  file.Close();
}

}  // namespace

// Follows a chain of symlinks to the file that really holds the content; the
// links themselves stay as they are. The end of the chain may not exist yet.
std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0) {
      if (errno == ENOENT) return current;
      Fail(errno);
    }
    if (!S_ISLNK(st.st_mode)) return current;
    std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n < 0) Fail(errno);
    if (static_cast<std::size_t>(n) >= target.size()) Fail(ENAMETOOLONG);
    std::string link(target.data(), static_cast<std::size_t>(n));
    current = link[0] == '/' ? link : FolderOf(current) + "/" + link;
  }
  Fail(ELOOP);
}

void Replace(const std::string& path, std::string_view content) {
  IgnoreFileSizeSignal guard;
  const std::string target = ResolveLinks(path);
  const std::string dir = FolderOf(target);

  struct stat st {};
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) Fail(errno);
  if (exists) {
    if (S_ISDIR(st.st_mode)) Fail(EISDIR);
    // Root may write anything; a file an administrator made read-only for
    // everyone is still not ours to replace.
    if ((st.st_mode & 0222) == 0) Fail(EACCES);
    if (::access(target.c_str(), W_OK) != 0) Fail(errno);
    if (!S_ISREG(st.st_mode)) return WriteThrough(target, content);
  }

  std::string temp = dir + "/." + BaseName(target) + ".XXXXXX";
  const int raw = TestWriteHooks().forceInPlace ? (errno = EACCES, -1) : ::mkostemp(temp.data(), O_CLOEXEC);
  if (raw < 0) {
    const int error = errno;
    if (error == EACCES || error == EPERM || error == EROFS) return WriteInPlace(target, content);
    Fail(error);
  }
  File file;
  file.Adopt(raw);
  try {
    if (exists) {
      // Owner first: changing it may clear set-id bits that fchmod restores.
      if (::fchown(raw, st.st_uid, st.st_gid) != 0)
        BestEffort(::fchown(raw, static_cast<uid_t>(-1), st.st_gid));
      if (::fchmod(raw, st.st_mode & 07777) != 0) Fail(errno);
    } else {
      if (::fchmod(raw, 0666 & ~CurrentUmask()) != 0) Fail(errno);
    }
    file.WriteAt(content, 0);
    // The data reaches the disk before the name does: a crash right after
    // the rename must not leave an empty or partial file under that name.
    file.Sync();
    Step("data synced");
    file.Close();
    if (::rename(temp.c_str(), target.c_str()) != 0) Fail(errno);
    Step("renamed");
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  SyncFolder(dir);
}

WriteAccess WriteAccessOf(const std::string& target) {
  const auto denied = [](int error) {
    if (error == EROFS) return WriteAccess::ReadOnlyFileSystem;
    return error == EACCES || error == EPERM ? WriteAccess::NotPermitted : WriteAccess::Impossible;
  };
  // The rights the writes would be made with: the effective ones.
  const auto may = [](const std::string& file, int mode) {
    return ::faccessat(AT_FDCWD, file.c_str(), mode, AT_EACCESS) == 0;
  };
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) {
    if (errno != ENOENT) return WriteAccess::Impossible;
    return may(FolderOf(target), W_OK | X_OK) ? WriteAccess::Allowed : denied(errno);
  }
  if (S_ISDIR(st.st_mode)) return WriteAccess::Impossible;
  if ((st.st_mode & 0222) == 0) return WriteAccess::NoWritePermission;
  return may(target, W_OK) ? WriteAccess::Allowed : denied(errno);
}

}  // namespace conf::native
