// Bounded random access to a file's bytes for the header parsers: every read is checked against the end of the data, nothing is read
// that a parser does not ask for, and a file is read through a small window so that a
// header parse costs a few system calls whatever the size of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Big- and little-endian loads from a buffer the caller has already bounded.
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

  ~ZqByteReader();
  ZqByteReader(const ZqByteReader&) = delete;
  ZqByteReader& operator=(const ZqByteReader&) = delete;

  // Opens a regular file for reading; null when it is missing, unreadable or not a
  // regular file (a folder, a device or a pipe, which could block or never end).
  static std::unique_ptr<ZqByteReader> OpenFile(const std::string& path);

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
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::uint64_t U64();

 private:
  ZqByteReader(int fd, std::uint64_t size);
  const std::uint8_t* Take(std::size_t n);

  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::vector<std::uint8_t> window_;      // the file's bytes from windowStart_
  std::uint64_t windowStart_ = 0;
  std::size_t block_;                     // bytes the next refill reads
  std::uint64_t pos_ = 0;
  bool ok_ = true;
  bool bigEndian_ = false;
};
