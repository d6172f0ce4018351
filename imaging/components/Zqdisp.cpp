#include "imaging/components/Zqdisp.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

#include "imaging/components/Zqutils.h"
#include "imaging/engine/Zqdispinit.h"
#include "imaging/engine/Zqdllprocs.h"
#include "platform/dib.h"
#include "platform/memory.h"
#include "platform/syscolors.h"

namespace {

constexpr int kWheelDelta = 120;
// The marker of the control's caption, which carries a page tag for the editing tools.
constexpr const char* kCaptionMarker = "Plumera7";
// What the engine is asked to render a vector image at before it is fitted.
constexpr LONG kVectorBits = 24;

void FreeHandle(HGLOBAL& handle) {
  if (handle != 0 && ZqFreeMemory) ZqFreeMemory(handle);
  handle = 0;
}

// A locked packed DIB: header, colour table and pixels.
class LockedDib {
 public:
  explicit LockedDib(HGLOBAL handle) : lock_(handle) {
    header_ = static_cast<const BITMAPINFOHEADER*>(lock_.get());
    if (!header_ || !GetDibPalSize || header_->biSize < sizeof(BITMAPINFOHEADER) || header_->biWidth <= 0 ||
        header_->biHeight == 0)
      header_ = nullptr;
  }
  explicit operator bool() const { return header_ != nullptr; }
  const BITMAPINFOHEADER* header() const { return header_; }
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(header_); }
  const void* bits() const {
    return reinterpret_cast<const BYTE*>(header_) + header_->biSize + GetDibPalSize(header_);
  }
  int width() const { return header_->biWidth; }
  int height() const { return header_->biHeight < 0 ? -header_->biHeight : header_->biHeight; }

 private:
  platform::GlobalLockGuard lock_;
  const BITMAPINFOHEADER* header_ = nullptr;
};

}  // namespace

TVZqDisp::TVZqDisp(QWidget* parent) : TVZqUiControl(parent) {
  const int counts = InitializeZQ(kZqKindImage);
  if (counts != -1 && (counts >> 16) == 1) Zqdispinit::Initialize();
  resize(100, 100);
  // The window is never erased before painting: every pixel is drawn by the control.
  SetBackgroundBrush(nullptr);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);

  FHBar = new QScrollBar(Qt::Horizontal, this);
  FVBar = new QScrollBar(Qt::Vertical, this);
  for (QScrollBar* bar : {FHBar, FVBar}) {
    bar->hide();
    const bool vertical = bar == FVBar;
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, vertical](int action) { OnBarAction(vertical, action); });
  }

  UINT lines = 0;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  FWheelStep = lines > 0 ? kWheelDelta / static_cast<int>(lines) : 0;

  ++g_DispInst;
  SetWindowText_Zq6Page(this, kCaptionMarker, 0);
  if (ZqVectorGdipStart) FGdipToken = ZqVectorGdipStart();
}

TVZqDisp::~TVZqDisp() {
  FMark.reset();
  FreeGrayCopies();
  g_DispInst = std::max(g_DispInst - 1, 0);
  if (FGdipToken != 0 && ZqVectorGdipEnd) ZqVectorGdipEnd(FGdipToken);
  const int counts = TerminateZQ(kZqKindImage);
  if (counts != -1 && counts < 65536) Zqdispinit::Terminate();
}

// ---------------------------------------------------------------------------------------
// Properties

void TVZqDisp::SetAppearance(TVZqAppearance value) {
  if (value == FAppearance) return;
  FAppearance = value;
  InitGeometry();
  InvalidateRect(this, nullptr, FALSE);
}

void TVZqDisp::SetBorderColor(COLORREF value) {
  if (value == FBorderColor) return;
  FBorderColor = value;
  InvalidateRect(this, nullptr, FALSE);
}

void TVZqDisp::SetBorderVisible(bool value) {
  if (value == FBorderVisible) return;
  FBorderVisible = value;
  InitGeometry();
  InvalidateRect(this, nullptr, FALSE);
}

void TVZqDisp::SetColor(COLORREF value) {
  if (value == FColor) return;
  FColor = value;
  InvalidateRect(this, nullptr, FALSE);
}

void TVZqDisp::SetScrollWidth(LONG value) {
  if (value >= 0) FScrollWidth = value;
}

void TVZqDisp::SetScrollHeight(LONG value) {
  if (value >= 0) FScrollHeight = value;
}

void TVZqDisp::SetScrollBar(bool value) {
  if (value == FScrollBar) return;
  FScrollBar = value;
  if (FImgHandle && FMode == vzqActualSize) {
    FLastScrollBar = value;
    InitGeometry();
    MainDraw(nullptr, false);
    UpdatePanWindow();
  }
}

void TVZqDisp::SetStartX(LONG value) {
  if (value >= 0) FStartX = value;
}

void TVZqDisp::SetStartY(LONG value) {
  if (value >= 0) FStartY = value;
}

void TVZqDisp::SetDispScale(double value) {
  if (value <= 0 || value == FGeometry.DispScale) return;
  FGeometry.DispScale = value;
  InitGeometry();
  InvalidateRect(this, nullptr, FALSE);
}

void TVZqDisp::SetDispCenterX(LONG value) { FDispCenterX = value; }
void TVZqDisp::SetDispCenterY(LONG value) { FDispCenterY = value; }
void TVZqDisp::SetMouseWheel(TVZqMouseWheel value) { FMouseWheel = value; }

void TVZqDisp::SetRefine1BitImage(bool value) {
  if (value == FRefine1BitImage) return;
  FRefine1BitImage = value;
  InvalidateRect(this, nullptr, FALSE);
}

