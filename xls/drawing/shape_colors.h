// OfficeArt colours as Excel's RGB numbers (red + green*256 + blue*65536).
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace zel::xls::drawing {

// Resolves an OfficeArtCOLORREF. Palette and scheme indexes go through the workbook's palette
// (`palette` holds 0xRRGGBB for indexes 8..63; the first eight are Excel's fixed colours);
// the special indexes (64/65 window text and window, 67 button face, 77-79 chart foreground,
// background and neutral, 80/81 tooltip background and text) and system-colour indexes take
// the default colours of Windows' classic scheme (window text black, window white, tooltip
// 0xFFFFE1, button face 0xC0C0C0).
// Empty for a colour that cannot be resolved (colours computed from other properties).
std::optional<int32_t> resolveArtColor(uint32_t colorRef, const std::vector<uint32_t>& palette);

// Excel's colour for a palette index 0..63 (0xRRGGBB): 0..7 fixed, 8..63 from `palette` (the
// reader fills it with Excel 97's default colours where the workbook has no PALETTE).
std::optional<uint32_t> paletteColor(uint32_t index, const std::vector<uint32_t>& palette);

}  // namespace zel::xls::drawing
