// The OfficeArt record tree of a sheet's drawing (the MSODRAWING data joined in order): the
// shape containers under the patriarch group, with the properties the Shapes layer reads.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "xls/drawing/sheet_drawing.h"

namespace zel::xls::drawing {

// Containers nested deeper than this are not followed (a sheet drawing needs about five).
inline constexpr int kMaxArtDepth = 16;
// Shapes followed in one drawing; a hostile stream cannot make more items than this.
inline constexpr size_t kMaxArtShapes = 65536;

namespace art {
constexpr uint16_t DgContainer = 0xF002;
constexpr uint16_t SpgrContainer = 0xF003;
constexpr uint16_t SpContainer = 0xF004;
constexpr uint16_t Fspgr = 0xF009;
constexpr uint16_t ChildAnchor = 0xF00F;
constexpr uint16_t Fsp = 0xF00A;
constexpr uint16_t Fopt = 0xF00B;
constexpr uint16_t ClientTextbox = 0xF00D;
constexpr uint16_t ClientAnchor = 0xF010;
constexpr uint16_t ClientData = 0xF011;
constexpr uint16_t TertiaryFopt = 0xF122;
}  // namespace art

// Property ids read by the Shapes layer.
namespace prop {
constexpr uint16_t Rotation = 0x0004;
constexpr uint16_t FillColor = 0x0181;
constexpr uint16_t FillBooleans = 0x01BF;
constexpr uint16_t LineColor = 0x01C0;
constexpr uint16_t LineDashing = 0x01CE;
constexpr uint16_t LineBooleans = 0x01FF;
constexpr uint16_t ShapeName = 0x0380;
constexpr uint16_t PictureIndex = 0x0104;
constexpr uint16_t LineWidth = 0x01CB;
constexpr uint16_t LineStartArrow = 0x01D0;
constexpr uint16_t LineEndArrow = 0x01D1;
constexpr uint16_t TextLeft = 0x0081;
constexpr uint16_t TextTop = 0x0082;
constexpr uint16_t TextRight = 0x0083;
constexpr uint16_t TextBottom = 0x0084;
constexpr uint16_t GeoLeft = 0x0140;
constexpr uint16_t GeoTop = 0x0141;
constexpr uint16_t GeoRight = 0x0142;
constexpr uint16_t GeoBottom = 0x0143;
constexpr uint16_t Vertices = 0x0145;
constexpr uint16_t SegmentInfo = 0x0146;
constexpr uint16_t AdjustValue = 0x0147;
constexpr uint16_t Adjust2Value = 0x0148;
}  // namespace prop

// FSP flags.
constexpr uint32_t kFspGroup = 0x0001;
constexpr uint32_t kFspPatriarch = 0x0004;
constexpr uint32_t kFspDeleted = 0x0008;
constexpr uint32_t kFspFlipH = 0x0040;
constexpr uint32_t kFspFlipV = 0x0080;

struct ArtShape {
  uint32_t shapeId = 0;
  uint32_t flags = 0;
  uint16_t shapeType = 0;    // MSOSPT: the FSP record's instance
  bool hasFsp = false;
  std::map<uint16_t, uint32_t> properties;     // simple properties by id
  std::optional<std::u16string> name;          // wzName
  std::vector<uint8_t> vertices, segmentInfo;  // pVertices and pSegmentInfo arrays as stored
  int clientData = -1;       // ordinal of its OfficeArtClientData in the drawing (-> OBJ)
  int clientTextbox = -1;    // ordinal of its OfficeArtClientTextbox (-> TXO)
  bool damaged = false;      // a record of the container could not be read
  bool isGroup = false;      // came from an OfficeArtSpgrContainer
  std::optional<CellAnchor> anchor;       // OfficeArtClientAnchorSheet
  std::optional<ArtRect> childAnchor;     // OfficeArtChildAnchor
  std::optional<ArtRect> groupExtent;     // OfficeArtFSPGR
  std::vector<ArtShape> members;  // group members, in drawing order
};

struct ArtDrawing {
  std::vector<ArtShape> shapes;  // top-level items under the patriarch
  int clientDataCount = 0;
  int clientTextboxCount = 0;
  std::vector<std::string> warnings;
};

// Parses the joined drawing bytes. Never throws: damaged parts are left out with a warning
// (and containers read as far as they go).
ArtDrawing parseArtDrawing(std::span<const uint8_t> bytes);

}  // namespace zel::xls::drawing
