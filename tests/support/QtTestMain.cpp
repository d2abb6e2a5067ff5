// One offscreen application for every widget test, with a state folder of
// its own.

#include <gtest/gtest.h>

#include <QtGlobal>

#include "app/PellistoApplication.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Copies kept by in-place writes, and those a start reports, stay out of
  // the real user's state folder.
  const TempDir state;
  SetVariable(kStateVariable, state.path());
  PellistoApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
