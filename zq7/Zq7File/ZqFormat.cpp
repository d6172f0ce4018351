#include "zq7/Zq7File/ZqFormat.h"

#include <cstdio>
#include <cstring>
#include <memory>

ZqFormat DetectFormat(const std::uint8_t* h, std::size_t n) {
  auto starts = [&](const char* sig, std::size_t len) { return n >= len && std::memcmp(h, sig, len) == 0; };
  if (starts("BM", 2) && n >= 14) return ZqFormat::Bmp;
  if (n >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF) return ZqFormat::Jpeg;
  if (starts("\x89PNG\r\n\x1A\n", 8)) return ZqFormat::Png;
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return ZqFormat::Gif;
  if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4)) return ZqFormat::Tiff;
  if (starts("\0\0\0\x0CjP  \r\n\x87\n", 12)) return ZqFormat::Jp2;
  if (starts("\xFF\x4F\xFF\x51", 4)) return ZqFormat::J2kCodestream;
  // PCX: manufacturer 10, version 0..5, encoding 0 or 1, and a plausible bit depth.
  if (n >= 4 && h[0] == 0x0A && h[1] <= 5 && h[2] <= 1 && (h[3] == 1 || h[3] == 2 || h[3] == 4 || h[3] == 8))
    return ZqFormat::Pcx;
  return ZqFormat::Unknown;
}

ZqFormat DetectFileFormat(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) return ZqFormat::Unknown;
  std::uint8_t head[kZqSniffBytes];
  const std::size_t n = std::fread(head, 1, sizeof head, f.get());
  return DetectFormat(head, n);
}
