#include <gtest/gtest.h>

#include "tests/zq7/ZqTestImages.h"
#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7Effect/ZqResize.h"

// The caller's road: resize the pair's first image, then free whatever is left in it.
TEST(ZqResize, ConsumesTheSourceOnSuccess) {
  const std::size_t blocks = GlobalBlockCount();
  HGLOBAL pair[2] = {zqtest::White(40, 20, 24), 0};
  zqtest::Put(pair[0], 0, 0, 0);
  HGLOBAL result = 7;
  ASSERT_TRUE(ZQResizeEx(pair, &result, 10, 5, -1, 0, 0, 0, 0));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
  EXPECT_EQ(pair[0], 0u);
  ASSERT_NE(result, 0u);
  EXPECT_EQ(zqtest::Header(result).biWidth, 10);
  EXPECT_EQ(zqtest::Red(result, 0, 0), 239) << "one black pixel in a 4 x 4 area";
  EXPECT_TRUE(ZQFreeMemory(result));
  EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST(ZqResize, LeavesTheSourceToTheCallerOnFailure) {
  const std::size_t blocks = GlobalBlockCount();
  HGLOBAL pair[2] = {zqtest::White(4, 4, 8), 0};
  const HGLOBAL source = pair[0];
  HGLOBAL result = 7;
  EXPECT_FALSE(ZQResizeEx(pair, &result, 1 << 20, 1 << 20, -1, 0, 0, 0, 0));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_TOO_LARGE);
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(pair[0], source);
  EXPECT_FALSE(ZQResizeEx(pair, &result, 0, 4, -1, 0, 0, 0, 0));
  EXPECT_FALSE(ZQResizeEx(pair, nullptr, 2, 2, -1, 0, 0, 0, 0));
  EXPECT_FALSE(ZQResizeEx(nullptr, &result, 2, 2, -1, 0, 0, 0, 0));
  HGLOBAL notImage[2] = {GlobalAlloc(GHND, 64), 0};
  EXPECT_FALSE(ZQResizeEx(notImage, &result, 2, 2, -1, 0, 0, 0, 0));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  GlobalFree(notImage[0]);
  EXPECT_TRUE(ZQFreeMemory(pair[0]));
  EXPECT_EQ(GlobalBlockCount(), blocks);
}