void TVZqDisp::SetInvalidHatchPattern(bool value) {
  if (value == FInvalidHatchPattern) return;
  FInvalidHatchPattern = value;
  InvalidateRect(this, nullptr, FALSE);
}

void TVZqDisp::SetInvalidHatchColor(COLORREF value) {
  if (value == FInvalidHatchColor) return;
  FInvalidHatchColor = value;
  InvalidateRect(this, nullptr, FALSE);
}

void TVZqDisp::SetShowInDisp(bool value) {
  if (value == FShowInDisp) return;
  FShowInDisp = value;
  InvalidateRect(this, nullptr, FALSE);
}

void TVZqDisp::SetScrollDrag(bool value) { FScrollDrag = value; }

void TVZqDisp::SetRefine1BitImageScale(double value) {
  if (value < 0 || value >= 1 || value == FRefine1BitImageScale) return;
  FRefine1BitImageScale = value;
  FreeReducedGray();
  FCache = RefineCache{};
  InvalidateRect(this, nullptr, FALSE);
}

// ---------------------------------------------------------------------------------------
// Events

void TVZqDisp::DoEndDispImage(LONG originX, LONG originY, LONG left, LONG top, LONG right, LONG bottom,
                              double scaleWidth, double scaleHeight) {
  if (OnEndDispImage) OnEndDispImage(this, originX, originY, left, top, right, bottom, scaleWidth, scaleHeight);
}
void TVZqDisp::DoPanWindow() {
  if (OnPanWindow) OnPanWindow(this);
}
void TVZqDisp::DoScrollDispImage(int scrollCode, short pos, TVZqMouseWheel direction) {
  if (OnScrollDispImage) OnScrollDispImage(this, scrollCode, pos, direction);
}
void TVZqDisp::DoGetDragDropFileName() {
  if (OnGetDragDropFileName) OnGetDragDropFileName(this);
}
void TVZqDisp::DoMouseWheelUpImage(Qt::KeyboardModifiers shift, TVZqMouseWheel direction) {
  if (OnMouseWheelUpImage) OnMouseWheelUpImage(this, shift, direction);
}
void TVZqDisp::DoMouseWheelDownImage(Qt::KeyboardModifiers shift, TVZqMouseWheel direction) {
  if (OnMouseWheelDownImage) OnMouseWheelDownImage(this, shift, direction);
}
void TVZqDisp::DoMouseUpImage(Qt::MouseButton button, Qt::KeyboardModifiers shift, LONG x, LONG y) {
  const auto& g = FGeometry;
  if (OnMouseUpImage)
    OnMouseUpImage(this, button, shift, g.Drawn.left, g.Drawn.top, g.Visible.left, g.Visible.top, g.Visible.right,
                   g.Visible.bottom, g.ScaleX, g.ScaleY, x, y);
}
void TVZqDisp::DoMouseDownImage(Qt::MouseButton button, Qt::KeyboardModifiers shift, LONG x, LONG y) {
  const auto& g = FGeometry;
  if (OnMouseDownImage)
    OnMouseDownImage(this, button, shift, g.Drawn.left, g.Drawn.top, g.Visible.left, g.Visible.top, g.Visible.right,
                     g.Visible.bottom, g.ScaleX, g.ScaleY, x, y);
}
void TVZqDisp::DoMouseMoveImage(Qt::KeyboardModifiers shift, LONG x, LONG y) {
  const auto& g = FGeometry;
  if (OnMouseMoveImage)
    OnMouseMoveImage(this, shift, g.Drawn.left, g.Drawn.top, g.Visible.left, g.Visible.top, g.Visible.right,
                     g.Visible.bottom, g.ScaleX, g.ScaleY, x, y);
}
void TVZqDisp::DoSelEditFunc() {
  if (OnSelEditFunc) OnSelEditFunc(this);
}
void TVZqDisp::DoSelEditObj() {
  if (OnSelEditObj) OnSelEditObj(this);
}
void TVZqDisp::DoStartPopUpMenu() {
  if (OnStartPopUpMenu) OnStartPopUpMenu(this);
}
void TVZqDisp::DoEndPopUpMenu() {
  if (OnEndPopUpMenu) OnEndPopUpMenu(this);
}
void TVZqDisp::DoMouseUpSelectRasterImage() {
  if (OnMouseUpSelectRasterImage) OnMouseUpSelectRasterImage(this);
}
void TVZqDisp::DoMouseUpSelectVectorImage() {
  if (OnMouseUpSelectVectorImage) OnMouseUpSelectVectorImage(this);
}
void TVZqDisp::DoMouseDownSelectRasterImage() {
  if (OnMouseDownSelectRasterImage) OnMouseDownSelectRasterImage(this);
}
void TVZqDisp::DoMouseDownSelectVectorImage() {
  if (OnMouseDownSelectVectorImage) OnMouseDownSelectVectorImage(this);
}
void TVZqDisp::DoEditToolBar() {
  if (OnEditToolBar) OnEditToolBar(this);
}
void TVZqDisp::DoMagnifierMouseDown() {
  if (OnMagnifierMouseDown) OnMagnifierMouseDown(this);
}
void TVZqDisp::DoMagnifierMouseMove() {
  if (OnMagnifierMouseMove) OnMagnifierMouseMove(this);
}
void TVZqDisp::DoMagnifierMouseUp() {
  if (OnMagnifierMouseUp) OnMagnifierMouseUp(this);
}

// ---------------------------------------------------------------------------------------
// Geometry and scroll bars

TZqDispGeometry::Frame TVZqDisp::CurrentFrame() const {
  TZqDispGeometry::Frame frame;
  frame.width = width();
  frame.height = height();
  frame.border = FBorderVisible;
  frame.appearance = FAppearance;
  frame.scrollBarExtent = FVBar->sizeHint().width();
  return frame;
}

