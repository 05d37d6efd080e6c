// Twips (1/1440 inch), the unit of the stored window position and of the gauge geometry.
#pragma once
#include <QWidget>
#include <QScreen>
#include <cmath>

namespace zel {

inline double twipsPerPixel(const QWidget* w) {
  const QScreen* screen = w ? w->screen() : nullptr;
  double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

inline int twipsToPixels(double twips, const QWidget* w) {
  return static_cast<int>(std::lround(twips / twipsPerPixel(w)));
}

inline long pixelsToTwips(int pixels, const QWidget* w) {
  return std::lround(pixels * twipsPerPixel(w));
}

}  // namespace zel
