// PDF and image output. Images draw through paintPage, as the printer and the preview do;
// PDF files through our own PDF writer, whose fonts keep the exact text (search, copy).
#include "report/report_output.h"

#include <algorithm>

#include "report/page_painter.h"
#include "report/pdf_file.h"
#include "report/pdf_number.h"
#include "report/pdf_page_painter.h"
#include "core/vb_error.h"
#include "report/qt_text_measurer.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QDateTime>

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
    pdf::PdfFile file(temp.string());
    if (!file.ok()) return fail(file.error());
    pdf::PdfResources resources(file, paper.heightMm);
    const int catalogId = file.reserve(), pagesId = file.reserve(), infoId = file.reserve();
    std::string mediaBox = "/MediaBox [0 0 ";
    pdf::appendNumber(mediaBox, paper.widthMm * kPointsPerMm);
    mediaBox += ' ';
    pdf::appendNumber(mediaBox, paper.heightMm * kPointsPerMm);
    mediaBox += ']';
    std::string kids;
    for (int i = 0; i < pages && file.ok(); ++i) {
      pdf::PdfCanvas canvas(resources, paper.heightMm);
      paintPagePdf(canvas, resources, doc.page(i));
      const int pageId = file.reserve(), contentId = file.reserve();
      file.stream(contentId, "", canvas.take());
      file.object(pageId, "<</Type /Page /Parent " + std::to_string(pagesId) + " 0 R " + mediaBox + " /Resources " +
                              std::to_string(resources.objectId()) + " 0 R /Contents " + std::to_string(contentId) +
                              " 0 R>>");
      kids += std::to_string(pageId) + " 0 R ";
    }
    resources.write();
    file.object(pagesId, "<</Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + ">>");
    file.object(catalogId, "<</Type /Catalog /Pages " + std::to_string(pagesId) + " 0 R>>");
    file.object(infoId, "<</Title " + pdf::textString(doc.definition().title) + " /Creator " +
                            pdf::textString("Zelvarin97 Ver 1.1") + " /Producer " + pdf::textString("Zelvarin97") +
                            " /CreationDate (D:" + QDateTime::currentDateTimeUtc().toString("yyyyMMddHHmmss").toStdString() +
                            "Z)>>");
    if (!file.finish(catalogId, infoId)) return fail(file.error());
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
