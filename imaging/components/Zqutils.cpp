#include "imaging/components/Zqutils.h"

#include <QLocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "imaging/engine/Zqdllprocs.h"
#include "imaging/engine/Zqinit.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/gditext.h"
#include "platform/syscolors.h"
#include "platform/text.h"

namespace {

// The blink routines' phase and colours, and the colour dialog's OK flag.
int g_blinkStart = 0;
int g_blinkPhase = 0;
COLORREF g_blinkColorA = 0;
COLORREF g_blinkColorB = 0;
int g_colorOk = 0;

// The page text that closes every sort key.
std::string PageText(short page) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", page);
  return text;
}

}  // namespace

int ConvToImgX(int screen, int displayOrigin, double ratio, int imageOrigin) {
  return imageOrigin + static_cast<int>((screen - displayOrigin) / ratio);
}
int ConvToImgY(int screen, int displayOrigin, double ratio, int imageOrigin) {
  return ConvToImgX(screen, displayOrigin, ratio, imageOrigin);
}
int ConvToScrnX(int image, int imageOrigin, double ratio, int displayOrigin) {
  return displayOrigin + static_cast<int>((image - imageOrigin) * ratio);
}
int ConvToScrnY(int image, int imageOrigin, double ratio, int displayOrigin) {
  return ConvToScrnX(image, imageOrigin, ratio, displayOrigin);
}

int ALIGNLONG(int bits) { return (bits + 31) / 32 * 4; }

int Roundoff(long double x) { return static_cast<int>(x >= 0 ? x + 0.5L : x - 0.5L); }

// ---------------------------------------------------------------------------------------
// Sorting

namespace {

struct SortRun {
  unsigned char* base;
  unsigned size;
  TZqCompareProc compare;
  unsigned char* pivot;
  unsigned char* swap;

  unsigned char* At(long k) const { return base + static_cast<std::size_t>(k) * size; }

  void Sort(long left, long right) {
    // The smaller side recurses and the larger one loops, so the depth stays
    // logarithmic; the sides are disjoint, so the order they are done in changes nothing.
    while (left < right) {
      std::memcpy(pivot, At((left + right) / 2), size);
      long i = left;
      long j = right;
      do {
        while (compare(At(i), pivot) < 0) ++i;
        while (compare(pivot, At(j)) < 0) --j;
        if (i <= j) {
          if (i != j) {
            std::memcpy(swap, At(i), size);
            std::memcpy(At(i), At(j), size);
            std::memcpy(At(j), swap, size);
          }
          ++i;
          --j;
        }
      } while (i <= j);
      if (j - left < right - i) {
        if (left < j) Sort(left, j);
        left = i;
      } else {
        if (i < right) Sort(i, right);
        right = j;
      }
    }
  }
};

// The key of one record for the key in force; false when the extension is unknown.
bool SortKey(const TZQSORTDATA& r, short key, std::string& out) {
  const std::string dir = r.directory ? r.directory : "";
  const std::string name = r.fileName ? r.fileName : "";
  const std::string date(r.date, strnlen(r.date, sizeof r.date));
  const std::string page = PageText(r.page);
  std::string ext;
  if (key == vzqSortFileExtName || key == vzqSortFileExtDate || key == vzqSortDirFileExtName ||
      key == vzqSortDirFileExtDate) {
    char buffer[kZqFileExtLength] = {};
    if (!GetFileExt || GetFileExt(name.c_str(), buffer, g_FileExtArray) == 0) return false;
    ext = std::string(buffer, strnlen(buffer, sizeof buffer));
  }
  switch (key) {
    case vzqSortFileName: out = name + page; break;
    case vzqSortDate: out = date + name + page; break;
    case vzqSortFileExtName: out = ext + name + page; break;
    case vzqSortFileExtDate: out = ext + date + name + page; break;
    case vzqSortDirFileName: out = dir + name + page; break;
    case vzqSortDirDate: out = dir + date + name + page; break;
    case vzqSortDirFileExtName: out = dir + ext + name + page; break;
    case vzqSortDirFileExtDate: out = dir + ext + date + name + page; break;
    default: return false;
  }
  return true;
}

}  // namespace

