// The program's two windows made as the program entry makes them, for tests that drive
// the main window. The settings file beside the test program is removed before the
// windows are made and after they are gone, so every test starts as a first run.
#pragma once

#include <memory>
#include <string>

#include "app/MainWindow1.h"
#include "app/ProgressWindow1.h"

namespace testsupport {

class AppWindows {
 public:
  AppWindows();
  ~AppWindows();
  AppWindows(const AppWindows&) = delete;
  AppWindows& operator=(const AppWindows&) = delete;

  static std::string SettingsPath();

  std::unique_ptr<TProgressForm1> progress;
  std::unique_ptr<TMainForm1> form;
};

}  // namespace testsupport
