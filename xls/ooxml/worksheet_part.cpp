// A worksheet part, read streaming: cells with their values and formulas (shared formulas
// expanded to every cell of their range, array and data-table formulas given to every cell
// they cover), rows, columns, merged areas, protection, view and page setup.
#include "xls/ooxml/part_readers.h"
#include "xls/ooxml/xml_number.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "xls/huge_pages.h"

namespace zel::xls::ooxml {
namespace {

constexpr uint64_t kMaxReservedCells = uint64_t{1} << 22;
constexpr uint64_t kFewestBytesPerCell = 20;  // <c r="A1"><v>1</v></c>

std::optional<double> realNumber(std::string_view s) {
  double v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc()) return std::nullopt;
  return v;
}

bool isTrue(std::string_view s) { return s == "1" || s == "true"; }
bool attrTrue(const XmlReader& xml, std::string_view name, bool fallback = false) {
  auto v = xml.attrView(name);
  return v ? isTrue(*v) : fallback;
}

double attrDouble(const XmlReader& xml, std::string_view name, double fallback) {
  auto v = xml.attrView(name);
  if (!v) return fallback;
  return realNumber(*v).value_or(fallback);
}

// A formula that covers a range: array formulas and data tables.
struct CoveringFormula {
  CellRange range;
  int32_t formula = -1;
};

struct SharedMaster {
  uint32_t row = 0, col = 0;
  std::string text;
};

class WorksheetReader {
 public:
  WorksheetReader(XmlReader& xml, SheetData& sheet, const std::vector<ExternalBookName>& books, bool date1904,
                  uint64_t partBytes)
      : xml_(xml), sheet_(sheet), books_(books), date1904_(date1904), partBytes_(partBytes) {}

  SheetPartLinks run() {
    std::string breaks;
    while (xml_.next()) {
      if (!xml_.isStart()) {
        if (xml_.localName() == "rowBreaks" || xml_.localName() == "colBreaks") breaks.clear();
        continue;
      }
      std::string_view n = xml_.localName();
      if (n == "c") cell();
      else if (n == "row") rowStart();
      else if (n == "sheetData") reserveCells(partBytes_ / kFewestBytesPerCell);
      else if (n == "col") column();
      else if (n == "dimension") dimension();
      else if (n == "mergeCell") merge();
      else if (n == "sheetProtection") protection();
      else if (n == "printOptions") {
        sheet_.printHeadings = attrTrue(xml_, "headings");
        sheet_.printGridlines = attrTrue(xml_, "gridLines");
      } else if (n == "pageSetUpPr") {
        sheet_.fitToPage = attrTrue(xml_, "fitToPage");
      } else if (n == "pageSetup") {
        pageSetup();
      } else if (n == "pageMargins") {
        SheetPageLayout& l = sheet_.pageLayout;
        l.leftInches = attrDouble(xml_, "left", l.leftInches);
        l.rightInches = attrDouble(xml_, "right", l.rightInches);
        l.topInches = attrDouble(xml_, "top", l.topInches);
        l.bottomInches = attrDouble(xml_, "bottom", l.bottomInches);
        l.headerInches = attrDouble(xml_, "header", l.headerInches);
        l.footerInches = attrDouble(xml_, "footer", l.footerInches);
      } else if (n == "oddHeader") {
        sheet_.pageLayout.header = xml_.text();
      } else if (n == "oddFooter") {
        sheet_.pageLayout.footer = xml_.text();
      } else if (n == "rowBreaks" || n == "colBreaks") {
        breaks = n;
      } else if (n == "brk") {
        pageBreak(breaks);
      } else if (n == "sheetView") {
        sheetView();
      } else if (n == "sheetFormatPr") {
        double height = attrDouble(xml_, "defaultRowHeight", 15);
        sheet_.defaultRowHeightTwips = static_cast<uint16_t>(std::clamp(height * 20, 0.0, 8192.0));
        double width = attrDouble(xml_, "baseColWidth", 8);
        sheet_.defaultColumnWidth = static_cast<uint16_t>(std::clamp(width, 0.0, 255.0));
      } else if (n == "legacyDrawing") {
        links_.legacyDrawingRelId = xml_.attr("id").value_or("");
      } else if (n == "drawing") {
        links_.drawingRelId = xml_.attr("id").value_or("");
      } else if (n == "oleObject" || n == "control") {
        readSheetObject(xml_, links_.objects);
      }
    }
    finish();
    return links_;
  }

