// Header typing: what a file is and what its headers say, without decoding pixels.
#pragma once

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqFormat.h"

// Fills info from the headers of the file name: bits per pixel as stored, resolution,
// size in pixels and bytes, format and compression code, interlace flag, page count
// and comment. Page 0 (and kZqAllPages) describes the file's first image; a higher
// page describes that TIFF directory or GIF frame, and one beyond the last is refused
// with ZQ_ERR_BAD_PARAMETER. Nonzero for a readable image; the status says why not
// (ZQ_ERR_FILE_NOT_FOUND, ZQ_ERR_UNSUPPORTED, ZQ_ERR_DAMAGED, ZQ_ERR_BAD_PARAMETER),
// and info is left as it was on failure.
ZQ_EXPORT BOOL ZQFileType(LPCSTR name, int page, ZqFileInfo* info);

// Fills info from the Exif segment of the JPEG file name. Nonzero on success; a file
// that is not a JPEG, or a JPEG without an Exif segment, gives ZQ_ERR_UNSUPPORTED, an
// Exif segment whose first directory cannot be read ZQ_ERR_DAMAGED. info is cleared
// whenever the file could be read.
ZQ_EXPORT BOOL ZQJpegExifInfo(LPCSTR name, ZqExifInfo* info);

// Typing of a file already open in in whose format is known: the header reader of the
// format table for page (kZqAllPages describes the first image), then the file size.
// Shared by ZQFileType and the loaders, so that a load parses the headers once and
// takes its resolution from them.
ZqStatus ZqReadHeaders(ZqByteReader& in, ZqFormat format, int page, ZqHeader& header);
