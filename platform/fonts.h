// Font faces by their Windows names, through a substitution table like Windows' font
// substitutes, so that the Japanese UI faces resolve to the IPA fonts installed here.
#pragma once

#include <string>
#include <string_view>

#include <QFont>

namespace platform {

// The face installed here for a Windows face name; unknown names pass through.
std::string SubstituteFontFace(std::string_view face);
// A font of the given face and pixel height (0 keeps the default size).
QFont FontFromFace(std::string_view face, int pixelHeight = 0);
// The user-interface face of the program's windows.
inline constexpr const char* kUiFace = "ＭＳ Ｐゴシック";

}  // namespace platform