void QSort(void* base, unsigned count, unsigned size, TZqCompareProc compare) {
  if (!base || count < 2 || size == 0 || !compare) return;
  // The pivot copy and the swap buffer free themselves on every exit, exceptions included.
  std::vector<unsigned char> pivot(size, 0);
  std::vector<unsigned char> swap(size, 0);
  SortRun run{static_cast<unsigned char*>(base), size, compare, pivot.data(), swap.data()};
  run.Sort(0, static_cast<long>(count) - 1);
}

int SortProc(const void* a, const void* b) {
  const auto& ra = *static_cast<const TZQSORTDATA*>(a);
  const auto& rb = *static_cast<const TZQSORTDATA*>(b);
  // Keys grow as long as their parts need, so deep folders never cut a key short.
  std::string ka;
  std::string kb;
  if (!SortKey(ra, g_Sort, ka) || !SortKey(rb, g_Sort, kb)) return 0;
  return g_SortOrder == vzqSortOrderInc ? platform::CompareTextI(ka, kb) : platform::CompareTextI(kb, ka);
}

std::string TermYenPath(const std::string& directory) {
  if (!SetTermYEN || directory.size() + 2 > platform::MaxPath) return directory;
  std::vector<char> buffer(platform::MaxPath, '\0');
  std::memcpy(buffer.data(), directory.data(), directory.size());
  SetTermYEN(buffer.data());
  return buffer.data();
}

int GetDirFileCount(const std::string& directory, const std::string& pattern) {
  WIN32_FIND_DATAA data;
  platform::ScopedFind find(pattern.c_str(), &data);
  if (!find) return 0;
  const std::string folder = TermYenPath(directory);
  int total = 0;
  for (BOOL found = TRUE; found; found = find.Next(&data)) {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !ZqFileType) continue;
    const std::string path = folder + data.cFileName;
    ZqFileInfo info{};
    if (path.size() < platform::MaxPath && ZqFileType(path.c_str(), 0, &info)) total += info.pages;
  }
  return total;
}

// ---------------------------------------------------------------------------------------
// Frames and blinking lines

void DrawDisplayEdge(HDC dc, const RECT& rc, bool sunken) {
  platform::ScopedGdiObject<HPEN> dark(CreatePen(PS_SOLID, 1, RGB(127, 127, 127)));
  platform::ScopedGdiObject<HPEN> light(CreatePen(PS_SOLID, 1, RGB(223, 223, 223)));
  HPEN white = static_cast<HPEN>(GetStockObject(WHITE_PEN));
  HPEN black = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  const platform::ScopedSelect previous(dc, sunken ? dark.get() : white);
  MoveToEx(dc, rc.left, rc.bottom, nullptr);
  LineTo(dc, rc.left, rc.top);
  LineTo(dc, rc.right, rc.top);
  SelectObject(dc, sunken ? white : dark.get());
  LineTo(dc, rc.right, rc.bottom);
  LineTo(dc, rc.left, rc.bottom);
  SelectObject(dc, sunken ? black : light.get());
  MoveToEx(dc, rc.left + 1, rc.bottom - 1, nullptr);
  LineTo(dc, rc.left + 1, rc.top + 1);
  LineTo(dc, rc.right - 1, rc.top + 1);
  SelectObject(dc, sunken ? light.get() : black);
  LineTo(dc, rc.right - 1, rc.bottom - 1);
  LineTo(dc, rc.left + 1, rc.bottom - 1);
}

void LineDDACallBack(int x, int y, LPARAM data) {
  g_blinkPhase &= 7;
  const COLORREF color = g_blinkPhase >= 4 ? g_blinkColorA : g_blinkColorB;
  if (_Line) _Line(reinterpret_cast<HDC>(data), x, y, x + 1, y + 1, 1, color);
  --g_blinkPhase;
}

