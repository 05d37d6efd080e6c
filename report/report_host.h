// The report host: shows, prints or exports a named report (R_...) of a result database.
#pragma once
#include <string>

class QWidget;

namespace zel::report {

// ReportPreview: mode 0 opens the maximised preview window (page navigation, zoom, print,
// save as PDF); mode 1 prints at once. dbPath is Analyze.mdb or an opened result file.
// Failures throw zel::VbError (printer missing, unknown report, unreadable database).
void ReportPreview(QWidget* parent, const std::string& dbPath, const std::string& reportName, int mode);

// Renders a report to a PDF file without a window (zelvarin-cli report, tests).
// Returns false with a message when it fails.
bool renderReportToPdf(const std::string& dbPath, const std::string& reportName, const std::string& pdfPath,
                       std::string* error = nullptr);

}  // namespace zel::report
