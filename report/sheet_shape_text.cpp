// Shape text layout: characters with their fonts, greedy line breaking (after blanks, or
// between any two characters of CJK text, or where a word must break), then each line cut
// into one piece per font and placed in the box's frame, turned about the box's centre.
#include "report/sheet_shape_text.h"

#include "report/shape_geometry.h"
#include "report/text_measure.h"

#include <algorithm>

namespace zel::report {
namespace {

struct Glyph {
  char32_t c;
  size_t font;
  double width;
};

bool breaksAnywhere(char32_t c) { return c >= 0x2E80; }

// Lines of glyphs no wider than `width` (explicit line ends break; blanks at a break vanish).
std::vector<std::vector<Glyph>> breakLines(const std::vector<Glyph>& glyphs, double width, bool stacked) {
  std::vector<std::vector<Glyph>> lines(1);
  double used = 0;
  size_t lastBreak = 0;  // index in the current line after which it may break; 0 none
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const Glyph& g = glyphs[i];
    if (g.c == U'\r' && i + 1 < glyphs.size() && glyphs[i + 1].c == U'\n') continue;
    if (g.c == U'\n' || g.c == U'\r') {
      lines.emplace_back();
      used = 0;
      lastBreak = 0;
      continue;
    }
    auto& line = lines.back();
    if (stacked && !line.empty()) {
      lines.push_back({g});
      continue;
    }
    if (!line.empty() && used + g.width > width + 1e-9 && g.c != U' ') {
      std::vector<Glyph> carry;
      if (breaksAnywhere(g.c) || lastBreak == 0) {
        // break before this character
      } else {
        carry.assign(line.begin() + static_cast<std::ptrdiff_t>(lastBreak), line.end());
        line.resize(lastBreak);
      }
      while (!line.empty() && line.back().c == U' ') line.pop_back();
      lines.push_back(std::move(carry));
      used = 0;
      for (const auto& k : lines.back()) used += k.width;
      lastBreak = 0;
    }
    lines.back().push_back(g);
    used += g.width;
    if (g.c == U' ' || breaksAnywhere(g.c)) lastBreak = lines.back().size();
  }
  return lines;
}

}  // namespace

std::vector<PageText> layoutShapeText(const std::string& text, const std::vector<ShapeFontSpan>& fonts,
                                      const ShapeTextPlacement& where, SheetTextMetrics& metrics) {
  std::vector<PageText> out;
  if (text.empty() || fonts.empty()) return out;
  const bool sideways = where.turn == ShapeTextTurn::Anticlockwise || where.turn == ShapeTextTurn::Clockwise;
  const BoxMm& box = where.box;
  // The frame the lines run in: the box less its margins; turned text runs along its height.
  const double innerW = std::max(0.0, box.w - where.marginLeftMm - where.marginRightMm);
  const double innerH = std::max(0.0, box.h - where.marginTopMm - where.marginBottomMm);
  const double frameW = sideways ? innerH : innerW;
  const double frameH = sideways ? innerW : innerH;

  std::vector<Glyph> glyphs;
  size_t font = 0, byte = 0;
  for (char32_t c : toU32(text)) {
    while (font + 1 < fonts.size() && fonts[font + 1].firstByte <= byte) ++font;
    const std::string one = fromU32(std::u32string(1, c));
    const double w = (c == U'\t' ? metrics.widthMm(fonts[font].font, " ") : metrics.widthMm(fonts[font].font, one));
    glyphs.push_back({c == U'\t' ? U' ' : c, font, w});
    byte += one.size();
  }
  const auto lines = breakLines(glyphs, frameW, where.turn == ShapeTextTurn::Stacked);

  std::vector<double> heights;
  double total = 0;
  for (const auto& line : lines) {
    double h = 0;
    for (const auto& g : line) h = std::max(h, metrics.lineHeightMm(fonts[g.font].font));
    if (line.empty()) h = metrics.lineHeightMm(fonts.front().font);
    heights.push_back(h);
    total += h;
  }
  double y = where.vertical == VerticalPlace::Top ? 0 : where.vertical == VerticalPlace::Centre ? (frameH - total) / 2 : frameH - total;

  const double textTurn = where.turn == ShapeTextTurn::Anticlockwise ? 90 : where.turn == ShapeTextTurn::Clockwise ? -90 : 0;
  const double angle = textTurn - where.rotation;  // anticlockwise, as free texts turn
  const PointMm centre = centreOf(box);
  const double frameX = centre.x - frameW / 2, frameY = centre.y - frameH / 2;
  // Unequal margins move the frame's centre off the box's, turned with the shape.
  const PointMm frameCentre{box.x + where.marginLeftMm + innerW / 2, box.y + where.marginTopMm + innerH / 2};
  const PointMm shift = turnedAbout(frameCentre, centre, where.rotation);
  for (size_t li = 0; li < lines.size(); ++li) {
    const auto& line = lines[li];
    double width = 0;
    for (const auto& g : line) width += g.width;
    double x = where.align == Align::Left ? 0 : where.align == Align::Center ? (frameW - width) / 2 : frameW - width;
    for (size_t i = 0; i < line.size();) {
      size_t j = i;
      std::u32string piece;
      double w = 0;
      for (; j < line.size() && line[j].font == line[i].font; ++j) {
        piece += line[j].c;
        w += line[j].width;
      }
      const SheetFont& f = fonts[line[i].font].font;
      PageText t;
      t.text = fromU32(piece);
      t.family = f.family;
      t.pointSize = f.points;
      t.bold = f.bold;
      t.italic = f.italic;
      t.underline = f.underline;
      t.rgb = f.rgb;
      const PointMm own{frameX + x + w / 2, frameY + y + heights[li] / 2};
      PointMm at = turnedAbout(own, centre, -angle);
      at.x += shift.x - centre.x;
      at.y += shift.y - centre.y;
      t.box = BoxMm{at.x - w / 2, at.y - heights[li] / 2, w, heights[li]};
      t.rotation = angle;
      if (angle == 0) t.clip = box;
      out.push_back(std::move(t));
      x += w;
      i = j;
    }
    y += heights[li];
  }
  return out;
}

}  // namespace zel::report
