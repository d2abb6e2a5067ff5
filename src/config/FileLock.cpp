#include "config/FileLock.h"

#include <thread>

namespace conf {

bool TakeLock(const std::string& path, std::chrono::milliseconds wait, const LockCalls& calls,
              std::intptr_t handle) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    switch (calls.tryOnce(handle)) {
      case LockTry::Taken:
        return true;
      case LockTry::NoLocks:
        calls.close(handle);
        return false;
      case LockTry::Held:
        break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      calls.close(handle);
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
      throw LockTimeout("Cannot save \"" + path +
                        "\": another Pellisto program is changing it (still after " +
                        std::to_string(seconds) + " seconds); nothing was written");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace conf
