// The cover page: the header boxes stored as the one row of T_XlHyousi.
#pragma once
#include "core/progress.h"
#include "core/result_db.h"
#include "core/session_state.h"

#include <string>

namespace zel::workbook {

// The report each cover button opens ("" for an index outside 0..2).
std::string coverReportFor(int index);

// cmdHyousi: rewrites T_XlHyousi from the header texts.
void writeCoverPage(ResultDb& db, Progress& progress, const HeaderTexts& header);

}  // namespace zel::workbook