void TVZqDisp::InitGeometry() {
  FLayoutSize = size();
  if (!FImgHandle) {
    // Without an image only the display area is needed, for the background.
    FGeometry.Layout(CurrentFrame());
    return;
  }
  if (FImageKind == vzqRasterImage) {
    LockedDib dib(FImgHandle);
    if (!dib) return;
    FGeometry.ImageWidth = dib.width();
    FGeometry.ImageHeight = dib.height();
  } else {
    // A vector image has no bitmap header; its natural size is the engine's.
    FGeometry.ImageWidth = FVectorWidth;
    FGeometry.ImageHeight = FVectorHeight;
  }
  FGeometry.Initialise(CurrentFrame(), FScrollBar && FMode == vzqActualSize);
  ApplyScrollBars();
}

void TVZqDisp::ApplyScrollBars() {
  const int extent = FVBar->sizeHint().width();
  const auto& g = FGeometry;
  FSettingBars = true;
  auto apply = [&](QScrollBar* bar, const TZqScrollBarState& state, int value) {
    if (!state.shown) {
      bar->hide();
      return;
    }
    // Windows keeps the range 0 to size − 1 with a page; Qt's maximum is the last start.
    bar->setRange(0, std::max(0, state.max + 1 - state.page));
    bar->setPageStep(std::max(1, state.page));
    bar->setSingleStep(1);
    bar->setValue(value);
    bar->show();
  };
  FHBar->setGeometry(0, height() - extent, width() - (g.VBar.shown ? extent : 0), extent);
  FVBar->setGeometry(width() - extent, 0, extent, height() - (g.HBar.shown ? extent : 0));
  apply(FHBar, g.HBar, g.Visible.left);
  apply(FVBar, g.VBar, g.Visible.top);
  FSettingBars = false;
}

void TVZqDisp::OnBarAction(bool vertical, int action) {
  if (FSettingBars) return;
  QScrollBar* bar = vertical ? FVBar : FHBar;
  const int code = platform::ScrollCodeOfSliderAction(action);
  if (code < 0) return;
  ScrollMessage(vertical, code, code == SB_THUMBTRACK ? bar->sliderPosition() : 0);
  // The value the bar takes after the action is where the drawing now starts.
  bar->setSliderPosition(vertical ? FGeometry.Visible.top : FGeometry.Visible.left);
}

void TVZqDisp::ScrollMessage(bool vertical, int code, int pos) {
  if (!FImgHandle) return;
  auto& g = FGeometry;
  LONG& start = vertical ? g.Visible.top : g.Visible.left;
  const LONG step = vertical ? FScrollHeight : FScrollWidth;
  const int visible = vertical ? g.VisibleRows : g.VisibleCols;
  const int size = vertical ? g.ImageHeight : g.ImageWidth;
  switch (code) {
    case SB_LINEUP: start -= step; break;
    case SB_LINEDOWN: start += step; break;
    case SB_PAGEUP: start = std::max<LONG>(start - visible, 0); break;
    case SB_PAGEDOWN: start += visible; break;
    case SB_THUMBTRACK: start = pos; break;
    case SB_TOP: start = 0; break;
    case SB_BOTTOM: start = size - 1; break;
    default: UpdatePanWindow(); return;
  }
  MainDraw(nullptr, true);
  DoScrollDispImage(code, static_cast<short>(pos), vertical ? vzqVertical : vzqHorizontal);
  UpdatePanWindow();
}

// ---------------------------------------------------------------------------------------
// Operations

void TVZqDisp::SetImgHandle(HGLOBAL handle) {
  FGeometry.ScaleX = FGeometry.ScaleY = 1.0;
  FPanScale = 0;
  FDragging = false;
  ClearMark();
  FGeometry.Visible = RECT{};
  FGeometry.Drawn = RECT{};
  FGeometry.HBar = FGeometry.VBar = TZqScrollBarState{};
  FHBar->hide();
  FVBar->hide();

  FImgHandle = handle;
  FImageKind = vzqInvalidImage;
  FreeGrayCopies();
  FCache = RefineCache{};

  if (FImgHandle) {
    platform::GlobalLockGuard lock(FImgHandle);
    if (!lock.get()) FImgHandle = 0;
  }
  if (!FImgHandle) {
    ValidateRect(this, nullptr);
    return;
  }
  ZqImageInfo info{};
  if (!ZqGetImageType || !ZqGetImageType(FImgHandle, &info) || info.kind != vzqRasterImage) {
    FImgHandle = 0;
    ValidateRect(this, nullptr);
    return;
  }
  FImageKind = info.kind;
  FVectorWidth = static_cast<int>(info.width);
  FVectorHeight = static_cast<int>(info.height);
  LONG xdpi = 0;
  LONG ydpi = 0;
  if (ZqGetDpi) ZqGetDpi(FImgHandle, &xdpi, &ydpi);
  FXdpi = xdpi > 0 ? xdpi : 72;
  FYdpi = ydpi > 0 ? ydpi : 72;
  InitGeometry();
  MainDraw(nullptr, false);
  RedrawPanWindow();
}

