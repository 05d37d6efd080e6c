// xl/theme/theme1.xml: the twelve colours of the colour scheme, and the DrawingML colour
// modifiers that shapes and cell styles apply to them.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "xls/ooxml/theme_colors.h"

namespace zel::xls::ooxml {
namespace {

// Scheme element -> position in ThemeColors::rgb.
constexpr std::pair<std::string_view, int> kSchemeSlots[] = {
    {"lt1", 0},      {"dk1", 1},      {"lt2", 2},      {"dk2", 3},      {"accent1", 4},
    {"accent2", 5},  {"accent3", 6},  {"accent4", 7},  {"accent5", 8},  {"accent6", 9},
    {"hlink", 10},   {"folHlink", 11}, {"bg1", 0},     {"tx1", 1},      {"bg2", 2},
    {"tx2", 3},
};

struct Hsl {
  double h, s, l;
};

Hsl toHsl(uint32_t rgb) {
  const double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0, b = (rgb & 0xFF) / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  Hsl out{0, 0, (mx + mn) / 2};
  if (mx == mn) return out;
  const double d = mx - mn;
  out.s = out.l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
  if (mx == r) out.h = (g - b) / d + (g < b ? 6 : 0);
  else if (mx == g) out.h = (b - r) / d + 2;
  else out.h = (r - g) / d + 4;
  out.h /= 6;
  return out;
}

double hueChannel(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (t < 1.0 / 6) return p + (q - p) * 6 * t;
  if (t < 0.5) return q;
  if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
  return p;
}

uint32_t channel(double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

uint32_t fromHsl(const Hsl& c) {
  if (c.s == 0) {
    const uint32_t v = channel(c.l);
    return (v << 16) | (v << 8) | v;
  }
  const double q = c.l < 0.5 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s, p = 2 * c.l - q;
  return (channel(hueChannel(p, q, c.h + 1.0 / 3)) << 16) | (channel(hueChannel(p, q, c.h)) << 8) |
         channel(hueChannel(p, q, c.h - 1.0 / 3));
}

}  // namespace

std::optional<uint32_t> hexColor(std::string_view s) {
  if (s.size() == 8) s.remove_prefix(2);  // ARGB
  uint32_t v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  if (ec != std::errc() || p != s.data() + s.size() || s.size() != 6) return std::nullopt;
  return v;
}

uint32_t tintedColor(uint32_t rgb, double tint) {
  if (!(tint >= -1 && tint <= 1) || tint == 0) return rgb;  // NaN and out-of-range tints change nothing
  Hsl c = toHsl(rgb);
  c.l = tint < 0 ? c.l * (1 + tint) : c.l * (1 - tint) + tint;
  return fromHsl(c);
}

std::optional<uint32_t> ThemeColors::named(std::string_view name) const {
  for (const auto& [n, slot] : kSchemeSlots)
    if (n == name) return rgb[static_cast<size_t>(slot)];
  return std::nullopt;
}

uint32_t modifiedColor(uint32_t rgb, std::string_view modifier, int value) {
  const double f = std::clamp(value / 100000.0, 0.0, 10.0);
  if (modifier == "lumMod" || modifier == "lumOff") {
    Hsl c = toHsl(rgb);
    c.l = std::clamp(modifier == "lumMod" ? c.l * f : c.l + f, 0.0, 1.0);
    return fromHsl(c);
  }
  if (modifier == "tint" || modifier == "shade") {
    uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
      const double v = ((rgb >> shift) & 0xFF) / 255.0;
      const double w = modifier == "shade" ? v * std::min(f, 1.0) : v + (1 - v) * (1 - std::min(f, 1.0));
      out |= channel(w) << shift;
    }
    return out;
  }
  return rgb;
}

ThemeColors readThemePart(XmlReader& xml) {
  ThemeColors theme;
  bool inScheme = false;
  int slot = -1;
  while (xml.next()) {
    const std::string_view n = xml.localName();
    if (xml.isEnd()) {
      if (n == "clrScheme") return theme;
      continue;
    }
    if (n == "clrScheme") {
      inScheme = true;
    } else if (inScheme && (n == "srgbClr" || n == "sysClr") && slot >= 0) {
      if (auto v = hexColor(xml.attr(n == "srgbClr" ? "val" : "lastClr").value_or("")))
        theme.rgb[static_cast<size_t>(slot)] = *v;
      slot = -1;
    } else if (inScheme) {
      slot = -1;
      for (const auto& [name, s] : kSchemeSlots)
        if (name == n && s >= 0) slot = s;
    }
  }
  return theme;
}

}  // namespace zel::xls::ooxml
