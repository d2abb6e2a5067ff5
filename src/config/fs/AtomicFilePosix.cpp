// Replacing a file on POSIX systems: a new file beside it, given the old
// one's owner, mode, ACLs, extended attributes and flags; and the judgement
// of whether a file may be written at all.

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "config/fs/AtomicFile.h"
#include "config/fs/NativeFile.h"
#include "config/fs/WriteHooks.h"

namespace conf::native {

namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

// The inode flags (chattr) a replacement must carry over to be the same
// file to its users; the rest (extents, inline data) are the file system's
// own business.
constexpr long kKeptFlags =
    FS_NODUMP_FL | FS_NOATIME_FL | FS_SYNC_FL | FS_COMPR_FL | FS_NOCOMP_FL | FS_NOCOW_FL;

long FlagsOf(int fd) {
  long flags = 0;
  return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 ? flags : 0;
}

// For best-effort calls whose failure changes nothing; unlike a cast to
// void it also quiets the compiler's warn_unused_result.
void BestEffort(long) {}

}  // namespace

ErrorCode CreateBeside(const HeldFolder& folder, const std::string& name, File& file, std::string& created) {
#ifdef PELLISTO_TEST_HOOKS
  if (TestWriteHooks().forceInPlace) return EACCES;
#endif
  ErrorCode error = EEXIST;
  for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
    created = "." + name + "." + UniqueSuffix();
    error = folder.Open(created, file, File::Mode::CreateNew);
  }
  return error;
}

namespace {

std::vector<std::string> AttributeNames(int fd) {
  std::vector<std::string> names;
  const ssize_t size = ::flistxattr(fd, nullptr, 0);
  if (size <= 0) return names;
  std::string list(static_cast<std::size_t>(size), '\0');
  const ssize_t n = ::flistxattr(fd, list.data(), list.size());
  if (n <= 0) return names;
  for (std::size_t at = 0; at < static_cast<std::size_t>(n);) {
    const std::size_t end = list.find('\0', at);
    names.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

std::optional<std::string> AttributeValue(int fd, const std::string& name) {
  const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
  if (size < 0) return std::nullopt;
  std::string value(static_cast<std::size_t>(size), '\0');
  const ssize_t n = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
  if (n < 0) return std::nullopt;
  value.resize(static_cast<std::size_t>(n));
  return value;
}

// The extended attributes of from on to, and none that from lacks (a new
// file may take an ACL from its folder's default one). A security label
// this process may not set is left to the system.
bool CopyAttributes(int from, int to) {
  const std::vector<std::string> theirs = AttributeNames(from);
  for (const std::string& name : AttributeNames(to))
    if (std::find(theirs.begin(), theirs.end(), name) == theirs.end() && ::fremovexattr(to, name.c_str()) != 0 &&
        !name.starts_with("security."))
      return false;
  for (const std::string& name : theirs) {
    const std::optional<std::string> value = AttributeValue(from, name);
    if (!value) return false;
    if (::fsetxattr(to, name.c_str(), value->data(), value->size(), 0) == 0) continue;
    if (name.starts_with("security.") && (errno == EPERM || errno == EACCES || errno == ENOTSUP)) continue;
    return false;
  }
  return true;
}

}  // namespace

bool CopyMetadata(const File& from, File& to) {
  const int source = Fd(from.Handle()), fd = Fd(to.Handle());
  struct stat st {};
  if (::fstat(source, &st) != 0) return false;
  // Owner first: changing it clears set-id bits, which fchmod restores. A
  // user who may not give the file its owner and group writes in place.
  if (::fchown(fd, st.st_uid, st.st_gid) != 0) return false;
  const long wanted = FlagsOf(source) & kKeptFlags;
  if ((FlagsOf(fd) & kKeptFlags) != wanted) {
    long flags = (FlagsOf(fd) & ~kKeptFlags) | wanted;
    if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) return false;
  }
  if (!CopyAttributes(source, fd)) return false;
  if (::fchmod(fd, st.st_mode & 07777) != 0) return false;
  // Whatever the calls did, the result must be the file as it was.
  struct stat now {};
  return ::fstat(fd, &now) == 0 && now.st_uid == st.st_uid && now.st_gid == st.st_gid &&
         (now.st_mode & 07777) == (st.st_mode & 07777);
}

void SetNewFilePermissions(File& file) {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  BestEffort(::fchmod(Fd(file.Handle()), 0666 & ~mask));
}

std::shared_ptr<void> QuietFileSizeLimit() {
  struct Saved {
    struct sigaction action {};
  };
  auto saved = std::make_shared<Saved>();
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, &saved->action);
  return std::shared_ptr<void>(saved.get(), [saved](void*) { ::sigaction(SIGXFSZ, &saved->action, nullptr); });
}

bool RenameImpossible(ErrorCode error) { return error == EBUSY || error == EXDEV; }

bool CreateRefused(ErrorCode error) { return error == EACCES || error == EPERM || error == EROFS; }

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
  if (!S_ISREG(st.st_mode)) return WriteAccess::Impossible;
  if ((st.st_mode & 0222) == 0) return WriteAccess::NoWritePermission;
  // The immutable and append-only flags keep root out too.
  File file;
  if (const int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0) {
    file.Adopt(fd);
    if (!file.Facts().readOnlyBecause.empty()) return WriteAccess::NoWritePermission;
  }
  return may(target, W_OK) ? WriteAccess::Allowed : denied(errno);
}

}  // namespace conf::native
