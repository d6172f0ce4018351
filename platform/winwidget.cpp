#include "platform/winwidget.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QTimerEvent>
#include <chrono>
#include <cstring>
#include <map>
#include <unordered_map>

#include "platform/syscolors.h"
#include "platform/text.h"

namespace platform {

namespace {

// Contexts handed out by GetDC, with the scratch surface of those that draw nowhere.
std::unordered_map<HDC, HBITMAP>& WindowDCs() {
  static std::unordered_map<HDC, HBITMAP> dcs;
  return dcs;
}

constexpr const char* kTimerHostName = "tesmarin-window-timers";

}  // namespace

// The timers of one window, as a child object that dies with it.
class TimerHost : public QObject {
 public:
  explicit TimerHost(QWidget* window) : QObject(window), window_(window) { setObjectName(kTimerHostName); }

  static TimerHost* Of(QWidget* window, bool create) {
    auto* host = window->findChild<TimerHost*>(kTimerHostName, Qt::FindDirectChildrenOnly);
    if (!host && create) host = new TimerHost(window);  // owned by the window
    return host;
  }

  UINT_PTR Set(UINT_PTR id, UINT elapse, TIMERPROC proc) {
    Kill(id);
    const int qtId = startTimer(static_cast<int>(std::min<UINT>(elapse, 0x7FFFFFFF)));
    if (qtId == 0) return 0;
    timers_[qtId] = Timer{id, proc};
    return id;
  }

  bool Kill(UINT_PTR id) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
      if (it->second.id != id) continue;
      killTimer(it->first);
      timers_.erase(it);
      return true;
    }
    return false;
  }

 protected:
  void timerEvent(QTimerEvent* event) override {
    const auto it = timers_.find(event->timerId());
    if (it == timers_.end()) return;
    const Timer t = it->second;
    if (t.proc) {
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now().time_since_epoch());
      t.proc(window_, WM_TIMER, t.id, static_cast<DWORD>(ms.count()));
    } else if (auto* w = qobject_cast<WinWidget*>(window_)) {
      w->WmTimer(t.id);
    }
  }

 private:
  struct Timer {
    UINT_PTR id;
    TIMERPROC proc;
  };
  QWidget* window_;
  std::map<int, Timer> timers_;
};

WinWidget::WinWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  background_ = GetSysColorBrush(COLOR_WINDOW);
  surface_ = CreateSurfaceBitmap(std::max(1, width()), std::max(1, height()));
  erase_ = true;
}

WinWidget::~WinWidget() {
  // A context still held on the surface keeps it alive until it is released.
  DeleteObject(surface_);
}

void WinWidget::PaintCopy(HDC target) {
  if (!target || copyTarget_) return;
  copyTarget_ = target;
  const bool wasPainting = std::exchange(painting_, true);
  WmPaint();
  painting_ = wasPainting;
  copyTarget_ = nullptr;
}

void WinWidget::WmPaint() {
  PAINTSTRUCT ps;
  if (BeginPaintOn(&ps)) EndPaintOn(&ps);
}

bool WinWidget::WmEraseBkgnd(HDC dc, const RECT& area) {
  if (!background_) return false;
  return FillRect(dc, &area, background_) != 0;
}

void WinWidget::WmTimer(UINT_PTR) {}

void WinWidget::RunPaint() {
  painting_ = true;
  WmPaint();
  painting_ = false;
  // A control that did not begin a paint still had its turn: the area is done.
  invalid_ = QRegion();
  erase_ = false;
}

void WinWidget::paintEvent(QPaintEvent* event) {
  if (!pushing_) {
    invalid_ += event->region();
    if (!painting_) RunPaint();
  }
  const QImage image = BitmapImage(Surface());
  QPainter p(this);
  for (const QRect& r : event->region()) p.drawImage(r, image, r);
}

void WinWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FitSurface();
}

void WinWidget::FitSurface() {
  const int w = std::max(1, width()), h = std::max(1, height());
  BITMAP info;
  if (GetObject(surface_, sizeof info, &info) && info.bmWidth == w && info.bmHeight == h) return;
  HBITMAP next = CreateSurfaceBitmap(w, h);
  if (!next) return;
  HDC from = CreateSurfaceDC(surface_, DT_RASDISPLAY);
  HDC to = CreateSurfaceDC(next, DT_RASDISPLAY);
  if (background_) {
    const RECT all{0, 0, w, h};
    FillRect(to, &all, background_);
  }
  BitBlt(to, 0, 0, w, h, from, 0, 0, SRCCOPY);
  DeleteDC(from);
  DeleteDC(to);
  DeleteObject(surface_);
  surface_ = next;
  invalid_ += rect();
  erase_ = true;
}

HBITMAP WinWidget::Surface() {
  FitSurface();
  return surface_;
}

void WinWidget::Push(const RECT& area) {
  if (painting_ || !isVisible()) return;
  pushing_ = true;
  repaint(ToQRect(area));
  pushing_ = false;
}

HDC WinWidget::SurfaceDC() {
  FitSurface();
  QPointer<WinWidget> self(this);
  return CreateSurfaceDC(surface_, DT_RASDISPLAY, [self](const RECT& r) {
    if (self) self->Push(r);
  });
}

