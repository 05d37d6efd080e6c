// The page-layout model: pages as positioned text boxes, rules and shaded boxes in millimetres.
// Pure data, built by the paginator and the special layouts, drawn by the page painter and
// read directly by tests.
#pragma once
#include "report/report_definition.h"

#include <cstdint>
#include <memory>
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
  // Degrees anticlockwise; the box is the text's own box, turned about its centre.
  double rotation = 0;
};

// Dash kinds of a rule; the painter gives the dashes their lengths.
enum class LineDash : uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Hair, MediumDash, MediumDashDot,
                                MediumDashDotDot, SlantDashDot };

// On and off lengths of a dash kind, in pixels of the sheet at 100 % (1/96 inch); empty: solid.
inline std::vector<double> dashLengthsPx(LineDash d) {
  switch (d) {
    case LineDash::Dash: return {3, 1};
    case LineDash::Dot: return {1, 1};
    case LineDash::Hair: return {0.5, 0.5};
    case LineDash::DashDot: return {3, 1, 1, 1};
    case LineDash::DashDotDot: return {3, 1, 1, 1, 1, 1};
    case LineDash::MediumDash: return {9, 3};
    case LineDash::MediumDashDot:
    case LineDash::SlantDashDot: return {9, 3, 3, 3};
    case LineDash::MediumDashDotDot: return {9, 3, 3, 3, 3, 3};
    case LineDash::Solid: break;
  }
  return {};
}

struct PageRule {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double widthMm = 0.15;
  bool light = false;  // grey hairline between records
  LineDash dash = LineDash::Solid;
  uint32_t rgb = 0;    // 0xRRGGBB when not light
};

// Cell fill patterns as numbered in the workbook (1 solid .. 18 6.25% grey).
inline constexpr int kFillPatternCount = 18;

struct PageFill {
  BoxMm box;
  int gray = 235;  // 0..255
  int64_t rgb = -1;  // 0xRRGGBB in place of gray when set; the pattern's foreground
  uint8_t pattern = 1;      // 1 solid; 2..18 a pattern of rgb over backRgb
  uint32_t backRgb = 0xFFFFFF;
  double patternCellMm = 0; // side of one pattern dot
};

struct PointMm {
  double x = 0, y = 0;
};

// A polyline, or a polygon when closed (chart bars, slices, series lines), in millimetres.
struct PagePath {
  std::vector<PointMm> points;
  bool closed = false;
  int64_t fillRgb = -1;  // 0xRRGGBB; -1 no fill
  int64_t lineRgb = 0;   // 0xRRGGBB; -1 no line
  double lineWidthMm = 0.2;
  LineDash dash = LineDash::Solid;
};

// A chart drawn inside a shape's box: paths, then texts (free-font PageTexts, rotation
// honoured), with positions relative to the box's top-left corner.
struct ChartPicture {
  std::vector<PagePath> paths;
  std::vector<PageText> texts;
};

// One command of a drawn outline: move to, line to, cubic curve to (two control points, then
// the end point), close the current figure; end the current path (its figures are filled and
// stroked together), or mark the current path as not filled or not stroked.
struct PathStep {
  enum class Op : uint8_t { Move, Line, Curve, Close, End, NoFill, NoLine };
  Op op = Op::Move;
  PointMm p[3]{};
};

// A drawing-layer object of a printed sheet, drawn above the cells in drawing order.
struct PageShape {
  enum class Kind : uint8_t { Rectangle, Oval, Line, Picture, Placeholder, Chart, Freeform };
  Kind kind = Kind::Rectangle;
  BoxMm box;                     // the shape's own box, before it is turned
  BoxMm clip;                    // the page's cell area
  double rotation = 0;           // degrees clockwise about the box's centre
  bool fromTopRight = false;     // a line: from the top right to the bottom left, else top left to bottom right
  int64_t fillRgb = -1;          // 0xRRGGBB; -1 no fill
  int64_t lineRgb = 0;           // 0xRRGGBB; -1 no line
  double lineWidthMm = 0.26;
  LineDash dash = LineDash::Solid;
  uint8_t startArrow = 0, endArrow = 0;  // 0 none, else an arrowhead
  // The shape's text, already laid out: one free text per line and font, placed on the page
  // (turned with the shape), drawn clipped to the shape's box.
  std::vector<PageText> texts;
  std::string caption;           // the text as one string (a placeholder's caption, tests)
  // Picture: PNG, JPEG or BMP file bytes, shared between the pages that show it.
  std::shared_ptr<const std::vector<uint8_t>> image;
  // Chart: its drawing, shared between the pages that show it.
  std::shared_ptr<const ChartPicture> chart;
  // Freeform: its outline on the page, before it is turned (figures filled where closed or not).
  std::vector<PathStep> outline;
};

struct Page {
  std::vector<PageFill> fills;
  std::vector<PageRule> rules;
  std::vector<PageText> texts;
  std::vector<PageShape> shapes;
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
