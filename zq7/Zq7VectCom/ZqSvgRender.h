// The librsvg glue: draws an SVG document, fitted into a width x height viewport as its
// preserveAspectRatio says, over 32-bit BGRX pixels that already hold the background.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zq7/Zq7Api.h"

// pixels holds height rows of width pixels (stride width * 4 bytes). A document librsvg
// cannot parse or draw gives ZQ_ERR_DAMAGED and leaves the pixels as they may be.
WORD ZqRenderSvg(const std::uint8_t* data, std::size_t bytes, int width, int height, std::uint32_t* pixels);
