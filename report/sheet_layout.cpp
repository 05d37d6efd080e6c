// Sheet layout: geometry of rows and columns, pagination, then one page at a time the fills,
// gridlines, borders, headings, cell texts and header/footer lines.
#include "report/sheet_layout.h"

#include "core/vb_error.h"
#include "report/sheet_cell_style.h"
#include "report/sheet_fonts.h"
#include "report/sheet_shapes.h"
#include "report/text_measure.h"

#include <algorithm>
#include <cmath>

namespace zel::report {
namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;
constexpr double kMmPerPixel = 25.4 / 96.0;
constexpr double kMaxDigitPixels = 7;     // digit width of the standard font at 100%
constexpr double kCellPaddingPixels = 2;  // gap between a cell's edge and its text
constexpr double kMmPerInch = 25.4;
constexpr double kIndentSpaces = 3;      // one indent level: three spaces of the standard font
constexpr uint32_t kGridRgb = 0xA0A0A0;
constexpr double kGridWidthMm = 0.1;
constexpr double kHeadingRuleMm = 0.1;
// Pages built for one print at most: a guard against sheets whose used area runs to the
// grid's end at a large zoom.
constexpr size_t kMaxSheetPages = 2000;
constexpr long kTooManyPages = 1004;
// Row entries of the merged-area index (an area counts once per row it spans).
// The grid's last row and column.
constexpr int kLastRow = 65535;
constexpr int kLastCol = 255;
constexpr size_t kMaxMergeRowEntries = size_t{1} << 20;

struct Block {
  int first = 0, last = 0;  // inclusive
};

// Positions of rows and columns in millimetres at the print's zoom (hidden ones 0 wide).
struct Geometry {
  std::vector<double> colW, rowH;
  std::vector<double> colX, rowY;  // prefix sums, one longer than the sizes
  int lastRow = 0, lastCol = 0;
};

std::vector<double> prefixSums(const std::vector<double>& sizes) {
  std::vector<double> out(sizes.size() + 1, 0.0);
  for (size_t i = 0; i < sizes.size(); ++i) out[i + 1] = out[i] + sizes[i];
  return out;
}

bool hasFormatting(const xls::XfInfo& xf) {
  return xf.fillPattern != 0 || xf.borderLeft || xf.borderRight || xf.borderTop || xf.borderBottom;
}

const xls::XfInfo& xfOf(const xls::WorkbookGlobals& g, uint16_t index) {
  static const xls::XfInfo kDefault{};
  return index < g.xfs.size() ? g.xfs[index] : kDefault;
}

const xls::FontInfo& fontOf(const xls::WorkbookGlobals& g, uint16_t index) {
  static const xls::FontInfo kDefault{};
  // Font index 4 is not used: record 4 and later are numbered one higher.
  size_t i = index >= 4 ? index - 1u : index;
  return i < g.fonts.size() ? g.fonts[i] : (g.fonts.empty() ? kDefault : g.fonts.front());
}

uint32_t colourOf(const xls::WorkbookGlobals& g, uint16_t index, uint32_t automatic) {
  static constexpr uint32_t kBuiltin[8] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                           0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
  if (index < 8) return kBuiltin[index];
  if (index - 8u < g.palette.size()) return g.palette[index - 8u];
  if (index >= xls::kRgbColorBase && static_cast<size_t>(index - xls::kRgbColorBase) < g.rgbColors.size())
    return g.rgbColors[index - xls::kRgbColorBase];
  return automatic;
}

SheetFont sheetFont(const xls::WorkbookGlobals& g, uint16_t fontIndex, double scale) {
  const xls::FontInfo& f = fontOf(g, fontIndex);
  SheetFont out;
  out.family = notoFamilyFor(f.name);
  out.points = (f.heightPoints > 0 ? f.heightPoints : 11) * scale;
  out.bold = f.bold;
  out.italic = f.italic;
  out.underline = f.underline != 0;
  out.rgb = colourOf(g, f.colorIndex, 0x000000);
  return out;
}

std::vector<Block> splitBlocks(const std::vector<double>& sizes, int last, double available,
                               const std::vector<uint32_t>& breaks) {
  std::vector<Block> blocks;
  int start = 0;
  double used = 0;
  for (int i = 0; i <= last; ++i) {
    bool manual = i > start && std::binary_search(breaks.begin(), breaks.end(), static_cast<uint32_t>(i));
    if (i > start && (manual || used + sizes[i] > available + 1e-6)) {
      blocks.push_back({start, i - 1});
      start = i;
      used = 0;
    }
    used += sizes[i];
  }
  blocks.push_back({start, last});
  return blocks;
}

// Lines of a wrapped cell text: explicit line ends break, Latin words move whole where they
// can, other text breaks between any two characters.
std::vector<std::string> wrapCellText(SheetTextMetrics& m, const SheetFont& font, const std::string& text,
                                      double width) {
  std::vector<std::string> lines;
  std::u32string all = toU32(text);
  std::u32string cur;
  double curW = 0;
  size_t lastSpace = std::u32string::npos;
  auto adv = [&](char32_t c) { return m.widthMm(font, fromU32(std::u32string(1, c))); };
  auto flush = [&] {
    lines.push_back(fromU32(cur));
    cur.clear();
    curW = 0;
    lastSpace = std::u32string::npos;
  };
  for (size_t i = 0; i < all.size(); ++i) {
    char32_t c = all[i];
    if (c == U'\r') continue;
    if (c == U'\n') {
      flush();
      continue;
    }
    double a = adv(c);
    if (!cur.empty() && curW + a > width) {
      if (c == U' ') {
        flush();
        continue;
      }
      if (lastSpace != std::u32string::npos && lastSpace + 1 < cur.size()) {
        std::u32string rest = cur.substr(lastSpace + 1);
        cur.resize(lastSpace);
        flush();
        cur = rest;
        curW = 0;
        for (char32_t r : cur) curW += adv(r);
      } else {
        flush();
      }
    }
    if (c == U' ') lastSpace = cur.size();
    cur.push_back(c);
    curW += a;
  }
  if (!cur.empty() || lines.empty()) flush();
  return lines;
}


class SheetPager {
 public:
  SheetPager(const xls::Worksheet& sheet, const SheetPrintSetup& setup, HeaderFooterFields fields, SheetTextMetrics& m)
      : sheet_(sheet), data_(sheet.data()), g_(sheet.workbook().globals()), setup_(setup), fields_(std::move(fields)),
        m_(m), scale_(setup.zoom / 100.0) {
    merges_ = data_.mergedAreas;
    std::sort(merges_.begin(), merges_.end(),
              [](const xls::MergedArea& a, const xls::MergedArea& b) { return a.firstRow < b.firstRow; });
    buildGeometry();
    indexMerges();
    paper_ = paperOf(setup.layout);
    headingFont_ = sheetFont(g_, 0, scale_);
    placeShapes();
    padMm_ = kCellPaddingPixels * kMmPerPixel * scale_;
    indentUnitMm_ = kIndentSpaces * m_.widthMm(headingFont_, " ");
  }

