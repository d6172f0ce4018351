// Device-independent bitmap structures and the arithmetic every reader and drawer of
// packed DIBs shares. A packed DIB is a BITMAPINFOHEADER, its colour table, then rows
// padded to 4 bytes, bottom-up unless biHeight is negative.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

#pragma pack(push, 1)
struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};

struct RGBQUAD {
  BYTE rgbBlue = 0;
  BYTE rgbGreen = 0;
  BYTE rgbRed = 0;
  BYTE rgbReserved = 0;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
#pragma pack(pop)

static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(RGBQUAD) == 4);

inline constexpr DWORD BI_RGB = 0;
inline constexpr DWORD BI_RLE8 = 1;
inline constexpr DWORD BI_RLE4 = 2;
inline constexpr DWORD BI_BITFIELDS = 3;
inline constexpr UINT DIB_RGB_COLORS = 0;
inline constexpr UINT DIB_PAL_COLORS = 1;

namespace platform {

// Bytes of one row of width pixels at bitCount bits, padded to 4 bytes; computed in 64
// bits so that header values from files cannot overflow it.
constexpr std::uint64_t DibStride(std::int64_t width, unsigned bitCount) {
  const std::int64_t w = width < 0 ? -width : width;
  return ((static_cast<std::uint64_t>(w) * bitCount + 31u) / 32u) * 4u;
}

// Entries of the colour table that follow the header: biClrUsed, or 2^bits for 1, 4 and
// 8 bits when it is 0; none for deeper images (16 and 32 bits with BI_BITFIELDS carry
// three masks, counted as three entries).
constexpr std::uint32_t DibColorCount(const BITMAPINFOHEADER& h) {
  if (h.biBitCount <= 8) {
    const std::uint32_t full = 1u << h.biBitCount;
    return (h.biClrUsed != 0 && h.biClrUsed < full) ? h.biClrUsed : full;
  }
  if (h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32)) return 3;
  return h.biClrUsed;
}

constexpr std::uint64_t DibAbsHeight(const BITMAPINFOHEADER& h) {
  return static_cast<std::uint64_t>(h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight);
}

// Offset of the pixels from the header's start, and the whole packed DIB's size.
constexpr std::uint64_t DibBitsOffset(const BITMAPINFOHEADER& h) {
  return h.biSize + static_cast<std::uint64_t>(DibColorCount(h)) * 4u;
}
constexpr std::uint64_t DibImageBytes(const BITMAPINFOHEADER& h) {
  return DibStride(h.biWidth, h.biBitCount) * DibAbsHeight(h);
}
constexpr std::uint64_t PackedDibSize(const BITMAPINFOHEADER& h) { return DibBitsOffset(h) + DibImageBytes(h); }

// Dots per inch from pixels per metre and back, rounded half up.
constexpr LONG DpiFromPelsPerMeter(LONG ppm) { return static_cast<LONG>((static_cast<std::int64_t>(ppm) * 254 + 5000) / 10000); }
constexpr LONG PelsPerMeterFromDpi(LONG dpi) { return static_cast<LONG>((static_cast<std::int64_t>(dpi) * 10000 + 127) / 254); }

}  // namespace platform
