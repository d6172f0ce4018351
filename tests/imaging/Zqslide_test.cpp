// The slide show on the real engine libraries: the slide list file, the folder ways, the
// range rule, loading and fitting, the transitions frame by frame on the control's
// surface, the timer, painting and every status code.
#include <gtest/gtest.h>

#include <QImage>
#include <sys/stat.h>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "imaging/components/Zqslide.h"
#include "imaging/engine/Zqdllprocs.h"
#include "platform/memory.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/TempDir.h"
#include "tests/support/SourcePath.h"

namespace fs = std::filesystem;

namespace {

constexpr COLORREF kBack = RGB(255, 255, 213);

// A slide show whose timer ticks the test can send itself.
class TestSlide : public TVZqSlide {
 public:
  using TVZqSlide::TVZqSlide;
  void Tick(UINT_PTR id) { WmTimer(id); }
};

// Pixel (x, y) of the control's surface.
COLORREF At(TVZqSlide& slide, int x, int y) {
  const QImage image = platform::BitmapImage(slide.Surface());
  return platform::ColorFromPixel(image.pixel(x, y));
}

class SlideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    slide = std::make_unique<TestSlide>();
    ASSERT_NE(ZqFileLoad, nullptr) << "the engine libraries were not found";
    slide->SetColor(kBack);
    // A 40 x 40 display area inside the sunken frame.
    slide->resize(44, 44);
  }
  void TearDown() override { slide.reset(); }

  // A picture of one colour.
  std::string Plain(const std::string& name, int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    const std::string path = dir.path() + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path)));
    return path;
  }
  // A picture whose column x has red x * 6 and whose row y has green y * 6, so that
  // every pixel tells where it came from.
  std::string Ramp(const std::string& name, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 6, y * 6, 100));
    const std::string path = dir.path() + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path)));
    return path;
  }
  void List(const std::string& contents) {
    slide->SlideFileName = dir.Write("list.tmp", contents);
  }
  // A show of a red a.png and a green b.png, started with a timer of one second.
  void StartTimedShow() {
    List(Plain("a.png", 8, 8, Qt::red) + "\n" + Plain("b.png", 8, 8, Qt::green) + "\n");
    slide->SetIntervalTime(1);
    ASSERT_TRUE(slide->Open());
    ASSERT_TRUE(slide->Start());
  }

  testsupport::TempDir dir;
  std::unique_ptr<TestSlide> slide;
};

}  // namespace

TEST_F(SlideTest, DefaultsAndSetterRules) {
  TVZqSlide fresh;
  EXPECT_EQ(fresh.width(), 100);
  EXPECT_EQ(fresh.height(), 100);
  EXPECT_EQ(fresh.Color(), RGB(255, 255, 255));
  EXPECT_EQ(fresh.Appearance(), vzqLowered);
  EXPECT_TRUE(fresh.BorderVisible());
  EXPECT_EQ(fresh.ScrollSize(), 1);
  EXPECT_EQ(fresh.FileExt, "BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC");
  EXPECT_EQ(fresh.SortDate, vzqSortDateLastWriteTime);
  fresh.SetCurrentImage(-1);
  EXPECT_EQ(fresh.CurrentImage(), 0);
  fresh.SetIntervalTime(-3);
  EXPECT_EQ(fresh.IntervalTime(), 0);
  fresh.SetScrollSize(-4);
  EXPECT_EQ(fresh.ScrollSize(), 0);
  fresh.SetFilePath("/photos/");
  EXPECT_EQ(fresh.FilePath(), "/photos");
  fresh.SetFilePath("/photos//");
  EXPECT_EQ(fresh.FilePath(), "/photos/");
}

