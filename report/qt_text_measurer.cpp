// Measuring at a large reference pixel size keeps hinting out of the advances; the values are
// scaled to millimetres of the style's point size, plus a small allowance so that the painter,
// which may round glyph positions, never needs more room than the layout gave.
#include "report/qt_text_measurer.h"

#include "report/report_fonts.h"

#include <QFontMetricsF>
#include <QString>

#include <memory>

namespace zel::report {
namespace {

constexpr int kReferencePx = 200;
constexpr double kAllowance = 1.02;
constexpr double kMmPerPoint = 25.4 / 72.0;
constexpr double kLineSpacing = 1.3;  // line height in ems

QFont referenceFont(FontRole role) {
  QFont f = makeFont(role);
  f.setPixelSize(kReferencePx);
  return f;
}

}  // namespace

QtTextMeasurer::QtTextMeasurer() {
  for (int r = 0; r < kRoles; ++r)
    mmPerPx_[r] = fontSpec(static_cast<FontRole>(r)).pointSize * kMmPerPoint / kReferencePx * kAllowance;
}

double QtTextMeasurer::advanceMm(FontRole role, char32_t c) {
  const int r = static_cast<int>(role);
  if (c < 128 && ascii_[r][c] > 0) return ascii_[r][c];
  auto& cache = cache_[r];
  auto it = cache.find(c);
  if (it != cache.end()) return it->second;
  QFontMetricsF fm(referenceFont(role));
  const char32_t cp[1] = {c};
  const double px = fm.horizontalAdvance(QString::fromUcs4(cp, 1));
  const double mm = px * mmPerPx_[r];
  cache.emplace(c, mm);
  if (c < 128) ascii_[r][c] = mm > 0 ? mm : 1e-9;
  return mm;
}

double QtTextMeasurer::lineHeightMm(FontRole role) { return fontSpec(role).pointSize * kMmPerPoint * kLineSpacing; }

double QtTextMeasurer::emMm(FontRole role) { return fontSpec(role).pointSize * kMmPerPoint; }

TextMeasurer& sharedMeasurer() {
  static thread_local std::unique_ptr<QtTextMeasurer> m = std::make_unique<QtTextMeasurer>();
  return *m;
}

}  // namespace zel::report
