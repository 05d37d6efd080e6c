// cmdCell: formulas and/or notes of the worksheets' cells into T_XlCalc, for every sheet of
// the walk or for the one sheet picked in the sheet box.
#pragma once
#include "workbook/analysis_outcome.h"
#include "workbook/book_view.h"
#include "workbook/workbook_context.h"

#include <string>

namespace zel::workbook {

std::string cellReportFor(int cellOption);  // R_XlCalc for 1, else R_XlCalcNote

// Runs the listing for ctx.options.CellOption (1 formulas, 2 notes, 3 noted cells with both)
// and ctx.options.SheetScope (1 all sheets, 2 the sheet named selectedSheet, the sheet box's
// text). cellSheetName is the window's record of the sheet of the last selected-sheet run: read
// by the skip test, written by a selected-sheet run. When fCel and mCs (and for a selected sheet
// cellSheetName) already say the table holds this listing nothing is read (ran = false).
// A selected sheet the workbook does not hold throws VbError 9; rows added before stay.
AnalysisOutcome runCellListing(RunContext& ctx, const BookView& book, const std::string& selectedSheet,
                               std::string& cellSheetName);

}  // namespace zel::workbook
