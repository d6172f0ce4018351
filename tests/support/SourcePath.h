// Files of the source tree that tests read in place (fixtures, the public corpus).
#pragma once

#include <string>

namespace testsupport {

// The source tree's path followed by "/" and relative: the tree is TESMARIN_SOURCE_DIR
// when CTest sets it, else the tree the tests were built from.
std::string SourcePath(const std::string& relative);

}  // namespace testsupport
