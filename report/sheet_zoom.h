// The zoom text of the sheet print: a whole number of percent in Excel's range.
#pragma once
#include <string>

namespace zel::report {

inline constexpr int kMinSheetZoom = 10;
inline constexpr int kMaxSheetZoom = 400;
// The zoom used when neither txtZoom nor Zelvarin.dat gives one.
inline constexpr const char* kDefaultSheetZoom = "98";

// The zoom txtZoom starts with: DatZoom (from Zelvarin.dat) when it is not blank, else "98".
std::string initialZoomText(const std::string& datZoom);

// Parses the zoom text: blanks around it are ignored and full-width digits accepted.
// Throws VbError 13 for a text that is not a whole number and 1004 for a number outside
// 10..400, both with a message that says what is accepted.
int parseSheetZoom(const std::string& text);

}  // namespace zel::report
