#include "config/FileLock.h"

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "config/AtomicFile.h"

namespace conf {

namespace {
constexpr std::chrono::milliseconds kPoll{10};

std::string LockFolder(const std::string& path) { return FolderOf(LinkTarget(path)); }
int Fd(std::intptr_t handle) { return static_cast<int>(handle); }
}  // namespace

FileLock::FileLock(const std::string& path, std::chrono::milliseconds wait) : locked_(LockFolder(path)) {
  const int fd = ::open(locked_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      handle_ = fd;
      return;
    }
    const int error = errno;
    if (error == EINTR) continue;
    // No locks on this file system (some network mounts), or still held.
    if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      if (error != EWOULDBLOCK) return;
      throw LockTimeout(LockTimeoutMessage(path, wait));
    }
    std::this_thread::sleep_for(kPoll);
  }
}

FileLock::~FileLock() {
  // Closing the folder lets go of the lock.
  if (handle_ >= 0) ::close(Fd(handle_));
}

bool FileLock::Covers(const std::string& path) const { return LockFolder(path) == locked_; }

}  // namespace conf