void _BlinkLine(HDC dc, int x1, int y1, int x2, int y2, bool advance, COLORREF colorA, COLORREF colorB) {
  if (advance) g_blinkPhase = g_blinkStart++;
  g_blinkColorA = colorA;
  g_blinkColorB = colorB;
  LineDDA(x1, y1, x2, y2, LineDDACallBack, reinterpret_cast<LPARAM>(dc));
}

void _BlinkBox(HDC dc, int left, int top, int right, int bottom, COLORREF colorA, COLORREF colorB) {
  _BlinkLine(dc, left, top, right, top, true, colorA, colorB);
  _BlinkLine(dc, right, top, right, bottom, false, colorA, colorB);
  _BlinkLine(dc, right, bottom, left, bottom, false, colorA, colorB);
  _BlinkLine(dc, left, bottom, left, top, false, colorA, colorB);
}

// ---------------------------------------------------------------------------------------
// Rubber-band figures

namespace {

POINT ToScreen(POINT p, const RECT& source, double ratioX, double ratioY, const RECT& target) {
  return POINT{static_cast<LONG>(std::trunc((p.x - source.left) * ratioX + 0.5)) + target.left,
               static_cast<LONG>(std::trunc((p.y - source.top) * ratioY + 0.5)) + target.top};
}

// Whether a two-point figure is drawn at all: not when every coordinate is 0 or less,
// nor when its two points coincide.
bool Drawable(int x1, int y1, int x2, int y2) {
  if (x1 <= 0 && y1 <= 0 && x2 <= 0 && y2 <= 0) return false;
  return !(x1 == x2 && y1 == y2);
}

// Sets up the black pen, the hollow brush, the clip to target and the NOT-XOR mix for
// draw, and gives the context back as it was afterwards.
template <typename Draw>
void NotXor(HDC dc, const RECT& target, Draw draw) {
  platform::ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  platform::ScopedGdiObject<HRGN> clip(CreateRectRgnIndirect(&target));
  const platform::ScopedSaveDC saved(dc);
  SelectObject(dc, pen.get());
  SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
  SelectClipRgn(dc, clip);
  SetROP2(dc, R2_NOTXORPEN);
  draw();
}

template <typename Shape>
void TwoPointFigure(HDC dc, int x1, int y1, int x2, int y2, const RECT& source, double ratioX, double ratioY,
                    const RECT& target, bool screen, Shape shape) {
  if (!Drawable(x1, y1, x2, y2)) return;
  POINT a{x1, y1};
  POINT b{x2, y2};
  if (!screen) {
    a = ToScreen(a, source, ratioX, ratioY, target);
    b = ToScreen(b, source, ratioX, ratioY, target);
  }
  NotXor(dc, target, [&] { shape(a, b); });
}

}  // namespace

void _LineNOTXOR(HDC dc, int x1, int y1, int x2, int y2, const RECT& source, double ratioX, double ratioY,
                 const RECT& target, bool screen) {
  TwoPointFigure(dc, x1, y1, x2, y2, source, ratioX, ratioY, target, screen, [dc](POINT a, POINT b) {
    MoveToEx(dc, a.x, a.y, nullptr);
    LineTo(dc, b.x, b.y);
  });
}

void _RectangleNOTXOR(HDC dc, int x1, int y1, int x2, int y2, const RECT& source, double ratioX, double ratioY,
                      const RECT& target, bool screen) {
  TwoPointFigure(dc, x1, y1, x2, y2, source, ratioX, ratioY, target, screen,
                 [dc](POINT a, POINT b) { Rectangle(dc, a.x, a.y, b.x, b.y); });
}

void _EllipseNOTXOR(HDC dc, int x1, int y1, int x2, int y2, const RECT& source, double ratioX, double ratioY,
                    const RECT& target, bool screen) {
  TwoPointFigure(dc, x1, y1, x2, y2, source, ratioX, ratioY, target, screen,
                 [dc](POINT a, POINT b) { Ellipse(dc, a.x, a.y, b.x, b.y); });
}

