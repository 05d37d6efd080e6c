// How a cell's formatting prints beyond its value: border line styles as rules (double lines
// as two), fill patterns, and the geometry of turned text.
#pragma once
#include "report/page_model.h"

#include <cstdint>
#include <vector>

namespace zel::report {

// One edge of a border in the style numbering of the workbook (1 thin .. 13 slanted dash-dot),
// as one rule or, for a double line, two; `scale` is the print's zoom as a factor. Both lines of a
// double border lie on the edge's inner side and outer side, 1 pixel apart.
void addBorderEdge(std::vector<PageRule>& out, uint8_t style, uint32_t rgb, double x1, double y1, double x2,
                   double y2, double scale);

// Degrees anticlockwise of a stored text rotation (0..90 up, 91..180 down); 0 for stacked
// letters (255) and values out of range.
double textAngleDegrees(uint16_t rotation);
inline constexpr uint16_t kStackedRotation = 255;

// The upright box taken by a w x h box turned by `degrees`.
struct Extent {
  double w = 0, h = 0;
};
Extent turnedExtent(double w, double h, double degrees);

// The 8 x 8 dot mask of a fill pattern (bit 7 of a row is its left dot; a set bit takes the
// foreground colour). Patterns out of range give the solid mask.
const uint8_t* fillPatternRows(uint8_t pattern);

}  // namespace zel::report
