// The shared image routines: numbers, the slide list sort, page counting, frames, blinking
// lines, rubber-band figures, dialogs, the caption page tag and the cursor, on the real
// engine libraries where the routines call them.
#include <gtest/gtest.h>

#include <QLocale>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "imaging/components/Zqutils.h"
#include "imaging/engine/Zqdllprocs.h"
#include "imaging/engine/Zqinit.h"
#include "platform/syscolors.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"
#include "tests/support/SourcePath.h"

namespace fs = std::filesystem;

namespace {

std::string Fixture(const std::string& name) {
  return testsupport::SourcePath("tests/data/type/" + name);
}

// Keeps the engine loaded for a test.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitializeZQ(kZqKindImage);
    ASSERT_NE(ZqFileType, nullptr) << "the engine libraries were not found";
  }
  void TearDown() override { TerminateZQ(kZqKindImage); }
};

// A 32-bit surface with a context on it, filled with a pattern so that figures drawn
// over it change pixels of many colours.
struct Surface {
  explicit Surface(int w, int h) : bitmap(platform::CreateSurfaceBitmap(w, h)) {
    dc = platform::CreateSurfaceDC(bitmap, DT_RASDISPLAY);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) SetPixelV(dc, x, y, RGB(static_cast<BYTE>(x * 9), static_cast<BYTE>(y * 7), 90));
  }
  ~Surface() {
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  QImage Image() const { return platform::BitmapImage(bitmap).copy(); }
  HBITMAP bitmap;
  HDC dc;
};

TZQSORTDATA Record(char* dir, char* name, short page, const char* date = "") {
  TZQSORTDATA r;
  r.directory = dir;
  r.fileName = name;
  r.page = page;
  std::snprintf(r.date, sizeof r.date, "%s", date);
  return r;
}

}  // namespace

TEST(ZqutilsNumbers, RoundingConversionAndAlignment) {
  for (const auto& [x, expected] : std::vector<std::pair<long double, int>>{
           {2.5L, 3}, {-2.5L, -3}, {-0.4L, 0}, {0.49L, 0}, {1.5L, 2}, {-1.5L, -2}, {7.0L, 7}})
    EXPECT_EQ(Roundoff(x), expected) << static_cast<double>(x);
  // -1 / 2.0 = -0.5 truncates to 0.
  EXPECT_EQ(ConvToImgX(-1, 0, 2.0, 10), 10);
  EXPECT_EQ(ConvToImgY(25, 5, 2.0, 3), 13);
  EXPECT_EQ(ConvToScrnX(7, 2, 1.5, 100), 107);  // 7.5 truncates to 7
  EXPECT_EQ(ConvToScrnY(0, 3, 1.5, 10), 6);     // -4.5 truncates to -4
  for (const auto& [bits, bytes] : std::vector<std::pair<int, int>>{{0, 0}, {1, 4}, {32, 4}, {33, 8}, {24 * 3, 12}})
    EXPECT_EQ(ALIGNLONG(bits), bytes) << bits;
}

TEST(ZqutilsSort, QSortMatchesAnOrderedSortForManyShapes) {
  std::mt19937 random(7);
  for (unsigned count : {1u, 2u, 3u, 10u, 257u, 5000u}) {
    for (int spread : {2, 1000000}) {
      std::vector<int> values(count);
      for (int& v : values) v = static_cast<int>(random() % static_cast<unsigned>(spread));
      std::vector<int> expected = values;
      std::sort(expected.begin(), expected.end());
      QSort(values.data(), count, sizeof(int), [](const void* a, const void* b) {
        const int x = *static_cast<const int*>(a);
        const int y = *static_cast<const int*>(b);
        return x < y ? -1 : (x > y ? 1 : 0);
      });
      EXPECT_EQ(values, expected) << count << " values below " << spread;
    }
  }
  // Already ordered and reversed inputs of the size of a full slide list.
  std::vector<int> reversed(5000);
  for (int i = 0; i < 5000; ++i) reversed[static_cast<std::size_t>(i)] = 5000 - i;
  QSort(reversed.data(), 5000, sizeof(int),
        [](const void* a, const void* b) { return *static_cast<const int*>(a) - *static_cast<const int*>(b); });
  EXPECT_TRUE(std::is_sorted(reversed.begin(), reversed.end()));
}

