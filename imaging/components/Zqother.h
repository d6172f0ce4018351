// The interval timer and the area-marking objects of the display component. A marking
// object keeps its area in image coordinates, draws its rubber band straight on the
// display window with the NOT-XOR mix (a second drawing removes it), and when the mouse
// button is released starts a window timer (event id 2) whose ticks the display turns
// into the blinking frame. Everything runs on the user-interface thread.
#pragma once

#include <vector>

#include "platform/gdi.h"
#include "platform/syscolors.h"
#include "platform/winwidget.h"

// A window timer with a countdown of ticks.
class TCInterTimer {
 public:
  TCInterTimer() = default;
  virtual ~TCInterTimer();
  TCInterTimer(const TCInterTimer&) = delete;
  TCInterTimer& operator=(const TCInterTimer&) = delete;

  // Starts (or restarts) a timer for window with that id and interval; false when the
  // system refuses it, and the timer then stays stopped.
  bool SetIntervalTimer(HWND window, UINT_PTR eventId, UINT interval, int countdown);
  void KillIntervalTimer();
  bool IsRunningTimer() const { return FRunning; }
  // True once the countdown has run out; otherwise counts one tick down.
  bool IsTimeOver();

 protected:
  HWND FWindow = nullptr;
  bool FRunning = false;
  int FCountdown = 0;
  UINT_PTR FTimerId = 0;
};

enum TVZqBlinkSpeed : unsigned char { vzqSlow = 0, vzqMedium = 1, vzqFast = 2 };

// The timer event id of the blinking frame.
inline constexpr UINT_PTR kZqBlinkTimerId = 2;

// What the three marking objects share: the image, where and at which zoom the display
// shows it, and the blink timer. The display component sets the view before each use.
class TCEditObject : public TCInterTimer {
 public:
  // Sets the screen area the image is shown in (inclusive bounds), the image pixel at
  // its top-left, the visible extents (a press is ignored while either is 0) and the
  // screen pixels per image pixel.
  void SetView(const RECT& display, int originX, int originY, int extentX, int extentY, double zoomX, double zoomY);

  void SetBlinkTimer();
  void ChangeBlinkTimer();
  HWND Window() const { return FWindow; }
  bool IsValid() const { return FImage != 0; }
  bool Active() const { return FActive; }

  COLORREF Color1 = RGB(255, 255, 255);
  COLORREF Color2 = RGB(0, 0, 0);
  TVZqBlinkSpeed BlinkSpeed = vzqSlow;

 protected:
  // Keeps window and image only when both are given, enabled is set and the engine
  // describes the image.
  TCEditObject(HWND window, HGLOBAL image, bool enabled);

  // Screen point to image point and back (a zoom not above 0 counts as 1).
  int ImgX(int x) const;
  int ImgY(int y) const;
  int ScrnX(int x) const;
  int ScrnY(int y) const;
  // Whether a press at the screen point may start or change the area.
  bool PressAllowed(int x, int y) const;
  void ClampToDisplay(int& x, int& y) const;
  // The window's context clipped to the display rectangle, in the NOT-XOR mix; the
  // destructor restores and releases everything.
  class RubberBandDC {
   public:
    explicit RubberBandDC(const TCEditObject& owner);
    ~RubberBandDC();
    RubberBandDC(const RubberBandDC&) = delete;
    RubberBandDC& operator=(const RubberBandDC&) = delete;
    HDC get() const { return dc_; }

   private:
    HWND window_;
    HDC dc_;
    int rop_ = 0;
  };

  HGLOBAL FImage = 0;
  LONG FImageWidth = 0;
  LONG FImageHeight = 0;
  bool FActive = false;
  RECT FDispRect{};
  int FOriginX = 0;
  int FOriginY = 0;
  int FExtentX = 0;
  int FExtentY = 0;
  double FZoomX = 1.0;
  double FZoomY = 1.0;
};

// A rectangle drawn, moved and resized by its corners and sides, optionally with a fixed
// ratio of height to width.
class TCRect : public TCEditObject {
 public:
  TCRect(HWND window, HGLOBAL image, double aspectRatio);

  bool OnLButtonDown_Rect_EDIT(int x, int y);
  bool OnMouseMove_Rect_EDIT(int x, int y, bool redraw);
  bool OnLButtonUp_Rect_EDIT();
  void DrawRectangle();
  // The rectangle follows the pointer (screen point) by the current drag mode.
  void SetRectPos(int x, int y);
  void SetRectPosRectDrawRatio(int x, int y);
  // Image point inside the rectangle, bounds included.
  bool IsMouseInRectarea(int x, int y) const;
  // Image point on a corner or side; stores the border code.
  bool IsMouseOnRectborder(int x, int y);
  void ClearStatusValues();

  RECT Rect() const { return RECT{FLeft, FTop, FRight, FBottom}; }
  int DragMode() const { return FDragMode; }
  int BorderCode() const { return FBorderCode; }
  bool NoResize = false;

 private:
  void ShowSavedCursor() const;

  double FAspectRatio;
  int FDragMode = 0;
  int FBorderCode = 0;
  int FMoveOffsetY = 0;
  int FMoveOffsetX = 0;
  HCURSOR FArrowCursor = nullptr;
  HCURSOR FSavedCursor = nullptr;
  HCURSOR FSizeNWSE = nullptr;
  HCURSOR FSizeNESW = nullptr;
  HCURSOR FSizeWE = nullptr;
  HCURSOR FSizeNS = nullptr;
  HCURSOR FMoveCursor = nullptr;
  bool FDrawn = false;
  int FLeft = 0;
  int FTop = 0;
  int FRight = 0;
  int FBottom = 0;
};

// A rectangular selection drawn by dragging; the corners run top-left, top-right,
// bottom-right, bottom-left once the button is released.
class TCSelRect : public TCEditObject {
 public:
  TCSelRect(HWND window, HGLOBAL image, bool enabled);

  bool OnLButtonDown_SelRect_EDIT(int x, int y);
  bool OnMouseMove_SelRect_EDIT(int x, int y, bool redraw);
  bool OnLButtonUp_SelRect_EDIT();
  void DrawRectangle();

  POINT Corner(int index) const { return POINT{FX[index], FY[index]}; }

 private:
  int FX[4] = {};
  int FY[4] = {};
  bool FDrawn = false;
};

// A free-hand selection: a polyline of image points, at most kMaxPoints.
class TCSelFree : public TCEditObject {
 public:
  static constexpr int kMaxPoints = 100000;

  TCSelFree(HWND window, HGLOBAL image, bool enabled);
  ~TCSelFree() override;

  bool OnLButtonDown_SelFree_EDIT(int x, int y);
  bool OnMouseMove_SelFree_EDIT(int x, int y, bool redraw);
  void OnLButtonUp_SelFree_EDIT(bool redraw);
  // The whole line, or only its newest segment.
  void DrawFreeLine(bool whole);
  // Below 1: one point more (none beyond the cap); 1 to 99999: fresh room for that many.
  bool CreateSelectedFreePoints(int count);
  void FreeSelectedPoints();

  int PointCount() const { return FCount; }
  POINT Point(int index) const { return POINT{FPointX[index], FPointY[index]}; }

 private:
  bool Append(int x, int y);

  int FCount = 0;
  std::vector<int> FPointX;
  std::vector<int> FPointY;
};