void _RoundRectNOTXOR(HDC dc, int x1, int y1, int x2, int y2, const RECT& source, double ratioX, double ratioY,
                      const RECT& target, bool screen) {
  TwoPointFigure(dc, x1, y1, x2, y2, source, ratioX, ratioY, target, screen, [dc](POINT a, POINT b) {
    const int cornerX = std::max<int>((b.x - a.x) / 5, 1);
    const int cornerY = std::max<int>((b.y - a.y) / 5, 1);
    RoundRect(dc, a.x, a.y, b.x, b.y, cornerX, cornerY);
  });
}

void _PolygonNOTXOR(HDC dc, const POINT* points, int count, const RECT& source, double ratioX, double ratioY,
                    const RECT& target, bool screen) {
  if (!points || count <= 0) return;
  std::vector<POINT> copy(points, points + count);
  if (!screen)
    for (POINT& p : copy) p = ToScreen(p, source, ratioX, ratioY, target);
  NotXor(dc, target, [&] { Polygon(dc, copy.data(), count); });
}

void _BezierNOTXOR(HDC dc, const POINT* points, const RECT& source, double ratioX, double ratioY,
                   const RECT& target) {
  if (!points) return;
  std::vector<POINT> copy(points, points + 4);
  for (POINT& p : copy) p = ToScreen(p, source, ratioX, ratioY, target);
  NotXor(dc, target, [&] { PolyBezier(dc, copy.data(), 4); });
}

// ---------------------------------------------------------------------------------------
// Colour and font dialogs

namespace {

constexpr DWORD kChooseColorFlags = 17;  // initial colour and hook
constexpr DWORD kChooseFontFlags = 345;  // screen fonts, hook, template, from the LOGFONT, effects
constexpr int kScreenFontType = 0x2000;
constexpr int kIdColorLabel = 1091;
constexpr int kIdColorList = 1139;

void ChooseColorHookProc(int controlId) {
  if (controlId == IDOK) g_colorOk = -1;
}

void ChooseFontHookProc(platform::DialogItems& items) {
  items.ShowItem(kIdColorLabel, false);
  items.ShowItem(kIdColorList, false);
}

// The program's two font dialog templates: 200 in Japanese, 1200 in English.
platform::DialogTemplate FontTemplate(bool japanese) {
  using K = platform::DialogItemKind;
  struct Row {
    int id;
    K kind;
    const char* english;
    const char* japanese;
  };
  static const Row kRows[] = {
      {1088, K::Label, "&Font:", "ﾌｫﾝﾄ名(&F):"},
      {1136, K::ComboBox, "", ""},
      {1089, K::Label, "Font st&yle:", "ｽﾀｲﾙ(&Y):"},
      {1137, K::ComboBox, "", ""},
      {1090, K::Label, "&Size:", "ｻｲｽﾞ(&S):"},
      {1138, K::ComboBox, "", ""},
      {1, K::Button, "OK", "OK"},
      {2, K::Button, "Cancel", "ｷｬﾝｾﾙ"},
      {1026, K::Button, "&Apply", "適用(&A)"},
      {1038, K::Button, "&Help", "ﾍﾙﾌﾟ(&H)"},
      {1072, K::Group, "Effects", "文字飾り"},
      {1040, K::CheckBox, "Stri&kethrough", "取り消し線(&K)"},
      {1041, K::CheckBox, "&Underline", "下線(&U)"},
      {1091, K::Label, "&Color:", "色(&C):"},
      {1139, K::ComboBox, "", ""},
      {1073, K::Group, "Preview", "ｻﾝﾌﾟﾙ"},
      {1093, K::Label, "", ""},
      {1092, K::Label, "Preview", "Aaあぁアァ亜宇"},
  };
  platform::DialogTemplate t;
  t.caption = japanese ? "ﾌｫﾝﾄの指定" : "Font";
  t.face = japanese ? "ＭＳ Ｐゴシック" : "MS Sans Serif";
  t.pointSize = japanese ? 9 : 8;
  t.x = 13;
  t.y = 54;
  t.cx = 264;
  t.cy = 147;
  for (const Row& r : kRows) t.items.push_back({r.id, r.kind, japanese ? r.japanese : r.english});
  return t;
}

}  // namespace

