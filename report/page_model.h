// The page-layout model: pages as positioned text boxes, rules and shaded boxes in millimetres.
// Pure data, built by the paginator and the special layouts, drawn by the page painter and
// read directly by tests.
#pragma once
#include "report/report_definition.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel::report {

struct BoxMm {
  double x = 0, y = 0, w = 0, h = 0;
  double right() const { return x + w; }
  double bottom() const { return y + h; }
};

// One line of text (wrapped texts become several boxes). Vertical texts run top to bottom.
struct PageText {
  BoxMm box;
  std::string text;
  FontRole font = FontRole::Body;
  Align align = Align::Left;
  bool bold = false;
  bool vertical = false;
  // Free font and colour (printed sheets): used when pointSize > 0 instead of the style.
  std::string family{};
  double pointSize = 0;
  bool italic = false, underline = false;
  uint32_t rgb = 0;  // 0xRRGGBB
  // Drawn clipped to this box when it has a width (a cell's text inside its cell).
  BoxMm clip{};
  // Size of the style's font, as a factor (a long vertical text shrunk to fit its strip).
  double scale = 1.0;
};

struct PageRule {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double widthMm = 0.15;
  bool light = false;  // grey hairline between records
  bool dashed = false;
  uint32_t rgb = 0;    // 0xRRGGBB when not light
};

struct PageFill {
  BoxMm box;
  int gray = 235;  // 0..255
  int64_t rgb = -1;  // 0xRRGGBB in place of gray when set
};

struct Page {
  std::vector<PageFill> fills;
  std::vector<PageRule> rules;
  std::vector<PageText> texts;
};

struct PaperSize {
  double widthMm = 210, heightMm = 297;
  Orientation orientation = Orientation::Portrait;
};

PaperSize paperFor(Orientation o);

// Page margins and bands shared by the layouts.
namespace margin {
inline constexpr double kSide = 12.0;
inline constexpr double kTop = 10.0;
inline constexpr double kBottom = 10.0;
}  // namespace margin

}  // namespace zel::report
