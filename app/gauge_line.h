// linGuage: the progress line. Its end X2 is kept in twips (0..2040 for 0..100 %) and drawn
// scaled to pixels; values above 2040 are kept but drawn to the widget's end.
#pragma once
#include <QWidget>

#include <string>

namespace zel {

// X2 of the line for n percent (2040 twips at 100), with the single-precision steps of the original.
double gaugeLineEnd(long percent);
std::string gaugeCaption(long percent);

class GaugeLine : public QWidget {
  Q_OBJECT
 public:
  static constexpr double kFullTwips = 2040.0;
  explicit GaugeLine(QWidget* parent = nullptr);
  double X2() const { return x2_; }
  void setX2(double twips);  // schedules a repaint only when the end moves
  int paintCount() const { return paints_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  double x2_ = 0;
  int paints_ = 0;
};

}  // namespace zel
