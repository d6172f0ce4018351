// TVZqDisp: shows one engine image handle in its window, fitted (vzqScale), stretched
// (vzqStretch) or at a chosen scale with scrolling (vzqActualSize), with scroll bars,
// wheel and drag scrolling, zoom to a rectangle, grey refinement of reduced images,
// hatched margins and the blinking frame of a marked area. The image handle stays the
// caller's: the control never frees it. Everything is drawn through the platform's
// drawing layer on the control's persistent surface, composed off-screen first.
#pragma once

#include <QScrollBar>
#include <array>
#include <functional>
#include <memory>

#include "imaging/components/ZqDispGeometry.h"
#include "imaging/components/Zqother.h"
#include "imaging/engine/Zqinit.h"

enum TVZqMouseWheel { vzqDisable, vzqVertical, vzqHorizontal };

using TVZqDispEndDispImageEvent = std::function<void(QObject* sender, LONG originX, LONG originY, LONG left, LONG top,
                                                     LONG right, LONG bottom, double scaleWidth, double scaleHeight)>;
using TVZqDispScrollEvent = std::function<void(QObject* sender, int scrollCode, short pos, TVZqMouseWheel direction)>;
using TVZqDispMouseWheelEvent =
    std::function<void(QObject* sender, Qt::KeyboardModifiers shift, TVZqMouseWheel direction)>;
using TVZqDispMouseEvent =
    std::function<void(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, LONG originX, LONG originY,
                       LONG left, LONG top, LONG right, LONG bottom, double scaleWidth, double scaleHeight, LONG x, LONG y)>;
using TVZqDispMouseMoveEvent =
    std::function<void(QObject* sender, Qt::KeyboardModifiers shift, LONG originX, LONG originY, LONG left, LONG top,
                       LONG right, LONG bottom, double scaleWidth, double scaleHeight, LONG x, LONG y)>;
// The events of the features the program leaves off (pan window, editing tool set,
// pop-up menu, magnifier) only say that they happened.
using TVZqDispNotifyEvent = std::function<void(QObject* sender)>;

// ErrorStatus codes of the display component.
inline constexpr short kZqDispNoTarget = 2;     // neither a window nor a target context
inline constexpr short kZqDispNoLock = 3;       // the image memory cannot be locked
inline constexpr short kZqDispRefusedMode = 4;  // vzqFitToWidth or vzqFitToHeight
inline constexpr short kZqDispRefused = 5;      // wrong mode, rectangle or editing state

// A raster picture drawn over the image in image coordinates (the editing tool set's
// layers). Image is a packed-DIB handle that stays the caller's.
struct TVZqRasterLayer {
  bool Visible = false;
  LONG X = 0;
  LONG Y = 0;
  LONG Width = 0;
  LONG Height = 0;
  HGLOBAL Image = 0;
};

// What an area being marked with the mouse is.
enum class TVZqMarkKind { None, Rect, SelRect, SelFree };

class TVZqDisp : public TVZqUiControl {
  Q_OBJECT
 public:
  static constexpr int kLayerCount = 100;

  explicit TVZqDisp(QWidget* parent = nullptr);
  ~TVZqDisp() override;

  // Events, fired through the virtual Do… operations with this control as sender.
  TVZqDispEndDispImageEvent OnEndDispImage;
  TVZqDispNotifyEvent OnPanWindow;
  TVZqDispScrollEvent OnScrollDispImage;
  TVZqDispNotifyEvent OnGetDragDropFileName;
  TVZqDispMouseWheelEvent OnMouseWheelUpImage, OnMouseWheelDownImage;
  TVZqDispMouseEvent OnMouseUpImage, OnMouseDownImage;
  TVZqDispMouseMoveEvent OnMouseMoveImage;
  TVZqDispNotifyEvent OnSelEditFunc, OnSelEditObj, OnStartPopUpMenu, OnEndPopUpMenu;
  TVZqDispNotifyEvent OnMouseUpSelectRasterImage, OnMouseUpSelectVectorImage;
  TVZqDispNotifyEvent OnMouseDownSelectRasterImage, OnMouseDownSelectVectorImage;
  TVZqDispNotifyEvent OnEditToolBar, OnMagnifierMouseDown, OnMagnifierMouseMove, OnMagnifierMouseUp;

