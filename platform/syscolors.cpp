#include "platform/syscolors.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <array>
#include <memory>

namespace platform {

struct CursorShape {
  Qt::CursorShape shape;
};

namespace {

// The Windows default ("Windows Standard") scheme.
constexpr std::array<COLORREF, 31> kSchemeColors{
    RGB(192, 192, 192),  // scroll bar
    RGB(0, 128, 128),    // background
    RGB(0, 0, 128),      // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(192, 192, 192),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(0, 0, 128),      // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(192, 192, 192),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(192, 192, 192),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(0, 0, 0),        // 3D dark shadow
    RGB(223, 223, 223),  // 3D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
    RGB(192, 192, 192),  // (unused slot 25)
    RGB(0, 0, 255),      // hot-tracked item
    RGB(16, 132, 208),   // gradient of the active caption
    RGB(181, 181, 181),  // gradient of the inactive caption
    RGB(0, 0, 128),      // menu highlight
    RGB(192, 192, 192),  // menu bar
};

struct CursorState {
  HCURSOR current = nullptr;
  int displayCount = 0;
  bool hidden = false;  // an override cursor of ours is in place
};

CursorState& Cursors() {
  static CursorState state;
  return state;
}

const CursorShape* StandardCursor(std::uintptr_t id) {
  static const std::array<std::pair<std::uintptr_t, CursorShape>, 14> kShapes{{
      {32512, {Qt::ArrowCursor}},
      {32513, {Qt::IBeamCursor}},
      {32514, {Qt::WaitCursor}},
      {32515, {Qt::CrossCursor}},
      {32516, {Qt::UpArrowCursor}},
      {32642, {Qt::SizeFDiagCursor}},
      {32643, {Qt::SizeBDiagCursor}},
      {32644, {Qt::SizeHorCursor}},
      {32645, {Qt::SizeVerCursor}},
      {32646, {Qt::SizeAllCursor}},
      {32648, {Qt::ForbiddenCursor}},
      {32649, {Qt::PointingHandCursor}},
      {32650, {Qt::BusyCursor}},
      {32651, {Qt::WhatsThisCursor}},
  }};
  for (const auto& [key, shape] : kShapes)
    if (key == id) return &shape;
  return nullptr;
}

// Blanks the cursor everywhere while the display counter is below 0.
void ApplyVisibility() {
  CursorState& s = Cursors();
  if (!qApp) return;
  const bool hide = s.displayCount < 0;
  if (hide && !s.hidden) {
    QApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    s.hidden = true;
  } else if (!hide && s.hidden) {
    QApplication::restoreOverrideCursor();
    s.hidden = false;
  }
}

}  // namespace

QCursor CursorShapeOf(HCURSOR cursor) { return QCursor(cursor ? cursor->shape : Qt::BlankCursor); }

}  // namespace platform

using namespace platform;

DWORD GetSysColor(int index) {
  if (index < 0 || index >= static_cast<int>(kSchemeColors.size())) return 0;
  return kSchemeColors[static_cast<std::size_t>(index)];
}

COLORREF platform::ColorToRGB(DWORD color) {
  if (color & clSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0xFFFFFFu;
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= static_cast<int>(kSchemeColors.size())) return nullptr;
  // Stock brushes: made once; DeleteObject leaves them alone, as Windows does.
  static std::array<HBRUSH, kSchemeColors.size()> brushes{};
  HBRUSH& b = brushes[static_cast<std::size_t>(index)];
  if (!b) {
    b = CreateSolidBrush(kSchemeColors[static_cast<std::size_t>(index)]);
    if (b) b->stock = true;
  }
  return b;
}

int GetSystemMetrics(int index) {
  const QScreen* screen = qApp ? QGuiApplication::primaryScreen() : nullptr;
  const QSize size = screen ? screen->size() : QSize(800, 600);
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
  switch (index) {
    case SM_CXSCREEN: return size.width();
    case SM_CYSCREEN: return size.height();
    case SM_CXFULLSCREEN: return avail.width();
    case SM_CYFULLSCREEN: return avail.height() - 19;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_SWAPBUTTON: return 0;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXSIZE:
    case SM_CYSIZE: return 18;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYSMCAPTION: return 15;
    default: return 0;
  }
}

BOOL SystemParametersInfoA(UINT action, UINT, void* param, UINT) {
  if (action != SPI_GETWHEELSCROLLLINES || !param) return FALSE;
  *static_cast<UINT*>(param) = qApp ? static_cast<UINT>(std::max(0, QApplication::wheelScrollLines())) : 3u;
  return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance) return nullptr;
  return StandardCursor(reinterpret_cast<std::uintptr_t>(name));
}

HCURSOR SetCursor(HCURSOR cursor) {
  CursorState& s = Cursors();
  const HCURSOR previous = s.current;
  s.current = cursor;
  if (qApp) {
    // The shape goes to the window holding the capture, else to the one under the mouse.
    QWidget* target = QWidget::mouseGrabber();
    if (!target) target = QApplication::widgetAt(QCursor::pos());
    if (target) target->setCursor(CursorShapeOf(cursor));
  }
  return previous;
}

HCURSOR GetCursor() { return Cursors().current; }

int ShowCursor(BOOL show) {
  CursorState& s = Cursors();
  s.displayCount += show ? 1 : -1;
  ApplyVisibility();
  return s.displayCount;
}

BOOL GetCursorPos(POINT* pt) {
  if (!pt) return FALSE;
  const QPoint p = QCursor::pos();
  *pt = POINT{p.x(), p.y()};
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  QCursor::setPos(x, y);
  return TRUE;
}
