#include "platform/gditext.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/fonts.h"
#include "platform/text.h"

namespace platform {

QFont QFontFromLogFont(const LOGFONT& lf) {
  std::string face(lf.lfFaceName, ::strnlen(lf.lfFaceName, LF_FACESIZE));
  if (face.empty()) face = (lf.lfPitchAndFamily & 0xF0) == FF_ROMAN ? "Roman" : kUiFace;
  QFont font = FontFromFace(face);
  int pixels = 12;
  if (lf.lfHeight < 0) {
    pixels = -lf.lfHeight;
  } else if (lf.lfHeight > 0) {
    // A positive height is the cell (ascent + descent): scale the em to match it.
    font.setPixelSize(lf.lfHeight);
    const int cell = QFontMetrics(font).height();
    pixels = cell > 0 ? std::max(1, static_cast<int>(std::lround(double(lf.lfHeight) * lf.lfHeight / cell))) : lf.lfHeight;
  }
  font.setPixelSize(std::clamp(pixels, 1, 4096));
  if (lf.lfWeight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(lf.lfWeight, 1, 1000)));
  font.setItalic(lf.lfItalic != 0);
  font.setUnderline(lf.lfUnderline != 0);
  font.setStrikeOut(lf.lfStrikeOut != 0);
  font.setStyleStrategy(QFont::NoAntialias);
  font.setKerning(false);
  return font;
}

}  // namespace platform

using namespace platform;

namespace {

// The selected font of a context as Qt draws it, with its escapement.
struct DcFontInfo {
  QFont font;
  double angle = 0;  // degrees, counter-clockwise
  const LOGFONT* log = nullptr;
};

std::optional<DcFontInfo> FontOf(HDC dc) {
  const LOGFONT* lf = FontLogFont(DcFont(dc));
  if (!lf) return std::nullopt;
  return DcFontInfo{QFontFromLogFont(*lf), lf->lfEscapement / 10.0, lf};
}

std::string TextArg(LPCSTR text, int length) {
  if (!text) return {};
  const std::size_t n = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
  return std::string(text, n);
}

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Tab stops every eight average characters.
int TabWidth(const QFontMetrics& fm) { return std::max(1, 8 * fm.averageCharWidth()); }

int LineWidth(const QFontMetrics& fm, const std::string& line, bool tabs) {
  if (!tabs) return fm.horizontalAdvance(Q(line));
  int x = 0;
  std::size_t start = 0;
  const int tab = TabWidth(fm);
  for (;;) {
    const std::size_t t = line.find('\t', start);
    x += fm.horizontalAdvance(Q(line.substr(start, t - start)));
    if (t == std::string::npos) return x;
    x = (x / tab + 1) * tab;
    start = t + 1;
  }
}

// One line of text placed at a reference point: transform, then box and baseline
// relative to that point.
struct Placement {
  QTransform transform;
  QRect box;     // text cell, relative to the reference point
  int baseline;  // relative y of the baseline
};

// Draws line text (with tabs expanded when asked, the character at underline byte
// underlined) at left/top of its cell in the rotated frame at (x, y).
void PaintLine(HDC dc, const DcFontInfo& f, int x, int y, int dx, const std::string& line, bool tabs,
               std::optional<std::size_t> underline, QRect* changed, const std::optional<QRect>& clip) {
  QPainter p;
  if (!BeginDcPainter(dc, p)) return;
  const QFontMetrics fm(f.font);
  const int width = LineWidth(fm, line, tabs);
  QTransform tx;
  tx.translate(x, y);
  tx.rotate(-f.angle);
  if (clip) p.setClipRect(*clip, Qt::IntersectClip);
  p.setTransform(tx, true);
  const QRect cell(dx, 0, width, fm.height());
  if (GetBkMode(dc) == OPAQUE) p.fillRect(cell, QColor::fromRgb(PixelFromColor(GetBkColor(dc))));
  p.setFont(f.font);
  p.setPen(QColor::fromRgb(PixelFromColor(GetTextColor(dc))));
  const int baseline = fm.ascent();
  if (!tabs || line.find('\t') == std::string::npos) {
    p.drawText(QPoint(dx, baseline), Q(line));
  } else {
    int cx = 0;
    std::size_t start = 0;
    const int tab = TabWidth(fm);
    for (;;) {
      const std::size_t t = line.find('\t', start);
      const QString piece = Q(line.substr(start, t - start));
      p.drawText(QPoint(dx + cx, baseline), piece);
      cx += fm.horizontalAdvance(piece);
      if (t == std::string::npos) break;
      cx = (cx / tab + 1) * tab;
      start = t + 1;
    }
  }
  if (underline && *underline < line.size()) {
    const std::size_t at = *underline;
    const int from = LineWidth(fm, line.substr(0, at), tabs);
    const int to = LineWidth(fm, line.substr(0, at + CharLength(line, at)), tabs);
    const int uy = baseline + std::max(1, fm.underlinePos());
    p.fillRect(QRect(dx + from, uy, std::max(1, to - from), std::max(1, fm.lineWidth())), p.pen().color());
  }
  p.end();
  QRect area = tx.mapRect(cell.adjusted(0, 0, 1, 1));
  if (clip) area &= *clip;
  *changed |= area;
}

// Strips "&" prefixes; returns the display text and the byte of the underlined character.
std::string StripPrefix(const std::string& s, std::optional<std::size_t>& underline) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&') {
        out += '&';
        i += 2;
        continue;
      }
      if (i + 1 < s.size()) underline = out.size();
      ++i;
      continue;
    }
    out += s[i++];
  }
  return out;
}

