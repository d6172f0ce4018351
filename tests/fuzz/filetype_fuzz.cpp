// libFuzzer harness for ZQFileType and ZQJpegExifInfo: each input becomes the content of
// a file, which is typed as page 0 and page 1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/fuzz/FuzzFile.h"
#include "zq7/Zq7File/ZqFileType.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = FuzzFile(data, size);
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
