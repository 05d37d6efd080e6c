// Text measuring for layout, and line breaking of long texts to a width. The layout works in
// millimetres; a measurer says how wide each character is in a given text style.
#pragma once
#include "report/report_definition.h"

#include <string>
#include <string_view>
#include <vector>

namespace zel::report {

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Advance of one character (a Unicode code point) in millimetres.
  virtual double advanceMm(FontRole role, char32_t c) = 0;
  // Distance between two lines of the style.
  virtual double lineHeightMm(FontRole role) = 0;
  // Em size of the style (the cell of one character in vertical text).
  virtual double emMm(FontRole role) = 0;
};

double textWidthMm(TextMeasurer& m, FontRole role, std::string_view utf8);

// Breaks a text into lines no wider than widthMm. Explicit line ends (CR, LF, CRLF) break too;
// tabs count as blanks. Latin words move whole to the next line where they fit on one; CJK
// text breaks between any two characters; a word longer than a line breaks where it must.
// Returns at least one (possibly empty) line.
std::vector<std::string> wrapText(TextMeasurer& m, FontRole role, std::string_view utf8, double widthMm);

// One line: the text as it fits, ending in "…" when it had to be cut.
std::string cutToWidth(TextMeasurer& m, FontRole role, std::string_view utf8, double widthMm);

// Vertical text: characters that are set turned by 90 degrees (Latin letters, digits, dashes,
// brackets), everything else stands upright in an em cell.
bool isTurnedInVertical(char32_t c);
double verticalAdvanceMm(TextMeasurer& m, FontRole role, char32_t c);
// Breaks a text into vertical columns no taller than heightMm.
std::vector<std::string> wrapVertical(TextMeasurer& m, FontRole role, std::string_view utf8, double heightMm);

// UTF-8 <-> code points (invalid bytes become U+FFFD).
std::u32string toU32(std::string_view utf8);
std::string fromU32(std::u32string_view s);

}  // namespace zel::report
