// Asks the installed Firebird client library (libfbclient.so.2) for the
// folders of its build. The library reads its own configuration when asked,
// which can be anything (a pipe, a huge file), so the question is asked in a
// child process that is stopped when it does not answer in time; the
// program itself never loads the library.

#include "config/firebird/BuildFolders.h"

#if __has_include(<firebird/Interface.h>)
#define PELLISTO_ASKS_CLIENT_LIBRARY 1
#include <firebird/Interface.h>
#endif

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <sstream>

namespace {

#ifdef PELLISTO_ASKS_CLIENT_LIBRARY

constexpr auto kAnswerTime = std::chrono::seconds(3);

// In the child: the answer as lines, version first. Nothing but this and
// _exit runs there.
std::string AnswerInChild() {
  void* library = ::dlopen("libfbclient.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!library) return {};
  auto master = reinterpret_cast<Firebird::IMaster* (*)()>(::dlsym(library, "fb_get_master_interface"));
  auto build = reinterpret_cast<void (*)(char*)>(::dlsym(library, "isc_get_client_version"));
  if (!master || !build) return {};
  char version[128] = {};
  build(version);  // "LI-V6.3.11.33637 Firebird 3.0"
  std::string text = version;
  const std::size_t at = text.rfind("Firebird ");
  if (at == std::string::npos) return {};
  std::string answer = text.substr(at + 9) + "\n";
  Firebird::IConfigManager* config = master()->getConfigManager();
  using C = Firebird::IConfigManager;
  auto line = [&](const char* folder) { answer += std::string(folder ? folder : "") + "\n"; };
  line(config->getRootDirectory());
  line(config->getInstallDirectory());
  for (unsigned code : {C::DIR_CONF, C::DIR_SECDB, C::DIR_PLUGINS, C::DIR_UDF, C::DIR_SAMPLE, C::DIR_SAMPLEDB,
                        C::DIR_INTL, C::DIR_MSG})
    line(config->getDirectory(code));
  return answer;
}

// In the child: writes the answer to fd and ends.
[[noreturn]] void AnswerAndExit(int fd) {
  // The service runs the server without FIREBIRD, which would move its root.
  ::unsetenv("FIREBIRD");
  const int null = ::open("/dev/null", O_RDWR);
  for (int std : {0, 1, 2}) ::dup2(null, std);
  const std::string answer = AnswerInChild();
  const char* data = answer.data();
  std::size_t left = answer.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n <= 0) break;
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  ::_exit(0);
}

// The child's whole answer, or nothing when it does not come in time (the
// child is then stopped).
std::optional<std::string> ReadAnswer(int fd, pid_t child) {
  std::string answer;
  const auto deadline = std::chrono::steady_clock::now() + kAnswerTime;
  bool whole = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) {
      whole = n == 0;
      break;
    }
    answer.append(buffer, static_cast<std::size_t>(n));
    if (answer.size() > 64 * 1024) break;
  }
  if (!whole) ::kill(child, SIGKILL);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!whole) return std::nullopt;
  return answer;
}

std::optional<ClientLibraryAnswer> Ask() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  const pid_t pid = ::fork();
  if (pid == 0) AnswerAndExit(fds[1]);
  ::close(fds[1]);
  const std::optional<std::string> answer = pid < 0 ? std::nullopt : ReadAnswer(fds[0], pid);
  ::close(fds[0]);
  if (!answer) return std::nullopt;
  std::istringstream lines(*answer);
  ClientLibraryAnswer a;
  if (!std::getline(lines, a.version) || a.version.empty()) return std::nullopt;
  for (std::string& folder : a.folders)
    if (!std::getline(lines, folder)) return std::nullopt;
  return a;
}

#else

std::optional<ClientLibraryAnswer> Ask() { return std::nullopt; }

#endif

}  // namespace

const std::optional<ClientLibraryAnswer>& AskClientLibrary() {
  static std::once_flag once;
  static std::optional<ClientLibraryAnswer> answer;
  std::call_once(once, [] { answer = Ask(); });
  return answer;
}
