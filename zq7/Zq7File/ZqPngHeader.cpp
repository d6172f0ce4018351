#include "zq7/Zq7File/ZqPngHeader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "zq7/Zq7File/ZqHeaderInfo.h"

namespace {

constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;

// Channels of a colour type, 0 for an invalid one; a palette image counts one channel
// since its bits per pixel are its bit depth.
int Channels(BYTE colourType) {
  switch (colourType) {
    case 0: case 3: return 1;
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
  }
}

bool ValidDepth(BYTE colourType, BYTE depth) {
  switch (colourType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    default: return depth == 8 || depth == 16;
  }
}

// The text of a tEXt or iTXt chunk whose keyword is "Comment"; false for any other chunk
// and for a compressed iTXt.
bool CommentText(std::string_view type, std::string_view data, std::string_view& text, bool& latin1) {
  constexpr std::string_view kKeyword("Comment\0", 8);
  if (data.substr(0, kKeyword.size()) != kKeyword) return false;
  data.remove_prefix(kKeyword.size());
  if (type == "tEXt") {
    text = data;
    latin1 = true;
    return true;
  }
  // iTXt: compression flag and method, language tag, translated keyword, then UTF-8 text.
  if (data.size() < 2 || data[0] != 0) return false;
  data.remove_prefix(2);
  for (int field = 0; field < 2; ++field) {
    const std::size_t end = data.find('\0');
    if (end == std::string_view::npos) return false;
    data.remove_prefix(end + 1);
  }
  text = data;
  latin1 = false;
  return true;
}

}  // namespace

ZqStatus ReadPngHeader(ZqByteReader& in, int page, ZqFileInfo& info) {
  in.SetBigEndian(true);
  in.Seek(8);
  const std::uint32_t ihdrLength = in.U32();
  const std::uint8_t* ihdr = in.Span(12, 4 + 13);
  if (!in.Ok() || !ihdr || ihdrLength != 13 || std::memcmp(ihdr, "IHDR", 4) != 0) return ZQ_ERR_DAMAGED;
  const std::uint32_t width = LoadU32(ihdr + 4, true), height = LoadU32(ihdr + 8, true);
  const BYTE depth = ihdr[12], colourType = ihdr[13], interlace = ihdr[16];
  if (width == 0 || height == 0 || width > kMaxChunkLength || height > kMaxChunkLength || Channels(colourType) == 0 ||
      !ValidDepth(colourType, depth) || interlace > 1)
    return ZQ_ERR_DAMAGED;
  if (page > 0) return ZQ_ERR_BAD_PARAMETER;
  info.width = width;
  info.height = height;
  info.bitCount = static_cast<WORD>(depth * Channels(colourType));
  info.interlace = interlace;
  info.code = ZQ_CODE_PNG;
  info.pages = 1;

  // The other chunks: their headers are walked by length to the end (a text chunk may
  // follow the image data); a chunk cut off by the end of the file ends the walk.
  bool seenData = false, haveComment = false;
  for (std::uint64_t at = 8 + 12 + 13; !haveComment || !seenData;) {
    const std::uint8_t* head = in.Span(at, 8);
    if (!head) break;
    const std::uint32_t length = LoadU32(head, true);
    // A copy: the next Span may move the bytes head points at.
    const std::string type(reinterpret_cast<const char*>(head + 4), 4);
    if (length > kMaxChunkLength || 12 + std::uint64_t{length} > in.Size() - at || type == "IEND") break;
    const std::uint64_t data = at + 8;
    if (type == "IDAT") {
      seenData = true;
    } else if (type == "pHYs" && !seenData && length >= 9) {
      const std::uint8_t* p = in.Span(data, 9);
      if (p && p[8] == 1) {
        info.xdpi = ZqDpi(LoadU32(p, true), 1, ZqLengthUnit::Metre);
        info.ydpi = ZqDpi(LoadU32(p + 4, true), 1, ZqLengthUnit::Metre);
      }
    } else if ((type == "tEXt" || type == "iTXt") && !haveComment) {
      const std::size_t n = std::min<std::size_t>(length, ZqByteReader::kMaxSpan);
      std::string_view text;
      bool latin1 = false;
      const std::uint8_t* p = in.Span(data, n);
      if (p && CommentText(type, std::string_view(reinterpret_cast<const char*>(p), n), text, latin1)) {
        latin1 ? ZqSetLatin1Comment(info, text) : ZqSetComment(info, text);
        haveComment = true;
      }
    }
    at = data + length + 4;
  }
  return ZQ_OK;
}
