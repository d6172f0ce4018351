// Header typing of TIFF files (classic and BigTIFF, either byte order).
#pragma once

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

// Fills info from directory page of the main chain and counts the chain's
// directories. ZQ_ERR_DAMAGED when the header or the first directory cannot be read or
// the directory gives no size, ZQ_ERR_BAD_PARAMETER when page lies beyond the chain.
ZqStatus ReadTiffHeader(ZqByteReader& in, int page, ZqFileInfo& info);