bool TVZqDisp::Display(TVZqDispMode mode) {
  if (mode == vzqFitToWidth || mode == vzqFitToHeight) {
    ErrorStatus = kZqDispRefusedMode;
    return false;
  }
  ErrorStatus = 0;
  if (mode != vzqActualSize) {
    FHBar->hide();
    FVBar->hide();
    FGeometry.HBar = FGeometry.VBar = TZqScrollBarState{};
  }
  if (mode == vzqClear) {
    FMode = vzqClear;
    InvalidateRect(this, nullptr, FALSE);
    return true;
  }
  if (!FImgHandle) {
    DrawBackgroundNow();
    return false;
  }
  if (mode != FMode || FScrollBar != FLastScrollBar) {
    FMode = mode;
    FLastScrollBar = FScrollBar;
    InitGeometry();
  }
  const bool drawn = MainDraw(nullptr, false);
  if (drawn) {
    if (FMode == vzqActualSize) ResizePanWindow();
    UpdatePanWindow();
  }
  return drawn;
}

bool TVZqDisp::Refresh() {
  ErrorStatus = 0;
  const bool drawn = MainDraw(nullptr, false);
  if (!drawn) {
    InvalidateRect(this, nullptr, FALSE);
    UpdateWindow(this);
  }
  return drawn;
}

bool TVZqDisp::ScrollImage(TVZqScrollDir direction) {
  if (FMode != vzqActualSize) {
    ErrorStatus = kZqDispRefused;
    return false;
  }
  ErrorStatus = 0;
  FGeometry.ScrollBy(direction, FScrollWidth, FScrollHeight);
  MainDraw(nullptr, true);
  UpdatePanWindow();
  return true;
}

bool TVZqDisp::Zoom(LONG left, LONG top, LONG right, LONG bottom) {
  ErrorStatus = kZqDispRefused;
  const auto& g = FGeometry;
  if (!FImgHandle || left < 0 || top < 0 || right >= g.ImageWidth || bottom >= g.ImageHeight || right < left ||
      bottom < top)
    return false;
  FDispCenterX = static_cast<LONG>((left + right) * 0.5 + 0.5);
  FDispCenterY = static_cast<LONG>((top + bottom) * 0.5 + 0.5);
  FGeometry.Layout(CurrentFrame());
  FGeometry.DispScale = std::min(static_cast<double>(g.AreaHeight()) / (bottom - top + 1),
                                 static_cast<double>(g.AreaWidth()) / (right - left + 1));
  InitGeometry();
  if (MainDraw(nullptr, false)) ErrorStatus = 0;
  if (FMode == vzqActualSize) RedrawPanWindow();
  return true;
}

bool TVZqDisp::Modify() {
  // The edit memory bitmap belongs to the editing tool set, which this build lacks.
  ErrorStatus = kZqDispRefused;
  return false;
}

bool TVZqDisp::DrawTo(HDC dc, const RECT& rect) {
  if (!dc || rect.right <= rect.left || rect.bottom <= rect.top) {
    ErrorStatus = kZqDispNoTarget;
    return false;
  }
  return MainDraw(dc, false);
}

// ---------------------------------------------------------------------------------------
// Refinement copies

void TVZqDisp::FreeReducedGray() { FreeHandle(FReducedGray); }

void TVZqDisp::FreeGrayCopies() {
  FreeHandle(FGray);
  FreeHandle(FReducedGray);
}

bool TVZqDisp::CacheMatches(int areaWidth, int areaHeight) const {
  return FCache.scaleX == FGeometry.ScaleX && FCache.scaleY == FGeometry.ScaleY && FCache.mode == FMode &&
         FCache.width == areaWidth && FCache.height == areaHeight;
}

void TVZqDisp::StoreCache(int areaWidth, int areaHeight) {
  FCache = RefineCache{FGeometry.ScaleX, FGeometry.ScaleY, FMode, areaWidth, areaHeight};
}

// ---------------------------------------------------------------------------------------
// Drawing

bool TVZqDisp::MainDraw(HDC target, bool fromScroll) {
  if (!FImgHandle) return false;
  // A hidden control learns of a size change only when shown; the drawing notices it.
  if (size() != FLayoutSize) InitGeometry();
  const bool raster = FImageKind == vzqRasterImage;
  if (raster && FRefine1BitImage && !EditEnable() && !FGray && ConvertColorTo8Gray) {
    FGray = ConvertColorTo8Gray(FImgHandle);
    FCache.mode = -1;
  }
  UpdateGraduation();
  if (!fromScroll) FGeometry.StartPosition(FMode, FStartX, FStartY, FDispCenterX, FDispCenterY);
  FGeometry.StartCheck(FMode);

  HDC dc = target ? target : QuietSurfaceDC();
  if (!dc) return false;
  FDrawnOnScreen = false;
  const bool rasterDevice = GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY;
  bool drawn = false;
  switch (FMode) {
    case vzqScale:
    case vzqStretch: drawn = raster ? DrawScaled(dc, rasterDevice) : DrawVector(dc, rasterDevice); break;
    case vzqActualSize: drawn = DrawActual(dc, rasterDevice); break;
    default: break;
  }
  FStartX = FGeometry.Visible.left;
  FStartY = FGeometry.Visible.top;
  if (drawn) {
    FillMargins(dc);
    DrawFrame(dc);
    DrawRulers(dc);
  }
  if (FScrollBar && FMode == vzqActualSize) {
    FSettingBars = true;
    if (FGeometry.HBar.shown) FHBar->setValue(FGeometry.Visible.left);
    if (FGeometry.VBar.shown) FVBar->setValue(FGeometry.Visible.top);
    FSettingBars = false;
  }
  if (FMode != vzqActualSize) RedrawPanWindow();
  FDispCenterX = FDispCenterY = 0;
  if (!target) {
    DeleteDC(dc);
    if (drawn) {
      PushToScreen(RECT{0, 0, width(), height()});
      ValidateRect(this, nullptr);
    }
  }
  if (drawn && FDrawnOnScreen) {
    const auto& g = FGeometry;
    DoEndDispImage(g.Drawn.left, g.Drawn.top, g.Visible.left, g.Visible.top, g.Visible.right, g.Visible.bottom,
                   g.ScaleX, g.ScaleY);
  }
  return drawn;
}

