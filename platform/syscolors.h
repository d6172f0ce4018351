// System colours, metrics, parameters and cursors with the values of the Windows default
// scheme, so painted controls look as they were designed whatever the desktop theme.
#pragma once

#include "platform/gdi.h"

class QCursor;

inline constexpr int COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2,
                     COLOR_INACTIVECAPTION = 3, COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6,
                     COLOR_MENUTEXT = 7, COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10,
                     COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12, COLOR_HIGHLIGHT = 13,
                     COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_BTNSHADOW = 16, COLOR_GRAYTEXT = 17,
                     COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19, COLOR_BTNHIGHLIGHT = 20,
                     COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24,
                     COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27, COLOR_GRADIENTINACTIVECAPTION = 28,
                     COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30;
inline constexpr int COLOR_DESKTOP = COLOR_BACKGROUND, COLOR_3DFACE = COLOR_BTNFACE,
                     COLOR_3DSHADOW = COLOR_BTNSHADOW, COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT,
                     COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT, COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT;

// The colour of a display element; 0 for an index outside the table.
DWORD GetSysColor(int index);
// A stock solid brush of that colour (never to be deleted); null outside the table.
HBRUSH GetSysColorBrush(int index);

// Colours of the window framework: an RGB value (0x00BBGGRR), or clSystemColor plus a
// system colour index standing for that element's current colour; clNone is no colour.
inline constexpr DWORD clSystemColor = 0x80000000u;
inline constexpr DWORD clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                       clNavy = 0x800000, clGray = 0x808080, clSilver = 0xC0C0C0, clRed = 0x0000FF,
                       clLime = 0x00FF00, clYellow = 0x00FFFF, clBlue = 0xFF0000, clWhite = 0xFFFFFF,
                       clNone = 0x1FFFFFFF;
inline constexpr DWORD clWindowFrame = clSystemColor | COLOR_WINDOWFRAME, clHighlight = clSystemColor | COLOR_HIGHLIGHT,
                       clBtnFace = clSystemColor | COLOR_BTNFACE, clBtnShadow = clSystemColor | COLOR_BTNSHADOW,
                       clBtnText = clSystemColor | COLOR_BTNTEXT, clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;

namespace platform {
// The RGB value of a framework colour: a system colour constant becomes the current
// value of its element; any other value keeps its low 24 bits.
COLORREF ColorToRGB(DWORD color);
}  // namespace platform

inline constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
                     SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8,
                     SM_CYVTHUMB = 9, SM_CXHTHUMB = 10, SM_CXICON = 11, SM_CYICON = 12, SM_CXCURSOR = 13,
                     SM_CYCURSOR = 14, SM_CYMENU = 15, SM_CXFULLSCREEN = 16, SM_CYFULLSCREEN = 17,
                     SM_MOUSEPRESENT = 19, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21, SM_SWAPBUTTON = 23,
                     SM_CXMIN = 28, SM_CYMIN = 29, SM_CXSIZE = 30, SM_CYSIZE = 31, SM_CXFRAME = 32,
                     SM_CYFRAME = 33, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_CXEDGE = 45, SM_CYEDGE = 46,
                     SM_CXSMICON = 49, SM_CYSMICON = 50, SM_CYSMCAPTION = 51, SM_CXDRAG = 68, SM_CYDRAG = 69,
                     SM_MOUSEWHEELPRESENT = 75, SM_CMOUSEBUTTONS = 43;
// A system metric in pixels (screen sizes from the primary screen); 0 for an unknown index.
int GetSystemMetrics(int index);

inline constexpr UINT SPI_GETWHEELSCROLLLINES = 0x0068;
// SPI_GETWHEELSCROLLLINES writes the lines per wheel notch (Qt's setting, 3 by default)
// into the UINT at param. FALSE for other actions.
BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* param, UINT winIni);

// Cursors: handles to shapes that live as long as the process.
namespace platform {
struct CursorShape;
}
using HCURSOR = const platform::CursorShape*;
using HICON = HCURSOR;

// The standard cursor identifiers, as resource identifiers.
#define TESMARIN_CURSOR_ID(n) reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(n))
#define IDC_ARROW TESMARIN_CURSOR_ID(32512)
#define IDC_IBEAM TESMARIN_CURSOR_ID(32513)
#define IDC_WAIT TESMARIN_CURSOR_ID(32514)
#define IDC_CROSS TESMARIN_CURSOR_ID(32515)
#define IDC_UPARROW TESMARIN_CURSOR_ID(32516)
#define IDC_SIZENWSE TESMARIN_CURSOR_ID(32642)
#define IDC_SIZENESW TESMARIN_CURSOR_ID(32643)
#define IDC_SIZEWE TESMARIN_CURSOR_ID(32644)
#define IDC_SIZENS TESMARIN_CURSOR_ID(32645)
#define IDC_SIZEALL TESMARIN_CURSOR_ID(32646)
#define IDC_NO TESMARIN_CURSOR_ID(32648)
#define IDC_HAND TESMARIN_CURSOR_ID(32649)
#define IDC_APPSTARTING TESMARIN_CURSOR_ID(32650)
#define IDC_HELP TESMARIN_CURSOR_ID(32651)

// One of the standard cursors (instance must be null); null for another identifier.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
inline HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) { return LoadCursorA(instance, name); }
// Makes shape the cursor (null hides it) and returns the previous one. The shape goes
// to the window holding the mouse capture, else to the window under the mouse.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// Raises (show) or lowers the display counter and returns its new value; the cursor
// is visible while the counter is 0 or more.
int ShowCursor(BOOL show);
BOOL GetCursorPos(POINT* pt);
BOOL SetCursorPos(int x, int y);

namespace platform {
// The Qt shape of a cursor handle (the arrow for null).
QCursor CursorShapeOf(HCURSOR cursor);
}  // namespace platform
