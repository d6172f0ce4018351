// Free routines the display and slide show components share: coordinate conversion,
// rounding and row alignment, the slide list sort, counting image pages in a folder, the
// blinking dashed line and box, the rubber-band figures drawn with NOT-XOR, the colour
// and font dialogs, the page tag carried in a window caption, and cursor helpers.
// Everything runs on the user-interface thread.
#pragma once

#include <string>

#include "platform/gdi.h"
#include "platform/winwidget.h"

// One entry of the slide list. The slide show component owns the two texts.
struct TZQSORTDATA {
  DWORD reserved0 = 0;
  char* directory = nullptr;  // the folder, NUL-terminated
  char* fileName = nullptr;   // name and extension without folder, NUL-terminated
  char date[16] = {};         // the chosen file time as text
  short page = 0;             // 0 for the first page of a file
  DWORD reserved1 = 0;
};
using PZQSORTDATA = TZQSORTDATA*;

enum TVZqSort : short {
  vzqSortNone = 0,
  vzqSortFileName = 1,
  vzqSortDate = 2,
  vzqSortFileExtName = 3,
  vzqSortFileExtDate = 4,
  vzqSortDirFileName = 5,
  vzqSortDirDate = 6,
  vzqSortDirFileExtName = 7,
  vzqSortDirFileExtDate = 8,
};
enum TVZqSortOrder : short { vzqSortOrderInc = 0, vzqSortOrderDec = 1 };
enum TVZqSortDate { vzqSortDateCreationTime, vzqSortDateLastWriteTime, vzqSortDateLastAccessTime };

// Screen and image coordinates; ratio is screen pixels per image pixel. The scaled
// offset is truncated toward zero before the origin is added (screen −1 from origin 0 at
// ratio 2 lands on the image origin itself).
int ConvToImgX(int screen, int displayOrigin, double ratio, int imageOrigin);
int ConvToImgY(int screen, int displayOrigin, double ratio, int imageOrigin);
int ConvToScrnX(int image, int imageOrigin, double ratio, int displayOrigin);
int ConvToScrnY(int image, int imageOrigin, double ratio, int displayOrigin);
// Bytes of a row of bits padded to 32 bits.
int ALIGNLONG(int bits);
// Halves round away from zero.
int Roundoff(long double x);

// Compares the records at a and b: negative when a sorts first.
using TZqCompareProc = int (*)(const void* a, const void* b);
// Sorts count records of size bytes from base in place (a Hoare partition sort). An
// exception of compare passes on, with the records partly sorted.
void QSort(void* base, unsigned count, unsigned size, TZqCompareProc compare);
// The slide list comparison, by g_Sort and g_SortOrder; extensions come from
// g_FileExtArray.
int SortProc(const void* a, const void* b);
// The folder made to end in a path separator by the engine (SetTermYEN); unchanged when
// the engine lacks the entry or the folder is at the path limit.
std::string TermYenPath(const std::string& directory);
// Image pages in the files that pattern (the folder, "*." and one extension) matches.
int GetDirFileCount(const std::string& directory, const std::string& pattern);

// A two-pixel 3D frame on rc, whose right and bottom are inclusive here: the frame's
// outer lines run along columns rc.left and rc.right and rows rc.top and rc.bottom.
void DrawDisplayEdge(HDC dc, const RECT& rc, bool sunken);
// Dashes of four pixels in two alternating colours; each call with advance set moves
// the pattern by one pixel, and the phase runs on across calls without it.
void _BlinkLine(HDC dc, int x1, int y1, int x2, int y2, bool advance, COLORREF colorA, COLORREF colorB);
void _BlinkBox(HDC dc, int left, int top, int right, int bottom, COLORREF colorA, COLORREF colorB);
// The per-point step of the blinking line; data is the device context.
void LineDDACallBack(int x, int y, LPARAM data);

// Rubber-band figures: drawn with the NOT-XOR mix, so that drawing one twice restores
// the pixels beneath. Points are image coordinates converted through source, the two
// ratios and target, unless screen is set; drawing is clipped to target.
void _LineNOTXOR(HDC dc, int x1, int y1, int x2, int y2, const RECT& source, double ratioX, double ratioY,
                 const RECT& target, bool screen);
void _RectangleNOTXOR(HDC dc, int x1, int y1, int x2, int y2, const RECT& source, double ratioX, double ratioY,
                      const RECT& target, bool screen);
void _EllipseNOTXOR(HDC dc, int x1, int y1, int x2, int y2, const RECT& source, double ratioX, double ratioY,
                    const RECT& target, bool screen);
void _RoundRectNOTXOR(HDC dc, int x1, int y1, int x2, int y2, const RECT& source, double ratioX, double ratioY,
                      const RECT& target, bool screen);
void _PolygonNOTXOR(HDC dc, const POINT* points, int count, const RECT& source, double ratioX, double ratioY,
                    const RECT& target, bool screen);
// One cubic segment of exactly four points, always converted.
void _BezierNOTXOR(HDC dc, const POINT* points, const RECT& source, double ratioX, double ratioY,
                   const RECT& target);

// The colour dialog; true only when closed with OK, color then holds the choice.
bool ChooseNewColor(HWND owner, COLORREF& color);
// The font dialog on the program's own template (Japanese or English by the system
// locale) without the colour choice; true when closed with OK, logFont then filled.
bool ChooseNewFont(HWND owner, LOGFONT* logFont);
// Fills a LOGFONT from separate fields.
void InitFontParam(HWND owner, LOGFONT* logFont, const std::string& face, short height, bool bold, bool italic,
                   bool underline, bool strikeOut);
// Fills logFont from the fields, runs the font dialog and on OK writes the choice back.
void SetFontParam(HWND owner, LOGFONT* logFont, std::string& face, short& height, bool& bold, bool& italic,
                  bool& underline, bool& strikeOut);

// Writes text, followed by the page in five digits when page is above 0, as caption.
void SetWindowText_Zq6Page(HWND window, const std::string& text, int page);
// Reads a page tag back: when the caption (its first 31 bytes) contains "Plumera7" and
// is longer than marker, its last five characters are the page, and the caption is set
// to marker. 0 when there is no tag or the tag is not a number.
int GetWindowText_Zq6Page(HWND window, const std::string& marker);
// The root window of the window's chain of parents.
HWND GetParentWindowHandleFromHWnd(HWND window);
// Shows or hides the mouse cursor, moving the system's counter once per change.
void ShowMouseCursor(bool show);
