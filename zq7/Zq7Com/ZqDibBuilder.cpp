#include "zq7/Zq7Com/ZqDibBuilder.h"

#include <cmath>

#include "platform/memory.h"

ZqDibBuilder::~ZqDibBuilder() {
  if (handle_) {
    GlobalUnlock(handle_);
    GlobalFree(handle_);
  }
}

WORD ZqDibBuilder::CheckSize(std::uint64_t width, std::uint64_t height, unsigned bitCount, unsigned colors) {
  if (width == 0 || height == 0) return ZQ_ERR_DAMAGED;
  // Each factor is tested before the product so that the product cannot wrap.
  if (width > kZqMaxPixels || height > kZqMaxPixels || width * height > kZqMaxPixels) return ZQ_ERR_TOO_LARGE;
  const std::uint64_t bytes =
      sizeof(BITMAPINFOHEADER) + std::uint64_t{colors} * sizeof(RGBQUAD) + platform::DibStride(static_cast<std::int64_t>(width), bitCount) * height;
  return bytes > kZqMaxDibBytes ? ZQ_ERR_TOO_LARGE : ZQ_OK;
}

WORD ZqDibBuilder::Create(std::uint64_t width, std::uint64_t height, unsigned bitCount, unsigned colors) {
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
    return ZQ_ERR_BAD_PARAMETER;
  if (const WORD status = CheckSize(width, height, bitCount, colors); status != ZQ_OK) return status;
  BITMAPINFOHEADER h;
  h.biWidth = static_cast<LONG>(width);
  h.biHeight = static_cast<LONG>(height);
  h.biBitCount = static_cast<WORD>(bitCount);
  const unsigned full = bitCount <= 8 ? (1u << bitCount) : 0u;
  h.biClrUsed = (colors != 0 && colors != full) ? colors : 0;
  h.biSizeImage = static_cast<DWORD>(platform::DibImageBytes(h));
  const std::uint64_t bytes = sizeof(BITMAPINFOHEADER) + std::uint64_t{colors} * sizeof(RGBQUAD) + h.biSizeImage;
  handle_ = GlobalAlloc(GHND, static_cast<std::size_t>(bytes));
  if (handle_) header_ = static_cast<BITMAPINFOHEADER*>(GlobalLock(handle_));
  if (!header_) {
    if (handle_) GlobalFree(handle_);
    handle_ = 0;
    return ZQ_ERR_NO_MEMORY;
  }
  *header_ = h;
  palette_ = reinterpret_cast<RGBQUAD*>(header_ + 1);
  bits_ = reinterpret_cast<BYTE*>(palette_ + colors);
  width_ = static_cast<std::uint32_t>(width);
  height_ = static_cast<std::uint32_t>(height);
  stride_ = platform::DibStride(static_cast<std::int64_t>(width), bitCount);
  colors_ = colors;
  return ZQ_OK;
}

void ZqDibBuilder::SetPelsPerMeter(LONG x, LONG y) {
  header_->biXPelsPerMeter = x < 0 ? 0 : x;
  header_->biYPelsPerMeter = y < 0 ? 0 : y;
}

void ZqDibBuilder::SetDpi(double x, double y) {
  // Rounded to whole dpi first, so that the header gives back the file's dpi exactly.
  auto ppm = [](double dpi) -> LONG {
    if (!(dpi > 0) || dpi > 1e6) return 0;
    return platform::PelsPerMeterFromDpi(static_cast<LONG>(std::floor(dpi + 0.5)));
  };
  SetPelsPerMeter(ppm(x), ppm(y));
}

void ZqDibBuilder::SetGreyPalette(bool minIsWhite) {
  if (colors_ < 2) return;
  for (unsigned i = 0; i < colors_; ++i) {
    const unsigned level = (i * 255 + (colors_ - 1) / 2) / (colors_ - 1);
    const BYTE v = static_cast<BYTE>(minIsWhite ? 255 - level : level);
    palette_[i] = RGBQUAD{v, v, v, 0};
  }
}

HGLOBAL ZqDibBuilder::Release() {
  const HGLOBAL h = handle_;
  if (h) GlobalUnlock(h);
  handle_ = 0;
  header_ = nullptr;
  palette_ = nullptr;
  bits_ = nullptr;
  return h;
}
