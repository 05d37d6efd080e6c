// The drawing layer of a printed sheet: shapes placed by their cell anchors (group members
// inside their group), their fill, line, arrowheads and text, and pictures from the
// workbook's picture store. Positions are in millimetres from the sheet's top-left corner.
#pragma once
#include "report/page_model.h"
#include "report/sheet_metrics.h"
#include "xls/drawing/picture_store.h"
#include "xls/drawing/sheet_drawing.h"

#include <functional>
#include <string>
#include <vector>

namespace zel::report {

// Position of a column (row) edge plus a fraction of that column's width (row's height).
using EdgeAt = std::function<double(int index, double fraction)>;

struct SheetShapeStyle {
  double scale = 1;                                  // the print's zoom as a factor
  std::function<SheetFont(uint16_t index)> fontOf;   // a workbook font, scaled; index 0 the standard font
  SheetTextMetrics* metrics = nullptr;               // lays out the shapes' texts
};

// Printable shapes in drawing order (comments and hidden parts are left out). A picture that
// cannot be drawn becomes a framed placeholder with its name, and a warning says why.
std::vector<PageShape> placeSheetShapes(const xls::drawing::SheetDrawing& drawing,
                                        const xls::drawing::PictureStore& pictures, const EdgeAt& colX,
                                        const EdgeAt& rowY, const SheetShapeStyle& style,
                                        std::vector<std::string>& warnings);

// The last column and row any top-level shape reaches (-1 without shapes).
std::pair<int, int> shapesExtent(const xls::drawing::SheetDrawing& drawing);

}  // namespace zel::report
