#include "imaging/components/Zqslide.h"

#include <QMouseEvent>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "imaging/engine/Zqdllprocs.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/text.h"

namespace {

constexpr int kMaxSlideFileEntries = 5000;
constexpr int kMinDisplaySize = 5;
constexpr UINT_PTR kTimerId = 1;
// What the engine is asked to render a vector image at before it is fitted.
constexpr LONG kVectorWidth = 800;
constexpr LONG kVectorHeight = 600;

// The fitted size: reduced to fit width x height with the aspect ratio kept, never
// enlarged.
void GetImageSize(int width, int height, int imageWidth, int imageHeight, int& fittedWidth, int& fittedHeight) {
  const float fx = imageWidth > width ? static_cast<float>(imageWidth) / static_cast<float>(width) : 1.0f;
  const float fy = imageHeight > height ? static_cast<float>(imageHeight) / static_cast<float>(height) : 1.0f;
  const float f = std::max(fx, fy);
  fittedWidth = static_cast<int>(static_cast<float>(imageWidth) / f + 0.5f);
  fittedHeight = static_cast<int>(static_cast<float>(imageHeight) / f + 0.5f);
}

void FreeHandle(HGLOBAL image) {
  if (image != 0 && ZqFreeMemory) ZqFreeMemory(image);
}

}  // namespace

TVZqSlide::TVZqSlide(QWidget* parent) : TVZqUiControl(parent), FExtTable(new TZqFileExtSlot[kZqFileExtEntries]()) {
  resize(100, 100);
  // Nothing is erased before painting: the control paints every pixel itself.
  SetBackgroundBrush(nullptr);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
  InitializeZQ(kZqKindSlide);
  if (ZqVectorGdipStart) FGdipToken = ZqVectorGdipStart();
}

TVZqSlide::~TVZqSlide() {
  FreeImage();
  StopTimer();
  FreeList();
  if (FGdipToken != 0 && ZqVectorGdipEnd) ZqVectorGdipEnd(FGdipToken);
  TerminateZQ(kZqKindSlide);
}

// ---------------------------------------------------------------------------------------
// Properties

void TVZqSlide::SetAppearance(TVZqAppearance value) {
  if (value == FAppearance) return;
  FAppearance = value;
  InvalidateRect(this, nullptr, TRUE);
}

void TVZqSlide::SetBorderColor(COLORREF value) {
  if (value == FBorderColor) return;
  FBorderColor = value;
  InvalidateRect(this, nullptr, TRUE);
}

void TVZqSlide::SetBorderVisible(bool value) {
  if (value == FBorderVisible) return;
  FBorderVisible = value;
  InvalidateRect(this, nullptr, TRUE);
}

void TVZqSlide::SetColor(COLORREF value) {
  if (value == FColor) return;
  FColor = value;
  InvalidateRect(this, nullptr, TRUE);
}

void TVZqSlide::SetCurrentImage(LONG value) { FCurrentImage = std::max<LONG>(value, 0); }

void TVZqSlide::SetFilePath(const std::string& value) {
  FFilePath = value;
  if (!FFilePath.empty() && FFilePath.back() == '/') FFilePath.pop_back();
}

void TVZqSlide::SetIntervalTime(LONG value) { FIntervalTime = std::max<LONG>(value, 0); }

void TVZqSlide::SetScrollSize(short value) { FScrollSize = std::max<short>(value, 0); }

// ---------------------------------------------------------------------------------------
// Events

void TVZqSlide::DoEndSlide(short imageNumber, const std::string& pathName, const std::string& fileName) {
  if (OnEndSlide) OnEndSlide(this, imageNumber, pathName, fileName);
}

void TVZqSlide::DoProgress(short percent) {
  if (OnProgress) OnProgress(this, percent);
}

void TVZqSlide::DoStartSlide(short imageNumber, const std::string& pathName, const std::string& fileName) {
  if (OnStartSlide) OnStartSlide(this, imageNumber, pathName, fileName);
}

// ---------------------------------------------------------------------------------------
// The list