// Places where a line may break: after a blank, and on both sides of a multi-byte
// character (Japanese text breaks between any two characters).
bool BreakBefore(const std::string& s, std::size_t pos) {
  if (pos == 0 || pos >= s.size()) return false;
  const std::size_t prev = FloorCharBoundary(s, pos - 1);
  return s[prev] == ' ' || IsLeadByte(static_cast<unsigned char>(s[pos])) ||
         IsLeadByte(static_cast<unsigned char>(s[prev]));
}

struct Line {
  std::string text;
  std::size_t offset = 0;  // where it starts in the display text of its paragraph
};

std::vector<Line> Wrap(const std::string& para, const QFontMetrics& fm, int width, bool tabs) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < para.size()) {
    std::size_t best = std::string::npos, first = std::string::npos;
    for (std::size_t pos = start + CharLength(para, start); pos <= para.size(); pos += pos < para.size() ? CharLength(para, pos) : 1) {
      if (pos < para.size() && !BreakBefore(para, pos)) continue;
      std::string candidate = para.substr(start, pos - start);
      while (!candidate.empty() && candidate.back() == ' ') candidate.pop_back();
      if (first == std::string::npos) first = pos;
      if (LineWidth(fm, candidate, tabs) <= width) {
        best = pos;
      } else {
        break;
      }
      if (pos == para.size()) break;
    }
    std::size_t end = best != std::string::npos ? best : first;
    if (end == std::string::npos) end = para.size();
    std::string text = para.substr(start, end - start);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    lines.push_back({text, start});
    start = end;
    while (start < para.size() && para[start] == ' ') ++start;  // a new line starts at a word
  }
  if (lines.empty()) lines.push_back({std::string(), 0});
  return lines;
}

const std::string kEllipsis = "...";

std::string EndEllipsis(const std::string& s, const QFontMetrics& fm, int width, bool tabs) {
  if (LineWidth(fm, s, tabs) <= width) return s;
  std::size_t n = s.size();
  while (n > 0) {
    n = FloorCharBoundary(s, n - 1);
    const std::string candidate = s.substr(0, n) + kEllipsis;
    if (LineWidth(fm, candidate, tabs) <= width) return candidate;
  }
  return kEllipsis;
}

std::string PathEllipsis(const std::string& s, const QFontMetrics& fm, int width, bool tabs) {
  if (LineWidth(fm, s, tabs) <= width) return s;
  const std::size_t slash = s.rfind('/');
  if (slash == std::string::npos || slash == 0) return EndEllipsis(s, fm, width, tabs);
  const std::string tail = s.substr(slash);
  std::size_t n = slash;
  while (n > 0) {
    n = FloorCharBoundary(s, n - 1);
    const std::string candidate = s.substr(0, n) + kEllipsis + tail;
    if (LineWidth(fm, candidate, tabs) <= width) return candidate;
  }
  return EndEllipsis(kEllipsis + tail, fm, width, tabs);
}

}  // namespace

