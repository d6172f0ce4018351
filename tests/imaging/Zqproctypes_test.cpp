// The typed entries of the table have exactly the signatures the engine exports.
#include <gtest/gtest.h>

#include <type_traits>

#include "imaging/engine/Zqproctypes.h"
#include "zq7/Zq7Com/ZqBitmap.h"
#include "zq7/Zq7Com/ZqClipboard.h"
#include "zq7/Zq7Com/ZqDataFile.h"
#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqDraw.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqPath.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7Com/ZqText.h"
#include "zq7/Zq7Effect/ZqResize.h"
#include "zq7/Zq7File/ZqFileLoad.h"
#include "zq7/Zq7File/ZqFileType.h"
#include "zq7/Zq7VectCom/ZqVector.h"

// The typed table entries have exactly the engine's signatures.
#define ZQ_SAME(entry) static_assert(std::is_same_v<decltype(&::entry), entry##_t>, #entry)
ZQ_SAME(ZQGetMemorySize);
ZQ_SAME(ZQFreeMemory);
ZQ_SAME(ZQGetImageType);
ZQ_SAME(ZQSetDpi);
ZQ_SAME(ZQGetDpi);
ZQ_SAME(ZQGetErrorStatus);
ZQ_SAME(ZQCopyImage);
ZQ_SAME(ZQCreateImage);
ZQ_SAME(ZQGetSystemPalette);
ZQ_SAME(ZQGetPalette);
ZQ_SAME(ZQSetPalette);
ZQ_SAME(ZQGetOneBitPalCount);
ZQ_SAME(ZQDibFromBitmap);
ZQ_SAME(ZQBitmapFromDib);
ZQ_SAME(ZQDeleteBitmapObject);
ZQ_SAME(ZQGetDpiFromHdc);
ZQ_SAME(CreateBIPalette);
ZQ_SAME(ZQGetFromClipBrd);
ZQ_SAME(ZQSetToClipBrd);
ZQ_SAME(ZQClearClipBrd);
ZQ_SAME(ZQIsClipBrdData);
ZQ_SAME(SetImageSize);
ZQ_SAME(ZQResizeEx);
ZQ_SAME(ZQVectorGdipStart);
ZQ_SAME(ZQVectorGdipEnd);
ZQ_SAME(ZQVectorToRaster);
ZQ_SAME(ZQFileType);
ZQ_SAME(ZQFileLoad);
ZQ_SAME(_BoxFullHatch);
ZQ_SAME(_Polygon);
ZQ_SAME(ConvertColorTo8Gray);
ZQ_SAME(Resize1Bit);
ZQ_SAME(ZQBmpFileLoad);
ZQ_SAME(ZQJpegFileLoad);
ZQ_SAME(ZQPcxFileLoad);
ZQ_SAME(ZQJ2kFileLoad);
ZQ_SAME(ZQGifFileLoad);
ZQ_SAME(ZQTiffFileLoad);
ZQ_SAME(ZQPngFileLoadEx);
ZQ_SAME(ZQJpegExifInfo);
ZQ_SAME(IsSetDrive);
ZQ_SAME(DataFileExist);
ZQ_SAME(SetTermYEN);
ZQ_SAME(GetFullpathFilename);
ZQ_SAME(GetPagefromFilename);
ZQ_SAME(CutPagefromFilename);
ZQ_SAME(GetFileDateTimeEx);
ZQ_SAME(GetPathFileDateTime);
ZQ_SAME(GetPathFileExt);
ZQ_SAME(GetPathDir);
ZQ_SAME(GetFileExt);
ZQ_SAME(StrRightCopy);
ZQ_SAME(GetDibPalSize);
ZQ_SAME(_StretchDIBits);
ZQ_SAME(_Line);
ZQ_SAME(_Box);
ZQ_SAME(_BoxFull);
#undef ZQ_SAME

TEST(Zqproctypes, SignaturesAreCheckedWhenThisTestCompiles) { SUCCEED(); }
