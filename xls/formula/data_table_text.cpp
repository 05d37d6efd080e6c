// Formula text of the cells of a data table (what-if table): TABLE(row input, column input).
#include "xls/formula/formula_printer.h"

namespace zel::xls {
namespace {

constexpr uint16_t kLastColumn = 255;

std::string inputText(uint16_t row, uint16_t col, bool deleted) {
  if (deleted || col > kLastColumn) return "#REF!";
  return cellAddress(row, col);
}

}  // namespace

std::string dataTableFormula(const DataTableInputs& t) {
  std::string first = inputText(t.firstRow, t.firstCol, t.firstDeleted);
  if (t.twoInputs) return "=TABLE(" + first + "," + inputText(t.secondRow, t.secondCol, t.secondDeleted) + ")";
  return t.rowInput ? "=TABLE(" + first + ",)" : "=TABLE(," + first + ")";
}

}  // namespace zel::xls
