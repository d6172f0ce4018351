#include "widgets/Font.h"

#include <cstring>

#include "platform/fonts.h"
#include "platform/syscolors.h"
#include "platform/text.h"

namespace {

bool SameLogFont(const LOGFONT& a, const LOGFONT& b) {
  return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
         a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
         a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
         a.lfPitchAndFamily == b.lfPitchAndFamily && std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

}  // namespace

TFont::TFont() : FColor(clSystemColor | COLOR_WINDOWTEXT) {
  FLogFont.lfHeight = -12;
  FLogFont.lfCharSet = SHIFTJIS_CHARSET;
  std::strncpy(FLogFont.lfFaceName, platform::kUiFace, sizeof FLogFont.lfFaceName - 1);
}

void TFont::Changed() {
  if (OnChange) OnChange();
}

void TFont::SetLogFont(const LOGFONT& value) {
  if (SameLogFont(value, FLogFont)) return;
  FLogFont = value;
  FLogFont.lfFaceName[LF_FACESIZE - 1] = '\0';
  Changed();
}

void TFont::SetColor(DWORD value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

void TFont::SetName(const std::string& value) {
  LOGFONT lf = FLogFont;
  std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
  const std::string face = platform::TruncateUtf8(value, sizeof lf.lfFaceName - 1);
  std::memcpy(lf.lfFaceName, face.data(), face.size());
  SetLogFont(lf);
}

void TFont::SetHeight(LONG value) {
  LOGFONT lf = FLogFont;
  lf.lfHeight = value;
  SetLogFont(lf);
}

void TFont::Assign(const TFont& source) {
  if (&source == this || (SameLogFont(source.FLogFont, FLogFont) && source.FColor == FColor)) return;
  FLogFont = source.FLogFont;
  FColor = source.FColor;
  Changed();
}