bool ChooseNewColor(HWND owner, COLORREF& color) {
  platform::ChooseColorRequest request;
  request.rgbResult = color;
  request.custColors.fill(RGB(255, 255, 255));
  request.flags = kChooseColorFlags;
  request.hook = ChooseColorHookProc;
  g_colorOk = 0;
  const bool ok = platform::CurrentDialogs().ChooseColor(owner, request);
  if (!ok || g_colorOk == 0) return false;
  color = request.rgbResult;
  return true;
}

bool ChooseNewFont(HWND owner, LOGFONT* logFont) {
  if (!logFont) return false;
  platform::ScopedDC memory(CreateCompatibleDC(platform::ScopedWindowDC(owner)));
  const platform::DialogTemplate dialogTemplate = FontTemplate(QLocale::system().language() == QLocale::Japanese);
  platform::ChooseFontRequest request;
  request.logFont = logFont;
  request.flags = kChooseFontFlags;
  request.color = RGB(0, 0, 0);
  request.fontType = kScreenFontType;
  request.dialogTemplate = &dialogTemplate;
  request.hook = ChooseFontHookProc;
  return platform::CurrentDialogs().ChooseFont(owner, request);
}

void InitFontParam(HWND owner, LOGFONT* logFont, const std::string& face, short height, bool bold, bool italic,
                   bool underline, bool strikeOut) {
  if (!logFont) return;
  const platform::ScopedWindowDC dc(owner);
  *logFont = LOGFONT{};
  const std::string cut = platform::TruncateUtf8(face, LF_FACESIZE - 1);
  std::memcpy(logFont->lfFaceName, cut.data(), cut.size());
  logFont->lfCharSet = static_cast<BYTE>(GetTextCharset(dc));
  logFont->lfHeight = height;
  if (bold) logFont->lfWeight = 700;
  if (italic) logFont->lfItalic = 1;
  if (underline) logFont->lfUnderline = 1;
  if (strikeOut) logFont->lfStrikeOut = 1;
}

void SetFontParam(HWND owner, LOGFONT* logFont, std::string& face, short& height, bool& bold, bool& italic,
                  bool& underline, bool& strikeOut) {
  if (!logFont) return;
  InitFontParam(owner, logFont, face, height, bold, italic, underline, strikeOut);
  logFont->lfHeight = height;
  if (!ChooseNewFont(owner, logFont)) return;
  face = std::string(logFont->lfFaceName, strnlen(logFont->lfFaceName, LF_FACESIZE));
  bold = logFont->lfWeight == 700;
  height = static_cast<short>(logFont->lfHeight);
  italic = logFont->lfItalic != 0;
  underline = logFont->lfUnderline != 0;
  strikeOut = logFont->lfStrikeOut != 0;
}

// ---------------------------------------------------------------------------------------
// Captions, windows and the cursor

void SetWindowText_Zq6Page(HWND window, const std::string& text, int page) {
  if (page <= 0) {
    SetWindowTextA(window, text.c_str());
    return;
  }
  char tag[16];
  std::snprintf(tag, sizeof tag, "%05d", page);
  SetWindowTextA(window, (text + tag).c_str());
}

int GetWindowText_Zq6Page(HWND window, const std::string& marker) {
  constexpr int kTagLength = 5;
  char caption[32] = {};
  GetWindowTextA(window, caption, sizeof caption);
  const std::string text(caption);
  if (text.find("Plumera7") == std::string::npos) return 0;
  if (text.size() == marker.size() || !StrRightCopy) return 0;
  char tag[kTagLength + 1] = {};
  StrRightCopy(tag, caption, kTagLength);
  SetWindowTextA(window, marker.c_str());
  int page = 0;
  for (const char* p = tag; *p; ++p) {
    if (*p < '0' || *p > '9') return 0;
    page = page * 10 + (*p - '0');
  }
  return page;
}

HWND GetParentWindowHandleFromHWnd(HWND window) { return window ? window->window() : nullptr; }

void ShowMouseCursor(bool show) {
  if (show == g_ShowCursorDispFlag) return;
  g_ShowCursorDispFlag = show;
  ShowCursor(show ? TRUE : FALSE);
}
