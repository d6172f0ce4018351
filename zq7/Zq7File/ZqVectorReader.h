// Loading of vector drawings (WMF, EMF, SVG): the file's bytes, unchanged, behind the
// engine's vector header with the size and resolution typing read.
#pragma once

#include "zq7/Zq7Api.h"

class ZqFile;
struct ZqFileInfo;

// Reads the whole file into a new vector image of kind (*out, owned by the caller).
WORD ZqVectorDecode(ZqFile& file, WORD kind, const ZqFileInfo& info, HGLOBAL* out);
