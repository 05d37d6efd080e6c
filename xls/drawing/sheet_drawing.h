// The drawing layer of one sheet as Excel 97's Shapes collection gives it: top-level shapes in
// drawing order (a group is one item, its members reachable through it), each with its
// object kind, name, assigned macro, fill, line and text.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "xls/chart/chart_model.h"

namespace zel::xls::drawing {

// FtCmo object kinds (ot) of the OBJ record.
namespace kind {
constexpr uint16_t Group = 0x00;
constexpr uint16_t Line = 0x01;
constexpr uint16_t Rectangle = 0x02;
constexpr uint16_t Oval = 0x03;
constexpr uint16_t Arc = 0x04;
constexpr uint16_t Chart = 0x05;
constexpr uint16_t TextBox = 0x06;
constexpr uint16_t Button = 0x07;
constexpr uint16_t Picture = 0x08;
constexpr uint16_t Polygon = 0x09;
constexpr uint16_t CheckBox = 0x0B;
constexpr uint16_t OptionButton = 0x0C;
constexpr uint16_t EditBox = 0x0D;
constexpr uint16_t Label = 0x0E;
constexpr uint16_t DialogBox = 0x0F;
constexpr uint16_t Spinner = 0x10;
constexpr uint16_t ScrollBar = 0x11;
constexpr uint16_t ListBox = 0x12;
constexpr uint16_t GroupBox = 0x13;
constexpr uint16_t DropDown = 0x14;
constexpr uint16_t Note = 0x19;
constexpr uint16_t OfficeArt = 0x1E;
}  // namespace kind

// Excel's msoLineDashStyle constants (Line.DashStyle).
namespace dash {
constexpr int Solid = 1;
constexpr int SquareDot = 2;
constexpr int RoundDot = 3;
constexpr int Dash = 4;
constexpr int DashDot = 5;
constexpr int DashDotDot = 6;
constexpr int LongDash = 7;
constexpr int LongDashDot = 8;
}  // namespace dash

// Where a top-level shape sits (OfficeArtClientAnchorSheet): its corners as a cell and an
// offset in 1/1024 of that column's width and 1/256 of that row's height.
// Rows are 32-bit: an Office 2007+ sheet anchors shapes down to row 1 048 576.
struct CellAnchor {
  uint16_t col1 = 0, dx1 = 0;
  uint32_t row1 = 0;
  uint16_t dy1 = 0;
  uint16_t col2 = 0, dx2 = 0;
  uint32_t row2 = 0;
  uint16_t dy2 = 0;
};

// A rectangle in a group's own coordinates (a member's child anchor, a group's extent).
struct ArtRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The outline of a freeform shape (pVertices, pSegmentInfo): points in the coordinates of its
// geometry box, and the stored path commands (MSOPATHINFO) that join them. At most
// kMaxFreeformPoints points and as many commands are kept.
inline constexpr size_t kMaxFreeformPoints = 16384;
struct Freeform {
  ArtRect box{0, 0, 21600, 21600};  // geoLeft, geoTop, geoRight, geoBottom
  std::vector<std::pair<int32_t, int32_t>> points;
  std::vector<uint16_t> commands;   // empty: the points joined by lines
};

// Arrowheads of a line end (msolineEndType: 0 none, 1 triangle, 2 stealth, 3 diamond, 4 oval, 5 open).
struct ShapeGeometry {
  std::optional<CellAnchor> anchor;     // top-level shapes
  std::optional<ArtRect> childAnchor;   // group members
  std::optional<ArtRect> groupExtent;   // groups: the coordinates their members use
  bool flipH = false, flipV = false;    // a line runs from the top right / bottom left
  uint32_t lineWidthEmu = 9525;         // 0.75 pt
  uint8_t startArrow = 0, endArrow = 0;
  uint32_t pictureIndex = 0;            // 1-based entry of the workbook's picture store; 0 none
  double rotation = 0;                  // degrees clockwise, 0 <= rotation < 360
  std::optional<Freeform> freeform;     // a shape drawn by its own outline
  uint16_t shapeType = 0;               // MSOSPT of the FSP (1 rectangle, 5 triangle, 13 right arrow, ...)
  std::array<std::optional<int32_t>, 2> adjust;  // the preset shape's first adjust values, where stored
  // Inner margins of the shape's text: left, top, right, bottom in EMU (0.1", 0.05" unless set).
  std::array<uint32_t, 4> textMarginEmu{91440, 45720, 91440, 45720};
};

// How a shape's text sits in it (TXO): alignments as stored (1 left/top, 2 centre, 3 right/
// bottom, 4 justify, 7 distributed), turn 0 across, 1 stacked letters, 2 turned 90 degrees
// anticlockwise, 3 clockwise; fonts from a character on (workbook font indexes).
struct TextFontRun {
  uint16_t firstChar = 0;
  uint16_t font = 0;
};
struct TextFormat {
  uint8_t hAlign = 1, vAlign = 1, turn = 0;
  std::vector<TextFontRun> runs;
};

struct Shape {
  uint16_t objectKind = 0;     // FtCmo ot
  uint16_t objectId = 0;       // FtCmo id
  uint32_t shapeId = 0;        // OfficeArtFSP spid
  std::string storedName;      // wzName, "" when the file stores none
  std::string name;            // Name: the stored name or Excel's default ("Button 3")
  bool embeddedObject = false; // an OLE object embedded in the workbook (picture kind, MBD storage)
  std::string onAction;        // OnAction: "Macro1", "Book1.xls!Macro1"; "" for none
  bool filled = true;          // Fill.Visible
  std::optional<int32_t> foreColor;  // Fill.ForeColor.RGB; empty when it cannot be resolved
  bool lined = true;           // Line.Visible
  std::optional<int32_t> lineColor;  // Line.ForeColor.RGB; empty when it cannot be resolved
  int dashStyle = dash::Solid; // Line.DashStyle (msoLineDashStyle)
  bool hasText = false;        // a TXO belongs to the shape
  std::string text;            // Characters.Text
  TextFormat textFormat;       // alignment, turn and fonts of the text
  std::optional<uint32_t> noteRow, noteCol;  // cell of a note (0-based), from its NOTE record
  std::vector<Shape> members;  // group items (kind Group)
  ShapeGeometry geometry;      // placement and line ends, for printing the sheet
  std::shared_ptr<chart::ChartModel> chart;  // an embedded chart's records (kind Chart)
};

struct SheetDrawing {
  std::vector<Shape> shapes;   // Shapes(1..Count)
  int unreadable = 0;          // shapes left out because their records could not be read
  std::vector<std::string> warnings;
  bool hasPassword = false;    // PASSWORD record with a non-zero hash
};

// Excel 97's English default name for an object kind and id ("Rectangle 2", "Comment 5"); an
// embedded OLE object is an "Object" whatever picture kind its OBJ record gives.
std::string defaultShapeName(uint16_t objectKind, uint16_t objectId, bool embeddedObject);

}  // namespace zel::xls::drawing
