// Drawing of the progress line.
#include "app/gauge_line.h"

#include "app/twips.h"

#include <QPainter>
#include <algorithm>

namespace zel {

double gaugeLineEnd(long percent) {
  if (percent == 100) return 2040.0;
  return static_cast<double>(static_cast<float>(2040.0f / 100.0f * static_cast<float>(percent)));
}

std::string gaugeCaption(long percent) { return std::to_string(percent) + "%"; }


GaugeLine::GaugeLine(QWidget* parent) : QWidget(parent) {
  setFixedSize(twipsToPixels(kFullTwips, this), 6);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void GaugeLine::setX2(double twips) {
  if (twips == x2_) return;
  x2_ = twips;
  update();
}

void GaugeLine::paintEvent(QPaintEvent*) {
  ++paints_;
  QPainter p(this);
  int end = std::clamp(twipsToPixels(x2_, this), 0, width());
  if (end <= 0) return;
  p.fillRect(QRect(0, 1, end, height() - 2), QColor(0, 0, 160));
}

}  // namespace zel
