#include "zq7/Zq7File/ZqJp2Header.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

#include "zq7/Zq7File/ZqHeaderInfo.h"

namespace {

// One box: its type and where its contents lie.
struct Box {
  char type[5] = {};
  std::uint64_t start = 0;  // first byte of the contents
  std::uint64_t end = 0;    // one past the last byte
};

// Reads the box header at `at`, inside a container that ends at `limit`. A box that
// claims to run past its container is refused, except at the top level, where a box
// cut off by the end of the file keeps what the file holds.
std::optional<Box> ReadBox(ZqByteReader& in, std::uint64_t at, std::uint64_t limit, bool topLevel) {
  const std::uint8_t* h = in.Span(at, 8);
  if (!h || limit - at < 8) return std::nullopt;
  Box box;
  std::memcpy(box.type, h + 4, 4);
  const std::uint64_t length = LoadU32(h, true);
  std::uint64_t headerBytes = 8, total = length;
  if (length == 1) {  // a 64-bit length follows
    const std::uint8_t* x = in.Span(at + 8, 8);
    if (!x || limit - at < 16) return std::nullopt;
    total = LoadU64(x, true);
    headerBytes = 16;
  } else if (length == 0) {  // runs to the end of its container
    total = limit - at;
  }
  if (total < headerBytes) return std::nullopt;
  if (total > limit - at) {
    if (!topLevel) return std::nullopt;
    total = limit - at;
  }
  box.start = at + headerBytes;
  box.end = at + total;
  return box;
}

// Dots per inch of a resc or resd box (numerators, denominators and exponents of
// grid points per metre, vertical first).
std::optional<std::pair<WORD, WORD>> ResolutionBox(ZqByteReader& in, const Box& box) {
  const std::uint8_t* p = box.end - box.start >= 10 ? in.Span(box.start, 10) : nullptr;
  if (!p) return std::nullopt;
  auto dpi = [](WORD num, WORD den, std::int8_t exponent) -> WORD {
    if (den == 0) return 0;
    return ZqDpiFromDouble(static_cast<double>(num) / den * std::pow(10.0, exponent) * 0.0254);
  };
  const WORD vn = LoadU16(p, true), vd = LoadU16(p + 2, true), hn = LoadU16(p + 4, true), hd = LoadU16(p + 6, true);
  return std::pair{dpi(hn, hd, static_cast<std::int8_t>(p[9])), dpi(vn, vd, static_cast<std::int8_t>(p[8]))};
}

}  // namespace

ZqStatus ReadJp2Header(ZqByteReader& in, int page, ZqFileInfo& info) {
  std::optional<Box> header;
  for (std::uint64_t at = 0; at < in.Size();) {
    const auto box = ReadBox(in, at, in.Size(), true);
    if (!box) break;
    if (std::strcmp(box->type, "jp2h") == 0) {
      header = box;
      break;
    }
    at = box->end;
  }
  if (!header) return ZQ_ERR_DAMAGED;

  bool haveSize = false;
  std::uint64_t bits = 0;
  std::optional<std::pair<WORD, WORD>> capture, display;
  BYTE depth = 0;
  WORD components = 0;
  std::optional<Box> perComponent;
  for (std::uint64_t at = header->start; at < header->end;) {
    const auto box = ReadBox(in, at, header->end, false);
    if (!box) break;
    if (std::strcmp(box->type, "ihdr") == 0 && !haveSize) {
      const std::uint8_t* p = box->end - box->start >= 14 ? in.Span(box->start, 14) : nullptr;
      if (!p) return ZQ_ERR_DAMAGED;
      info.height = LoadU32(p, true);
      info.width = LoadU32(p + 4, true);
      components = LoadU16(p + 8, true);
      depth = p[10];
      haveSize = true;
    } else if (std::strcmp(box->type, "bpcc") == 0) {
      perComponent = box;
    } else if (std::strcmp(box->type, "res ") == 0) {
      for (std::uint64_t r = box->start; r < box->end;) {
        const auto sub = ReadBox(in, r, box->end, false);
        if (!sub) break;
        if (std::strcmp(sub->type, "resc") == 0 && !capture) capture = ResolutionBox(in, *sub);
        if (std::strcmp(sub->type, "resd") == 0 && !display) display = ResolutionBox(in, *sub);
        r = sub->end;
      }
    }
    at = box->end;
  }
  if (!haveSize) return ZQ_ERR_DAMAGED;
  if (page > 0) return ZQ_ERR_BAD_PARAMETER;

  // A depth of 255 means the components differ and bpcc lists them.
  if (depth != 0xFF) {
    bits = std::uint64_t{components} * ((depth & 0x7F) + 1);
  } else if (perComponent && perComponent->end - perComponent->start >= components) {
    for (WORD c = 0; c < components; ++c) {
      const std::uint8_t* p = in.Span(perComponent->start + c, 1);
      bits += p ? (p[0] & 0x7F) + 1 : 0;
    }
  }
  info.bitCount = ZqClampWord(bits);
  if (const auto& dpi = capture ? capture : display) {
    info.xdpi = dpi->first;
    info.ydpi = dpi->second;
  }
  info.code = ZQ_CODE_JP2;
  info.pages = 1;
  return ZQ_OK;
}

ZqStatus ReadJ2kCodestreamHeader(ZqByteReader& in, int page, ZqFileInfo& info) {
  in.SetBigEndian(true);
  in.Seek(4);  // SOC and the SIZ marker
  const WORD length = in.U16();
  in.U16();  // capabilities
  const std::uint32_t xsiz = in.U32(), ysiz = in.U32(), xosiz = in.U32(), yosiz = in.U32();
  in.Skip(16);  // tile size and offset
  const WORD components = in.U16();
  if (!in.Ok() || xosiz >= xsiz || yosiz >= ysiz || components == 0 || length != 38 + 3 * std::uint32_t{components})
    return ZQ_ERR_DAMAGED;
  std::uint64_t bits = 0;
  for (WORD c = 0; c < components; ++c) {
    bits += (in.U8() & 0x7F) + 1;
    in.Skip(2);  // subsampling
  }
  if (!in.Ok()) return ZQ_ERR_DAMAGED;
  if (page > 0) return ZQ_ERR_BAD_PARAMETER;
  info.width = xsiz - xosiz;
  info.height = ysiz - yosiz;
  info.bitCount = ZqClampWord(bits);
  info.code = ZQ_CODE_J2K_CODESTREAM;
  info.pages = 1;
  return ZQ_OK;
}
