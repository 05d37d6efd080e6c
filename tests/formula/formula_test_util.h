// Shared helpers of the formula tests: print hand-built token bytes and get the text back.
#pragma once
#include <string>

#include "tests/formula/rgce_builder.h"
#include "xls/formula/formula_printer.h"

namespace zel::test {

inline xls::FormulaText printRgce(const Rgce& rgce, const ArrayData& extra = {},
                                  const xls::FormulaEnvironment& env = {}, xls::FormulaOrigin origin = {},
                                  xls::FormulaKind kind = xls::FormulaKind::Cell) {
  return xls::printFormula(rgce.bytes, extra.bytes, env, origin, kind);
}

inline std::string formulaText(const Rgce& rgce, const ArrayData& extra = {},
                               const xls::FormulaEnvironment& env = {}, xls::FormulaOrigin origin = {},
                               xls::FormulaKind kind = xls::FormulaKind::Cell) {
  xls::FormulaText t = printRgce(rgce, extra, env, origin, kind);
  if (!t.complete) return "INCOMPLETE:" + t.text;
  return t.text;
}

}  // namespace zel::test
