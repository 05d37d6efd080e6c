// A chart sheet printed as a page of its own: the chart fills the paper inside the sheet's
// margins, on the paper and in the orientation its page setup stores.
#pragma once
#include "report/sheet_layout.h"

#include <string>

namespace zel::report {

// One page holding the sheet's chart; a sheet without a readable chart gives an empty page
// and a warning.
SheetPages layoutChartSheet(const xls::Worksheet& sheet);

// zelvarin-cli print-chart: opens the workbook and writes the chart sheet's page as a PDF.
// Returns false with the reason in `error` (no such sheet, not a chart sheet, unwritable file).
bool renderChartSheetToPdf(const std::string& bookPath, const std::string& sheetName, const std::string& pdfPath,
                           std::string* error = nullptr);

}  // namespace zel::report
