#include "zq7/Zq7File/ZqFrames.h"

#include <cstring>

#include "platform/dib.h"
#include "platform/memory.h"

namespace {

void FreeAll(std::vector<ZqLoadedFrame>& frames) {
  for (ZqLoadedFrame& f : frames)
    if (f.dib) GlobalFree(f.dib);
  frames.clear();
}

std::size_t DibBytes(HGLOBAL dib) {
  const platform::GlobalLockGuard lock(dib);
  const auto* h = lock.as<const BITMAPINFOHEADER>();
  return h ? static_cast<std::size_t>(platform::PackedDibSize(*h)) : 0;
}

}  // namespace

WORD ZqJoinFrames(std::vector<ZqLoadedFrame>& frames, HGLOBAL* out) {
  *out = 0;
  if (frames.size() == 1) {
    *out = frames.front().dib;
    frames.clear();
    return ZQ_OK;
  }
  std::uint64_t total = sizeof(ZqFramesHeader);
  std::vector<std::size_t> sizes;
  for (const ZqLoadedFrame& f : frames) {
    sizes.push_back(DibBytes(f.dib));
    total += sizes.back() + (sizes.size() > 1 ? sizeof(ZqFrameRecord) : 0);
  }
  if (total > kZqMaxDibBytes) {
    FreeAll(frames);
    return ZQ_ERR_TOO_LARGE;
  }
  const HGLOBAL joined = GlobalAlloc(GMEM_MOVEABLE, static_cast<std::size_t>(total));
  if (!joined) {
    FreeAll(frames);
    return ZQ_ERR_NO_MEMORY;
  }
  {
    const platform::GlobalLockGuard lock(joined);
    BYTE* p = lock.as<BYTE>();
    for (std::size_t i = 0; i < frames.size(); ++i) {
      if (i == 1) {
        ZqFramesHeader header{};
        std::memcpy(header.magic, kZqFramesMagic, sizeof header.magic);
        header.count = static_cast<DWORD>(frames.size());
        header.firstDelay = frames.front().delay;
        std::memcpy(p, &header, sizeof header);
        p += sizeof header;
      }
      if (i >= 1) {
        const ZqFrameRecord record{frames[i].delay, static_cast<DWORD>(sizes[i])};
        std::memcpy(p, &record, sizeof record);
        p += sizeof record;
      }
      const platform::GlobalLockGuard frame(frames[i].dib);
      std::memcpy(p, frame.get(), sizes[i]);
      p += sizes[i];
    }
  }
  FreeAll(frames);
  *out = joined;
  return ZQ_OK;
}
