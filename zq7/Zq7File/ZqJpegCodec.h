// JPEG decoding over libjpeg-turbo: grey images as 8-bit palette DIBs, colour as 24-bit
// BGR (CMYK and YCCK converted, Adobe's inverted CMYK recognised), with the JFIF density
// as the resolution.
#pragma once

#include "zq7/Zq7Api.h"

class ZqProgress;

// Decodes the JPEG file at path into a packed DIB (*out, owned by the caller) and returns
// ZQ_OK, or a status with *out left 0.
WORD ZqJpegDecode(const char* path, ZqProgress& progress, HGLOBAL* out);
