// One offscreen application for every widget test, with a state folder of
// its own.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/PellistoApplication.h"
#include "support/TempDir.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Copies kept by in-place writes, and those a start reports, stay out of
  // the real user's state folder.
  const TempDir state;
  setenv("XDG_STATE_HOME", state.path().c_str(), 1);
  PellistoApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
