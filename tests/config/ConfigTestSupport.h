#pragma once
// Helpers shared by the document tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/format/ConfReading.h"
#include "config/fs/AtomicFile.h"
#include "config/fs/WriteHooks.h"
#include "config/document/TVantrel.h"
#include "config/base/Utf8Path.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

// "line: message" for each finding check makes on the text, read as v reads it.
inline std::vector<std::string> Findings(const std::string& text, ServerVersion v) {
  std::vector<std::string> lines;
  for (const ConfFinding& f : CheckConf(ReadConf(text, "/nowhere/firebird.conf", v)))
    lines.push_back(std::to_string(f.line) + ": " + f.message);
  return lines;
}

// The document's file in a test folder.
inline std::string ConfIn(const TempDir& dir) { return dir.file("firebird.conf"); }

// The names in a folder, sorted.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(conf::PathFromUtf8(folder)))
    names.push_back(conf::Utf8Of(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

// Saves and returns the error text, or "" when the save went through.
inline std::string SaveError(TVantrel& doc, const std::string& folder) {
  try {
    doc.Save(folder);
    return {};
  } catch (const FileError& e) {
    return e.what();
  }
}

// A test folder, and a state folder of the test's own for the copies of
// in-place writes; the writer's seams (in the suites built with them) are
// reset afterwards.
class WriterTest : public ::testing::Test {
 protected:
  WriterTest() { SetVariable(kStateVariable, state.path()); }
  ~WriterTest() override {
    UnsetVariable(kStateVariable);
#ifdef PELLISTO_TEST_HOOKS
    conf::TestWriteHooks() = {};
#endif
  }

  TempDir dir, state;
};

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
