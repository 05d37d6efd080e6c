// Placing the drawing layer on the printed sheet: anchors to millimetres, group coordinates
// to their group's box, object kinds to page shapes, pictures to drawable image bytes.
#include "report/sheet_shapes.h"

#include "report/shape_geometry.h"
#include "report/sheet_shape_text.h"
#include "report/text_measure.h"
#include "report/sheet_chart.h"

#include <algorithm>
#include <cmath>

namespace zel::report {
namespace {

// Charts write in the workbook's standard font (index 0), at the print's scale.
ChartTextStyle chartTextStyle(const SheetShapeStyle& style) {
  if (!style.fontOf) return {};
  const SheetFont f = style.fontOf(0);
  return ChartTextStyle{f.family, f.points};
}

namespace dk = xls::drawing::kind;
using xls::drawing::PictureFormat;

constexpr double kMmPerEmu = 1.0 / 36000.0;
constexpr uint32_t kButtonFace = 0xC0C0C0;
constexpr size_t kDibHeaderMin = 12;

LineDash dashOf(int msoDash) {
  switch (msoDash) {
    case xls::drawing::dash::SquareDot: case xls::drawing::dash::RoundDot: return LineDash::Dot;
    case xls::drawing::dash::Dash: case xls::drawing::dash::LongDash: return LineDash::MediumDash;
    case xls::drawing::dash::DashDot: case xls::drawing::dash::LongDashDot: return LineDash::DashDot;
    case xls::drawing::dash::DashDotDot: return LineDash::DashDotDot;
    default: return LineDash::Solid;
  }
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) | (static_cast<uint32_t>(b[at + 2]) << 16) |
         (static_cast<uint32_t>(b[at + 3]) << 24);
}

// A stored DIB with the BMP file header it lacks, so that an image reader takes it.
std::vector<uint8_t> bmpOfDib(const std::vector<uint8_t>& dib) {
  if (dib.size() < kDibHeaderMin) return {};
  const uint32_t headerSize = le32(dib, 0);
  size_t palette = 0;
  if (headerSize >= 40 && dib.size() >= 36) {
    const uint16_t bits = static_cast<uint16_t>(dib[14] | (dib[15] << 8));
    const uint32_t compression = le32(dib, 16), used = le32(dib, 32);
    palette = (used ? used : (bits <= 8 ? 1u << bits : 0u)) * 4u;
    if (compression == 3 && headerSize == 40) palette += 12;  // colour masks
  } else if (headerSize == 12) {
    const uint16_t bits = static_cast<uint16_t>(dib[10] | (dib[11] << 8));
    palette = bits <= 8 ? (size_t{1} << bits) * 3 : 0;
  }
  const uint64_t offset = 14 + uint64_t{headerSize} + palette, total = 14 + dib.size();
  std::vector<uint8_t> out(14);
  out[0] = 'B';
  out[1] = 'M';
  for (int i = 0; i < 4; ++i) out[2 + i] = static_cast<uint8_t>(total >> (8 * i));
  for (int i = 0; i < 4; ++i) out[10 + i] = static_cast<uint8_t>(offset >> (8 * i));
  out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

// Excel's RGB numbers keep red in the low byte; the page model wants 0xRRGGBB.
int64_t pageRgb(int32_t excel) {
  const uint32_t v = static_cast<uint32_t>(excel);
  return static_cast<int64_t>(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
}

struct Placer {
  const xls::drawing::PictureStore& pictures;
  const EdgeAt& colX;
  const EdgeAt& rowY;
  const SheetShapeStyle& style;
  std::vector<std::string>& warnings;
  std::vector<PageShape> out;

  BoxMm boxOf(const xls::drawing::CellAnchor& a) const {
    const double x1 = colX(a.col1, std::min(a.dx1, uint16_t{1024}) / 1024.0);
    const double y1 = rowY(a.row1, std::min(a.dy1, uint16_t{256}) / 256.0);
    const double x2 = colX(a.col2, std::min(a.dx2, uint16_t{1024}) / 1024.0);
    const double y2 = rowY(a.row2, std::min(a.dy2, uint16_t{256}) / 256.0);
    return BoxMm{std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1)};
  }

  // A member's child anchor mapped from its group's coordinates into the group's box.
  static BoxMm mapChild(const xls::drawing::ArtRect& r, const xls::drawing::ArtRect& extent, const BoxMm& group) {
    const double ew = extent.right - extent.left, eh = extent.bottom - extent.top;
    if (ew == 0 || eh == 0) return group;
    const double sx = group.w / ew, sy = group.h / eh;
    const double x1 = group.x + (r.left - extent.left) * sx, x2 = group.x + (r.right - extent.left) * sx;
    const double y1 = group.y + (r.top - extent.top) * sy, y2 = group.y + (r.bottom - extent.top) * sy;
    return BoxMm{std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1)};
  }

  // A shape turned by 45..135 or 225..315 degrees is anchored by its turned box: its own box
  // has the anchor's centre with width and height swapped.
  static BoxMm ownBox(const BoxMm& anchored, double rotation) {
    const bool swapped = (rotation >= 45 && rotation < 135) || (rotation >= 225 && rotation < 315);
    if (!swapped) return anchored;
    const PointMm c = centreOf(anchored);
    return BoxMm{c.x - anchored.h / 2, c.y - anchored.w / 2, anchored.h, anchored.w};
  }

  // `box` is the anchored box; a group's members turn with it about its centre.
  void add(const xls::drawing::Shape& s, const BoxMm& anchored, double groupTurn = 0, PointMm groupCentre = {}) {
    if (s.objectKind == dk::Note) return;
    const double rotation = s.geometry.rotation;
    BoxMm box = ownBox(anchored, rotation);
    if (groupTurn != 0) {
      const PointMm c = turnedAbout(centreOf(box), groupCentre, groupTurn);
      box.x = c.x - box.w / 2;
      box.y = c.y - box.h / 2;
    }
    const double turn = std::fmod(rotation + groupTurn, 360.0);
    if (s.objectKind == dk::Group) {
      for (const auto& m : s.members) {
        if (!m.geometry.childAnchor || !s.geometry.groupExtent) continue;
        add(m, mapChild(*m.geometry.childAnchor, *s.geometry.groupExtent, box), turn, centreOf(box));
      }
      return;
    }
    PageShape p;
    p.box = box;
    p.rotation = turn;
    p.lineWidthMm = std::max(0.05, s.geometry.lineWidthEmu * kMmPerEmu * style.scale);
    p.dash = dashOf(s.dashStyle);
    p.lineRgb = s.lined && s.lineColor ? pageRgb(*s.lineColor) : -1;
    p.fillRgb = s.filled && s.foreColor ? pageRgb(*s.foreColor) : -1;
    p.caption = s.text;
    ShapeTextPlacement where = textPlacement(s, box, turn);
    switch (s.objectKind) {
      case dk::Oval: p.kind = PageShape::Kind::Oval; break;
      case dk::Polygon:
      case dk::OfficeArt:
      case dk::Rectangle:
        if (const auto& ff = s.geometry.freeform) {
          p.kind = PageShape::Kind::Freeform;
          p.outline = freeformOutline({ff->points, ff->commands, ff->box.left, ff->box.top, ff->box.right, ff->box.bottom,
                                       s.geometry.flipH, s.geometry.flipV},
                                      box);
        } else if (auto outline = presetOutline(s.geometry.shapeType, s.geometry.adjust, box, s.geometry.flipH, s.geometry.flipV);
                   !outline.empty()) {
          p.kind = PageShape::Kind::Freeform;
          p.outline = std::move(outline);
        }
        break;
      case dk::Line:
      case dk::Arc:
        p.kind = PageShape::Kind::Line;
        p.fromTopRight = s.geometry.flipH != s.geometry.flipV;
        // The page's line starts at the top; a line flipped upside down starts at the bottom.
        p.startArrow = s.geometry.flipV ? s.geometry.endArrow : s.geometry.startArrow;
        p.endArrow = s.geometry.flipV ? s.geometry.startArrow : s.geometry.endArrow;
        break;
      case dk::Button:
        p.fillRgb = kButtonFace;
        p.lineRgb = 0x808080;
        if (s.textFormat.hAlign == 0) where.align = Align::Center;
        if (s.textFormat.vAlign == 0) where.vertical = VerticalPlace::Centre;
        break;
      case dk::Picture: placePicture(s, p, where); break;
      case dk::Chart:
        if (s.chart) {
          p.kind = PageShape::Kind::Chart;
          p.chart = std::make_shared<const ChartPicture>(
              drawChart(*s.chart, box.w, box.h, chartTextStyle(style)));
        } else {
          placeholder(p, s.name + " (グラフ)", where);
          warnings.push_back("図形「" + s.name + "」: グラフのレコードが読めず、枠で示します。");
        }
        break;
      default: break;  // rectangles, text boxes, labels and the other controls as framed boxes
    }
    if (!p.caption.empty() && style.metrics)
      p.texts = layoutShapeText(p.caption, fontSpans(s, p.kind == PageShape::Kind::Placeholder), where, *style.metrics);
    out.push_back(std::move(p));
  }

  ShapeTextPlacement textPlacement(const xls::drawing::Shape& s, const BoxMm& box, double rotation) const {
    const xls::drawing::TextFormat& f = s.textFormat;
    ShapeTextPlacement w;
    w.box = box;
    w.rotation = rotation;
    w.align = f.hAlign == 2 || f.hAlign == 7 ? Align::Center : f.hAlign == 3 ? Align::Right : Align::Left;
    w.vertical = f.vAlign == 2 || f.vAlign == 7 ? VerticalPlace::Centre : f.vAlign == 3 ? VerticalPlace::Bottom : VerticalPlace::Top;
    w.turn = static_cast<ShapeTextTurn>(std::min<uint8_t>(f.turn, 3));
    // The stored margins (0.1 inch at the sides, 0.05 inch at the top and bottom unless set).
    const auto& m = s.geometry.textMarginEmu;
    w.marginLeftMm = m[0] * kMmPerEmu * style.scale;
    w.marginTopMm = m[1] * kMmPerEmu * style.scale;
    w.marginRightMm = m[2] * kMmPerEmu * style.scale;
    w.marginBottomMm = m[3] * kMmPerEmu * style.scale;
    return w;
  }

  // The text's fonts by byte offset; run positions count UTF-16 units of the text.
  std::vector<ShapeFontSpan> fontSpans(const xls::drawing::Shape& s, bool caption) const {
    std::vector<ShapeFontSpan> spans;
    const auto fontOf = [&](uint16_t i) { return style.fontOf ? style.fontOf(i) : SheetFont{}; };
    const auto& runs = s.textFormat.runs;
    if (caption || runs.empty()) return {{0, fontOf(0)}};
    if (runs.front().firstChar > 0) spans.push_back({0, fontOf(0)});
    size_t next = 0, units = 0, byte = 0;
    for (char32_t c : toU32(s.text)) {
      while (next < runs.size() && runs[next].firstChar <= units) spans.push_back({byte, fontOf(runs[next++].font)});
      units += c > 0xFFFF ? 2 : 1;
      byte += fromU32(std::u32string(1, c)).size();
    }
    return spans;
  }

  static void placeholder(PageShape& p, const std::string& caption, ShapeTextPlacement& where) {
    p.kind = PageShape::Kind::Placeholder;
    p.fillRgb = -1;
    p.lineRgb = 0x808080;
    p.dash = LineDash::Dash;
    p.caption = caption;
    where.align = Align::Center;
    where.vertical = VerticalPlace::Centre;
    where.turn = ShapeTextTurn::Across;
  }

  void placePicture(const xls::drawing::Shape& s, PageShape& p, ShapeTextPlacement& where) {
    const auto* pic = pictures.at(s.geometry.pictureIndex);
    const PictureFormat f = pic ? pic->format : PictureFormat::None;
    if (f == PictureFormat::Png || f == PictureFormat::Jpeg) {
      p.kind = PageShape::Kind::Picture;
      p.image = std::make_shared<const std::vector<uint8_t>>(pic->data);
      return;
    }
    if (f == PictureFormat::Dib) {
      auto bmp = bmpOfDib(pic->data);
      if (!bmp.empty()) {
        p.kind = PageShape::Kind::Picture;
        p.image = std::make_shared<const std::vector<uint8_t>>(std::move(bmp));
        return;
      }
    }
    const std::string what = pic ? std::string(xls::drawing::pictureFormatName(f)) : std::string("見つからない");
    placeholder(p, s.name + " (" + what + ")", where);
    warnings.push_back("図「" + s.name + "」: " + what + " の画像は印刷できず、枠と名前で示します。");
  }
};

}  // namespace

std::vector<PageShape> placeSheetShapes(const xls::drawing::SheetDrawing& drawing,
                                        const xls::drawing::PictureStore& pictures, const EdgeAt& colX,
                                        const EdgeAt& rowY, const SheetShapeStyle& style,
                                        std::vector<std::string>& warnings) {
  Placer placer{pictures, colX, rowY, style, warnings, {}};
  for (const auto& s : drawing.shapes)
    if (s.geometry.anchor) placer.add(s, placer.boxOf(*s.geometry.anchor));
  return std::move(placer.out);
}

std::pair<int, int> shapesExtent(const xls::drawing::SheetDrawing& drawing) {
  int col = -1, row = -1;
  for (const auto& s : drawing.shapes) {
    if (!s.geometry.anchor || s.objectKind == dk::Note) continue;
    col = std::max<int>(col, s.geometry.anchor->col2);
    row = std::max<int>(row, s.geometry.anchor->row2);
  }
  return {col, row};
}

}  // namespace zel::report
