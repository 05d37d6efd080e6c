// PDF and image output; both draw pages through paintPage, as the printer does.
#include "report/report_output.h"

#include <algorithm>

#include "report/page_painter.h"
#include "core/vb_error.h"
#include "report/qt_text_measurer.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <filesystem>

namespace zel::report {
namespace {

constexpr int kPdfDpi = 600;

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
  const int pages = doc.pageCount();
  {
    QPdfWriter writer(QString::fromStdString(temp.string()));
    writer.setResolution(kPdfDpi);
    writer.setPageLayout(pageLayoutFor(doc.paper()));
    writer.setTitle(QString::fromUtf8(doc.definition().title));
    writer.setCreator(QStringLiteral("Zelvarin97 Ver 1.1"));
    QPainter painter;
    if (!painter.begin(&writer)) {
      if (error) *error = "cannot write " + pdfPath;
      std::error_code ec;
      fs::remove(temp, ec);
      return false;
    }
    const double dotsPerMm = kPdfDpi / 25.4;
    for (int i = 0; i < pages; ++i) {
      if (i > 0) writer.newPage();
      paintPage(painter, doc.page(i), dotsPerMm);
    }
    painter.end();
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    if (error) *error = "cannot write " + pdfPath + ": " + ec.message();
    fs::remove(temp, ec);
    return false;
  }
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
