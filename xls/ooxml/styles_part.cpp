// xl/styles.xml: custom number formats, fonts, fills, borders and cell formats (cellXfs, whose
// index is a cell's "s"), turned into the FORMAT, FONT and XF entries the renderer and
// Range.Text use; colours through StyleColors.
#include "xls/ooxml/ooxml_workbook.h"
#include "xls/ooxml/part_readers.h"
#include "xls/ooxml/style_colors.h"
#include "xls/ooxml/xml_number.h"


namespace zel::xls::ooxml {
namespace {

constexpr uint16_t kAutoFontColor = 0x7FFF, kAutoForeColor = 64, kAutoBackColor = 65;

unsigned toUnsigned(const std::optional<std::string>& s, unsigned fallback = 0) {
  return s ? xmlInteger<unsigned>(*s).value_or(fallback) : fallback;
}

bool flag(const std::optional<std::string>& s) { return s && *s != "0" && *s != "false"; }

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

// Line styles and fill patterns in the order of their BIFF codes.
constexpr std::string_view kBorderStyles[] = {"none", "thin", "medium", "dashed", "dotted", "thick", "double", "hair",
                                              "mediumDashed", "dashDot", "mediumDashDot", "dashDotDot",
                                              "mediumDashDotDot", "slantDashDot"};
constexpr std::string_view kPatterns[] = {"none", "solid", "mediumGray", "darkGray", "lightGray", "darkHorizontal",
                                          "darkVertical", "darkDown", "darkUp", "darkGrid", "darkTrellis",
                                          "lightHorizontal", "lightVertical", "lightDown", "lightUp", "lightGrid",
                                          "lightTrellis", "gray125", "gray0625"};

template <size_t N>
uint8_t codeOf(const std::string_view (&names)[N], const std::string& s) {
  for (uint8_t i = 0; i < N; ++i)
    if (s == names[i]) return i;
  return 0;
}

struct Edge {
  uint8_t style = 0;
  uint16_t color = kAutoForeColor;
};
struct Border {
  Edge left, right, top, bottom, diagonal;
  uint8_t diagonalLines = 0;  // bit 0 down (top left to bottom right), bit 1 up
};
struct Fill {
  uint8_t pattern = 0;
  uint16_t fore = kAutoForeColor, back = kAutoBackColor;
};

class StylesReader {
 public:
  StylesReader(XmlReader& xml, WorkbookGlobals& g, StyleColors& colors) : xml_(xml), g_(g), colors_(colors) {}

  void run() {
    while (xml_.next()) {
      if (!xml_.isStart()) continue;
      const std::string_view n = xml_.localName();
      if (n == "numFmt") {
        count();
        g_.formats[static_cast<uint16_t>(toUnsigned(xml_.attr("numFmtId")))] = xml_.attr("formatCode").value_or("General");
      } else if (n == "fonts") {
        children([&] { if (xml_.atStart("font")) readFont(); });
      } else if (n == "fills") {
        children([&] { if (xml_.atStart("fill")) readFill(); });
      } else if (n == "borders") {
        children([&] { if (xml_.atStart("border")) readBorder(); });
      } else if (n == "cellXfs") {
        children([&] { if (xml_.atStart("xf")) readXf(); });
      } else if (n == "cellStyleXfs" || n == "dxfs" || n == "colors" || n == "extLst" || n == "tableStyles") {
        xml_.skip();
      }
    }
  }

 private:
  void count() {
    if (++records_ > kMaxStyleRecords) throw XmlError("the style part holds too many entries");
  }

  // Calls f at every start and end below the current element (nothing for an empty one).
  template <typename F>
  void children(F&& f) {
    if (xml_.isEmptyElement()) return;
    const int depth = xml_.depth();
    while (xml_.nextInside(depth)) f();
  }

  void readFont() {
    count();
    FontInfo& f = g_.fonts.emplace_back();
    children([&] {
      if (!xml_.isStart()) return;
      const std::string_view n = xml_.localName();
      if (n == "b") f.bold = flag(xml_.attr("val").value_or("1"));
      else if (n == "i") f.italic = flag(xml_.attr("val").value_or("1"));
      else if (n == "strike") f.strikeout = flag(xml_.attr("val").value_or("1"));
      else if (n == "u") f.underline = xml_.attr("val").value_or("single") == "double" ? 2 : 1;
      else if (n == "sz") f.heightPoints = std::max(1u, toUnsigned(xml_.attr("val"), 11));
      else if (n == "name") f.name = xml_.attr("val").value_or("");
      else if (n == "color") f.colorIndex = colors_.indexOf(xml_, kAutoFontColor);
    });
  }

