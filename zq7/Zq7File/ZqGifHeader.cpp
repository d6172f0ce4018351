#include "zq7/Zq7File/ZqGifHeader.h"

#include <cstring>
#include <string>

#include "zq7/Zq7File/ZqHeaderInfo.h"

namespace {

// Bits of a colour table from packed flags (bit 7 present, bits 0..2 size), 0 when absent.
WORD TableBits(BYTE flags) { return (flags & 0x80) ? static_cast<WORD>((flags & 7) + 1) : 0; }

// Skips a run of data sub-blocks up to and including its terminator; appends their
// bytes to collect (up to limit) when given. False when the file ends first.
bool SkipSubBlocks(ZqByteReader& in, std::string* collect, std::size_t limit) {
  for (;;) {
    const BYTE n = in.U8();
    if (!in.Ok()) return false;
    if (n == 0) return true;
    if (collect && collect->size() < limit) {
      const std::uint8_t* p = in.Span(in.Tell(), n);
      if (!p) return false;
      collect->append(reinterpret_cast<const char*>(p), std::min<std::size_t>(n, limit - collect->size()));
    }
    in.Skip(n);
    if (!in.Ok()) return false;
  }
}

struct Frame {
  WORD width = 0;
  WORD height = 0;
  BYTE flags = 0;
};

}  // namespace

ZqStatus ReadGifHeader(ZqByteReader& in, int page, ZqFileInfo& info) {
  const std::uint8_t* h = in.Span(0, 13);
  if (!h) return ZQ_ERR_DAMAGED;
  const bool is89a = std::memcmp(h, "GIF89a", 6) == 0;
  const WORD screenWidth = LoadU16(h + 6, false), screenHeight = LoadU16(h + 8, false);
  const WORD globalBits = TableBits(h[10]);

  in.SetBigEndian(false);
  in.Seek(13);
  in.Skip(globalBits ? std::uint64_t{3} << globalBits : 0);
  const std::uint64_t target = static_cast<std::uint64_t>(page);
  std::uint64_t frames = 0;
  Frame frame;  // the frame page asks for
  std::string comment, firstComment;
  bool havePageComment = false, haveFirstComment = false;
  while (in.Ok()) {
    const BYTE block = in.U8();
    if (!in.Ok() || block == 0x3B) break;  // end of file or trailer
    if (block == 0x2C) {
      in.Skip(4);  // left, top
      Frame f;
      f.width = in.U16();
      f.height = in.U16();
      f.flags = in.U8();
      if (!in.Ok()) break;
      if (frames == target) frame = f;
      ++frames;
      in.Skip(TableBits(f.flags) ? std::uint64_t{3} << TableBits(f.flags) : 0);
      in.U8();  // LZW minimum code size
      if (!in.Ok() || !SkipSubBlocks(in, nullptr, 0)) break;
    } else if (block == 0x21) {
      const BYTE label = in.U8();
      // Comments seen after frame `target - 1` and before frame `target + 1` belong to
      // the asked-for page.
      const bool forPage = !havePageComment && (frames == target || frames == target + 1);
      const bool isComment = label == 0xFE && (forPage || !haveFirstComment);
      std::string text;
      if (!in.Ok() || !SkipSubBlocks(in, isComment ? &text : nullptr, sizeof info.comment)) break;
      if (isComment && forPage) comment = text, havePageComment = true;
      if (isComment && !haveFirstComment) firstComment = text, haveFirstComment = true;
    } else {
      break;  // not a block: whatever follows is not GIF data
    }
  }
  if (frames == 0) return ZQ_ERR_DAMAGED;
  if (target >= frames) return ZQ_ERR_BAD_PARAMETER;

  info.width = page == 0 ? screenWidth : frame.width;
  info.height = page == 0 ? screenHeight : frame.height;
  info.bitCount = globalBits ? globalBits : TableBits(frame.flags);
  info.interlace = (frame.flags & 0x40) ? 1 : 0;
  info.code = is89a ? ZQ_CODE_GIF89A : ZQ_CODE_GIF87A;
  info.pages = ZqClampPages(frames);
  ZqSetComment(info, page == 0 && !havePageComment ? firstComment : comment);
  return ZQ_OK;
}
