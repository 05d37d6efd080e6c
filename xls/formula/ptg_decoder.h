// Decodes the rgce bytes of a BIFF8 formula (and the array/memory data stored after them)
// into tokens. Pure function: no environment is needed to split the bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "xls/formula/ptg_tokens.h"

namespace zel::xls::formula {

// Limits against hostile input.
inline constexpr size_t kMaxArrayValues = 65536;  // values of one array constant

struct DecodeError {
  enum class Kind { UnknownPtg, Truncated, BadValue, UnknownFunction };
  Kind kind = Kind::Truncated;
  size_t offset = 0;   // byte offset of the failing token in rgce
  uint8_t ptg = 0;
  uint16_t detail = 0; // function index for UnknownFunction
  std::string message;
};

struct DecodedFormula {
  std::vector<Token> tokens;
  std::optional<DecodeError> error;  // set when decoding stopped early
};

DecodedFormula decodeRgce(std::span<const uint8_t> rgce, std::span<const uint8_t> extra);

}  // namespace zel::xls::formula