  SheetPages run() {
    SheetPages out;
    out.title = sheet_.name();
    out.paper = paper_;
    out.warnings = warnings_;
    const auto& L = setup_.layout;
    const double leftMm = L.leftInches * kMmPerInch, rightMm = L.rightInches * kMmPerInch;
    const double topMm = L.topInches * kMmPerInch, bottomMm = L.bottomInches * kMmPerInch;
    availW_ = std::max(10.0, paper_.widthMm - leftMm - rightMm);
    availH_ = std::max(10.0, paper_.heightMm - topMm - bottomMm);
    headH_ = setup_.headings ? data_.defaultRowHeightTwips / 20.0 * kMmPerPoint * scale_ : 0;
    headW_ = setup_.headings ? m_.widthMm(headingFont_, std::to_string(geo_.lastRow + 1)) + 4 * padMm_ +
                                   2 * kMmPerPixel * scale_
                             : 0;
    std::vector<uint32_t> rowBreaks = L.rowBreaks, colBreaks(L.colBreaks.begin(), L.colBreaks.end());
    std::sort(rowBreaks.begin(), rowBreaks.end());
    std::sort(colBreaks.begin(), colBreaks.end());
    auto rows = splitBlocks(geo_.rowH, geo_.lastRow, availH_ - headH_, rowBreaks);
    auto cols = splitBlocks(geo_.colW, geo_.lastCol, availW_ - headW_, colBreaks);
    if (rows.size() * cols.size() > kMaxSheetPages) {
      throw VbError(kTooManyPages, "シート「" + sheet_.name() + "」は " + std::to_string(rows.size() * cols.size()) +
                                       " ページになり、印刷できる " + std::to_string(kMaxSheetPages) +
                                       " ページを超えます。ズームを小さくしてください。");
    }
    std::vector<std::pair<Block, Block>> order;
    if (L.overThenDown) {
      for (auto& r : rows)
        for (auto& c : cols) order.push_back({r, c});
    } else {
      for (auto& c : cols)
        for (auto& r : rows) order.push_back({r, c});
    }
    fields_.pages = static_cast<int>(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
      fields_.page = static_cast<int>(i + 1);
      out.pages.push_back(page(order[i].first, order[i].second, leftMm, topMm));
    }
    return out;
  }