TEST(ZqutilsSort, AComparisonThatThrowsPassesOnAndLosesNoRecord) {
  std::vector<int> values{5, 3, 9, 1, 7, 2, 8};
  static int calls;
  calls = 0;
  EXPECT_THROW(QSort(values.data(), static_cast<unsigned>(values.size()), sizeof(int),
                     [](const void* a, const void* b) -> int {
                       if (++calls == 4) throw std::runtime_error("compare");
                       return *static_cast<const int*>(a) - *static_cast<const int*>(b);
                     }),
               std::runtime_error);
  std::vector<int> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<int>{1, 2, 3, 5, 7, 8, 9}));
}

TEST_F(EngineTest, SortProcOrdersByNameThenPageAndReversesDescending) {
  char dir[] = "/pictures";
  char a[] = "A.jpg";
  char b[] = "b.tif";
  std::vector<TZQSORTDATA> list{Record(dir, b, 1), Record(dir, a, 0), Record(dir, b, 0)};
  g_Sort = vzqSortFileName;
  g_SortOrder = vzqSortOrderInc;
  QSort(list.data(), 3, sizeof(TZQSORTDATA), SortProc);
  EXPECT_STREQ(list[0].fileName, "A.jpg");
  EXPECT_STREQ(list[1].fileName, "b.tif");
  EXPECT_EQ(list[1].page, 0);
  EXPECT_EQ(list[2].page, 1);
  g_SortOrder = vzqSortOrderDec;
  QSort(list.data(), 3, sizeof(TZQSORTDATA), SortProc);
  EXPECT_STREQ(list[0].fileName, "b.tif");
  EXPECT_EQ(list[0].page, 1);
  EXPECT_EQ(list[1].page, 0);
  EXPECT_STREQ(list[2].fileName, "A.jpg");
  // Keys outside the table compare equal.
  g_Sort = 0;
  EXPECT_EQ(SortProc(&list[0], &list[2]), 0);
  g_Sort = 9;
  EXPECT_EQ(SortProc(&list[0], &list[2]), 0);
}

TEST_F(EngineTest, SortProcKeysWithDatesFoldersAndExtensions) {
  std::memset(g_FileExtArray, 0, sizeof g_FileExtArray);
  std::strcpy(g_FileExtArray[0], "TIF");
  std::strcpy(g_FileExtArray[1], "JPG");
  char d1[] = "/a";
  char d2[] = "/b";
  char jpg[] = "z.jpg";
  char tif[] = "a.tif";
  char xyz[] = "m.xyz";
  char abc[] = "n.abc";
  const TZQSORTDATA older = Record(d2, jpg, 0, "20200101000000");
  const TZQSORTDATA newer = Record(d1, tif, 0, "20240101000000");
  g_SortOrder = vzqSortOrderInc;
  struct Case {
    short key;
    int sign;  // of SortProc(older, newer)
  };
  for (const Case& c : {Case{vzqSortFileName, 1}, Case{vzqSortDate, -1}, Case{vzqSortFileExtName, -1},
                        Case{vzqSortFileExtDate, -1}, Case{vzqSortDirFileName, 1}, Case{vzqSortDirDate, 1},
                        Case{vzqSortDirFileExtName, 1}, Case{vzqSortDirFileExtDate, 1}}) {
    g_Sort = c.key;
    const int r = SortProc(&older, &newer);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << "key " << c.key;
  }
  // Extensions the table does not hold make two records equal.
  const TZQSORTDATA unknownA = Record(d1, xyz, 0);
  const TZQSORTDATA unknownB = Record(d2, abc, 0);
  g_Sort = vzqSortFileExtName;
  EXPECT_EQ(SortProc(&unknownA, &unknownB), 0);
  EXPECT_EQ(SortProc(&unknownA, &newer), 0);
}

