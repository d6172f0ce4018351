// Feeds arbitrary bytes to the BMP reader: it must answer with a picture or a status.
#include <cstddef>
#include <cstdint>

#include "platform/memory.h"
#include "zq7/Zq7File/ZqBmpReader.h"
#include "zq7/Zq7File/ZqProgress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ZqProgress progress(nullptr);
  HGLOBAL out = 0;
  if (ZqBmpDecode(data, size, progress, &out) == ZQ_OK) GlobalFree(out);
  return 0;
}