int DrawTextA(HDC dc, LPCSTR text, int length, RECT* rc, UINT format) {
  const auto f = FontOf(dc);
  if (!f || !text || !rc) return 0;
  const std::string all = TextArg(text, length);
  const QFontMetrics fm(f->font);
  const int lineHeight = fm.height() + ((format & DT_EXTERNALLEADING) ? std::max(0, fm.leading()) : 0);
  const bool tabs = format & DT_EXPANDTABS;
  const bool single = format & DT_SINGLELINE;
  const int width = std::max(0, static_cast<int>(rc->right - rc->left));

  // Paragraphs, prefixes, breaking and ellipses, in that order.
  std::vector<std::string> paragraphs;
  if (single) {
    std::string s;
    for (char c : all)
      if (c != '\r' && c != '\n') s += c;
    paragraphs.push_back(s);
  } else {
    std::string cur;
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (all[i] == '\r' || all[i] == '\n') {
        paragraphs.push_back(cur);
        cur.clear();
        if (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
      } else {
        cur += all[i];
      }
    }
    paragraphs.push_back(cur);
  }
  struct Out {
    std::string text;
    std::optional<std::size_t> underline;
  };
  std::vector<Out> lines;
  for (const std::string& raw : paragraphs) {
    std::optional<std::size_t> ul;
    const std::string para = (format & DT_NOPREFIX) ? raw : StripPrefix(raw, ul);
    const bool hideUl = (format & DT_HIDEPREFIX) != 0;
    std::vector<Line> wrapped = ((format & DT_WORDBREAK) && !single) ? Wrap(para, fm, width, tabs)
                                                                        : std::vector<Line>{{para, 0}};
    for (const Line& l : wrapped) {
      Out o{l.text, std::nullopt};
      if (ul && !hideUl && *ul >= l.offset && *ul < l.offset + l.text.size()) o.underline = *ul - l.offset;
      if (format & DT_PATH_ELLIPSIS) {
        const std::string shortened = PathEllipsis(o.text, fm, width, tabs);
        if (shortened != o.text) o.underline.reset();
        o.text = shortened;
      } else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) {
        const std::string shortened = EndEllipsis(o.text, fm, width, tabs);
        if (o.underline && *o.underline >= shortened.size() - (shortened != o.text ? kEllipsis.size() : 0))
          o.underline.reset();
        o.text = shortened;
      }
      lines.push_back(o);
    }
  }
  const int total = static_cast<int>(lines.size()) * lineHeight;

  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const Out& o : lines) widest = std::max(widest, LineWidth(fm, o.text, tabs));
    rc->right = rc->left + widest;
    rc->bottom = rc->top + total;
    return total;
  }

  int y = rc->top;
  if (single && (format & DT_VCENTER)) y = rc->top + (rc->bottom - rc->top - lineHeight) / 2;
  if (single && (format & DT_BOTTOM)) y = rc->bottom - lineHeight;
  const std::optional<QRect> clip =
      (format & DT_NOCLIP) ? std::nullopt : std::optional<QRect>(QRect(rc->left, rc->top, width, std::max(0, int(rc->bottom - rc->top))));
  QRect changed;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Out& o = lines[i];
    const int w = LineWidth(fm, o.text, tabs);
    int x = rc->left;
    if (format & DT_CENTER) x = rc->left + (width - w) / 2;
    if (format & DT_RIGHT) x = rc->right - w;
    PaintLine(dc, *f, x, y + static_cast<int>(i) * lineHeight, 0, o.text, tabs, o.underline, &changed, clip);
  }
  NotifyDcChanged(dc, ToRECT(changed));
  if (single && (format & (DT_VCENTER | DT_BOTTOM))) return y - rc->top + lineHeight;
  return total;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  const auto f = FontOf(dc);
  if (!f || (!text && length != 0)) return FALSE;
  const std::string s = TextArg(text, length);
  const UINT align = GetTextAlign(dc);
  const QFontMetrics fm(f->font);
  const int width = fm.horizontalAdvance(Q(s));
  if (align & TA_UPDATECP) {
    const POINT cp = DcPosition(dc);
    x = cp.x, y = cp.y;
  }
  // The reference point's place on the text: horizontally left, centre or right;
  // vertically top, baseline or bottom. The rotation turns around it.
  int dx = 0;
  if ((align & TA_CENTER) == TA_CENTER) {
    dx = -width / 2;
  } else if (align & TA_RIGHT) {
    dx = -width;
  }
  int dy = 0;
  if ((align & TA_BASELINE) == TA_BASELINE) {
    dy = -fm.ascent();
  } else if (align & TA_BOTTOM) {
    dy = -fm.height();
  }
  // Shift the cell in the rotated frame by turning the offset with the text.
  QTransform turn;
  turn.rotate(-f->angle);
  const QPointF shift = turn.map(QPointF(0, dy));
  QRect changed;
  PaintLine(dc, *f, x + static_cast<int>(std::lround(shift.x())), y + static_cast<int>(std::lround(shift.y())), dx, s,
            false, std::nullopt, &changed, std::nullopt);
  NotifyDcChanged(dc, ToRECT(changed));
  if (align & TA_UPDATECP) {
    const QPointF advance = turn.map(QPointF(width, 0));
    SetDcPosition(dc, POINT{x + static_cast<LONG>(std::lround(advance.x())), y + static_cast<LONG>(std::lround(advance.y()))});
  }
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size) {
  const auto f = FontOf(dc);
  if (!f || !size || (!text && length != 0)) return FALSE;
  const QFontMetrics fm(f->font);
  size->cx = fm.horizontalAdvance(Q(TextArg(text, length)));
  size->cy = fm.height();
  return TRUE;
}

