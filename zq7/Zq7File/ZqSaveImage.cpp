#include "zq7/Zq7File/ZqSaveImage.h"

#include <cstring>

#include "zq7/Zq7File/ZqFrames.h"

namespace {

// Shift and width of a colour mask, for turning a masked sample into 8 bits.
void MaskShape(DWORD mask, int* shift, int* bits) {
  *shift = 0;
  *bits = 0;
  if (!mask) return;
  while (!(mask & 1)) mask >>= 1, ++*shift;
  while (mask & 1) mask >>= 1, ++*bits;
}

BYTE Scale(DWORD value, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return static_cast<BYTE>(value >> (bits - 8));
  const DWORD max = (1u << bits) - 1;
  return static_cast<BYTE>((value * 255 + max / 2) / max);
}

}  // namespace

bool ZqRaster::View(const BYTE* data, std::size_t bytes) {
  if (!data || bytes < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof h);
  if (h.biSize < sizeof h || h.biSize > bytes || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes > 1) return false;
  const unsigned bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  const bool fields = h.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32);
  if (h.biCompression != BI_RGB && !fields) return false;
  const std::uint64_t w = static_cast<std::uint64_t>(h.biWidth);
  const std::uint64_t ht = platform::DibAbsHeight(h);
  if (w > kZqMaxPixels || ht > kZqMaxPixels || w * ht > kZqMaxPixels) return false;
  const std::uint64_t colors = bits <= 8 ? platform::DibColorCount(h) : 0;
  if (colors > 256) return false;
  const std::uint64_t tableEnd = h.biSize + (fields && h.biSize == sizeof h ? 12 : colors * sizeof(RGBQUAD));
  const std::uint64_t stride = platform::DibStride(h.biWidth, bits);
  const std::uint64_t end = tableEnd + stride * ht;
  if (end > bytes) return false;

  header_ = reinterpret_cast<const BITMAPINFOHEADER*>(data);
  palette_ = colors ? reinterpret_cast<const RGBQUAD*>(data + h.biSize) : nullptr;
  bits_ = data + tableEnd;
  stride_ = static_cast<std::size_t>(stride);
  dibBytes_ = static_cast<std::size_t>(end);
  width_ = h.biWidth;
  height_ = static_cast<int>(ht);
  bitCount_ = static_cast<int>(bits);
  colors_ = static_cast<int>(colors);
  bottomUp_ = h.biHeight > 0;
  if (bits == 32) masks_[0] = 0xFF0000, masks_[1] = 0xFF00, masks_[2] = 0xFF;
  if (fields) {
    // Masks follow a 40-byte header, or sit in a larger header at the same offset.
    std::memcpy(masks_, data + sizeof h, sizeof masks_);
  }
  alpha_ = false;
  if (bits == 32 && !fields)
    for (int y = 0; y < height_ && !alpha_; ++y) {
      const BYTE* r = Row(y);
      for (int x = 0; x < width_; ++x)
        if (r[x * 4 + 3]) {
          alpha_ = true;
          break;
        }
    }
  return true;
}

bool ZqRaster::Grey() const {
  if (!palette_) return false;
  for (int i = 0; i < colors_; ++i)
    if (palette_[i].rgbRed != palette_[i].rgbGreen || palette_[i].rgbGreen != palette_[i].rgbBlue) return false;
  return true;
}

void ZqRaster::Unpack16(const BYTE* row, BYTE* out, int step) const {
  int shift[3], bits[3];
  for (int c = 0; c < 3; ++c) MaskShape(masks_[c], &shift[c], &bits[c]);
  const int bytes = bitCount_ / 8;
  for (int x = 0; x < width_; ++x, out += step) {
    DWORD v = 0;
    for (int b = 0; b < bytes; ++b) v |= DWORD{row[x * bytes + b]} << (8 * b);
    out[2] = Scale((v & masks_[0]) >> shift[0], bits[0]);
    out[1] = Scale((v & masks_[1]) >> shift[1], bits[1]);
    out[0] = Scale((v & masks_[2]) >> shift[2], bits[2]);
  }
}

