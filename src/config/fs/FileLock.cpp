#include "config/fs/FileLock.h"

#include <thread>

#include "config/fs/NativeFile.h"
#include "config/fs/WriteHooks.h"

namespace conf {

namespace {

std::chrono::steady_clock::time_point Now() {
#ifdef PELLISTO_TEST_HOOKS
  if (const auto& clock = TestWriteHooks().clock) return clock();
#endif
  return std::chrono::steady_clock::now();
}

void Pause(std::chrono::milliseconds pause) {
#ifdef PELLISTO_TEST_HOOKS
  if (const auto& hook = TestWriteHooks().pause) return hook(pause);
#endif
  std::this_thread::sleep_for(pause);
}

}  // namespace

bool TakeLock(const std::string& path, std::chrono::milliseconds wait, const LockCalls& calls,
              std::intptr_t handle) {
  const auto deadline = Now() + wait;
  for (;;) {
    int error = 0;
    switch (calls.tryOnce(handle, error)) {
      case LockTry::Taken:
        return true;
      case LockTry::NoLocks:
        calls.close(handle);
        return false;
      case LockTry::Failed:
        calls.close(handle);
        throw FileError("Cannot save \"" + path + "\": the lock that keeps two writers apart cannot be taken (" +
                        native::ErrorText(error) + "); nothing was written");
      case LockTry::Held:
        break;
    }
    if (Now() >= deadline) {
      calls.close(handle);
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
      throw LockTimeout("Cannot save \"" + path +
                        "\": another Pellisto program is changing it (still after " +
                        std::to_string(seconds) + " seconds); nothing was written");
    }
    Pause(std::chrono::milliseconds(10));
  }
}

FileLock::FileLock(const std::string& path, std::chrono::milliseconds wait) {
  native::Location location;
  try {
    location = native::Locate(path, false);
  } catch (const native::Failure& failure) {
    throw FileError("Cannot save \"" + path + "\": " + failure.reason + "; nothing was written");
  }
  Take(location.folder, location.target, wait);
}

FileLock::FileLock(const native::HeldFolder& folder, const std::string& file, std::chrono::milliseconds wait) {
  Take(folder, file, wait);
}

}  // namespace conf