 private:
  static PaperSize paperOf(const xls::SheetPageLayout& L) {
    xls::PaperMm p = xls::paperSizeMm(L.noPrinterSettings ? 0 : L.paperSize);
    if (L.landscape) return PaperSize{p.height, p.width, Orientation::Landscape};
    return PaperSize{p.width, p.height, Orientation::Portrait};
  }

  void buildGeometry() {
    int lastRow = 0, lastCol = 0;
    for (const auto& c : data_.cells) {
      if (c.type == xls::CellType::Blank && !hasFormatting(xfOf(g_, c.xf))) continue;
      lastRow = std::max<int>(lastRow, c.row);
      lastCol = std::max<int>(lastCol, c.col);
    }
    for (const auto& a : merges_) {
      lastRow = std::max<int>(lastRow, a.lastRow);
      lastCol = std::max<int>(lastCol, a.lastCol);
    }
    const auto [shapeCol, shapeRow] = shapesExtent(sheet_.drawing());
    lastRow = std::max(lastRow, std::min(shapeRow, kLastRow));
    lastCol = std::max(lastCol, std::min(shapeCol, kLastCol));
    geo_.lastRow = lastRow;
    geo_.lastCol = lastCol;
    // Column widths: COLINFO widths include the cell padding; the default width gets it added
    // and is rounded up to 8 pixels as Excel does.
    double defPx = data_.defaultColumnWidth * kMaxDigitPixels + 5;
    defPx = std::ceil(defPx / 8.0) * 8.0;
    geo_.colW.assign(lastCol + 1, defPx * kMmPerPixel * scale_);
    for (const auto& ci : data_.columns) {
      for (int c = ci.first; c <= ci.last && c <= lastCol; ++c) {
        double px = std::floor(ci.width / 256.0 * kMaxDigitPixels + 0.5);
        geo_.colW[c] = ci.hidden ? 0 : px * kMmPerPixel * scale_;
      }
    }
    geo_.rowH.assign(lastRow + 1, data_.defaultRowHeightTwips / 20.0 * kMmPerPoint * scale_);
    for (const auto& ri : data_.rows) {
      if (static_cast<int>(ri.row) > lastRow) continue;
      geo_.rowH[ri.row] = ri.hidden ? 0 : ri.heightTwips / 20.0 * kMmPerPoint * scale_;
    }
    geo_.colX = prefixSums(geo_.colW);
    geo_.rowY = prefixSums(geo_.rowH);
  }

  // The drawing layer in sheet millimetres, once for all pages.
  void placeShapes() {
    auto edge = [](const std::vector<double>& at, const std::vector<double>& size, int i, double fraction) {
      if (i < 0) return 0.0;
      if (static_cast<size_t>(i) >= size.size()) return at.back();
      return at[static_cast<size_t>(i)] + fraction * size[static_cast<size_t>(i)];
    };
    EdgeAt colX = [&](int i, double f) { return edge(geo_.colX, geo_.colW, i, f); };
    EdgeAt rowY = [&](int i, double f) { return edge(geo_.rowY, geo_.rowH, i, f); };
    SheetShapeStyle style{scale_, [this](uint16_t i) { return sheetFont(g_, i, scale_); }, &m_};
    shapes_ = placeSheetShapes(sheet_.drawing(), sheet_.workbook().pictures(), colX, rowY, style, warnings_);
  }

