#include "tests/support/PixelCheck.h"

#include <QDir>
#include <algorithm>
#include <sstream>

namespace testsupport {

std::string SavePng(const QImage& image, const std::string& name) {
  if (!QDir().mkpath("pixelcheck")) return {};
  const QString path = QDir("pixelcheck").absoluteFilePath(QString::fromStdString(name) + ".png");
  return image.save(path, "PNG") ? path.toStdString() : std::string();
}

std::string SavePng(HBITMAP bitmap, const std::string& name) { return SavePng(platform::BitmapImage(bitmap), name); }

QImage Picture(const std::vector<std::string>& rows, const std::map<char, COLORREF>& legend) {
  const int h = static_cast<int>(rows.size());
  const int w = h ? static_cast<int>(rows[0].size()) : 0;
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::magenta);  // a legend gap shows up as a difference
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w && x < static_cast<int>(rows[static_cast<std::size_t>(y)].size()); ++x) {
      const auto it = legend.find(rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]);
      if (it != legend.end()) image.setPixel(x, y, platform::PixelFromColor(it->second));
    }
  return image;
}

::testing::AssertionResult SameImage(const QImage& got, const QImage& expected, const std::string& name) {
  const QImage a = got.convertToFormat(QImage::Format_RGB32);
  const QImage b = expected.convertToFormat(QImage::Format_RGB32);
  std::ostringstream why;
  if (a.size() != b.size()) {
    why << "size " << a.width() << "x" << a.height() << ", expected " << b.width() << "x" << b.height();
  } else {
    for (int y = 0; y < a.height() && why.str().empty(); ++y)
      for (int x = 0; x < a.width(); ++x) {
        const QRgb pa = a.pixel(x, y) & 0xFFFFFF, pb = b.pixel(x, y) & 0xFFFFFF;
        if (pa != pb) {
          why << "first difference at (" << x << ", " << y << "): got RGB " << std::hex << pa << ", expected " << pb;
          break;
        }
      }
  }
  if (why.str().empty()) return ::testing::AssertionSuccess();
  why << "; images: " << SavePng(a, name + "-got") << " " << SavePng(b, name + "-expected");
  return ::testing::AssertionFailure() << name << ": " << why.str();
}

::testing::AssertionResult SamePicture(HBITMAP got, const std::vector<std::string>& rows,
                                       const std::map<char, COLORREF>& legend, const std::string& name) {
  return SameImage(platform::BitmapImage(got), Picture(rows, legend), name);
}

QImage PaintControl(platform::WinWidget& control, COLORREF under, const std::string& name) {
  platform::ScopedGdiObject<HBITMAP> bitmap(
      platform::CreateSurfaceBitmap(std::max(1, control.width()), std::max(1, control.height())));
  HDC dc = platform::CreateSurfaceDC(bitmap, DT_RASDISPLAY);
  {
    platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(under));
    const RECT all{0, 0, control.width(), control.height()};
    FillRect(dc, &all, brush);
  }
  control.PaintCopy(dc);
  DeleteDC(dc);
  QImage image = platform::BitmapImage(bitmap).copy();
  SavePng(image, name);
  return image;
}

COLORREF PixelAt(const QImage& image, int x, int y) {
  const QRgb p = image.pixel(x, y);
  return RGB(static_cast<BYTE>(qRed(p)), static_cast<BYTE>(qGreen(p)), static_cast<BYTE>(qBlue(p)));
}

std::vector<COLORREF> ColoursAlong(const QImage& image, COLORREF background) {
  std::vector<COLORREF> seq;
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y) {
      const COLORREF c = PixelAt(image, x, y);
      if (c == background) continue;
      if (seq.empty() || seq.back() != c) seq.push_back(c);
      break;
    }
  return seq;
}

}  // namespace testsupport
