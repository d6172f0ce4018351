#include "bench/BenchImages.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

#include <jpeglib.h>
#include <tiffio.h>

bool WriteBenchJpeg(const std::string& path, int width, int height, int quality,
                    const std::vector<unsigned char>& app1) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!out) return false;
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out.get());
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  if (!app1.empty()) jpeg_write_marker(&c, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
  std::uint32_t seed = 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525 + 1013904223;
      const int noise = static_cast<int>(seed >> 28);
      row[3 * x] = static_cast<JSAMPLE>((x * 255 / width + noise) & 255);
      row[3 * x + 1] = static_cast<JSAMPLE>((y * 255 / height + noise) & 255);
      row[3 * x + 2] = static_cast<JSAMPLE>(((x + y) / 30 + noise) & 255);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return true;
}

bool WriteBenchG4Page(const std::string& path) {
  constexpr std::uint32_t w = 2480, h = 3508;
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (!t) return false;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
  TIFFSetField(t, TIFFTAG_XRESOLUTION, 300.0);
  TIFFSetField(t, TIFFTAG_YRESOLUTION, 300.0);
  std::vector<std::uint8_t> row(w / 8);
  std::uint32_t seed = 7;
  bool ok = true;
  for (std::uint32_t y = 0; y < h && ok; ++y) {
    std::fill(row.begin(), row.end(), 0);
    if (y > 200 && y < h - 200 && (y % 50) < 30) {
      for (std::uint32_t x = 200; x < w - 200; x += 8) {
        seed = seed * 1664525 + 1013904223;
        row[x / 8] = static_cast<std::uint8_t>((seed >> 24) & 0x7E);
      }
    }
    ok = TIFFWriteScanline(t, row.data(), y, 0) == 1;
  }
  TIFFClose(t);
  return ok;
}
