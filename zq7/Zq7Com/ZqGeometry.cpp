#include "zq7/Zq7Com/ZqGeometry.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/memory.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace {

constexpr double kRadians = std::numbers::pi / 180.0;
// A point list longer than this is not a drawing tool's.
constexpr int kMaxPoints = 1 << 24;

using zq::Fail;

LONG RoundToLong(double v) { return static_cast<LONG>(std::lround(v)); }

}  // namespace

ZQ_EXPORT double GetAngleFrom2Points(LONG x1, LONG y1, LONG x2, LONG y2) {
  return zq::Guard<double>(0.0, [&]() -> double {
    ZqSetErrorStatus(ZQ_OK);
    if (x1 == x2 && y1 == y2) return 0.0;
    // Screen y grows downwards, so the upward direction is the positive one.
    double degrees = std::atan2(static_cast<double>(y1) - y2, static_cast<double>(x2) - x1) / kRadians;
    if (degrees < 0) degrees += 360.0;
    return degrees >= 360.0 ? 0.0 : degrees;
  });
}

ZQ_EXPORT BOOL RotateCoordinatesEx(POINT* points, int count, LONG centerX, LONG centerY, double degrees) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!points || count <= 0 || count > kMaxPoints || !std::isfinite(degrees)) return Fail(ZQ_ERR_BAD_PARAMETER);
    const double c = std::cos(degrees * kRadians), s = std::sin(degrees * kRadians);
    for (int i = 0; i < count; ++i) {
      const double dx = points[i].x - static_cast<double>(centerX);
      const double dy = static_cast<double>(centerY) - points[i].y;  // upwards positive
      points[i].x = RoundToLong(centerX + dx * c - dy * s);
      points[i].y = RoundToLong(centerY - (dx * s + dy * c));
    }
    ZqSetErrorStatus(ZQ_OK);
    return TRUE;
  });
}

ZQ_EXPORT BOOL GenEllipsePoints(LONG left, LONG top, LONG right, LONG bottom, POINT* points, int count) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!points || count < 3 || count > kMaxPoints) return Fail(ZQ_ERR_BAD_PARAMETER);
    const double cx = (static_cast<double>(left) + right) / 2, cy = (static_cast<double>(top) + bottom) / 2;
    const double rx = std::abs(static_cast<double>(right) - left) / 2, ry = std::abs(static_cast<double>(bottom) - top) / 2;
    for (int i = 0; i < count; ++i) {
      const double a = 2 * std::numbers::pi * i / count;
      points[i].x = RoundToLong(cx + rx * std::cos(a));
      points[i].y = RoundToLong(cy - ry * std::sin(a));
    }
    ZqSetErrorStatus(ZQ_OK);
    return TRUE;
  });
}

ZQ_EXPORT HGLOBAL SetPointsToMemory(const POINT* points, int count) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    if (!points || count <= 0 || count > kMaxPoints) return Fail(ZQ_ERR_BAD_PARAMETER);
    const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, sizeof(POINT) * static_cast<std::size_t>(count));
    platform::GlobalLockGuard g(h);
    if (!g) {
      if (h) GlobalFree(h);
      ZqSetErrorStatus(ZQ_ERR_NO_MEMORY);
      return 0;
    }
    std::memcpy(g.get(), points, sizeof(POINT) * static_cast<std::size_t>(count));
    ZqSetErrorStatus(ZQ_OK);
    return h;
  });
}
