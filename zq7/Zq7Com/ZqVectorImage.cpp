#include "zq7/Zq7Com/ZqVectorImage.h"

#include <algorithm>
#include <cstring>

#include "zq7/Zq7Com/ZqImage.h"

namespace {

std::uint32_t ClampSide(std::uint32_t side) { return std::clamp<std::uint32_t>(side, 1, kZqMaxVectorSide); }

}  // namespace

WORD ZqNewVectorImage(WORD kind, std::uint32_t width, std::uint32_t height, std::uint32_t xdpi, std::uint32_t ydpi,
                      const void* data, std::uint64_t bytes, HGLOBAL* out) {
  *out = 0;
  if (kind < ZQ_KIND_WMF || kind > ZQ_KIND_SXF || (bytes != 0 && !data)) return ZQ_ERR_BAD_PARAMETER;
  if (bytes > kZqMaxVectorBytes) return ZQ_ERR_TOO_LARGE;
  const HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, static_cast<std::size_t>(sizeof(ZqVectorHeader) + bytes));
  if (!handle) return ZQ_ERR_NO_MEMORY;
  {
    platform::GlobalLockGuard lock(handle);
    auto* header = lock.as<ZqVectorHeader>();
    if (!header) {
      GlobalFree(handle);
      return ZQ_ERR_NO_MEMORY;
    }
    std::memcpy(header->magic, kZqVectorMagic, sizeof kZqVectorMagic);
    header->kind = kind;
    header->reserved = 0;
    header->width = ClampSide(width);
    header->height = ClampSide(height);
    header->xdpi = xdpi;
    header->ydpi = ydpi;
    header->dataBytes = static_cast<DWORD>(bytes);
    if (bytes != 0) std::memcpy(header + 1, data, static_cast<std::size_t>(bytes));
  }
  *out = handle;
  return ZQ_OK;
}

ZqVectorLock::ZqVectorLock(HGLOBAL image) : guard_(image) {
  if (guard_) header_ = const_cast<ZqVectorHeader*>(zq::AsVectorImage(guard_.get(), GlobalSize(image)));
}
