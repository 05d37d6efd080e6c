// Chart sheet pages: paper and margins from the sheet's page setup, the chart drawn into the
// printable area.
#include "report/sheet_chart_page.h"

#include "core/vb_error.h"
#include "report/qt_text_measurer.h"
#include "report/report_output.h"
#include "report/sheet_chart.h"
#include "report/sheet_fonts.h"
#include "report/sheet_print.h"
#include "xls/excel_model.h"

namespace zel::report {

SheetPages layoutChartSheet(const xls::Worksheet& sheet) {
  constexpr double kMmPerInch = 25.4;
  const xls::SheetPageLayout& L = sheet.data().pageLayout;
  const xls::PaperMm paper = xls::paperSizeMm(L.noPrinterSettings ? 0 : L.paperSize);
  SheetPages out;
  out.title = sheet.name();
  // A chart sheet without printer settings prints across the paper.
  const bool landscape = L.landscape || L.noPrinterSettings;
  out.paper = landscape ? PaperSize{paper.height, paper.width, Orientation::Landscape}
                          : PaperSize{paper.width, paper.height, Orientation::Portrait};
  Page page;
  const xls::chart::ChartModel* chart = sheet.chart();
  const BoxMm box{L.leftInches * kMmPerInch, L.topInches * kMmPerInch,
                  out.paper.widthMm - (L.leftInches + L.rightInches) * kMmPerInch,
                  out.paper.heightMm - (L.topInches + L.bottomInches) * kMmPerInch};
  if (!chart || box.w <= 10 || box.h <= 10) {
    out.warnings.push_back("シート「" + sheet.name() + "」: グラフが読めないか、余白で印刷範囲がありません。");
  } else {
    for (const std::string& w : chart->warnings) out.warnings.push_back("グラフ「" + sheet.name() + "」: " + w);
    // The workbook's standard font, scaled as the chart grows past the size it was drawn at.
    const auto& fonts = sheet.workbook().globals().fonts;
    const std::string family = notoFamilyFor(fonts.empty() ? std::string() : fonts.front().name);
    PageShape s;
    s.kind = PageShape::Kind::Chart;
    s.box = box;
    s.clip = box;
    s.chart = std::make_shared<const ChartPicture>(drawChart(*chart, box.w, box.h, ChartTextStyle{family, 10}));
    page.shapes.push_back(std::move(s));
  }
  out.pages.push_back(std::move(page));
  return out;
}

bool renderChartSheetToPdf(const std::string& bookPath, const std::string& sheetName, const std::string& pdfPath,
                           std::string* error) {
  try {
    xls::Application app;
    app.openWorkbook(bookPath);
    xls::Worksheet& sheet = app.activeWorkbook()->sheet(sheetName);
    if (sheet.type() != xls::SheetType::Chart) {
      if (error) *error = "シート「" + sheetName + "」はグラフシートではありません。";
      return false;
    }
    return writeSheetPagesPdf(layoutChartSheet(sheet), pdfPath, error);
  } catch (const VbError& e) {
    if (error) *error = "error " + std::to_string(e.number()) + ": " + e.description();
    return false;
  }
}

}  // namespace zel::report
