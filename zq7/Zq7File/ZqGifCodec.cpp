#include "zq7/Zq7File/ZqGifCodec.h"

#include <algorithm>
#include <cstdio>

#include <gif_lib.h>

#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqProgress.h"

namespace {

// giflib reads through this from the file's stream, which stays the file's.
int ReadStream(GifFileType* gif, GifByteType* buffer, int n) {
  return static_cast<int>(std::fread(buffer, 1, static_cast<std::size_t>(n), static_cast<std::FILE*>(gif->UserData)));
}

// One open giflib decoder.
class GifReader {
 public:
  explicit GifReader(std::FILE* stream) : gif(stream ? DGifOpen(stream, ReadStream, &error) : nullptr) {
    if (!stream) error = D_GIF_ERR_NOT_ENOUGH_MEM;
  }
  ~GifReader() {
    if (gif) DGifCloseFile(gif, &error);
  }
  GifReader(const GifReader&) = delete;
  GifReader& operator=(const GifReader&) = delete;

  // The status for giflib's last error.
  WORD Status() const {
    const int code = gif ? gif->Error : error;
    switch (code) {
      case D_GIF_ERR_OPEN_FAILED:
        return ZQ_ERR_FILE_NOT_FOUND;
      case D_GIF_ERR_NOT_GIF_FILE:
        return ZQ_ERR_UNSUPPORTED;
      case D_GIF_ERR_NOT_ENOUGH_MEM:
        return ZQ_ERR_NO_MEMORY;
      default:
        return ZQ_ERR_DAMAGED;
    }
  }

  int error = 0;
  GifFileType* gif;
};

// Skips the compressed data of a frame that is not wanted.
bool SkipFrame(GifFileType* gif) {
  int codeSize = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) return false;
  while (block) {
    if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

// Reads an extension; a graphic control block sets the transparent index of the next frame.
bool ReadExtension(GifFileType* gif, int* transparent) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
    GraphicsControlBlock gcb;
    if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) *transparent = gcb.TransparentColor;
  }
  while (block) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

WORD DecodeFrame(GifFileType* gif, int transparent, ZqProgress& progress, HGLOBAL* out) {
  const GifImageDesc& d = gif->Image;
  if (d.Left < 0 || d.Top < 0 || d.Width < 0 || d.Height < 0) return ZQ_ERR_DAMAGED;
  const std::uint64_t width = std::max<std::uint64_t>(gif->SWidth, std::uint64_t(d.Left) + std::uint64_t(d.Width));
  const std::uint64_t height = std::max<std::uint64_t>(gif->SHeight, std::uint64_t(d.Top) + std::uint64_t(d.Height));
  const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
  const int count = map && map->ColorCount > 0 && map->ColorCount <= 256 ? map->ColorCount : 2;
  ZqDibBuilder dib;
  if (const WORD s = dib.Create(width, height, 8, static_cast<unsigned>(count)); s != ZQ_OK) return s;
  if (map && map->ColorCount == count) {
    for (int i = 0; i < count; ++i)
      dib.Palette()[i] = RGBQUAD{map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 0};
  } else {
    dib.SetGreyPalette(false);
  }

  int fill = transparent >= 0 ? transparent : (gif->SColorMap ? gif->SBackGroundColor : 0);
  if (fill >= count) fill = 0;
  const bool covered = d.Left == 0 && d.Top == 0 && std::uint64_t(d.Width) == width && std::uint64_t(d.Height) == height;
  if (!covered && fill != 0)
    for (std::uint32_t y = 0; y < dib.height(); ++y) std::fill_n(dib.Row(y), dib.width(), static_cast<BYTE>(fill));

  // Interlaced frames store rows 0, 8, 16, ..., then 4, 12, ..., then 2, 6, ..., then the odd rows.
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  int pass = 0;
  int y = 0;
  for (int n = 0; n < d.Height; ++n) {
    int row = n;
    if (d.Interlace) {
      while (y >= d.Height) {
        ++pass;
        y = kStart[pass];
      }
      row = y;
      y += kStep[pass];
    }
    BYTE* line = dib.Row(static_cast<std::uint32_t>(d.Top + row)) + d.Left;
    if (DGifGetLine(gif, line, d.Width) == GIF_ERROR) return ZQ_ERR_DAMAGED;
    for (int x = 0; x < d.Width; ++x)
      if (line[x] >= count) line[x] = 0;
    if (!progress.Step(static_cast<std::uint64_t>(n) + 1, static_cast<std::uint64_t>(d.Height))) return ZQ_ERR_CANCELLED;
  }
  if (!progress.Finish()) return ZQ_ERR_CANCELLED;
  *out = dib.Release();
  return ZQ_OK;
}

}  // namespace

WORD ZqGifDecode(ZqFile& file, int page, ZqProgress& progress, HGLOBAL* out) {
  *out = 0;
  if (page < 0) return ZQ_ERR_BAD_PARAMETER;
  GifReader r(file.Stream());
  if (!r.gif) return r.Status();
  int frame = 0;
  int transparent = -1;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(r.gif, &type) == GIF_ERROR) return r.Status();
    switch (type) {
      case IMAGE_DESC_RECORD_TYPE:
        if (DGifGetImageDesc(r.gif) == GIF_ERROR) return r.Status();
        if (frame == page) return DecodeFrame(r.gif, transparent, progress, out);
        if (!SkipFrame(r.gif)) return r.Status();
        ++frame;
        transparent = -1;
        break;
      case EXTENSION_RECORD_TYPE:
        if (!ReadExtension(r.gif, &transparent)) return r.Status();
        break;
      case TERMINATE_RECORD_TYPE:
        return frame == 0 ? ZQ_ERR_DAMAGED : ZQ_ERR_BAD_PARAMETER;
      default:
        return ZQ_ERR_DAMAGED;
    }
  }
}