  void addShapes(Page& p) const {
    const double dx = cellsX_ - geo_.colX[cols_.first], dy = cellsY_ - geo_.rowY[rows_.first];
    for (const auto& s : shapes_) {
      PageShape placed = s;
      placed.box.x += dx;
      placed.box.y += dy;
      for (auto& step : placed.outline)
        for (auto& q : step.p) {
          q.x += dx;
          q.y += dy;
        }
      for (auto& t : placed.texts) {
        t.box.x += dx;
        t.box.y += dy;
        t.clip.x += dx;
        t.clip.y += dy;
      }
      // A shape shows on the pages its box overlaps (a straight line has no width or height).
      auto overlaps = [](double a, double aw, double b, double bw) {
        return aw > 0 ? a < b + bw && a + aw > b : a >= b && a <= b + bw;
      };
      if (!overlaps(placed.box.x, placed.box.w, area_.x, area_.w) || !overlaps(placed.box.y, placed.box.h, area_.y, area_.h))
        continue;
      placed.clip = area_;
      p.shapes.push_back(std::move(placed));
    }
  }

  // Merged areas by row, for lookups by cell. Areas past the entry limit print as plain cells.
  void indexMerges() {
    rowMerges_.assign(static_cast<size_t>(geo_.lastRow) + 1, {});
    size_t entries = 0;
    for (size_t i = 0; i < merges_.size(); ++i) {
      const auto& a = merges_[i];
      size_t rows = static_cast<size_t>(a.lastRow - a.firstRow) + 1;
      if (entries + rows > kMaxMergeRowEntries) break;
      entries += rows;
      for (int r = static_cast<int>(a.firstRow); r <= static_cast<int>(a.lastRow); ++r) rowMerges_[r].push_back(static_cast<uint32_t>(i));
    }
  }

  const xls::MergedArea* mergeAt(int r, int c) const {
    if (r < 0 || static_cast<size_t>(r) >= rowMerges_.size()) return nullptr;
    for (uint32_t i : rowMerges_[r]) {
      const auto& a = merges_[i];
      if (c >= a.firstCol && c <= a.lastCol) return &a;
    }
    return nullptr;
  }

  double x(int col) const { return cellsX_ + geo_.colX[col] - geo_.colX[cols_.first]; }
  double y(int row) const { return cellsY_ + geo_.rowY[row] - geo_.rowY[rows_.first]; }

  Page page(Block rows, Block cols, double leftMm, double topMm) {
    rows_ = rows;
    cols_ = cols;
    const double usedW = headW_ + geo_.colX[cols.last + 1] - geo_.colX[cols.first];
    const double usedH = headH_ + geo_.rowY[rows.last + 1] - geo_.rowY[rows.first];
    const double x0 = leftMm + (setup_.layout.hCenter ? std::max(0.0, (availW_ - usedW) / 2) : 0);
    const double y0 = topMm + (setup_.layout.vCenter ? std::max(0.0, (availH_ - usedH) / 2) : 0);
    cellsX_ = x0 + headW_;
    cellsY_ = y0 + headH_;
    area_ = BoxMm{cellsX_, cellsY_, std::min(usedW - headW_, availW_ - headW_), std::min(usedH - headH_, availH_ - headH_)};
    Page p;
    addFillsAndBorders(p);
    if (setup_.gridlines) addGridlines(p);
    if (setup_.headings) addHeadings(p, x0, y0);
    addTexts(p);
    addShapes(p);
    addHeaderFooter(p, leftMm);
    return p;
  }

  // Stored cells of the page's rows and columns.
  template <typename F>
  void forEachCell(F f) const {
    auto it = std::lower_bound(data_.cells.begin(), data_.cells.end(), rows_.first,
                               [](const xls::CellEntry& c, int row) { return static_cast<int>(c.row) < row; });
    for (; it != data_.cells.end() && static_cast<int>(it->row) <= rows_.last; ++it) {
      if (it->col < cols_.first || it->col > cols_.last) continue;
      if (geo_.rowH[it->row] <= 0 || geo_.colW[it->col] <= 0) continue;
      f(*it);
    }
  }

