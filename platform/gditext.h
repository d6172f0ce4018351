// Fonts and text on device contexts. A LOGFONT's face goes through the platform's face
// substitution (fonts.h), so "ＭＳ Ｐゴシック" draws in IPA P Gothic; heights are
// pixels (negative: character height, positive: cell height), escapement turns the
// text counter-clockwise in tenths of a degree (2700 reads downward). Text is drawn
// without antialiasing in the text colour, on the background colour in OPAQUE mode,
// inside the context's clip region. Texts are UTF-8; lengths count bytes (-1: up to the
// terminating NUL) and a multi-byte character is never split.
#pragma once

#include <QFont>

#include "platform/gdi.h"

inline constexpr BYTE ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, SHIFTJIS_CHARSET = 128;
inline constexpr LONG FW_DONTCARE = 0, FW_THIN = 100, FW_LIGHT = 300, FW_NORMAL = 400, FW_MEDIUM = 500,
                      FW_SEMIBOLD = 600, FW_BOLD = 700, FW_HEAVY = 900;
inline constexpr BYTE DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2;
inline constexpr BYTE FF_DONTCARE = 0x00, FF_ROMAN = 0x10, FF_SWISS = 0x20, FF_MODERN = 0x30, FF_SCRIPT = 0x40,
                      FF_DECORATIVE = 0x50;
// Low bits of tmPitchAndFamily. As on Windows, TMPF_FIXED_PITCH is set for a
// variable-pitch font.
inline constexpr BYTE TMPF_FIXED_PITCH = 0x01, TMPF_VECTOR = 0x02, TMPF_TRUETYPE = 0x04, TMPF_DEVICE = 0x08;

struct TEXTMETRIC {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 0;
  LONG tmDigitizedAspectY = 0;
  BYTE tmFirstChar = 0;
  BYTE tmLastChar = 0;
  BYTE tmDefaultChar = 0;
  BYTE tmBreakChar = 0;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = 0;
};
using TEXTMETRICA = TEXTMETRIC;

// DrawText formats. DT_VCENTER and DT_BOTTOM act with DT_SINGLELINE only. Without
// DT_NOPREFIX an "&" underlines the next character and "&&" shows one "&".
inline constexpr UINT DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
                      DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
                      DT_TABSTOP = 0x80, DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400,
                      DT_NOPREFIX = 0x800, DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000,
                      DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000, DT_MODIFYSTRING = 0x10000,
                      DT_WORD_ELLIPSIS = 0x40000, DT_HIDEPREFIX = 0x100000, DT_PREFIXONLY = 0x200000;

// Draws text formatted in rc and returns its height (with DT_VCENTER or DT_BOTTOM, the
// distance from rc's top to the text's bottom); 0 on failure. DT_CALCRECT draws
// nothing and sets rc's right and bottom to what the text needs (breaking lines at
// rc's width with DT_WORDBREAK). Path ellipses shorten the part before the last "/".
int DrawTextA(HDC dc, LPCSTR text, int length, RECT* rc, UINT format);
inline int DrawText(HDC dc, LPCSTR text, int length, RECT* rc, UINT format) {
  return DrawTextA(dc, text, length, rc, format);
}
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
inline BOOL TextOut(HDC dc, int x, int y, LPCSTR text, int length) { return TextOutA(dc, x, y, text, length); }
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size);
inline BOOL GetTextExtentPoint32(HDC dc, LPCSTR text, int length, SIZE* size) {
  return GetTextExtentPoint32A(dc, text, length, size);
}
BOOL GetTextMetricsA(HDC dc, TEXTMETRIC* tm);
inline BOOL GetTextMetrics(HDC dc, TEXTMETRIC* tm) { return GetTextMetricsA(dc, tm); }
// The character set of the selected font: its own when the LOGFONT names one, else
// SHIFTJIS_CHARSET for a face that writes Japanese and ANSI_CHARSET otherwise;
// DEFAULT_CHARSET for a bad handle.
int GetTextCharset(HDC dc);
// The selected font's face name as the LOGFONT gives it; returns the bytes copied.
int GetTextFaceA(HDC dc, int size, LPSTR face);

namespace platform {
// The Qt font a LOGFONT stands for (substituted face, pixel size, weight, style),
// without antialiasing and without its escapement.
QFont QFontFromLogFont(const LOGFONT& lf);
}  // namespace platform
