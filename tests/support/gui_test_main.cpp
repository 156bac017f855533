// Test main for the window tests: a QApplication on the offscreen platform, so that no
// display is needed.
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Theme files are looked for in the Windows folder too: the tests' own, empty unless a
  // test puts one there.
  char windowsFolder[] = "/tmp/quorbit-windows-XXXXXX";
  const bool ownWindowsFolder = !getenv("QUORBIT_WINDOWS_DIR") && mkdtemp(windowsFolder);
  if (ownWindowsFolder) setenv("QUORBIT_WINDOWS_DIR", windowsFolder, 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  if (ownWindowsFolder) rmdir(windowsFolder);
  return result;
}
