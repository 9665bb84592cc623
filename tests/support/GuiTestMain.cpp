// The main of the GUI test programs: the program's application object on the offscreen
// platform, then every test on the GUI thread.
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/TApplication.h"

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  TApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