  void readFill() {
    count();
    Fill& fill = fills_.emplace_back();
    children([&] {
      if (xml_.atStart("patternFill")) {
        fill.pattern = codeOf(kPatterns, xml_.attr("patternType").value_or("none"));
      } else if (xml_.atStart("fgColor")) {
        fill.fore = colors_.indexOf(xml_, kAutoForeColor);
      } else if (xml_.atStart("bgColor")) {
        fill.back = colors_.indexOf(xml_, kAutoBackColor);
      } else if (xml_.atStart("gradientFill")) {
        fill = gradientFill();
      }
    });
  }

  // A gradient prints as one solid colour: the average of its stops' colours.
  Fill gradientFill() {
    Fill out;
    uint64_t sum[3] = {0, 0, 0}, stops = 0;
    children([&] {
      if (!xml_.atStart("color")) return;
      count();
      auto rgb = colors_.rgbOf(xml_);
      if (!rgb) return;
      for (int c = 0; c < 3; ++c) sum[c] += (*rgb >> (16 - 8 * c)) & 0xFF;
      ++stops;
    });
    if (stops == 0) return out;
    uint32_t average = 0;
    for (int c = 0; c < 3; ++c) average |= static_cast<uint32_t>((sum[c] + stops / 2) / stops) << (16 - 8 * c);
    out.pattern = 1;
    out.fore = colors_.indexOfRgb(average, kAutoForeColor);
    return out;
  }

  void readBorder() {
    count();
    Border& b = borders_.emplace_back();
    if (flag(xml_.attr("diagonalDown"))) b.diagonalLines |= 1;
    if (flag(xml_.attr("diagonalUp"))) b.diagonalLines |= 2;
    Edge* edge = nullptr;
    children([&] {
      if (!xml_.isStart()) return;
      const std::string_view n = xml_.localName();
      if (n == "color") {
        if (edge) edge->color = colors_.indexOf(xml_, kAutoForeColor);
        return;
      }
      edge = n == "left" || n == "start" ? &b.left
             : n == "right" || n == "end" ? &b.right
             : n == "top"                 ? &b.top
             : n == "bottom"              ? &b.bottom
             : n == "diagonal"            ? &b.diagonal
                                          : nullptr;
      if (edge) edge->style = codeOf(kBorderStyles, xml_.attr("style").value_or("none"));
    });
  }

  void readXf() {
    count();
    XfInfo& x = g_.xfs.emplace_back();
    x.format = static_cast<uint16_t>(toUnsigned(xml_.attr("numFmtId")));
    // Font records are numbered as in BIFF, where number 4 is never used.
    const unsigned font = toUnsigned(xml_.attr("fontId"));
    x.font = static_cast<uint16_t>(font >= 4 ? font + 1 : font);
    const unsigned b = toUnsigned(xml_.attr("borderId"));
    if (b < borders_.size()) {
      const Border& border = borders_[b];
      x.borderLeft = border.left.style;
      x.borderLeftColor = border.left.color;
      x.borderRight = border.right.style;
      x.borderRightColor = border.right.color;
      x.borderTop = border.top.style;
      x.borderTopColor = border.top.color;
      x.borderBottom = border.bottom.style;
      x.borderBottomColor = border.bottom.color;
      x.diagonal = border.diagonal.style ? border.diagonalLines : 0;
      x.borderDiag = border.diagonal.style;
      x.borderDiagColor = border.diagonal.color;
    }
    const unsigned f = toUnsigned(xml_.attr("fillId"));
    if (f < fills_.size()) {
      x.fillPattern = fills_[f].pattern;
      x.fillForeColor = fills_[f].fore;
      x.fillBackColor = fills_[f].back;
    }
    children([&] {
      if (!xml_.atStart("alignment")) return;
      x.hAlign = horizontalCode(xml_.attr("horizontal").value_or(""));
      x.vAlign = verticalCode(xml_.attr("vertical").value_or("bottom"));
      x.wrap = flag(xml_.attr("wrapText"));
      x.rotation = static_cast<uint16_t>(toUnsigned(xml_.attr("textRotation")));
    });
  }

  XmlReader& xml_;
  WorkbookGlobals& g_;
  StyleColors& colors_;
  std::vector<Border> borders_;
  std::vector<Fill> fills_;
  size_t records_ = 0;
};

}  // namespace

void readStyles(XmlReader& xml, WorkbookGlobals& g, StyleColors& colors) { StylesReader(xml, g, colors).run(); }

}  // namespace zel::xls::ooxml
