// pellisto-save-helper: run through pkexec by the window (SaveHelper.h).

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include <pwd.h>
#include <syslog.h>
#include <unistd.h>

#include "helper/SaveHelper.h"

namespace {

// The user pkexec says asked, else the one running this program.
std::string Requester() {
  const char* given = std::getenv("PKEXEC_UID");
  uid_t uid = ::getuid();
  if (given && *given) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(given, &end, 10);
    if (*end == '\0') uid = static_cast<uid_t>(value);
  }
  const passwd* user = ::getpwuid(uid);
  return (user ? std::string(user->pw_name) + " " : std::string()) + "(uid " + std::to_string(uid) + ")";
}

}  // namespace

int main(int argc, char** argv) {
  // A window that went away meanwhile does not stop a save halfway.
  std::signal(SIGPIPE, SIG_IGN);
  const helper::Result result = helper::Save({argv + 1, argv + argc});
  ::openlog("pellisto-save-helper", LOG_PID, LOG_AUTHPRIV);
  ::syslog(result.outcome == helper::Outcome::Saved ? LOG_NOTICE : LOG_WARNING, "%s",
           helper::LogLine(Requester(), result).c_str());
  ::closelog();
  std::cout << helper::OutcomeWord(result.outcome) << "\n";
  if (!result.message.empty()) std::cout << result.message << "\n";
  std::cout.flush();
  return static_cast<int>(result.outcome);
}
