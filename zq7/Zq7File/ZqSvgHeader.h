// Header typing of SVG drawings: the root element's width, height and viewBox, read from
// the first bytes of the file without parsing the document, as CSS pixels at 96 dpi.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

// Bytes at the start of a file in which the root element must begin.
inline constexpr std::size_t kZqSvgSniffBytes = 4096;

// Whether text (the start of a file) is XML whose first element is an svg element.
bool LooksLikeSvg(std::string_view text);

ZqStatus ReadSvgHeader(ZqByteReader& in, int page, ZqFileInfo& info);
