// The one way the engine makes a new raster image: a packed DIB in one global memory
// block holding the header, the colour table and bottom-up rows. The size is checked
// against the engine's caps in 64 bits before anything is allocated; until Release hands
// the handle over, the builder owns the block and frees it, so a failed or cancelled
// decode or conversion leaks nothing. Every engine library builds its images here.
#pragma once

#include <cstdint>

#include "platform/dib.h"
#include "zq7/Zq7Api.h"

// The resolution of an image the engine makes from nothing: the screen's.
inline constexpr int kZqDefaultDpi = 96;

class ZQ_SHARED ZqDibBuilder {
 public:
  ZqDibBuilder() = default;
  ~ZqDibBuilder();
  ZqDibBuilder(const ZqDibBuilder&) = delete;
  ZqDibBuilder& operator=(const ZqDibBuilder&) = delete;

  // ZQ_OK when an image of that size fits the caps (over 2^28 pixels or a DIB over
  // 1 GiB: ZQ_ERR_TOO_LARGE; no pixels: ZQ_ERR_DAMAGED). Lets a reader refuse before it
  // asks a codec for its own buffers.
  static WORD CheckSize(std::uint64_t width, std::uint64_t height, unsigned bitCount, unsigned colors);

  // Allocates a zeroed DIB of width x height at bitCount bits (1, 4, 8, 16, 24 or 32;
  // another count is ZQ_ERR_BAD_PARAMETER) with colors palette entries (0 for none;
  // biClrUsed records a short palette) and no resolution.
  WORD Create(std::uint64_t width, std::uint64_t height, unsigned bitCount, unsigned colors);

  void SetPelsPerMeter(LONG x, LONG y);
  void SetDpi(double x, double y);
  RGBQUAD* Palette() const { return palette_; }
  // Fills the palette with an even ramp from black to white, each level rounded to the
  // nearest (reversed when minIsWhite).
  void SetGreyPalette(bool minIsWhite);
  // Row y counted from the top of the picture.
  BYTE* Row(std::uint32_t y) const { return bits_ + static_cast<std::uint64_t>(height_ - 1 - y) * stride_; }

  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }
  unsigned colors() const { return colors_; }

  // Hands the finished block to the caller, who then owns it.
  HGLOBAL Release();

 private:
  HGLOBAL handle_ = 0;
  BITMAPINFOHEADER* header_ = nullptr;
  RGBQUAD* palette_ = nullptr;
  BYTE* bits_ = nullptr;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::uint64_t stride_ = 0;
  unsigned colors_ = 0;
};
