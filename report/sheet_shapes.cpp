// Placing the drawing layer on the printed sheet: anchors to millimetres, group coordinates
// to their group's box, object kinds to page shapes, pictures to drawable image bytes.
#include "report/sheet_shapes.h"

#include "report/sheet_chart.h"

#include <algorithm>

namespace zel::report {
namespace {

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

  void add(const xls::drawing::Shape& s, const BoxMm& box) {
    if (s.objectKind == dk::Note) return;
    if (s.objectKind == dk::Group) {
      for (const auto& m : s.members) {
        if (!m.geometry.childAnchor || !s.geometry.groupExtent) continue;
        add(m, mapChild(*m.geometry.childAnchor, *s.geometry.groupExtent, box));
      }
      return;
    }
    PageShape p;
    p.box = box;
    p.family = style.family;
    p.pointSize = style.pointSize;
    p.lineWidthMm = std::max(0.05, s.geometry.lineWidthEmu * kMmPerEmu * style.scale);
    p.dash = dashOf(s.dashStyle);
    p.lineRgb = s.lined && s.lineColor ? *s.lineColor : -1;
    p.fillRgb = s.filled && s.foreColor ? *s.foreColor : -1;
    p.text = s.text;
    switch (s.objectKind) {
      case dk::Oval: p.kind = PageShape::Kind::Oval; break;
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
        p.textCentred = true;
        break;
      case dk::Picture: placePicture(s, p); break;
      case dk::Chart:
        if (s.chart) {
          p.kind = PageShape::Kind::Chart;
          p.chart = std::make_shared<const ChartPicture>(
              drawChart(*s.chart, box.w, box.h, ChartTextStyle{style.family, style.pointSize}));
        } else {
          placeholder(p, s.name + " (グラフ)");
          warnings.push_back("図形「" + s.name + "」: グラフのレコードが読めず、枠で示します。");
        }
        break;
      default: break;  // rectangles, text boxes, labels and the other controls as framed boxes
    }
    out.push_back(std::move(p));
  }

  static void placeholder(PageShape& p, const std::string& caption) {
    p.kind = PageShape::Kind::Placeholder;
    p.fillRgb = -1;
    p.lineRgb = 0x808080;
    p.dash = LineDash::Dash;
    p.text = caption;
    p.textCentred = true;
  }

  void placePicture(const xls::drawing::Shape& s, PageShape& p) {
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
    placeholder(p, s.name + " (" + what + ")");
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
