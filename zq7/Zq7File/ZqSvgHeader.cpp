#include "zq7/Zq7File/ZqSvgHeader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "zq7/Zq7File/ZqHeaderInfo.h"

namespace {

constexpr double kCssDpi = 96;
// The size of a replaced element that says nothing about its own, as browsers use it.
constexpr double kDefaultWidth = 300, kDefaultHeight = 150;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The position of the root element's "<svg" in text, or npos. Skips the byte-order
// mark, the XML declaration, processing instructions, comments and the document type.
std::size_t FindRoot(std::string_view text) {
  std::size_t pos = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  while (true) {
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    const std::string_view rest = text.substr(std::min(pos, text.size()));
    // Where the construct ends: the position of its terminator, and the terminator.
    std::size_t end = std::string_view::npos;
    std::string_view terminator = ">";
    if (rest.starts_with("<?")) {
      terminator = "?>";
      end = rest.find(terminator);
    } else if (rest.starts_with("<!--")) {
      terminator = "-->";
      end = rest.find(terminator, 4);
    } else if (rest.starts_with("<!")) {
      // A document type may hold an internal subset in brackets.
      const std::size_t bracket = rest.find('['), close = rest.find('>');
      if (bracket != std::string_view::npos && bracket < close) terminator = "]>";
      end = rest.find(terminator);
    } else if (rest.starts_with("<svg") && rest.size() > 4 && (IsSpace(rest[4]) || rest[4] == '>' || rest[4] == '/')) {
      return pos;
    } else {
      return std::string_view::npos;
    }
    if (end == std::string_view::npos) return std::string_view::npos;
    pos += end + terminator.size();
  }
}

// The value of attribute name in the start tag tag (the text from "<svg" to its '>').
std::optional<std::string_view> Attribute(std::string_view tag, std::string_view name) {
  for (std::size_t pos = 0; (pos = tag.find(name, pos)) != std::string_view::npos; pos += name.size()) {
    if (pos == 0 || !IsSpace(tag[pos - 1])) continue;
    std::size_t i = pos + name.size();
    while (i < tag.size() && IsSpace(tag[i])) ++i;
    if (i >= tag.size() || tag[i] != '=') continue;
    ++i;
    while (i < tag.size() && IsSpace(tag[i])) ++i;
    if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\'')) continue;
    const std::size_t close = tag.find(tag[i], i + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return tag.substr(i + 1, close - i - 1);
  }
  return std::nullopt;
}

// Parses a number at the start of text, skipping blanks and commas before it.
std::optional<double> Number(std::string_view& text) {
  std::size_t i = 0;
  while (i < text.size() && (IsSpace(text[i]) || text[i] == ',')) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
  if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

// A length in CSS pixels; none for a percentage, which leaves the size to the viewBox.
std::optional<double> Length(std::string_view text) {
  const auto value = Number(text);
  if (!value) return std::nullopt;
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  struct Unit {
    std::string_view name;
    double pixels;
  };
  static constexpr Unit kUnits[] = {{"", 1},         {"px", 1},           {"pt", 96.0 / 72}, {"pc", 16},
                                    {"in", kCssDpi}, {"cm", kCssDpi / 2.54}, {"mm", kCssDpi / 25.4},
                                    {"em", 16},      {"ex", 8}};
  for (const Unit& u : kUnits)
    if (text == u.name) return *value * u.pixels;
  return std::nullopt;
}

}  // namespace

bool LooksLikeSvg(std::string_view text) { return FindRoot(text) != std::string_view::npos; }

ZqStatus ReadSvgHeader(ZqByteReader& in, int page, ZqFileInfo& info) {
  if (page != 0) return ZQ_ERR_BAD_PARAMETER;
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(in.Size(), ZqByteReader::kMaxSpan));
  const std::uint8_t* bytes = in.Span(0, n);
  if (!bytes) return ZQ_ERR_DAMAGED;
  const std::string_view text(reinterpret_cast<const char*>(bytes), n);
  const std::size_t root = FindRoot(text);
  if (root == std::string_view::npos) return ZQ_ERR_UNSUPPORTED;
  const std::size_t close = text.find('>', root);
  if (close == std::string_view::npos) return ZQ_ERR_DAMAGED;
  const std::string_view tag = text.substr(root, close - root);

  std::optional<double> width, height, boxW, boxH;
  if (const auto w = Attribute(tag, "width")) width = Length(*w);
  if (const auto h = Attribute(tag, "height")) height = Length(*h);
  if (auto box = Attribute(tag, "viewBox")) {
    const auto x = Number(*box), y = Number(*box), w = Number(*box), h = Number(*box);
    if (!x || !y || !w || !h || *w <= 0 || *h <= 0) return ZQ_ERR_DAMAGED;
    boxW = *w;
    boxH = *h;
  }
  // A missing side follows the viewBox's proportions when the other side is known.
  if (width && !height && boxW) height = *width * *boxH / *boxW;
  if (height && !width && boxH) width = *height * *boxW / *boxH;
  const double w = width.value_or(boxW.value_or(kDefaultWidth));
  const double h = height.value_or(boxH.value_or(kDefaultHeight));
  if (!(w > 0) || !(h > 0) || w > 4e9 || h > 4e9) return ZQ_ERR_DAMAGED;
  info = {};
  info.bitCount = 24;
  info.width = ZqClampDword(static_cast<std::uint64_t>(std::max(1.0, std::round(w))));
  info.height = ZqClampDword(static_cast<std::uint64_t>(std::max(1.0, std::round(h))));
  info.xdpi = info.ydpi = static_cast<WORD>(kCssDpi);
  info.code = ZQ_CODE_SVG;
  info.pages = 1;
  return ZQ_OK;
}
