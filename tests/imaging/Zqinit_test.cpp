#include <gtest/gtest.h>

#include "imaging/engine/Zqdllprocs.h"
#include "imaging/engine/Zqinit.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

int Count(ZqLibrary library, bool present) {
  const ZqEntryGroup g = ZqEntries(library);
  int n = 0;
  for (int i = 0; i < g.count; ++i) n += g.entries[i].present() == present ? 1 : 0;
  return n;
}

}  // namespace

TEST(Zqinit, TableHoldsEveryEntryInItsGroup) {
  const int sizes[] = {98, 48, 99, 51, 16, 1, 46};
  int total = 0;
  for (int i = 0; i < kZqLibraryCount; ++i) {
    EXPECT_EQ(ZqEntries(static_cast<ZqLibrary>(i)).count, sizes[i]) << "library " << i;
    total += ZqEntries(static_cast<ZqLibrary>(i)).count;
  }
  EXPECT_EQ(total, 359);
  const ZqEntryGroup com = ZqEntries(ZqLibrary::Com);
  EXPECT_STREQ(com.entries[0].name, "ZQGetMemorySize");
  EXPECT_STREQ(com.entries[com.count - 1].name, "Resize1Bit");
  const ZqEntryGroup print = ZqEntries(ZqLibrary::Print);
  EXPECT_STREQ(print.entries[42].name, "ZQFrameRect");
}

TEST(Zqinit, CountsPackingAndLifetime) {
  EXPECT_EQ(InitializeZQ(100), -1);
  EXPECT_EQ(InitializeZQ(105), -1);
  EXPECT_EQ(zqinit::LoadedLibraryCount(), 0) << "a refused kind loads nothing";

  EXPECT_EQ(InitializeZQ(104), (1 << 16) + 1);
  EXPECT_TRUE(g_ShowCursorDispFlag);
  EXPECT_GE(zqinit::LoadedLibraryCount(), 2);
  ASSERT_NE(ZqGetErrorStatus, nullptr) << "resolved by name from Zq7Com";
  EXPECT_EQ(ZqGetErrorStatus(), 0);
  EXPECT_EQ(Count(ZqLibrary::Print, true), 0) << "the print library is not built";
  EXPECT_EQ(InitializeZQ(102), (1 << 16) + 2);
  EXPECT_EQ(InitializeZQ(104), (2 << 16) + 3);

  EXPECT_EQ(TerminateZQ(104), (1 << 16) + 2);
  EXPECT_EQ(TerminateZQ(102), (0 << 16) + 1);
  EXPECT_GE(zqinit::LoadedLibraryCount(), 2) << "still one component alive";
  EXPECT_EQ(TerminateZQ(104), 0);
  EXPECT_EQ(zqinit::LoadedLibraryCount(), 0) << "released after the last component";
  EXPECT_EQ(TerminateZQ(104), 0) << "more terminations than initialisations stay at 0";
  EXPECT_EQ(TerminateZQ(99), -1);

  // The table is left as it was and cleared group by group on the next load.
  EXPECT_EQ(InitializeZQ(101), (1 << 16) + 1);
  ASSERT_NE(ZqGetErrorStatus, nullptr);
  EXPECT_EQ(ZqGetErrorStatus(), 0);
  EXPECT_EQ(TerminateZQ(101), 0);
}

TEST(Zqinit, VersionTextsOfTheEngine) {
  const std::string file = GetDllVer("Zq7Com.DLL", true);
  const std::string product = GetDllVer("Zq7Com.DLL", false);
  EXPECT_FALSE(file.empty());
  EXPECT_FALSE(product.empty());
  EXPECT_EQ(file.rfind(product, 0), 0u) << file << " starts with " << product;
  EXPECT_EQ(GetDllVer("Zq7Missing.DLL", true), "");
  EXPECT_EQ(GetDllVer("libc.so.6", true), "") << "a library without version texts";
  EXPECT_EQ(zqinit::LoadedLibraryCount(), 0) << "the version query releases what it loaded";
}

TEST(Zqinit, AboutListsTheLibraries) {
  testsupport::ScopedScript s;
  ShowZqAbout(nullptr);
  ASSERT_EQ(s.log().messages.size(), 1u);
  const std::string& text = s.log().messages[0].text;
  EXPECT_NE(text.find("Zq7Com.DLL\t" + GetDllVer("Zq7Com.DLL", true)), std::string::npos);
  EXPECT_NE(text.find("Zq7Scan.DLL\t-"), std::string::npos);
}
