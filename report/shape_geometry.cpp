// Shape geometry shared by the QPainter and the cairo page painters, so that both draw the same
// lines, arrowheads and turned shapes.
#include "report/shape_geometry.h"

#include <algorithm>
#include <cmath>

namespace zel::report {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kArrowHalfAngle = 25 * kPi / 180;
constexpr double kArrowLengthPerWidth = 9;
constexpr double kArrowMinLengthMm = 1.8;

}  // namespace

std::pair<PointMm, PointMm> lineEnds(const PageShape& s) {
  const BoxMm& b = s.box;
  if (s.fromTopRight) return {{b.right(), b.y}, {b.x, b.bottom()}};
  return {{b.x, b.y}, {b.right(), b.bottom()}};
}

std::optional<std::array<PointMm, 3>> arrowhead(PointMm from, PointMm tip, double lineWidthMm) {
  const double dx = from.x - tip.x, dy = from.y - tip.y, length = std::hypot(dx, dy);
  if (length <= 0) return std::nullopt;
  const double len = std::max(kArrowLengthPerWidth * lineWidthMm, kArrowMinLengthMm);
  const double back = std::atan2(dy, dx);
  auto corner = [&](double a) { return PointMm{tip.x + len * std::cos(back + a), tip.y + len * std::sin(back + a)}; };
  return std::array<PointMm, 3>{tip, corner(kArrowHalfAngle), corner(-kArrowHalfAngle)};
}

PointMm turnedAbout(PointMm p, PointMm centre, double degreesClockwise) {
  const double a = degreesClockwise * kPi / 180, c = std::cos(a), s = std::sin(a);
  const double dx = p.x - centre.x, dy = p.y - centre.y;
  return {centre.x + dx * c - dy * s, centre.y + dx * s + dy * c};
}

std::pair<int, int> pictureDrawSize(int width, int height, const BoxMm& box, double maxDotsPerMm) {
  const int w = std::clamp(static_cast<int>(std::ceil(box.w * maxDotsPerMm)), 1, std::max(width, 1));
  const int h = std::clamp(static_cast<int>(std::ceil(box.h * maxDotsPerMm)), 1, std::max(height, 1));
  return {w, h};
}

}  // namespace zel::report
