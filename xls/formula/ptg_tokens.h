// The closed set of BIFF8 formula tokens (Ptg) after decoding: plain values, no bytes left.
// The printer turns a sequence of them (reverse Polish order, as stored) into formula text.
#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zel::xls::formula {

enum class BinaryOperator : uint8_t {
  Add, Subtract, Multiply, Divide, Power, Concat,
  Less, LessEqual, Equal, GreaterEqual, Greater, NotEqual,
  Intersect, Union, Range,
};
enum class UnaryOperator : uint8_t { Plus, Minus, Percent };

struct BinaryOp { BinaryOperator op; };
struct UnaryOp { UnaryOperator op; };
struct ParenToken {};
struct MissingArg {};

struct StringConst { std::string text; };  // UTF-8, without quotes
struct NumberConst { double value = 0; };
struct IntConst { uint16_t value = 0; };
struct BoolConst { bool value = false; };
struct ErrorConst { uint8_t code = 0; };

// One value of an array constant.
struct ArrayValue {
  enum class Kind : uint8_t { Empty, Number, String, Bool, Error };
  Kind kind = Kind::Empty;
  double number = 0;
  std::string text;
  uint8_t code = 0;  // bool (0/1) or error code
};
struct ArrayConst {
  uint16_t columns = 0;
  uint16_t rows = 0;
  std::vector<ArrayValue> values;  // row by row
};

// A built-in function call. argCount is the number of operands it takes from the stack.
struct FunctionCall {
  uint16_t index = 0;
  uint8_t argCount = 0;
};
// tAttrSum: SUM of the one operand before it.
struct SumAttr {};
// tAttrSpace: spaces or line breaks shown before the next token.
struct SpaceAttr {
  uint8_t type = 0;
  uint8_t count = 0;
};
// Tokens that guide evaluation only (tAttrIf/Choose/Goto/Semi, tMem*): no text of their own.
struct ControlToken { uint8_t ptg = 0; };

struct NameToken { uint16_t index = 0; };                  // 1-based NAME index
struct ExternNameToken { uint16_t ixti = 0; uint16_t index = 0; };

// A cell position as stored: for relative parts of offset tokens (tRefN, shared formulas,
// names) row/col are offsets, taken modulo 65536 rows and 256 columns.
struct CellPos {
  uint16_t row = 0;
  uint16_t col = 0;  // column field without its two flag bits
  bool rowRelative = false;
  bool colRelative = false;
};
struct RefToken { CellPos cell; bool offsets = false; };
struct AreaToken { CellPos first; CellPos last; bool offsets = false; };
struct Ref3dToken { uint16_t ixti = 0; CellPos cell; };
struct Area3dToken { uint16_t ixti = 0; CellPos first; CellPos last; };
struct RefErrToken {};
struct AreaErrToken {};
struct RefErr3dToken { uint16_t ixti = 0; };
struct AreaErr3dToken { uint16_t ixti = 0; };

// tExp / tTbl: the formula lives in a SHRFMLA/ARRAY (or TABLE) record anchored at row/col.
struct ExpToken {
  uint16_t row = 0;
  uint16_t col = 0;
  bool table = false;
};

using Token = std::variant<BinaryOp, UnaryOp, ParenToken, MissingArg, StringConst, NumberConst,
                           IntConst, BoolConst, ErrorConst, ArrayConst, FunctionCall, SumAttr,
                           SpaceAttr, ControlToken, NameToken, ExternNameToken, RefToken, AreaToken,
                           Ref3dToken, Area3dToken, RefErrToken, AreaErrToken, RefErr3dToken,
                           AreaErr3dToken, ExpToken>;

}  // namespace zel::xls::formula
