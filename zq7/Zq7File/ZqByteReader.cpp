#include "zq7/Zq7File/ZqByteReader.h"

#include <algorithm>

#include "zq7/Zq7File/ZqFile.h"

namespace {
// A file is read in blocks, so the many small reads of a header parse (a marker, a
// chunk header, an IFD entry) mostly come from memory. The first block is small, since
// most headers end within it; each refill doubles the block up to the largest span, for
// the parsers that walk a whole file (GIF frames, PNG text chunks).
constexpr std::size_t kFirstBlock = 4 * 1024;
}  // namespace

ZqByteReader::ZqByteReader(const ZqFile& file) : file_(file), size_(file.size()), block_(kFirstBlock) {}

const std::uint8_t* ZqByteReader::Span(std::uint64_t offset, std::size_t n) {
  if (n > kMaxSpan || offset > size_ || n > size_ - offset) return nullptr;
  if (offset >= windowStart_ && offset - windowStart_ + n <= window_.size()) return window_.data() + (offset - windowStart_);
  // Refill from offset with a full block (or up to the end), so that what follows the
  // requested run is at hand too.
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(std::max(n, block_), size_ - offset));
  block_ = std::min(block_ * 2, kMaxSpan);
  window_.resize(want);
  window_.resize(file_.ReadAt(offset, window_.data(), want));
  windowStart_ = offset;
  return window_.size() >= n ? window_.data() : nullptr;
}

void ZqByteReader::Skip(std::uint64_t n) {
  if (n > Remaining()) {
    pos_ = size_;
    ok_ = false;
    return;
  }
  pos_ += n;
}

const std::uint8_t* ZqByteReader::Take(std::size_t n) {
  const std::uint8_t* p = ok_ ? Span(pos_, n) : nullptr;
  if (!p) {
    ok_ = false;
    return nullptr;
  }
  pos_ += n;
  return p;
}

std::uint8_t ZqByteReader::RefillU8() {
  const std::uint8_t* p = Take(1);
  return p ? p[0] : 0;
}

std::uint16_t ZqByteReader::U16() {
  const std::uint8_t* p = Take(2);
  return p ? LoadU16(p, bigEndian_) : 0;
}

std::uint32_t ZqByteReader::U32() {
  const std::uint8_t* p = Take(4);
  return p ? LoadU32(p, bigEndian_) : 0;
}

std::uint64_t ZqByteReader::U64() {
  const std::uint8_t* p = Take(8);
  return p ? LoadU64(p, bigEndian_) : 0;
}