bool TVZqDisp::DrawScaled(HDC dc, bool rasterDevice) {
  const int aw = FGeometry.AreaWidth();
  const int ah = FGeometry.AreaHeight();
  if (FRefine1BitImage && !EditEnable() && !CacheMatches(aw, ah)) {
    FreeReducedGray();
    if ((FGeometry.ImageWidth > aw || FGeometry.ImageHeight > ah) && FGray && Resize1Bit && aw > 0 && ah > 0)
      FReducedGray = Resize1Bit(FGray, 0, 0, 0, 0, aw, ah);
  }
  TZqDrawPlan plan;
  if (!FGeometry.ScaledPlan(FMode, plan)) return false;
  bool ok = false;
  if (FRefine1BitImage && FReducedGray) {
    plan.srcX = plan.srcY = 0;
    plan.srcWidth = aw;
    plan.srcHeight = ah;
    ok = DrawHandle(dc, rasterDevice, FReducedGray, plan);
  } else {
    ok = DrawHandle(dc, rasterDevice, FImgHandle, plan);
  }
  StoreCache(aw, ah);
  return ok;
}

bool TVZqDisp::DrawActual(HDC dc, bool rasterDevice) {
  auto& g = FGeometry;
  const double s = g.DispScale;
  const bool refine = FRefine1BitImage && !EditEnable();
  if (refine && FRefine1BitImageScale > 0 && FRefine1BitImageScale < 1 && !CacheMatches(g.AreaWidth(), g.AreaHeight())) {
    FreeReducedGray();
    const int w = static_cast<int>(s * g.ImageWidth);
    const int h = static_cast<int>(g.ImageHeight * s);
    if (s > 0 && s < FRefine1BitImageScale && FGray && Resize1Bit && w > 0 && h > 0)
      FReducedGray = Resize1Bit(FGray, 0, 0, 0, 0, w, h);
    // The scales the next check compares with are the ones this drawing uses.
    g.ScaleX = g.ScaleY = s;
    StoreCache(g.AreaWidth(), g.AreaHeight());
  } else if (FRefine1BitImageScale == 0) {
    FreeReducedGray();
  }
  TZqDrawPlan plan;
  if (rasterDevice && refine && FReducedGray) {
    if (!g.ReducedPlan(plan)) return false;
    return DrawHandle(dc, rasterDevice, FReducedGray, plan);
  }
  if (!g.ActualPlan(plan)) return false;
  if (rasterDevice && refine && FGray && FRefine1BitImageScale == 0 && Resize1Bit) {
    // A piece of the grey copy resampled to the drawn size, drawn at 1:1 and freed.
    HGLOBAL piece = Resize1Bit(FGray, plan.srcX, plan.srcY, plan.srcX + plan.srcWidth - 1,
                               plan.srcY + plan.srcHeight - 1, plan.width, plan.height);
    if (piece) {
      TZqDrawPlan onePiece = plan;
      onePiece.srcX = onePiece.srcY = 0;
      onePiece.srcWidth = plan.width;
      onePiece.srcHeight = plan.height;
      const bool ok = DrawHandle(dc, rasterDevice, piece, onePiece);
      FreeHandle(piece);
      return ok;
    }
  }
  return DrawHandle(dc, rasterDevice, FImgHandle, plan);
}

bool TVZqDisp::DrawVector(HDC dc, bool rasterDevice) {
  auto& g = FGeometry;
  const int aw = g.AreaWidth();
  const int ah = g.AreaHeight();
  if (aw < 2 || ah < 2 || g.ImageWidth <= 0 || g.ImageHeight <= 0 || !ZqVectorToRaster) return false;
  double sx = static_cast<double>(aw) / g.ImageWidth;
  double sy = static_cast<double>(ah) / g.ImageHeight;
  int x = g.Area.left;
  int y = g.Area.top;
  int w = aw;
  int h = ah;
  if (FMode == vzqScale) {
    sx = sy = std::min({sx, sy, 1.0});
    w = std::max(static_cast<int>(g.ImageWidth * sx), 1);
    h = std::max(static_cast<int>(g.ImageHeight * sy), 1);
    x += (aw - w) / 2;
    y += (ah - h) / 2;
  }
  g.ScaleX = sx;
  g.ScaleY = sy;
  // The engine renders the drawing; it is then drawn at the drawn size.
  HGLOBAL raster = ZqVectorToRaster(FImgHandle, kVectorBits, -1, GetRValue(FColor), GetGValue(FColor),
                                    GetBValue(FColor));
  if (!raster) return false;
  bool ok = false;
  {
    LockedDib dib(raster);
    if (dib) {
      const TZqDrawPlan plan{x, y, w, h, 0, 0, dib.width(), dib.height()};
      g.Drawn = RECT{x, y, x + w, y + h};
      ok = rasterDevice ? DrawStretchDIBits(dc, plan, dib.header(), dib.bits())
                        : DrawThroughClientBitmap(dc, plan, dib.header(), dib.bits());
      if (ok && rasterDevice) FDrawnOnScreen = true;
    }
  }
  FreeHandle(raster);
  return ok;
}

bool TVZqDisp::DrawHandle(HDC dc, bool rasterDevice, HGLOBAL handle, const TZqDrawPlan& plan) {
  LockedDib dib(handle);
  if (!dib) return false;
  if (!rasterDevice) return DrawThroughClientBitmap(dc, plan, dib.header(), dib.bits());
  const bool ok = DrawStretchDIBits(dc, plan, dib.header(), dib.bits());
  if (ok) FDrawnOnScreen = true;
  return ok;
}

