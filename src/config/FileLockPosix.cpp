#include "config/FileLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "config/AtomicFile.h"

namespace conf {

namespace {
std::string LockFolder(const std::string& path) { return FolderOf(LinkTarget(path)); }
int Fd(std::intptr_t handle) { return static_cast<int>(handle); }
}  // namespace

FileLock::FileLock(const std::string& path, std::chrono::milliseconds wait) : locked_(LockFolder(path)) {
  const int fd = ::open(locked_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  static constexpr LockCalls kCalls{[](std::intptr_t handle) {
                                      for (;;) {
                                        if (::flock(Fd(handle), LOCK_EX | LOCK_NB) == 0)
                                          return LockTry::Taken;
                                        if (errno != EINTR) break;
                                      }
                                      // Else no locks on this file system (some network mounts).
                                      return errno == EWOULDBLOCK ? LockTry::Held : LockTry::NoLocks;
                                    },
                                    [](std::intptr_t handle) { ::close(Fd(handle)); }};
  if (TakeLock(path, wait, kCalls, fd)) handle_ = fd;
}

FileLock::~FileLock() {
  // Closing the folder lets go of the lock.
  if (handle_ >= 0) ::close(Fd(handle_));
}

bool FileLock::Covers(const std::string& path) const { return LockFolder(path) == locked_; }

}  // namespace conf
