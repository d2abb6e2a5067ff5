#pragma once
// The writers' lock: every Pellisto process, the window or pellisto-conf,
// holds it from reading firebird.conf for a change until the file has been
// replaced, so two writers take turns instead of overwriting each other.
//
// On POSIX it is an advisory lock (flock) on the folder that holds the file,
// after following symlinks: the folder outlives the rename that replaces the
// file, it can be opened without the right to write in it, and every user's
// processes see the same lock. Windows locks are mandatory, and one on
// firebird.conf itself would stop the server reading it, so there it is a
// byte locked with LockFileEx in a lock file of the machine's own, %ProgramData%\Pellisto\Locks\<name>.<hash of the full path>.lock,
// which every user can open. Programs other than Pellisto do not take it;
// the check before replacing (TVantrel::Save) covers them.

#include <chrono>
#include <cstdint>
#include <string>

#include "config/AtomicFile.h"

namespace conf {

// Raised when another process still holds the lock after the wait.
class LockTimeout : public FileError {
 public:
  using FileError::FileError;
};

// One try of a platform's non-blocking lock call on an open handle.
enum class LockTry { Taken, Held, NoLocks };
struct LockCalls {
  LockTry (*tryOnce)(std::intptr_t handle);
  void (*close)(std::intptr_t handle);
};
// Tries again every few milliseconds while another holder has the lock; true
// once taken. Where the file system keeps no locks, and when the wait is over
// (throwing LockTimeout naming path), it closes the handle.
bool TakeLock(const std::string& path, std::chrono::milliseconds wait, const LockCalls& calls,
              std::intptr_t handle);

class FileLock {
 public:
  static constexpr std::chrono::milliseconds kWait{5000};

  // Takes the lock for the file at path, waiting up to wait for another
  // holder to let go; throws LockTimeout naming the file when it does not.
  // Where the folder (the lock file) cannot be opened or its file system
  // keeps no locks, the lock is not held and the write goes on (it reports
  // its own errors).
  explicit FileLock(const std::string& path, std::chrono::milliseconds wait = kWait);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Whether this lock is the one that a write of path needs.
  bool Covers(const std::string& path) const;

 private:
  // What is locked: the folder, or the lock file on Windows.
  std::string locked_;
  std::intptr_t handle_ = -1;  // open while the lock is held
};

}  // namespace conf