 private:
  void rowStart() {
    auto r = xml_.attrView("r");
    uint32_t row = nextRow_;
    if (r) {
      auto v = xmlInteger<uint32_t>(*r);
      if (v && *v >= 1 && *v <= kMaxRows) row = *v - 1;
    }
    row_ = row;
    nextRow_ = row + 1;
    nextCol_ = 0;
    bool custom = attrTrue(xml_, "customHeight");
    bool hidden = attrTrue(xml_, "hidden");
    auto ht = xml_.attrView("ht");
    if (custom || hidden || ht) {
      RowInfo info;
      info.row = row;
      info.customHeight = custom;
      info.hidden = hidden;
      double points = ht ? realNumber(*ht).value_or(15) : sheet_.defaultRowHeightTwips / 20.0;
      info.heightTwips = static_cast<uint16_t>(std::clamp(points * 20, 0.0, 8192.0));
      sheet_.rows.push_back(info);
    }
  }

  void cell() {
    CellEntry e;
    if (auto r = xml_.attrView("r"))
      if (auto p = parseCellReference(*r)) {
        row_ = p->row;
        nextRow_ = row_ + 1;
        nextCol_ = p->col;
      }
    if (auto s = xml_.attrView("s")) e.xf = xmlInteger<uint16_t>(*s).value_or(0);
    // Short and copied: the view would not outlive the reader's move into the cell's children.
    std::string typeText(xml_.attrView("t").value_or(""));
    std::string_view type = typeText;
    if (nextCol_ >= kMaxColumns) {
      sheet_.warnings.push_back("a cell beyond the last column was skipped");
      xml_.skip();
      return;
    }
    e.row = row_;
    e.col = static_cast<uint16_t>(nextCol_);
    ++nextCol_;
    std::optional<std::string> value, inlineText;
    if (!xml_.isEmptyElement()) {
      while (xml_.next()) {
        std::string_view n = xml_.localName();
        if (!xml_.isStart()) {
          if (n == "c") break;
          continue;
        }
        if (n == "v") value = xml_.text();
        else if (n == "f") formula(e);
        else if (n == "is") inlineText = inlineString();
        else xml_.skip();
      }
    }
    setValue(e, type, value, inlineText);
    sheet_.cells.push_back(e);
  }

  std::string inlineString() {
    std::string out;
    if (xml_.isEmptyElement()) return out;
    while (xml_.next()) {
      std::string_view n = xml_.localName();
      if (!xml_.isStart()) {
        if (n == "is") break;
        continue;
      }
      if (n == "rPh") xml_.skip();
      else if (n == "t") out += xml_.text();
    }
    return out;
  }

  void setValue(CellEntry& e, std::string_view type, const std::optional<std::string>& value,
                const std::optional<std::string>& inlineText) {
    if (type == "inlineStr") {
      e.type = CellType::Text;
      e.text = addString(inlineText.value_or(value.value_or("")));
      return;
    }
    if (!value) return;  // Blank (a formatted empty cell or a formula without a cached value)
    if (type == "s") {
      auto i = xmlInteger<uint32_t>(*value);
      e.type = CellType::Text;
      e.textInSst = true;
      e.text = i.value_or(UINT32_MAX);
      if (!i) sheet_.warnings.push_back("a shared string index that is not a number was read as empty text");
    } else if (type == "str") {
      e.type = CellType::Text;
      e.text = addString(*value);
    } else if (type == "b") {
      e.type = CellType::Boolean;
      e.code = *value == "1" || *value == "true" ? 1 : 0;
    } else if (type == "e") {
      e.type = CellType::Error;
      e.code = errorCodeOf(*value);
    } else if (type == "d") {
      auto serial = isoDateSerial(*value);
      e.type = serial ? CellType::Number : CellType::Text;
      // Serial 0 of the 1904 system is 1904-01-01, 1462 days after the 1900 system's.
      if (serial) e.number = date1904_ ? *serial - 1462 : *serial;
      else e.text = addString(*value);
    } else {
      auto v = realNumber(*value);
      if (!v) {
        sheet_.warnings.push_back("the value of " + cellAddress(e.row, e.col) + " is not a number");
        return;
      }
      e.type = CellType::Number;
      e.number = *v;
    }
  }

  uint32_t addString(std::string s) {
    sheet_.strings.push_back(std::move(s));
    return static_cast<uint32_t>(sheet_.strings.size() - 1);
  }

  int32_t addFormula(const std::string& text) { return sheet_.addFormulaText(text); }

