// The report host of the window: shows or prints a named report (R_...) of a result database.
#pragma once
#include <functional>
#include <string>

class QWidget;

namespace zel {
class MessageSink;
struct HeaderTexts;
}

namespace zel::report {

// ReportPreview: mode 0 opens the maximised preview window (page navigation, zoom, print,
// save as PDF); mode 1 prints at once. dbPath is Analyze.mdb or an opened result file, read
// only. Failures are reported here, as the window's commands expect: no printer gives the
// "プリンタドライバが組み込まれていません。" message (error 2202), anything else the common
// error message with "場所:レポート表示"; then it returns normally.
// A second preview of the same report replaces the first window, so it shows current rows.
void ReportPreview(QWidget* parent, const std::string& dbPath, const std::string& reportName, int mode);

// ---- For the window's tests and for callers that answer message boxes themselves ----

enum class PreviewOutcome { Shown, Printed, NoPrinter, Failed, Cancelled };

struct PreviewEnvironment {
  MessageSink* messages = nullptr;    // nullptr: real message boxes
  std::function<bool()> hasPrinter;   // empty: asks the system for configured printers
  bool showWindow = true;             // false: build the preview window without showing it
  const HeaderTexts* header = nullptr;  // texts of the page headers; nullptr: those saved in the file
};

PreviewOutcome ReportPreview(QWidget* parent, const std::string& dbPath, const std::string& reportName, int mode,
                             const PreviewEnvironment& env);

// Error number of a missing printer, and its message.
inline constexpr long kNoPrinterError = 2202;
std::string noPrinterMessage();

}  // namespace zel::report
