// libFuzzer harness for ZQFileLoad: each input becomes the content of a file, loaded as
// page 0 and page 1 through the format table, so every reader and codec is reached from
// a seed of its format. It must answer with a picture or a status, and no library's
// error may escape.
#include <cstddef>
#include <cstdint>

#include "platform/memory.h"
#include "tests/fuzz/FuzzFile.h"
#include "zq7/Zq7File/ZqFileLoad.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = FuzzFile(data, size);
  for (int page : {0, 1}) {
    if (const HGLOBAL image = ZQFileLoad(path.c_str(), page, 0, 0, nullptr, "", "", "")) GlobalFree(image);
  }
  return 0;
}
