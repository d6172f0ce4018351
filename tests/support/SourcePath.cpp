#include "tests/support/SourcePath.h"

#include <cstdlib>

namespace testsupport {

std::string SourcePath(const std::string& relative) {
  const char* root = std::getenv("TESMARIN_SOURCE_DIR");
  return std::string(root && *root ? root : TESMARIN_SOURCE_FALLBACK) + "/" + relative;
}

}  // namespace testsupport
