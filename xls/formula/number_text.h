// Numbers as Excel writes them in formula text: at most 15 significant digits, fixed
// notation unless it would get too long, else "1.5E+20" / "1E-25".
#pragma once
#include <string>

namespace zel::xls::formula {

std::string excelNumberText(double value);

}  // namespace zel::xls::formula
