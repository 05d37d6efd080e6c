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

std::vector<PathStep> freeformOutline(const OutlineSource& src, const BoxMm& box) {
  const double gw = src.right != src.left ? static_cast<double>(src.right) - src.left : 1.0;
  const double gh = src.bottom != src.top ? static_cast<double>(src.bottom) - src.top : 1.0;
  auto at = [&](size_t i) {
    const auto [px, py] = src.points[i];
    double fx = (px - static_cast<double>(src.left)) / gw, fy = (py - static_cast<double>(src.top)) / gh;
    if (src.flipH) fx = 1 - fx;
    if (src.flipV) fy = 1 - fy;
    return PointMm{box.x + fx * box.w, box.y + fy * box.h};
  };
  std::vector<PathStep> out;
  const size_t n = src.points.size();
  if (n == 0) return out;
  if (src.commands.empty()) {
    out.push_back({PathStep::Op::Move, {at(0)}});
    for (size_t i = 1; i < n; ++i) out.push_back({PathStep::Op::Line, {at(i)}});
    return out;
  }
  size_t next = 0;
  bool open = false;  // a figure has been started
  for (uint16_t c : src.commands) {
    const unsigned type = c >> 13, count = c & 0x1FFF;
    switch (type) {
      case 0:  // lines to the next points
      case 1:  // cubic curves, three points each
        for (unsigned k = 0; k < std::max(count, 1u); ++k) {
          const size_t need = type == 0 ? 1 : 3;
          if (next + need > n) return out;
          if (!open) {
            // A figure that does not start with a move starts at its first point.
            out.push_back({PathStep::Op::Move, {at(next)}});
            open = true;
          }
          if (type == 0) {
            out.push_back({PathStep::Op::Line, {at(next)}});
          } else {
            out.push_back({PathStep::Op::Curve, {at(next), at(next + 1), at(next + 2)}});
          }
          next += need;
        }
        break;
      case 2:  // move
        if (next >= n) return out;
        out.push_back({PathStep::Op::Move, {at(next++)}});
        open = true;
        break;
      case 3:  // close
        if (open) out.push_back({PathStep::Op::Close, {}});
        break;
      case 4:  // end of this path
        open = false;
        break;
      case 5:
      case 6:  // escapes carry their point count in the low byte
        next += c & 0xFF;
        if (next > n) return out;
        break;
      default: return out;
    }
  }
  return out;
}

std::pair<int, int> pictureDrawSize(int width, int height, const BoxMm& box, double maxDotsPerMm) {
  const int w = std::clamp(static_cast<int>(std::ceil(box.w * maxDotsPerMm)), 1, std::max(width, 1));
  const int h = std::clamp(static_cast<int>(std::ceil(box.h * maxDotsPerMm)), 1, std::max(height, 1));
  return {w, h};
}

}  // namespace zel::report
