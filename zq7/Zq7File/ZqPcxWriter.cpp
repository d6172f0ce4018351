#include "zq7/Zq7File/ZqPcxWriter.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "zq7/Zq7File/ZqProgress.h"
#include "zq7/Zq7File/ZqSaveImage.h"

namespace {

constexpr std::size_t kHeaderBytes = 128;
constexpr int kMaxRun = 63;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

void Put16(BYTE* p, unsigned v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}

// One plane's line in PCX run-length records: a run, or any byte that looks like a run
// count (0xC0 and above), is written as count and value.
void Encode(const BYTE* line, std::size_t n, std::vector<BYTE>& out) {
  for (std::size_t x = 0; x < n;) {
    std::size_t run = 1;
    while (x + run < n && run < kMaxRun && line[x + run] == line[x]) ++run;
    if (run > 1 || line[x] >= 0xC0) out.push_back(static_cast<BYTE>(0xC0 | run));
    out.push_back(line[x]);
    x += run;
  }
}

int Brightness(RGBQUAD q) { return q.rgbRed * 299 + q.rgbGreen * 587 + q.rgbBlue * 114; }

}  // namespace

WORD ZqPcxWrite(const ZqRaster& image, const std::string& path, ZqProgress& progress) {
  const int width = image.width(), height = image.height();
  if (width > 0xFFFF || height > 0xFFFF) return ZQ_ERR_TOO_LARGE;
  const int depth = image.bitCount() <= 8 ? image.bitCount() : 24;
  const int planes = depth == 4 ? 4 : depth == 24 ? 3 : 1;
  const int bitsPerPlane = depth == 8 || depth == 24 ? 8 : 1;
  // Lines are padded to an even number of bytes.
  const std::size_t bytesPerLine = ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPlane) + 15) / 16) * 2;
  const bool invert = depth == 1 && image.colors() == 2 && Brightness(image.palette()[0]) > Brightness(image.palette()[1]);

  BYTE header[kHeaderBytes] = {};
  header[0] = 10;  // manufacturer
  header[1] = 5;   // version 3.0 and later
  header[2] = 1;   // run-length encoding
  header[3] = static_cast<BYTE>(bitsPerPlane);
  Put16(header + 8, static_cast<unsigned>(width - 1));
  Put16(header + 10, static_cast<unsigned>(height - 1));
  Put16(header + 12, static_cast<unsigned>(std::max<LONG>(image.xdpi(), 0)));
  Put16(header + 14, static_cast<unsigned>(std::max<LONG>(image.ydpi(), 0)));
  if (depth == 4)
    for (int i = 0; i < 16 && i < image.colors(); ++i) {
      header[16 + i * 3] = image.palette()[i].rgbRed;
      header[17 + i * 3] = image.palette()[i].rgbGreen;
      header[18 + i * 3] = image.palette()[i].rgbBlue;
    }
  // Monochrome: 0 is black and 1 white, as the header palette says for readers that
  // look at it.
  if (depth == 1) std::memset(header + 19, 255, 3);
  header[65] = static_cast<BYTE>(planes);
  Put16(header + 66, static_cast<unsigned>(bytesPerLine));
  Put16(header + 68, depth == 8 && image.Grey() ? 2 : 1);

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return ZQ_ERR_WRITE_FAILED;
  if (std::fwrite(header, 1, sizeof header, file.get()) != sizeof header) return ZQ_ERR_WRITE_FAILED;

  std::vector<BYTE> plane(bytesPerLine * static_cast<std::size_t>(planes)), work(static_cast<std::size_t>(width) * 3), out;
  for (int y = 0; y < height; ++y) {
    std::fill(plane.begin(), plane.end(), 0);
    if (depth == 1 || depth == 8) {
      std::memcpy(plane.data(), image.Row(y), (static_cast<std::size_t>(width) * static_cast<std::size_t>(depth) + 7) / 8);
      if (invert)
        for (std::size_t i = 0; i < bytesPerLine; ++i) plane[i] = static_cast<BYTE>(~plane[i]);
    } else if (depth == 4) {
      image.Indices(y, work.data());
      for (int x = 0; x < width; ++x)
        for (int k = 0; k < 4; ++k)
          if (work[static_cast<std::size_t>(x)] >> k & 1)
            plane[static_cast<std::size_t>(k) * bytesPerLine + static_cast<std::size_t>(x) / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    } else {
      image.Bgr(y, work.data());
      for (int x = 0; x < width; ++x)
        for (int k = 0; k < 3; ++k) plane[static_cast<std::size_t>(k) * bytesPerLine + static_cast<std::size_t>(x)] = work[static_cast<std::size_t>(x) * 3 + 2 - static_cast<std::size_t>(k)];
    }
    out.clear();
    for (int k = 0; k < planes; ++k) Encode(plane.data() + static_cast<std::size_t>(k) * bytesPerLine, bytesPerLine, out);
    if (std::fwrite(out.data(), 1, out.size(), file.get()) != out.size()) return ZQ_ERR_WRITE_FAILED;
    if (!progress.Step(static_cast<std::uint64_t>(y) + 1, static_cast<std::uint64_t>(height))) return ZQ_ERR_CANCELLED;
  }
  if (depth == 8) {
    BYTE palette[769] = {0x0C};
    for (int i = 0; i < 256 && i < image.colors(); ++i) {
      palette[1 + i * 3] = image.palette()[i].rgbRed;
      palette[2 + i * 3] = image.palette()[i].rgbGreen;
      palette[3 + i * 3] = image.palette()[i].rgbBlue;
    }
    if (std::fwrite(palette, 1, sizeof palette, file.get()) != sizeof palette) return ZQ_ERR_WRITE_FAILED;
  }
  if (std::fclose(file.release()) != 0) return ZQ_ERR_WRITE_FAILED;
  return progress.Finish() ? WORD{ZQ_OK} : WORD{ZQ_ERR_CANCELLED};
}
