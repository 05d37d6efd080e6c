// The cell listing: one T_XlCalc row per formula cell or noted cell, sheet by sheet.
#include "workbook/cell_listing.h"

#include "core/vb_error.h"
#include "core/vbstring.h"
#include "workbook/analysis_run.h"
#include "workbook/sheet_walk.h"
#include "workbook/text_rules.h"

namespace zel::workbook {
namespace {

// The T_XlCalc fields, looked up once for all the rows of a listing.
struct CalcFields {
  explicit CalcFields(const TableWriter& rs)
      : label(rs.field("Label")), sheetMei(rs.field("SheetMei")), objectNo(rs.field("objectNo")),
        stCell(rs.field("StCell")), calcName(rs.field("CalcName")), noteName(rs.field("NoteName")) {}
  size_t label, sheetMei, objectNo, stCell, calcName, noteName;
};

// Text without its leading and trailing blanks (VB's Trim), as a view into text.
std::string_view trimmed(std::string_view text) {
  const size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

// Writes the rows of one sheet's used range: its formula cells (option 1) or its noted cells.
void listSheet(const BookView& book, std::size_t sheet, int option, const std::string& sheetMei, int64_t objectNo,
               TableWriter& rs, const CalcFields& f) {
  if (option < 1 || option > 3) return;
  std::string address;
  auto row = [&](const UsedCell& cell) {
    rs.addNew();
    rs.setAt(f.label, option);
    rs.setAt(f.sheetMei, sheetMei);
    rs.setAt(f.objectNo, objectNo);
    // The address without its "$" signs: an address holds no blank, so StripAll's trimming
    // after a leading "$" changes nothing.
    address = cell.address();
    std::erase(address, '$');
    rs.setAt(f.stCell, address);
    if (option == 1 || option == 3) rs.setAt(f.calcName, trimmed(cell.formulaText()));
    if (option == 2 || option == 3) rs.setAt(f.noteName, cutText(cell.noteText(), 130));
    rs.update();
  };
  if (option == 1)
    book.visitFormulaCells(sheet, row);
  else
    book.visitNotedCells(sheet, row);
}

// Sheets(name): Excel looks sheet names up without regard to case.
std::size_t sheetByName(const std::vector<std::string>& names, const std::string& wanted) {
  const std::string key = vb::ucase(wanted);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (vb::ucase(names[i]) == key) return i;
  throw VbError(9, "インデックスが有効範囲にありません。(" + wanted + ")");
}

}  // namespace

std::string cellReportFor(int cellOption) { return cellOption == 1 ? "R_XlCalc" : "R_XlCalcNote"; }

AnalysisOutcome runCellListing(RunContext& ctx, const BookView& book, const std::string& selectedSheet,
                               std::string& cellSheetName) {
  const int option = ctx.options.CellOption;
  const int scope = ctx.options.SheetScope;
  AnalysisOutcome out;
  out.report = cellReportFor(option);
  // The sheet box matters only to a selected-sheet listing.
  if (option == ctx.flags.fCel && scope == ctx.flags.mCs && (scope != 2 || selectedSheet == cellSheetName)) return out;
  ctx.flags.fCel = 0;  // set again only when this run completes
  out.ran = true;

  runInTransaction(ctx.db, [&] {
    // A formula listing runs to hundreds of thousands of rows: written 32 at a time.
    TableWriter rs(ctx.db, "T_XlCalc", 32);
    const CalcFields fields(rs);
    ctx.progress.showGauge(0);
    ctx.db.clearTable("T_XlCalc");
    ctx.progress.setStatus("セル情報　取得中");

    const std::vector<std::string> names = book.sheetNames();
    if (scope != 2) {
      const auto sheets = sheetsToWalk(names);
      const auto total = static_cast<double>(sheets.size());
      for (const auto& sheet : sheets) {
        listSheet(book, sheet.index, option, vb::trim(cutText(sheet.name, 130, false)), sheet.ordinal, rs, fields);
        // The gauge value is the same for every cell of a sheet: shown once the sheet is done.
        ctx.progress.showGauge(static_cast<long>(RoundHalfUp(100.0 / total * static_cast<double>(sheet.ordinal), 0)));
      }
    } else {
      cellSheetName = selectedSheet;
      listSheet(book, sheetByName(names, cellSheetName), option, cellSheetName, 1, rs, fields);
      ctx.progress.showGauge(100);
    }
    rs.flush();
  });

  ctx.flags.fCel = option;
  ctx.flags.mCs = scope;
  ctx.progress.setStatus("終了しました");
  ctx.progress.showGauge(100);
  return out;
}

}  // namespace zel::workbook
