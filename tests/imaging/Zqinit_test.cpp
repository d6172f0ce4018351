#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "imaging/components/Zqutils.h"
#include "imaging/engine/Zqdllprocs.h"
#include "imaging/engine/Zqinit.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SourcePath.h"

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

  // A new load resolves the table again.
  EXPECT_EQ(InitializeZQ(101), (1 << 16) + 1);
  ASSERT_NE(ZqGetErrorStatus, nullptr);
  EXPECT_EQ(ZqGetErrorStatus(), 0);
  EXPECT_EQ(TerminateZQ(101), 0);
}

// Utility routines need no component alive, so they may run after the last one has
// released the libraries: the table then holds no address into them.
TEST(Zqinit, ReleasingTheLibrariesClearsTheTable) {
  const std::string folder = testsupport::SourcePath("tests/data/type");
  ASSERT_EQ(InitializeZQ(kZqKindImage), (1 << 16) + 1);
  ASSERT_NE(ZqFileType, nullptr);
  EXPECT_EQ(GetDirFileCount(folder, folder + "/*.gif"), 5) << "three GIFs, one of them with three frames";
  EXPECT_EQ(TerminateZQ(kZqKindImage), 0);
  for (int i = 0; i < kZqLibraryCount; ++i) EXPECT_EQ(Count(static_cast<ZqLibrary>(i), true), 0) << "library " << i;
  EXPECT_EQ(GetDirFileCount(folder, folder + "/*.gif"), 0) << "nothing typed, nothing called";
  EXPECT_EQ(zqdllprocs::TakeStatus(), kZqStatusNoEntry);
}

// The released library's place is kept taken while the libraries are loaded again, so
// they land elsewhere: a call through an address resolved before would fault.
TEST(Zqinit, AReloadResolvesTheTableAfresh) {
  const std::string gif = testsupport::SourcePath("tests/data/type/gif87a.gif");
  ASSERT_EQ(InitializeZQ(kZqKindImage), (1 << 16) + 1);
  ASSERT_NE(ZqFileType, nullptr);
  const auto before = reinterpret_cast<std::uintptr_t>(ZqFileType);
  ASSERT_EQ(TerminateZQ(kZqKindImage), 0);

  const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  void* const page = reinterpret_cast<void*>(before & ~(pageSize - 1));
  void* const held = mmap(page, pageSize, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  ASSERT_EQ(held, page) << "the file library was unmapped when released";

  ASSERT_EQ(InitializeZQ(kZqKindImage), (1 << 16) + 1);
  ASSERT_NE(ZqFileType, nullptr);
  EXPECT_NE(reinterpret_cast<std::uintptr_t>(ZqFileType), before);
  ZqFileInfo info{};
  EXPECT_NE(ZqFileType(gif.c_str(), 0, &info), 0);
  EXPECT_EQ(ZqGetErrorStatus(), 0);
  EXPECT_EQ(info.width, 32u);
  EXPECT_EQ(TerminateZQ(kZqKindImage), 0);
  munmap(held, pageSize);
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