bool TVZqDisp::DrawThroughClientBitmap(HDC dc, const TZqDrawPlan& plan, const BITMAPINFOHEADER* header,
                                       const void* bits) {
  const int cw = std::max(1, width());
  const int ch = std::max(1, height());
  HDC window = GetDC(this);
  platform::ScopedDC memory(CreateCompatibleDC(window));
  platform::ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(window, cw, ch));
  ReleaseDC(this, window);
  if (!memory.get() || !bitmap) return false;
  bool ok = false;
  {
    platform::ScopedSelect select(memory, bitmap.get());
    if (_BoxFull) _BoxFull(memory, 0, 0, cw, ch, FColor);
    ok = DrawStretchDIBits(memory, plan, header, bits);
    ok = BitBlt(dc, 0, 0, cw, ch, memory, 0, 0, SRCCOPY) && ok;
  }
  return ok;
}

bool TVZqDisp::NeedsComposition() const {
  if (!FShowInDisp) return true;
  return std::any_of(FRasterLayers.begin(), FRasterLayers.end(),
                     [](const TVZqRasterLayer& layer) { return layer.Visible && layer.Image; });
}

bool TVZqDisp::DrawStretchDIBits(HDC dc, const TZqDrawPlan& plan, const BITMAPINFOHEADER* header, const void* bits) {
  if (!_StretchDIBits) return false;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(header);
  auto stretch = [&](HDC to, int x, int y) {
    SetStretchBltMode(to, COLORONCOLOR);
    return _StretchDIBits(to, x, y, plan.width, plan.height, plan.srcX, plan.srcY, plan.srcWidth, plan.srcHeight,
                          bits, info, DIB_RGB_COLORS, SRCCOPY) > 0;
  };
  if (SimpleDispCtrl) return stretch(dc, plan.x, plan.y);
  // With nothing to lay over the image, the target (the window's surface, itself shown
  // only once the drawing is finished) takes the image directly: one copy less.
  if (!NeedsComposition()) return DrawClipped(dc, header, [&] { return stretch(dc, plan.x, plan.y); });

  platform::ScopedDC memory(CreateCompatibleDC(dc));
  platform::ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, plan.width, plan.height));
  if (!memory.get() || !bitmap) return false;
  platform::ScopedSelect select(memory, bitmap.get());
  if (FShowInDisp) {
    stretch(memory, 0, 0);
  } else if (_BoxFull) {
    _BoxFull(memory, 0, 0, plan.width, plan.height, FColor);
  }
  SetStretchBltMode(memory, COLORONCOLOR);
  const double sx = FGeometry.ScaleX;
  const double sy = FGeometry.ScaleY;
  for (const TVZqRasterLayer& layer : FRasterLayers) {
    if (!layer.Visible || !layer.Image) continue;
    LockedDib dib(layer.Image);
    if (!dib) continue;
    const int lx = static_cast<int>((layer.X - plan.srcX) * sx);
    const int ly = static_cast<int>((layer.Y - plan.srcY) * sy);
    const int lw = static_cast<int>(layer.Width * sx + 0.5);
    const int lh = static_cast<int>(layer.Height * sy + 0.5);
    if (lw > 0 && lh > 0)
      _StretchDIBits(memory, lx, ly, lw, lh, 0, 0, dib.width(), dib.height(), dib.bits(), dib.info(), DIB_RGB_COLORS,
                     SRCCOPY);
  }
  return DrawClipped(dc, header, [&] {
    DrawVectorLayers(memory);
    DrawGrid(memory);
    return BitBlt(dc, plan.x, plan.y, plan.width, plan.height, memory, 0, 0, SRCCOPY) != FALSE;
  });
}

bool TVZqDisp::DrawClipped(HDC dc, const BITMAPINFOHEADER* header, const std::function<bool()>& draw) {
  platform::ScopedGdiObject<HPALETTE> palette(CreateBIPalette ? CreateBIPalette(header) : nullptr);
  HPALETTE previousPalette = nullptr;
  if (palette) {
    previousPalette = SelectPalette(dc, palette.get(), FALSE);
    RealizePalette(dc);
  }
  const bool clip = !IsPaintingCopy();
  const int saved = SaveDC(dc);
  if (clip) {
    const RECT& a = FGeometry.Area;
    platform::ScopedGdiObject<HRGN> region(CreateRectRgn(a.left, a.top, a.right + 1, a.bottom + 1));
    ExtSelectClipRgn(dc, region, RGN_AND);
  }
  const bool ok = draw();
  if (saved != 0) RestoreDC(dc, saved);
  if (palette) SelectPalette(dc, previousPalette, FALSE);
  return ok;
}

void TVZqDisp::FillBox(HDC dc, int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  if (FInvalidHatchPattern && _BoxFullHatch) {
    _BoxFullHatch(dc, left, top, right, bottom, FColor, FInvalidHatchColor, HS_DIAGCROSS);
  } else if (_BoxFull) {
    _BoxFull(dc, left, top, right, bottom, FColor);
  } else {
    // Without the engine the control still shows its background, never stale pixels.
    platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(FColor));
    const RECT box{left, top, right, bottom};
    FillRect(dc, &box, brush);
  }
}

void TVZqDisp::FillMargins(HDC dc) {
  const RECT& a = FGeometry.Area;
  const RECT& d = FGeometry.Drawn;
  const int right = a.right + 1;
  const int bottom = a.bottom + 1;
  FillBox(dc, a.left, a.top, right, std::min<int>(d.top, bottom));
  if (d.right < right) FillBox(dc, d.right, a.top, right, bottom);
  FillBox(dc, a.left, std::max<int>(d.bottom, a.top), right, bottom);
  if (d.left > a.left) FillBox(dc, a.left, a.top, d.left, bottom);
}

