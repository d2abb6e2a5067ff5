// One offscreen application for every widget test, with a state folder of
// its own.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <process.h>
#endif

#include "app/PellistoApplication.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

int main(int argc, char** argv) {
  // A screen of 1600 x 1000, where the window fits at the designed size;
  // QT_SCALE_FACTOR shrinks the room it leaves.
  const TempDir screen;
#ifdef _WIN32
  // Qt splits the platform's arguments at colons, and a full Windows path
  // has one after its drive: the file is named from the current folder.
  const std::string screenFile = "pellisto-screen-" + std::to_string(_getpid()) + ".json";
#else
  const std::string screenFile = screen.file("screen.json");
#endif
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!platform || std::string(platform) == "offscreen") {
    WriteFileBytes(screenFile,
                   R"({"screens": [{"name": "Screen", "x": 0, "y": 0, "width": 1600, "height": 1000,)"
                   R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    SetVariable("QT_QPA_PLATFORM", "offscreen:configfile=" + screenFile);
  }
  // Copies kept by in-place writes, and those a start reports, stay out of
  // the real user's state folder.
  const TempDir state;
  SetVariable(kStateVariable, state.path());
  PellistoApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
#ifdef _WIN32
  std::remove(screenFile.c_str());
#endif
  return status;
}
