// Sheet printing (cmdSheet): checks the zoom, applies the print's changes to the open
// workbook's sheet and lays the sheet out as pages for the report preview window.
#pragma once
#include "report/sheet_layout.h"

#include <ctime>
#include <string>

namespace zel::xls {
class Application;
}

namespace zel::report {

// Place text of the error report of the sheet print.
inline constexpr const char* kSheetPrintPlace = "場所:シート印刷";

// In this order, as Excel is driven: the zoom text is checked (VbError 13 / 1004, nothing
// changed); the sheet of the active workbook is looked up by name (VbError 9); a hidden sheet
// is made visible, a very hidden one cannot be selected (VbError 1004); the sheet becomes the
// active one and the reference style A1; a chart or dialog sheet has no print titles or
// headings to set (VbError 1004); its PageSetup gets print titles and print area cleared,
// headings on and the zoom. These changes stay in the open workbook. Then the pages are laid
// out (header/footer date and time from `now`). The caller sets XlLost afterwards.
SheetPages prepareSheetPrint(xls::Application& app, const std::string& sheetName, const std::string& zoomText,
                             SheetTextMetrics& metrics, std::time_t now);

// The pages of a printed sheet as a PDF file; their warnings go to stderr.
bool writeSheetPagesPdf(SheetPages pages, const std::string& pdfPath, std::string* error);

// zelvarin-cli print-sheet: opens the workbook, prepares the print and writes a PDF. Returns
// false with the error's number and text in `error`. Needs a QGuiApplication.
bool renderSheetToPdf(const std::string& bookPath, const std::string& sheetName, const std::string& zoomText,
                      const std::string& pdfPath, std::string* error = nullptr);

// "2026/12/7" and "9:05": the header/footer date and time of a moment, local time.
HeaderFooterFields headerFooterFieldsAt(std::time_t now);

}  // namespace zel::report
