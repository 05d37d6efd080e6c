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
constexpr unsigned kEscapeNoFill = 0x0A, kEscapeNoLine = 0x0B;  // MSOPATHESCAPE codes

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
        if (!out.empty() && out.back().op != PathStep::Op::End) out.push_back({PathStep::Op::End, {}});
        open = false;
        break;
      case 5:
      case 6: {  // escapes carry their code in bits 8..12 and their point count in the low byte
        const unsigned escape = (c >> 8) & 0x1F;
        if (type == 5 && escape == kEscapeNoFill) out.push_back({PathStep::Op::NoFill, {}});
        if (type == 5 && escape == kEscapeNoLine) out.push_back({PathStep::Op::NoLine, {}});
        next += c & 0xFF;
        if (next > n) return out;
        break;
      }
      default: return out;
    }
  }
  return out;
}

std::vector<OutlinePath> outlinePaths(const std::vector<PathStep>& outline) {
  std::vector<OutlinePath> out;
  size_t first = 0;
  OutlinePath path;
  for (size_t i = 0; i <= outline.size(); ++i) {
    const bool last = i == outline.size();
    if (!last && outline[i].op == PathStep::Op::NoFill) path.filled = false;
    if (!last && outline[i].op == PathStep::Op::NoLine) path.stroked = false;
    if (!last && outline[i].op != PathStep::Op::End) continue;
    if (i > first) {
      path.steps = std::span<const PathStep>(outline).subspan(first, i - first);
      out.push_back(path);
    }
    path = OutlinePath{};
    first = i + 1;
  }
  return out;
}

