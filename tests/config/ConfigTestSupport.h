#pragma once
// Helpers shared by the document tests.

#include <optional>
#include <string>

#include "config/TVantrel.h"
#include "support/TempDir.h"

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

// The document's file in a test folder.
inline std::string ConfIn(const TempDir& dir) { return dir.file("firebird.conf"); }

#ifndef _WIN32

// Runs fn in a child process that has given up root, so that file permissions
// apply to it. Returns the text fn produced, or nothing when the child could
// not drop its privileges (no such user, no right to change user).
template <class F>
std::optional<std::string> RunAsNobody(F fn) {
  const passwd* nobody = getpwnam("nobody");
  if (!nobody) return std::nullopt;
  uid_t uid = nobody->pw_uid;
  gid_t gid = nobody->pw_gid;
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string out = "\x01";  // marks "could not drop privileges"
    if (setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0) out = fn();
    ssize_t ignored = write(fds[1], out.data(), out.size());
    (void)ignored;
    _exit(0);
  }
  close(fds[1]);
  std::string out;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (out == "\x01") return std::nullopt;
  return out;
}
#endif
