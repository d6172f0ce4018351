#include "zq7/Zq7File/ZqFrameLoad.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

#include <gif_lib.h>

#include "platform/memory.h"
#include "zq7/Zq7File/ZqByteReader.h"
#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqFileType.h"
#include "zq7/Zq7File/ZqFrames.h"
#include "zq7/Zq7File/ZqProgress.h"

namespace {

struct GifCloser {
  void operator()(GifFileType* g) const { DGifCloseFile(g, nullptr); }
};

int ReadStream(GifFileType* gif, GifByteType* buffer, int n) {
  return static_cast<int>(std::fread(buffer, 1, static_cast<std::size_t>(n), static_cast<std::FILE*>(gif->UserData)));
}

// The delay of each frame of a GIF from its graphic control extensions, walking the
// blocks without decompressing any image.
std::vector<DWORD> GifDelays(ZqFile& file) {
  std::vector<DWORD> delays;
  int error = 0;
  std::FILE* stream = file.Stream();
  std::unique_ptr<GifFileType, GifCloser> gif(stream ? DGifOpen(stream, ReadStream, &error) : nullptr);
  if (!gif) return delays;
  DWORD pending = 0;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) != GIF_OK || type == TERMINATE_RECORD_TYPE) break;
    if (type == IMAGE_DESC_RECORD_TYPE) {
      if (DGifGetImageDesc(gif.get()) != GIF_OK) break;
      int size = 0;
      GifByteType* code = nullptr;
      if (DGifGetCode(gif.get(), &size, &code) != GIF_OK) break;
      while (code && DGifGetCodeNext(gif.get(), &code) == GIF_OK) {
      }
      delays.push_back(pending);
      pending = 0;
    } else if (type == EXTENSION_RECORD_TYPE) {
      int function = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif.get(), &function, &ext) != GIF_OK) break;
      GraphicsControlBlock gcb{};
      if (function == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4 && DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK)
        pending = static_cast<DWORD>(gcb.DelayTime);
      while (ext && DGifGetExtensionNext(gif.get(), &ext) == GIF_OK) {
      }
    }
  }
  return delays;
}

}  // namespace

WORD ZqDecodeAllFrames(ZqFile& file, const ZqFormatEntry& entry, const ZqHeader& first, ZqProgress& progress,
                       HGLOBAL* out) {
  *out = 0;
  const int count = std::max<int>(first.info.pages, 1);
  const std::vector<DWORD> delays = entry.format == ZqFormat::Gif ? GifDelays(file) : std::vector<DWORD>{};
  std::vector<ZqLoadedFrame> frames;
  // Frames decoded so far are freed on every way out but the join.
  struct Guard {
    std::vector<ZqLoadedFrame>& frames;
    ~Guard() {
      for (ZqLoadedFrame& f : frames)
        if (f.dib) GlobalFree(f.dib);
    }
  } guard{frames};
  std::uint64_t total = 0;
  for (int page = 0; page < count; ++page) {
    ZqProgress quiet(nullptr);
    ZqLoadedFrame frame;
    ZqHeader header = first;
    if (page > 0) {
      ZqByteReader in(file);
      if (const WORD s = ZqReadHeaders(in, entry.format, page, header); s != ZQ_OK) return s;
    }
    // Decoders that hand libtiff a duplicate of the descriptor share its offset, and
    // libtiff reads the header from wherever the previous page left it.
    ::lseek(file.fd(), 0, SEEK_SET);
    if (const WORD s = entry.decode(file, header, page, quiet, &frame.dib); s != ZQ_OK) return s;
    frame.delay = static_cast<std::size_t>(page) < delays.size() ? delays[static_cast<std::size_t>(page)] : 0;
    total += GlobalSize(frame.dib) + sizeof(ZqFrameRecord);
    frames.push_back(frame);
    if (total > kZqMaxDibBytes) return ZQ_ERR_TOO_LARGE;
    if (!progress.Step(static_cast<std::uint64_t>(page) + 1, static_cast<std::uint64_t>(count))) return ZQ_ERR_CANCELLED;
  }
  const WORD s = ZqJoinFrames(frames, out);
  return s == ZQ_OK && !progress.Finish() ? WORD{ZQ_ERR_CANCELLED} : s;
}
