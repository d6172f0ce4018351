#include <gtest/gtest.h>

#include <QFontInfo>

#include "platform/fonts.h"

TEST(Fonts, JapaneseFacesResolveToIpa) {
  EXPECT_EQ(platform::SubstituteFontFace("ＭＳ Ｐゴシック"), "IPAPGothic");
  EXPECT_EQ(platform::SubstituteFontFace("ＭＳ Ｐ明朝"), "IPAPMincho");
  EXPECT_EQ(platform::SubstituteFontFace("Unknown Face"), "Unknown Face");
  const QFontInfo gothic(platform::FontFromFace("ＭＳ Ｐゴシック", 12));
  EXPECT_TRUE(gothic.family().contains("IPA") && gothic.family().contains("Gothic")) << gothic.family().toStdString();
  const QFontInfo mincho(platform::FontFromFace("ＭＳ Ｐ明朝", 12));
  EXPECT_TRUE(mincho.family().contains("Mincho")) << mincho.family().toStdString();
  EXPECT_EQ(gothic.pixelSize(), 12);
}