void TVZqSlide::AddEntry(const std::string& directory, const std::string& fileName, short page, const char* date) {
  auto copy = [this](const std::string& text) {
    auto owned = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(owned.get(), text.c_str(), text.size() + 1);
    char* raw = owned.get();
    FTexts.push_back(std::move(owned));
    return raw;
  };
  TZQSORTDATA entry;
  entry.directory = copy(directory);
  entry.fileName = copy(fileName);
  std::snprintf(entry.date, sizeof entry.date, "%s", date);
  entry.page = page;
  FList.push_back(entry);
}

void TVZqSlide::FreeList() {
  FList.clear();
  FTexts.clear();
  FOpen = false;
}

void TVZqSlide::FreeImage() {
  FreeHandle(FImage);
  FImage = 0;
}

bool TVZqSlide::BuildFromSlideFile() {
  FreeList();
  if (SlideFileName.empty() || !IsSetDrive || !IsSetDrive(SlideFileName.c_str()) || !DataFileExist ||
      !DataFileExist(SlideFileName.c_str()))
    return false;
  // Only a plain file is read: a pipe or a device would block or never end.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(SlideFileName, ec)) return false;
  std::FILE* file = std::fopen(SlideFileName.c_str(), "rb");
  if (!file) return false;
  FList.reserve(kMaxSlideFileEntries);
  std::vector<char> directory(platform::MaxPath, '\0');
  std::vector<char> name(platform::MaxPath, '\0');
  std::string line;
  int c = 0;
  while (static_cast<int>(FList.size()) < kMaxSlideFileEntries) {
    // Blanks, tabs and control characters before a line are skipped, and with them the
    // ends of empty lines.
    do c = std::fgetc(file);
    while (c != EOF && c <= ' ');
    if (c == EOF) break;
    line.clear();
    bool tooLong = false;
    while (c != EOF && c != '\n') {
      if (c == '\r') {
        // A CR ends the line only before an LF; a lone CR is dropped.
        const int next = std::fgetc(file);
        if (next == '\n' || next == EOF) break;
        c = next;
        continue;
      }
      if (line.size() + 1 < platform::MaxPath)
        line.push_back(static_cast<char>(c));
      else
        tooLong = true;
      c = std::fgetc(file);
    }
    // A path beyond the platform limit would name another file when cut: skipped.
    if (tooLong) continue;
    std::vector<char> path(platform::MaxPath, '\0');
    std::memcpy(path.data(), line.data(), line.size());
    const int page = GetPagefromFilename ? GetPagefromFilename(path.data()) : 0;
    if (CutPagefromFilename) CutPagefromFilename(path.data());
    ZqFileInfo info{};
    if (!ZqFileType || !ZqFileType(path.data(), page, &info)) continue;
    std::fill(directory.begin(), directory.end(), '\0');
    std::fill(name.begin(), name.end(), '\0');
    if (!GetFullpathFilename || !GetFullpathFilename(path.data(), directory.data(), name.data())) continue;
    char date[16] = {};
    if (GetPathFileDateTime) GetPathFileDateTime(path.data(), date);
    date[sizeof date - 1] = '\0';
    AddEntry(directory.data(), name.data(), static_cast<short>(page), date);
  }
  std::fclose(file);
  return true;
}

