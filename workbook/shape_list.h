// cmdXlShape: the shapes of every walked sheet with their macro, fill colour, line style and
// text, into T_XlShape.
#pragma once
#include <string>

#include "workbook/analysis_outcome.h"
#include "workbook/workbook_context.h"
#include "xls/excel_model.h"

namespace zel::workbook {

// The macro part of an OnAction text: what follows its last "!" ("Book1.xls!Macro1" ->
// "Macro1"), all of it when there is none.
std::string macroNameOf(const std::string& onAction);

// Skipped (ran = false) when ShapeOption equals fShp. Otherwise clears T_XlShape and lists the
// shapes of each walked sheet in index order under ShapeOption (1 macros only, 2 all, 3 all
// but cell notes); a group's members that carry a macro follow their group. A protected sheet
// is read as it is and its protection ends as it began (a password-protected one too).
// Shapes whose records could not be read are counted in a message. The report is R_XlShape;
// fShp takes ShapeOption once the run completes.
AnalysisOutcome runShapeList(RunContext& ctx, xls::Workbook& book);
// The same rows from a workbook that is only read (no sheet activated, protection untouched).
AnalysisOutcome runShapeList(RunContext& ctx, const xls::Workbook& book);

}  // namespace zel::workbook
