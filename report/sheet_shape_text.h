// The text of a text box, button or placeholder laid out inside its shape: lines broken to the
// box's width, aligned both ways, fonts changing within the text, turned with the text's own
// turn and the shape's rotation. The result is free texts the page painters draw as they are.
#pragma once
#include "report/page_model.h"
#include "report/sheet_metrics.h"

#include <string>
#include <vector>

namespace zel::report {

// A font from byte `firstByte` of the text on.
struct ShapeFontSpan {
  size_t firstByte = 0;
  SheetFont font;
};

enum class ShapeTextTurn : uint8_t { Across, Stacked, Anticlockwise, Clockwise };
enum class VerticalPlace : uint8_t { Top, Centre, Bottom };

struct ShapeTextPlacement {
  BoxMm box;                 // the shape's unturned box
  double rotation = 0;       // the shape's, degrees clockwise
  Align align = Align::Left;
  VerticalPlace vertical = VerticalPlace::Top;
  ShapeTextTurn turn = ShapeTextTurn::Across;
  // Inner margins of the unturned box.
  double marginLeftMm = 0, marginTopMm = 0, marginRightMm = 0, marginBottomMm = 0;
};

// One free text per piece of a line in one font. `fonts` must start at byte 0.
std::vector<PageText> layoutShapeText(const std::string& text, const std::vector<ShapeFontSpan>& fonts,
                                      const ShapeTextPlacement& where, SheetTextMetrics& metrics);

}  // namespace zel::report
