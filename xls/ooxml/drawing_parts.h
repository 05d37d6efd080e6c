// The drawing layer of a worksheet package: the theme's colours, DrawingML drawings
// (xl/drawings/drawingN.xml), legacy VML drawings (form controls, note boxes, groups) and the
// OLE objects and controls they draw, turned into the shapes the BIFF drawing layer gives,
// anchored to cells the same way.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "xls/biff_workbook.h"
#include "xls/drawing/picture_store.h"
#include "xls/drawing/sheet_drawing.h"
#include "xls/ooxml/package.h"
#include "xls/ooxml/formula_text.h"
#include "xls/ooxml/part_readers.h"
#include "xls/ooxml/theme_colors.h"
#include "xls/ooxml/xml_reader.h"

namespace zel::xls::ooxml {

inline constexpr size_t kMaxDrawingShapes = 65536;
inline constexpr int kMaxGroupDepth = 32;

// A sheet's columns and rows in pixels, to turn EMU and pixel offsets into the cell anchors
// of the BIFF drawing layer (1/1024 of a column's width, 1/256 of a row's height).
class SheetGrid {
 public:
  explicit SheetGrid(const SheetData& sheet);
  double columnPixels(uint32_t col) const;
  double rowPixels(uint32_t row) const;
  // The cell and offset a distance from the sheet's top left (or from a cell's corner) reaches.
  drawing::CellAnchor anchor(uint32_t col1, double dxPixels1, uint32_t row1, double dyPixels1, uint32_t col2,
                             double dxPixels2, uint32_t row2, double dyPixels2) const;
  // Moves from a column (row) and pixel offset by `pixels` to the right (down).
  std::pair<uint32_t, double> walkColumns(uint32_t col, double offset, double pixels) const;
  std::pair<uint32_t, double> walkRows(uint32_t row, double offset, double pixels) const;

 private:
  double defaultRow() const { return sheet_.defaultRowHeightTwips / 15.0; }
  const SheetData& sheet_;
  std::vector<ColumnInfo> columns_;  // by first column
  double defaultColumn_;
  // Columns and rows stepped over by all walks of one sheet, so that hostile offsets cannot
  // cost more than this.
  mutable uint32_t budget_ = 1u << 22;
};

inline constexpr double kEmuPerPixel = 9525.0;

// "[0]!Macro1" as OnAction shows it ("Macro1"); "[1]!Macro1" with the external book's file
// name ("Other.xlsm!Macro1"); other texts without a leading "=".
std::string macroText(std::string_view stored, const std::vector<ExternalBookName>& books);

struct DrawingContext {
  const ThemeColors& theme;
  const std::vector<uint32_t>& palette;
  const SheetGrid& grid;
  const std::vector<ExternalBookName>& books;
  // The 1-based picture-store index of an image the part's relationship id names; 0 when none.
  std::function<uint32_t(const std::string&)> picture;
};

struct DrawingPart {
  std::vector<drawing::Shape> shapes;
  // Names Excel gave legacy form controls, by their VML shape id ("_x0000_s1025" -> "Button 1").
  std::map<std::string, std::string> controlNames;
  std::vector<std::string> warnings;
};
DrawingPart readDrawingPart(XmlReader& xml, const DrawingContext& context);

// A legacy VML drawing, read tolerantly (it is often not well-formed XML): groups (v:group)
// hold their members in the group's coordinates, nested at most kMaxGroupDepth deep.
// controlNames from the sheet's DrawingML part name the controls.
struct VmlPart {
  std::vector<drawing::Shape> shapes;
  std::set<std::pair<uint32_t, uint32_t>> shownNotes;  // (row, column) of notes shown on the sheet
  std::vector<std::string> warnings;
};
VmlPart readVmlPart(std::string_view text, const DrawingContext& context,
                    const std::map<std::string, std::string>& controlNames);

// What tying a sheet's OLE objects and controls to their shapes needs: the package (are the
// parts there), the sheet's relationships, its grid, and the images of its relationship ids.
struct SheetObjectContext {
  const Package& package;
  const std::vector<Relationship>& sheetRels;
  const SheetGrid& grid;
  std::function<uint32_t(const std::string&)> picture;
};
// The legacy picture shape of each object's shape id becomes that object: an embedded OLE
// object ("Object 3") or a control named by its code name. An object without its shape is
// added where its own anchor puts it, or counted unreadable when it has none. A part that is
// missing gives a warning.
void tieSheetObjects(std::vector<drawing::Shape>& shapes, const std::vector<SheetObjectRef>& objects,
                     const SheetObjectContext& context, drawing::SheetDrawing& out);

// What the drawings of every sheet share: the package, theme, palette, external books and the
// workbook's picture store that images are added to (each image part once).
struct DrawingSources {
  const Package& package;
  ThemeColors theme;
  std::vector<uint32_t> palette;
  const std::vector<ExternalBookName>& books;
  drawing::PictureStore pictures;
  std::map<std::string, uint32_t> pictureParts;  // image part -> 1-based index
};

// The DrawingML and VML drawings of the sheet part `sheetPart` (through the relationships its
// links name): its shapes, DrawingML first, with its OLE objects and controls. Note boxes take
// their text from the sheet's notes, and the notes their object id and shown state from the boxes.
drawing::SheetDrawing readSheetDrawings(DrawingSources& sources, const std::string& sheetPart,
                                        const SheetPartLinks& links, SheetData& sheet);

// Excel's RGB number (red + green*256 + blue*65536) of 0xRRGGBB.
inline int32_t excelColor(uint32_t rrggbb) {
  return static_cast<int32_t>(((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16));
}

}  // namespace zel::xls::ooxml
