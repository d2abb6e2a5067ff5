#include "config/FileLock.h"

namespace conf {

std::string LockTimeoutMessage(const std::string& path, std::chrono::milliseconds wait) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
  return "Cannot save \"" + path + "\": another Pellisto program is changing it (still after " +
         std::to_string(seconds) + " seconds); nothing was written";
}

}  // namespace conf
