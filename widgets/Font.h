// TFont: the font of a painted control, what the control creates for its text (a
// LOGFONT) together with the text colour, telling its owner of every change so that the
// owner repaints. A new font is the windows' own: "ＭＳ Ｐゴシック", 12 pixels, in the
// window text colour.
#pragma once

#include <functional>
#include <string>

#include "platform/gditext.h"

class TFont {
 public:
  TFont();

  const LOGFONT& LogFont() const { return FLogFont; }
  DWORD Color() const { return FColor; }  // a framework colour (system colour constants allowed)
  std::string Name() const { return FLogFont.lfFaceName; }
  LONG Height() const { return FLogFont.lfHeight; }

  void SetLogFont(const LOGFONT& value);
  void SetColor(DWORD value);
  void SetName(const std::string& value);
  void SetHeight(LONG value);
  // Takes the face, size, style and colour of another font; one notification.
  void Assign(const TFont& source);

  // A font object for drawing; the caller deletes it.
  HFONT Create() const { return CreateFontIndirect(&FLogFont); }

  std::function<void()> OnChange;

 private:
  void Changed();

  LOGFONT FLogFont;
  DWORD FColor;
};