TEST_F(SlideTest, OpenFailsWithoutAUsableListFile) {
  const std::string pipe = dir.path() + "pipe.tmp";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& name : {std::string(), dir.path() + "missing.tmp", std::string("/no-such-volume/list.tmp"),
                                  dir.path(), pipe}) {
    slide->SlideFileName = name;
    EXPECT_FALSE(slide->Open()) << name;
    EXPECT_EQ(slide->ErrorStatus, kZqSlideNoList) << name;
    EXPECT_FALSE(slide->IsOpen());
  }
  // No list: every operation but Open reports 11.
  EXPECT_FALSE(slide->Close());
  EXPECT_EQ(slide->ErrorStatus, kZqSlideWrongState);
  EXPECT_FALSE(slide->Start());
  EXPECT_EQ(slide->ErrorStatus, kZqSlideWrongState);
  EXPECT_FALSE(slide->Stop());
  EXPECT_EQ(slide->ErrorStatus, kZqSlideWrongState);
  EXPECT_FALSE(slide->GoNext());
  EXPECT_EQ(slide->ErrorStatus, kZqSlideWrongState);
}

TEST_F(SlideTest, ListFileLinesBlanksAndUnusableFiles) {
  const std::string red = Plain("red.png", 10, 10, Qt::red);
  const std::string blue = Plain("blue.bmp", 10, 10, Qt::blue);
  const std::string text = dir.Write("text.png", "not a picture");
  Plain("lone.png", 10, 10, Qt::green);
  // Empty lines, blank lines, leading blanks and tabs, a missing file, a file that is
  // not an image, a lone CR inside a path, a line beyond the path limit (skipped, not
  // cut) and a last line without its end.
  List("\r\n   \r\n\t  " + red + "\r\n" + dir.path() + "missing.png\n" + text + "\n" + dir.path() + "lo\rne.png\r\n" +
       "\n \t\n" + dir.path() + std::string(5000, 'x') + "\n" + blue);
  ASSERT_TRUE(slide->Open());
  ASSERT_EQ(slide->EntryCount(), 3);
  EXPECT_STREQ(slide->Entry(0).fileName, "red.png");
  EXPECT_EQ(std::string(slide->Entry(0).directory) + "/", dir.path());
  EXPECT_STREQ(slide->Entry(1).fileName, "lone.png");
  EXPECT_STREQ(slide->Entry(2).fileName, "blue.bmp");
  EXPECT_EQ(std::strlen(slide->Entry(2).date), 14u);  // the file's last-write time
  // A second Open keeps the first list.
  List(red + "\n");
  EXPECT_FALSE(slide->Open());
  EXPECT_EQ(slide->ErrorStatus, kZqSlideWrongState);
  EXPECT_EQ(slide->EntryCount(), 3);
  EXPECT_TRUE(slide->Close());
  EXPECT_FALSE(slide->IsOpen());
}

TEST_F(SlideTest, AtMostFiveThousandEntriesAndPagesThroughTheEngine) {
  const std::string red = Plain("red.png", 4, 4, Qt::red);
  std::string lines;
  for (int i = 0; i < 5001; ++i) lines += red + "\r\n";
  List(lines);
  ASSERT_TRUE(slide->Open());
  EXPECT_EQ(slide->EntryCount(), 5000);
  slide->Close();

  const std::string frames = testsupport::SourcePath("tests/data/type/gif89a_frames.gif");
  List(frames + "|2\n" + frames + "|7\n");
  ASSERT_TRUE(slide->Open());
  ASSERT_EQ(slide->EntryCount(), 1);  // page 7 does not exist
  EXPECT_EQ(slide->Entry(0).page, 2);
  EXPECT_STREQ(slide->Entry(0).fileName, "gif89a_frames.gif");
  std::string shownName;
  slide->OnStartSlide = [&](QObject*, short, const std::string&, const std::string& fileName) { shownName = fileName; };
  EXPECT_TRUE(slide->Start());
  EXPECT_EQ(shownName, "gif89a_frames.gif 2");
}

TEST_F(SlideTest, EmptyListStartAndGoReportSixAndReadNothing) {
  List("\r\n" + dir.path() + "missing.png\r\n");
  ASSERT_TRUE(slide->Open());
  EXPECT_EQ(slide->EntryCount(), 0);
  for (auto op : {&TVZqSlide::Start, &TVZqSlide::GoNext, &TVZqSlide::GoBack, &TVZqSlide::GoTop, &TVZqSlide::GoBottom}) {
    EXPECT_FALSE((slide.get()->*op)());
    EXPECT_EQ(slide->ErrorStatus, kZqSlideNoImage);
  }
}

