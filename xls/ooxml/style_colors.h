// Colours of xl/styles.xml as the colour indexes of the FONT and XF entries: the custom palette
// (<indexedColors>), and each colour element (rgb, theme colour with tint, palette index, auto)
// turned into a palette index or an entry of WorkbookGlobals::rgbColors.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "xls/biff_workbook.h"
#include "xls/ooxml/theme_colors.h"
#include "xls/ooxml/xml_reader.h"

namespace zel::xls::ooxml {

inline constexpr size_t kPaletteSize = 64;  // indexes 0..63

// The <indexedColors> list of a style part (0xRRGGBB from index 0 on), empty when the book keeps
// the default palette. Read in a pass of its own: the list comes after the entries that use it.
std::vector<uint32_t> readIndexedColors(XmlReader& xml);

class StyleColors {
 public:
  // Puts the custom palette's indexes 8..63 into g.palette; resolved colours go to g.rgbColors.
  StyleColors(const ThemeColors& theme, const std::vector<uint32_t>& indexedColors, WorkbookGlobals& g);

  // The colour index of the colour element the reader is at (<color>, <fgColor>, <bgColor>);
  // `automatic` for auto="1", a missing element's attributes or an index out of range.
  uint16_t indexOf(const XmlReader& xml, uint16_t automatic);
  // The element's colour as 0xRRGGBB; nullopt for automatic colours.
  std::optional<uint32_t> rgbOf(const XmlReader& xml) const;
  // The colour index of a resolved colour (each distinct colour stored once).
  uint16_t indexOfRgb(uint32_t rgb, uint16_t automatic);

 private:
  std::optional<uint32_t> paletteRgb(unsigned index) const;

  const ThemeColors& theme_;
  WorkbookGlobals& g_;
  std::vector<uint32_t> firstEight_;  // indexes 0..7 of a custom palette
  std::map<uint32_t, uint16_t> stored_;
};

}  // namespace zel::xls::ooxml