bool TVZqSlide::BuildFromFolders() {
  FreeList();
  if (FFilePath.empty() || !IsSetDrive || !IsSetDrive(FFilePath.c_str())) return false;
  if (!GetPathFileExt || !GetPathDir || !ZqFileType) return false;
  std::fill_n(&FExtTable[0][0], kZqFileExtEntries * kZqFileExtLength, '\0');
  const int extensions = GetPathFileExt("", FileExt.c_str(), FExtTable.get());
  if (extensions < 1) return false;

  std::vector<char> folder(platform::MaxPath, '\0');
  auto eachPattern = [&](auto visit) {
    for (int index = 0;; ++index) {
      std::fill(folder.begin(), folder.end(), '\0');
      if (!GetPathDir(index, FFilePath.c_str(), folder.data())) break;
      const std::string dir = folder.data();
      for (int e = 0; e < extensions && e < kZqFileExtEntries; ++e) {
        const std::string ext(FExtTable[e], strnlen(FExtTable[e], kZqFileExtLength));
        if (!ext.empty()) visit(dir, TermYenPath(dir) + "*." + ext);
      }
    }
  };

  // Counting pass: room for every page the folders hold.
  long long total = 0;
  eachPattern([&](const std::string& dir, const std::string& pattern) { total += GetDirFileCount(dir, pattern); });
  if (total < 1) return false;
  const auto capacity = static_cast<std::size_t>(std::min<long long>(total, INT_MAX));
  FList.reserve(capacity);

  // Listing pass, in the platform's directory order; never more entries than counted.
  eachPattern([&](const std::string& dir, const std::string& pattern) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    for (BOOL found = TRUE; found; found = FindNextFileA(find, &data)) {
      if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
      const std::string full = TermYenPath(dir) + data.cFileName;
      ZqFileInfo info{};
      if (!ZqFileType(full.c_str(), 0, &info)) continue;
      const int pages = FileReadWay == vzqFolder ? 1 : std::max<int>(info.pages, 1);
      for (int page = 0; page < pages && FList.size() < capacity; ++page) {
        if (page > 0 && !ZqFileType(full.c_str(), page, &info)) continue;
        char times[3][16] = {};
        if (GetFileDateTimeEx) GetFileDateTimeEx(data.cFileName, dir.c_str(), times[0], times[1], times[2]);
        const char* date = times[SortDate == vzqSortDateCreationTime   ? 0
                                 : SortDate == vzqSortDateLastWriteTime ? 1
                                                                        : 2];
        times[0][15] = times[1][15] = times[2][15] = '\0';
        AddEntry(dir, data.cFileName, static_cast<short>(page), date);
      }
    }
    FindClose(find);
  });

  if (Sort != vzqSortNone && FList.size() >= 2) {
    g_SortOrder = SortOrder;
    g_Sort = Sort;
    std::memcpy(g_FileExtArray, FExtTable.get(), sizeof g_FileExtArray);
    QSort(FList.data(), static_cast<unsigned>(FList.size()), sizeof(TZQSORTDATA), SortProc);
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Operations

bool TVZqSlide::Open() {
  ErrorStatus = 0;
  FreeImage();
  if (FOpen) {
    ErrorStatus = kZqSlideWrongState;
    return false;
  }
  FCurrentImage = 0;
  FCurrentPath.clear();
  FLastPath.clear();
  FLastPage = 0;
  const bool built = FileReadWay == vzqSlidefile ? BuildFromSlideFile() : BuildFromFolders();
  if (!built) {
    FreeList();
    ErrorStatus = kZqSlideNoList;
    return false;
  }
  FOpen = true;
  return true;
}

bool TVZqSlide::Close() {
  ErrorStatus = 0;
  StopTimer();
  FreeImage();
  if (!FOpen) {
    ErrorStatus = kZqSlideWrongState;
    return false;
  }
  FreeList();
  InvalidateRect(this, nullptr, FALSE);
  return true;
}

bool TVZqSlide::Start() {
  ErrorStatus = 0;
  FreeImage();
  if (!FOpen) {
    ErrorStatus = kZqSlideWrongState;
    return false;
  }
  // An open list may hold no entry at all (every line skipped): nothing to read.
  if (FList.empty()) {
    ErrorStatus = kZqSlideNoImage;
    return false;
  }
  ComposePath(Step::Keep);
  FImage = LoadEntry();
  if (!FImage) {
    ErrorStatus = kZqSlideNoImage;
    return false;
  }
  Display(nullptr, ScrollDir);
  // An event handler may have closed the show meanwhile; then there is nothing to run on.
  if (FOpen) StartTimer();
  return true;
}

bool TVZqSlide::Stop() {
  ErrorStatus = 0;
  if (!FOpen) {
    ErrorStatus = kZqSlideWrongState;
    return false;
  }
  StopTimer();
  return true;
}

bool TVZqSlide::Go(Step step) {
  ErrorStatus = 0;
  FreeImage();
  if (!FOpen || FTimerId > 0) {
    ErrorStatus = kZqSlideWrongState;
    return false;
  }
  if (FList.empty()) {
    ErrorStatus = kZqSlideNoImage;
    return false;
  }
  ComposePath(step);
  FImage = LoadEntry();
  if (!FImage) {
    ErrorStatus = kZqSlideNoImage;
    return false;
  }
  Display(nullptr, ScrollDir);
  return true;
}

bool TVZqSlide::GoNext() { return Go(Step::Next); }
bool TVZqSlide::GoBack() { return Go(Step::Back); }
bool TVZqSlide::GoTop() { return Go(Step::Top); }
bool TVZqSlide::GoBottom() { return Go(Step::Bottom); }

void TVZqSlide::Clear() {
  HDC dc = GetDC(this);
  DrawBackground(dc);
  ReleaseDC(this, dc);
  FreeImage();
  StopTimer();
  FreeList();
}

void TVZqSlide::RangeRule() {
  const LONG count = static_cast<LONG>(FList.size());
  if (FCurrentImage < 0) FCurrentImage = Endless ? count - 1 : 0;
  if (FCurrentImage >= count) FCurrentImage = Endless ? 0 : count - 1;
}

void TVZqSlide::ComposePath(Step step) {
  switch (step) {
    case Step::Keep: break;
    case Step::Next: ++FCurrentImage; break;
    case Step::Back: --FCurrentImage; break;
    case Step::Top: FCurrentImage = 0; break;
    case Step::Bottom: FCurrentImage = static_cast<LONG>(FList.size()) - 1; break;
  }
  RangeRule();
  const TZQSORTDATA& entry = FList[static_cast<std::size_t>(FCurrentImage)];
  FCurrentPath = TermYenPath(entry.directory) + entry.fileName;
}

// ---------------------------------------------------------------------------------------
// Loading and drawing

RECT TVZqSlide::DisplayRect() const {
  RECT r{0, 0, width() - 1, height() - 1};
  if (FBorderVisible) {
    const int inset = FAppearance == vzqFlat ? 1 : 2;
    InflateRect(&r, -inset, -inset);
  }
  return r;
}

HGLOBAL TVZqSlide::LoadEntry() {
  const RECT r = DisplayRect();
  const int width = r.right - r.left + 1;
  const int height = r.bottom - r.top + 1;
  if (width < kMinDisplaySize || height < kMinDisplaySize) return 0;
  if (!ZqFileType || !ZqFileLoad || !ZqGetImageType) return 0;
  const short page = FList[static_cast<std::size_t>(FCurrentImage)].page;
  ZqFileInfo fileInfo{};
  if (!ZqFileType(FCurrentPath.c_str(), page, &fileInfo)) return 0;
  const HGLOBAL loaded =
      ZqFileLoad(FCurrentPath.c_str(), page, kVectorWidth, kVectorHeight, nullptr, nullptr, nullptr, nullptr);
  if (!loaded) return 0;
  ZqImageInfo info{};
  if (!ZqGetImageType(loaded, &info)) {
    FreeHandle(loaded);
    return 0;
  }
  int fittedWidth = 0;
  int fittedHeight = 0;
  if (info.kind == vzqRasterImage) {
    LONG imageWidth = 0;
    LONG imageHeight = 0;
    {
      platform::GlobalLockGuard lock(loaded);
      const auto* header = static_cast<const BITMAPINFOHEADER*>(lock.get());
      if (header) {
        imageWidth = header->biWidth;
        imageHeight = header->biHeight < 0 ? -header->biHeight : header->biHeight;
      }
    }
    if (imageWidth <= 0 || imageHeight <= 0 || !SetImageSize) {
      FreeHandle(loaded);
      return 0;
    }
    GetImageSize(width, height, imageWidth, imageHeight, fittedWidth, fittedHeight);
    // The engine gives back the handle to keep: the reduced image, or the source itself.
    const HGLOBAL fitted = SetImageSize(loaded, fittedWidth, fittedHeight);
    if (!fitted) FreeHandle(loaded);
    return fitted;
  }
  if (info.kind < vzqVectorWMF || info.kind > vzqVectorSXF || !ZqVectorToRaster) {
    FreeHandle(loaded);
    return 0;
  }
  GetImageSize(width, height, static_cast<int>(info.width), static_cast<int>(info.height), fittedWidth, fittedHeight);
  const HGLOBAL raster =
      ZqVectorToRaster(loaded, 24, -1, GetRValue(FColor), GetGValue(FColor), GetBValue(FColor));
  FreeHandle(loaded);
  if (!raster || !ZqResizeEx) return raster;
  HGLOBAL pair[2] = {raster, 0};
  HGLOBAL result = 0;
  ZqResizeEx(pair, &result, fittedWidth, fittedHeight, -1, 0, 0, 0, 0);
  FreeHandle(pair[0]);
  return result;
}

void TVZqSlide::Display(HDC dc, TVZqSlideScroll scroll) {
  const short page = FList.empty() ? 0 : FList[static_cast<std::size_t>(FCurrentImage)].page;
  // The image shown last is not drawn again; this is how a show without Endless ends.
  if (FCurrentPath == FLastPath && page == FLastPage) {
    StopTimer();
    return;
  }
  const RECT r = DisplayRect();
  if (r.right - r.left + 1 < kMinDisplaySize || r.bottom - r.top + 1 < kMinDisplaySize) return;
  if (!GetDibPalSize) return;
  platform::GlobalLockGuard lock(FImage);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(lock.get());
  if (!header) return;
  const unsigned char* bits = reinterpret_cast<const unsigned char*>(header) + header->biSize + GetDibPalSize(header);
  FBusy = true;
  const bool own = dc == nullptr;
  if (own) dc = GetDC(this);
  const bool clip = GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY && !IsPaintingCopy();
  if (clip) {
    platform::ScopedGdiObject<HRGN> region(CreateRectRgn(r.left, r.top, r.right + 1, r.bottom + 1));
    SelectClipRgn(dc, region);
  }
  DrawImage(dc, header, bits, scroll);
  if (clip) SelectClipRgn(dc, nullptr);
  if (own) ReleaseDC(this, dc);
  FBusy = false;
  FLastPath = FCurrentPath;
  FLastPage = page;
}

void TVZqSlide::DrawImage(HDC dc, const BITMAPINFOHEADER* header, const void* bits, TVZqSlideScroll scroll) {
  const RECT r = DisplayRect();
  const int width = r.right - r.left + 1;
  const int height = r.bottom - r.top + 1;
  const int imageWidth = header->biWidth;
  const int imageHeight = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  int fittedWidth = 0;
  int fittedHeight = 0;
  GetImageSize(width, height, imageWidth, imageHeight, fittedWidth, fittedHeight);
  const int ox = (width - fittedWidth) / 2;
  const int oy = (height - fittedHeight) / 2;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(header);

  if (GetDeviceCaps(dc, TECHNOLOGY) != DT_RASDISPLAY || IsPaintingCopy()) {
    if (_BoxFull) _BoxFull(dc, r.left, r.top, r.left + width, r.top + height, FColor);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, r.left + ox, r.top + oy, fittedWidth, fittedHeight, 0, 0, imageWidth, imageHeight, bits, info,
                  DIB_RGB_COLORS, SRCCOPY);
    return;
  }

  const TZQSORTDATA& entry = FList[static_cast<std::size_t>(FCurrentImage)];
  const std::string pathName = entry.directory;
  std::string fileName = entry.fileName;
  if (entry.page > 0) fileName += " " + std::to_string(entry.page);
  const auto number = static_cast<short>(FCurrentImage);

  // The picture goes into the off-screen bitmap before any event fires, so that a
  // handler that closes the show cannot pull the image from under the drawing.
  platform::ScopedDC memory(CreateCompatibleDC(dc));
  platform::ScopedGdiObject<HBITMAP> picture(CreateCompatibleBitmap(dc, width, height));
  const bool ready = memory.get() && picture;
  std::optional<platform::ScopedSelect> select;
  if (ready) {
    select.emplace(memory, picture.get());
    if (_BoxFull) _BoxFull(memory, 0, 0, width, height, FColor);
    SetStretchBltMode(memory, COLORONCOLOR);
    if (_StretchDIBits)
      _StretchDIBits(memory, ox, oy, fittedWidth, fittedHeight, 0, 0, imageWidth, imageHeight, bits, info,
                     DIB_RGB_COLORS, SRCCOPY);
  }
  DoStartSlide(number, pathName, fileName);
  if (ready) Slide(dc, memory, width, height, scroll);
  DoEndSlide(number, pathName, fileName);
}

