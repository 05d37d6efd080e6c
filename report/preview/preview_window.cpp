// Preview window: renders the current page to an image at the chosen zoom.
#include "report/preview/preview_window.h"

#include "core/message_box.h"
#include "core/vb_error.h"
#include "report/preview/message_box_sink.h"
#include "report/preview/report_preview.h"
#include "report/preview/printing.h"
#include "report/report_output.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>

namespace zel::report {
namespace {

constexpr double kScreenDpi = 96.0;
struct ZoomChoice {
  const char* label;
  double factor;  // 0: fit the whole page, -1: fit the width
};
constexpr ZoomChoice kZooms[] = {{"ページ全体", 0}, {"ページ幅", -1}, {"50%", 0.5},  {"75%", 0.75},
                                 {"100%", 1.0},    {"150%", 1.5},    {"200%", 2.0}};

}  // namespace

PreviewWindow::PreviewWindow(std::unique_ptr<ReportDocument> doc, MessageSink* messages,
                             std::function<bool()> hasPrinter, QWidget* parent)
    : QMainWindow(parent), doc_(std::move(doc)), messages_(messages), hasPrinter_(std::move(hasPrinter)) {
  if (!messages_) {
    ownSink_ = std::make_unique<MessageBoxSink>(this);
    messages_ = ownSink_.get();
  }
  if (!hasPrinter_) hasPrinter_ = printerAvailable;
  setWindowTitle(QString::fromUtf8(doc_->definition().title) + QStringLiteral(" - ") +
                 QString::fromUtf8(kCaption));
  pages_ = doc_->pageCount();

  auto* bar = addToolBar(QStringLiteral("preview"));
  bar->setMovable(false);
  bar->addAction(QStringLiteral("|◀"), this, [this] { goToPage(0); })->setToolTip(QStringLiteral("最初のページ (Home)"));
  bar->addAction(QStringLiteral("◀"), this, &PreviewWindow::previousPage)->setToolTip(QStringLiteral("前のページ (PageUp)"));
  pageSpin_ = new QSpinBox(this);
  pageSpin_->setRange(1, std::max(1, pages_));
  bar->addWidget(pageSpin_);
  pageTotal_ = new QLabel(QStringLiteral(" / %1 ").arg(pages_), this);
  bar->addWidget(pageTotal_);
  bar->addAction(QStringLiteral("▶"), this, &PreviewWindow::nextPage)->setToolTip(QStringLiteral("次のページ (PageDown)"));
  bar->addAction(QStringLiteral("▶|"), this, [this] { goToPage(pages_ - 1); })->setToolTip(QStringLiteral("最後のページ (End)"));
  bar->addSeparator();
  zoomBox_ = new QComboBox(this);
  for (const auto& z : kZooms) zoomBox_->addItem(QString::fromUtf8(z.label));
  bar->addWidget(zoomBox_);
  bar->addSeparator();
  // The buttons name their keys, so the keys are found without the help page.
  QAction* print = bar->addAction(QStringLiteral("印刷... (Ctrl+P)"), this, &PreviewWindow::printReport);
  print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  bar->addAction(QStringLiteral("PDF保存..."), this, &PreviewWindow::saveAsPdf);
  bar->addSeparator();
  QAction* close = bar->addAction(QStringLiteral("閉じる (Esc)"), this, &QWidget::close);
  close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});

  scroll_ = new QScrollArea(this);
  scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  scroll_->setBackgroundRole(QPalette::Dark);
  pageLabel_ = new QLabel(scroll_);
  pageLabel_->setAlignment(Qt::AlignCenter);
  scroll_->setWidget(pageLabel_);
  setCentralWidget(scroll_);

  connect(pageSpin_, &QSpinBox::valueChanged, this, [this](int v) { goToPage(v - 1); });
  connect(zoomBox_, &QComboBox::currentIndexChanged, this, &PreviewWindow::setZoomChoice);
  // The page keys turn pages wherever the focus is: the page box and the scroll area would
  // otherwise keep them for themselves.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  render();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::goToPage(int index) {
  index = std::clamp(index, 0, std::max(0, pages_ - 1));
  if (index == current_ && !pageLabel_->pixmap().isNull()) return;
  current_ = index;
  render();
}

