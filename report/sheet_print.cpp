// The sheet print command's steps over the workbook model, and its outputs.
#include "report/sheet_print.h"

#include <cstdio>

#include "core/vb_error.h"
#include "report/qt_text_measurer.h"
#include "report/report_output.h"
#include "report/sheet_chart_page.h"
#include "report/sheet_zoom.h"
#include "xls/excel_model.h"

namespace zel::report {
namespace {

constexpr long kNoWorkbook = 91;
constexpr long kCannotSet = 1004;

}  // namespace

HeaderFooterFields headerFooterFieldsAt(std::time_t now) {
  std::tm tm{};
  localtime_r(&now, &tm);
  HeaderFooterFields f;
  f.date = std::to_string(tm.tm_year + 1900) + "/" + std::to_string(tm.tm_mon + 1) + "/" + std::to_string(tm.tm_mday);
  f.time = std::to_string(tm.tm_hour) + ":" + (tm.tm_min < 10 ? "0" : "") + std::to_string(tm.tm_min);
  return f;
}

SheetPages prepareSheetPrint(xls::Application& app, const std::string& sheetName, const std::string& zoomText,
                             SheetTextMetrics& metrics, std::time_t now) {
  const int zoom = parseSheetZoom(zoomText);
  xls::Workbook* book = app.activeWorkbook();
  if (!book) throw VbError(kNoWorkbook, "ブックが開かれていません。");
  xls::Worksheet& sheet = book->sheet(sheetName);
  if (sheet.visible() == xls::kSheetHidden) sheet.setVisible(xls::kSheetVisible);
  sheet.select();
  app.referenceStyle = 1;
  // A chart sheet prints as Excel prints it: its chart on a page of its own. Its page setup has
  // no print titles to clear, so the steps below do not apply to it.
  if (sheet.type() == xls::SheetType::Chart) return layoutChartSheet(sheet);
  if (sheet.type() == xls::SheetType::DialogSheet) {
    throw VbError(kCannotSet, "PageSetup クラスの PrintTitleRows プロパティを設定できません。シート「" + sheet.name() +
                                  "」はセルを持たないダイアログシートです。");
  }
  xls::PageSetup& ps = sheet.pageSetup();
  ps.printTitleRows.clear();
  ps.printTitleColumns.clear();
  ps.printArea.clear();
  ps.printHeadings = true;
  ps.zoom = zoom;
  HeaderFooterFields fields = headerFooterFieldsAt(now);
  fields.fileName = book->name();
  fields.sheetName = sheet.name();
  return layoutSheet(sheet, sheetPrintSetup(sheet, zoom), fields, metrics);
}

bool writeSheetPagesPdf(SheetPages pages, const std::string& pdfPath, std::string* error) {
  for (const auto& w : pages.warnings) std::fprintf(stderr, "警告: %s\n", w.c_str());
  ReportDocument doc(std::move(pages.title), pages.paper, std::move(pages.pages), sharedMeasurer());
  return writePdf(doc, pdfPath, error);
}

bool renderSheetToPdf(const std::string& bookPath, const std::string& sheetName, const std::string& zoomText,
                      const std::string& pdfPath, std::string* error) {
  try {
    const int zoomCheck = parseSheetZoom(zoomText);  // before the workbook is opened
    (void)zoomCheck;
    xls::Application app;
    app.openWorkbook(bookPath);
    QtSheetMetrics metrics;
    return writeSheetPagesPdf(prepareSheetPrint(app, sheetName, zoomText, metrics, std::time(nullptr)), pdfPath, error);
  } catch (const VbError& e) {
    if (error) *error = "error " + std::to_string(e.number()) + ": " + e.description();
    return false;
  }
}

}  // namespace zel::report