TEST_F(SlideTest, RangeRuleAndStepping) {
  const std::string a = Plain("a.png", 8, 8, Qt::red);
  const std::string b = Plain("b.png", 8, 8, Qt::green);
  const std::string c = Plain("c.png", 8, 8, Qt::blue);
  List(a + "\n" + b + "\n" + c + "\n");
  ASSERT_TRUE(slide->Open());
  int starts = 0;
  slide->OnStartSlide = [&](QObject* sender, short, const std::string&, const std::string&) {
    EXPECT_EQ(sender, slide.get());
    ++starts;
  };
  // Beyond the end shows the last entry.
  slide->SetCurrentImage(10);
  ASSERT_TRUE(slide->Start());
  EXPECT_EQ(slide->CurrentImage(), 2);
  EXPECT_EQ(At(*slide, 22, 22), RGB(0, 0, 255));
  EXPECT_EQ(starts, 1);
  // GoNext at the end reloads the same entry and draws nothing new.
  EXPECT_TRUE(slide->GoNext());
  EXPECT_EQ(slide->CurrentImage(), 2);
  EXPECT_EQ(starts, 1);
  EXPECT_TRUE(slide->GoTop());
  EXPECT_EQ(At(*slide, 22, 22), RGB(255, 0, 0));
  EXPECT_TRUE(slide->GoBack());  // stays on the first
  EXPECT_EQ(slide->CurrentImage(), 0);
  EXPECT_TRUE(slide->GoBottom());
  EXPECT_EQ(At(*slide, 22, 22), RGB(0, 0, 255));
  // With Endless both ends wrap.
  slide->Endless = true;
  EXPECT_TRUE(slide->GoNext());
  EXPECT_EQ(slide->CurrentImage(), 0);
  EXPECT_EQ(At(*slide, 22, 22), RGB(255, 0, 0));
  EXPECT_TRUE(slide->GoBack());
  EXPECT_EQ(slide->CurrentImage(), 2);
  slide->SetCurrentImage(10);
  EXPECT_TRUE(slide->Start());
  EXPECT_EQ(slide->CurrentImage(), 0);
}

TEST_F(SlideTest, TimerStepsAndStopsAfterTheLastEntry) {
  StartTimedShow();
  EXPECT_TRUE(slide->TimerRunning());
  // The Go operations wait while the timer runs.
  EXPECT_FALSE(slide->GoNext());
  EXPECT_EQ(slide->ErrorStatus, kZqSlideWrongState);
  // GoNext freed the picture it refused to replace; the next tick loads the next one.
  slide->Tick(2);  // another timer's tick is ignored
  EXPECT_EQ(slide->CurrentImage(), 0);
  slide->Tick(1);
  EXPECT_EQ(slide->CurrentImage(), 1);
  EXPECT_EQ(At(*slide, 22, 22), RGB(0, 255, 0));
  EXPECT_TRUE(slide->TimerRunning());
  slide->Tick(1);  // past the last entry: the show stops and the picture stays
  EXPECT_FALSE(slide->TimerRunning());
  EXPECT_EQ(At(*slide, 22, 22), RGB(0, 255, 0));
  EXPECT_TRUE(slide->GoBack());
  EXPECT_EQ(At(*slide, 22, 22), RGB(255, 0, 0));
  // Stop ends a running timer at once.
  ASSERT_TRUE(slide->Start());
  EXPECT_TRUE(slide->Stop());
  EXPECT_FALSE(slide->TimerRunning());
}

// The last entry no longer loads (its file was replaced after the list was read): the
// show still ends one tick after reaching it, and the Go operations work again.
TEST_F(SlideTest, TimerStopsAfterALastEntryThatCannotBeLoaded) {
  StartTimedShow();
  dir.Write("b.png", "no longer a picture");
  slide->Tick(1);
  EXPECT_EQ(slide->CurrentImage(), 1);
  EXPECT_TRUE(slide->TimerRunning()) << "the step to the last entry still counts as one";
  slide->Tick(1);
  EXPECT_FALSE(slide->TimerRunning());
  EXPECT_EQ(slide->CurrentImage(), 1);
  EXPECT_TRUE(slide->GoBack());
  EXPECT_EQ(At(*slide, 22, 22), RGB(255, 0, 0));
}

