// Resolution of style colours: theme colours and tints become RGB, palette indexes stay indexes
// unless a tint changes them, and every RGB colour is stored once in the workbook's table.
#include "xls/ooxml/style_colors.h"
#include "xls/ooxml/xml_number.h"

#include <algorithm>
#include <cmath>
#include <string>


namespace zel::xls::ooxml {
namespace {

constexpr uint32_t kFixedColors[8] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
constexpr unsigned kSystemBackground = 65;  // 64 the window's text colour, 65 its background

std::optional<unsigned> unsignedAttr(const XmlReader& xml, std::string_view name) {
  auto s = xml.attrView(name);
  return s ? xmlInteger<unsigned>(*s) : std::nullopt;
}

double tintOf(const XmlReader& xml) {
  auto s = xml.attr("tint");
  if (!s) return 0;
  try {
    size_t used = 0;
    double t = std::stod(*s, &used);
    return std::isfinite(t) ? std::clamp(t, -1.0, 1.0) : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

bool isTrue(const std::optional<std::string>& s) { return s && (*s == "1" || *s == "true"); }

}  // namespace

std::vector<uint32_t> readIndexedColors(XmlReader& xml) {
  std::vector<uint32_t> out;
  while (xml.next()) {
    if (!xml.atStart("indexedColors") || xml.isEmptyElement()) continue;
    const int depth = xml.depth();
    while (xml.nextInside(depth))
      if (xml.atStart("rgbColor") && out.size() < kPaletteSize)
        out.push_back(hexColor(xml.attr("rgb").value_or("")).value_or(0));
    break;
  }
  return out;
}

StyleColors::StyleColors(const ThemeColors& theme, const std::vector<uint32_t>& indexedColors, WorkbookGlobals& g)
    : theme_(theme), g_(g) {
  for (size_t i = 0; i < indexedColors.size() && i < kPaletteSize; ++i) {
    if (i < 8) firstEight_.push_back(indexedColors[i]);
    else if (i - 8 < g_.palette.size()) g_.palette[i - 8] = indexedColors[i];
  }
}

std::optional<uint32_t> StyleColors::paletteRgb(unsigned index) const {
  if (index < firstEight_.size()) return firstEight_[index];
  if (index < 8) return kFixedColors[index];
  if (index - 8 < g_.palette.size()) return g_.palette[index - 8];
  return std::nullopt;
}

std::optional<uint32_t> StyleColors::rgbOf(const XmlReader& xml) const {
  if (isTrue(xml.attr("auto"))) return std::nullopt;
  std::optional<uint32_t> rgb;
  if (auto s = xml.attr("rgb")) {
    rgb = hexColor(*s);
  } else if (auto t = unsignedAttr(xml, "theme")) {
    if (*t < theme_.rgb.size()) rgb = theme_.rgb[*t];
  } else if (auto i = unsignedAttr(xml, "indexed")) {
    rgb = paletteRgb(*i);
  }
  if (rgb) rgb = tintedColor(*rgb, tintOf(xml));
  return rgb;
}

uint16_t StyleColors::indexOf(const XmlReader& xml, uint16_t automatic) {
  if (isTrue(xml.attr("auto"))) return automatic;
  if (!xml.attr("rgb") && !xml.attr("theme") && tintOf(xml) == 0) {
    // A plain palette index stays one, so the palette alone decides its colour.
    auto i = unsignedAttr(xml, "indexed");
    if (!i || *i > kSystemBackground) return automatic;
    if (*i >= 8 || *i >= firstEight_.size() || firstEight_[*i] == kFixedColors[*i]) return static_cast<uint16_t>(*i);
  }
  auto rgb = rgbOf(xml);
  return rgb ? indexOfRgb(*rgb, automatic) : automatic;
}

uint16_t StyleColors::indexOfRgb(uint32_t rgb, uint16_t automatic) {
  auto it = stored_.find(rgb);
  if (it != stored_.end()) return it->second;
  if (g_.rgbColors.size() >= 0xFFFFu - kRgbColorBase) return automatic;
  const auto index = static_cast<uint16_t>(kRgbColorBase + g_.rgbColors.size());
  g_.rgbColors.push_back(rgb);
  stored_.emplace(rgb, index);
  return index;
}

}  // namespace zel::xls::ooxml
