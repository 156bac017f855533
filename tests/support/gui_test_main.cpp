// Test main for the window tests: a QApplication on the offscreen platform, so that no
// display is needed.
#include <stdlib.h>

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
