// Border edges, fill pattern masks and turned-text geometry of the printed sheet.
#include "report/sheet_cell_style.h"

#include <cmath>
#include <numbers>

namespace zel::report {
namespace {

constexpr double kMmPerPixel = 25.4 / 96.0;

struct EdgePen {
  double widthPx;
  LineDash dash;
};

EdgePen edgePen(uint8_t style) {
  switch (style) {
    case 2: return {2, LineDash::Solid};
    case 3: return {1, LineDash::Dash};
    case 4: return {1, LineDash::Dot};
    case 5: return {3, LineDash::Solid};
    case 7: return {1, LineDash::Hair};
    case 8: return {2, LineDash::MediumDash};
    case 9: return {1, LineDash::DashDot};
    case 10: return {2, LineDash::MediumDashDot};
    case 11: return {1, LineDash::DashDotDot};
    case 12: return {2, LineDash::MediumDashDotDot};
    case 13: return {2, LineDash::SlantDashDot};
    default: return {1, LineDash::Solid};  // thin, and unknown styles
  }
}

// Printed line widths: one screen pixel prints as 0.2 mm at 100 %, as Excel's thin line.
constexpr double kMmPerLinePixel = 0.2;

}  // namespace

void addBorderEdge(std::vector<PageRule>& out, uint8_t style, uint32_t rgb, double x1, double y1, double x2,
                   double y2, double scale) {
  if (style == 0) return;
  PageRule r;
  r.x1 = x1;
  r.y1 = y1;
  r.x2 = x2;
  r.y2 = y2;
  r.rgb = rgb;
  if (style == 6) {
    // Double: two thin lines with one pixel between them, centred on the edge.
    const double off = kMmPerPixel * scale;
    const bool horizontal = std::abs(y2 - y1) < std::abs(x2 - x1);
    r.widthMm = kMmPerLinePixel * 0.75 * scale;
    for (double s : {-off, off}) {
      PageRule d = r;
      if (horizontal) {
        d.y1 += s;
        d.y2 += s;
      } else {
        d.x1 += s;
        d.x2 += s;
      }
      out.push_back(d);
    }
    return;
  }
  EdgePen pen = edgePen(style);
  r.widthMm = pen.widthPx * kMmPerLinePixel * scale;
  r.dash = pen.dash;
  out.push_back(r);
}

double textAngleDegrees(uint16_t rotation) {
  if (rotation <= 90) return rotation;
  if (rotation <= 180) return -static_cast<double>(rotation - 90);
  return 0;
}

Extent turnedExtent(double w, double h, double degrees) {
  const double a = degrees * std::numbers::pi / 180.0;
  const double c = std::abs(std::cos(a)), s = std::abs(std::sin(a));
  return Extent{w * c + h * s, w * s + h * c};
}

const uint8_t* fillPatternRows(uint8_t pattern) {
  static constexpr uint8_t kRows[kFillPatternCount + 1][8] = {
      {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // (none: not drawn)
      {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // 1 solid
      {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},  // 2 50 % grey
      {0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD},  // 3 75 % grey
      {0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22},  // 4 25 % grey
      {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},  // 5 dark horizontal
      {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},  // 6 dark vertical
      {0xCC, 0x66, 0x33, 0x99, 0xCC, 0x66, 0x33, 0x99},  // 7 dark down diagonal
      {0x33, 0x66, 0xCC, 0x99, 0x33, 0x66, 0xCC, 0x99},  // 8 dark up diagonal
      {0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33},  // 9 dark grid
      {0xCC, 0xFF, 0x33, 0xFF, 0xCC, 0xFF, 0x33, 0xFF},  // 10 dark trellis
      {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},  // 11 light horizontal
      {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},  // 12 light vertical
      {0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11},  // 13 light down diagonal
      {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88},  // 14 light up diagonal
      {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88},  // 15 light grid
      {0x88, 0x55, 0x22, 0x55, 0x88, 0x55, 0x22, 0x55},  // 16 light trellis
      {0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00},  // 17 12.5 % grey
      {0x88, 0x00, 0x00, 0x00, 0x22, 0x00, 0x00, 0x00},  // 18 6.25 % grey
  };
  return kRows[pattern <= kFillPatternCount ? pattern : 1];
}

}  // namespace zel::report
