#include "platform/text.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <charconv>
#include <cstdint>
#include <limits>

namespace platform {

bool IsLeadByte(unsigned char c) { return c >= 0xC2 && c <= 0xF4; }

std::size_t CharLength(std::string_view s, std::size_t pos) {
  if (pos >= s.size()) return 0;
  const auto c = static_cast<unsigned char>(s[pos]);
  std::size_t want = 1;
  if (c >= 0xC2 && c <= 0xDF) want = 2;
  else if (c >= 0xE0 && c <= 0xEF) want = 3;
  else if (c >= 0xF0 && c <= 0xF4) want = 4;
  if (want == 1) return 1;
  // A sequence counts as one character only when all its continuation bytes are there.
  for (std::size_t i = 1; i < want; ++i) {
    if (pos + i >= s.size()) return 1;
    if ((static_cast<unsigned char>(s[pos + i]) & 0xC0) != 0x80) return 1;
  }
  return want;
}

bool IsCharBoundary(std::string_view s, std::size_t pos) {
  if (pos == 0 || pos >= s.size()) return true;
  std::size_t i = 0;
  while (i < pos) i += CharLength(s, i);
  return i == pos;
}

std::size_t FloorCharBoundary(std::string_view s, std::size_t pos) {
  if (pos >= s.size()) return s.size();
  std::size_t i = 0;
  while (true) {
    const std::size_t next = i + CharLength(s, i);
    if (next > pos) return i;
    i = next;
  }
}

std::string TruncateUtf8(std::string_view s, std::size_t maxBytes) {
  return std::string(s.substr(0, FloorCharBoundary(s, maxBytes)));
}

std::string ExtractFileDir(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtractFileName(std::string_view path) {
  const auto slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view path) {
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos) return {};
  if (slash != std::string_view::npos && dot < slash) return {};
  return std::string(path.substr(dot));
}

std::string RemoveFileExt(std::string_view path) {
  const std::string ext = ExtractFileExt(path);
  return std::string(path.substr(0, path.size() - ext.size()));
}

namespace {

const QCollator& CaseInsensitiveCollator() {
  // One collator for the process, built for the user's locale with case ignored.
  // Punctuation and blanks are not ignored, so a blank keeps its early place.
  static const QCollator collator = [] {
    QCollator c{QLocale::system()};
    c.setCaseSensitivity(Qt::CaseInsensitive);
    c.setIgnorePunctuation(false);
    c.setNumericMode(false);
    return c;
  }();
  return collator;
}

}  // namespace

int CompareTextI(std::string_view a, std::string_view b) {
  const QString qa = QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()));
  const QString qb = QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size()));
  int r = CaseInsensitiveCollator().compare(qa, qb);
  if (r == 0 && a != b) {
    // Texts the collator holds equal but that differ in more than case (different
    // bytes that decode alike) keep a stable order by their bytes, case folded.
    const std::string ua = UpperCase(a), ub = UpperCase(b);
    r = ua.compare(ub);
  }
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool SameTextI(std::string_view a, std::string_view b) { return CompareTextI(a, b) == 0; }

std::string UpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::optional<long long> ParseProfileInt(std::string_view text) {
  int base = 10;
  std::string_view digits = text;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    digits = text.substr(2);
  }
  bool negative = false;
  if (base == 10 && !digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  // from_chars would take a second sign ("--5", "0x-10"); only digits may follow.
  const auto isDigit = [base](char c) {
    return (c >= '0' && c <= '9') || (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
  };
  if (digits.empty() || !isDigit(digits[0])) return std::nullopt;
  long long value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (negative) value = -value;
  // A profile integer is 32 bits wide; a value beyond is no number.
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return value;
}

}  // namespace platform