void ZqRaster::Indices(int y, BYTE* out) const {
  const BYTE* r = Row(y);
  if (bitCount_ == 8) {
    std::memcpy(out, r, static_cast<std::size_t>(width_));
    return;
  }
  const int per = 8 / bitCount_;
  const unsigned mask = (1u << bitCount_) - 1;
  for (int x = 0; x < width_; ++x)
    out[x] = static_cast<BYTE>((r[x / per] >> ((per - 1 - x % per) * bitCount_)) & mask);
}

void ZqRaster::Bgr(int y, BYTE* out) const {
  const BYTE* r = Row(y);
  switch (bitCount_) {
    case 24:
      std::memcpy(out, r, static_cast<std::size_t>(width_) * 3);
      return;
    case 32:
      if (header_->biCompression == BI_RGB) {
        for (int x = 0; x < width_; ++x) std::memcpy(out + x * 3, r + x * 4, 3);
        return;
      }
      Unpack16(r, out, 3);
      return;
    case 16:
      Unpack16(r, out, 3);
      return;
    default: {
      std::vector<BYTE> indices(static_cast<std::size_t>(width_));
      Indices(y, indices.data());
      for (int x = 0; x < width_; ++x) {
        const RGBQUAD q = indices[x] < colors_ ? palette_[indices[x]] : RGBQUAD{};
        out[x * 3] = q.rgbBlue, out[x * 3 + 1] = q.rgbGreen, out[x * 3 + 2] = q.rgbRed;
      }
    }
  }
}

void ZqRaster::Bgra(int y, BYTE* out) const {
  if (bitCount_ == 32 && header_->biCompression == BI_RGB) {
    std::memcpy(out, Row(y), static_cast<std::size_t>(width_) * 4);
    if (!Alpha())
      for (int x = 0; x < width_; ++x) out[x * 4 + 3] = 255;
    return;
  }
  std::vector<BYTE> bgr(static_cast<std::size_t>(width_) * 3);
  Bgr(y, bgr.data());
  for (int x = 0; x < width_; ++x) {
    std::memcpy(out + x * 4, &bgr[static_cast<std::size_t>(x) * 3], 3);
    out[x * 4 + 3] = 255;
  }
}

WORD ZqSaveImage::Open(HGLOBAL image) {
  frames_.clear();
  lock_.emplace(image);
  if (!*lock_) return ZQ_ERR_BAD_PARAMETER;
  const BYTE* data = lock_->as<const BYTE>();
  const std::size_t bytes = GlobalSize(image);
  if (bytes >= sizeof(ZqVectorHeader) && std::memcmp(data, kZqVectorMagic, sizeof kZqVectorMagic) == 0)
    return ZQ_ERR_UNSUPPORTED;
  ZqSaveFrame first;
  if (!first.raster.View(data, bytes)) return ZQ_ERR_BAD_PARAMETER;
  frames_.push_back(first);
  // The trailer is read as far as it is whole; a damaged one leaves the frames before it.
  std::size_t at = first.raster.dibBytes();
  ZqFramesHeader fh;
  if (bytes - at < sizeof fh) return ZQ_OK;
  std::memcpy(&fh, data + at, sizeof fh);
  if (std::memcmp(fh.magic, kZqFramesMagic, sizeof fh.magic) != 0) return ZQ_OK;
  frames_.front().delay = fh.firstDelay;
  at += sizeof fh;
  for (DWORD i = 1; i < fh.count; ++i) {
    ZqFrameRecord record;
    if (bytes - at < sizeof record) break;
    std::memcpy(&record, data + at, sizeof record);
    at += sizeof record;
    ZqSaveFrame frame;
    if (record.bytes > bytes - at || !frame.raster.View(data + at, record.bytes)) break;
    frame.delay = record.delay;
    frames_.push_back(frame);
    at += record.bytes;
  }
  return ZQ_OK;
}
