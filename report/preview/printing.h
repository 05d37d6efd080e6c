// Printing a laid-out report on a set-up printer.
#pragma once
#include "report/report_document.h"

#include <string>

class QPrinter;

namespace zel::report {

// Prints every page (or pages from..to, 1-based, when the printer has a range) on a set-up printer.
bool printDocument(ReportDocument& doc, QPrinter& printer, std::string* error = nullptr);

// True when at least one printer is configured.
bool printerAvailable();

}  // namespace zel::report