TEST_F(EngineTest, SortKeysAreNotCutInDeepFolders) {
  // Two folders that differ only after 600 bytes still sort apart.
  std::string deep(600, 'd');
  std::string a = "/" + deep + "/a";
  std::string b = "/" + deep + "/b";
  char name[] = "x.jpg";
  const TZQSORTDATA ra = Record(a.data(), name, 0);
  const TZQSORTDATA rb = Record(b.data(), name, 0);
  g_Sort = vzqSortDirFileName;
  g_SortOrder = vzqSortOrderInc;
  EXPECT_LT(SortProc(&ra, &rb), 0);
  EXPECT_GT(SortProc(&rb, &ra), 0);
}

TEST_F(EngineTest, GetDirFileCountAddsThePagesOfImagesOnly) {
  testsupport::TempDir dir;
  fs::copy_file(Fixture("gif89a_frames.gif"), dir.path() + "frames.gif");
  fs::copy_file(Fixture("gif87a.gif"), dir.path() + "single.GIF");
  fs::copy_file(Fixture("bmp_rgb24.bmp"), dir.path() + "one.bmp");
  dir.Write("text.gif", "not a picture");
  fs::create_directory(dir.path() + "folder.gif");
  const std::string folder = dir.path().substr(0, dir.path().size() - 1);
  EXPECT_EQ(GetDirFileCount(folder, folder + "/*.gif"), 4);
  EXPECT_EQ(GetDirFileCount(folder, folder + "/*.bmp"), 1);
  EXPECT_EQ(GetDirFileCount(folder, folder + "/*.png"), 0);
  EXPECT_EQ(GetDirFileCount("/no/such/folder", "/no/such/folder/*.gif"), 0);
}

TEST(ZqutilsDrawing, DrawDisplayEdgeSunkenAndRaised) {
  const std::map<char, COLORREF> legend{{'d', RGB(127, 127, 127)}, {'l', RGB(223, 223, 223)},
                                        {'w', RGB(255, 255, 255)}, {'k', RGB(0, 0, 0)},
                                        {'o', RGB(0, 0, 200)}};
  // The frame on (0, 0)-(5, 5): outer strokes on the rectangle's edges, inner ones one
  // pixel inside; each LineTo leaves its end point to the next stroke.
  const std::vector<std::string> sunken{"dddddw", "dkkklw", "dkoolw", "dkoolw", "dklllw", "dwwwww"};
  const std::vector<std::string> raised{"wwwwwd", "wlllkd", "wlookd", "wlookd", "wlkkkd", "wddddd"};
  for (bool isSunken : {true, false}) {
    HBITMAP bitmap = platform::CreateSurfaceBitmap(6, 6);
    HDC dc = platform::CreateSurfaceDC(bitmap, DT_RASDISPLAY);
    const RECT all{0, 0, 6, 6};
    platform::ScopedGdiObject<HBRUSH> fill(CreateSolidBrush(RGB(0, 0, 200)));
    FillRect(dc, &all, fill);
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    DrawDisplayEdge(dc, RECT{0, 0, 5, 5}, isSunken);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);  // the context's pen comes back
    EXPECT_TRUE(testsupport::SamePicture(bitmap, isSunken ? sunken : raised, legend,
                                         isSunken ? "edge_sunken" : "edge_raised"));
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
}

