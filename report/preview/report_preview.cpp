// ReportPreview: the report host the window calls.
#include "report/preview/report_preview.h"

#include "core/message_box.h"
#include "core/vb_error.h"
#include "report/preview/message_box_sink.h"
#include "report/preview/preview_window.h"
#include "report/preview/printing.h"
#include "report/qt_text_measurer.h"
#include "report/report_output.h"

#include <QPointer>
#include <QPrinter>

#include <map>

namespace zel::report {
namespace {

constexpr const char* kPlace = "場所:レポート表示";

std::map<std::string, QPointer<PreviewWindow>>& openWindows() {
  static std::map<std::string, QPointer<PreviewWindow>> windows;
  return windows;
}

}  // namespace

PreviewWindow* openPreviewWindow(const std::string& reportName) {
  auto it = openWindows().find(reportName);
  return it == openWindows().end() ? nullptr : it->second.data();
}

std::string noPrinterMessage() {
  return std::string(kPlace) + "ｴﾗｰNo:" + std::to_string(kNoPrinterError) + "\r" +
         "プリンタドライバが組み込まれていません。" + "\r" + "プリンタドライバのインストールお願いします。";
}

PreviewOutcome ReportPreview(QWidget* parent, const std::string& dbPath, const std::string& reportName, int mode,
                             const PreviewEnvironment& env) {
  MessageBoxSink boxes(parent);
  MessageSink& sink = env.messages ? *env.messages : boxes;
  const std::function<bool()> hasPrinter = env.hasPrinter ? env.hasPrinter : std::function<bool()>(printerAvailable);
  try {
    if (mode == 1) {
      if (!hasPrinter()) {
        sink.showOver(parent, noPrinterMessage(), MsgButtons::Ok);
        return PreviewOutcome::NoPrinter;
      }
      auto doc = ReportDocument::open(dbPath, reportName, sharedMeasurer(), env.header);
      QPrinter printer(QPrinter::HighResolution);
      std::string error;
      if (!printDocument(*doc, printer, &error)) throw VbError(kNoPrinterError, error);
      return PreviewOutcome::Printed;
    }
    auto doc = ReportDocument::open(dbPath, reportName, sharedMeasurer(), env.header);
    // A second preview of the same report replaces the first, so it shows the current rows.
    if (PreviewWindow* old = openPreviewWindow(reportName)) old->close();
    auto* window = new PreviewWindow(std::move(doc), env.messages, hasPrinter, parent);
    window->setWindowFlag(Qt::Window, true);
    window->setAttribute(Qt::WA_DeleteOnClose, true);
    openWindows()[reportName] = window;
    if (env.showWindow) window->showMaximized();
    return PreviewOutcome::Shown;
  } catch (const VbError& e) {
    sink.showOver(parent, commonErrorMessage(kPlace, e.number(), e.description()), MsgButtons::Ok);
  } catch (const std::exception& e) {
    sink.showOver(parent, commonErrorMessage(kPlace, err::DatabaseError, e.what()), MsgButtons::Ok);
  }
  return PreviewOutcome::Failed;
}

void ReportPreview(QWidget* parent, const std::string& dbPath, const std::string& reportName, int mode) {
  ReportPreview(parent, dbPath, reportName, mode, PreviewEnvironment{});
}

}  // namespace zel::report
