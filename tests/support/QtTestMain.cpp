// One offscreen application for every widget test.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/PellistoApplication.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  PellistoApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
