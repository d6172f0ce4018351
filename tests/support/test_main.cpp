// Shared main of every test executable: a QApplication on the offscreen platform, so
// widgets, fonts and clipboards work without a display, and a state folder of its own,
// so that no test reads or writes the journals of the user running the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/TempDir.h"

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testsupport::TempDir state;
  ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
