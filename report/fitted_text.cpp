// Fitting a text into a box by wrapping, then by the smaller style.
#include "report/fitted_text.h"

#include <algorithm>

namespace zel::report {

void fittedText(Page& out, TextMeasurer& m, FontRole role, const BoxMm& box, const std::string& text, Align align) {
  if (text.empty()) return;
  for (FontRole r : {role, FontRole::Small}) {
    auto lines = wrapText(m, r, text, box.w);
    const double lh = m.lineHeightMm(r);
    const bool last = r == FontRole::Small;
    if (lines.size() * lh > box.h + 1e-6 && !last) continue;
    const size_t fit = std::max<size_t>(1, static_cast<size_t>((box.h + 1e-6) / lh));
    if (lines.size() > fit) {
      lines.resize(fit);
      lines.back() = cutToWidth(m, r, lines.back() + "…", box.w);
    }
    const double top = box.y + (box.h - lines.size() * lh) / 2 * (align == Align::Center ? 1 : 0);
    for (size_t k = 0; k < lines.size(); ++k) out.texts.push_back({{box.x, top + k * lh, box.w, lh}, lines[k], r, align});
    return;
  }
}

}  // namespace zel::report