std::vector<PathStep> presetOutline(uint16_t shapeType, const std::array<std::optional<int32_t>, 2>& adjust, const BoxMm& box,
                                    bool flipH, bool flipV) {
  constexpr int32_t W = 21600, C = W / 2;  // preset shapes are drawn in a 21600 square
  auto adj = [&](size_t k, int32_t fallback) { return std::clamp(adjust[k].value_or(fallback), 0, W); };
  std::vector<std::pair<int32_t, int32_t>> pts;
  switch (shapeType) {
    case 4: pts = {{C, 0}, {W, C}, {C, W}, {0, C}}; break;  // diamond
    case 5: pts = {{adj(0, C), 0}, {W, W}, {0, W}}; break;  // isosceles triangle
    case 6: pts = {{0, 0}, {W, W}, {0, W}}; break;          // right triangle
    case 7: {                                               // parallelogram
      const int32_t a = adj(0, 5400);
      pts = {{a, 0}, {W, 0}, {W - a, W}, {0, W}};
      break;
    }
    case 8: {  // trapezoid, the wide side up
      const int32_t a = std::min(adj(0, 5400), C);
      pts = {{0, 0}, {W, 0}, {W - a, W}, {a, W}};
      break;
    }
    case 9: {  // hexagon
      const int32_t a = std::min(adj(0, 5400), C);
      pts = {{a, 0}, {W - a, 0}, {W, C}, {W - a, W}, {a, W}, {0, C}};
      break;
    }
    case 10: {  // octagon: corners cut by a across, and by the second value (if any) down
      const int32_t a = std::min(adj(0, 6326), C), b = std::min(adj(1, a), C);
      pts = {{a, 0}, {W - a, 0}, {W, b}, {W, W - b}, {W - a, W}, {a, W}, {0, W - b}, {0, b}};
      break;
    }
    case 11: {  // plus: arms a in from the sides, and the second value (if any) from top and bottom
      const int32_t a = std::min(adj(0, 5400), C), b = std::min(adj(1, a), C);
      pts = {{a, 0}, {W - a, 0}, {W - a, b}, {W, b}, {W, W - b}, {W - a, W - b}, {W - a, W}, {a, W}, {a, W - b}, {0, W - b}, {0, b}, {a, b}};
      break;
    }
    case 12:  // five-pointed star
      pts = {{C, 0}, {13320, 8259}, {W, 8259}, {14880, 13405}, {17400, W}, {C, 16581}, {4200, W}, {6720, 13405}, {0, 8259}, {8280, 8259}};
      break;
    case 13: {  // right arrow: head from x = a, shaft from y = b down to W - b
      const int32_t a = adj(0, 16200), b = std::min(adj(1, 5400), C);
      pts = {{0, b}, {a, b}, {a, 0}, {W, C}, {a, W}, {a, W - b}, {0, W - b}};
      break;
    }
    case 15: {  // home plate
      const int32_t a = adj(0, 16200);
      pts = {{0, 0}, {a, 0}, {W, C}, {a, W}, {0, W}};
      break;
    }
    case 55: {  // chevron
      const int32_t a = adj(0, 16200);
      pts = {{0, 0}, {a, 0}, {W, C}, {a, W}, {0, W}, {W - a, C}};
      break;
    }
    case 56: pts = {{C, 0}, {W, 8259}, {17400, W}, {4200, W}, {0, 8259}}; break;  // pentagon
    case 66: {  // left arrow
      const int32_t a = adj(0, 5400), b = std::min(adj(1, 5400), C);
      pts = {{W, b}, {a, b}, {a, 0}, {0, C}, {a, W}, {a, W - b}, {W, W - b}};
      break;
    }
    case 67: {  // down arrow
      const int32_t a = adj(0, 16200), b = std::min(adj(1, 5400), C);
      pts = {{b, 0}, {b, a}, {0, a}, {C, W}, {W, a}, {W - b, a}, {W - b, 0}};
      break;
    }
    case 68: {  // up arrow
      const int32_t a = adj(0, 5400), b = std::min(adj(1, 5400), C);
      pts = {{b, W}, {b, a}, {0, a}, {C, 0}, {W, a}, {W - b, a}, {W - b, W}};
      break;
    }
    case 69: {  // left-right arrow
      const int32_t a = std::min(adj(0, 4320), C), b = std::min(adj(1, 5400), C);
      pts = {{0, C}, {a, 0}, {a, b}, {W - a, b}, {W - a, 0}, {W, C}, {W - a, W}, {W - a, W - b}, {a, W - b}, {a, W}};
      break;
    }
    case 70: {  // up-down arrow
      const int32_t a = std::min(adj(0, 5400), C), b = std::min(adj(1, 4320), C);
      pts = {{C, 0}, {W, b}, {W - a, b}, {W - a, W - b}, {W, W - b}, {C, W}, {0, W - b}, {a, W - b}, {a, b}, {0, b}};
      break;
    }
    case 110: pts = {{C, 0}, {W, C}, {C, W}, {0, C}}; break;                    // flowchart decision
    case 117: pts = {{4320, 0}, {W - 4320, 0}, {W, C}, {W - 4320, W}, {4320, W}, {0, C}}; break;  // preparation
    case 119: pts = {{0, 0}, {W, 0}, {W - 4320, W}, {4320, W}}; break;           // manual operation
    case 127: pts = {{C, 0}, {W, W}, {0, W}}; break;                              // extract
    case 128: pts = {{0, 0}, {W, 0}, {C, W}}; break;                              // merge
    default: return {};
  }
  std::vector<uint16_t> commands;  // one figure: move, lines, close
  commands.push_back(static_cast<uint16_t>(2 << 13));
  commands.push_back(static_cast<uint16_t>(pts.size() - 1));
  commands.push_back(static_cast<uint16_t>(3 << 13));
  return freeformOutline({pts, commands, 0, 0, W, W, flipH, flipV}, box);
}

std::pair<int, int> pictureDrawSize(int width, int height, const BoxMm& box, double maxDotsPerMm) {
  const int w = std::clamp(static_cast<int>(std::ceil(box.w * maxDotsPerMm)), 1, std::max(width, 1));
  const int h = std::clamp(static_cast<int>(std::ceil(box.h * maxDotsPerMm)), 1, std::max(height, 1));
  return {w, h};
}

}  // namespace zel::report
