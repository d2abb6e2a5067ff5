#include "config/fs/FileLock.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/fs/NativeFile.h"

namespace conf {

namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

[[noreturn]] void CannotLock(const std::string& file, const std::string& reason) {
  throw FileError("Cannot save \"" + file + "\": the lock that keeps two writers apart cannot be taken (" +
                  reason + "); nothing was written");
}

// The folder of lock files every user can reach: /run/lock, else /tmp
// where a system has none. Both are the machine's own, so every process
// picks the same one.
int OpenLockFolder(std::string& path) {
  for (const char* folder : {"/run/lock/", "/tmp/"}) {
    path = folder;
    if (const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) return fd;
  }
  return -1;
}

// The lock file of a folder that not everyone may open: opened without
// creating when it is there (in a sticky folder another user's file may not
// be opened with O_CREAT), made exclusively when not, never through a link
// and never waiting on a pipe someone put in its place.
int OpenLockFile(const native::HeldFolder& folder, const std::string& file) {
  char name[64];
  std::snprintf(name, sizeof name, "pellisto-%" PRIx64 "-%" PRIu64 ".lock", folder.Id().device, folder.Id().index);
  std::string path;
  const int locks = OpenLockFolder(path);
  if (locks < 0) CannotLock(file, "no folder for lock files: " + native::ErrorText(errno));
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 10; ++attempt) {
    fd = ::openat(locks, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) break;
    fd = ::openat(locks, name, O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    // Readable by everyone whatever the umask: they lock it too.
    if (fd >= 0) ::fchmod(fd, 0644);
    else if (errno != EEXIST) break;
  }
  const int error = errno;
  ::close(locks);
  path += name;
  if (fd < 0) CannotLock(file, path + ": " + native::ErrorText(error));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    CannotLock(file, path + " is not a regular file");
  }
  return fd;
}

}  // namespace

void FileLock::Take(const native::HeldFolder& folder, const std::string& file, std::chrono::milliseconds wait) {
  int fd = -1;
  if (folder.ReadableByAll()) {
    fd = ::openat(Fd(folder.Handle()), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) CannotLock(file, folder.Path() + ": " + native::ErrorText(errno));
  } else {
    fd = OpenLockFile(folder, file);
  }
  static constexpr LockCalls kCalls{[](std::intptr_t handle, int& error) {
                                      for (;;) {
                                        error = native::InjectedFault("lock");
                                        if (!error && ::flock(Fd(handle), LOCK_EX | LOCK_NB) == 0)
                                          return LockTry::Taken;
                                        if (!error) error = errno;
                                        if (error != EINTR) break;
                                      }
                                      if (error == EWOULDBLOCK) return LockTry::Held;
                                      // Some network mounts keep no locks at all.
                                      if (error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS)
                                        return LockTry::NoLocks;
                                      return LockTry::Failed;
                                    },
                                    [](std::intptr_t handle) { ::close(Fd(handle)); }};
  if (TakeLock(file, wait, kCalls, fd)) handle_ = fd;
}

FileLock::~FileLock() {
  // Closing the folder or the lock file lets go of the lock.
  if (handle_ >= 0) ::close(Fd(handle_));
}

}  // namespace conf
