// Text rules shared by the workbook analyses: removing every occurrence of a part
// (addresses without "$") and the form in which formulas name a linked workbook.
#pragma once
#include <string>
#include <string_view>

namespace zel::workbook {

// StripAll: text with every occurrence of part removed (case-sensitive). A blank text gives "";
// an occurrence at the very start also trims the rest of blanks on both sides.
// An empty part removes nothing.
std::string StripAll(std::string_view text, std::string_view part);

// LinkRefText: how formulas refer to the workbook at a link source path:
// "C:\Data\Sales.xls" -> "C:\Data\[Sales.xls]", "Sales.xls" -> "[Sales.xls]", "" -> "".
std::string LinkRefText(std::string_view linkSource);

}  // namespace zel::workbook
