// libFuzzer harness for ZQFileType and ZQJpegExifInfo: each input becomes the content of
// a file, which is typed as page 0 and page 1. The entries take a file name, so the
// input goes into one in-memory file, rewritten for every run.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "zq7/Zq7File/ZqFileType.h"

namespace {

const std::string& InputPath() {
  static const std::string path = [] {
    const int fd = ::memfd_create("filetype_fuzz", 0);
    if (fd < 0) std::abort();
    return "/proc/self/fd/" + std::to_string(fd);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = InputPath();
  const int fd = std::stoi(path.substr(path.rfind('/') + 1));
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  ZqFileInfo info{};
  for (int page : {0, 1}) {
    if (ZQFileType(path.c_str(), page, &info)) {
      // A successful record always has a terminated comment.
      bool terminated = false;
      for (char c : info.comment) terminated = terminated || c == '\0';
      if (!terminated) std::abort();
    }
  }
  ZqExifInfo exif{};
  ZQJpegExifInfo(path.c_str(), &exif);
  return 0;
}
