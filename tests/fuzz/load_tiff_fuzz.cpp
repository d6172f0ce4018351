// Feeds arbitrary bytes to the TIFF decoder through a file: it must answer with a
// picture or a status, and the library's errors must never escape.
#include <cstddef>
#include <cstdint>

#include "platform/memory.h"
#include "tests/fuzz/FuzzFile.h"
#include "zq7/Zq7File/ZqTiffCodec.h"
#include "zq7/Zq7File/ZqProgress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = FuzzFile(data, size);
  ZqProgress progress(nullptr);
  HGLOBAL out = 0;
  if (ZqTiffDecode(path.c_str(), 0, progress, &out) == ZQ_OK) GlobalFree(out);
  return 0;
}
