// PDF and image output. Images draw through paintPage, as the printer and the preview do;
// PDF files through cairo's PDF surface, whose fonts keep the exact text (search, copy).
#include "report/report_output.h"

#include <algorithm>

#include "report/page_painter.h"
#include "report/pdf_page_painter.h"
#include "core/vb_error.h"
#include "report/qt_text_measurer.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <cairo-pdf.h>

#include <filesystem>
#include <memory>

namespace zel::report {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

}  // namespace

QPageLayout pageLayoutFor(const PaperSize& paper) {
  // The paper in portrait dimensions; the reports' A4 is matched to the standard size.
  const double shortSide = std::min(paper.widthMm, paper.heightMm), longSide = std::max(paper.widthMm, paper.heightMm);
  return QPageLayout(QPageSize(QSizeF(shortSide, longSide), QPageSize::Millimeter),
                     paper.orientation == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void paintDocumentPage(QPainter& painter, ReportDocument& doc, int index, double dotsPerMm) {
  paintPage(painter, doc.page(index), dotsPerMm);
}

bool writePdf(ReportDocument& doc, const std::string& pdfPath, std::string* error) {
  namespace fs = std::filesystem;
  const fs::path target(pdfPath);
  fs::path temp = target;
  temp += ".part";
  auto fail = [&](const std::string& why) {
    if (error) *error = "cannot write " + pdfPath + (why.empty() ? "" : ": " + why);
    std::error_code ec;
    fs::remove(temp, ec);
    return false;
  };
  const int pages = doc.pageCount();
  const PaperSize paper = doc.paper();
  {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_pdf_surface_create(temp.c_str(), paper.widthMm * kPointsPerMm, paper.heightMm * kPointsPerMm),
        cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
      return fail(cairo_status_to_string(cairo_surface_status(surface.get())));
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, doc.definition().title);
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "Zelvarin97 Ver 1.1");
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(surface.get()), cairo_destroy);
    cairo_scale(cr.get(), kPointsPerMm, kPointsPerMm);
    for (int i = 0; i < pages; ++i) {
      paintPageCairo(cr.get(), doc.page(i));
      cairo_show_page(cr.get());
    }
    cairo_surface_finish(surface.get());
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return fail(cairo_status_to_string(cairo_status(cr.get())));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
      return fail(cairo_status_to_string(cairo_surface_status(surface.get())));
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) return fail(ec.message());
  return true;
}

QImage renderPageImage(ReportDocument& doc, int index, double dpi) {
  const PaperSize paper = doc.paper();
  const double dotsPerMm = dpi / 25.4;
  QImage img(static_cast<int>(paper.widthMm * dotsPerMm + 0.5), static_cast<int>(paper.heightMm * dotsPerMm + 0.5),
             QImage::Format_RGB32);
  const int dpm = static_cast<int>(dpi / 0.0254 + 0.5);
  img.setDotsPerMeterX(dpm);
  img.setDotsPerMeterY(dpm);
  img.fill(Qt::white);
  QPainter painter(&img);
  paintPage(painter, doc.page(index), dotsPerMm);
  return img;
}

bool renderReportToPdf(const std::string& dbPath, const std::string& reportName, const std::string& pdfPath,
                       std::string* error) {
  try {
    auto doc = ReportDocument::open(dbPath, reportName, sharedMeasurer());
    return writePdf(*doc, pdfPath, error);
  } catch (const VbError& e) {
    if (error) *error = e.description() + " (" + std::to_string(e.number()) + ")";
  } catch (const std::exception& e) {
    if (error) *error = e.what();
  }
  return false;
}

}  // namespace zel::report