  void addRule(Page& p, double x1, double y1, double x2, double y2, double w, uint32_t rgb) {
    PageRule r;
    r.x1 = x1;
    r.y1 = y1;
    r.x2 = x2;
    r.y2 = y2;
    r.widthMm = w;
    r.rgb = rgb;
    p.rules.push_back(r);
  }

  void addFillsAndBorders(Page& p) {
    std::vector<PageRule> borders;
    forEachCell([&](const xls::CellEntry& c) {
      const xls::XfInfo& xf = xfOf(g_, c.xf);
      const double cx = x(c.col), cy = y(c.row), cw = geo_.colW[c.col], ch = geo_.rowH[c.row];
      if (xf.fillPattern != 0) {
        PageFill f;
        f.box = BoxMm{cx, cy, cw, ch};
        f.pattern = xf.fillPattern <= kFillPatternCount ? xf.fillPattern : 1;
        f.rgb = colourOf(g_, xf.fillForeColor, f.pattern == 1 ? 0xFFFFFF : 0x000000);
        f.backRgb = colourOf(g_, xf.fillBackColor, 0xFFFFFF);
        f.patternCellMm = kMmPerPixel * scale_;
        p.fills.push_back(f);
      }
      auto edge = [&](uint8_t style, uint16_t colour, double x1, double y1, double x2, double y2) {
        addBorderEdge(borders, style, colourOf(g_, colour, 0x000000), x1, y1, x2, y2, scale_);
      };
      edge(xf.borderLeft, xf.borderLeftColor, cx, cy, cx, cy + ch);
      edge(xf.borderRight, xf.borderRightColor, cx + cw, cy, cx + cw, cy + ch);
      edge(xf.borderTop, xf.borderTopColor, cx, cy, cx + cw, cy);
      edge(xf.borderBottom, xf.borderBottomColor, cx, cy + ch, cx + cw, cy + ch);
      if (xf.diagonal & 1) edge(xf.borderDiag, xf.borderDiagColor, cx, cy, cx + cw, cy + ch);
      if (xf.diagonal & 2) edge(xf.borderDiag, xf.borderDiagColor, cx, cy + ch, cx + cw, cy);
    });
    borders_ = std::move(borders);
  }

  void addGridlines(Page& p) {
    const double right = x(cols_.last + 1), bottom = y(rows_.last + 1);
    addRule(p, cellsX_, cellsY_, right, cellsY_, kGridWidthMm, kGridRgb);
    addRule(p, cellsX_, cellsY_, cellsX_, bottom, kGridWidthMm, kGridRgb);
    for (int r = rows_.first; r <= rows_.last; ++r) {
      if (geo_.rowH[r] <= 0) continue;
      for (int c = cols_.first; c <= cols_.last; ++c) {
        if (geo_.colW[c] <= 0) continue;
        const xls::MergedArea* m = mergeAt(r, c);
        if (!m || m->lastCol == c) addRule(p, x(c + 1), y(r), x(c + 1), y(r + 1), kGridWidthMm, kGridRgb);
        if (!m || static_cast<int>(m->lastRow) == r) addRule(p, x(c), y(r + 1), x(c + 1), y(r + 1), kGridWidthMm, kGridRgb);
      }
    }
  }

  void addHeadingText(Page& p, const BoxMm& box, const std::string& text) {
    PageText t;
    t.box = box;
    t.text = text;
    t.align = Align::Center;
    t.family = headingFont_.family;
    t.pointSize = headingFont_.points;
    t.clip = box;
    p.texts.push_back(t);
  }