  void formula(CellEntry& e) {
    std::string kind(xml_.attrView("t").value_or("normal"));
    auto copy = [this](std::string_view name) -> std::optional<std::string> {
      if (auto v = xml_.attrView(name)) return std::string(*v);
      return std::nullopt;
    };
    std::optional<std::string> ref, r1, r2;
    std::optional<unsigned> si;
    if (auto v = xml_.attrView("si")) si = xmlInteger<unsigned>(*v).value_or(UINT32_MAX);
    bool twoInputs = false, rowInput = false;
    if (kind != "shared") {
      ref = copy("ref");
      r1 = copy("r1");
      r2 = copy("r2");
      twoInputs = attrTrue(xml_, "dt2D");
      rowInput = attrTrue(xml_, "dtr");
    }
    std::string text = xml_.text();
    if (kind == "shared" && si) {
      unsigned id = *si;
      if (!text.empty()) {
        shared_[id] = SharedMaster{e.row, e.col, text};
        e.formula = addFormula(displayFormula(text, books_));
        return;
      }
      auto it = shared_.find(id);
      if (it == shared_.end()) {
        sheet_.warnings.push_back("the shared formula of " + cellAddress(e.row, e.col) + " has no first cell");
        return;
      }
      e.formula = addFormula(displayFormula(it->second.text, books_, static_cast<int32_t>(e.row - it->second.row),
                                            static_cast<int32_t>(e.col) - static_cast<int32_t>(it->second.col)));
      return;
    }
    if (kind == "dataTable") {
      // A data table shows its input cells, as Excel 97 does.
      std::string first = r1.value_or("");
      std::string table = twoInputs ? "=TABLE(" + first + "," + r2.value_or("") + ")"
                          : rowInput ? "=TABLE(" + first + ",)"
                                     : "=TABLE(," + first + ")";
      e.formula = addFormula(table);
      if (ref)
        if (auto range = parseRangeReference(*ref)) covering_.push_back({*range, e.formula});
      return;
    }
    if (text.empty()) return;
    e.formula = addFormula(displayFormula(text, books_));
    if (kind == "array" && ref)
      if (auto range = parseRangeReference(*ref)) covering_.push_back({*range, e.formula});
  }

  void column() {
    auto min = xmlInteger<uint32_t>(xml_.attr("min").value_or(""));
    auto max = xmlInteger<uint32_t>(xml_.attr("max").value_or(""));
    if (!min || !max || *min < 1 || *max < *min) return;
    ColumnInfo c;
    c.first = static_cast<uint16_t>(std::min(*min - 1, kMaxColumns - 1));
    c.last = static_cast<uint16_t>(std::min(*max - 1, kMaxColumns - 1));
    c.width = static_cast<uint16_t>(std::clamp(attrDouble(xml_, "width", sheet_.defaultColumnWidth) * 256, 0.0, 65535.0));
    c.xf = xmlInteger<uint16_t>(xml_.attr("style").value_or("0")).value_or(0);
    c.hidden = attrTrue(xml_, "hidden");
    sheet_.columns.push_back(c);
  }

  void dimension() {
    auto range = parseRangeReference(xml_.attr("ref").value_or(""));
    if (!range) return;
    sheet_.dimFirstRow = range->first.row;
    sheet_.dimLastRow = range->last.row + 1;
    sheet_.dimFirstCol = static_cast<uint16_t>(range->first.col);
    sheet_.dimLastCol = static_cast<uint16_t>(range->last.col + 1);
    reserveCells((uint64_t{range->last.row} - range->first.row + 1) * (range->last.col - range->first.col + 1));
  }

  // The cells the sheet says it uses (or its size allows), reserved at once: growing the
  // vector by copying cost as much as the parse. A claim beyond the cap only gets the cap; the
  // memory is touched only as cells arrive.
  void reserveCells(uint64_t count) {
    if (!sheet_.cells.empty() || sheet_.cells.capacity() > 0) return;
    sheet_.cells.reserve(static_cast<size_t>(std::min<uint64_t>(count, kMaxReservedCells)));
    adviseHugePages(sheet_.cells);
  }

  void merge() {
    auto range = parseRangeReference(xml_.attr("ref").value_or(""));
    if (!range || range->last.row >= kMaxRows || sheet_.mergedAreas.size() >= kMaxMergedAreas) return;
    MergedArea a;
    a.firstRow = range->first.row;
    a.lastRow = range->last.row;
    a.firstCol = static_cast<uint16_t>(range->first.col);
    a.lastCol = static_cast<uint16_t>(range->last.col);
    sheet_.mergedAreas.push_back(a);
  }

