// Text widths for laying out a printed sheet. The layout asks in millimetres for a font given
// by family, size and weight; tests can give fixed widths.
#pragma once
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>

namespace zel::report {

struct SheetFont {
  std::string family;  // an installed (Noto) family
  double points = 11;  // already scaled by the zoom
  bool bold = false, italic = false, underline = false;
  uint32_t rgb = 0;
};

class SheetTextMetrics {
 public:
  virtual ~SheetTextMetrics() = default;
  virtual double widthMm(const SheetFont& font, std::string_view utf8) = 0;
  // Distance between two lines of wrapped text.
  double lineHeightMm(const SheetFont& font) const { return font.points * 1.2 * 25.4 / 72.0; }
};

// Qt font metrics (needs a QGuiApplication), advances cached per face and character.
class QtSheetMetrics final : public SheetTextMetrics {
 public:
  double widthMm(const SheetFont& font, std::string_view utf8) override;

 private:
  using Face = std::tuple<std::string, bool, bool>;
  std::map<Face, std::unordered_map<char32_t, double>> advances_;  // at 1 pt, in mm
};

}  // namespace zel::report
