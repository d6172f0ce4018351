#include <gtest/gtest.h>

#include <QFontInfo>
#include <cstring>
#include <string>

#include "platform/gditext.h"
#include "tests/support/PixelCheck.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kBlue = RGB(0, 0, 255);

LOGFONT Face(const char* face, LONG height, LONG escapement = 0, BYTE charset = DEFAULT_CHARSET) {
  LOGFONT lf;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  lf.lfHeight = height;
  lf.lfEscapement = escapement;
  lf.lfCharSet = charset;
  return lf;
}

// A white memory canvas with black transparent text in a chosen font.
class TextCanvas {
 public:
  TextCanvas(int w, int h, const LOGFONT& lf = Face("ＭＳ Ｐゴシック", -12))
      : w_(w), h_(h), dc_(CreateCompatibleDC(nullptr)), bm_(platform::CreateSurfaceBitmap(w, h)),
        font_(CreateFontIndirect(&lf)) {
    oldBitmap_ = SelectObject(dc_, bm_);
    oldFont_ = SelectObject(dc_, font_);
    Clear();
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, kBlack);
  }
  ~TextCanvas() {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
    DeleteObject(font_);
    DeleteObject(bm_);
  }
  void Clear() {
    const RECT all{0, 0, w_, h_};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  HDC dc() const { return dc_; }
  QImage image() const { return platform::BitmapImage(bm_).copy(); }
  // Bounds of every non-white pixel (null rectangle when there is none).
  QRect Ink() const {
    QRect r;
    const QImage img = platform::BitmapImage(bm_);
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) r |= QRect(x, y, 1, 1);
    return r;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bm_;
  HFONT font_;
  HGDIOBJ oldBitmap_ = nullptr, oldFont_ = nullptr;
};

}  // namespace

TEST(GdiText, JapaneseFacesResolveAndReportTheirCharset) {
  const QFontInfo gothic(platform::QFontFromLogFont(Face("ＭＳ Ｐゴシック", -12)));
  EXPECT_TRUE(gothic.family().contains("IPA") && gothic.family().contains("Gothic")) << gothic.family().toStdString();
  EXPECT_EQ(gothic.pixelSize(), 12);
  TextCanvas jp(10, 10, Face("ＭＳ Ｐゴシック", -12));
  EXPECT_EQ(GetTextCharset(jp.dc()), SHIFTJIS_CHARSET);
  TextCanvas latin(10, 10, Face("Arial", -12));
  EXPECT_EQ(GetTextCharset(latin.dc()), ANSI_CHARSET);
  TextCanvas asked(10, 10, Face("Arial", -12, 0, SHIFTJIS_CHARSET));
  EXPECT_EQ(GetTextCharset(asked.dc()), SHIFTJIS_CHARSET);
  char face[LF_FACESIZE];
  EXPECT_GT(GetTextFaceA(jp.dc(), sizeof face, face), 0);
  EXPECT_STREQ(face, "ＭＳ Ｐゴシック");
  EXPECT_EQ(GetTextCharset(nullptr), DEFAULT_CHARSET);
}

TEST(GdiText, MetricsDescribeTheFont) {
  struct Case {
    const char* face;
    LONG height;
    BYTE family;
  };
  const Case cases[] = {{"ＭＳ Ｐゴシック", -12, FF_SWISS}, {"Roman", -13, FF_ROMAN}, {"Arial", 20, FF_SWISS}};
  for (const Case& k : cases) {
    TextCanvas c(10, 10, Face(k.face, k.height));
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(c.dc(), &tm));
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight) << k.face;
    if (k.height < 0) {
      EXPECT_GE(tm.tmHeight, -k.height) << k.face;
      EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -k.height) << k.face;
    } else {
      EXPECT_NEAR(tm.tmHeight, k.height, 1) << "a positive height is the cell height";
    }
    EXPECT_EQ(tm.tmOverhang, 0);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE) << k.face;
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH) << "set for variable pitch, as on Windows";
    EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, k.family) << k.face;
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32(c.dc(), "Hello", 5, &size));
    EXPECT_EQ(size.cy, tm.tmHeight);
    EXPECT_GT(size.cx, 0);
  }
}

