// What the workbook itself says starts code, for the entry-point map: every shape and
// control with an assigned macro on every sheet (group members included), the Auto_ names,
// and the names that point into Excel 4 macro sheets.
#pragma once
#include "source/entry_map.h"
#include "xls/excel_model.h"

#include <vector>

namespace zel::analyses {

std::vector<source::WorkbookTrigger> workbookTriggers(const xls::Workbook& book);

// The entry-point map of a workbook read in memory (its macro project's export texts, in the
// order the analysis reads the export folder), for front ends that write no export folder.
// A project locked for viewing contributes no code; a module that cannot be read is left out.
source::EntryMap workbookEntryMap(const xls::Workbook& book);

}  // namespace zel::analyses