  void protection() {
    sheet_.protectContents = attrTrue(xml_, "sheet");
    // objects/scenarios="1" mean those are locked too, once the sheet is protected.
    sheet_.protectObjects = sheet_.protectContents && attrTrue(xml_, "objects");
    sheet_.protectScenarios = sheet_.protectContents && attrTrue(xml_, "scenarios");
  }

  void pageSetup() {
    SheetPageLayout& l = sheet_.pageLayout;
    l.noPrinterSettings = false;
    l.paperSize = xmlInteger<uint16_t>(xml_.attr("paperSize").value_or("9")).value_or(9);
    l.scale = xmlInteger<uint16_t>(xml_.attr("scale").value_or("100")).value_or(100);
    l.fitWidth = xmlInteger<uint16_t>(xml_.attr("fitToWidth").value_or("1")).value_or(1);
    l.fitHeight = xmlInteger<uint16_t>(xml_.attr("fitToHeight").value_or("1")).value_or(1);
    l.landscape = xml_.attr("orientation").value_or("") == "landscape";
    l.overThenDown = xml_.attr("pageOrder").value_or("") == "overThenDown";
    sheet_.printScale = l.scale;
    sheet_.landscape = l.landscape;
  }

  void pageBreak(const std::string& kind) {
    auto id = xmlInteger<uint32_t>(xml_.attr("id").value_or(""));
    if (!id) return;
    if (kind == "colBreaks") {
      auto& list = sheet_.pageLayout.colBreaks;
      if (*id < kMaxColumns && list.size() < kMaxPageBreaks) list.push_back(static_cast<uint16_t>(*id));
    } else {
      auto& list = sheet_.pageLayout.rowBreaks;
      if (*id < kMaxRows && list.size() < kMaxPageBreaks) list.push_back(*id);
    }
  }

  void sheetView() {
    sheet_.selected = attrTrue(xml_, "tabSelected");
    sheet_.windowZoom = xmlInteger<uint16_t>(xml_.attr("zoomScale").value_or("100")).value_or(100);
    sheet_.displayGridlines = attrTrue(xml_, "showGridLines", true);
    sheet_.displayHeadings = attrTrue(xml_, "showRowColHeaders", true);
    sheet_.displayZeros = attrTrue(xml_, "showZeros", true);
  }

  void finish() {
    auto before = [](const CellEntry& a, const CellEntry& b) { return a.row != b.row ? a.row < b.row : a.col < b.col; };
    auto& cells = sheet_.cells;
    if (!std::is_sorted(cells.begin(), cells.end(), before)) {
      std::stable_sort(cells.begin(), cells.end(), before);
      sheet_.warnings.push_back("cells were stored out of order");
    }
    // One entry per position: the last one written wins.
    auto same = [](const CellEntry& a, const CellEntry& b) { return a.row == b.row && a.col == b.col; };
    for (size_t i = 0; i + 1 < cells.size(); ++i)
      if (same(cells[i], cells[i + 1])) {
        std::vector<CellEntry> unique;
        unique.reserve(cells.size());
        for (size_t k = 0; k < cells.size(); ++k)
          if (k + 1 == cells.size() || !same(cells[k], cells[k + 1])) unique.push_back(cells[k]);
        cells.swap(unique);
        sheet_.warnings.push_back("a cell was stored twice; the later one was kept");
        break;
      }
    // Array formulas and data tables show in every cell they cover.
    for (const CoveringFormula& f : covering_) {
      auto it = std::lower_bound(cells.begin(), cells.end(), f.range.first.row,
                                 [](const CellEntry& c, uint32_t row) { return c.row < row; });
      for (; it != cells.end() && it->row <= f.range.last.row; ++it)
        if (it->col >= f.range.first.col && it->col <= f.range.last.col && it->formula < 0) it->formula = f.formula;
    }
    std::sort(sheet_.rows.begin(), sheet_.rows.end(), [](const RowInfo& a, const RowInfo& b) { return a.row < b.row; });
  }

  XmlReader& xml_;
  SheetData& sheet_;
  const std::vector<ExternalBookName>& books_;
  bool date1904_;
  uint64_t partBytes_;
  SheetPartLinks links_;
  uint32_t row_ = 0, nextRow_ = 0, nextCol_ = 0;
  std::unordered_map<unsigned, SharedMaster> shared_;
  std::vector<CoveringFormula> covering_;
};

}  // namespace

SheetPartLinks readWorksheetPart(XmlReader& xml, SheetData& sheet, const std::vector<ExternalBookName>& books,
                                 bool date1904, uint64_t partBytes) {
  return WorksheetReader(xml, sheet, books, date1904, partBytes).run();
}

}  // namespace zel::xls::ooxml
