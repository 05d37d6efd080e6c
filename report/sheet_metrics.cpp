// Qt-based widths for the sheet layout: advances are measured once per face at a large size
// on a 72-dpi device (1 px = 1 pt) and scaled linearly.
#include "report/sheet_metrics.h"

#include "report/text_measure.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>

namespace zel::report {
namespace {

constexpr double kMeasurePoints = 100.0;
constexpr double kMmPerPoint = 25.4 / 72.0;

const QImage& pointDevice() {
  static const QImage image = [] {
    QImage img(1, 1, QImage::Format_RGB32);
    img.setDotsPerMeterX(static_cast<int>(72 / 0.0254 + 0.5));
    img.setDotsPerMeterY(static_cast<int>(72 / 0.0254 + 0.5));
    return img;
  }();
  return image;
}

}  // namespace

double QtSheetMetrics::widthMm(const SheetFont& font, std::string_view utf8) {
  auto& cache = advances_[Face{font.family, font.bold, font.italic}];
  double total = 0;
  std::unique_ptr<QFontMetricsF> fm;
  for (char32_t c : toU32(utf8)) {
    auto it = cache.find(c);
    if (it == cache.end()) {
      if (!fm) {
        QFont f(QString::fromUtf8(font.family));
        f.setPointSizeF(kMeasurePoints);
        f.setBold(font.bold);
        f.setItalic(font.italic);
        fm = std::make_unique<QFontMetricsF>(f, &pointDevice());
      }
      const char32_t cp[1] = {c};
      const double adv = fm->horizontalAdvance(QString::fromUcs4(cp, 1)) / kMeasurePoints * kMmPerPoint;
      it = cache.emplace(c, adv).first;
    }
    total += it->second;
  }
  return total * font.points;
}

}  // namespace zel::report