TEST_F(EngineTest, BlinkLineDashesFourPixelsAndAdvancesByOne) {
  const COLORREF a = RGB(255, 0, 0), b = RGB(0, 0, 255);
  Surface s(20, 3);
  auto row = [&] {
    std::string r;
    for (int x = 0; x < 16; ++x) r += GetPixel(s.dc, x, 1) == a ? 'a' : (GetPixel(s.dc, x, 1) == b ? 'b' : '?');
    return r;
  };
  _BlinkLine(s.dc, 0, 1, 16, 1, true, a, b);
  const std::string first = row();
  EXPECT_EQ(first.find('?'), std::string::npos) << first;
  // Dashes of four pixels.
  for (std::size_t i = 0; i + 8 <= first.size(); ++i) EXPECT_NE(first[i], first[i + 4]) << first;
  _BlinkLine(s.dc, 0, 1, 16, 1, true, a, b);
  const std::string second = row();
  // The next advance moves the pattern by one pixel.
  EXPECT_EQ(second.substr(1), first.substr(0, 15)) << first << " / " << second;
  // The end point is left out.
  EXPECT_NE(GetPixel(s.dc, 16, 1), a);
  EXPECT_NE(GetPixel(s.dc, 16, 1), b);

  // A box joins its four lines into one pattern and touches only its outline.
  Surface box(12, 12);
  _BlinkBox(box.dc, 1, 1, 9, 9, a, b);
  int outline = 0;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const COLORREF c = GetPixel(box.dc, x, y);
      const bool onOutline = (x == 1 || x == 9 || y == 1 || y == 9) && x >= 1 && x <= 9 && y >= 1 && y <= 9;
      if (c == a || c == b) ++outline;
      if (!onOutline) {
        EXPECT_TRUE(c != a && c != b) << x << "," << y;
      }
    }
  EXPECT_EQ(outline, 32);
}

TEST(ZqutilsDrawing, NotXorFiguresDrawnTwiceRestoreTheSurface) {
  const RECT source{0, 0, 100, 100};
  const RECT target{0, 0, 40, 30};
  const POINT polygon[] = {{2, 2}, {30, 5}, {20, 25}, {4, 20}};
  const POINT bezier[] = {{1, 1}, {10, 30}, {30, -10}, {38, 28}};
  struct Figure {
    const char* name;
    std::function<void(HDC)> draw;
  };
  const std::vector<Figure> figures{
      {"line", [&](HDC dc) { _LineNOTXOR(dc, 3, 4, 33, 25, source, 1.0, 1.0, target, true); }},
      {"rectangle", [&](HDC dc) { _RectangleNOTXOR(dc, 3, 4, 33, 25, source, 1.0, 1.0, target, true); }},
      {"ellipse", [&](HDC dc) { _EllipseNOTXOR(dc, 3, 4, 33, 25, source, 1.0, 1.0, target, true); }},
      {"roundrect", [&](HDC dc) { _RoundRectNOTXOR(dc, 3, 4, 33, 25, source, 1.0, 1.0, target, true); }},
      {"polygon", [&](HDC dc) { _PolygonNOTXOR(dc, polygon, 4, source, 1.0, 1.0, target, true); }},
      {"bezier", [&](HDC dc) { _BezierNOTXOR(dc, bezier, source, 1.0, 1.0, target); }},
      {"scaled line", [&](HDC dc) { _LineNOTXOR(dc, 10, 10, 60, 50, source, 0.5, 0.5, target, false); }},
  };
  for (const Figure& f : figures) {
    Surface s(48, 36);
    const QImage before = s.Image();
    const int mix = GetROP2(s.dc);
    f.draw(s.dc);
    EXPECT_NE(s.Image(), before) << f.name << " drew nothing";
    // The context's own mix mode, selections and clipping come back.
    EXPECT_EQ(GetROP2(s.dc), mix) << f.name;
    RECT clip;
    GetClipBox(s.dc, &clip);
    EXPECT_EQ(clip.right, 48) << f.name;
    f.draw(s.dc);
    EXPECT_TRUE(testsupport::SameImage(s.Image(), before, std::string("notxor_") + f.name));
  }
  EXPECT_EQ(polygon[1].x, 30);  // the caller's points are left as they were
}

