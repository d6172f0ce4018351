#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "app/SettingsLocation.h"
#include "tests/support/TempDir.h"

using testsupport::TempDir;

TEST(SettingsLocation, PortableCopiesKeepTheFileBesideTheProgram) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() + "cfg/tesmarin");
  dir.Write("cfg/tesmarin/Tesmarin.ini", "");
  const SettingsFiles files = LocateSettings({"/opt/t/", true, dir.path() + "cfg", "/home/u"});
  EXPECT_EQ(files.read, "/opt/t/Tesmarin.ini") << "a user file does not take over a portable copy";
  EXPECT_EQ(files.write, "/opt/t/Tesmarin.ini");
}

TEST(SettingsLocation, InstalledCopiesUseTheUsersConfigurationFolder) {
  TempDir dir;
  const std::string config = dir.path() + "cfg";
  struct Case {
    SettingsEnvironment environment;
    bool userFileExists;
    std::string read, write;
  } cases[] = {
      {{"/usr/lib/t/", false, config, "/home/u"}, false, "/usr/lib/t/Tesmarin.ini", config + "/tesmarin/Tesmarin.ini"},
      {{"/usr/lib/t/", false, config + "/", "/home/u"}, true, config + "/tesmarin/Tesmarin.ini",
       config + "/tesmarin/Tesmarin.ini"},
      // An empty or relative XDG_CONFIG_HOME means ~/.config.
      {{"/usr/lib/t/", false, "", dir.path() + "home"}, false, "/usr/lib/t/Tesmarin.ini",
       dir.path() + "home/.config/tesmarin/Tesmarin.ini"},
      {{"/usr/lib/t/", false, "rel/cfg", dir.path() + "home"}, false, "/usr/lib/t/Tesmarin.ini",
       dir.path() + "home/.config/tesmarin/Tesmarin.ini"},
      // Nowhere to write.
      {{"/usr/lib/t/", false, "", ""}, false, "/usr/lib/t/Tesmarin.ini", ""},
  };
  for (const auto& c : cases) {
    if (c.userFileExists) {
      std::filesystem::create_directories(config + "/tesmarin");
      dir.Write("cfg/tesmarin/Tesmarin.ini", "[SET]\r\n");
    }
    const SettingsFiles files = LocateSettings(c.environment);
    EXPECT_EQ(files.read, c.read) << c.environment.xdgConfigHome;
    EXPECT_EQ(files.write, c.write) << c.environment.xdgConfigHome;
  }
}

TEST(SettingsLocation, TheFolderIsMadePrivate) {
  TempDir dir;
  const std::string file = dir.path() + "home/.config/tesmarin/Tesmarin.ini";
  ASSERT_TRUE(MakeSettingsFolder(file));
  struct stat st {};
  ASSERT_EQ(::stat((dir.path() + "home/.config/tesmarin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(MakeSettingsFolder(file)) << "an existing folder is fine";
  dir.Write("plain", "x");
  EXPECT_FALSE(MakeSettingsFolder(dir.path() + "plain/sub/Tesmarin.ini"));
}
