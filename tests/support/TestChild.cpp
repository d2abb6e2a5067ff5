// Does, in a process of its own, what a test needs another process to do,
// and prints "ready" once it holds what it was asked to hold:
//
//   test_child hold-lock FILE RELEASE  holds the writers' lock of FILE until
//                                      the file RELEASE exists
//   test_child hold-open FILE RELEASE  holds FILE open, as a reader that lets
//                                      nobody delete or replace it, until
//                                      RELEASE exists
//   test_child interrupt-save FOLDER   saves a change of FOLDER's
//                                      firebird.conf in place and ends
//                                      abruptly (exit 42) once the first 32
//                                      bytes of the new text are written
//
// Started with PELLISTO_RECORD_ARGUMENTS=FILE in its environment, it stands
// in for a program that others start (a text editor): it writes the number
// of its arguments and each of them, a line each, into FILE, and ends.

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "config/base/Utf16.h"
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "config/fs/AtomicFile.h"
#include "config/fs/FileLock.h"
#include "config/fs/WriteHooks.h"
#include "config/document/TVantrel.h"
#include "config/base/Utf8Path.h"
#include "support/TempDir.h"

namespace {

void Ready() { std::cout << "ready" << std::endl; }

// At most a minute, so that a test that failed before releasing leaves
// nothing behind for long.
void WaitFor(const std::string& release) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!FileExists(release) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

int HoldOpen(const std::string& file, const std::string& release) {
#ifdef _WIN32
  // As a program that reads its configuration with the C runtime does.
  const HANDLE handle = CreateFileW(conf::PathFromUtf8(file).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 1;
  Ready();
  WaitFor(release);
  CloseHandle(handle);
  return 0;
#else
  (void)file;
  (void)release;
  return 2;  // nothing stops a rename on POSIX
#endif
}

int InterruptSave(const std::string& folder) {
  conf::WriteHooks& hooks = conf::TestWriteHooks();
  hooks.forceInPlace = true;
  hooks.inPlacePart = 32;
  hooks.step = [](std::string_view step) {
    if (step == "part written") std::_Exit(42);
  };
  try {
    TVantrel doc;
    doc.Load(folder);
    doc.SetTempBlockSize("2");
    doc.Save(folder);
  } catch (...) {
  }
  return 1;
}

// The arguments as the program's text: UTF-8 on Windows, whatever the code
// page.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(conf::Narrow(wide[i]));
  LocalFree(wide);
  return args;
#else
  return {argv, argv + argc};
#endif
}

}  // namespace

// FILE appears whole, once every line is in it.
int RecordArguments(const std::string& file, const std::vector<std::string>& args) {
  std::string lines = std::to_string(args.size() - 1) + "\n";
  for (std::size_t i = 1; i < args.size(); ++i) lines += args[i] + "\n";
  WriteFileBytes(file + ".part", lines);
  std::error_code error;
  std::filesystem::rename(conf::PathFromUtf8(file + ".part"), conf::PathFromUtf8(file), error);
  return error ? 1 : 0;
}

int main(int argc, char** argv) {
  const std::vector<std::string> args = Arguments(argc, argv);
  if (const char* record = std::getenv("PELLISTO_RECORD_ARGUMENTS"); record && *record)
    return RecordArguments(record, args);
  const std::string command = args.size() > 1 ? args[1] : "";
  if (command == "hold-lock" && args.size() == 4) {
    conf::FileLock lock(args[2]);
    Ready();
    WaitFor(args[3]);
    return 0;
  }
  if (command == "hold-open" && args.size() == 4) return HoldOpen(args[2], args[3]);
  if (command == "interrupt-save" && args.size() == 3) return InterruptSave(args[2]);
  std::cerr << "usage: test_child hold-lock FILE RELEASE | hold-open FILE RELEASE | interrupt-save FOLDER\n";
  return 2;
}
