// Test-only reader of the formula records of real workbooks: the workbook globals a formula
// needs (sheets, SUPBOOK/EXTERNNAME, EXTERNSHEET, NAME) and every cell formula, with shared
// and array formulas resolved through their anchor records.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "xls/formula/formula_printer.h"

namespace zel::test {

struct StoredFormula {
  std::vector<uint8_t> rgce;
  std::vector<uint8_t> extra;
};

class WorkbookFormulas {
 public:
  // Reads tests/data/<name>; throws std::runtime_error when it cannot.
  static WorkbookFormulas load(const std::string& fileName);

  const xls::FormulaEnvironment& environment() const { return env_; }
  // The formula text of a cell ("B2" on the named sheet); "" when the cell holds no formula.
  xls::FormulaText formulaAt(const std::string& sheet, const std::string& address) const;
  // Every formula cell: sheet name, row, column.
  std::vector<std::tuple<std::string, uint32_t, uint16_t>> formulaCells() const;
  size_t formulaCount() const { return cells_.size(); }
  // Raw cell formula bytes (for the speed measurement).
  const StoredFormula* cellFormula(const std::string& sheet, uint32_t row, uint16_t col) const;

 private:
  using Key = std::tuple<int, uint32_t, uint16_t>;  // sheet index, row, column
  xls::FormulaText printCell(const Key& key) const;

  xls::FormulaEnvironment env_;
  std::map<Key, StoredFormula> cells_;
  struct Anchored {
    int sheet;
    uint32_t firstRow, lastRow;
    uint16_t firstCol, lastCol;
    StoredFormula formula;
  };
  // SHRFMLA / ARRAY records with their ranges. A tExp names a cell inside the range, not
  // always its first cell, so the record is found by containment.
  std::vector<Anchored> anchors_;
  struct Table {
    int sheet;
    uint32_t firstRow, lastRow;
    uint16_t firstCol, lastCol;
    xls::DataTableInputs inputs;
  };
  std::vector<Table> tables_;
  int sheetIndex(const std::string& name) const;
};

}  // namespace zel::test
