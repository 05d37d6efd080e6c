// Lays out a worksheet as Excel 97 prints it: pages of positioned cell texts, gridlines,
// borders, fills, row and column headings and header/footer lines (the page model).
#pragma once
#include "report/page_model.h"
#include "report/sheet_header_footer.h"
#include "report/sheet_metrics.h"
#include "xls/excel_model.h"
#include "xls/page_setup.h"

#include <string>
#include <vector>

namespace zel::report {

// What the print uses: the sheet's stored setup with the print's own settings.
struct SheetPrintSetup {
  xls::SheetPageLayout layout;
  int zoom = 100;         // percent, 10..400
  bool headings = true;   // row and column headings (A1 style)
  bool gridlines = false;
};

struct SheetPages {
  std::string title;      // sheet name, for the preview window
  PaperSize paper;
  std::vector<Page> pages;
  std::vector<std::string> warnings;  // what could not be printed as stored (pictures, charts)
};

// The stored setup of a sheet with the changes of the sheet print applied: print titles and
// print area are not used, headings on, zoom = zoom (fit-to-page no longer applies).
SheetPrintSetup sheetPrintSetup(const xls::Worksheet& sheet, int zoom);

// Date and time texts of the header/footer fields come from `fields` (page numbers are set
// per page).
SheetPages layoutSheet(const xls::Worksheet& sheet, const SheetPrintSetup& setup, HeaderFooterFields fields,
                       SheetTextMetrics& metrics);

// "A", "Z", "AA", "IV" for a 0-based column index.
std::string columnLetters(int col);

}  // namespace zel::report
