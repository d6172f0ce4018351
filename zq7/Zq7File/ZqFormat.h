// Format detection from a file's first bytes; the extension is never consulted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class ZqFormat { Unknown, Bmp, Jpeg, Png, Gif, Tiff, Pcx, Jp2, J2kCodestream };

// Bytes DetectFormat needs to see (fewer are fine for short files).
inline constexpr std::size_t kZqSniffBytes = 16;

ZqFormat DetectFormat(const std::uint8_t* head, std::size_t size);
// Reads the first bytes of a file and detects its format; Unknown when it cannot be read.
ZqFormat DetectFileFormat(const std::string& path);
