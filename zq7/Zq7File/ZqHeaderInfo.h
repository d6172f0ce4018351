// What the header parsers share when they fill a ZqFileInfo: resolutions turned into
// whole dots per inch, values clamped to their fields, and the comment copied in.
#pragma once

#include <cstdint>
#include <string_view>

#include "zq7/Zq7Api.h"

// The length a resolution is counted per.
enum class ZqLengthUnit { Inch, Centimetre, Metre };

// num/den dots per unit as dots per inch, rounded half up and clamped to 65535;
// 0 when den is 0.
WORD ZqDpi(std::uint32_t num, std::uint32_t den, ZqLengthUnit unit);
// The same for a value already in dots per inch that may be fractional, huge, negative
// or not a number (0 for the last two).
WORD ZqDpiFromDouble(double dpi);

// A count clamped to a 16-bit or 32-bit field.
WORD ZqClampWord(std::uint64_t v);
DWORD ZqClampDword(std::uint64_t v);
std::int16_t ZqClampPages(std::uint64_t pages);

// Copies text into the comment field, cut at a character boundary so that it always
// ends with a NUL; a NUL inside text ends it there.
void ZqSetComment(ZqFileInfo& info, std::string_view text);
// The same for Latin-1 text (PNG tEXt), converted to UTF-8 on the way.
void ZqSetLatin1Comment(ZqFileInfo& info, std::string_view text);
