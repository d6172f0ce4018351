// The progress window's thumbnail during a real registration through the main window:
// each raster file is shown fitted and centred while it is read, an unreadable file
// leaves the thumbnail empty. The window as it was at each thumbnail is saved under the
// build folder.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <set>

#include "app/MainWindow1.h"
#include "app/ProgressWindow1.h"
#include "imaging/components/Zqdisp.h"
#include "platform/syscolors.h"
#include "tests/app/AppWindows.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

namespace {

COLORREF At(const QImage& image, int x, int y) { return platform::ColorFromPixel(image.pixel(x, y)); }

class ProgressThumbnailTest : public ::testing::Test {
 protected:
  std::string Plain(const std::string& name, int w, int h, QColor color) {
    const std::string path = dir.WritePlainPicture(name, w, h, color);
    EXPECT_FALSE(path.empty()) << name;
    return path;
  }
  QImage Thumbnail() const {
    return windows.progress->ZqDisp1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }

  testsupport::ScopedScript script;
  testsupport::TempDir dir;
  testsupport::AppWindows windows;
};

TEST_F(ProgressThumbnailTest, ControlAsTheWindowDescriptionPlacesIt) {
  TVZqDisp* thumb = windows.progress->ZqDisp1;
  EXPECT_EQ(thumb->geometry(), QRect(351, 13, 98, 73));
  EXPECT_EQ(thumb->Color(), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(thumb->BorderColor(), GetSysColor(COLOR_BTNFACE));
  EXPECT_FALSE(thumb->InvalidHatchPattern());
  EXPECT_DOUBLE_EQ(thumb->DispScale(), 1.0);
}

TEST_F(ProgressThumbnailTest, EachRasterFileShownFittedAndCentredWhileRead) {
  const std::string red = Plain("red.png", 100, 50, Qt::red);
  const std::string blue = Plain("blue.bmp", 400, 100, Qt::blue);
  struct Seen {
    QImage thumbnail;
    bool progressVisible;
  };
  std::vector<Seen> seen;
  TVZqDisp* thumb = windows.progress->ZqDisp1;
  thumb->OnEndDispImage = [&](QObject*, LONG, LONG, LONG, LONG, LONG, LONG, double, double) {
    seen.push_back({Thumbnail(), windows.progress->isVisible()});
    testsupport::SavePng(windows.progress->grab().toImage(),
                         "progress_thumbnail_" + std::to_string(seen.size()));
  };
  windows.form->WMDropFiles({red, blue});
  thumb->OnEndDispImage = nullptr;
  // Display and Refresh each draw once per file.
  ASSERT_EQ(seen.size(), 4u);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  // 100 x 50 is reduced to 98 x 49 at (0, 12).
  const QImage first = seen[1].thumbnail;
  EXPECT_TRUE(seen[1].progressVisible);
  EXPECT_EQ(At(first, 49, 36), RGB(255, 0, 0));
  EXPECT_EQ(At(first, 49, 5), face) << "margin above";
  EXPECT_EQ(At(first, 49, 68), face) << "margin below";
  // 400 x 100 is reduced to 98 x 24 at (0, 24).
  const QImage second = seen[3].thumbnail;
  EXPECT_EQ(At(second, 0, 24), RGB(0, 0, 255));
  EXPECT_EQ(At(second, 97, 47), RGB(0, 0, 255));
  EXPECT_EQ(At(second, 49, 23), face);
  EXPECT_EQ(At(second, 49, 48), face);
  // The picture stays after the window is closed, and the control holds no image.
  EXPECT_EQ(thumb->ImgHandle(), 0u);
  EXPECT_EQ(At(Thumbnail(), 49, 36), RGB(0, 0, 255));
}

TEST_F(ProgressThumbnailTest, AnUnreadableFileLeavesTheThumbnailEmpty) {
  windows.form->WMDropFiles({Plain("red.png", 100, 50, Qt::red)});
  ASSERT_EQ(At(Thumbnail(), 49, 36), RGB(255, 0, 0));
  const std::string broken = dir.Write("broken.jpg", "not a picture at all");
  windows.form->WMDropFiles({broken});
  const QImage shown = Thumbnail();
  std::set<COLORREF> colours;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) colours.insert(At(shown, x, y));
  EXPECT_EQ(colours, std::set<COLORREF>{GetSysColor(COLOR_BTNFACE)});
  testsupport::SavePng(windows.progress->grab().toImage(), "progress_thumbnail_unreadable");
}

}  // namespace
