#include "zq7/Zq7File/ZqVectorReader.h"

#include <vector>

#include "zq7/Zq7Com/ZqVectorImage.h"
#include "zq7/Zq7File/ZqFile.h"

WORD ZqVectorDecode(ZqFile& file, WORD kind, const ZqFileInfo& info, HGLOBAL* out) {
  if (file.size() > kZqMaxVectorBytes) return ZQ_ERR_TOO_LARGE;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size()));
  if (file.ReadAt(0, bytes.data(), bytes.size()) != bytes.size()) return ZQ_ERR_DAMAGED;
  return ZqNewVectorImage(kind, info.width, info.height, info.xdpi, info.ydpi, bytes.data(), bytes.size(), out);
}
