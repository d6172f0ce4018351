#include "zq7/Zq7File/ZqByteReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {
// A file is read in blocks, so the many small reads of a header parse (a marker, a
// chunk header, an IFD entry) mostly come from memory. The first block is small, since
// most headers end within it; each refill doubles the block up to the largest span, for
// the parsers that walk a whole file (GIF frames, PNG text chunks).
constexpr std::size_t kFirstBlock = 4 * 1024;
}  // namespace

ZqByteReader::ZqByteReader(int fd, std::uint64_t size) : fd_(fd), size_(size), block_(kFirstBlock) {}

ZqByteReader::~ZqByteReader() { ::close(fd_); }

std::unique_ptr<ZqByteReader> ZqByteReader::OpenFile(const std::string& path) {
  // O_NONBLOCK keeps the open itself from waiting on a pipe that has no writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<ZqByteReader>(new ZqByteReader(fd, static_cast<std::uint64_t>(st.st_size)));
}

const std::uint8_t* ZqByteReader::Span(std::uint64_t offset, std::size_t n) {
  if (n > kMaxSpan || offset > size_ || n > size_ - offset) return nullptr;
  if (offset >= windowStart_ && offset - windowStart_ + n <= window_.size()) return window_.data() + (offset - windowStart_);
  // Refill from offset with a full block (or up to the end), so that what follows the
  // requested run is at hand too.
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(std::max(n, block_), size_ - offset));
  block_ = std::min(block_ * 2, kMaxSpan);
  window_.resize(want);
  std::size_t got = 0;
  while (got < want) {
    const ssize_t r = ::pread(fd_, window_.data() + got, want - got, static_cast<off_t>(offset + got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;  // an I/O error or a file that shrank under us
    got += static_cast<std::size_t>(r);
  }
  window_.resize(got);
  windowStart_ = offset;
  return got >= n ? window_.data() : nullptr;
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

std::uint8_t ZqByteReader::U8() {
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
