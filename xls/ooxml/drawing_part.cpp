// xl/drawings/drawingN.xml: the anchored shapes, groups, pictures, connectors and graphic
// frames of a sheet with their names, macros, fill, line and text, as the BIFF drawing layer
// gives them. Proxies Excel writes for legacy form controls only lend their names to the VML.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "xls/ooxml/drawing_parts.h"
#include "xls/ooxml/preset_geometry.h"
#include "xls/ooxml/xml_number.h"

namespace zel::xls::ooxml {
namespace {

namespace dk = drawing::kind;
constexpr size_t kMaxShapeText = 32767;

int64_t attrInt(const XmlReader& xml, std::string_view name, int64_t fallback) {
  return xmlInteger<int64_t>(xml.attrView(name).value_or("")).value_or(fallback);
}

bool attrTrue(const XmlReader& xml, std::string_view name) {
  auto v = xml.attr(name);
  return v && (*v == "1" || *v == "true");
}

// An offset or extent in EMU, bounded so that sums of two cannot overflow.
int64_t coordinate(const XmlReader& xml, std::string_view name) {
  constexpr int64_t kMost = int64_t{1} << 40;
  return std::clamp<int64_t>(attrInt(xml, name, 0), -kMost, kMost);
}

std::optional<uint32_t> hex(std::string_view s) {
  if (s.size() != 6) return std::nullopt;
  uint32_t v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<uint32_t> presetColor(std::string_view name) {
  static constexpr std::pair<std::string_view, uint32_t> kColors[] = {
      {"black", 0x000000}, {"white", 0xFFFFFF}, {"red", 0xFF0000},    {"green", 0x008000}, {"lime", 0x00FF00},
      {"blue", 0x0000FF},  {"yellow", 0xFFFF00}, {"cyan", 0x00FFFF}, {"magenta", 0xFF00FF}, {"gray", 0x808080},
      {"grey", 0x808080},  {"silver", 0xC0C0C0}, {"navy", 0x000080}, {"maroon", 0x800000}, {"olive", 0x808000},
      {"purple", 0x800080}, {"teal", 0x008080}, {"orange", 0xFFA500}};
  for (const auto& [n, v] : kColors)
    if (n == name) return v;
  return std::nullopt;
}

bool isColorElement(std::string_view n) {
  return n == "srgbClr" || n == "schemeClr" || n == "sysClr" || n == "prstClr" || n == "scrgbClr" || n == "hslClr";
}

// msoLineDashStyle of a preset dash.
int dashOf(std::string_view prst) {
  namespace ds = drawing::dash;
  if (prst == "solid") return ds::Solid;
  if (prst == "sysDot") return ds::RoundDot;
  if (prst == "dot" || prst == "sysDash") return ds::SquareDot;
  if (prst == "dash") return ds::Dash;
  if (prst == "dashDot" || prst == "sysDashDot") return ds::DashDot;
  if (prst == "lgDash") return ds::LongDash;
  if (prst == "lgDashDot") return ds::LongDashDot;
  if (prst == "lgDashDotDot" || prst == "sysDashDotDot") return ds::DashDotDot;
  return ds::Solid;
}

uint8_t arrowOf(std::string_view type) {
  if (type == "triangle") return 1;
  if (type == "stealth") return 2;
  if (type == "diamond") return 3;
  if (type == "oval") return 4;
  if (type == "arrow") return 5;
  return 0;
}

uint16_t kindOfGeometry(std::string_view prst) {
  if (prst == "rect") return dk::Rectangle;
  if (prst == "ellipse") return dk::Oval;
  if (prst == "line" || prst == "straightConnector1") return dk::Line;
  if (prst == "arc") return dk::Arc;
  return dk::OfficeArt;
}

struct Xfrm {
  int64_t x = 0, y = 0, cx = 0, cy = 0;
  int64_t chX = 0, chY = 0, chCx = 0, chCy = 0;
  bool child = false;
};

int32_t clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

struct Position {
  uint32_t col = 0, row = 0;
  double dx = 0, dy = 0;  // pixels
};

class DrawingReader {
 public:
  DrawingReader(XmlReader& xml, const DrawingContext& ctx) : xml_(xml), ctx_(ctx) {}

  DrawingPart run() {
    while (xml_.next()) {
      if (!xml_.isStart()) continue;
      const std::string_view n = xml_.localName();
      if (n == "twoCellAnchor" || n == "oneCellAnchor" || n == "absoluteAnchor") readAnchor(std::string(n));
      else if (n == "Fallback") xml_.skip();
    }
    return std::move(out_);
  }

 private:
  // Reads an anchor and its one shape; the shape is kept unless it is a control's proxy.
  void readAnchor(const std::string& kind) {
    Position from, to;
    int64_t extCx = 0, extCy = 0, posX = 0, posY = 0;
    std::optional<drawing::Shape> shape;
    if (xml_.isEmptyElement()) return;
    const int depth = xml_.depth();
    while (xml_.nextInside(depth)) {
      const std::string_view n = xml_.localName();
      if (xml_.isEnd()) continue;
      if (n == "from" || n == "to") readPosition(n == "from" ? from : to);
      else if (n == "ext" && !shape) extCx = attrInt(xml_, "cx", 0), extCy = attrInt(xml_, "cy", 0);
      else if (n == "pos") posX = attrInt(xml_, "x", 0), posY = attrInt(xml_, "y", 0);
      else if (n == "Fallback") xml_.skip();
      else if (isShapeElement(n) && !shape) shape = readShape(std::string(n), 0);
      else if (isShapeElement(n)) xml_.skip();
    }
    if (!shape) return;
    const SheetGrid& g = ctx_.grid;
    if (kind == "oneCellAnchor" || kind == "absoluteAnchor") {
      if (kind == "absoluteAnchor") {
        auto [c, dx] = g.walkColumns(0, 0, posX / kEmuPerPixel);
        auto [r, dy] = g.walkRows(0, 0, posY / kEmuPerPixel);
        from = Position{c, r, dx, dy};
      }
      auto [c, dx] = g.walkColumns(from.col, from.dx, extCx / kEmuPerPixel);
      auto [r, dy] = g.walkRows(from.row, from.dy, extCy / kEmuPerPixel);
      to = Position{c, r, dx, dy};
    }
    shape->geometry.anchor = g.anchor(from.col, from.dx, from.row, from.dy, to.col, to.dx, to.row, to.dy);
    if (out_.shapes.size() < kMaxDrawingShapes) out_.shapes.push_back(std::move(*shape));
  }

  void readPosition(Position& p) {
    const CellPoint c = readCellPoint(xml_);
    p = Position{c.col, c.row, c.colOffEmu / kEmuPerPixel, c.rowOffEmu / kEmuPerPixel};
  }

  static bool isShapeElement(std::string_view n) {
    return n == "sp" || n == "grpSp" || n == "pic" || n == "cxnSp" || n == "graphicFrame";
  }

  // At the start of a colour element: its RGB with the modifiers applied, the reader left on its end.
  std::optional<uint32_t> readColor(std::optional<uint32_t> placeholder) {
    const std::string element(xml_.localName());
    std::optional<uint32_t> rgb;
    if (element == "srgbClr") {
      rgb = hex(xml_.attr("val").value_or(""));
    } else if (element == "schemeClr") {
      const std::string v = xml_.attr("val").value_or("");
      rgb = v == "phClr" ? placeholder : ctx_.theme.named(v);
    } else if (element == "sysClr") {
      rgb = hex(xml_.attr("lastClr").value_or(""));
      if (!rgb) rgb = xml_.attr("val").value_or("") == "window" ? 0xFFFFFF : 0x000000;
    } else if (element == "prstClr") {
      rgb = presetColor(xml_.attr("val").value_or(""));
    } else if (element == "scrgbClr") {
      uint32_t v = 0;
      for (const char* c : {"r", "g", "b"}) {
        const double linear = std::clamp(attrInt(xml_, c, 0) / 100000.0, 0.0, 1.0);
        const double s = linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
        v = (v << 8) | static_cast<uint32_t>(std::lround(s * 255));
      }
      rgb = v;
    }
    if (xml_.isEmptyElement()) return rgb;
    const int depth = xml_.depth();
    while (xml_.nextInside(depth)) {
      const std::string_view n = xml_.localName();
      if (xml_.isEnd()) continue;
      if (rgb && (n == "lumMod" || n == "lumOff" || n == "tint" || n == "shade"))
        rgb = modifiedColor(*rgb, n, static_cast<int>(std::clamp<int64_t>(attrInt(xml_, "val", 100000), -1000000, 1000000)));
    }
    return rgb;
  }

  // At the start of a fill (solidFill, gradFill, pattFill) or a style reference: its first colour.
  std::optional<uint32_t> readFillColor(std::optional<uint32_t> placeholder) {
    std::optional<uint32_t> rgb;
    bool found = false;
    if (xml_.isEmptyElement()) return rgb;
    const int depth = xml_.depth();
    while (xml_.nextInside(depth)) {
      const std::string_view n = xml_.localName();
      if (xml_.isEnd()) continue;
      if (n == "bgClr") xml_.skip();
      else if (isColorElement(n) && !found) rgb = readColor(placeholder), found = true;
    }
    return rgb;
  }

  struct Fill {
    std::optional<bool> on;
    std::optional<uint32_t> rgb;
  };

  // A fill element of spPr or ln: noFill, solidFill, gradFill, pattFill or blipFill.
  bool readFill(std::string_view n, Fill& f) {
    if (n == "noFill") f.on = false;
    else if (n == "solidFill" || n == "gradFill" || n == "pattFill") f.on = true, f.rgb = readFillColor(std::nullopt);
    else if (n == "blipFill" || n == "grpFill") f.on = true, xml_.skip();
    else return false;
    return true;
  }

  std::optional<drawing::Shape> readShape(const std::string& element, int depth) {
    drawing::Shape s;
    bool proxy = false, textBox = false;
    std::string prst, graphicUri, blipId, proxyId;
    std::map<std::string, int64_t, std::less<>> guides;  // adjust values of the preset geometry
    Fill fill, line, styleFill, styleLine;
    int styleFillIdx = 0, styleLineIdx = 0;
    Xfrm xfrm;
    bool textStarted = false;
    std::string_view section;  // spPr, ln, style, txBody
    s.onAction = macroText(xml_.attr("macro").value_or(""), ctx_.books);
    s.hasText = false;
    if (element == "grpSp") s.objectKind = dk::Group;
    else if (element == "pic") s.objectKind = dk::Picture;
    else if (element == "cxnSp") s.objectKind = dk::Line;
    else if (element == "graphicFrame") s.objectKind = dk::OfficeArt;
    if (!xml_.isEmptyElement()) {
      int base = xml_.depth();
      while (xml_.next()) {
        const std::string_view n = xml_.localName();
        if (xml_.isEnd()) {
          if (n == element && xml_.depth() == base) break;
          if (n == "ln" && section == "ln") section = "spPr";
          else if (((n == "spPr" || n == "grpSpPr") && section == "spPr") || n == section || (n == "txSp" && section == "txBody"))
            section = "";
          continue;
        }
        if (depth < kMaxGroupDepth && element == "grpSp" && isShapeElement(n)) {
          if (auto m = readShape(std::string(n), depth + 1); m && s.members.size() < kMaxDrawingShapes) s.members.push_back(std::move(*m));
          continue;
        }
        if (isShapeElement(n) || n == "Fallback") {
          xml_.skip();
          continue;
        }
        if (n == "cNvPr") {
          s.objectId = static_cast<uint16_t>(std::clamp<int64_t>(attrInt(xml_, "id", 0), 0, 0xFFFF));
          s.shapeId = static_cast<uint32_t>(std::clamp<int64_t>(attrInt(xml_, "id", 0), 0, UINT32_MAX));
          s.storedName = xml_.attr("name").value_or("");
        } else if (n == "cNvSpPr") {
          textBox = attrTrue(xml_, "txBox");
        } else if (n == "compatExt") {
          proxy = true;
          proxyId = xml_.attr("spid").value_or("");
        } else if (n == "spPr" || n == "grpSpPr") {
          section = "spPr";
        } else if (n == "ln" && section == "spPr") {
          section = "ln";
          s.geometry.lineWidthEmu = static_cast<uint32_t>(std::clamp<int64_t>(attrInt(xml_, "w", 9525), 0, 20000000));
        } else if (section == "ln" && readFill(n, line)) {
        } else if (section == "ln" && n == "prstDash") {
          s.dashStyle = dashOf(xml_.attr("val").value_or("solid"));
        } else if (section == "ln" && (n == "headEnd" || n == "tailEnd")) {
          (n == "headEnd" ? s.geometry.startArrow : s.geometry.endArrow) = arrowOf(xml_.attr("type").value_or("none"));
        } else if (section == "spPr" && readFill(n, fill)) {
        } else if (section == "spPr" && n == "xfrm") {
          s.geometry.flipH = attrTrue(xml_, "flipH");
          s.geometry.flipV = attrTrue(xml_, "flipV");
          // 60000ths of a degree clockwise; whole turns and negative angles fold into 0..360.
          const double turned = static_cast<double>(attrInt(xml_, "rot", 0) % 21600000) / 60000.0;
          s.geometry.rotation = std::fmod(turned + 360.0, 360.0);
        } else if (section == "spPr" && (n == "off" || n == "chOff")) {
          (n == "off" ? xfrm.x : xfrm.chX) = coordinate(xml_, "x");
          (n == "off" ? xfrm.y : xfrm.chY) = coordinate(xml_, "y");
          if (n == "chOff") xfrm.child = true;
        } else if (section == "spPr" && (n == "ext" || n == "chExt")) {
          (n == "ext" ? xfrm.cx : xfrm.chCx) = coordinate(xml_, "cx");
          (n == "ext" ? xfrm.cy : xfrm.chCy) = coordinate(xml_, "cy");
        } else if (section == "spPr" && n == "prstGeom") {
          prst = xml_.attr("prst").value_or("");
        } else if (section == "spPr" && n == "gd" && guides.size() < 8) {
          // <a:gd name="adj" fmla="val 25000"/>: only plain values are adjust values.
          const std::string fmla = xml_.attr("fmla").value_or("");
          if (fmla.rfind("val ", 0) == 0)
            if (auto v = xmlInteger<int64_t>(std::string_view(fmla).substr(4))) guides[xml_.attr("name").value_or("")] = *v;
        } else if (section == "spPr" && n == "custGeom") {
          prst = "custom";
          xml_.skip();
        } else if (n == "style") {
          section = "style";
        } else if (section == "style" && (n == "fillRef" || n == "lnRef")) {
          const bool isFill = n == "fillRef";
          (isFill ? styleFillIdx : styleLineIdx) = static_cast<int>(std::clamp<int64_t>(attrInt(xml_, "idx", 0), 0, 9999));
          (isFill ? styleFill : styleLine).rgb = readFillColor(std::nullopt);
        } else if (section == "style") {
          xml_.skip();
        } else if (n == "txBody" || n == "txSp") {
          section = "txBody";
        } else if (section == "txBody" && n == "p") {
          if (textStarted) s.text += '\n';
          textStarted = true;
          s.hasText = true;
        } else if (section == "txBody" && n == "br") {
          s.text += '\n';
        } else if (section == "txBody" && n == "t") {
          std::string t = xml_.text();
          if (s.text.size() < kMaxShapeText) s.text += t;
        } else if (n == "blip") {
          blipId = xml_.attr("embed").value_or("");
        } else if (n == "graphicData") {
          graphicUri = xml_.attr("uri").value_or("");
        }
      }
    }
    if (proxy) {
      if (!proxyId.empty() && !s.storedName.empty()) out_.controlNames[proxyId] = s.storedName;
      return std::nullopt;
    }
    if (element == "sp") s.objectKind = textBox ? dk::TextBox : kindOfGeometry(prst.empty() ? "rect" : prst);
    if (element == "sp" && prst == "custom") s.objectKind = dk::Polygon;
    if (element == "sp" && !textBox)
      if (auto preset = legacyPreset(prst.empty() ? "rect" : prst, guides, static_cast<double>(xfrm.cx), static_cast<double>(xfrm.cy))) {
        s.geometry.shapeType = preset->shapeType;
        s.geometry.adjust = preset->adjust;
        if (preset->flipV) s.geometry.flipV = !s.geometry.flipV;
      }
    if (element == "graphicFrame" && graphicUri.find("/chart") != std::string::npos) s.objectKind = dk::Chart;
    if (s.objectKind != dk::Group && s.text.empty() && !textBox) s.hasText = false;
    if (s.text.size() > kMaxShapeText) s.text.resize(kMaxShapeText);
    if (!blipId.empty() && ctx_.picture) s.geometry.pictureIndex = ctx_.picture(blipId);

    // Fill and line: the shape's own, else its style's (index 0 is "none").
    s.filled = fill.on.value_or(styleFillIdx > 0);
    std::optional<uint32_t> fillRgb = fill.on ? fill.rgb : styleFill.rgb;
    if (s.filled && fillRgb) s.foreColor = excelColor(*fillRgb);
    else if (!s.filled) s.foreColor = excelColor(0xFFFFFF);
    s.lined = line.on.value_or(styleLineIdx > 0);
    std::optional<uint32_t> lineRgb = line.on ? line.rgb : styleLine.rgb;
    if (lineRgb) s.lineColor = excelColor(*lineRgb);
    else if (!s.lined) s.lineColor = excelColor(0x000000);
    if (s.objectKind == dk::Picture || s.objectKind == dk::Chart || s.objectKind == dk::Group) {
      s.filled = fill.on.value_or(false);
      s.lined = line.on.value_or(false);
    }

    if (element == "grpSp") {
      s.geometry.groupExtent = drawing::ArtRect{clamp32(xfrm.chX), clamp32(xfrm.chY), clamp32(xfrm.chX + xfrm.chCx),
                                                clamp32(xfrm.chY + xfrm.chCy)};
    }
    if (depth > 0) {
      // A member turned a quarter either way is placed, as in the binary drawing layer, by its
      // turned box: the same centre, width and height swapped. Its xfrm is the unturned box.
      const double r = s.geometry.rotation;
      const bool swapped = (r >= 45 && r < 135) || (r >= 225 && r < 315);
      const int64_t dx = swapped ? (xfrm.cx - xfrm.cy) / 2 : 0;
      s.geometry.childAnchor = drawing::ArtRect{clamp32(xfrm.x + dx), clamp32(xfrm.y - dx), clamp32(xfrm.x + xfrm.cx - dx),
                                                clamp32(xfrm.y + xfrm.cy + dx)};
    }
    s.name = s.storedName.empty() ? drawing::defaultShapeName(s.objectKind, s.objectId, false) : s.storedName;
    return s;
  }

  XmlReader& xml_;
  const DrawingContext& ctx_;
  DrawingPart out_;
};

}  // namespace

DrawingPart readDrawingPart(XmlReader& xml, const DrawingContext& context) {
  return DrawingReader(xml, context).run();
}

}  // namespace zel::xls::ooxml
