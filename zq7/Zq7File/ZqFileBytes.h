// Whole-file reading for the readers that parse a format themselves (BMP, PCX).
#pragma once

#include <cstdint>
#include <vector>

#include "zq7/Zq7Api.h"

// Reads the file at path into *bytes. ZQ_ERR_FILE_NOT_FOUND when it cannot be opened,
// ZQ_ERR_TOO_LARGE when it is bigger than any image the engine accepts could need.
WORD ZqReadFileBytes(const char* path, std::vector<std::uint8_t>* bytes);
