// What a saver reads from an image handle: the packed DIB of each frame, checked before a
// byte of it is used, with its rows from the top, its colour table, its resolution and
// conversions of its rows to the forms the codecs take. A handle holds one frame, or
// several when a loader put the further frames in the engine's frame trailer behind the
// first (ZqFrames.h); savers of one picture write the first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/dib.h"
#include "platform/memory.h"
#include "zq7/Zq7Api.h"

class ZqRaster {
 public:
  // Views data (bytes long) as a packed DIB: a header of 40 bytes or more, positive
  // width, nonzero height, 1, 4, 8, 16, 24 or 32 bits, uncompressed (bit fields for 16
  // and 32 bits), within the engine's caps, colour table and rows inside. False
  // otherwise, and nothing is read past bytes.
  bool View(const BYTE* data, std::size_t bytes);
  // The packed DIB's own size, where a frame trailer would begin.
  std::size_t dibBytes() const { return dibBytes_; }

  int width() const { return width_; }
  int height() const { return height_; }
  int bitCount() const { return bitCount_; }
  // Pixels of 16 or 32 bits laid out by colour masks rather than as plain B, G, R(, A).
  bool masked() const { return bitCount_ == 16 || (bitCount_ == 32 && header_->biCompression == BI_BITFIELDS); }
  // Colour table of a 1, 4 or 8-bit image (colors() entries), else empty.
  const RGBQUAD* palette() const { return palette_; }
  int colors() const { return colors_; }
  const BYTE* Row(int yFromTop) const {
    return bits_ + stride_ * static_cast<std::size_t>(bottomUp_ ? height_ - 1 - yFromTop : yFromTop);
  }
  // Resolution in whole dpi from the header's pixels per metre (0 when not recorded).
  LONG xdpi() const { return platform::DpiFromPelsPerMeter(header_->biXPelsPerMeter); }
  LONG ydpi() const { return platform::DpiFromPelsPerMeter(header_->biYPelsPerMeter); }
  LONG xppm() const { return header_->biXPelsPerMeter; }
  LONG yppm() const { return header_->biYPelsPerMeter; }
  // A colour table of greys only.
  bool Grey() const;
  // A 32-bit image whose alpha is used: 32-bit images with every alpha byte 0 are
  // opaque pictures written by tools that leave the fourth byte empty.
  bool Alpha() const { return alpha_; }

  // Row y as B, G, R bytes (3 per pixel), from any depth.
  void Bgr(int y, BYTE* out) const;
  // Row y as B, G, R, A bytes (A 255 unless Alpha()).
  void Bgra(int y, BYTE* out) const;
  // Row y of a palette image as one colour index per byte.
  void Indices(int y, BYTE* out) const;

 private:
  void Unpack16(const BYTE* row, BYTE* out, int step) const;

  const BITMAPINFOHEADER* header_ = nullptr;
  const RGBQUAD* palette_ = nullptr;
  const BYTE* bits_ = nullptr;
  std::size_t stride_ = 0;
  std::size_t dibBytes_ = 0;
  int width_ = 0;
  int height_ = 0;
  int bitCount_ = 0;
  int colors_ = 0;
  bool bottomUp_ = true;
  bool alpha_ = false;
  DWORD masks_[3] = {0x7C00, 0x03E0, 0x001F};
};

struct ZqSaveFrame {
  ZqRaster raster;
  DWORD delay = 0;  // hundredths of a second before the next frame
};

// An image handle locked for the length of a save.
class ZqSaveImage {
 public:
  // ZQ_OK, ZQ_ERR_UNSUPPORTED for a vector image (its savers come with the vector
  // formats), ZQ_ERR_BAD_PARAMETER for anything that is not an image.
  WORD Open(HGLOBAL image);
  const ZqRaster& first() const { return frames_.front().raster; }
  const std::vector<ZqSaveFrame>& frames() const { return frames_; }

 private:
  std::optional<platform::GlobalLockGuard> lock_;
  std::vector<ZqSaveFrame> frames_;
};
