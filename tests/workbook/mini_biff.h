// A small BIFF8 workbook writer for these tests: worksheets with numbers, texts, error
// constants and simple formulas, wrapped in a compound file by the shared test support.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zel::test {

struct MiniCell {
  enum class Kind { Number, Text, Error, FormulaRefPlusOne } kind = Kind::Number;
  uint16_t row = 0, col = 0;
  double number = 0;
  std::string text;        // ASCII
  uint8_t errorCode = 0x07;
  uint16_t refRow = 0, refCol = 0;  // FormulaRefPlusOne: =<ref>+1 with an absolute reference
};

inline MiniCell numberCell(uint16_t r, uint16_t c, double v) {
  MiniCell m;
  m.row = r, m.col = c, m.number = v;
  return m;
}
inline MiniCell textCell(uint16_t r, uint16_t c, std::string t) {
  MiniCell m = numberCell(r, c, 0);
  m.kind = MiniCell::Kind::Text, m.text = std::move(t);
  return m;
}
inline MiniCell errorCell(uint16_t r, uint16_t c, uint8_t code) {
  MiniCell m = numberCell(r, c, 0);
  m.kind = MiniCell::Kind::Error, m.errorCode = code;
  return m;
}
// =<ref>+1 with an absolute reference to (refRow, refCol).
inline MiniCell formulaCell(uint16_t r, uint16_t c, uint16_t refRow, uint16_t refCol) {
  MiniCell m = numberCell(r, c, 0);
  m.kind = MiniCell::Kind::FormulaRefPlusOne, m.refRow = refRow, m.refCol = refCol;
  return m;
}

struct MiniSheet {
  std::string name;  // ASCII
  std::vector<MiniCell> cells;  // in row, then column order
};

// The compound file image of a workbook holding the sheets.
std::vector<uint8_t> buildMiniWorkbook(const std::vector<MiniSheet>& sheets);

}  // namespace zel::test
