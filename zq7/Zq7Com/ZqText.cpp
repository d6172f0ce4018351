#include "zq7/Zq7Com/ZqText.h"

#include <cstring>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

// Bytes of the blank at s[pos], 0 when there is none.
std::size_t BlankAt(std::string_view s, std::size_t pos) {
  if (pos >= s.size()) return 0;
  if (s[pos] == ' ' || s[pos] == '\t') return 1;
  return s.substr(pos).starts_with(kIdeographicSpace) ? kIdeographicSpace.size() : 0;
}

LPSTR Store(LPSTR text, const std::string& value) {
  std::memcpy(text, value.c_str(), value.size() + 1);
  return zq::Ok(text);
}

LPSTR Bad() { return zq::Fail<LPSTR>(ZQ_ERR_BAD_PARAMETER, nullptr); }

// Copies s[from, from + count) into dest, shrunk to whole characters.
LPSTR CopyPart(LPSTR dest, std::string_view s, std::size_t from, std::size_t count) {
  from = std::min(from, s.size());
  std::size_t begin = from;
  while (!platform::IsCharBoundary(s, begin)) ++begin;
  const std::size_t end = platform::FloorCharBoundary(s, std::min(s.size(), from + count));
  const std::string part = end > begin ? std::string(s.substr(begin, end - begin)) : std::string();
  return Store(dest, part);
}

}  // namespace

ZQ_EXPORT LPSTR CutFrontSpace(LPSTR text) {
  return zq::Guard<LPSTR>(nullptr, [&]() -> LPSTR {
    if (!text) return Bad();
    const std::string_view s(text);
    std::size_t pos = 0;
    while (const std::size_t n = BlankAt(s, pos)) pos += n;
    return Store(text, std::string(s.substr(pos)));
  });
}

ZQ_EXPORT LPSTR CutBackSpace(LPSTR text) {
  return zq::Guard<LPSTR>(nullptr, [&]() -> LPSTR {
    if (!text) return Bad();
    const std::string_view s(text);
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < s.size();) {
      if (const std::size_t n = BlankAt(s, pos)) {
        pos += n;
      } else {
        pos += platform::CharLength(s, pos);
        end = pos;
      }
    }
    return Store(text, std::string(s.substr(0, end)));
  });
}

ZQ_EXPORT LPSTR CutMultiSpace(LPSTR text) {
  return zq::Guard<LPSTR>(nullptr, [&]() -> LPSTR {
    if (!text) return Bad();
    const std::string_view s(text);
    std::string out;
    for (std::size_t pos = 0; pos < s.size();) {
      if (const std::size_t n = BlankAt(s, pos)) {
        pos += n;
        while (const std::size_t more = BlankAt(s, pos)) pos += more;
        out += ' ';
      } else {
        const std::size_t n2 = platform::CharLength(s, pos);
        out.append(s.substr(pos, n2));
        pos += n2;
      }
    }
    return Store(text, out);
  });
}

ZQ_EXPORT LPSTR lstrchr(LPCSTR text, int c) {
  return zq::Guard<LPSTR>(nullptr, [&]() -> LPSTR {
    if (!text || c <= 0 || c >= 0x80) return Bad();
    ZqSetErrorStatus(ZQ_OK);
    // A byte below 0x80 never occurs inside a multi-byte UTF-8 character.
    return const_cast<LPSTR>(std::strchr(text, c));
  });
}

ZQ_EXPORT LPSTR lstrstr(LPCSTR text, LPCSTR part) {
  return zq::Guard<LPSTR>(nullptr, [&]() -> LPSTR {
    if (!text || !part) return Bad();
    ZqSetErrorStatus(ZQ_OK);
    const std::string_view s(text), p(part);
    for (std::size_t pos = 0; pos + p.size() <= s.size(); pos += std::max<std::size_t>(1, platform::CharLength(s, pos))) {
      if (s.substr(pos, p.size()) == p) return const_cast<LPSTR>(text + pos);
    }
    return nullptr;
  });
}

ZQ_EXPORT LPSTR StrLeftCopy(LPSTR dest, LPCSTR src, int count) {
  return zq::Guard<LPSTR>(nullptr, [&]() -> LPSTR {
    if (!dest || !src || count < 0) return Bad();
    return CopyPart(dest, src, 0, static_cast<std::size_t>(count));
  });
}

ZQ_EXPORT LPSTR StrMidCopy(LPSTR dest, LPCSTR src, int start, int count) {
  return zq::Guard<LPSTR>(nullptr, [&]() -> LPSTR {
    if (!dest || !src || start < 0 || count < 0) return Bad();
    return CopyPart(dest, src, static_cast<std::size_t>(start), static_cast<std::size_t>(count));
  });
}

ZQ_EXPORT LPSTR StrRightCopy(LPSTR dest, LPCSTR src, int count) {
  return zq::Guard<LPSTR>(nullptr, [&]() -> LPSTR {
    if (!dest || !src || count < 0) return Bad();
    const std::string_view s(src);
    const std::size_t n = std::min(s.size(), static_cast<std::size_t>(count));
    return CopyPart(dest, s, s.size() - n, n);
  });
}