void TVZqSlide::Slide(HDC dc, HDC source, int width, int height, TVZqSlideScroll scroll) {
  const RECT r = DisplayRect();
  if (scroll == vzqNormal) {
    BitBlt(dc, r.left, r.top, width, height, source, 0, 0, SRCCOPY);
    return;
  }
  const bool horizontal = scroll == vzqRightToLeft || scroll == vzqLeftToRight;
  const int extent = horizontal ? width : height;
  const int step = std::min<int>(std::max<short>(FScrollSize, 1), extent);
  short last = -1;
  for (int i = 0; i < extent; i += step) {
    const int offset = std::max(extent - step - i, 0);
    const int size = std::min(i + step, extent);
    switch (scroll) {
      case vzqRightToLeft: BitBlt(dc, r.left + offset, r.top, size, height, source, 0, 0, SRCCOPY); break;
      case vzqLeftToRight: BitBlt(dc, r.left, r.top, size, height, source, offset, 0, SRCCOPY); break;
      case vzqDownToUp: BitBlt(dc, r.left, r.top + offset, width, size, source, 0, 0, SRCCOPY); break;
      case vzqUpToDown: BitBlt(dc, r.left, r.top, width, size, source, 0, offset, SRCCOPY); break;
      case vzqNormal: break;
    }
    const auto percent = static_cast<short>(static_cast<long long>(i) * 100 / extent - 1);
    if (percent != last) {
      DoProgress(percent);
      last = percent;
    }
  }
  DoProgress(100);
}