  void addHeadings(Page& p, double x0, double y0) {
    const double right = x(cols_.last + 1), bottom = y(rows_.last + 1);
    addRule(p, x0, y0, right, y0, kHeadingRuleMm, 0);
    addRule(p, x0, y0, x0, bottom, kHeadingRuleMm, 0);
    addRule(p, x0, cellsY_, right, cellsY_, kHeadingRuleMm, 0);
    addRule(p, cellsX_, y0, cellsX_, bottom, kHeadingRuleMm, 0);
    for (int c = cols_.first; c <= cols_.last; ++c) {
      if (geo_.colW[c] <= 0) continue;
      addRule(p, x(c + 1), y0, x(c + 1), cellsY_, kHeadingRuleMm, 0);
      addHeadingText(p, BoxMm{x(c), y0, geo_.colW[c], headH_}, columnLetters(c));
    }
    for (int r = rows_.first; r <= rows_.last; ++r) {
      if (geo_.rowH[r] <= 0) continue;
      addRule(p, x0, y(r + 1), cellsX_, y(r + 1), kHeadingRuleMm, 0);
      addHeadingText(p, BoxMm{x0, y(r), headW_, geo_.rowH[r]}, std::to_string(r + 1));
    }
  }

  bool isEmptyAt(int r, int c) const {
    if (mergeAt(r, c)) return false;
    const xls::CellEntry* e = sheet_.find(static_cast<uint32_t>(r), static_cast<uint16_t>(c));
    return !e || (e->type == xls::CellType::Blank) || (e->type == xls::CellType::Text && sheet_.cell(r + 1, c + 1).text().empty());
  }

  static BoxMm intersect(const BoxMm& a, const BoxMm& b) {
    double x1 = std::max(a.x, b.x), y1 = std::max(a.y, b.y);
    double x2 = std::min(a.right(), b.right()), y2 = std::min(a.bottom(), b.bottom());
    return BoxMm{x1, y1, std::max(0.0, x2 - x1), std::max(0.0, y2 - y1)};
  }

  void addTexts(Page& p) {
    std::vector<std::pair<int, int>> anchors;
    forEachCell([&](const xls::CellEntry& c) {
      const xls::MergedArea* m = mergeAt(c.row, c.col);
      if (!m || (m->firstRow == c.row && m->firstCol == c.col)) anchors.push_back({c.row, c.col});
    });
    // Merged areas reaching into the page from an anchor on an earlier page.
    for (const auto& m : merges_) {
      if (static_cast<int>(m.firstRow) > rows_.last) break;
      bool intersects = static_cast<int>(m.lastRow) >= rows_.first && m.lastCol >= cols_.first && m.firstCol <= cols_.last;
      bool anchorHere = static_cast<int>(m.firstRow) >= rows_.first && m.firstCol >= cols_.first && m.firstCol <= cols_.last;
      if (intersects && !anchorHere) anchors.push_back({m.firstRow, m.firstCol});
    }
    for (auto [r, c] : anchors) addCellText(p, r, c);
    // Borders above fills and texts, as Excel draws them.
    for (const auto& b : borders_) p.rules.push_back(b);
  }

