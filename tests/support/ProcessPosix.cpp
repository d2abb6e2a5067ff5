#include "support/Process.h"

#include <cstdio>
#include <cstdlib>

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

Process::Process(const std::string& program, const std::vector<std::string>& args,
                 const ProcessOptions& options) {
  const std::string outPath = io_.file("out"), errPath = io_.file("err");
  const passwd* nobody = options.asNobody ? getpwnam("nobody") : nullptr;
  if (options.asNobody && !nobody) return;
  const pid_t pid = fork();
  if (pid < 0) return;
  if (pid == 0) {
    if (!freopen(outPath.c_str(), "w", stdout) || !freopen(errPath.c_str(), "w", stderr)) _exit(126);
    for (const auto& [name, value] : options.environment) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    if (nobody && (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0))
      _exit(125);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  handle_ = pid;
}

Process::~Process() { Wait(); }

int Process::Wait() {
  if (code_) return *code_;
  if (!Started()) return -1;
  int status = 0;
  waitpid(static_cast<pid_t>(handle_), &status, 0);
  code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return *code_;
}
