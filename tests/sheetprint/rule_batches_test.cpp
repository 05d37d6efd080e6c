// Grouping of rules and fills for drawing: the grouped drawing must show what drawing every
// item in page order shows (shared edges keep the later style on top), with fewer operations.
#include "report/rule_batches.h"

#include <gtest/gtest.h>

using namespace zel::report;

namespace {

PageRule rule(double x1, double y1, double x2, double y2, uint32_t rgb, LineDash dash = LineDash::Solid) {
  PageRule r;
  r.x1 = x1;
  r.y1 = y1;
  r.x2 = x2;
  r.y2 = y2;
  r.rgb = rgb;
  r.widthMm = 0.2;
  r.dash = dash;
  return r;
}

// The batch drawn last among those holding a segment that covers the point.
int topBatchAt(const std::vector<RuleBatch>& batches, double x, double y) {
  int top = -1;
  for (size_t i = 0; i < batches.size(); ++i)
    for (const Segment& s : batches[i].segments) {
      const bool onH = std::abs(s.a.y - y) < 1e-9 && std::min(s.a.x, s.b.x) <= x && x <= std::max(s.a.x, s.b.x);
      const bool onV = std::abs(s.a.x - x) < 1e-9 && std::min(s.a.y, s.b.y) <= y && y <= std::max(s.a.y, s.b.y);
      if (onH || onV) top = static_cast<int>(i);
    }
  return top;
}

}  // namespace

TEST(RuleBatches, SharedEdgesKeepTheirOrderAndTheRestIsGrouped) {
  // A row of cells whose borders alternate red and blue; the cell edges between them are given
  // by both neighbours, the later one on top. Then a black underline of the whole row, a pixel
  // below the bottom edge.
  std::vector<PageRule> rules;
  for (int c = 0; c < 6; ++c) {
    const uint32_t rgb = c % 2 ? 0x0000FF : 0xFF0000;
    const double x = c * 10.0;
    rules.push_back(rule(x, 0, x + 10, 0, rgb));
    rules.push_back(rule(x, 5, x + 10, 5, rgb));
    rules.push_back(rule(x, 0, x, 5, rgb));
    rules.push_back(rule(x + 10, 0, x + 10, 5, rgb));
  }
  rules.push_back(rule(0, 5.3, 60, 5.3, 0x000000));
  rules.push_back(rule(0, 5, 60, 5, 0x00FF00, LineDash::Dash));
  const auto batches = batchRules(rules);

  // Every shared vertical edge shows the cell to its right (drawn later).
  for (int c = 1; c < 6; ++c) {
    const int top = topBatchAt(batches, c * 10.0, 2.5);
    ASSERT_GE(top, 0);
    EXPECT_EQ(batches[static_cast<size_t>(top)].style->rgb, c % 2 ? 0x0000FFu : 0xFF0000u) << "edge " << c;
  }
  // The dashed green line covers the bottom edges, the black line lies above them too.
  EXPECT_EQ(batches[static_cast<size_t>(topBatchAt(batches, 15, 5))].style->rgb, 0x00FF00u);
  EXPECT_LT(topBatchAt(batches, 15, 5.3), topBatchAt(batches, 15, 5));
  // Fewer strokes than rules, no segment lost: the top edges (which touch only at corners)
  // are one red and one blue line across the row.
  EXPECT_LE(batches.size(), 8u);
  size_t redTop = 0;
  for (const auto& b : batches)
    for (const Segment& s : b.segments)
      if (b.style->rgb == 0xFF0000 && s.a.y == 0 && s.b.y == 0) ++redTop;
  EXPECT_GE(redTop, 1u);
  for (double x : {5.0, 15.0, 25.0, 35.0, 45.0, 55.0}) EXPECT_GE(topBatchAt(batches, x, 0), 0) << x;
}

TEST(RuleBatches, DashedRepeatsDrawnOnceInTheirDirectionAndFillsJoined) {
  std::vector<PageRule> rules = {rule(0, 0, 0, 5, 0, LineDash::Dot), rule(0, 0, 0, 5, 0, LineDash::Dot),
                                 rule(0, 5, 0, 10, 0, LineDash::Dot), rule(0, 10, 0, 5, 0, LineDash::Dot)};
  const auto batches = batchRules(rules);
  ASSERT_EQ(batches.size(), 1u);
  // Dashes start at a segment's first end: touching dashed pieces are not joined, a reversed
  // one is not a repeat.
  EXPECT_EQ(batches[0].segments.size(), 3u);

  // Cells of a 3 x 2 block of one colour and a lone cell of another become two rectangles.
  std::vector<PageFill> fills;
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) fills.push_back({{c * 10.0, r * 4.0, 10, 4}, 235, 0xFFFF00});
  fills.push_back({{30, 0, 10, 4}, 235, 0x00FF00});
  fills.push_back({{0, 8, 10, 4}, 235, 0xFFFF00});
  const auto fillBatches = batchFills(fills);
  ASSERT_EQ(fillBatches.size(), 2u);
  for (const auto& b : fillBatches) {
    if (b.style->rgb != 0xFFFF00) continue;
    ASSERT_EQ(b.boxes.size(), 2u);
    double area = 0;
    for (const BoxMm& box : b.boxes) area += box.w * box.h;
    EXPECT_DOUBLE_EQ(area, 7 * 40.0);
  }
}