TEST(ZqutilsDrawing, NotXorEarlyExitsClipAndConversion) {
  const RECT source{0, 0, 100, 100};
  const RECT target{0, 0, 20, 20};
  Surface s(32, 32);
  const QImage before = s.Image();
  _LineNOTXOR(s.dc, 0, 0, 0, 0, source, 1.0, 1.0, target, true);
  _LineNOTXOR(s.dc, -5, -3, -1, 0, source, 1.0, 1.0, target, true);
  _RectangleNOTXOR(s.dc, 7, 7, 7, 7, source, 1.0, 1.0, target, true);
  EXPECT_EQ(s.Image(), before);
  // Nothing lands outside the target rectangle.
  _RectangleNOTXOR(s.dc, 2, 2, 30, 30, source, 1.0, 1.0, target, true);
  const QImage drawn = s.Image();
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (x >= 20 || y >= 20) {
        ASSERT_EQ(drawn.pixel(x, y), before.pixel(x, y)) << x << "," << y;
      }
  _RectangleNOTXOR(s.dc, 2, 2, 30, 30, source, 1.0, 1.0, target, true);
  // Image to screen: (0 - 1) * 0.7 + 0.5 = -0.2 truncates to 0 (not down to -1), and
  // 20 * 0.7 + 0.5 = 14.5 to 14.
  Surface t(32, 32);
  const RECT src{1, 0, 50, 50};
  const RECT dst{10, 10, 30, 30};
  const QImage plain = t.Image();
  _LineNOTXOR(t.dc, 0, 5, 0, 20, src, 0.7, 0.7, dst, false);
  const QImage line = t.Image();
  EXPECT_NE(line.pixel(10, 14), plain.pixel(10, 14));  // from (10, 14)
  EXPECT_NE(line.pixel(10, 23), plain.pixel(10, 23));  // to (10, 24), left out
  EXPECT_EQ(line.pixel(10, 24), plain.pixel(10, 24));
  EXPECT_EQ(line.pixel(11, 14), plain.pixel(11, 14));
}

TEST(ZqutilsDrawing, RoundRectCornersAreAtLeastOnePixel) {
  const RECT source{0, 0, 100, 100};
  const RECT target{0, 0, 30, 30};
  Surface got(30, 30);
  _RoundRectNOTXOR(got.dc, 4, 4, 8, 12, source, 1.0, 1.0, target, true);
  Surface expected(30, 30);
  SetROP2(expected.dc, R2_NOTXORPEN);
  platform::ScopedSelect brush(expected.dc, GetStockObject(HOLLOW_BRUSH));
  RoundRect(expected.dc, 4, 4, 8, 12, 1, 1);  // 4 / 5 = 0 and 8 / 5 = 1: both become 1
  EXPECT_TRUE(testsupport::SameImage(got.Image(), expected.Image(), "roundrect_corner"));
}

TEST_F(EngineTest, CaptionPageTagRoundTrip) {
  QWidget window;
  SetWindowText_Zq6Page(&window, "Plumera7", 12);
  EXPECT_EQ(window.windowTitle(), "Plumera700012");
  EXPECT_EQ(GetWindowText_Zq6Page(&window, "Plumera7"), 12);
  EXPECT_EQ(window.windowTitle(), "Plumera7");
  // The marker alone carries no tag and stays.
  EXPECT_EQ(GetWindowText_Zq6Page(&window, "Plumera7"), 0);
  EXPECT_EQ(window.windowTitle(), "Plumera7");
  SetWindowText_Zq6Page(&window, "Plumera7", 0);
  EXPECT_EQ(window.windowTitle(), "Plumera7");
  // A caption without the marker is not read.
  SetWindowText_Zq6Page(&window, "Other", 3);
  EXPECT_EQ(GetWindowText_Zq6Page(&window, "Plumera7"), 0);
  EXPECT_EQ(window.windowTitle(), "Other00003");
  // A tail that is not a number reads as 0, and the caption is still reset.
  window.setWindowTitle("Plumera7abcde");
  EXPECT_EQ(GetWindowText_Zq6Page(&window, "Plumera7"), 0);
  EXPECT_EQ(window.windowTitle(), "Plumera7");
}

