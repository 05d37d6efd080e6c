// cmdName: the workbook-level defined names and the ranges they refer to, into T_XlName.
#pragma once
#include "workbook/analysis_outcome.h"
#include "workbook/book_view.h"
#include "workbook/workbook_context.h"

namespace zel::workbook {

// Always re-reads. Sheet-level names ("Sheet1!Name") are left out. A name that refers to no
// range (a constant or a formula) is listed with an empty StCell instead of ending the run.
// The report is R_XlName; fNam is 1 once the run completes.
AnalysisOutcome runNameList(RunContext& ctx, const BookView& book);

}  // namespace zel::workbook