  void addCellText(Page& p, int r, int c) {
    const xls::CellEntry* e = sheet_.find(static_cast<uint32_t>(r), static_cast<uint16_t>(c));
    if (!e || e->type == xls::CellType::Blank) return;
    std::string text = sheet_.cell(r + 1, c + 1).text();
    if (text.empty()) return;
    const xls::XfInfo& xf = xfOf(g_, e->xf);
    const xls::MergedArea* m = mergeAt(r, c);
    int lastRow = m ? m->lastRow : r, lastCol = m ? m->lastCol : c;
    BoxMm cell{x(c), y(r), x(lastCol + 1) - x(c), y(lastRow + 1) - y(r)};
    if (cell.w <= 0 || cell.h <= 0) return;
    SheetFont font = sheetFont(g_, xf.font, scale_);
    const bool isNumber = e->type == xls::CellType::Number;
    Align align = Align::Left;
    switch (xf.hAlign) {
      case 2: case 6: align = Align::Center; break;
      case 3: align = Align::Right; break;
      case 1: case 4: case 5: align = Align::Left; break;
      default:
        align = isNumber ? Align::Right
                         : (e->type == xls::CellType::Boolean || e->type == xls::CellType::Error) ? Align::Center
                                                                                              : Align::Left;
        break;
    }
    // Indents move left- and right-aligned texts in from their edge.
    const double indent = (xf.hAlign == 1 || xf.hAlign == 3) ? xf.indent * indentUnitMm_ : 0;
    const double inner = std::max(0.0, cell.w - 2 * padMm_ - indent);
    const double innerX = cell.x + padMm_ + (xf.hAlign == 1 ? indent : 0);
    const double angle = textAngleDegrees(xf.rotation);
    if (angle != 0) {
      addTurnedText(p, text, font, align, xf.vAlign, cell, innerX, inner, angle);
      return;
    }
    const bool stacked = xf.rotation == kStackedRotation;
    const bool wrap = !stacked && (xf.wrap || xf.hAlign == 5);
    std::vector<std::string> lines;
    BoxMm clip = cell;
    if (stacked) {
      for (char32_t ch : toU32(text))
        if (ch != U'\r' && ch != U'\n') lines.push_back(fromU32(std::u32string(1, ch)));
    } else if (wrap) {
      lines = wrapCellText(m_, font, text, inner);
    } else {
      double tw = m_.widthMm(font, text);
      if (xf.shrink && tw > inner && inner > 0) {
        font.points *= inner / tw;
        tw = inner;
      }
      if (isNumber && tw > cell.w - padMm_) {
        double hash = std::max(0.01, m_.widthMm(font, "#"));
        int n = std::max(1, static_cast<int>((cell.w - padMm_) / hash));
        text.assign(static_cast<size_t>(n), '#');
      } else if (xf.hAlign == 4 && tw > 0 && tw < inner) {
        std::string one = text;
        for (int n = static_cast<int>(inner / tw); n > 1; --n) text += one;
      } else if (!isNumber && !m && tw > inner) {
        clip = overflowBox(r, c, cell, align, tw - inner);
      }
      lines.push_back(text);
    }
    const double lh = m_.lineHeightMm(font);
    const double total = lh * static_cast<double>(lines.size());
    double top;
    switch (xf.vAlign) {
      case 0: top = cell.y + padMm_ / 2; break;
      case 1: top = cell.y + (cell.h - total) / 2; break;
      default: top = cell.bottom() - total - padMm_ / 2; break;
    }
    if (total > cell.h && xf.vAlign != 1) top = cell.y;  // text taller than its cell starts at the top
    clip = intersect(clip, area_);
    if (clip.w <= 0 || clip.h <= 0) return;
    for (size_t i = 0; i < lines.size(); ++i)
      p.texts.push_back(cellText(font, BoxMm{innerX, top + lh * static_cast<double>(i), inner, lh}, lines[i], align, clip));
  }

  PageText cellText(const SheetFont& font, const BoxMm& box, std::string text, Align align, const BoxMm& clip) const {
    PageText t;
    t.box = box;
    t.text = std::move(text);
    t.align = align;
    t.family = font.family;
    t.pointSize = font.points;
    t.bold = font.bold;
    t.italic = font.italic;
    t.underline = font.underline;
    t.rgb = font.rgb;
    t.clip = clip;
    return t;
  }

  // One line turned by `angle` degrees: its upright extent is placed in the cell by the
  // alignments, and the text turns about the extent's centre. It stays inside its cell.
  void addTurnedText(Page& p, const std::string& text, const SheetFont& font, Align align, uint8_t vAlign,
                     const BoxMm& cell, double innerX, double inner, double angle) {
    const double tw = m_.widthMm(font, text), lh = m_.lineHeightMm(font);
    const Extent ext = turnedExtent(tw, lh, angle);
    double left = innerX;
    if (align == Align::Right) left = innerX + inner - ext.w;
    if (align == Align::Center) left = cell.x + (cell.w - ext.w) / 2;
    double top;
    switch (vAlign) {
      case 0: top = cell.y + padMm_ / 2; break;
      case 1: top = cell.y + (cell.h - ext.h) / 2; break;
      default: top = cell.bottom() - ext.h - padMm_ / 2; break;
    }
    const BoxMm clip = intersect(cell, area_);
    if (clip.w <= 0 || clip.h <= 0) return;
    const double midX = left + ext.w / 2, midY = top + ext.h / 2;
    PageText t = cellText(font, BoxMm{midX - tw / 2, midY - lh / 2, tw, lh}, text, Align::Left, clip);
    t.rotation = angle;
    p.texts.push_back(std::move(t));
  }

