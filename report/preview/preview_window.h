// The print preview window: one page at a time with page navigation, zoom, printing and
// saving as PDF. It owns its report document. Keys: PageUp/PageDown/Home/End turn pages
// wherever the focus is, Ctrl+P prints, Esc or Ctrl+W closes.
#pragma once
#include "report/report_document.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QLabel;
class QScrollArea;
class QSpinBox;
class QComboBox;

namespace zel {
class MessageSink;
}

namespace zel::report {

class PreviewWindow : public QMainWindow {
  Q_OBJECT
 public:
  // messages: where the printer message goes (nullptr: message boxes; a sink given must outlive
  // the window); hasPrinter: whether a printer is configured.
  PreviewWindow(std::unique_ptr<ReportDocument> doc, MessageSink* messages, std::function<bool()> hasPrinter,
                QWidget* parent = nullptr);
  ~PreviewWindow() override;

  int pageCount() const { return pages_; }
  int currentPage() const { return current_; }  // 0-based
  double zoom() const { return zoom_; }
  ReportDocument& document() { return *doc_; }

 public slots:
  void goToPage(int index);
  void nextPage() { goToPage(current_ + 1); }
  void previousPage() { goToPage(current_ - 1); }
  void setZoomChoice(int index);
  void printReport();
  void saveAsPdf();

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void render();
  bool turnPageFor(const QKeyEvent& e);  // true when the key turned (or tried to turn) a page
  QString pdfFolder() const;             // the owner's documentFolder(), else the home folder
  double effectiveZoom() const;

  std::unique_ptr<ReportDocument> doc_;
  std::unique_ptr<MessageSink> ownSink_;
  MessageSink* messages_;
  std::function<bool()> hasPrinter_;
  int pages_ = 0;
  int current_ = 0;
  double zoom_ = 1.0;
  int zoomChoice_ = 0;
  QScrollArea* scroll_ = nullptr;
  QLabel* pageLabel_ = nullptr;
  QSpinBox* pageSpin_ = nullptr;
  QLabel* pageTotal_ = nullptr;
  QComboBox* zoomBox_ = nullptr;
};

}  // namespace zel::report

namespace zel::report {
// The preview window ReportPreview opened last for a report name, or nullptr once it is closed.
PreviewWindow* openPreviewWindow(const std::string& reportName);
}  // namespace zel::report
