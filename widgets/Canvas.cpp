#include "widgets/Canvas.h"

#include "platform/syscolors.h"

void FillColor(HDC dc, const RECT& rc, DWORD color) {
  platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(platform::ColorToRGB(color)));
  FillRect(dc, &rc, brush);
}

void SplitColor(DWORD color, BYTE& red, BYTE& green, BYTE& blue) {
  const COLORREF rgb = platform::ColorToRGB(color);
  red = GetRValue(rgb);
  green = GetGValue(rgb);
  blue = GetBValue(rgb);
}
