// The preview of the selected row: the main window hands the row's file to its slide show
// through a one-line list file, and registration, sort, delete and clear drive it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <filesystem>

#include "app/MainWindow1.h"
#include "app/ProgressWindow1.h"
#include "app/StringGrid.h"
#include "imaging/components/Zqslide.h"
#include "platform/files.h"
#include "platform/modules.h"
#include "tests/app/AppWindows.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"
#include "tests/support/SourcePath.h"

namespace fs = std::filesystem;

namespace {

constexpr COLORREF kBack = RGB(255, 255, 213);

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form->show();
    QApplication::processEvents();
    slide = form->ZqSlide1;
    slide->OnStartSlide = [this](QObject*, short, const std::string&, const std::string& name) {
      started.push_back(name);
    };
  }
  static std::string ListFile() { return platform::PrivateTempDir() + "_slide.tmp"; }

  // A picture of one colour, 60 x 40.
  std::string Picture(const std::string& name, QColor color) {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(color);
    const std::string path = dir.path() + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path)));
    return path;
  }
  // Puts paths into the list as if they had been registered.
  void Fill(const std::vector<std::string>& paths) {
    form->StringGrid1->SetRowCount(static_cast<int>(paths.size()) + 1);
    for (std::size_t i = 0; i < paths.size(); ++i)
      form->StringGrid1->SetRowCells(static_cast<int>(i) + 1, {" file " + std::to_string(i + 1), paths[i]});
    form->FileCount = static_cast<int>(paths.size());
  }
  void Select(int col, int row) {
    bool canSelect = true;
    form->StringGrid1SelectCell(col, row, canSelect);
    EXPECT_TRUE(canSelect);
  }
  COLORREF Centre() const {
    const QImage image = platform::BitmapImage(slide->Surface());
    return platform::ColorFromPixel(image.pixel(slide->width() / 2, slide->height() / 2));
  }

  testsupport::TempDir dir;
  testsupport::ScopedScript script;
  testsupport::AppWindows windows;
  std::unique_ptr<TMainForm1>& form = windows.form;
  TVZqSlide* slide = nullptr;
  std::vector<std::string> started;
};

const QColor kColors[] = {Qt::red, Qt::green, Qt::blue, Qt::cyan, Qt::magenta, Qt::yellow, Qt::darkGreen};

COLORREF Ref(const QColor& c) {
  return RGB(static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()), static_cast<BYTE>(c.blue()));
}

}  // namespace

TEST_F(PreviewTest, PaneHasTheLayoutsSettings) {
  EXPECT_EQ(slide->objectName(), "ZqSlide1");
  EXPECT_EQ(slide->toolTip().toStdString(), "プレビュー");
  EXPECT_EQ(slide->Appearance(), vzqLowered);
  EXPECT_TRUE(slide->BorderVisible());
  EXPECT_EQ(slide->FileExt, "BMP;JPG;TIF;PCX;FPX;PNG;WMF;EMF;DXF;GIF");
  EXPECT_EQ(slide->FileReadWay, vzqSlidefile);
  EXPECT_EQ(slide->IntervalTime(), 1);
  EXPECT_EQ(slide->ScrollDir, vzqLeftToRight);
  EXPECT_EQ(slide->ScrollSize(), 4);
  EXPECT_EQ(slide->Sort, vzqSortFileName);
  EXPECT_EQ(slide->Color(), 14024703u);
  EXPECT_GT(slide->width(), 100);
}

TEST_F(PreviewTest, RowFiveOfSevenShowsRowFivesFile) {
  std::vector<std::string> paths;
  for (int i = 0; i < 7; ++i) paths.push_back(Picture("p" + std::to_string(i + 1) + ".png", kColors[i]));
  Fill(paths);
  Select(2, 5);
  ASSERT_TRUE(slide->IsOpen());
  ASSERT_EQ(slide->EntryCount(), 1);
  EXPECT_EQ(Centre(), Ref(kColors[4]));
  EXPECT_EQ(started, (std::vector<std::string>{"p5.png"}));
  // The show does not run on, and the list file is gone.
  EXPECT_FALSE(slide->TimerRunning());
  EXPECT_FALSE(platform::FileExists(ListFile()));
  // Moving to another column of the same row slides the same file in again.
  Select(4, 5);
  EXPECT_EQ(started, (std::vector<std::string>{"p5.png", "p5.png"}));
  // The grid's own selection drives the handler.
  form->StringGrid1->SetRow(3);
  EXPECT_EQ(Centre(), Ref(kColors[2]));
  EXPECT_EQ(started.back(), "p3.png");
  EXPECT_FALSE(platform::FileExists(ListFile()));
  EXPECT_TRUE(script.log().messages.empty());
  testsupport::SavePng(platform::BitmapImage(slide->Surface()), "preview_pane");
  testsupport::SavePng(form->grab().toImage(), "preview_mainwindow");
}

