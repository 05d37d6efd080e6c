// Output of a laid-out report: PDF file or a page image for the preview.
#pragma once
#include "report/report_document.h"

#include <QImage>
#include <QPageLayout>

class QPainter;

#include <string>

namespace zel::report {

// Writes every page to a PDF file (through a temporary file in the same folder, renamed at
// the end, so a failed run leaves no half-written file). Returns false with a message.
bool writePdf(ReportDocument& doc, const std::string& pdfPath, std::string* error = nullptr);

// Renders a report to a PDF file without a window (zelvarin-cli report, tests).
// Returns false with a message when it fails. Needs a QGuiApplication (see ensureGuiApplication).
bool renderReportToPdf(const std::string& dbPath, const std::string& reportName, const std::string& pdfPath,
                       std::string* error = nullptr);

// Places the painter's device at the page size of the report.
QPageLayout pageLayoutFor(const PaperSize& paper);

// Paints page index of doc at dotsPerMm.
void paintDocumentPage(QPainter& painter, ReportDocument& doc, int index, double dotsPerMm);

// One page as an image at the given resolution (dots per inch), white background.
QImage renderPageImage(ReportDocument& doc, int index, double dpi);

}  // namespace zel::report
