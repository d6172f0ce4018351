// TVZqSlide: shows a list of image files one after another, each fitted into the control
// and centred, with an optional sliding transition and an interval timer that advances
// the show. The list comes from a slide list file (one path per line) or from the image
// files of folders. Loading, scaling and drawing go through the imaging engine.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/components/Zqfile.h"
#include "imaging/components/Zqutils.h"
#include "imaging/engine/Zqinit.h"

enum TVZqSlideFileReadWay { vzqSlidefile, vzqFolder, vzqFolderMultiImage };
enum TVZqSlideScroll { vzqNormal, vzqRightToLeft, vzqLeftToRight, vzqUpToDown, vzqDownToUp };

using TVZqSlideEvent =
    std::function<void(QObject* sender, short imageNumber, const std::string& pathName, const std::string& fileName)>;

// ErrorStatus codes of the slide show.
inline constexpr short kZqSlideNoList = 5;      // the list cannot be built
inline constexpr short kZqSlideNoImage = 6;     // the entry's image cannot be loaded
inline constexpr short kZqSlideWrongState = 11; // a list is (not) open, or the timer runs

// Where the show draws (defined with the control's code).
struct SlideLayout;

class TVZqSlide : public TVZqUiControl {
  Q_OBJECT
 public:
  explicit TVZqSlide(QWidget* parent = nullptr);
  ~TVZqSlide() override;

  // Events, fired through the virtual Do… operations with this control as sender.
  TVZqSlideEvent OnStartSlide, OnEndSlide;
  TVZqProgressEvent OnProgress;

  // Published properties without a rule.
  bool Endless = false;
  std::string FileExt = "BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC";
  TVZqSlideFileReadWay FileReadWay = vzqSlidefile;
  TVZqSlideScroll ScrollDir = vzqNormal;
  std::string SlideFileName;
  TVZqSort Sort = vzqSortNone;
  TVZqSortDate SortDate = vzqSortDateLastWriteTime;
  TVZqSortOrder SortOrder = vzqSortOrderInc;

  // Published properties with a setter rule.
  TVZqAppearance Appearance() const { return FAppearance; }
  COLORREF BorderColor() const { return FBorderColor; }
  bool BorderVisible() const { return FBorderVisible; }
  COLORREF Color() const { return FColor; }
  LONG CurrentImage() const { return FCurrentImage; }
  const std::string& FilePath() const { return FFilePath; }
  LONG IntervalTime() const { return FIntervalTime; }
  short ScrollSize() const { return FScrollSize; }
  void SetAppearance(TVZqAppearance value);  // each change invalidates the control
  void SetBorderColor(COLORREF value);
  void SetBorderVisible(bool value);
  void SetColor(COLORREF value);
  void SetCurrentImage(LONG value);          // below 0 becomes 0; draws nothing
  void SetFilePath(const std::string& value); // one trailing "/" is removed
  void SetIntervalTime(LONG value);          // seconds, below 0 becomes 0; next Start
  void SetScrollSize(short value);           // below 0 becomes 0, used as at least 1

  // The result of the last operation, 0 for success.
  short ErrorStatus = 0;

  bool Open();
  bool Close();
  bool Start();
  bool Stop();
  bool GoNext();
  bool GoBack();
  bool GoTop();
  bool GoBottom();
  void Clear();

  // The number of entries of the open list (0 when closed), and whether one is open.
  int EntryCount() const { return static_cast<int>(FList.size()); }
  bool IsOpen() const { return FOpen; }
  // Whether the interval timer runs.
  bool TimerRunning() const { return FTimerId > 0; }
  // The entry at index, for callers that show where the show stands.
  const TZQSORTDATA& Entry(int index) const { return FList[static_cast<std::size_t>(index)]; }

 protected:
  virtual void DoEndSlide(short imageNumber, const std::string& pathName, const std::string& fileName);
  virtual void DoProgress(short percent);
  virtual void DoStartSlide(short imageNumber, const std::string& pathName, const std::string& fileName);

  void WmPaint() override;
  void WmTimer(UINT_PTR id) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  enum class Step { Keep, Next, Back, Top, Bottom };

  bool BuildFromSlideFile();
  bool BuildFromFolders();
  void AddEntry(const std::string& directory, const std::string& fileName, short page, const char* date);
  void FreeList();
  void FreeImage();
  void RangeRule();
  void ComposePath(Step step);
  bool Go(Step step);
  HGLOBAL LoadEntry();
  void Display(HDC dc, TVZqSlideScroll scroll);
  void DrawImage(HDC dc, const SlideLayout& layout, const BITMAPINFOHEADER* header, const void* bits,
                 TVZqSlideScroll scroll);
  void Slide(HDC dc, HDC source, const SlideLayout& layout, TVZqSlideScroll scroll);
  void DrawFrame(HDC dc);
  void DrawBackground(HDC dc);
  SlideLayout Layout() const;
  void StartTimer();
  void StopTimer();

  TVZqAppearance FAppearance = vzqLowered;
  COLORREF FBorderColor = RGB(0, 0, 0);
  bool FBorderVisible = true;
  COLORREF FColor = RGB(255, 255, 255);
  LONG FCurrentImage = 0;
  std::string FFilePath;
  LONG FIntervalTime = 0;
  short FScrollSize = 1;

  // The slide list: records whose texts FTexts owns.
  std::vector<TZQSORTDATA> FList;
  std::vector<std::unique_ptr<char[]>> FTexts;
  bool FOpen = false;
  std::unique_ptr<TZqFileExtSlot[]> FExtTable;

  HGLOBAL FImage = 0;
  std::string FCurrentPath;
  std::string FLastPath;
  short FLastPage = 0;
  bool FBusy = false;
  UINT_PTR FTimerId = 0;
  DWORD FGdipToken = 0;
};
