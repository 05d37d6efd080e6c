// Rules and fills of a page grouped for drawing with few operations: rules of one colour,
// width and dash kind in one stroke, fills of one colour or pattern in one fill. The picture
// stays the one drawing every item in order would give: a rule only moves ahead of later rules
// it does not overlap (rules that merely touch at a corner or cross do not count).
#pragma once
#include "report/page_model.h"

#include <vector>

namespace zel::report {

struct Segment {
  PointMm a, b;
};

// Rules alike in colour, width and dashes, drawn together. Exact repeats are dropped, and
// solid rules on one line that touch or overlap are joined into one segment.
struct RuleBatch {
  const PageRule* style = nullptr;  // colour, width and dashes of every segment
  std::vector<Segment> segments;
};

std::vector<RuleBatch> batchRules(const std::vector<PageRule>& rules);

// Fills of one colour or pattern, with rectangles side by side in a row (same top and
// height) joined, then such rows stacked (same left and width) joined.
struct FillBatch {
  const PageFill* style = nullptr;
  std::vector<BoxMm> boxes;
};

std::vector<FillBatch> batchFills(const std::vector<PageFill>& fills);

}  // namespace zel::report