  // Published properties.
  TVZqAppearance Appearance() const { return FAppearance; }
  COLORREF BorderColor() const { return FBorderColor; }
  bool BorderVisible() const { return FBorderVisible; }
  COLORREF Color() const { return FColor; }
  LONG ScrollWidth() const { return FScrollWidth; }
  LONG ScrollHeight() const { return FScrollHeight; }
  bool ScrollBar() const { return FScrollBar; }
  LONG StartX() const { return FStartX; }
  LONG StartY() const { return FStartY; }
  double DispScale() const { return FGeometry.DispScale; }
  LONG DispCenterX() const { return FDispCenterX; }
  LONG DispCenterY() const { return FDispCenterY; }
  TVZqMouseWheel MouseWheel() const { return FMouseWheel; }
  bool Refine1BitImage() const { return FRefine1BitImage; }
  bool InvalidHatchPattern() const { return FInvalidHatchPattern; }
  COLORREF InvalidHatchColor() const { return FInvalidHatchColor; }
  bool ShowInDisp() const { return FShowInDisp; }
  bool ScrollDrag() const { return FScrollDrag; }
  void SetAppearance(TVZqAppearance value);      // recomputes the geometry and invalidates
  void SetBorderColor(COLORREF value);
  void SetBorderVisible(bool value);             // recomputes the geometry and invalidates
  void SetColor(COLORREF value);
  void SetScrollWidth(LONG value);               // negative values are ignored
  void SetScrollHeight(LONG value);
  void SetScrollBar(bool value);                 // redraws when shown in real size
  void SetStartX(LONG value);                    // negative values are ignored
  void SetStartY(LONG value);
  void SetDispScale(double value);               // values not above 0 are ignored
  void SetDispCenterX(LONG value);
  void SetDispCenterY(LONG value);
  void SetMouseWheel(TVZqMouseWheel value);
  void SetRefine1BitImage(bool value);           // invalidates
  void SetInvalidHatchPattern(bool value);
  void SetInvalidHatchColor(COLORREF value);
  void SetShowInDisp(bool value);
  void SetScrollDrag(bool value);

  // Public properties.
  HGLOBAL ImgHandle() const { return FImgHandle; }
  short ErrorStatus = 0;
  double Refine1BitImageScale() const { return FRefine1BitImageScale; }
  void SetRefine1BitImageScale(double value);    // 0 <= value < 1; clears the cache
  bool SimpleDispCtrl = false;
  // The editing tool set is not part of this build; these stay off.
  bool EditEnable() const { return false; }

  // Operations.
  void SetImgHandle(HGLOBAL handle);
  bool Display(TVZqDispMode mode);
  bool Refresh();
  bool ScrollImage(TVZqScrollDir direction);
  bool Zoom(LONG left, LONG top, LONG right, LONG bottom);
  bool Modify();
  // The main drawing into another device context (a printer, a metafile, a bitmap) over
  // rect, the control's client area.
  bool DrawTo(HDC dc, const RECT& rect);

  TVZqDispMode CurrentMode() const { return FMode; }
  const TZqDispGeometry& Geometry() const { return FGeometry; }
  QScrollBar* HorzScrollBar() const { return FHBar; }
  QScrollBar* VertScrollBar() const { return FVBar; }
  TVZqRasterLayer& RasterLayer(int index) { return FRasterLayers[static_cast<std::size_t>(index)]; }
  // The grey copies the refinement holds (0 for none), for whoever checks the cache.
  HGLOBAL GrayImage() const { return FGray; }
  HGLOBAL ReducedGrayImage() const { return FReducedGray; }

  // Marking an area with the left mouse button: a rectangle (aspect ratio height ÷
  // width, 0 for free), a selection rectangle or a free-hand selection. The finished
  // frame blinks until the mark is cleared or a new one begins.
  bool BeginMarkRect(double aspectRatio = 0);
  bool BeginMarkSelRect();
  bool BeginMarkSelFree();
  void ClearMark();
  TVZqMarkKind MarkKind() const { return FMarkKind; }
  const TCEditObject* MarkObject() const { return FMark.get(); }
  TVZqBlinkSpeed BlinkSpeed = vzqSlow;

  // The platform's scroll message, as the bars and the wheel send it.
  void ScrollMessage(bool vertical, int code, int pos);

 protected:
  virtual void DoEndDispImage(LONG originX, LONG originY, LONG left, LONG top, LONG right, LONG bottom,
                              double scaleWidth, double scaleHeight);
  virtual void DoPanWindow();
  virtual void DoScrollDispImage(int scrollCode, short pos, TVZqMouseWheel direction);
  virtual void DoGetDragDropFileName();
  virtual void DoMouseWheelUpImage(Qt::KeyboardModifiers shift, TVZqMouseWheel direction);
  virtual void DoMouseWheelDownImage(Qt::KeyboardModifiers shift, TVZqMouseWheel direction);
  virtual void DoMouseUpImage(Qt::MouseButton button, Qt::KeyboardModifiers shift, LONG x, LONG y);
  virtual void DoMouseDownImage(Qt::MouseButton button, Qt::KeyboardModifiers shift, LONG x, LONG y);
  virtual void DoMouseMoveImage(Qt::KeyboardModifiers shift, LONG x, LONG y);
  virtual void DoSelEditFunc();
  virtual void DoSelEditObj();
  virtual void DoStartPopUpMenu();
  virtual void DoEndPopUpMenu();
  virtual void DoMouseUpSelectRasterImage();
  virtual void DoMouseUpSelectVectorImage();
  virtual void DoMouseDownSelectRasterImage();
  virtual void DoMouseDownSelectVectorImage();
  virtual void DoEditToolBar();
  virtual void DoMagnifierMouseDown();
  virtual void DoMagnifierMouseMove();
  virtual void DoMagnifierMouseUp();

