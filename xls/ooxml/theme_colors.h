// The colour scheme of a workbook's theme (xl/theme/theme1.xml) and the colour changes that
// DrawingML (tint, shade, lumMod, lumOff) and cell styles (tint -1..1) apply to its colours.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "xls/ooxml/xml_reader.h"

namespace zel::xls::ooxml {

// The scheme's colours (0xRRGGBB) in the order Excel numbers theme colours in styles: lt1, dk1,
// lt2, dk2, accent1..6, hlink, folHlink.
struct ThemeColors {
  std::array<uint32_t, 12> rgb{0xFFFFFF, 0x000000, 0xE7E6E6, 0x44546A, 0x4472C4, 0xED7D31,
                               0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, 0x0563C1, 0x954F72};
  // A scheme colour name of DrawingML ("accent1", "tx1", "bg2", "dk1" ...); nullopt if unknown.
  std::optional<uint32_t> named(std::string_view name) const;
};
ThemeColors readThemePart(XmlReader& xml);

// A colour changed by the DrawingML modifiers tint, shade, lumMod and lumOff (1/1000 percent).
uint32_t modifiedColor(uint32_t rgb, std::string_view modifier, int value);

// A colour lightened (tint > 0) or darkened (tint < 0) as a style's tint attribute does it: the
// luminance moves towards white by that share of the way, or towards black.
uint32_t tintedColor(uint32_t rgb, double tint);

// "FF4F81BD" (alpha first, ignored) or "4F81BD" as 0xRRGGBB.
std::optional<uint32_t> hexColor(std::string_view s);

}  // namespace zel::xls::ooxml