void TVZqDisp::DrawFrame(HDC dc) {
  if (!FBorderVisible) return;
  const RECT& c = FGeometry.Client;
  if (FAppearance == vzqFlat) {
    if (_Box) _Box(dc, c.left, c.top, c.right + 1, c.bottom + 1, 1, FBorderColor);
    return;
  }
  DrawDisplayEdge(dc, c, FAppearance == vzqLowered);
}

void TVZqDisp::DrawBackground(HDC dc) {
  FGeometry.Layout(CurrentFrame());
  DrawFrame(dc);
  const RECT& a = FGeometry.Area;
  FillBox(dc, a.left, a.top, a.right + 1, a.bottom + 1);
  DrawRulers(dc);
  DrawGrid(dc);
}

void TVZqDisp::DrawBackgroundNow() {
  HDC dc = QuietSurfaceDC();
  if (!dc) return;
  DrawBackground(dc);
  DeleteDC(dc);
  PushToScreen(RECT{0, 0, width(), height()});
}

void TVZqDisp::WmPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(this, &ps);
  if (!dc) return;
  if (FMode == vzqClear || !FImgHandle) {
    DrawBackground(dc);
    if (FMode == vzqClear) {
      ClearPanWindow();
      FHBar->hide();
      FVBar->hide();
    }
  } else if (!MainDraw(dc, false)) {
    DrawBackground(dc);
    ClearPanWindow();
  }
  EndPaint(this, &ps);
}

bool TVZqDisp::WmEraseBkgnd(HDC, const RECT&) { return true; }

void TVZqDisp::resizeEvent(QResizeEvent* event) {
  TVZqUiControl::resizeEvent(event);
  InitGeometry();
}

// ---------------------------------------------------------------------------------------
// Mouse and wheel

void TVZqDisp::MouseEventCommon(QMouseEvent* event, int kind) {
  const QPoint p = event->position().toPoint();
  if (!FGeometry.OverImage(p.x(), p.y())) return;
  const LONG x = FGeometry.ImageX(p.x());
  const LONG y = FGeometry.ImageY(p.y());
  switch (kind) {
    case 0: DoMouseDownImage(event->button(), event->modifiers(), x, y); break;
    case 1: DoMouseUpImage(event->button(), event->modifiers(), x, y); break;
    default: DoMouseMoveImage(event->modifiers(), x, y); break;
  }
}

void TVZqDisp::mousePressEvent(QMouseEvent* event) {
  TVZqUiControl::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && !hasFocus()) setFocus(Qt::MouseFocusReason);
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton && FMark && FImgHandle) {
    // A blinking frame from before is painted over by the image first.
    if (FMark->IsRunningTimer()) {
      FMark->KillIntervalTimer();
      MainDraw(nullptr, false);
    }
    PrepareMark();
    FMarking = true;
    switch (FMarkKind) {
      case TVZqMarkKind::Rect: static_cast<TCRect*>(FMark.get())->OnLButtonDown_Rect_EDIT(p.x(), p.y()); break;
      case TVZqMarkKind::SelRect:
        static_cast<TCSelRect*>(FMark.get())->OnLButtonDown_SelRect_EDIT(p.x(), p.y());
        break;
      case TVZqMarkKind::SelFree:
        static_cast<TCSelFree*>(FMark.get())->OnLButtonDown_SelFree_EDIT(p.x(), p.y());
        break;
      case TVZqMarkKind::None: break;
    }
  } else if (event->button() == Qt::LeftButton && FScrollDrag && FMode == vzqActualSize && FImgHandle &&
             FGeometry.OverImage(p.x(), p.y())) {
    FDragging = true;
    FGrabX = FGeometry.ImageX(p.x());
    FGrabY = FGeometry.ImageY(p.y());
    setCursor(platform::CursorShapeOf(LoadCursor(nullptr, IDC_SIZEALL)));
  }
  MouseEventCommon(event, 0);
}

void TVZqDisp::mouseMoveEvent(QMouseEvent* event) {
  TVZqUiControl::mouseMoveEvent(event);
  const QPoint p = event->position().toPoint();
  if (FMark && FImgHandle && (FMarking || FMarkKind == TVZqMarkKind::Rect)) {
    PrepareMark();
    switch (FMarkKind) {
      case TVZqMarkKind::Rect: static_cast<TCRect*>(FMark.get())->OnMouseMove_Rect_EDIT(p.x(), p.y(), false); break;
      case TVZqMarkKind::SelRect:
        static_cast<TCSelRect*>(FMark.get())->OnMouseMove_SelRect_EDIT(p.x(), p.y(), false);
        break;
      case TVZqMarkKind::SelFree:
        static_cast<TCSelFree*>(FMark.get())->OnMouseMove_SelFree_EDIT(p.x(), p.y(), false);
        break;
      case TVZqMarkKind::None: break;
    }
  } else if (FDragging) {
    FStartX = FGeometry.Visible.left + FGrabX - FGeometry.ImageX(p.x());
    FStartY = FGeometry.Visible.top + FGrabY - FGeometry.ImageY(p.y());
    MainDraw(nullptr, false);
    UpdatePanWindow();
  }
  MouseEventCommon(event, 2);
}

