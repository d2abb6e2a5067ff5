#pragma once
// A crash in the middle of an in-place write of firebird.conf, made real: a
// child process saves a change through the in-place path and ends abruptly
// right after the first part of the new text reached the file.

#include <cstdlib>
#include <string>
#include <string_view>

#include <sys/wait.h>
#include <unistd.h>

#include "config/AtomicFile.h"
#include "config/TVantrel.h"

// Changes TempBlockSize to 2 in <folder>firebird.conf, keeping the copy of the
// old file under stateHome; true when the child stopped as planned, after the
// first 32 bytes of the new text.
inline bool InterruptInPlaceSave(const std::string& folder, const std::string& stateHome) {
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
    conf::WriteHooks& hooks = conf::TestWriteHooks();
    hooks.forceInPlace = true;
    hooks.inPlacePart = 32;
    hooks.step = [](std::string_view step) {
      if (step == "part written") _exit(42);
    };
    try {
      TVantrel doc;
      doc.Load(folder);
      doc.SetTempBlockSize("2");
      doc.Save(folder);
    } catch (...) {
    }
    _exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 42;
}
