// Number formats as Excel 97 displays them: a pure function from format string + value to
// the cell's text. Colours and conditions are parsed but do not change the text.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zel::xls {

// The format string of a built-in format index (0..58); "General" for unknown indexes.
// Locale-dependent dates follow a Japanese Excel (14 = "yyyy/m/d").
std::string builtinNumberFormat(uint16_t index);

// The text of a number under a format. dateMode1904 selects the 1904 date system.
std::string formatNumber(std::string_view format, double value, bool dateMode1904 = false);
// A number under a date or time format as the Formula property gives such a constant (Excel's
// formula text in English): "2/23/2005", "5:47:13 PM" (serials below 1), "2/23/2005 5:47:13 PM".
// Empty when the format shows the number as a number, or the serial is no date.
std::optional<std::string> dateConstantText(std::string_view format, double value, bool dateMode1904);
// True when some section of the format shows numbers as dates or times: only then can
// dateConstantText give a date for it.
bool formatHasDateSection(std::string_view format);
// The text of a text value under a format (the fourth section, or "@" sections).
std::string formatText(std::string_view format, std::string_view text);

// General: at most 11 characters (sign not counted), scientific where needed, as Excel.
std::string generalNumberText(double value);
// A number as the Formula property gives a constant: up to 15 significant digits.
std::string formulaNumberText(double value);

// Date parts of a serial (days since 1899-12-30, with Excel's 1900-02-29), for the renderer.
struct DateParts {
  int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0, weekday = 0;  // 0 = Sunday
  double fraction = 0;  // sub-second part
};
bool serialToDate(double serial, bool dateMode1904, DateParts& out);

}  // namespace zel::xls