HDC WinWidget::BeginPaintOn(PAINTSTRUCT* ps) {
  if (!ps) return nullptr;
  *ps = PAINTSTRUCT{};
  if (copyTarget_) {
    SaveDC(copyTarget_);
    ps->hdc = copyTarget_;
    ps->rcPaint = RECT{0, 0, width(), height()};
    return ps->hdc;
  }
  HDC dc = SurfaceDC();
  if (!dc) return nullptr;
  const QRegion area = invalid_.intersected(rect());
  ScopedGdiObject<HRGN> clip(CreateRectRgn(0, 0, 0, 0));
  for (const QRect& r : area) {
    const RECT box = ToRECT(r);
    ScopedGdiObject<HRGN> piece(CreateRectRgnIndirect(&box));
    CombineRgn(clip, clip, piece, RGN_OR);
  }
  SelectClipRgn(dc, clip);
  ps->hdc = dc;
  ps->rcPaint = ToRECT(area.boundingRect());
  ps->fErase = erase_ && !WmEraseBkgnd(dc, ps->rcPaint) ? TRUE : FALSE;
  invalid_ = QRegion();
  erase_ = false;
  return dc;
}

void WinWidget::EndPaintOn(const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return;
  if (ps->hdc == copyTarget_) {
    RestoreDC(copyTarget_, -1);
  } else {
    DeleteDC(ps->hdc);
  }
}

void WinWidget::Invalidate(const RECT* rc, bool erase) {
  const QRect r = rc ? ToQRect(*rc).intersected(rect()) : rect();
  if (r.isEmpty()) return;
  invalid_ += r;
  erase_ = erase_ || erase;
  update(r);
}

void WinWidget::Validate(const RECT* rc) {
  if (rc) {
    invalid_ -= ToQRect(*rc);
  } else {
    invalid_ = QRegion();
  }
}

void WinWidget::UpdateNow() {
  FitSurface();
  if (invalid_.isEmpty() || painting_) return;
  if (isVisible()) {
    repaint(invalid_);
  } else {
    RunPaint();  // a hidden control still brings its surface up to date
  }
}

}  // namespace platform

using platform::WinWidget;

namespace {

WinWidget* AsWin(HWND window) { return qobject_cast<WinWidget*>(window); }

}  // namespace

HDC GetDC(HWND window) {
  if (WinWidget* w = AsWin(window)) {
    HDC dc = w->SurfaceDC();
    if (dc) platform::WindowDCs()[dc] = nullptr;
    return dc;
  }
  // The screen and foreign windows: a context that answers questions and draws nowhere.
  HBITMAP scratch = platform::CreateSurfaceBitmap(1, 1);
  HDC dc = platform::CreateSurfaceDC(scratch, DT_RASDISPLAY);
  if (!dc) {
    DeleteObject(scratch);
    return nullptr;
  }
  platform::WindowDCs()[dc] = scratch;
  return dc;
}

int ReleaseDC(HWND, HDC dc) {
  auto& dcs = platform::WindowDCs();
  const auto it = dcs.find(dc);
  if (it == dcs.end()) return 0;
  const HBITMAP scratch = it->second;
  dcs.erase(it);
  DeleteDC(dc);
  if (scratch) DeleteObject(scratch);
  return 1;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* ps) {
  WinWidget* w = AsWin(window);
  return w ? w->BeginPaintOn(ps) : nullptr;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* ps) {
  WinWidget* w = AsWin(window);
  if (!w || !ps) return FALSE;
  w->EndPaintOn(ps);
  return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT* rc, BOOL erase) {
  if (!window) return FALSE;
  if (WinWidget* w = AsWin(window)) {
    w->Invalidate(rc, erase != FALSE);
  } else if (rc) {
    window->update(platform::ToQRect(*rc));
  } else {
    window->update();
  }
  return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* rc) {
  WinWidget* w = AsWin(window);
  if (!w) return window ? TRUE : FALSE;
  w->Validate(rc);
  return TRUE;
}

BOOL UpdateWindow(HWND window) {
  if (!window) return FALSE;
  if (WinWidget* w = AsWin(window)) w->UpdateNow();
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rc) {
  if (!window || !rc) return FALSE;
  *rc = RECT{0, 0, window->width(), window->height()};
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rc) {
  if (!window || !rc) return FALSE;
  const QRect frame = window->isWindow() ? window->frameGeometry()
                                         : QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
  *rc = platform::ToRECT(frame);
  return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* pt) {
  if (!window || !pt) return FALSE;
  const QPoint p = window->mapToGlobal(QPoint(pt->x, pt->y));
  *pt = POINT{p.x(), p.y()};
  return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* pt) {
  if (!window || !pt) return FALSE;
  const QPoint p = window->mapFromGlobal(QPoint(pt->x, pt->y));
  *pt = POINT{p.x(), p.y()};
  return TRUE;
}

HWND WindowFromPoint(POINT pt) { return QApplication::widgetAt(QPoint(pt.x, pt.y)); }

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (!window || id == 0) return 0;
  return platform::TimerHost::Of(window, true)->Set(id, elapse, proc);
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  if (!window) return FALSE;
  platform::TimerHost* host = platform::TimerHost::Of(window, false);
  return host && host->Kill(id) ? TRUE : FALSE;
}

HWND SetCapture(HWND window) {
  HWND previous = QWidget::mouseGrabber();
  if (window) window->grabMouse();
  return previous;
}

BOOL ReleaseCapture() {
  if (QWidget* w = QWidget::mouseGrabber()) w->releaseMouse();
  return TRUE;
}

HWND GetCapture() { return QWidget::mouseGrabber(); }

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (!window) return FALSE;
  window->setWindowTitle(QString::fromUtf8(text ? text : ""));
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR text, int size) {
  if (!window || !text || size <= 0) return 0;
  const std::string cut =
      platform::TruncateUtf8(window->windowTitle().toStdString(), static_cast<std::size_t>(size - 1));
  std::memcpy(text, cut.c_str(), cut.size() + 1);
  return static_cast<int>(cut.size());
}

int GetWindowTextLengthA(HWND window) {
  return window ? static_cast<int>(window->windowTitle().toUtf8().size()) : 0;
}
