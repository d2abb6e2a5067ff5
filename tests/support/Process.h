#pragma once
// A program run as a child process, as scripts and other programs run it:
// its standard output and error go into files, read once it has ended.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"

struct ProcessOptions {
  // Variables set to a value, or removed (no value), for the child.
  std::vector<std::pair<std::string, std::optional<std::string>>> environment;
  // POSIX, run as root: give up root first, so that file permissions apply
  // (the child exits 125 when it cannot).
  bool asNobody = false;
};

class Process {
 public:
  Process(const std::string& program, const std::vector<std::string>& args, const ProcessOptions& options = {});
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Started() const { return handle_ != -1; }
  // Its exit status once it ended; -1 when it did not end normally or
  // never started.
  int Wait();
  // Whether it printed text on its standard output within the time.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(30));
  std::string Out() const;
  std::string Err() const;

 private:
  TempDir io_;
  std::intptr_t handle_ = -1;  // a process id, or a HANDLE on Windows
  std::optional<int> code_;
};

// A program of the test suite that does, in a process of its own, what a
// test needs another process to do (test_child.cpp).
std::string TestChild();
