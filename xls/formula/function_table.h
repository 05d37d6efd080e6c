// The built-in function table of BIFF8 formulas (Ftab): English name and, for functions that
// tFunc calls, the fixed argument count.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace zel::xls::formula {

struct BuiltinFunction {
  uint16_t index = 0;
  std::string_view name;
  int fixedArgs = -1;         // -1: the function takes a variable count (tFuncVar only)
  bool macroSheetOnly = false;
};

// Index used by tFuncVar for add-in and macro functions: the first argument names the function.
inline constexpr uint16_t kExternalFunctionIndex = 255;

std::optional<BuiltinFunction> findBuiltinFunction(uint16_t index);

}  // namespace zel::xls::formula
