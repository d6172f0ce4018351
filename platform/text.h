// Text helpers. Every text is a std::string of UTF-8 bytes; lengths and positions
// count bytes, and a multi-byte character is never split.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The platform path limit, terminating NUL included (Linux PATH_MAX).
inline constexpr std::size_t MaxPath = 4096;

// True for a byte that starts a multi-byte UTF-8 sequence.
bool IsLeadByte(unsigned char c);
// Number of bytes of the character that starts at s[pos] (1 for a stray or cut byte,
// never beyond the end of s).
std::size_t CharLength(std::string_view s, std::size_t pos);
// True when pos is 0, the end, or the first byte of a character.
bool IsCharBoundary(std::string_view s, std::size_t pos);
// The largest character boundary not above pos.
std::size_t FloorCharBoundary(std::string_view s, std::size_t pos);
// At most maxBytes bytes of s, cut at a character boundary.
std::string TruncateUtf8(std::string_view s, std::size_t maxBytes);

// Path pieces with "/" as separator. The folder part ends at the last "/" and keeps it.
std::string ExtractFileDir(std::string_view path);   // "/a/b/c.jpg" -> "/a/b/"
std::string ExtractFileName(std::string_view path);  // "/a/b/c.jpg" -> "c.jpg"
// The extension with its dot, taken from the name part only; empty when there is none.
std::string ExtractFileExt(std::string_view path);   // "/a.b/c.tar.gz" -> ".gz"
// The path without the extension of its name part.
std::string RemoveFileExt(std::string_view path);    // "/a.b/c" -> "/a.b/c"

// Locale-aware comparison with case ignored (ICU collation through QCollator).
// A blank sorts before every other character that may start a path.
int CompareTextI(std::string_view a, std::string_view b);
bool SameTextI(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view s);  // ASCII letters only, as the file list needs

// A profile value as a 32-bit integer: decimal with an optional sign, or hexadecimal
// when a text longer than two characters starts with "0x" or "0X". Anything else, and
// any value outside the 32-bit signed range, is not a number.
std::optional<long long> ParseProfileInt(std::string_view text);

}  // namespace platform
