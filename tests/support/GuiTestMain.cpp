// The main of the GUI test programs: a QApplication on the offscreen platform, then every
// test on the GUI thread.
#include <cstdlib>

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
