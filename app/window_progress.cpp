// Gauge and status line of the main window.
#include "app/window_progress.h"

#include "app/gauge_line.h"

#include <QLabel>
#include <QLineEdit>

namespace zel {

WindowProgress::WindowProgress(QLabel* lblPer, GaugeLine* linGuage, QLineEdit* txtMesege)
    : lblPer_(lblPer), linGuage_(linGuage), txtMesege_(txtMesege) {}

void WindowProgress::showGauge(long percent) {
  if (shown_ == percent) return;
  shown_ = percent;
  lblPer_->setText(QString::fromStdString(gaugeCaption(percent)));
  linGuage_->setX2(gaugeLineEnd(percent));
  if (percent != 100) {
    lblPer_->repaint();
    linGuage_->repaint();
  }
}

void WindowProgress::setStatus(std::string_view text) {
  txtMesege_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  txtMesege_->repaint();
}

void WindowProgress::beginGauge() {
  linGuage_->show();
  showGauge(0);
}

void WindowProgress::resetGauge() {
  linGuage_->setX2(0);
  linGuage_->hide();
  lblPer_->clear();  // no "100%" left standing beside an idle status box
  shown_.reset();
}

bool WindowProgress::showMessage(const std::string& text, const std::string&) {
  if (!messenger_) return false;
  messenger_(text);
  return true;
}

}  // namespace zel
