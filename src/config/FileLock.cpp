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
}  // namespace

FileLock::FileLock(const std::string& path, std::chrono::milliseconds wait)
    : folder_(LockFolder(path)) {
  fd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK) {
      // No locks on this file system (some network mounts).
      ::close(fd_);
      fd_ = -1;
      return;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      ::close(fd_);
      fd_ = -1;
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
      throw LockTimeout("Cannot save \"" + path + "\": another Pellisto program is changing it (still after " +
                        std::to_string(seconds) + " seconds); nothing was written");
    }
    std::this_thread::sleep_for(kPoll);
  }
}

FileLock::~FileLock() {
  // Closing the folder lets go of the lock.
  if (fd_ >= 0) ::close(fd_);
}

bool FileLock::Covers(const std::string& path) const { return LockFolder(path) == folder_; }

}  // namespace conf
