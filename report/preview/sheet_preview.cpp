// One preview window for the sheet print, replaced by the next print.
#include "report/preview/sheet_preview.h"

#include "report/preview/preview_window.h"
#include "report/qt_text_measurer.h"

#include <QPointer>

namespace zel::report {
namespace {

QPointer<PreviewWindow>& lastSheetWindow() {
  static QPointer<PreviewWindow> window;
  return window;
}

}  // namespace

PreviewWindow* showSheetPreview(QWidget* parent, SheetPages pages, bool showWindow) {
  auto doc = std::make_unique<ReportDocument>(std::move(pages.title), pages.paper, std::move(pages.pages),
                                              sharedMeasurer());
  if (PreviewWindow* old = lastSheetWindow().data()) old->close();
  auto* window = new PreviewWindow(std::move(doc), nullptr, {}, parent);
  window->setWindowFlag(Qt::Window, true);
  window->setAttribute(Qt::WA_DeleteOnClose, true);
  lastSheetWindow() = window;
  if (showWindow) window->showMaximized();
  return window;
}

}  // namespace zel::report
