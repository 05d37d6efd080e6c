// Colour references of shape properties turned into Excel's RGB numbers.
#include "xls/drawing/shape_colors.h"

#include <array>

namespace zel::xls::drawing {
namespace {

constexpr uint8_t kPaletteIndexFlag = 0x01;
constexpr uint8_t kSchemeIndexFlag = 0x08;
constexpr uint8_t kSysIndexFlag = 0x10;

// Excel's first eight colour indexes never change.
constexpr std::array<uint32_t, 8> kFixedColors = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                                  0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};

// Windows' classic default colours of the GetSysColor indexes 0..24 (0xRRGGBB).
constexpr std::array<uint32_t, 25> kSystemColors = {
    0xC0C0C0,  // scroll bar
    0x008080,  // desktop
    0x000080,  // active caption
    0x808080,  // inactive caption
    0xC0C0C0,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC0C0C0,  // active border
    0xC0C0C0,  // inactive border
    0x808080,  // application workspace
    0x000080,  // highlight
    0xFFFFFF,  // highlight text
    0xC0C0C0,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC0C0C0,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x000000,  // 3D dark shadow
    0xDFDFDF,  // 3D light
    0x000000,  // tooltip text
    0xFFFFE1,  // tooltip background
};

int32_t excelRgb(uint32_t rrggbb) {
  const uint32_t r = (rrggbb >> 16) & 0xFF, g = (rrggbb >> 8) & 0xFF, b = rrggbb & 0xFF;
  return static_cast<int32_t>(r + g * 256 + b * 65536);
}

}  // namespace

std::optional<uint32_t> paletteColor(uint32_t index, const std::vector<uint32_t>& palette) {
  if (index < kFixedColors.size()) return kFixedColors[index];
  if (index - kFixedColors.size() < palette.size()) return palette[index - kFixedColors.size()];
  switch (index) {
    case 64: return kSystemColors[8];   // system foreground: window text
    case 65: return kSystemColors[5];   // system background: window
    case 67: return kSystemColors[15];  // button face (form buttons)
    case 77: return 0x000000;           // chart foreground
    case 78: return 0xFFFFFF;           // chart background
    case 79: return 0x000000;           // chart neutral
    case 80: return kSystemColors[24];  // tooltip background (note fill)
    case 81: return kSystemColors[23];  // tooltip text
    default: return std::nullopt;
  }
}

std::optional<int32_t> resolveArtColor(uint32_t colorRef, const std::vector<uint32_t>& palette) {
  const uint8_t red = colorRef & 0xFF, green = (colorRef >> 8) & 0xFF, blue = (colorRef >> 16) & 0xFF;
  const uint8_t flags = static_cast<uint8_t>(colorRef >> 24);
  if (flags & kSysIndexFlag) {
    const uint32_t index = red | (green << 8);
    if (index < kSystemColors.size()) return excelRgb(kSystemColors[index]);
    return std::nullopt;  // colours derived from the shape's other colours
  }
  if (flags & (kSchemeIndexFlag | kPaletteIndexFlag)) {
    const uint32_t index = (flags & kSchemeIndexFlag) ? red : (red | (green << 8));
    if (auto c = paletteColor(index, palette)) return excelRgb(*c);
    return std::nullopt;
  }
  return static_cast<int32_t>(red + green * 256 + blue * 65536);
}

}  // namespace zel::xls::drawing