  // The room a text that does not fit may take from empty neighbours on the page.
  BoxMm overflowBox(int r, int c, const BoxMm& cell, Align align, double excess) const {
    double left = cell.x, right = cell.right();
    auto growRight = [&](double need) {
      for (int k = c + 1; k <= cols_.last && right - cell.right() < need; ++k) {
        if (!isEmptyAt(r, k)) break;
        right += geo_.colW[k];
      }
    };
    auto growLeft = [&](double need) {
      for (int k = c - 1; k >= cols_.first && cell.x - left < need; --k) {
        if (!isEmptyAt(r, k)) break;
        left -= geo_.colW[k];
      }
    };
    if (align == Align::Left) growRight(excess);
    if (align == Align::Right) growLeft(excess);
    if (align == Align::Center) {
      growRight(excess / 2);
      growLeft(excess / 2);
    }
    return BoxMm{left, cell.y, right - left, cell.h};
  }

  void addHeaderFooter(Page& p, double leftMm) {
    const auto& L = setup_.layout;
    SheetFont font = sheetFont(g_, 0, 1.0);
    const double lh = m_.lineHeightMm(font);
    const double width = paper_.widthMm - leftMm - L.rightInches * kMmPerInch;
    auto place = [&](const std::string& codes, bool footer) {
      if (codes.empty()) return;
      HeaderFooterText t = expandHeaderFooter(codes, fields_);
      const std::pair<const std::string*, Align> parts[] = {
          {&t.left, Align::Left}, {&t.center, Align::Center}, {&t.right, Align::Right}};
      for (const auto& [text, align] : parts) {
        std::vector<std::string> lines = wrapCellText(m_, font, *text, 1e9);
        if (text->empty()) continue;
        double top = footer ? paper_.heightMm - L.footerInches * kMmPerInch - lh * static_cast<double>(lines.size())
                            : L.headerInches * kMmPerInch;
        for (size_t i = 0; i < lines.size(); ++i) {
          PageText pt;
          pt.box = BoxMm{leftMm, top + lh * static_cast<double>(i), width, lh};
          pt.text = lines[i];
          pt.align = align;
          pt.family = font.family;
          pt.pointSize = font.points;
          pt.rgb = 0;
          p.texts.push_back(pt);
        }
      }
    };
    place(L.header, false);
    place(L.footer, true);
  }

  const xls::Worksheet& sheet_;
  const xls::SheetData& data_;
  const xls::WorkbookGlobals& g_;
  const SheetPrintSetup& setup_;
  HeaderFooterFields fields_;
  SheetTextMetrics& m_;
  double scale_;
  std::vector<xls::MergedArea> merges_;
  std::vector<std::vector<uint32_t>> rowMerges_;
  Geometry geo_;
  PaperSize paper_;
  SheetFont headingFont_;
  double padMm_ = 0;
  double indentUnitMm_ = 0;
  double availW_ = 0, availH_ = 0, headW_ = 0, headH_ = 0;
  double cellsX_ = 0, cellsY_ = 0;
  BoxMm area_;
  Block rows_, cols_;
  std::vector<PageRule> borders_;
  std::vector<PageShape> shapes_;
  std::vector<std::string> warnings_;
};

}  // namespace

std::string columnLetters(int col) {
  std::string s;
  for (int n = col + 1; n > 0; n = (n - 1) / 26) s.insert(s.begin(), static_cast<char>('A' + (n - 1) % 26));
  return s;
}

SheetPrintSetup sheetPrintSetup(const xls::Worksheet& sheet, int zoom) {
  SheetPrintSetup s;
  s.layout = sheet.data().pageLayout;
  s.zoom = zoom;
  s.headings = true;
  s.gridlines = sheet.data().printGridlines || sheet.pageSetup().printGridlines;
  return s;
}

SheetPages layoutSheet(const xls::Worksheet& sheet, const SheetPrintSetup& setup, HeaderFooterFields fields,
                       SheetTextMetrics& metrics) {
  return SheetPager(sheet, setup, std::move(fields), metrics).run();
}

}  // namespace zel::report
