// The cell listing: one T_XlCalc row per formula cell or noted cell, sheet by sheet.
#include "workbook/cell_listing.h"

#include "core/vb_error.h"
#include "core/vbstring.h"
#include "workbook/analysis_run.h"
#include "workbook/sheet_walk.h"
#include "workbook/text_rules.h"

namespace zel::workbook {
namespace {

// Writes the rows of one sheet's used range.
void listSheet(const BookView& book, std::size_t sheet, int option, const std::string& sheetMei, int64_t objectNo,
               TableWriter& rs) {
  book.visitUsedCells(sheet, [&](const UsedCell& cell) {
    std::string note;
    if (option == 1) {
      if (!cell.formulaStartsWithEquals()) return;
    } else if (option == 2 || option == 3) {
      note = cell.noteText();
      if (note.empty()) return;
    } else {
      return;
    }
    rs.addNew();
    rs.set("Label", option);
    rs.set("SheetMei", sheetMei);
    rs.set("objectNo", objectNo);
    rs.set("StCell", StripAll(cell.address(), "$"));
    if (option == 1 || option == 3) rs.set("CalcName", vb::trim(cell.formulaText()));
    if (option == 2 || option == 3) rs.set("NoteName", cutText(note, 130));
    rs.update();
  });
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
    TableWriter rs(ctx.db, "T_XlCalc");
    ctx.progress.showGauge(0);
    ctx.db.clearTable("T_XlCalc");
    ctx.progress.setStatus("セル情報　取得中");

    const std::vector<std::string> names = book.sheetNames();
    if (scope != 2) {
      const auto sheets = sheetsToWalk(names);
      const auto total = static_cast<double>(sheets.size());
      for (const auto& sheet : sheets) {
        listSheet(book, sheet.index, option, vb::trim(cutText(sheet.name, 130, false)), sheet.ordinal, rs);
        // The gauge value is the same for every cell of a sheet: shown once the sheet is done.
        ctx.progress.showGauge(static_cast<long>(RoundHalfUp(100.0 / total * static_cast<double>(sheet.ordinal), 0)));
      }
    } else {
      cellSheetName = selectedSheet;
      listSheet(book, sheetByName(names, cellSheetName), option, cellSheetName, 1, rs);
      ctx.progress.showGauge(100);
    }
  });

  ctx.flags.fCel = option;
  ctx.flags.mCs = scope;
  ctx.progress.setStatus("終了しました");
  ctx.progress.showGauge(100);
  return out;
}

}  // namespace zel::workbook
