#include "app/FileAttributes.h"

#include "imaging/components/Zqcommon.h"
#include "imaging/components/Zqfile.h"
#include "platform/text.h"

std::string ColorText(int bitCount) {
  switch (bitCount) {
    case 1: return "2";
    case 4: return "16";
    case 8: return "256";
    case 16: return "RGB16";
    case 24: return "RGB24";
    case 32: return "RGB32";
    default: return std::to_string(bitCount) + "bit";
  }
}

std::optional<CompressionTexts> CompressionTextsFor(int code) {
  switch (code) {
    case 1: return CompressionTexts{"NON", ".bmp"};
    case 2: return CompressionTexts{"RLE4", ".bmp"};
    case 3: return CompressionTexts{"RLE8", ".bmp"};
    case 4: return CompressionTexts{"BASELINE", ".jpg"};
    case 5: return CompressionTexts{"PROGRESSIVE", ".jpg"};
    case 6: return CompressionTexts{"87a", ".gif"};
    case 7: return CompressionTexts{"89a", ".gif"};
    case 8: return CompressionTexts{"NON", ".tif"};
    case 9: return CompressionTexts{"CCITTRLE", ".tif"};
    case 10: return CompressionTexts{"G3-1D", ".tif"};
    case 11: return CompressionTexts{"G3-2D", ".tif"};
    case 12: return CompressionTexts{"G4", ".tif"};
    case 13: return CompressionTexts{"PACKBITS", ".tif"};
    case 14: return CompressionTexts{"LZW", ".tif"};
    case 15: return CompressionTexts{"NON", ".png"};
    case 16: return CompressionTexts{"NON", ".fpx"};
    case 17: return CompressionTexts{"SINGLE", ".fpx"};
    case 18: return CompressionTexts{"JPEG", ".fpx"};
    case 19: return CompressionTexts{"NON", ".pcx"};
    case 23: return CompressionTexts{"EXIF", ".jpg"};
    case 25: return CompressionTexts{"PART1", ".j2k"};
    case 26: return CompressionTexts{"STREAM", ".j2k"};
    case 29: return CompressionTexts{"JPEG", ".tif"};
    default: return std::nullopt;
  }
}

FileReading ReadAttributes(TVZqFile& file, TVZqCommon& common, const std::string& path, PixelRead pixels,
                           const std::function<void(HGLOBAL)>& rasterLoaded) {
  FileReading reading;
  file.SetFileName(path);
  HGLOBAL image = 0;
  if (pixels == PixelRead::Decode) {
    reading.decoded = file.LoadFile(vzqLoad) && file.ImgHandle != 0;
    reading.loadStatus = file.ErrorStatus;
    image = file.ImgHandle;
  }
  const bool typed = file.GetImagefileType();
  if (image != 0) {
    common.ImgHandle = image;
    if (common.GetImageType() && common.ImageKind == vzqRasterImage && rasterLoaded) rasterLoaded(image);
    // The image is released whatever its kind.
    common.ImgHandle = image;
    common.FreeMemory();
    common.ImgHandle = 0;
  }
  if (!typed) return reading;

  AttributeTexts texts;
  texts.bytes = std::to_string(file.FileSize);
  texts.colors = ColorText(static_cast<short>(file.BitCount));
  texts.pixels = std::to_string(file.Width) + "x" + std::to_string(file.Height);
  texts.dpi = std::to_string(file.Ydpi) + "dpi";
  if (const auto c = CompressionTextsFor(static_cast<short>(file.Compression))) {
    texts.compression = c->name;
    texts.extension = c->extension;
  }
  reading.texts = std::move(texts);
  return reading;
}

std::string BuildNewFileName(const std::string& path, const AttributeTexts& texts, const RenameOptions& options) {
  std::string name = platform::RemoveFileExt(path);
  const std::pair<bool, const std::string*> parts[] = {
      {options.bytes, &texts.bytes}, {options.colors, &texts.colors}, {options.pixels, &texts.pixels},
      {options.dpi, &texts.dpi},     {options.compression, &texts.compression},
  };
  for (const auto& [ticked, text] : parts)
    if (ticked) name += "_" + *text;
  name += texts.extension.empty() ? platform::ExtractFileExt(path) : texts.extension;
  return name;
}
