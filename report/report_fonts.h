// The fonts of the text styles: Noto CJK JP faces (fonts-noto-cjk), sizes in points.
#pragma once
#include "report/report_definition.h"

#include <QFont>

namespace zel::report {

struct FontSpec {
  const char* family;
  double pointSize;
  bool bold;
};

FontSpec fontSpec(FontRole role);

// A QFont of the style; bold forces the bold weight. The point size is scaled by `scale`.
QFont makeFont(FontRole role, bool bold = false, double scale = 1.0);

}  // namespace zel::report
