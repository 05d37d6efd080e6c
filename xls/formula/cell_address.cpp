// A1-style column letters and cell addresses shared by the formula printer and the reader.
#include <algorithm>

#include "xls/formula/formula_printer.h"

namespace zel::xls {

std::string columnLetters(uint16_t col) {
  std::string letters;
  unsigned n = static_cast<unsigned>(col) + 1;
  while (n > 0) {
    unsigned rem = (n - 1) % 26;
    letters += static_cast<char>('A' + rem);
    n = (n - 1) / 26;
  }
  std::reverse(letters.begin(), letters.end());
  return letters;
}

std::string cellAddress(uint32_t row, uint16_t col, bool absRow, bool absCol) {
  std::string s;
  if (absCol) s += '$';
  s += columnLetters(col);
  if (absRow) s += '$';
  s += std::to_string(static_cast<unsigned long>(row) + 1);
  return s;
}

}  // namespace zel::xls