TEST_F(SlideTest, FittedSizesReduceAndCentreNeverEnlarge) {
  struct Case {
    int w, h;
    RECT expected;  // where the picture lands on the surface, right and bottom excluded
  };
  // The display area is 40 x 40 at (2, 2).
  for (const Case& c : {Case{20, 10, {12, 17, 32, 27}}, Case{80, 40, {2, 12, 42, 32}}, Case{10, 120, {20, 2, 23, 42}}}) {
    slide->Close();
    List(Plain("p.png", c.w, c.h, Qt::red) + "\n");
    ASSERT_TRUE(slide->Open());
    ASSERT_TRUE(slide->Start()) << c.w << "x" << c.h;
    const QImage image = platform::BitmapImage(slide->Surface());
    for (int y = 2; y < 42; ++y)
      for (int x = 2; x < 42; ++x) {
        const bool inside = x >= c.expected.left && x < c.expected.right && y >= c.expected.top && y < c.expected.bottom;
        ASSERT_EQ(platform::ColorFromPixel(image.pixel(x, y)), inside ? RGB(255, 0, 0) : kBack)
            << c.w << "x" << c.h << " at " << x << "," << y;
      }
  }
}

TEST_F(SlideTest, TooSmallADisplayAreaGivesSix) {
  List(Plain("p.png", 8, 8, Qt::red) + "\n");
  slide->resize(8, 8);  // 4 x 4 inside the sunken frame
  ASSERT_TRUE(slide->Open());
  EXPECT_FALSE(slide->Start());
  EXPECT_EQ(slide->ErrorStatus, kZqSlideNoImage);
  slide->SetBorderVisible(false);  // 8 x 8 without it
  EXPECT_TRUE(slide->Start());
}

// The transitions frame by frame: after every reported frame the surface must show the
// part of the picture the direction brings in, with the rest still the old picture.
TEST_F(SlideTest, TransitionGeometryAndProgressForEachDirection) {
  List(Ramp("ramp.png", 40, 40) + "\n");
  struct Case {
    TVZqSlideScroll dir;
    const char* name;
  };
  for (const Case& c : {Case{vzqLeftToRight, "left_to_right"}, Case{vzqRightToLeft, "right_to_left"},
                        Case{vzqUpToDown, "up_to_down"}, Case{vzqDownToUp, "down_to_up"}}) {
    slide->Close();
    slide->ScrollDir = c.dir;
    slide->SetScrollSize(8);
    ASSERT_TRUE(slide->Open());
    // The old picture: the background.
    HDC dc = GetDC(slide.get());
    const RECT area{2, 2, 42, 42};
    platform::ScopedGdiObject<HBRUSH> back(CreateSolidBrush(kBack));
    FillRect(dc, &area, back);
    ReleaseDC(slide.get(), dc);
    std::vector<short> progress;
    std::vector<QImage> frames;
    slide->OnProgress = [&](QObject*, short p) {
      progress.push_back(p);
      frames.push_back(platform::BitmapImage(slide->Surface()).copy());
    };
    ASSERT_TRUE(slide->Start());
    EXPECT_EQ(progress, (std::vector<short>{19, 39, 59, 79, 100})) << c.name;
    ASSERT_EQ(frames.size(), 5u);
    for (std::size_t f = 0; f < frames.size(); ++f) {
      const int shown = std::min(static_cast<int>(f + 2) * 8, 40);  // frame i = 8 (f + 1), size i + 8
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
          // Which picture pixel (sx, sy) the surface pixel (x, y) should show, if any.
          int sx = x, sy = y;
          bool in = false;
          switch (c.dir) {
            case vzqLeftToRight: in = x < shown; sx = x + 40 - shown; break;
            case vzqRightToLeft: in = x >= 40 - shown; sx = x - (40 - shown); break;
            case vzqUpToDown: in = y < shown; sy = y + 40 - shown; break;
            case vzqDownToUp: in = y >= 40 - shown; sy = y - (40 - shown); break;
            case vzqNormal: break;
          }
          const COLORREF want = in ? RGB(static_cast<BYTE>(sx * 6), static_cast<BYTE>(sy * 6), 100) : kBack;
          const COLORREF got = platform::ColorFromPixel(frames[f].pixel(x + 2, y + 2));
          if (got != want) {
            testsupport::SavePng(frames[f], std::string("slide_") + c.name + "_" + std::to_string(f));
            FAIL() << c.name << " frame " << f << " at " << x << "," << y;
          }
        }
    }
  }
}

