// Windows as the drawing code expects them: a window handle is the control's QWidget*.
//
// A control that paints itself derives from WinWidget, which owns a persistent surface
// (a 32-bit bitmap of the control's size). GetDC(control) draws on that surface and
// pushes each changed area to the screen at once, so rubber bands, blinking frames and
// sliding transitions show without waiting for a paint. paintEvent runs the control's
// own painting (WmPaint, with BeginPaint/EndPaint) into the surface for the invalid
// area and copies the surface out. Window timers are Qt timers whose ticks arrive on the
// user-interface thread with the identifiers they were set with.
#pragma once

#include <QRegion>
#include <QWidget>

#include "platform/gdi.h"

using HWND = QWidget*;

inline constexpr UINT WM_TIMER = 0x0113;
using TIMERPROC = void (*)(HWND window, UINT message, UINT_PTR id, DWORD time);

// Scroll codes of the scroll messages.
inline constexpr int SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2,
                     SB_PAGELEFT = 2, SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5,
                     SB_TOP = 6, SB_LEFT = 6, SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;  // TRUE when the background still needs erasing
  RECT rcPaint;
  BOOL fRestore = FALSE;
  BOOL fIncUpdate = FALSE;
  BYTE rgbReserved[32] = {};
};

namespace platform {

class WinWidget : public QWidget {
  Q_OBJECT

 public:
  explicit WinWidget(QWidget* parent = nullptr);
  ~WinWidget() override;

  // The persistent surface, of the control's size (valid until the next resize).
  HBITMAP Surface();
  // The class background brush that erases invalid areas (null: never erased). The
  // default is the window colour; the brush is not owned.
  void SetBackgroundBrush(HBRUSH brush) { background_ = brush; }
  // A transparent control is drawn over what lies beneath it, as a control without a
  // window of its own paints straight onto its parent: each paint starts from a clear
  // surface, and only the pixels the painting sets cover the parent. Such a control
  // erases nothing.
  void SetTransparent(bool transparent);
  bool IsTransparent() const { return transparent_; }
  // True while the control paints into another target through PaintCopy.
  bool IsPaintingCopy() const { return copyTarget_ != nullptr; }
  // Runs the control's painting into target (its client area at target's (0, 0)),
  // leaving the surface and the invalid area alone.
  void PaintCopy(HDC target);
  // The area still waiting for a paint.
  const QRegion& InvalidRegion() const { return invalid_; }

  // What BeginPaint, EndPaint, InvalidateRect, ValidateRect, UpdateWindow and GetDC do
  // for this control.
  HDC BeginPaintOn(PAINTSTRUCT* ps);
  void EndPaintOn(const PAINTSTRUCT* ps);
  void Invalidate(const RECT* rc, bool erase);
  void Validate(const RECT* rc);
  void UpdateNow();
  HDC SurfaceDC();
  // A context on the surface that does not push what it draws; the caller shows the
  // finished drawing with one PushToScreen, so that nothing half-drawn is seen.
  HDC QuietSurfaceDC();
  // Copies area of the surface to the screen now (nothing while a paint runs, which
  // copies out at its end, or while the control is hidden).
  void PushToScreen(const RECT& area) { Push(area); }

 protected:
  // The control's painting. The default begins and ends a paint, erasing only.
  virtual void WmPaint();
  // Erases area of dc at the start of a paint; the default fills it with the class
  // background brush and returns FALSE when there is none.
  virtual bool WmEraseBkgnd(HDC dc, const RECT& area);
  // A tick of a timer set with SetTimer on this control.
  virtual void WmTimer(UINT_PTR id);

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class TimerHost;

  void RunPaint();
  // Gives the surface the control's size, keeping what it shows; the new area is invalid.
  void FitSurface();
  void Push(const RECT& area);

  HBITMAP surface_ = nullptr;
  HBRUSH background_ = nullptr;
  QRegion invalid_;
  bool erase_ = false;
  bool pushing_ = false;
  bool painting_ = false;
  HDC copyTarget_ = nullptr;
  bool transparent_ = false;
  void* transparentBits_ = nullptr;  // the surface's pixels while transparent
};

// The scroll code of a QAbstractSlider::SliderAction; -1 for SliderNoAction.
int ScrollCodeOfSliderAction(int action);

}  // namespace platform

// A context on the window's surface (or, for any other window or null, on a scratch
// 1 × 1 screen surface); release it with ReleaseDC.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

namespace platform {
// A window's context (GetDC) for the scope, released at its end.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~ScopedWindowDC() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC get() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};
}  // namespace platform
// Starts painting the invalid area: a context clipped to it, erased first when it was
// invalidated with erasing. Validates the area.
HDC BeginPaint(HWND window, PAINTSTRUCT* ps);
BOOL EndPaint(HWND window, const PAINTSTRUCT* ps);
// Adds rc (null: the whole client area) to the invalid area, to be painted from the
// event loop.
BOOL InvalidateRect(HWND window, const RECT* rc, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rc);
// Paints the invalid area now, when there is one.
BOOL UpdateWindow(HWND window);

BOOL GetClientRect(HWND window, RECT* rc);
BOOL GetWindowRect(HWND window, RECT* rc);
BOOL ClientToScreen(HWND window, POINT* pt);
BOOL ScreenToClient(HWND window, POINT* pt);
HWND WindowFromPoint(POINT pt);

// Timers: SetTimer returns id (0 when refused: no window or id 0); setting an id again
// restarts it. Ticks go to proc when given, else to WinWidget::WmTimer.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND window, UINT_PTR id);

HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();

// The window's caption text (UTF-8); GetWindowTextA copies at most size − 1 bytes,
// never splitting a character, and returns the bytes copied.
BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR text, int size);
int GetWindowTextLengthA(HWND window);
