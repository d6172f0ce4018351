#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/modules.h"
#include "tests/support/TempDir.h"

TEST(Modules, MapsDllToSo) {
  EXPECT_EQ(platform::MapLibraryName("Zq7Com.DLL"), "Zq7Com.so");
  EXPECT_EQ(platform::MapLibraryName("Zq7Com.dll"), "Zq7Com.so");
  EXPECT_EQ(platform::MapLibraryName("/x/y/Lib.Dll"), "/x/y/Lib.so");
  EXPECT_EQ(platform::MapLibraryName("libz.so.1"), "libz.so.1");
}

TEST(Modules, FindsLibraryBesideExecutableFromAnotherFolder) {
  testsupport::TempDir elsewhere;
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.path());
  HMODULE h = LoadLibraryA("ModulesProbe.DLL");
  std::filesystem::current_path(old);
  ASSERT_NE(h, nullptr);
  using Fn = int (*)();
  auto fn = reinterpret_cast<Fn>(GetProcAddress(h, "ModulesProbeAnswer"));
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(fn(), 42);
  EXPECT_EQ(GetProcAddress(h, "NoSuchEntry"), nullptr);

  char name[4096];
  const DWORD n = GetModuleFileNameA(h, name, sizeof name);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::string(name), platform::ExecutableDir() + "ModulesProbe.so");
  EXPECT_EQ(FreeLibrary(h), TRUE);
}

TEST(Modules, FailuresGiveNull) {
  EXPECT_EQ(LoadLibraryA("Zq7Missing.DLL"), nullptr);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);
  EXPECT_EQ(FreeLibrary(nullptr), FALSE);
}

TEST(Modules, ExecutableNameAndShortBuffer) {
  char name[4096];
  ASSERT_GT(GetModuleFileNameA(nullptr, name, sizeof name), 0u);
  EXPECT_EQ(std::string(name), platform::ExecutableDir() + "modules_test");
  char tiny[4];
  EXPECT_EQ(GetModuleFileNameA(nullptr, tiny, sizeof tiny), 3u);
  EXPECT_EQ(tiny[3], '\0');
}
