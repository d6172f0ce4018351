#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "tests/zq7/ZqTestImages.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7VectCom/ZqVector.h"

TEST(ZqVector, SessionTokensAreDistinctAndEndOnce) {
  std::set<DWORD> tokens;
  for (int i = 0; i < 5; ++i) {
    const DWORD t = ZQVectorGdipStart();
    EXPECT_NE(t, 0u);
    EXPECT_TRUE(tokens.insert(t).second) << "token " << t << " handed out twice";
  }
  for (const DWORD t : tokens) {
    ZQVectorGdipEnd(t);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
  }
  ZQVectorGdipEnd(*tokens.begin());
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER) << "ended twice";
  ZQVectorGdipEnd(0);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
}

TEST(ZqVector, RasterRenderingTellsWhatIsMissing) {
  // A WMF drawing of four bytes: a kind this build does not draw yet.
  const HGLOBAL vector = GlobalAlloc(GHND, sizeof(ZqVectorHeader) + 4);
  {
    platform::GlobalLockGuard g(vector);
    ZqVectorHeader v{};
    std::memcpy(v.magic, kZqVectorMagic, sizeof v.magic);
    v.kind = ZQ_KIND_WMF;
    v.width = v.height = 4;
    v.dataBytes = 4;
    std::memcpy(g.get(), &v, sizeof v);
  }
  EXPECT_EQ(ZQVectorToRaster(vector, 24, -1, 255, 255, 255), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_NOT_AVAILABLE);
  EXPECT_EQ(ZQVectorToRaster(vector, 7, -1, 255, 255, 255), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  const HGLOBAL raster = zqtest::White(2, 2, 24);
  for (const HGLOBAL h : {HGLOBAL{0}, raster, HGLOBAL{0xFFFFFF}}) {
    EXPECT_EQ(ZQVectorToRaster(h, 24, -1, 0, 0, 0), 0u);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  }
  EXPECT_EQ(GetImageHandleType(vector), ZQ_KIND_WMF) << "the vector image is the caller's still";
  ZQFreeMemory(vector);
  ZQFreeMemory(raster);
}