TEST(GdiText, CalcRectWithWordBreakGrowsTheHeightOfANarrowRectangle) {
  TextCanvas c(200, 200);
  const char* text = "one two three four five six";
  TEXTMETRIC tm;
  GetTextMetrics(c.dc(), &tm);
  RECT wide{0, 0, 1000, 0};
  EXPECT_EQ(DrawText(c.dc(), text, -1, &wide, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
  SIZE extent;
  GetTextExtentPoint32(c.dc(), text, static_cast<int>(std::strlen(text)), &extent);
  EXPECT_EQ(wide.right, extent.cx);
  RECT narrow{10, 20, 60, 20};
  const int h = DrawText(c.dc(), text, -1, &narrow, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_GE(h, 3 * tm.tmHeight);
  EXPECT_EQ(narrow.bottom - narrow.top, h);
  EXPECT_LE(narrow.right, 60);
  EXPECT_EQ(c.Ink(), QRect()) << "DT_CALCRECT draws nothing";
  // Japanese text breaks between characters.
  RECT jp{0, 0, 40, 0};
  EXPECT_GT(DrawText(c.dc(), "日本語の文章を折り返す", -1, &jp, DT_CALCRECT | DT_WORDBREAK), tm.tmHeight);
  // Line breaks in the text make lines of their own.
  RECT lines{0, 0, 200, 0};
  EXPECT_EQ(DrawText(c.dc(), "a\r\nb\nc", -1, &lines, DT_CALCRECT), 3 * tm.tmHeight);
}

TEST(GdiText, EllipsesKeepTheTextInsideItsRectangle) {
  const std::string path = "/home/user/pictures/holidays/summer/IMG_0001.jpg";
  TextCanvas full(400, 20), end(400, 20), pathEll(400, 20), tail(400, 20);
  RECT r{0, 0, 120, 20};
  DrawText(full.dc(), path.c_str(), -1, &r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(full.Ink().right(), 120);
  DrawText(end.dc(), path.c_str(), -1, &r, DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
  EXPECT_LT(end.Ink().right(), 120);
  EXPECT_GT(end.Ink().right(), 60);
  // A path ellipsis keeps the file name at the end: the drawing ends like the name alone
  // (right-aligned) and is wider than it, since part of the folder stays.
  TextCanvas endRight(400, 20);
  DrawText(pathEll.dc(), path.c_str(), -1, &r, DT_SINGLELINE | DT_NOCLIP | DT_PATH_ELLIPSIS | DT_RIGHT);
  DrawText(endRight.dc(), path.c_str(), -1, &r, DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS | DT_RIGHT);
  DrawText(tail.dc(), "IMG_0001.jpg", -1, &r, DT_SINGLELINE | DT_NOCLIP | DT_RIGHT);
  EXPECT_LT(pathEll.Ink().right(), 120);
  EXPECT_NEAR(pathEll.Ink().right(), tail.Ink().right(), 1);
  EXPECT_LT(pathEll.Ink().left(), tail.Ink().left() - 20) << "the folder part is shortened, not dropped";
  EXPECT_NE(pathEll.image(), endRight.image());
}

TEST(GdiText, PrefixUnderlinesTheNextCharacterUnlessNoPrefix) {
  TextCanvas prefixed(80, 20), plain(80, 20), doubled(80, 20), literal(80, 20);
  RECT r{2, 2, 80, 20};
  DrawText(prefixed.dc(), "&File", -1, &r, DT_SINGLELINE);
  DrawText(plain.dc(), "&File", -1, &r, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_NE(prefixed.image(), plain.image());
  TextCanvas bare(80, 20);
  DrawText(bare.dc(), "File", -1, &r, DT_SINGLELINE);
  // Same glyphs; the prefixed one has extra ink below them only.
  const QRect glyphs = bare.Ink();
  EXPECT_TRUE(testsupport::SameImage(prefixed.image().copy(glyphs), bare.image().copy(glyphs), "prefix-glyphs"));
  EXPECT_GT(prefixed.Ink().bottom(), glyphs.bottom());
  DrawText(doubled.dc(), "A&&B", -1, &r, DT_SINGLELINE);
  DrawText(literal.dc(), "A&B", -1, &r, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_TRUE(testsupport::SameImage(doubled.image(), literal.image(), "double-ampersand"));
}

TEST(GdiText, AlignmentPlacesTheTextInItsRectangle) {
  struct Case {
    UINT format;
    bool right, centreX, centreY, bottom;
  };
  const Case cases[] = {{DT_SINGLELINE | DT_RIGHT, true, false, false, false},
                        {DT_SINGLELINE | DT_CENTER | DT_VCENTER, false, true, true, false},
                        {DT_SINGLELINE | DT_BOTTOM, false, false, false, true}};
  for (const Case& k : cases) {
    TextCanvas c(100, 60);
    RECT r{10, 10, 90, 50};
    const int ret = DrawText(c.dc(), "Wide", -1, &r, k.format);
    const QRect ink = c.Ink();
    ASSERT_FALSE(ink.isNull());
    if (k.right) {
      EXPECT_NEAR(ink.right(), 89, 3);
    }
    if (k.centreX) {
      EXPECT_NEAR(ink.center().x(), 50, 3);
    }
    if (k.centreY) {
      EXPECT_NEAR(ink.center().y(), 30, 4);
    }
    if (k.bottom) {
      EXPECT_GT(ink.top(), 30);
      EXPECT_EQ(ret, 40) << "distance from the top to the text's bottom";
    }
  }
}

TEST(GdiText, OpaqueModeFillsTheCellAndTextOutMovesTheCurrentPosition) {
  TextCanvas c(100, 30);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), kBlue);
  ASSERT_TRUE(TextOut(c.dc(), 5, 5, "ab", 2));
  EXPECT_EQ(GetPixel(c.dc(), 5, 5), kBlue);
  SIZE s;
  GetTextExtentPoint32(c.dc(), "ab", 2, &s);
  EXPECT_EQ(GetPixel(c.dc(), 5 + s.cx - 1, 5 + s.cy - 1), kBlue);
  EXPECT_EQ(GetPixel(c.dc(), 5 + s.cx, 5), kWhite);
  SetTextAlign(c.dc(), TA_UPDATECP);
  MoveToEx(c.dc(), 10, 0, nullptr);
  TextOut(c.dc(), 0, 0, "ab", 2);
  POINT pos;
  GetCurrentPositionEx(c.dc(), &pos);
  EXPECT_EQ(pos.x, 10 + s.cx);
}

TEST(GdiText, TextRotatedBy2700ReadsDownwardInItsBox) {
  TextCanvas c(80, 120, Face("ＭＳ Ｐゴシック", -16, 2700));
  SIZE s;
  GetTextExtentPoint32(c.dc(), "Tesmarin", 8, &s);
  TextOut(c.dc(), 40, 10, "Tesmarin", 8);
  const QRect ink = c.Ink();
  ASSERT_FALSE(ink.isNull());
  EXPECT_GT(ink.height(), ink.width()) << "the text runs down";
  EXPECT_GE(ink.left(), 40 - s.cy);
  EXPECT_LE(ink.right(), 40);
  EXPECT_GE(ink.top(), 10);
  EXPECT_LE(ink.bottom(), 10 + s.cx);
  EXPECT_GT(ink.bottom(), 10 + s.cx / 2);
}

TEST(GdiText, ClipRegionCutsText) {
  TextCanvas c(100, 30, Face("ＭＳ Ｐゴシック", -20));
  platform::ScopedGdiObject<HRGN> clip(CreateRectRgn(20, 0, 40, 30));
  SelectClipRgn(c.dc(), clip);
  TextOut(c.dc(), 0, 0, "WWWWWWWW", 8);
  RECT r{0, 0, 100, 30};
  DrawText(c.dc(), "MMMMMMMM", -1, &r, DT_SINGLELINE | DT_BOTTOM);
  SelectClipRgn(c.dc(), nullptr);
  const QRect ink = c.Ink();
  ASSERT_FALSE(ink.isNull());
  EXPECT_GE(ink.left(), 20);
  EXPECT_LE(ink.right(), 39);
}