void PreviewWindow::setZoomChoice(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kZooms))) return;
  zoomChoice_ = index;
  if (zoomBox_->currentIndex() != index) {
    const QSignalBlocker block(zoomBox_);
    zoomBox_->setCurrentIndex(index);
  }
  render();
}

double PreviewWindow::effectiveZoom() const {
  const double f = kZooms[zoomChoice_].factor;
  if (f > 0) return f;
  const PaperSize paper = doc_->paper();
  const QSize view = scroll_->viewport()->size();
  const double pxPerMm = kScreenDpi / 25.4;
  const double byWidth = (view.width() - 16) / (paper.widthMm * pxPerMm);
  if (f < 0) return std::max(0.1, byWidth);
  const double byHeight = (view.height() - 16) / (paper.heightMm * pxPerMm);
  return std::max(0.1, std::min(byWidth, byHeight));
}

void PreviewWindow::render() {
  zoom_ = effectiveZoom();
  const double ratio = devicePixelRatioF();
  QImage img = renderPageImage(*doc_, current_, kScreenDpi * zoom_ * ratio);
  img.setDevicePixelRatio(ratio);
  pageLabel_->setPixmap(QPixmap::fromImage(img));
  pageLabel_->resize(pageLabel_->sizeHint());
  const QSignalBlocker block(pageSpin_);
  pageSpin_->setValue(current_ + 1);
  scroll_->verticalScrollBar()->setValue(0);
}

void PreviewWindow::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  if (kZooms[zoomChoice_].factor <= 0) render();
}

bool PreviewWindow::turnPageFor(const QKeyEvent& e) {
  if ((e.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
  switch (e.key()) {
    case Qt::Key_PageDown: nextPage(); return true;
    case Qt::Key_PageUp: previousPage(); return true;
    case Qt::Key_Home: goToPage(0); return true;
    case Qt::Key_End: goToPage(pages_ - 1); return true;
    default: return false;
  }
}

void PreviewWindow::keyPressEvent(QKeyEvent* e) {
  if (!turnPageFor(*e)) QMainWindow::keyPressEvent(e);
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress && turnPageFor(*static_cast<QKeyEvent*>(e))) return true;
  return QMainWindow::eventFilter(watched, e);
}

void PreviewWindow::printReport() {
  if (!hasPrinter_()) {
    messages_->showOver(this, noPrinterMessage(), MsgButtons::Ok);
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setFromTo(1, pages_);
  QPrintDialog dialog(&printer, this);
  dialog.setMinMax(1, pages_);
  if (dialog.exec() != QDialog::Accepted) return;
  std::string error;
  if (!printDocument(*doc_, printer, &error))
    messages_->showOver(this, commonErrorMessage("場所:レポート表示", err::DatabaseError, error), MsgButtons::Ok);
}

// The PDF dialog starts where the owning window's dialogs start (beside the open workbook),
// never in the current folder, which is the program's own.
QString PreviewWindow::pdfFolder() const {
  QString folder = QDir::homePath();
  QWidget* owner = parentWidget();
  if (owner && owner->metaObject()->indexOfMethod("documentFolder()") >= 0)
    QMetaObject::invokeMethod(owner, "documentFolder", Qt::DirectConnection, Q_RETURN_ARG(QString, folder));
  return folder;
}

void PreviewWindow::saveAsPdf() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("PDF保存"),
                                                    QDir(pdfFolder()).filePath(QString::fromUtf8(doc_->definition().title) + QStringLiteral(".pdf")),
                                                    QStringLiteral("PDF (*.pdf)"));
  if (path.isEmpty()) return;
  std::string error;
  if (!writePdf(*doc_, path.toStdString(), &error))
    messages_->showOver(this, commonErrorMessage("場所:レポート表示", err::PermissionDenied, error), MsgButtons::Ok);
}

}  // namespace zel::report