TEST_F(SlideTest, ScrollSizeZeroActsAsOneAndAHugeOneTakesOneFrame) {
  List(Ramp("ramp.png", 40, 40) + "\n");
  slide->ScrollDir = vzqLeftToRight;
  std::vector<short> progress;
  slide->OnProgress = [&](QObject*, short p) { progress.push_back(p); };
  slide->SetScrollSize(0);
  ASSERT_TRUE(slide->Open());
  ASSERT_TRUE(slide->Start());
  // One pixel per frame: i = 0..39 gives i * 100 / 40 - 1, each new value once.
  std::vector<short> expected;
  for (int i = 0; i < 40; ++i) {
    const short p = static_cast<short>(i * 100 / 40 - 1);
    if (p != -1 && (expected.empty() || expected.back() != p)) expected.push_back(p);
  }
  expected.push_back(100);
  EXPECT_EQ(progress, expected);
  EXPECT_EQ(progress.size(), 40u);  // -1 of the first frame is not reported
  slide->Close();
  progress.clear();
  slide->SetScrollSize(1000);
  ASSERT_TRUE(slide->Open());
  ASSERT_TRUE(slide->Start());
  EXPECT_EQ(progress, (std::vector<short>{100}));
  EXPECT_EQ(At(*slide, 2, 2), RGB(0, 0, 100));
  EXPECT_EQ(At(*slide, 41, 41), RGB(234, 234, 100));
}

TEST_F(SlideTest, PaintingRedrawsTheImageAndTheFrame) {
  List(Ramp("ramp.png", 40, 40) + "\n");
  ASSERT_TRUE(slide->Open());
  ASSERT_TRUE(slide->Start());
  int starts = 0;
  slide->OnStartSlide = [&](QObject*, short, const std::string&, const std::string&) { ++starts; };
  // A copy is drawn without events and matches the screen.
  HBITMAP copy = platform::CreateSurfaceBitmap(44, 44);
  HDC dc = platform::CreateSurfaceDC(copy, DT_RASDISPLAY);
  slide->PaintCopy(dc);
  EXPECT_EQ(starts, 0);
  InvalidateRect(slide.get(), nullptr, FALSE);
  UpdateWindow(slide.get());
  EXPECT_EQ(starts, 1);  // the repaint draws the same picture again, without transition
  EXPECT_TRUE(testsupport::SameImage(platform::BitmapImage(copy), platform::BitmapImage(slide->Surface()), "paintcopy"));
  // The sunken frame: dark grey and black at the top left, white at the bottom right.
  EXPECT_EQ(At(*slide, 0, 10), RGB(127, 127, 127));
  EXPECT_EQ(At(*slide, 1, 10), RGB(0, 0, 0));
  EXPECT_EQ(At(*slide, 43, 10), RGB(255, 255, 255));
  EXPECT_EQ(At(*slide, 42, 10), RGB(223, 223, 223));
  DeleteDC(dc);
  DeleteObject(copy);
  // After Close a paint shows the background only; a flat frame is one line.
  ASSERT_TRUE(slide->Close());
  slide->SetAppearance(vzqFlat);
  slide->SetBorderColor(RGB(0, 128, 0));
  UpdateWindow(slide.get());
  EXPECT_EQ(At(*slide, 0, 10), RGB(0, 128, 0));
  EXPECT_EQ(At(*slide, 1, 10), kBack);
  EXPECT_EQ(At(*slide, 22, 22), kBack);
  // Clear draws the background at once.
  ASSERT_TRUE(slide->Open());
  ASSERT_TRUE(slide->Start());
  slide->Clear();
  EXPECT_FALSE(slide->IsOpen());
  EXPECT_EQ(At(*slide, 22, 22), kBack);
}

