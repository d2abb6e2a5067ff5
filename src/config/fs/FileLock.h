#pragma once
// The writers' lock: every Pellisto process, the window or pellisto-conf,
// holds it from reading firebird.conf for a change until the file has been
// replaced, so two writers take turns instead of overwriting each other.
// Every writer takes it, in place or by rename, root or not; where it cannot
// be taken the save fails, except on a file system that keeps no locks at
// all (some network mounts), where the check before replacing is the only
// guard.
//
// On POSIX it is an advisory lock (flock) on the folder that holds the file,
// after following symlinks: the folder outlives the rename that replaces the
// file, and it can be opened without the right to write in it. A folder that
// not every user may open for reading (mode 0711, say) is locked through a
// file of its own instead, /run/lock/pellisto-<device>-<inode>.lock (named
// after the folder's identity, so every path to it finds the same lock),
// which every user can open. The choice depends on the folder's mode alone,
// so that root and every other user always take the same lock.
//
// Windows locks are mandatory, and one on firebird.conf itself would stop the
// server reading it, so there it is a byte locked with LockFileEx in a lock
// file of the machine's own, %ProgramData%\Pellisto\Locks\<name>.<hash of the
// full path>.lock, which every user can open.
//
// Programs other than Pellisto do not take it; the check before replacing
// (SaveTarget.h) covers them.

#include <chrono>
#include <cstdint>
#include <string>

#include "config/fs/AtomicFile.h"

namespace conf {

namespace native {
class HeldFolder;
}

// Raised when another process still holds the lock after the wait.
class LockTimeout : public FileError {
 public:
  using FileError::FileError;
};

// One try of a platform's non-blocking lock call on an open handle (error:
// the system's code of a failure).
enum class LockTry { Taken, Held, NoLocks, Failed };
struct LockCalls {
  LockTry (*tryOnce)(std::intptr_t handle, int& error);
  void (*close)(std::intptr_t handle);
};
// Tries again every few milliseconds while another holder has the lock; true
// once taken, false where the file system keeps no locks. When the wait is
// over it throws LockTimeout naming path; when the lock call fails, FileError.
// The handle is closed unless the lock was taken.
bool TakeLock(const std::string& path, std::chrono::milliseconds wait, const LockCalls& calls,
              std::intptr_t handle);

class FileLock {
 public:
  static constexpr std::chrono::milliseconds kWait{5000};

  // Takes the lock for the file at path, waiting up to wait for another
  // holder to let go; throws LockTimeout naming the file when it does not,
  // and FileError when the lock cannot be taken at all.
  explicit FileLock(const std::string& path, std::chrono::milliseconds wait = kWait);
  // The same for a file in a folder already held open.
  FileLock(const native::HeldFolder& folder, const std::string& file, std::chrono::milliseconds wait);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // False only where the file system keeps no locks.
  bool Held() const { return handle_ != -1; }

 private:
  void Take(const native::HeldFolder& folder, const std::string& file, std::chrono::milliseconds wait);
  std::intptr_t handle_ = -1;  // open while the lock is held
};

}  // namespace conf
