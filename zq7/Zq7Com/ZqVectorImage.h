// The one way the engine makes and reads a vector image: a global memory block holding
// the engine's ZqVectorHeader (kind, size in pixels, resolution) followed by the
// drawing's own bytes (the file as it was read), so that a drawing loaded and saved
// again in its own format loses nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/memory.h"
#include "zq7/Zq7Api.h"

// Largest drawing the engine keeps in memory.
inline constexpr std::uint64_t kZqMaxVectorBytes = std::uint64_t{1} << 28;
// Largest size in pixels a vector image reports or is rendered at, on either side.
inline constexpr std::uint32_t kZqMaxVectorSide = 32767;

// Makes a vector image of kind (ZQ_KIND_WMF .. ZQ_KIND_SXF) holding bytes of data (data
// may be null when bytes is 0). The size is clamped to 1 .. kZqMaxVectorSide. On success
// *out is the new handle, owned by the caller; otherwise a status and *out stays 0.
ZQ_SHARED WORD ZqNewVectorImage(WORD kind, std::uint32_t width, std::uint32_t height, std::uint32_t xdpi,
                                std::uint32_t ydpi, const void* data, std::uint64_t bytes, HGLOBAL* out);

// A vector image locked for the lifetime of the object; false when the handle is not one.
class ZQ_SHARED ZqVectorLock {
 public:
  explicit ZqVectorLock(HGLOBAL image);
  explicit operator bool() const { return header_ != nullptr; }

  ZqVectorHeader& header() const { return *header_; }
  const std::uint8_t* data() const { return reinterpret_cast<const std::uint8_t*>(header_ + 1); }
  std::size_t bytes() const { return header_->dataBytes; }

 private:
  platform::GlobalLockGuard guard_;
  ZqVectorHeader* header_ = nullptr;
};
