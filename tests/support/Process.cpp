#include "support/Process.h"

#include <thread>

bool Process::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (Out().find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::string Process::Out() const { return FileExists(io_.file("out")) ? ReadFileBytes(io_.file("out")) : ""; }
std::string Process::Err() const { return FileExists(io_.file("err")) ? ReadFileBytes(io_.file("err")) : ""; }

std::string TestChild() { return PELLISTO_TEST_CHILD; }
