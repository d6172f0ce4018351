// Bounded random access to an open file's bytes for the header parsers and our own
// readers: every read is checked against the end of the data, nothing is read that a
// parser does not ask for, and the file is read through a small window so that a header
// parse costs a few system calls whatever the size of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ZqFile;

// The engine's one set of big- and little-endian loads, from a buffer the caller has
// already bounded.
inline std::uint16_t LoadU16(const std::uint8_t* p, bool bigEndian) {
  return bigEndian ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
}
inline std::uint32_t LoadU32(const std::uint8_t* p, bool bigEndian) {
  return bigEndian ? std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3]
                   : std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}
inline std::uint64_t LoadU64(const std::uint8_t* p, bool bigEndian) {
  const std::uint64_t a = LoadU32(p, bigEndian), b = LoadU32(p + 4, bigEndian);
  return bigEndian ? a << 32 | b : b << 32 | a;
}

class ZqByteReader {
 public:
  // The longest run Span hands out at once.
  static constexpr std::size_t kMaxSpan = 64 * 1024;

  // Reads file, which must outlive the reader.
  explicit ZqByteReader(const ZqFile& file);
  ZqByteReader(const ZqByteReader&) = delete;
  ZqByteReader& operator=(const ZqByteReader&) = delete;

  std::uint64_t Size() const { return size_; }

  // n bytes at offset, valid until the next call on this reader; null when the run
  // does not lie wholly inside the data, is longer than kMaxSpan, or cannot be read.
  const std::uint8_t* Span(std::uint64_t offset, std::size_t n);

  // Sequential reads from a cursor. A read past the end gives 0 and marks the reader
  // failed until the next Seek, so a parser may read a whole header and test Ok() once.
  void Seek(std::uint64_t offset) { pos_ = offset; ok_ = true; }
  std::uint64_t Tell() const { return pos_; }
  void Skip(std::uint64_t n);
  bool Ok() const { return ok_; }
  // Bytes between the cursor and the end (0 once past it).
  std::uint64_t Remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
  void SetBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }
  // The next byte; from the window without a call when it is there, as our own readers
  // take run-length data byte by byte.
  std::uint8_t U8() {
    if (ok_ && pos_ >= windowStart_ && pos_ - windowStart_ < window_.size()) return window_[pos_++ - windowStart_];
    return RefillU8();
  }
  std::uint16_t U16();
  std::uint32_t U32();
  std::uint64_t U64();

 private:
  const std::uint8_t* Take(std::size_t n);
  std::uint8_t RefillU8();

  const ZqFile& file_;
  std::uint64_t size_ = 0;
  std::vector<std::uint8_t> window_;      // the file's bytes from windowStart_
  std::uint64_t windowStart_ = 0;
  std::size_t block_;                     // bytes the next refill reads
  std::uint64_t pos_ = 0;
  bool ok_ = true;
  bool bigEndian_ = false;
};
