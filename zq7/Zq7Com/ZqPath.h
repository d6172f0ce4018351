// Paths as the engine's callers handle them: folder and name, the trailing separator,
// a page designation appended to a path, file times as sortable texts, lists of folders
// and of extensions.
//
// Every path buffer an entry writes into holds platform::MaxPath bytes; an extension
// buffer holds kZqExtLength bytes, a date text kZqDateTextLength.
#pragma once

#include "platform/text.h"
#include "zq7/Zq7Api.h"

// The extension table: up to 1000 extensions of up to 63 bytes, each NUL-terminated in
// a 64-byte slot, the first empty slot ending the table.
inline constexpr int kZqExtEntries = 1000;
inline constexpr int kZqExtLength = 64;
using ZqExtSlot = char[kZqExtLength];
// A file time as "YYYYMMDDhhmmss" in local time, so that texts sort as times do.
inline constexpr int kZqDateTextLength = 16;

// Nonzero when the volume the path lies on can be reached: a relative path always, an
// absolute one when its first folder ("/home" of "/home/a/b.jpg") exists.
ZQ_EXPORT BOOL IsSetDrive(LPCSTR path);
// Makes a folder path end in "/" (an empty path, the current folder, stays empty).
ZQ_EXPORT BOOL SetTermYEN(LPSTR path);
// Removes a final "/" unless the path is the root itself.
ZQ_EXPORT BOOL CutTermYEN(LPSTR path);
// Splits a path, made absolute, into its folder (without a final "/" except for the
// root) and its file name; fails when the path names no file.
ZQ_EXPORT BOOL GetFullpathFilename(LPCSTR path, LPSTR directory, LPSTR fileName);

// A page designation is "|" and a page number (0 = first page, up to 32767) at the end
// of a path: "/scans/book.tif|3". A path that names an existing file as it stands has
// no designation, so file names containing "|" keep working.
// The designated page, 0 when there is none.
ZQ_EXPORT int GetPagefromFilename(LPCSTR path);
// Removes the designation from the path; nonzero when there was one.
ZQ_EXPORT BOOL CutPagefromFilename(LPSTR path);

// Last-write time of fileName in directory as a date text.
ZQ_EXPORT BOOL GetFileDateTime(LPCSTR fileName, LPCSTR directory, LPSTR lastWrite);
// Creation, last-write and last-access times of fileName in directory; any of the three
// buffers may be null.
ZQ_EXPORT BOOL GetFileDateTimeEx(LPCSTR fileName, LPCSTR directory, LPSTR creation, LPSTR lastWrite, LPSTR lastAccess);
// Last-write time of the file at path.
ZQ_EXPORT BOOL GetPathFileDateTime(LPCSTR path, LPSTR lastWrite);

// Fills table with the extensions of extList ("jpg;*.png, .tif", "*" or "*.*" for every
// file), or, when extList is empty, with those of the wildcard patterns in pathList
// ("/a/*.jpg;/b/*.png"). Duplicates are dropped, ignoring case. Returns how many.
ZQ_EXPORT int GetPathFileExt(LPCSTR pathList, LPCSTR extList, ZqExtSlot* table);
// The index-th folder (from 0) of a ";"-separated list of folders or folder patterns,
// without a final "/"; 0 when the list has no such entry.
ZQ_EXPORT BOOL GetPathDir(int index, LPCSTR pathList, LPSTR directory);
// The extension of fileName (without its dot) when the table holds it, ignoring case;
// returns its position in the table from 1, or 0 when the name has no extension or the
// table does not hold it.
ZQ_EXPORT int GetFileExt(LPCSTR fileName, LPSTR ext, const ZqExtSlot* table);
// Nonzero when the table holds the extension of fileName.
ZQ_EXPORT BOOL IsOkFileExt(LPCSTR fileName, const ZqExtSlot* table);
