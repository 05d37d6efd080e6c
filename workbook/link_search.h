// cmdLinkMoto: the formula cells that refer to one linked workbook, into T_XlCalc (Label 9).
#pragma once
#include "core/result_file.h"
#include "workbook/analysis_outcome.h"
#include "workbook/book_view.h"
#include "workbook/workbook_context.h"

#include <string>

namespace zel::workbook {

inline constexpr int kLinkSearchLabel = kLinkSearchCalcLabel;

// linkSource: the link box's text (a link source as the opening listed it; "" lists every
// formula cell). The rows replace the cell listing's, so fCel is cleared: the cell listing must
// not take them for its own. The report is R_XlCalc; the window then enables cmdCPre.
AnalysisOutcome runLinkSearch(RunContext& ctx, const BookView& book, const std::string& linkSource);

}  // namespace zel::workbook
