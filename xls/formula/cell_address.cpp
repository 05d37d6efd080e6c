// A1-style column letters and cell addresses shared by the formula printer and the reader.
#include <algorithm>
#include <charconv>

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
  // Assembled in one buffer: "$XFD$1048576" is the longest address.
  char buf[24];
  char* p = buf;
  if (absCol) *p++ = '$';
  char letters[4];
  int count = 0;
  for (unsigned n = static_cast<unsigned>(col) + 1; n > 0 && count < 4; n = (n - 1) / 26)
    letters[count++] = static_cast<char>('A' + (n - 1) % 26);
  while (count > 0) *p++ = letters[--count];
  if (absRow) *p++ = '$';
  p = std::to_chars(p, buf + sizeof buf, static_cast<unsigned long>(row) + 1).ptr;
  return std::string(buf, p);
}

}  // namespace zel::xls