TEST(ZqutilsWindows, RootWindowAndCursorCounter) {
  QWidget top;
  auto* middle = new QWidget(&top);
  auto* inner = new QWidget(middle);
  EXPECT_EQ(GetParentWindowHandleFromHWnd(inner), &top);
  EXPECT_EQ(GetParentWindowHandleFromHWnd(&top), &top);
  EXPECT_EQ(GetParentWindowHandleFromHWnd(nullptr), nullptr);

  g_ShowCursorDispFlag = true;
  const int start = ShowCursor(TRUE) - 1;
  ShowCursor(FALSE);
  ShowMouseCursor(false);
  ShowMouseCursor(false);
  EXPECT_EQ(ShowCursor(TRUE) - 1, start - 1);  // hidden once
  ShowCursor(FALSE);
  ShowMouseCursor(true);
  ShowMouseCursor(true);
  EXPECT_EQ(ShowCursor(TRUE) - 1, start);  // shown again once
  ShowCursor(FALSE);
}

TEST(ZqutilsDialogs, ColourDialogTakesTheChoiceOnlyOnOk) {
  testsupport::ScopedScript script;
  COLORREF color = RGB(1, 2, 3);
  script.script().colors.push_back(RGB(10, 20, 30));
  EXPECT_TRUE(ChooseNewColor(nullptr, color));
  EXPECT_EQ(color, RGB(10, 20, 30));
  ASSERT_EQ(script.log().colorDialogs.size(), 1u);
  const auto& shown = script.log().colorDialogs[0];
  EXPECT_EQ(shown.rgbResult, RGB(1, 2, 3));
  EXPECT_EQ(shown.flags, 17u);
  for (COLORREF c : shown.custColors) EXPECT_EQ(c, RGB(255, 255, 255));
  script.script().colors.push_back(std::nullopt);
  EXPECT_FALSE(ChooseNewColor(nullptr, color));
  EXPECT_EQ(color, RGB(10, 20, 30));
}

TEST(ZqutilsDialogs, FontDialogOnTheProgramsTemplateWithoutColours) {
  testsupport::ScopedScript script;
  QWidget owner;
  LOGFONT chosen;
  std::strcpy(chosen.lfFaceName, "Arial");
  chosen.lfHeight = -20;
  chosen.lfWeight = 400;
  chosen.lfItalic = 1;
  chosen.lfUnderline = 0;
  chosen.lfStrikeOut = 1;
  script.script().fonts.push_back(chosen);
  std::string face = "ＭＳ Ｐゴシック";
  short height = -12;
  bool bold = true, italic = false, underline = true, strike = false;
  LOGFONT lf;
  SetFontParam(&owner, &lf, face, height, bold, italic, underline, strike);
  EXPECT_EQ(face, "Arial");
  EXPECT_EQ(height, -20);
  EXPECT_FALSE(bold);
  EXPECT_TRUE(italic);
  EXPECT_FALSE(underline);
  EXPECT_TRUE(strike);
  ASSERT_EQ(script.log().fontDialogs.size(), 1u);
  const auto& shown = script.log().fontDialogs[0];
  EXPECT_STREQ(shown.start.lfFaceName, "ＭＳ Ｐゴシック");
  EXPECT_EQ(shown.start.lfHeight, -12);
  EXPECT_EQ(shown.start.lfWeight, 700);
  EXPECT_EQ(shown.start.lfUnderline, 1);
  EXPECT_EQ(shown.flags, 345u);
  EXPECT_EQ(shown.fontType, 0x2000);
  EXPECT_EQ(shown.hidden, (std::vector<int>{1091, 1139}));
  const bool japanese = QLocale::system().language() == QLocale::Japanese;
  EXPECT_EQ(shown.dialogTemplate.caption, japanese ? "ﾌｫﾝﾄの指定" : "Font");
  EXPECT_EQ(shown.dialogTemplate.items.size(), 18u);
  EXPECT_EQ(shown.dialogTemplate.cx, 264);

  // Cancel leaves every field as it was.
  SetFontParam(&owner, &lf, face, height, bold, italic, underline, strike);
  EXPECT_EQ(face, "Arial");
  EXPECT_EQ(height, -20);
  EXPECT_TRUE(italic);
}