void TVZqDisp::mouseReleaseEvent(QMouseEvent* event) {
  TVZqUiControl::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && FMark && FMarking) {
    FMarking = false;
    PrepareMark();
    switch (FMarkKind) {
      case TVZqMarkKind::Rect: static_cast<TCRect*>(FMark.get())->OnLButtonUp_Rect_EDIT(); break;
      case TVZqMarkKind::SelRect: static_cast<TCSelRect*>(FMark.get())->OnLButtonUp_SelRect_EDIT(); break;
      case TVZqMarkKind::SelFree: static_cast<TCSelFree*>(FMark.get())->OnLButtonUp_SelFree_EDIT(false); break;
      case TVZqMarkKind::None: break;
    }
  } else if (event->button() == Qt::LeftButton && FDragging) {
    FDragging = false;
    unsetCursor();
  }
  MouseEventCommon(event, 1);
}

void TVZqDisp::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (!FImgHandle || FWheelStep <= 0) return;
  const QPoint angle = event->angleDelta();
  FWheelAccumulator += angle.y() != 0 ? angle.y() : angle.x();
  bool up = false;
  while (FWheelAccumulator >= FWheelStep) {
    if (FMouseWheel != vzqDisable) ScrollMessage(FMouseWheel == vzqVertical, SB_LINEUP, 0);
    FWheelAccumulator -= FWheelStep;
    up = true;
  }
  while (FWheelAccumulator <= -FWheelStep) {
    if (FMouseWheel != vzqDisable) ScrollMessage(FMouseWheel == vzqVertical, SB_LINEDOWN, 0);
    FWheelAccumulator += FWheelStep;
    up = false;
  }
  if (up) {
    DoMouseWheelUpImage(event->modifiers(), FMouseWheel);
  } else {
    DoMouseWheelDownImage(event->modifiers(), FMouseWheel);
  }
}

// ---------------------------------------------------------------------------------------
// Marked areas

bool TVZqDisp::BeginMarkRect(double aspectRatio) {
  ClearMark();
  if (!FImgHandle) return false;
  auto mark = std::make_unique<TCRect>(this, FImgHandle, aspectRatio);
  if (!mark->IsValid()) return false;
  FMark = std::move(mark);
  FMarkKind = TVZqMarkKind::Rect;
  return true;
}

bool TVZqDisp::BeginMarkSelRect() {
  ClearMark();
  if (!FImgHandle) return false;
  auto mark = std::make_unique<TCSelRect>(this, FImgHandle, true);
  if (!mark->IsValid()) return false;
  FMark = std::move(mark);
  FMarkKind = TVZqMarkKind::SelRect;
  return true;
}

bool TVZqDisp::BeginMarkSelFree() {
  ClearMark();
  if (!FImgHandle) return false;
  auto mark = std::make_unique<TCSelFree>(this, FImgHandle, true);
  if (!mark->IsValid()) return false;
  FMark = std::move(mark);
  FMarkKind = TVZqMarkKind::SelFree;
  return true;
}

void TVZqDisp::ClearMark() {
  const bool had = FMark != nullptr;
  FMark.reset();
  FMarkKind = TVZqMarkKind::None;
  FMarking = false;
  // The frame left on the surface goes with the next drawing.
  if (had && FImgHandle) MainDraw(nullptr, false);
}

void TVZqDisp::PrepareMark() {
  const auto& g = FGeometry;
  const RECT shown{g.Drawn.left, g.Drawn.top, g.Drawn.right - 1, g.Drawn.bottom - 1};
  FMark->SetView(shown, g.Visible.left, g.Visible.top, g.Visible.right - g.Visible.left + 1,
                 g.Visible.bottom - g.Visible.top + 1, g.ScaleX, g.ScaleY);
  FMark->BlinkSpeed = BlinkSpeed;
}

void TVZqDisp::BlinkMark() {
  if (!FMark || !FMark->IsRunningTimer()) return;
  const auto& g = FGeometry;
  auto sx = [&](int x) { return ConvToScrnX(x, g.Visible.left, g.ScaleX > 0 ? g.ScaleX : 1.0, g.Drawn.left); };
  auto sy = [&](int y) { return ConvToScrnY(y, g.Visible.top, g.ScaleY > 0 ? g.ScaleY : 1.0, g.Drawn.top); };
  HDC dc = QuietSurfaceDC();
  if (!dc) return;
  {
    const RECT& a = g.Area;
    platform::ScopedGdiObject<HRGN> region(CreateRectRgn(a.left, a.top, a.right + 1, a.bottom + 1));
    SelectClipRgn(dc, region);
  }
  const COLORREF c1 = FMark->Color1;
  const COLORREF c2 = FMark->Color2;
  switch (FMarkKind) {
    case TVZqMarkKind::Rect: {
      const RECT r = static_cast<const TCRect*>(FMark.get())->Rect();
      _BlinkBox(dc, sx(r.left), sy(r.top), sx(r.right), sy(r.bottom), c1, c2);
      break;
    }
    case TVZqMarkKind::SelRect: {
      const auto* sel = static_cast<const TCSelRect*>(FMark.get());
      const POINT a = sel->Corner(0);
      const POINT b = sel->Corner(2);
      _BlinkBox(dc, sx(a.x), sy(a.y), sx(b.x), sy(b.y), c1, c2);
      break;
    }
    case TVZqMarkKind::SelFree: {
      const auto* free = static_cast<const TCSelFree*>(FMark.get());
      for (int i = 1; i < free->PointCount(); ++i) {
        const POINT a = free->Point(i - 1);
        const POINT b = free->Point(i);
        _BlinkLine(dc, sx(a.x), sy(a.y), sx(b.x), sy(b.y), i == 1, c1, c2);
      }
      break;
    }
    case TVZqMarkKind::None: break;
  }
  DeleteDC(dc);
  PushToScreen(RECT{g.Area.left, g.Area.top, g.Area.right + 1, g.Area.bottom + 1});
}

void TVZqDisp::WmTimer(UINT_PTR id) {
  if (id == kZqBlinkTimerId) BlinkMark();
}
