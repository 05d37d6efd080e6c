// Decodes the rgce bytes of a BIFF8 formula (and the array/memory data stored after them)
// into tokens, one at a time: the printer consumes each as it comes, so no token list is
// built. No environment is needed to split the bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

#include "xls/byte_cursor.h"
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

// Reads the tokens of one formula in stored order. Every read is bounded by rgce and extra; a
// read past the end of rgce ends decoding with a Truncated error for that token.
class PtgReader {
 public:
  PtgReader(std::span<const uint8_t> rgce, std::span<const uint8_t> extra) : in_(rgce), extra_(extra) {}

  // The next token; false at the end of rgce or once decoding stopped at a damaged token.
  bool next(Token& out);
  // Set when decoding stopped early.
  const std::optional<DecodeError>& error() const { return error_; }

 private:
  struct Area { CellPos first, last; };

  void fail(DecodeError::Kind kind, uint8_t ptg, std::string message, uint16_t detail = 0);
  template <class T>
  void push(T&& token) {
    out_->emplace<std::decay_t<T>>(std::forward<T>(token));
    produced_ = true;
  }
  void readToken(uint8_t ptg);
  void readBaseToken(uint8_t ptg);
  void unknown(uint8_t ptg);
  void readPtgExp(bool table);
  void readPtgStr();
  void readPtgAttr(uint8_t ptg);
  void readPtgArray(uint8_t ptg);
  std::optional<ArrayValue> readArrayValue();
  void readPtgFunc(uint8_t ptg);
  void readPtgFuncVar(uint8_t ptg);
  uint16_t readIndexAndSkip();
  void readPtgNameX();
  CellPos readCell();
  void readPtgRef(bool offsets);
  void readPtgArea(bool offsets);
  void readPtgRef3d();
  void readPtgArea3d();
  void readPtgErr3d(size_t unused, bool area);
  Area readArea();
  void readPtgMemArea(uint8_t ptg);
  void readPtgMem(uint8_t ptg, size_t reserved);

  ByteCursor in_;
  ByteCursor extra_;
  size_t start_ = 0;
  Token* out_ = nullptr;
  bool produced_ = false;
  std::optional<DecodeError> error_;
};

}  // namespace zel::xls::formula
