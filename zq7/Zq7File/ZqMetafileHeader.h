// Header typing of Windows metafiles: the placeable WMF header (or, for a bare WMF, the
// window extent among its first records) and the EMF header record. Sizes are given in
// pixels: a WMF at 96 dpi from its units per inch, an EMF at its reference device's
// resolution from its frame.
#pragma once

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

// The key that opens a placeable WMF.
inline constexpr std::uint32_t kZqPlaceableKey = 0x9AC6CDD7;
// The signature " EMF" at offset 40 of an EMF header record.
inline constexpr std::uint32_t kZqEmfSignature = 0x464D4520;

ZqStatus ReadWmfHeader(ZqByteReader& in, int page, ZqFileInfo& info);
ZqStatus ReadEmfHeader(ZqByteReader& in, int page, ZqFileInfo& info);
