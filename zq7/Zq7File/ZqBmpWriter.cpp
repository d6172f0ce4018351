#include "zq7/Zq7File/ZqBmpWriter.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "zq7/Zq7File/ZqProgress.h"
#include "zq7/Zq7File/ZqSaveImage.h"

namespace {

constexpr DWORD kFileHeaderBytes = 14;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

void Put16(std::vector<BYTE>& out, unsigned v) {
  out.push_back(static_cast<BYTE>(v));
  out.push_back(static_cast<BYTE>(v >> 8));
}

void Put32(std::vector<BYTE>& out, DWORD v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

// One row of colour indices (one per byte) in RLE8 or RLE4 records, ending with the
// end-of-line record. Runs of two or more equal pixels become encoded records; stretches
// of three or more that do not repeat become absolute records, padded to a word as the
// format requires; what is left is written as runs of one.
void EncodeRow(const BYTE* px, int width, bool four, std::vector<BYTE>& out) {
  int x = 0;
  while (x < width) {
    int run = 1;
    while (x + run < width && run < 255 && px[x + run] == px[x]) ++run;
    if (run >= 2) {
      out.push_back(static_cast<BYTE>(run));
      out.push_back(four ? static_cast<BYTE>(px[x] << 4 | px[x]) : px[x]);
      x += run;
      continue;
    }
    // A literal stretch ends where a run of two begins.
    int n = 1;
    while (x + n < width && n < 255 && !(x + n + 1 < width && px[x + n] == px[x + n + 1])) ++n;
    if (n < 3) {
      for (int i = 0; i < n; ++i) {
        out.push_back(1);
        out.push_back(four ? static_cast<BYTE>(px[x + i] << 4) : px[x + i]);
      }
    } else {
      out.push_back(0);
      out.push_back(static_cast<BYTE>(n));
      std::size_t bytes = 0;
      if (four) {
        for (int i = 0; i < n; i += 2, ++bytes)
          out.push_back(static_cast<BYTE>(px[x + i] << 4 | (i + 1 < n ? px[x + i + 1] : 0)));
      } else {
        out.insert(out.end(), px + x, px + x + n);
        bytes = static_cast<std::size_t>(n);
      }
      if (bytes & 1) out.push_back(0);
    }
    x += n;
  }
  out.push_back(0);
  out.push_back(0);
}

}  // namespace

WORD ZqBmpWrite(const ZqRaster& image, bool rle, const std::string& path, ZqProgress& progress) {
  const int width = image.width(), height = image.height();
  const int bits = image.masked() ? 24 : image.bitCount();
  const bool encoded = rle && (bits == 4 || bits == 8);
  const DWORD colors = bits <= 8 ? static_cast<DWORD>(image.colors()) : 0;
  const std::size_t stride = static_cast<std::size_t>(platform::DibStride(width, static_cast<unsigned>(bits)));

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return ZQ_ERR_WRITE_FAILED;
  const DWORD offBits = kFileHeaderBytes + sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD);
  // The headers are written once the size is known: RLE's only after the pixels.
  if (std::fseek(file.get(), static_cast<long>(offBits), SEEK_SET) != 0) return ZQ_ERR_WRITE_FAILED;

  std::vector<BYTE> row(stride), indices(static_cast<std::size_t>(width)), records;
  std::uint64_t pixelBytes = 0;
  // BMP rows are stored from the bottom.
  for (int done = 0; done < height; ++done) {
    const int y = height - 1 - done;
    if (encoded) {
      records.clear();
      image.Indices(y, indices.data());
      EncodeRow(indices.data(), width, bits == 4, records);
      if (done == height - 1) records.back() = 1;  // end of bitmap replaces the last end of line
      if (std::fwrite(records.data(), 1, records.size(), file.get()) != records.size()) return ZQ_ERR_WRITE_FAILED;
      pixelBytes += records.size();
    } else {
      if (image.masked()) {
        image.Bgr(y, row.data());
      } else {
        std::memcpy(row.data(), image.Row(y), stride);
      }
      if (std::fwrite(row.data(), 1, stride, file.get()) != stride) return ZQ_ERR_WRITE_FAILED;
      pixelBytes += stride;
    }
    if (!progress.Step(done + 1, static_cast<std::uint64_t>(height))) return ZQ_ERR_CANCELLED;
  }
  if (pixelBytes + offBits > 0xFFFFFFFFu) return ZQ_ERR_TOO_LARGE;

  std::vector<BYTE> head;
  head.push_back('B');
  head.push_back('M');
  Put32(head, static_cast<DWORD>(offBits + pixelBytes));
  Put32(head, 0);
  Put32(head, offBits);
  Put32(head, sizeof(BITMAPINFOHEADER));
  Put32(head, static_cast<DWORD>(width));
  Put32(head, static_cast<DWORD>(height));
  Put16(head, 1);
  Put16(head, static_cast<unsigned>(bits));
  Put32(head, encoded ? (bits == 8 ? BI_RLE8 : BI_RLE4) : BI_RGB);
  Put32(head, static_cast<DWORD>(pixelBytes));
  Put32(head, static_cast<DWORD>(platform::PelsPerMeterFromDpi(image.xdpi())));
  Put32(head, static_cast<DWORD>(platform::PelsPerMeterFromDpi(image.ydpi())));
  Put32(head, colors == (bits <= 8 ? 1u << bits : 0u) ? 0 : colors);
  Put32(head, 0);
  for (DWORD i = 0; i < colors; ++i) {
    const RGBQUAD q = image.palette()[i];
    head.insert(head.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
  }
  if (std::fseek(file.get(), 0, SEEK_SET) != 0 || std::fwrite(head.data(), 1, head.size(), file.get()) != head.size())
    return ZQ_ERR_WRITE_FAILED;
  if (std::fclose(file.release()) != 0) return ZQ_ERR_WRITE_FAILED;
  return progress.Finish() ? WORD{ZQ_OK} : WORD{ZQ_ERR_CANCELLED};
}
