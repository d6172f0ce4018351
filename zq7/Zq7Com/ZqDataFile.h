// Plain file access through small integer handles, for callers that read and write data
// files by handle. Only handles these entries opened are accepted; any other number is
// refused with ZQ_ERR_BAD_PARAMETER, so a stale handle cannot reach somebody else's file.
#pragma once

#include "zq7/Zq7Api.h"

// The failure value of the handle-returning and counting entries.
inline constexpr int kZqFileError = -1;
// Open modes of DataFileOpen.
inline constexpr int kZqOpenRead = 0;
inline constexpr int kZqOpenWrite = 1;
inline constexpr int kZqOpenReadWrite = 2;

// Opens an existing file in one of the modes above; the handle or kZqFileError.
ZQ_EXPORT int DataFileOpen(LPCSTR path, int mode);
ZQ_EXPORT int DataFileReadOpen(LPCSTR path);
ZQ_EXPORT int DataFileWriteOpen(LPCSTR path);
// Creates the file, or empties an existing one, for reading and writing.
ZQ_EXPORT int DataFileCreateOpen(LPCSTR path);
// Nonzero when path names an existing file (not a folder).
ZQ_EXPORT BOOL DataFileExist(LPCSTR path);
ZQ_EXPORT BOOL DataFileClose(int file);
ZQ_EXPORT BOOL DataFileDelete(LPCSTR path);
// Bytes written or read, kZqFileError on failure; reading at the end gives 0.
ZQ_EXPORT LONG __hwrite(int file, const void* data, LONG count);
ZQ_EXPORT LONG __hread(int file, void* data, LONG count);
// Moves the file position (origin 0 from the start, 1 from the current position, 2 from
// the end); the new position or kZqFileError.
ZQ_EXPORT LONG __llseek(int file, LONG offset, int origin);
// Size of an open file, or of the file at path; kZqFileError when unknown or beyond 2 GiB.
ZQ_EXPORT LONG DataFileSize(int file);
ZQ_EXPORT LONG DataFileNameSize(LPCSTR path);
