// cmdObject: the book row (document properties), the links and, at levels 2 and 3, one row
// per worksheet with its cell statistics and one per code module (T_XlBook, T_XlLink, T_XlObject).
#pragma once
#include "workbook/analysis_outcome.h"
#include "workbook/book_view.h"
#include "workbook/workbook_context.h"

#include <cstdint>

namespace zel::workbook {

// The statistics of one worksheet's used range.
struct SheetCounts {
  int64_t cellCount = 0;     // level 2: every cell of the used range; level 3: non-empty + error cells
  int64_t errCount = 0;
  int64_t calCount = 0;      // formula text beginning with "="
  int64_t comentCount = 0;   // cells carrying a note
};

// Level 3: cell by cell; level 2: the used range's size only.
SheetCounts detailedCounts(const BookView& book, std::size_t sheet);
SheetCounts simpleCounts(const BookView& book, std::size_t sheet);

// The message shown when the last print date or the creation date cannot be read.
std::string propertyDatesMessage();

// Runs the inventory at ctx.options.ObjectLevel. When fObj already holds that level nothing is
// read (ran = false). The report is R_XlObject at levels 2 and 3, else R_XlBook.
// Throws VbError; rows added before the error stay.
AnalysisOutcome runObjectInventory(RunContext& ctx, const BookView& book);

std::string objectReportFor(int objectLevel);

}  // namespace zel::workbook
