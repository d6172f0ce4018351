// The image attribute texts of one file, as the file list shows them and the rename
// run appends them, read through the image file and image common components. The
// main window and the command-line companion both form their texts here.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "platform/wintypes.h"

class TVZqFile;
class TVZqCommon;

// Columns 2 to 7 of a file list row.
struct AttributeTexts {
  std::string bytes;        // file size in bytes
  std::string colors;       // "2", "16", "256", "RGB16", "RGB24", "RGB32" or "<n>bit"
  std::string pixels;       // "640x480"
  std::string dpi;          // "72dpi"
  std::string compression;  // "BASELINE"; empty for a code outside the table
  std::string extension;    // ".jpg"; empty for a code outside the table
};

std::string ColorText(int bitCount);
// The compression name and target extension of a format code; none outside the table.
struct CompressionTexts {
  const char* name;
  const char* extension;
};
std::optional<CompressionTexts> CompressionTextsFor(int code);

// Whether reading a file also decodes its pixels: the window does, for the thumbnail it
// shows while the file is read, and so does a check that every file decodes; a listing
// of the attributes alone reads headers only.
enum class PixelRead { Skip, Decode };

// What reading one file found. The texts come from the file's header alone, so a file
// whose header reads has them even when its pixels cannot be decoded (a 12-bit JPEG, a
// floating-point TIFF); a file whose header does not read has none, so it never takes
// another file's values.
struct FileReading {
  std::optional<AttributeTexts> texts;
  bool decoded = false;  // PixelRead::Decode and the image loaded
  WORD loadStatus = 0;   // the engine's status of the load
};

// Reads one file: names it, loads it when the pixels are wanted, reads its header
// information and its image kind, and frees the image again. rasterLoaded, when given,
// sees a raster image while it is loaded (the progress window's thumbnail).
FileReading ReadAttributes(TVZqFile& file, TVZqCommon& common, const std::string& path, PixelRead pixels,
                           const std::function<void(HGLOBAL)>& rasterLoaded = {});

// The five rename options, in the order their texts are appended.
struct RenameOptions {
  bool bytes = false;        // CheckBox1
  bool colors = false;       // CheckBox2
  bool pixels = false;       // CheckBox3
  bool dpi = false;          // CheckBox4
  bool compression = false;  // CheckBox5
};

// The new path of a file: its folder, its name without extension, "_" and the text of
// each ticked option, then the target extension, or the file's own extension when the
// format has none.
std::string BuildNewFileName(const std::string& path, const AttributeTexts& texts, const RenameOptions& options);
