// Worksheet, Range, Cell and Name of the object model; formula text of cells.
#include <algorithm>

#include "core/vb_error.h"
#include "xls/excel_model.h"
#include "xls/formula/formula_printer.h"
#include "xls/formula/number_text.h"
#include "xls/formula/sheet_name_text.h"
#include "xls/name_ranges.h"
#include "xls/number_format.h"

namespace zel::xls {
namespace {

// Row-major order of positions; columns take 14 bits (16384 columns of an Office 2007+ sheet).
uint64_t positionKey(uint32_t row, uint32_t col) { return (static_cast<uint64_t>(row) << 14) | col; }
uint64_t positionKey(const CellEntry& c) { return positionKey(c.row, c.col); }

}  // namespace

// ---- Worksheet --------------------------------------------------------------------------

Worksheet::Worksheet(Workbook& book, int index)
    : book_(&book), index_(index), data_(&book.sheetData(static_cast<int>(book.boundSheetIndex(index + 1)))) {
  const SheetData& d = data();
  protectContents_ = d.protectContents;
  protectObjects_ = d.protectObjects;
  protectScenarios_ = d.protectScenarios;
  pageSetup_.printHeadings = d.printHeadings;
  pageSetup_.printGridlines = d.printGridlines;
  pageSetup_.zoom = d.fitToPage ? 0 : d.printScale;
  pageSetup_.landscape = d.landscape;
}

std::string Worksheet::name() const { return book_->globals().sheets[book_->boundSheetIndex(index_ + 1)].name; }

SheetType Worksheet::type() const { return data().type; }

int Worksheet::visible() const {
  if (visibleOverride_ != 1) return visibleOverride_;
  switch (book_->globals().sheets[book_->boundSheetIndex(index_ + 1)].visibility) {
    case SheetVisibility::Visible: return kSheetVisible;
    case SheetVisibility::Hidden: return kSheetHidden;
    case SheetVisibility::VeryHidden: return kSheetVeryHidden;
  }
  return kSheetVisible;
}

void Worksheet::setVisible(int value) {
  if (value != kSheetVisible && value != kSheetHidden && value != kSheetVeryHidden && value != 1)
    throw VbError(1004, "Unable to set the Visible property of the Worksheet class");
  visibleOverride_ = value == 1 ? kSheetVisible : value;
}

void Worksheet::activate() { book_->setActiveSheet(index_ + 1); }

void Worksheet::select() {
  if (visible() != kSheetVisible) throw VbError(1004, "Select method of Worksheet class failed");
  book_->setActiveSheet(index_ + 1);
}

void Worksheet::unprotect() {
  protectContents_ = protectObjects_ = protectScenarios_ = false;
}

void Worksheet::protect(bool drawingObjects, bool contents, bool scenarios) {
  protectObjects_ = drawingObjects;
  protectContents_ = contents;
  protectScenarios_ = scenarios;
}

const CellEntry* Worksheet::find(uint32_t row, uint16_t col) const {
  const auto& cells = data().cells;
  uint64_t key = positionKey(row, col);
  auto it = std::lower_bound(cells.begin(), cells.end(), key, [](const CellEntry& c, uint64_t k) { return positionKey(c) < k; });
  return it != cells.end() && positionKey(*it) == key ? &*it : nullptr;
}

const NoteEntry* Worksheet::noteAt(uint32_t row, uint16_t col) const {
  const auto& notes = data().notes;
  auto it = std::lower_bound(notes.begin(), notes.end(), std::make_pair(row, col), [](const NoteEntry& n, const std::pair<uint32_t, uint16_t>& k) {
    return std::make_pair(static_cast<uint32_t>(n.row), n.col) < k;
  });
  return it != notes.end() && it->row == row && it->col == col ? &*it : nullptr;
}

Cell Worksheet::cell(uint32_t row, uint16_t col) const {
  // Office 2007+ sheets are larger than Excel 97's 65536 x 256.
  if (row < 1 || row > 1048576 || col < 1 || col > 16384) throw VbError(1004, "Application-defined or object-defined error");
  return Cell(*this, row - 1, static_cast<uint16_t>(col - 1), find(row - 1, static_cast<uint16_t>(col - 1)));
}

Range Worksheet::usedRange() const {
  // Every stored cell (formatted blanks included) and every note counts, as in Excel.
  const SheetData& d = data();
  if (d.type == SheetType::Chart) return Range::none(*this);
  bool any = false;
  uint32_t r1 = 0, r2 = 0;
  uint16_t c1 = 0, c2 = 0;
  auto include = [&](uint32_t r, uint16_t c) {
    if (!any) {
      r1 = r2 = r;
      c1 = c2 = c;
      any = true;
      return;
    }
    r1 = std::min(r1, r);
    r2 = std::max(r2, r);
    c1 = std::min(c1, c);
    c2 = std::max(c2, c);
  };
  if (!d.cells.empty()) {
    r1 = d.cells.front().row;
    r2 = d.cells.back().row;
    c1 = c2 = d.cells.front().col;
    any = true;
    for (const CellEntry& c : d.cells) {
      c1 = std::min(c1, c.col);
      c2 = std::max(c2, c.col);
    }
  }
  for (const NoteEntry& n : d.notes) include(n.row, n.col);
  if (!any) return Range(*this, 0, 0, 0, 0);
  return Range(*this, r1, c1, r2, c2);
}

// ---- Range ------------------------------------------------------------------------------

std::string Range::address() const {
  if (count() == 0) return "";
  std::string first = cellAddress(r1_, static_cast<uint16_t>(c1_), true, true);
  if (r1_ == r2_ && c1_ == c2_) return first;
  return first + ":" + cellAddress(r2_, static_cast<uint16_t>(c2_), true, true);
}

Cell Range::item(long index) const {
  if (index < 1 || index > count()) throw VbError(1004, "Application-defined or object-defined error");
  long i = index - 1;
  uint32_t row = r1_ + static_cast<uint32_t>(i / columnsCount());
  uint16_t col = static_cast<uint16_t>(c1_ + static_cast<uint32_t>(i % columnsCount()));
  return Cell(*sheet_, row, col, sheet_->find(row, col));
}

void Range::iterator::nextRow() {
  col_ = static_cast<uint16_t>(range_->c1_);
  ++row_;
  if (row_ > range_->r2_) return;  // end position: (r2 + 1, c1)
  // Skip the cells right of the range on the old row and left of it on the new one: usually
  // none, so look at the next few before galloping and searching.
  const uint64_t key = positionKey(row_, col_);
  auto before = [key](const CellEntry& c) { return positionKey(c) < key; };
  size_t step = 1;
  const CellEntry* from = next_;
  while (from != end_ && before(*from)) {
    if (static_cast<size_t>(end_ - from) <= step || !before(from[step])) {
      next_ = std::partition_point(from, std::min(from + step, end_), before);
      return;
    }
    from += step;
    step *= 2;
  }
  next_ = from;
}

Range::iterator Range::begin() const {
  const auto& cells = sheet_->data().cells;
  const CellEntry* first = cells.data();
  const CellEntry* last = first + cells.size();
  const uint64_t key = positionKey(r1_, c1_);
  const CellEntry* next = std::partition_point(first, last, [key](const CellEntry& c) { return positionKey(c) < key; });
  return iterator(this, r1_, static_cast<uint16_t>(c1_), next, last);
}

Range::iterator Range::end() const {
  const auto& cells = sheet_->data().cells;
  return iterator(this, r2_ + 1, static_cast<uint16_t>(c1_), cells.data() + cells.size(), cells.data() + cells.size());
}

// ---- Cell -------------------------------------------------------------------------------

CellValue Cell::value() const {
  CellValue v;
  if (!entry_) return v;
  switch (entry_->type) {
    case CellType::Blank: break;
    case CellType::Number:
      v.kind = CellValue::Kind::Number;
      v.number = entry_->number;
      break;
    case CellType::Text:
      v.kind = CellValue::Kind::Text;
      v.text = textValue();
      break;
    case CellType::Boolean:
      v.kind = CellValue::Kind::Boolean;
      v.boolean = entry_->code != 0;
      break;
    case CellType::Error:
      v.kind = CellValue::Kind::Error;
      v.errorCode = entry_->code;
      break;
  }
  return v;
}

bool Cell::isEmpty() const { return !entry_ || entry_->type == CellType::Blank; }

std::string_view Cell::textValue() const {
  if (!entry_ || entry_->type != CellType::Text) return {};
  const auto& strings = entry_->textInSst ? sheet_->workbook().globals().sst : sheet_->data().strings;
  return entry_->text < strings.size() ? std::string_view(strings[entry_->text]) : std::string_view();
}

std::string Cell::valueText() const {
  CellValue v = value();
  switch (v.kind) {
    case CellValue::Kind::Empty: return "";
    case CellValue::Kind::Number: return formulaNumberText(v.number);
    case CellValue::Kind::Text: return v.text;
    case CellValue::Kind::Boolean: return v.boolean ? "True" : "False";
    case CellValue::Kind::Error: return "";
  }
  return "";
}

std::string Cell::text() const {
  CellValue v = value();
  const Workbook& book = sheet_->workbook();
  switch (v.kind) {
    case CellValue::Kind::Empty: return "";
    case CellValue::Kind::Number: return formatNumber(book.numberFormatOf(entry_->xf), v.number, book.globals().dateMode1904);
    case CellValue::Kind::Text: {
      std::string fmt = book.numberFormatOf(entry_->xf);
      return fmt == "General" || fmt == "@" ? v.text : formatText(fmt, v.text);
    }
    case CellValue::Kind::Boolean: return v.boolean ? "TRUE" : "FALSE";
    case CellValue::Kind::Error: return errorText(v.errorCode);
  }
  return "";
}

std::string Cell::formula() const {
  const Workbook& book = sheet_->workbook();
  if (hasFormula()) return book.cellFormula(*sheet_, *entry_).text;
  CellValue v = value();
  switch (v.kind) {
    case CellValue::Kind::Empty: return "";
    case CellValue::Kind::Number:
      // A date constant is given as the date, not as its serial number.
      if (book.xfHasDateFormat(entry_->xf))
        if (auto date = dateConstantText(book.numberFormatOf(entry_->xf), v.number, book.globals().dateMode1904))
          return *date;
      return formula::excelNumberText(v.number);
    case CellValue::Kind::Text: return v.text;
    case CellValue::Kind::Boolean: return v.boolean ? "TRUE" : "FALSE";
    case CellValue::Kind::Error: return errorText(v.errorCode);
  }
  return "";
}

std::vector<std::string> Cell::formulaWarnings() const {
  if (!hasFormula()) return {};
  return sheet_->workbook().cellFormula(*sheet_, *entry_).warnings;
}

std::string Cell::noteText() const {
  const NoteEntry* n = sheet_->noteAt(row_, col_);
  return n ? n->text : std::string();
}

std::string Cell::address() const { return cellAddress(row_, col_, true, true); }

uint16_t Cell::xfIndex() const { return entry_ ? entry_->xf : 15; }

FormulaText Workbook::cellFormula(const Worksheet& sheet, const CellEntry& cell) const {
  const SheetData& d = sheet.data();
  if (cell.formula < 0 || static_cast<size_t>(cell.formula) >= d.formulas.size()) return {};
  const FormulaEntry& f = d.formulas[static_cast<size_t>(cell.formula)];
  if (f.isText) return FormulaText{std::string(d.formulaText(f)), {}, true};
  const auto rgce = d.formulaRgce(f), extra = d.formulaExtra(f);
  FormulaOrigin here{cell.row, cell.col};
  const auto anchor = formulaAnchor(rgce);
  if (!anchor) return printFormula(rgce, extra, env_, here, FormulaKind::Cell);
  // The formula of the range record that holds the cell, printed for the cell.
  auto rangeText = [&](const RangeFormula& r) {
    switch (r.kind) {
      case RangeFormula::Kind::Shared: return printFormula(r.rgce, r.extra, env_, here, FormulaKind::Shared);
      case RangeFormula::Kind::Array:
        return printFormula(r.rgce, r.extra, env_, FormulaOrigin{r.firstRow, r.firstCol}, FormulaKind::Shared);
      case RangeFormula::Kind::Table: break;
    }
    return FormulaText{dataTableFormula(r.table), {}, true};
  };
  auto holds = [](const RangeFormula& r, uint32_t row, uint32_t col) {
    return row >= r.firstRow && row <= r.lastRow && col >= r.firstCol && col <= r.lastCol;
  };
  const std::pair<uint32_t, uint32_t> key{anchor->row, anchor->col};
  auto first = std::lower_bound(d.rangeFormulas.begin(), d.rangeFormulas.end(), key,
                                [](const RangeFormula& r, const std::pair<uint32_t, uint32_t>& k) {
                                  return std::pair<uint32_t, uint32_t>(r.firstRow, r.firstCol) < k;
                                });
  for (auto it = first; it != d.rangeFormulas.end() && it->firstRow == anchor->row && it->firstCol == anchor->col; ++it)
    if (holds(*it, cell.row, cell.col)) return rangeText(*it);
  // Some writers point tExp at a cell inside the shared range rather than at its first cell:
  // take the range formula that holds both the named cell and this one.
  for (const RangeFormula& r : d.rangeFormulas)
    if (holds(r, anchor->row, anchor->col) && holds(r, cell.row, cell.col)) return rangeText(r);
  // Nothing holds it: a visible placeholder, never an empty-looking formula.
  FormulaText missing = printFormula(rgce, extra, env_, here, FormulaKind::Cell);
  missing.complete = false;
  missing.warnings.push_back("shared formula of " + cellAddress(anchor->row, anchor->col) + " not found");
  return missing;
}

// ---- Name -------------------------------------------------------------------------------

Name::Name(const Workbook& book, size_t recordIndex) : book_(&book), index_(recordIndex) {}

const DefinedName& Name::record() const { return book_->globals().names.at(index_); }

std::string Name::name() const {
  const DefinedName& n = record();
  const auto& sheets = book_->globals().sheets;
  if (n.sheetScope >= 1 && static_cast<size_t>(n.sheetScope) <= sheets.size()) {
    const std::string& s = sheets[static_cast<size_t>(n.sheetScope - 1)].name;
    return formula::sheetPrefix(s, s) + n.name;
  }
  return n.name;
}

std::string Name::refersTo() const {
  const DefinedName& n = record();
  if (!n.formulaText.empty()) return n.formulaText;
  return printFormula(n.rgce, n.extra, book_->formulaEnvironment(), FormulaOrigin{0, 0}, FormulaKind::Name).text;
}

bool Name::visible() const { return !record().hidden; }

int Name::sheetScope() const { return record().sheetScope; }

std::string Name::refersToRangeAddress() const {
  auto areas = nameAreas(record().rgce, book_->globals());
  if (!areas) throw VbError(1004, "Application-defined or object-defined error");
  return areasAddress(areas->areas);
}

int Name::refersToSheet() const {
  auto areas = nameAreas(record().rgce, book_->globals());
  if (!areas) throw VbError(1004, "Application-defined or object-defined error");
  return areas->sheet + 1;
}

}  // namespace zel::xls
