#include "zq7/Zq7File/ZqFileBytes.h"

#include <cstdio>
#include <memory>

namespace {

// The largest DIB plus room for headers, palettes and padding that a file may carry.
constexpr std::uint64_t kMaxFileBytes = kZqMaxDibBytes + (std::uint64_t{1} << 26);

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

WORD ZqReadFileBytes(const char* path, std::vector<std::uint8_t>* bytes) {
  bytes->clear();
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path, "rb"));
  if (!f) return ZQ_ERR_FILE_NOT_FOUND;
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return ZQ_ERR_DAMAGED;
  const long size = std::ftell(f.get());
  if (size < 0) return ZQ_ERR_DAMAGED;
  if (static_cast<std::uint64_t>(size) > kMaxFileBytes) return ZQ_ERR_TOO_LARGE;
  std::rewind(f.get());
  bytes->resize(static_cast<std::size_t>(size));
  if (std::fread(bytes->data(), 1, bytes->size(), f.get()) != bytes->size()) return ZQ_ERR_DAMAGED;
  return ZQ_OK;
}
