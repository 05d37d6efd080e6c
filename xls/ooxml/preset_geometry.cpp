// Preset names to autoshape types. A DrawingML adjust value is a share of the width, of the
// height or of the shorter side (ss) in 1/100000, pinned to the preset's own limits; the
// autoshape's is a place in its 21600-unit box. Converting with the shape's size gives the
// same points: a right arrow's head of ss * adj2 / 100000 starts at 21600 * (w - head) / w.
#include "xls/ooxml/preset_geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zel::xls::ooxml {
namespace {

constexpr double kUnits = 21600;
constexpr double kWhole = 100000;

struct Name {
  std::string_view prst;
  uint16_t type;
};
constexpr Name kTypes[] = {
    {"rect", 1},         {"roundRect", 2},        {"ellipse", 3},          {"diamond", 4},
    {"triangle", 5},     {"rtTriangle", 6},       {"parallelogram", 7},    {"trapezoid", 8},
    {"hexagon", 9},      {"octagon", 10},         {"plus", 11},            {"star5", 12},
    {"rightArrow", 13},  {"homePlate", 15},       {"line", 20},            {"straightConnector1", 32},
    {"chevron", 55},     {"pentagon", 56},        {"leftArrow", 66},       {"downArrow", 67},
    {"upArrow", 68},     {"leftRightArrow", 69},  {"upDownArrow", 70},     {"flowChartProcess", 109},
    {"flowChartDecision", 110}, {"flowChartPreparation", 117}, {"flowChartManualOperation", 119},
    {"flowChartExtract", 127},  {"flowChartMerge", 128},
};

int32_t units(double share) { return static_cast<int32_t>(std::lround(std::clamp(share, 0.0, 1.0) * kUnits)); }

}  // namespace

std::optional<LegacyPreset> legacyPreset(std::string_view prst, const std::map<std::string, int64_t, std::less<>>& guides,
                                         double width, double height) {
  const auto named = std::find_if(std::begin(kTypes), std::end(kTypes), [&](const Name& n) { return n.prst == prst; });
  if (named == std::end(kTypes)) return std::nullopt;
  LegacyPreset out;
  out.shapeType = named->type;
  const bool sized = std::isfinite(width) && std::isfinite(height) && width > 0 && height > 0;
  const double w = sized ? width : 1, h = sized ? height : 1, ss = std::min(w, h);
  // The guide `name` (its default when not written) pinned to 0..most.
  auto guide = [&](std::string_view name, double fallback, double most) {
    auto it = guides.find(name);
    const double v = it == guides.end() ? fallback : static_cast<double>(it->second);
    return std::clamp(v, 0.0, std::max(most, 0.0));
  };
  // A shaft's half thickness as a share of the side across it: the shaft starts at 1/2 - that.
  auto shaftStart = [&] { return units(0.5 - guide("adj1", 50000, kWhole) / (2 * kWhole)); };
  switch (out.shapeType) {
    case 5: out.adjust[0] = units(guide("adj", 50000, kWhole) / kWhole); break;
    case 7: out.adjust[0] = units(ss * guide("adj", 25000, kWhole * w / ss) / kWhole / w); break;
    case 8:  // the preset's narrow side is at the top, the autoshape's at the bottom
      out.adjust[0] = units(ss * guide("adj", 25000, kWhole / 2 * w / ss) / kWhole / w);
      out.flipV = true;
      break;
    case 9: out.adjust[0] = units(ss * guide("adj", 25000, kWhole / 2 * w / ss) / kWhole / w); break;
    case 10:
    case 11: {  // cut by the same length across and down: a share of each side apiece
      const double cut = ss * guide("adj", out.shapeType == 10 ? 29289 : 25000, kWhole / 2) / kWhole;
      out.adjust[0] = units(cut / w);
      out.adjust[1] = units(cut / h);
      break;
    }
    case 13:
      out.adjust[0] = units((w - ss * guide("adj2", 50000, kWhole * w / ss) / kWhole) / w);
      out.adjust[1] = shaftStart();
      break;
    case 15:
    case 55: out.adjust[0] = units((w - ss * guide("adj", 50000, kWhole * w / ss) / kWhole) / w); break;
    case 66:
      out.adjust[0] = units(ss * guide("adj2", 50000, kWhole * w / ss) / kWhole / w);
      out.adjust[1] = shaftStart();
      break;
    case 67:
      out.adjust[0] = units((h - ss * guide("adj2", 50000, kWhole * h / ss) / kWhole) / h);
      out.adjust[1] = shaftStart();
      break;
    case 68:
      out.adjust[0] = units(ss * guide("adj2", 50000, kWhole * h / ss) / kWhole / h);
      out.adjust[1] = shaftStart();
      break;
    case 69:
      out.adjust[0] = units(ss * guide("adj2", 50000, kWhole / 2 * w / ss) / kWhole / w);
      out.adjust[1] = shaftStart();
      break;
    case 70:
      out.adjust[0] = shaftStart();
      out.adjust[1] = units(ss * guide("adj2", 50000, kWhole / 2 * h / ss) / kWhole / h);
      break;
    default: break;  // no adjust values, or none the autoshape takes
  }
  return out;
}

std::optional<uint16_t> vmlShapeType(std::string_view type) {
  constexpr std::string_view kPrefix = "#_x0000_t";
  if (type.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  type.remove_prefix(kPrefix.size());
  uint16_t n = 0;
  auto [p, ec] = std::from_chars(type.data(), type.data() + type.size(), n);
  if (ec != std::errc() || p != type.data() + type.size() || n == 0 || n > 0xFFE) return std::nullopt;
  return n;
}

}  // namespace zel::xls::ooxml
