#include "tests/app/AppWindows.h"

#include <filesystem>

#include "platform/modules.h"

namespace testsupport {

AppWindows::AppWindows() {
  std::error_code ec;
  std::filesystem::remove_all(SettingsPath(), ec);
  progress = std::make_unique<TProgressForm1>();
  ProgressForm1 = progress.get();
  form = std::make_unique<TMainForm1>();
  MainForm1 = form.get();
}

AppWindows::~AppWindows() {
  form.reset();
  progress.reset();
  MainForm1 = nullptr;
  ProgressForm1 = nullptr;
  std::error_code ec;
  std::filesystem::remove_all(SettingsPath(), ec);
}

std::string AppWindows::SettingsPath() { return platform::ExecutableDir() + "Tesmarin.ini"; }

}  // namespace testsupport