  void WmPaint() override;
  bool WmEraseBkgnd(HDC dc, const RECT& area) override;
  void WmTimer(UINT_PTR id) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

  // Hooks of the rulers, grid and pan window, which this build does not show.
  void UpdateGraduation() {}
  void DrawRulers(HDC) {}
  void DrawGrid(HDC) {}
  void DrawVectorLayers(HDC) {}
  void UpdatePanWindow() {}
  void RedrawPanWindow() {}
  void ResizePanWindow() {}
  void ClearPanWindow() {}

 private:
  struct RefineCache {
    double scaleX = -1;
    double scaleY = -1;
    int mode = -1;
    int width = -1;
    int height = -1;
  };

  TZqDispGeometry::Frame CurrentFrame() const;
  void InitGeometry();
  void ApplyScrollBars();
  void FreeGrayCopies();
  void FreeReducedGray();
  bool CacheMatches(int areaWidth, int areaHeight) const;
  void StoreCache(int areaWidth, int areaHeight);

  // The main drawing into dc over rect (the window's surface when dc is null).
  bool MainDraw(HDC dc, bool fromScroll);
  bool DrawScaled(HDC dc, bool raster);
  bool DrawActual(HDC dc, bool raster);
  bool DrawVector(HDC dc, bool raster);
  // Composes a source into an off-screen bitmap of the destination size (the image or
  // Color, then the raster layers), and copies it to dc clipped to the display area.
  bool DrawStretchDIBits(HDC dc, const TZqDrawPlan& plan, const BITMAPINFOHEADER* header, const void* bits);
  // Whether anything is laid over the image (layers, or Color in its place).
  bool NeedsComposition() const;
  // Runs draw on dc with the image's palette realised and clipped to the display area,
  // restoring both afterwards.
  bool DrawClipped(HDC dc, const BITMAPINFOHEADER* header, const std::function<bool()>& draw);
  // For a device that is not a raster display: the drawing goes through an off-screen
  // bitmap of the client's size copied to dc at (0, 0).
  bool DrawThroughClientBitmap(HDC dc, const TZqDrawPlan& plan, const BITMAPINFOHEADER* header, const void* bits);
  bool DrawHandle(HDC dc, bool raster, HGLOBAL handle, const TZqDrawPlan& plan);
  void FillBox(HDC dc, int left, int top, int right, int bottom);
  void FillMargins(HDC dc);
  void DrawFrame(HDC dc);
  void DrawBackground(HDC dc);
  // The background drawn on the window at once.
  void DrawBackgroundNow();

  void OnBarAction(bool vertical, int action);
  void MouseEventCommon(QMouseEvent* event, int kind);
  void PrepareMark();
  void BlinkMark();

  TVZqAppearance FAppearance = vzqFlat;
  COLORREF FBorderColor = RGB(0, 0, 0);
  bool FBorderVisible = false;
  COLORREF FColor = RGB(255, 255, 255);
  LONG FScrollWidth = 10;
  LONG FScrollHeight = 10;
  bool FScrollBar = false;
  LONG FStartX = 0;
  LONG FStartY = 0;
  LONG FDispCenterX = 0;
  LONG FDispCenterY = 0;
  TVZqMouseWheel FMouseWheel = vzqVertical;
  bool FRefine1BitImage = true;
  bool FInvalidHatchPattern = true;
  COLORREF FInvalidHatchColor = 12632256;
  bool FShowInDisp = true;
  bool FScrollDrag = false;
  double FRefine1BitImageScale = 0;

  HGLOBAL FImgHandle = 0;
  int FImageKind = vzqInvalidImage;
  int FVectorWidth = 0;
  int FVectorHeight = 0;
  LONG FXdpi = 72;
  LONG FYdpi = 72;
  TVZqDispMode FMode = vzqClear;
  bool FLastScrollBar = false;
  TZqDispGeometry FGeometry;
  QSize FLayoutSize;
  double FPanScale = 0;
  bool FDrawnOnScreen = false;

  HGLOBAL FGray = 0;
  HGLOBAL FReducedGray = 0;
  RefineCache FCache;

  int FWheelAccumulator = 0;
  int FWheelStep = 0;
  DWORD FGdipToken = 0;

  QScrollBar* FHBar = nullptr;
  QScrollBar* FVBar = nullptr;
  bool FSettingBars = false;

  bool FDragging = false;
  LONG FGrabX = 0;
  LONG FGrabY = 0;

  std::array<TVZqRasterLayer, kLayerCount> FRasterLayers{};
  TVZqMarkKind FMarkKind = TVZqMarkKind::None;
  std::unique_ptr<TCEditObject> FMark;
  bool FMarking = false;
};