void TVZqSlide::DrawFrame(HDC dc) {
  if (!FBorderVisible) return;
  RECT r = DisplayRect();
  InflateRect(&r, 1, 1);
  if (FAppearance == vzqFlat) {
    if (_Box) _Box(dc, r.left, r.top, r.right + 1, r.bottom + 1, 1, FBorderColor);
    return;
  }
  InflateRect(&r, 1, 1);
  DrawDisplayEdge(dc, r, FAppearance == vzqLowered);
}

void TVZqSlide::DrawBackground(HDC dc) {
  const RECT client{0, 0, width(), height()};
  platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(FColor));
  FillRect(dc, &client, brush);
  DrawFrame(dc);
}

void TVZqSlide::WmPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(this, &ps);
  if (!dc) return;
  if (FImage && !FList.empty()) {
    // A repaint draws the current image at once, whatever it showed before.
    FLastPath.clear();
    FLastPage = 0;
    Display(dc, vzqNormal);
    DrawFrame(dc);
  } else {
    DrawBackground(dc);
  }
  EndPaint(this, &ps);
}

// ---------------------------------------------------------------------------------------
// Timer and input

void TVZqSlide::StartTimer() {
  StopTimer();
  if (FIntervalTime <= 0) return;
  const auto ms = static_cast<UINT>(std::min<long long>(static_cast<long long>(FIntervalTime) * 1000, INT_MAX));
  FTimerId = SetTimer(this, kTimerId, ms, nullptr);
}

void TVZqSlide::StopTimer() {
  if (FTimerId > 0) KillTimer(this, kTimerId);
  FTimerId = 0;
}

void TVZqSlide::WmTimer(UINT_PTR id) {
  if (id != FTimerId || FTimerId == 0 || FBusy || FList.empty()) return;
  const LONG before = FCurrentImage;
  ComposePath(Step::Next);
  FreeImage();
  FImage = LoadEntry();
  if (FImage)
    Display(nullptr, ScrollDir);  // showing the last entry again stops the timer
  else if (FCurrentImage == before)
    StopTimer();  // a last entry that cannot be loaded is never shown again: the show ends here
}

void TVZqSlide::mousePressEvent(QMouseEvent* event) {
  TVZqUiControl::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && !hasFocus()) setFocus(Qt::MouseFocusReason);
}
