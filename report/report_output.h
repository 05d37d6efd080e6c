// Output of a laid-out report: PDF file, printer, or a page image for the preview.
#pragma once
#include "report/report_document.h"

#include <QImage>

#include <string>

class QPrinter;

namespace zel::report {

// Writes every page to a PDF file (through a temporary file in the same folder, renamed at
// the end, so a failed run leaves no half-written file). Returns false with a message.
bool writePdf(ReportDocument& doc, const std::string& pdfPath, std::string* error = nullptr);

// Prints every page (or pages from..to, 1-based, when the printer has a range) on a set-up printer.
bool printDocument(ReportDocument& doc, QPrinter& printer, std::string* error = nullptr);

// True when at least one printer is configured.
bool printerAvailable();

// One page as an image at the given resolution (dots per inch), white background.
QImage renderPageImage(ReportDocument& doc, int index, double dpi);

}  // namespace zel::report
