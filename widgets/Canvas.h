// Drawing steps the painted controls share, in the window framework's colours (an RGB
// value or a system colour constant).
#pragma once

#include "platform/gdi.h"

// Fills rc with a solid colour.
void FillColor(HDC dc, const RECT& rc, DWORD color);
// The red, green and blue bytes of a colour, a system colour constant resolved first.
void SplitColor(DWORD color, BYTE& red, BYTE& green, BYTE& blue);