namespace {

bool WritesJapanese(const QFont& font) {
  return QFontDatabase::writingSystems(QFontInfo(font).family()).contains(QFontDatabase::Japanese);
}

}  // namespace

BOOL GetTextMetricsA(HDC dc, TEXTMETRIC* tm) {
  const auto f = FontOf(dc);
  if (!f || !tm) return FALSE;
  const QFontMetrics fm(f->font);
  const QFontInfo info(f->font);
  *tm = TEXTMETRIC{};
  tm->tmAscent = fm.ascent();
  tm->tmDescent = fm.descent();
  tm->tmHeight = fm.ascent() + fm.descent();
  tm->tmInternalLeading = std::max(0, static_cast<int>(tm->tmHeight) - info.pixelSize());
  tm->tmExternalLeading = std::max(0, fm.leading());
  tm->tmAveCharWidth = fm.averageCharWidth();
  tm->tmMaxCharWidth = fm.maxWidth();
  tm->tmWeight = f->log->lfWeight > 0 ? f->log->lfWeight : FW_NORMAL;
  tm->tmOverhang = 0;  // outline fonts draw bold and italic without extra width
  tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = f->log->lfItalic ? 1 : 0;
  tm->tmUnderlined = f->log->lfUnderline ? 1 : 0;
  tm->tmStruckOut = f->log->lfStrikeOut ? 1 : 0;
  BYTE family = FF_SWISS;
  if (info.fixedPitch()) {
    family = FF_MODERN;
  } else if (info.styleHint() == QFont::Serif || f->font.styleHint() == QFont::Serif) {
    family = FF_ROMAN;
  }
  tm->tmPitchAndFamily = static_cast<BYTE>(family | TMPF_TRUETYPE | TMPF_VECTOR | (info.fixedPitch() ? 0 : TMPF_FIXED_PITCH));
  tm->tmCharSet = static_cast<BYTE>(GetTextCharset(dc));
  return TRUE;
}

int GetTextCharset(HDC dc) {
  const auto f = FontOf(dc);
  if (!f) return DEFAULT_CHARSET;
  if (f->log->lfCharSet != DEFAULT_CHARSET) return f->log->lfCharSet;
  return WritesJapanese(f->font) ? SHIFTJIS_CHARSET : ANSI_CHARSET;
}

int GetTextFaceA(HDC dc, int size, LPSTR face) {
  const LOGFONT* lf = FontLogFont(DcFont(dc));
  if (!lf) return 0;
  const std::string name(lf->lfFaceName, ::strnlen(lf->lfFaceName, LF_FACESIZE));
  if (!face) return static_cast<int>(name.size()) + 1;
  if (size <= 0) return 0;
  const std::string cut = TruncateUtf8(name, static_cast<std::size_t>(size - 1));
  std::memcpy(face, cut.c_str(), cut.size() + 1);
  return static_cast<int>(cut.size());
}
