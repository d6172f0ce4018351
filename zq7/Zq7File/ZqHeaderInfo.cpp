#include "zq7/Zq7File/ZqHeaderInfo.h"

#include <cmath>
#include <cstring>
#include <string>

#include "platform/text.h"

WORD ZqDpi(std::uint32_t num, std::uint32_t den, ZqLengthUnit unit) {
  if (den == 0) return 0;
  // Inches per unit as the fraction scaleDen/scaleNum; all products stay below 2^48.
  std::uint64_t scaleNum = 1, scaleDen = 1;
  if (unit == ZqLengthUnit::Centimetre) scaleNum = 254, scaleDen = 100;
  if (unit == ZqLengthUnit::Metre) scaleNum = 254, scaleDen = 10000;
  // floor(num * scaleNum / (den * scaleDen) + 1/2), exactly.
  const std::uint64_t dpi = (2 * std::uint64_t{num} * scaleNum + std::uint64_t{den} * scaleDen) / (2 * std::uint64_t{den} * scaleDen);
  return ZqClampWord(dpi);
}

WORD ZqDpiFromDouble(double dpi) {
  if (!(dpi > 0)) return 0;  // also NaN
  const double rounded = std::floor(dpi + 0.5);
  return rounded >= 65535.0 ? WORD{0xFFFF} : static_cast<WORD>(rounded);
}

WORD ZqClampWord(std::uint64_t v) { return v > 0xFFFF ? WORD{0xFFFF} : static_cast<WORD>(v); }

DWORD ZqClampDword(std::uint64_t v) { return v > 0xFFFFFFFFu ? DWORD{0xFFFFFFFFu} : static_cast<DWORD>(v); }

std::int16_t ZqClampPages(std::uint64_t pages) {
  return pages > 0x7FFF ? std::int16_t{0x7FFF} : static_cast<std::int16_t>(pages);
}

void ZqSetComment(ZqFileInfo& info, std::string_view text) {
  text = text.substr(0, text.find('\0'));
  const std::string kept = platform::TruncateUtf8(text, sizeof info.comment - 1);
  std::memset(info.comment, 0, sizeof info.comment);
  std::memcpy(info.comment, kept.data(), kept.size());
}

void ZqSetLatin1Comment(ZqFileInfo& info, std::string_view text) {
  std::string utf8;
  for (const char c : text.substr(0, sizeof info.comment)) {
    const auto b = static_cast<unsigned char>(c);
    if (b == 0) break;
    if (b < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | b >> 6);
      utf8 += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  ZqSetComment(info, utf8);
}
