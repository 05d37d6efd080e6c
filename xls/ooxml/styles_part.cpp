// xl/styles.xml: custom number formats, fonts and cell formats (cellXfs, whose index is a
// cell's "s"), turned into the FORMAT, FONT and XF entries the renderer and Range.Text use.
#include "xls/ooxml/ooxml_workbook.h"
#include "xls/ooxml/part_readers.h"

#include <charconv>

namespace zel::xls::ooxml {
namespace {

unsigned toUnsigned(const std::optional<std::string>& s, unsigned fallback = 0) {
  if (!s) return fallback;
  unsigned v = fallback;
  auto [p, ec] = std::from_chars(s->data(), s->data() + s->size(), v);
  return ec == std::errc() ? v : fallback;
}

uint8_t horizontalCode(const std::string& s) {
  if (s == "left") return 1;
  if (s == "center") return 2;
  if (s == "right") return 3;
  if (s == "fill") return 4;
  if (s == "justify") return 5;
  if (s == "centerContinuous") return 6;
  return 0;
}

uint8_t verticalCode(const std::string& s) {
  if (s == "top") return 0;
  if (s == "center") return 1;
  return 2;
}

uint8_t borderCode(const std::string& s) {
  static const char* const kStyles[] = {"none", "thin", "medium", "dashed", "dotted", "thick", "double", "hair",
                                        "mediumDashed", "dashDot", "mediumDashDot", "dashDotDot", "mediumDashDotDot",
                                        "slantDashDot"};
  for (uint8_t i = 0; i < std::size(kStyles); ++i)
    if (s == kStyles[i]) return i;
  return 0;
}

struct Border {
  uint8_t left = 0, right = 0, top = 0, bottom = 0;
};

}  // namespace

void readStyles(XmlReader& xml, WorkbookGlobals& g) {
  std::vector<Border> borders;
  std::vector<std::pair<uint8_t, bool>> fills;  // pattern, present
  std::string section;
  size_t records = 0;
  auto count = [&]() {
    if (++records > kMaxStyleRecords) throw XmlError("the style part holds too many entries");
  };
  Border* border = nullptr;
  while (xml.next()) {
    std::string_view n = xml.localName();
    if (!xml.isStart()) {
      if (n == "fonts" || n == "cellXfs" || n == "cellStyleXfs" || n == "borders" || n == "fills" || n == "dxfs") section.clear();
      if (n == "border") border = nullptr;
      continue;
    }
    if (n == "fonts" || n == "cellXfs" || n == "cellStyleXfs" || n == "borders" || n == "fills" || n == "dxfs") {
      section = n;
      continue;
    }
    if (section == "dxfs") continue;
    if (n == "numFmt") {
      count();
      g.formats[static_cast<uint16_t>(toUnsigned(xml.attr("numFmtId")))] = xml.attr("formatCode").value_or("General");
    } else if (section == "fonts" && n == "font") {
      count();
      g.fonts.emplace_back();
    } else if (section == "fonts" && !g.fonts.empty()) {
      FontInfo& f = g.fonts.back();
      if (n == "b") f.bold = xml.attr("val").value_or("1") != "0";
      else if (n == "i") f.italic = xml.attr("val").value_or("1") != "0";
      else if (n == "strike") f.strikeout = xml.attr("val").value_or("1") != "0";
      else if (n == "u") f.underline = xml.attr("val").value_or("single") == "double" ? 2 : 1;
      else if (n == "sz") f.heightPoints = std::max(1u, toUnsigned(xml.attr("val"), 11));
      else if (n == "name") f.name = xml.attr("val").value_or("");
      else if (n == "color") f.colorIndex = static_cast<uint16_t>(toUnsigned(xml.attr("indexed"), 0x7FFF));
    } else if (section == "fills" && n == "fill") {
      count();
      fills.push_back({0, true});
    } else if (section == "fills" && n == "patternFill" && !fills.empty()) {
      std::string type = xml.attr("patternType").value_or("none");
      fills.back().first = type == "none" ? 0 : type == "solid" ? 1 : 2;
    } else if (section == "borders" && n == "border") {
      count();
      borders.emplace_back();
      border = &borders.back();
    } else if (section == "borders" && border) {
      uint8_t style = borderCode(xml.attr("style").value_or("none"));
      if (n == "left" || n == "start") border->left = style;
      else if (n == "right" || n == "end") border->right = style;
      else if (n == "top") border->top = style;
      else if (n == "bottom") border->bottom = style;
    } else if (section == "cellXfs" && n == "xf") {
      count();
      XfInfo x;
      x.format = static_cast<uint16_t>(toUnsigned(xml.attr("numFmtId")));
      // Font records are numbered as in BIFF, where number 4 is never used.
      unsigned font = toUnsigned(xml.attr("fontId"));
      x.font = static_cast<uint16_t>(font >= 4 ? font + 1 : font);
      unsigned b = toUnsigned(xml.attr("borderId"));
      if (b < borders.size()) {
        x.borderLeft = borders[b].left;
        x.borderRight = borders[b].right;
        x.borderTop = borders[b].top;
        x.borderBottom = borders[b].bottom;
      }
      unsigned f = toUnsigned(xml.attr("fillId"));
      if (f < fills.size()) x.fillPattern = fills[f].first;
      g.xfs.push_back(x);
    } else if (section == "cellXfs" && n == "alignment" && !g.xfs.empty()) {
      XfInfo& x = g.xfs.back();
      x.hAlign = horizontalCode(xml.attr("horizontal").value_or(""));
      x.vAlign = verticalCode(xml.attr("vertical").value_or("bottom"));
      x.wrap = xml.attr("wrapText").value_or("0") != "0" && xml.attr("wrapText").value_or("0") != "false";
      x.rotation = static_cast<uint16_t>(toUnsigned(xml.attr("textRotation")));
    }
  }
}

}  // namespace zel::xls::ooxml