TEST_F(PreviewTest, MissingFilesAndEmptyRowsShowTheBackgroundSilently) {
  const std::string gone = Picture("gone.png", Qt::red);
  const std::string kept = Picture("kept.png", Qt::blue);
  Fill({kept, gone});
  Select(1, 1);
  EXPECT_EQ(Centre(), Ref(Qt::blue));
  fs::remove(gone);
  Select(1, 2);
  EXPECT_TRUE(slide->IsOpen());
  EXPECT_EQ(slide->EntryCount(), 0);
  QApplication::processEvents();
  UpdateWindow(slide);
  EXPECT_EQ(Centre(), kBack);
  // The blank data row of the empty list state writes an empty line.
  form->StringGrid1->SetRowCells(1, {});
  Select(0, 1);
  UpdateWindow(slide);
  EXPECT_EQ(Centre(), kBack);
  EXPECT_TRUE(script.log().messages.empty());
  EXPECT_FALSE(platform::FileExists(ListFile()));
}

TEST_F(PreviewTest, RegistrationSortDeleteAndClearDriveThePreview) {
  const std::string b = Picture("b.png", Qt::green);
  const std::string a = Picture("a.png", Qt::red);
  const std::string c = Picture("c.png", Qt::blue);
  form->WMDropFiles({b, a, c});
  ASSERT_EQ(form->FileCount, 3);
  EXPECT_EQ(Centre(), Ref(Qt::green));  // row 1 after registration
  script.script().answers.push_back(IDYES);
  form->SpeedButton1_3Click();
  EXPECT_EQ(Centre(), Ref(Qt::red));  // row 1 after the sort is a.png
  form->StringGrid1->SetRow(1);
  form->SpeedButton1_4Click();  // deletes a.png and shows the new row 1
  EXPECT_EQ(form->FileCount, 2);
  EXPECT_EQ(Centre(), Ref(Qt::green));
  script.script().answers.push_back(IDYES);
  form->SpeedButton1_5Click();
  EXPECT_FALSE(slide->IsOpen());
  // Deleting the only file closes the preview too.
  form->WMDropFiles({c});
  EXPECT_EQ(Centre(), Ref(Qt::blue));
  form->SpeedButton1_4Click();
  EXPECT_FALSE(slide->IsOpen());
  EXPECT_FALSE(platform::FileExists(ListFile()));
}

TEST_F(PreviewTest, APhotoIsFittedIntoThePane) {
  const std::string photo = dir.path() + "photo.jpg";
  fs::copy_file(testsupport::SourcePath("tests/data/app/photo.jpg"), photo);
  form->WMDropFiles({photo});
  ASSERT_EQ(form->FileCount, 1);
  ASSERT_EQ(started, (std::vector<std::string>{"photo.jpg"}));
  EXPECT_NE(Centre(), kBack);
  EXPECT_TRUE(script.log().messages.empty());
  testsupport::SavePng(form->grab().toImage(), "preview_photo");
}

// The picture slides in from the left, 4 pixels a frame, its right edge first: every
// frame shows 4 more of its columns, and its left half (red) enters only after its right
// half (blue) has.
TEST_F(PreviewTest, ThePictureSlidesInFourPixelsAFrameRightEdgeFirst) {
  QImage image(60, 40, QImage::Format_RGB32);
  image.fill(Qt::red);
  for (int y = 0; y < 40; ++y)
    for (int x = 30; x < 60; ++x) image.setPixel(x, y, qRgb(0, 0, 255));
  const std::string path = dir.path() + "halves.png";
  ASSERT_TRUE(image.save(QString::fromStdString(path)));
  Fill({path});
  struct Frame {
    int shown = 0;          // picture columns along the centre row
    QRgb leftmost = 0;      // the first of them
  };
  std::vector<Frame> frames;
  slide->OnProgress = [&](QObject*, short) {
    const QImage surface = platform::BitmapImage(slide->Surface());
    Frame f;
    const int y = slide->height() / 2;
    for (int x = 0; x < surface.width(); ++x) {
      const QRgb p = surface.pixel(x, y) & 0xFFFFFF;
      if (p == 0xFF0000 || p == 0x0000FF) {
        if (f.shown++ == 0) f.leftmost = p;
      }
    }
    frames.push_back(f);
  };
  Select(1, 1);
  ASSERT_GE(frames.size(), 4u);
  const int width = frames.back().shown;
  ASSERT_GE(width, 40);
  EXPECT_EQ(frames.back().leftmost, 0xFF0000u);
  // Each step of the slide uncovers four more columns of the pane, the right edge of the
  // picture first. The picture is not enlarged, so it stands centred in the pane: the
  // frames show nothing of it until the moving edge reaches it, then four more of its
  // columns each until it is whole.
  std::size_t first = 0;
  while (first < frames.size() && frames[first].shown == 0) ++first;
  ASSERT_LT(first + 1, frames.size());
  EXPECT_GT(first, 0u) << "the pane is wider than the picture";
  for (std::size_t k = first + 1; k < frames.size(); ++k)
    EXPECT_EQ(frames[k].shown, std::min(frames[k - 1].shown + 4, width)) << "frame " << k;
  for (std::size_t k = first; k < frames.size(); ++k) {
    if (frames[k].shown < width / 2 - 4) {
      EXPECT_EQ(frames[k].leftmost, 0x0000FFu) << "frame " << k << ": the right half comes first";
    }
    if (frames[k].shown > width / 2 + 4) {
      EXPECT_EQ(frames[k].leftmost, 0xFF0000u) << "frame " << k;
    }
  }
}
