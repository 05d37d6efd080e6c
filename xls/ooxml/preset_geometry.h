// DrawingML preset geometries (<a:prstGeom prst="...">) as the autoshape types of the binary
// drawing layer, their adjust values turned into that layer's units, so that a triangle or an
// arrow from an Office 2007+ drawing is drawn with the same outline as one from a .xls.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zel::xls::ooxml {

struct LegacyPreset {
  uint16_t shapeType = 0;                        // MSOSPT (5 triangle, 13 right arrow, ...)
  std::array<std::optional<int32_t>, 2> adjust;  // in the 21600 units of the autoshape's box
  bool flipV = false;                            // the autoshape stands the other way up (trapezoid)
};

// The autoshape of a preset name, or none for names without one. `guides` are the shape's
// avLst values by name ("adj", "adj1", "adj2") in 1/100000; `width` and `height` its size in
// any one unit, for the presets whose adjust values scale with the shorter side.
std::optional<LegacyPreset> legacyPreset(std::string_view prst, const std::map<std::string, int64_t, std::less<>>& guides,
                                         double width, double height);

// The autoshape type a VML shape names: "#_x0000_t5" -> 5; none for other references.
std::optional<uint16_t> vmlShapeType(std::string_view type);

}  // namespace zel::xls::ooxml