TEST_F(SlideTest, FolderWaysCountListAndSort) {
  const std::string folder = dir.path() + "pics";
  fs::create_directory(folder);
  fs::copy_file(testsupport::SourcePath("tests/data/type/gif89a_frames.gif"), folder + "/b.gif");
  QImage image(6, 6, QImage::Format_RGB32);
  image.fill(Qt::red);
  image.save(QString::fromStdString(folder + "/a.png"));
  image.save(QString::fromStdString(folder + "/C.bmp"));
  image.save(QString::fromStdString(folder + "/.hidden.png"));
  image.save(QString::fromStdString(folder + "/d.jpg"));  // not among the extensions
  fs::create_directory(folder + "/e.png");
  std::ofstream(folder + "/f.png") << "text";
  slide->FileExt = "PNG;GIF;BMP";
  slide->FileReadWay = vzqFolder;
  slide->SetFilePath(folder + "/");
  slide->Sort = vzqSortFileName;
  slide->SortOrder = vzqSortOrderDec;
  ASSERT_TRUE(slide->Open());
  ASSERT_EQ(slide->EntryCount(), 3);
  EXPECT_STREQ(slide->Entry(0).fileName, "C.bmp");
  EXPECT_STREQ(slide->Entry(1).fileName, "b.gif");
  EXPECT_STREQ(slide->Entry(2).fileName, "a.png");
  slide->Close();
  slide->FileReadWay = vzqFolderMultiImage;
  slide->SortOrder = vzqSortOrderInc;
  ASSERT_TRUE(slide->Open());
  ASSERT_EQ(slide->EntryCount(), 5);
  const std::vector<std::pair<std::string, short>> expected{{"a.png", 0}, {"b.gif", 0}, {"b.gif", 1}, {"b.gif", 2},
                                                            {"C.bmp", 0}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(slide->Entry(i).fileName, expected[static_cast<std::size_t>(i)].first) << i;
    EXPECT_EQ(slide->Entry(i).page, expected[static_cast<std::size_t>(i)].second) << i;
  }
  slide->Close();
  // No path, no extension or no matching file: 5.
  for (const auto& [path, ext] : std::vector<std::pair<std::string, std::string>>{
           {"", "PNG"}, {folder, ""}, {folder, "TIF"}, {"/no-such-volume/x", "PNG"}}) {
    slide->SetFilePath(path);
    slide->FileExt = ext;
    EXPECT_FALSE(slide->Open()) << path << " " << ext;
    EXPECT_EQ(slide->ErrorStatus, kZqSlideNoList);
    EXPECT_FALSE(slide->IsOpen());
  }
}

TEST_F(SlideTest, ImagesAreFreedWhateverHappens) {
  const std::size_t before = GlobalBlockCount();
  List(Plain("a.png", 30, 30, Qt::red) + "\n" + Plain("b.png", 90, 60, Qt::blue) + "\n");
  ASSERT_TRUE(slide->Open());
  ASSERT_TRUE(slide->Start());
  ASSERT_TRUE(slide->GoNext());
  ASSERT_TRUE(slide->GoTop());
  ASSERT_TRUE(slide->Close());
  EXPECT_EQ(GlobalBlockCount(), before);
  ASSERT_TRUE(slide->Open());
  ASSERT_TRUE(slide->Start());
  slide.reset();
  EXPECT_EQ(GlobalBlockCount(), before);
}

TEST_F(SlideTest, AHandlerThatClosesTheShowMidwayIsSafe) {
  List(Ramp("ramp.png", 40, 40) + "\n");
  slide->ScrollDir = vzqRightToLeft;
  slide->SetScrollSize(5);
  slide->SetIntervalTime(1);
  ASSERT_TRUE(slide->Open());
  slide->OnStartSlide = [&](QObject*, short, const std::string&, const std::string&) { slide->Close(); };
  int last = 0;
  slide->OnProgress = [&](QObject*, short p) { last = p; };
  EXPECT_TRUE(slide->Start());
  EXPECT_EQ(last, 100);  // the picture still slides in from the drawing already made
  EXPECT_EQ(At(*slide, 2, 2), RGB(0, 0, 100));
  EXPECT_FALSE(slide->IsOpen());
  EXPECT_FALSE(slide->TimerRunning());
  slide->Tick(1);  // a tick after the close reads nothing
  EXPECT_FALSE(slide->Start());
  EXPECT_EQ(slide->ErrorStatus, kZqSlideWrongState);
}
