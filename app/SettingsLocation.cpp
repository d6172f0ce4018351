#include "app/SettingsLocation.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/files.h"
#include "platform/modules.h"

namespace {

constexpr const char* kFileName = "Tesmarin.ini";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

SettingsEnvironment CurrentSettingsEnvironment() {
  SettingsEnvironment environment;
  environment.programDir = platform::ExecutableDir();
  environment.programDirWritable = !environment.programDir.empty() && ::access(environment.programDir.c_str(), W_OK) == 0;
  environment.xdgConfigHome = Env("XDG_CONFIG_HOME");
  environment.home = Env("HOME");
  return environment;
}

SettingsFiles LocateSettings(const SettingsEnvironment& environment) {
  const std::string beside = environment.programDir + kFileName;
  if (environment.programDirWritable) return {beside, beside};
  // As the XDG base directory rules say, a relative configuration folder is ignored.
  std::string config = environment.xdgConfigHome;
  if (config.empty() || config.front() != '/') config = environment.home.empty() ? "" : environment.home + "/.config";
  if (config.empty()) return {beside, ""};
  if (config.back() != '/') config += '/';
  const std::string user = config + "tesmarin/" + kFileName;
  return {platform::FileExists(user) ? user : beside, user};
}

bool MakeSettingsFolder(const std::string& settingsFile) {
  const std::filesystem::path folder = std::filesystem::path(settingsFile).parent_path();
  std::error_code ec;
  if (std::filesystem::is_directory(folder, ec)) return true;
  for (std::filesystem::path made; const auto& part : folder) {
    made /= part;
    if (std::filesystem::is_directory(made, ec)) continue;
    if (!std::filesystem::create_directory(made, ec)) return false;
    std::filesystem::permissions(made, std::filesystem::perms::owner_all, ec);
  }
  return true;
}
