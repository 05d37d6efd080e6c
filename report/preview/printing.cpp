// Printing through QPrinter, page by page as the PDF output draws them.
#include "report/preview/printing.h"

#include "report/report_output.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace zel::report {

bool printDocument(ReportDocument& doc, QPrinter& printer, std::string* error) {
  printer.setFullPage(true);
  printer.setPageLayout(pageLayoutFor(doc.paper()));
  printer.setDocName(QString::fromUtf8(doc.definition().title));
  const int pages = doc.pageCount();
  int from = 1, to = pages;
  if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
    from = std::max(1, printer.fromPage());
    to = std::min(pages, printer.toPage() > 0 ? printer.toPage() : pages);
  }
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (error) *error = "the printer cannot be opened";
    return false;
  }
  const double dotsPerMm = printer.resolution() / 25.4;
  for (int i = from; i <= to; ++i) {
    if (i > from) printer.newPage();
    paintDocumentPage(painter, doc, i - 1, dotsPerMm);
  }
  painter.end();
  return true;
}

bool printerAvailable() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

}  // namespace zel::report
