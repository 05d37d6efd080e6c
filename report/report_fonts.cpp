// Text styles of the reports.
#include "report/report_fonts.h"

namespace zel::report {

namespace {
constexpr const char* kSans = "Noto Sans CJK JP";
constexpr const char* kSerif = "Noto Serif CJK JP";
constexpr const char* kMono = "Noto Sans Mono CJK JP";
}  // namespace

FontSpec fontSpec(FontRole role) {
  switch (role) {
    case FontRole::Body: return {kSans, 8.0, false};
    case FontRole::Code: return {kMono, 7.5, false};
    case FontRole::Small: return {kSans, 6.5, false};
    case FontRole::Heading: return {kSans, 8.0, true};
    case FontRole::Group: return {kSans, 8.5, true};
    case FontRole::Title: return {kSans, 14.0, true};
    case FontRole::Header: return {kSans, 7.5, false};
    case FontRole::Footer: return {kSans, 7.5, false};
    case FontRole::CoverTitle: return {kSerif, 30.0, true};
    case FontRole::CoverLarge: return {kSerif, 18.0, true};
    case FontRole::CoverText: return {kSerif, 12.0, false};
    case FontRole::Label: return {kSerif, 16.0, true};
  }
  return {kSans, 8.0, false};
}

QFont makeFont(FontRole role, bool bold, double scale) {
  const FontSpec spec = fontSpec(role);
  QFont f(QString::fromUtf8(spec.family));
  f.setPointSizeF(spec.pointSize * scale);
  f.setBold(spec.bold || bold);
  f.setStyleHint(role == FontRole::Code ? QFont::TypeWriter : QFont::SansSerif);
  f.setKerning(false);  // layout measures character by character
  return f;
}

}  // namespace zel::report
