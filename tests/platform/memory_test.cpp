#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "platform/memory.h"

TEST(GlobalMemory, AllocLockFreeLifecycle) {
  const auto before = GlobalBlockCount();
  const HGLOBAL h = GlobalAlloc(GHND, 16);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(GlobalSize(h), 16u);
  auto* p = static_cast<unsigned char*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0) << "GMEM_ZEROINIT";
  std::memset(p, 7, 16);
  EXPECT_EQ(GlobalUnlock(h), FALSE);  // last lock gone
  EXPECT_EQ(GlobalFree(h), 0u);
  EXPECT_EQ(GlobalBlockCount(), before);
}

TEST(GlobalMemory, ReAllocKeepsAndZeroesGrowth) {
  const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
  {
    platform::GlobalLockGuard g(h);
    std::memcpy(g.get(), "abcd", 4);
  }
  ASSERT_EQ(GlobalReAlloc(h, 8, GMEM_ZEROINIT), h);
  EXPECT_EQ(GlobalSize(h), 8u);
  platform::GlobalLockGuard g(h);
  ASSERT_TRUE(g);
  EXPECT_EQ(std::memcmp(g.get(), "abcd\0\0\0\0", 8), 0);
  GlobalFree(h);
}

TEST(GlobalMemory, MisuseNeverCrashes) {
  const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 8);
  EXPECT_EQ(GlobalFree(h), 0u);
  EXPECT_EQ(GlobalFree(h), h) << "double free is refused";
  EXPECT_EQ(GlobalLock(h), nullptr) << "lock after free";
  EXPECT_EQ(GlobalLock(0), nullptr);
  EXPECT_EQ(GlobalLock(0xFFFFFFF0u), nullptr) << "unknown handle";
  EXPECT_EQ(GlobalUnlock(h), FALSE);
  EXPECT_EQ(GlobalSize(h), 0u);
  EXPECT_EQ(GlobalReAlloc(h, 16, 0), 0u);
  // A new block never takes the freed block's number at once.
  const HGLOBAL next = GlobalAlloc(GMEM_MOVEABLE, 8);
  EXPECT_NE(next, h);
  GlobalFree(next);
}

TEST(GlobalMemory, SafeFromSeveralThreads) {
  const auto before = GlobalBlockCount();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 2000; ++i) {
        const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 32);
        auto* p = static_cast<int*>(GlobalLock(h));
        if (p) *p = i;
        GlobalUnlock(h);
        GlobalFree(h);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(GlobalBlockCount(), before);
}

TEST(GlobalMemory, LargeBlocksKeepWindowsSemantics) {
  constexpr std::size_t big = std::size_t{9} << 20;  // mapped rather than taken from the heap
  const HGLOBAL h = GlobalAlloc(GHND, big);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(GlobalSize(h), big);
  {
    platform::GlobalLockGuard g(h);
    auto* p = g.as<unsigned char>();
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[big - 1], 0);
    std::memset(p, 0x5A, big);
  }
  // Shrinking and growing again keeps the kept part and zeroes what grows back.
  ASSERT_EQ(GlobalReAlloc(h, 5 << 20, 0), h);
  ASSERT_EQ(GlobalReAlloc(h, big * 2, GMEM_ZEROINIT), h);
  {
    platform::GlobalLockGuard g(h);
    auto* p = g.as<unsigned char>();
    EXPECT_EQ(p[(5 << 20) - 1], 0x5A);
    EXPECT_EQ(p[5 << 20], 0);
    EXPECT_EQ(p[big], 0);
    EXPECT_EQ(p[big * 2 - 1], 0);
  }
  ASSERT_EQ(GlobalReAlloc(h, 100, 0), h) << "a large block may become small";
  EXPECT_EQ(GlobalSize(h), 100u);
  EXPECT_EQ(GlobalFree(h), 0u);
}
