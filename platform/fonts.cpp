#include "platform/fonts.h"

#include <array>
#include <utility>

namespace platform {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 10> kSubstitutes{{
    {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"ＭＳ ゴシック", "IPAGothic"},
    {"ＭＳ Ｐ明朝", "IPAPMincho"},
    {"ＭＳ 明朝", "IPAMincho"},
    {"MS UI Gothic", "IPAPGothic"},
    {"MS Sans Serif", "DejaVu Sans"},
    {"MS Shell Dlg", "DejaVu Sans"},
    {"Arial", "DejaVu Sans"},
    {"Roman", "DejaVu Serif"},
    {"Times New Roman", "DejaVu Serif"},
}};

}  // namespace

std::string SubstituteFontFace(std::string_view face) {
  for (const auto& [windows, here] : kSubstitutes)
    if (windows == face) return std::string(here);
  return std::string(face);
}

QFont FontFromFace(std::string_view face, int pixelHeight) {
  const std::string family = SubstituteFontFace(face);
  QFont font(QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size())));
  // Sans and serif stand-ins fall back on the generic families when DejaVu is missing.
  font.setStyleHint(family.find("Mincho") != std::string::npos || family.find("Serif") != std::string::npos
                        ? QFont::Serif
                        : QFont::SansSerif);
  if (pixelHeight > 0) font.setPixelSize(pixelHeight);
  return font;
}

}  // namespace platform
