// Byte-string helpers over NUL-terminated UTF-8 texts. Lengths and positions count bytes;
// no helper ever cuts a multi-byte character in two or finds a match inside one.
// A blank is a space, a tab or the ideographic space U+3000.
#pragma once

#include "zq7/Zq7Api.h"

// Remove the blanks at the start, at the end, or fold every run of blanks into one space;
// each works in place and returns text (null with ZQ_ERR_BAD_PARAMETER for a null text).
ZQ_EXPORT LPSTR CutFrontSpace(LPSTR text);
ZQ_EXPORT LPSTR CutBackSpace(LPSTR text);
ZQ_EXPORT LPSTR CutMultiSpace(LPSTR text);
// The first c (a single byte below 0x80) in text, or null.
ZQ_EXPORT LPSTR lstrchr(LPCSTR text, int c);
// The first occurrence of part in text that starts on a character, or null.
ZQ_EXPORT LPSTR lstrstr(LPCSTR text, LPCSTR part);
// Copy at most count bytes of src into dest (which holds count + 1 bytes): from the
// start, from byte position start, or from the end. A character that the limit would
// cut is left out whole. They return dest.
ZQ_EXPORT LPSTR StrLeftCopy(LPSTR dest, LPCSTR src, int count);
ZQ_EXPORT LPSTR StrMidCopy(LPSTR dest, LPCSTR src, int start, int count);
ZQ_EXPORT LPSTR StrRightCopy(LPSTR dest, LPCSTR src, int count);
