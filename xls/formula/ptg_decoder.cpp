// Splits rgce bytes into tokens, one reader per Ptg kind. tArray values and tMemArea range
// lists are taken from the extra bytes in the order their tokens appear.
#include "xls/formula/ptg_decoder.h"

#include <cstdio>

#include "core/vbstring.h"
#include "xls/formula/byte_cursor.h"
#include "xls/formula/function_table.h"

namespace zel::xls::formula {
namespace {

constexpr uint8_t kAttrSemi = 0x01;
constexpr uint8_t kAttrIf = 0x02;
constexpr uint8_t kAttrChoose = 0x04;
constexpr uint8_t kAttrGoto = 0x08;
constexpr uint8_t kAttrSum = 0x10;
constexpr uint8_t kAttrBaxcel = 0x20;
constexpr uint8_t kAttrSpace = 0x40;
constexpr uint16_t kCeFuncFlag = 0x8000;  // tFuncVar: command-equivalent function of macro sheets

std::string hexByte(uint8_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v);
  return buf;
}

// Reads cch characters stored either as single bytes (Latin-1) or as UTF-16LE units.
std::optional<std::string> readChars(ByteCursor& in, size_t cch, bool highByte) {
  std::u16string units;
  units.reserve(cch);
  for (size_t i = 0; i < cch; ++i) {
    if (highByte) {
      auto u = in.u16();
      if (!u) return std::nullopt;
      units.push_back(static_cast<char16_t>(*u));
    } else {
      auto b = in.u8();
      if (!b) return std::nullopt;
      units.push_back(static_cast<char16_t>(*b));
    }
  }
  return toU8(units);
}

CellPos cellPos(uint16_t row, uint16_t colField) {
  CellPos p;
  p.row = row;
  p.col = colField & 0x3FFF;
  p.colRelative = (colField & 0x4000) != 0;
  p.rowRelative = (colField & 0x8000) != 0;
  return p;
}

class Decoder {
 public:
  Decoder(std::span<const uint8_t> rgce, std::span<const uint8_t> extra) : in_(rgce), extra_(extra) {}

  DecodedFormula run() {
    while (!in_.atEnd() && !out_.error) {
      start_ = in_.offset();
      uint8_t ptg = *in_.u8();
      readToken(ptg);
    }
    return std::move(out_);
  }

 private:
  void fail(DecodeError::Kind kind, uint8_t ptg, std::string message, uint16_t detail = 0) {
    if (out_.error) return;
    out_.error = DecodeError{kind, start_, ptg, detail, std::move(message)};
  }
  void truncated(uint8_t ptg) {
    fail(DecodeError::Kind::Truncated, ptg,
         "formula bytes end inside token " + hexByte(ptg) + " at offset " + std::to_string(start_));
  }
  template <class T>
  void push(T&& token) { out_.tokens.emplace_back(std::forward<T>(token)); }

  void readToken(uint8_t ptg) {
    if (ptg < 0x20) {
      readBaseToken(ptg);
      return;
    }
    // Class-coded tokens: 0x2x reference, 0x4x value, 0x6x array class share one layout.
    if (ptg >= 0x80) {
      unknown(ptg);
      return;
    }
    uint8_t base = static_cast<uint8_t>((ptg & 0x1F) | 0x20);
    switch (base) {
      case 0x20: readPtgArray(ptg); break;
      case 0x21: readPtgFunc(ptg); break;
      case 0x22: readPtgFuncVar(ptg); break;
      case 0x23: readPtgName(ptg); break;
      case 0x24: readPtgRef(ptg, false); break;
      case 0x25: readPtgArea(ptg, false); break;
      case 0x26: readPtgMemArea(ptg); break;
      case 0x27: readPtgMem(ptg, 4); break;   // tMemErr
      case 0x28: readPtgMem(ptg, 4); break;   // tMemNoMem
      case 0x29: readPtgMem(ptg, 0); break;   // tMemFunc
      case 0x2A: readPtgRefErr(ptg); break;
      case 0x2B: readPtgAreaErr(ptg); break;
      case 0x2C: readPtgRef(ptg, true); break;
      case 0x2D: readPtgArea(ptg, true); break;
      case 0x2E: readPtgMem(ptg, 0); break;   // tMemAreaN
      case 0x2F: readPtgMem(ptg, 0); break;   // tMemNoMemN
      case 0x39: readPtgNameX(ptg); break;
      case 0x3A: readPtgRef3d(ptg); break;
      case 0x3B: readPtgArea3d(ptg); break;
      case 0x3C: readPtgRefErr3d(ptg); break;
      case 0x3D: readPtgAreaErr3d(ptg); break;
      default: unknown(ptg); break;
    }
  }

  void readBaseToken(uint8_t ptg) {
    switch (ptg) {
      case 0x01: readPtgExp(ptg, false); return;
      case 0x02: readPtgExp(ptg, true); return;
      case 0x12: push(UnaryOp{UnaryOperator::Plus}); return;
      case 0x13: push(UnaryOp{UnaryOperator::Minus}); return;
      case 0x14: push(UnaryOp{UnaryOperator::Percent}); return;
      case 0x15: push(ParenToken{}); return;
      case 0x16: push(MissingArg{}); return;
      case 0x17: readPtgStr(ptg); return;
      case 0x19: readPtgAttr(ptg); return;
      case 0x1C: readPtgErr(ptg); return;
      case 0x1D: readPtgBool(ptg); return;
      case 0x1E: readPtgInt(ptg); return;
      case 0x1F: readPtgNum(ptg); return;
      default: break;
    }
    if (ptg >= 0x03 && ptg <= 0x11) {
      push(BinaryOp{static_cast<BinaryOperator>(ptg - 0x03)});
      return;
    }
    unknown(ptg);  // 0x00, 0x18 (natural-language labels), 0x1A/0x1B (BIFF4 sheet tokens)
  }

  void unknown(uint8_t ptg) {
    fail(DecodeError::Kind::UnknownPtg, ptg,
         "unknown formula token " + hexByte(ptg) + " at offset " + std::to_string(start_));
  }

  void readPtgExp(uint8_t ptg, bool table) {
    auto row = in_.u16();
    auto col = in_.u16();
    if (!col) return truncated(ptg);
    push(ExpToken{*row, *col, table});
  }

  void readPtgStr(uint8_t ptg) {
    auto cch = in_.u8();
    auto flags = in_.u8();
    if (!flags) return truncated(ptg);
    auto text = readChars(in_, *cch, (*flags & 0x01) != 0);
    if (!text) return truncated(ptg);
    push(StringConst{std::move(*text)});
  }

  void readPtgErr(uint8_t ptg) {
    auto code = in_.u8();
    if (!code) return truncated(ptg);
    push(ErrorConst{*code});
  }
  void readPtgBool(uint8_t ptg) {
    auto v = in_.u8();
    if (!v) return truncated(ptg);
    push(BoolConst{*v != 0});
  }
  void readPtgInt(uint8_t ptg) {
    auto v = in_.u16();
    if (!v) return truncated(ptg);
    push(IntConst{*v});
  }
  void readPtgNum(uint8_t ptg) {
    auto v = in_.f64();
    if (!v) return truncated(ptg);
    push(NumberConst{*v});
  }

  void readPtgAttr(uint8_t ptg) {
    auto flags = in_.u8();
    auto data = in_.u16();
    if (!data) return truncated(ptg);
    if (*flags & kAttrChoose) {
      // Jump table: one offset per case plus the one past the last case.
      if (!in_.skip((static_cast<size_t>(*data) + 1) * 2)) return truncated(ptg);
      push(ControlToken{ptg});
      return;
    }
    if (*flags & kAttrSum) {
      push(SumAttr{});
      return;
    }
    if (*flags & kAttrSpace) {
      uint8_t type = static_cast<uint8_t>(*data & 0xFF);
      uint8_t count = static_cast<uint8_t>(*data >> 8);
      if (type > 0x06) {
        return fail(DecodeError::Kind::BadValue, ptg,
                    "unknown space type " + hexByte(type) + " at offset " + std::to_string(start_));
      }
      push(SpaceAttr{type, count});
      return;
    }
    if (*flags & (kAttrSemi | kAttrIf | kAttrGoto | kAttrBaxcel) || *flags == 0) {
      push(ControlToken{ptg});
      return;
    }
    fail(DecodeError::Kind::BadValue, ptg,
         "unknown attribute " + hexByte(*flags) + " at offset " + std::to_string(start_));
  }

  void readPtgArray(uint8_t ptg) {
    if (!in_.skip(7)) return truncated(ptg);
    auto lastCol = extra_.u8();
    auto lastRow = extra_.u16();
    if (!lastRow) return fail(DecodeError::Kind::Truncated, ptg, "array constant data missing");
    ArrayConst array;
    array.columns = static_cast<uint16_t>(*lastCol + 1);
    array.rows = static_cast<uint16_t>(*lastRow + 1);
    size_t count = static_cast<size_t>(array.columns) * array.rows;
    if (count > kMaxArrayValues || count * 4 > extra_.remaining()) {
      return fail(DecodeError::Kind::Truncated, ptg, "array constant data shorter than its size");
    }
    array.values.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      auto value = readArrayValue();
      if (!value) return fail(DecodeError::Kind::BadValue, ptg, "damaged array constant value");
      array.values.push_back(std::move(*value));
    }
    push(std::move(array));
  }

  std::optional<ArrayValue> readArrayValue() {
    auto type = extra_.u8();
    if (!type) return std::nullopt;
    ArrayValue v;
    switch (*type) {
      case 0x00:
        if (!extra_.skip(8)) return std::nullopt;
        v.kind = ArrayValue::Kind::Empty;
        return v;
      case 0x01: {
        auto n = extra_.f64();
        if (!n) return std::nullopt;
        v.kind = ArrayValue::Kind::Number;
        v.number = *n;
        return v;
      }
      case 0x02: {
        auto cch = extra_.u16();
        auto flags = extra_.u8();
        if (!flags) return std::nullopt;
        auto text = readChars(extra_, *cch, (*flags & 0x01) != 0);
        if (!text) return std::nullopt;
        v.kind = ArrayValue::Kind::String;
        v.text = std::move(*text);
        return v;
      }
      case 0x04:
      case 0x10: {
        auto code = extra_.u8();
        if (!code || !extra_.skip(7)) return std::nullopt;
        v.kind = *type == 0x04 ? ArrayValue::Kind::Bool : ArrayValue::Kind::Error;
        v.code = *code;
        return v;
      }
      default:
        return std::nullopt;
    }
  }

  void readPtgFunc(uint8_t ptg) {
    auto index = in_.u16();
    if (!index) return truncated(ptg);
    auto fn = findBuiltinFunction(*index);
    if (!fn || fn->fixedArgs < 0) {
      return fail(DecodeError::Kind::UnknownFunction, ptg,
                  "unknown fixed-argument function " + std::to_string(*index) + " at offset " +
                      std::to_string(start_),
                  *index);
    }
    push(FunctionCall{*index, static_cast<uint8_t>(fn->fixedArgs)});
  }

  void readPtgFuncVar(uint8_t ptg) {
    auto argc = in_.u8();
    auto tab = in_.u16();
    if (!tab) return truncated(ptg);
    uint16_t index = *tab & 0x7FFF;
    if ((*tab & kCeFuncFlag) != 0 ||
        (index != kExternalFunctionIndex && !findBuiltinFunction(index))) {
      return fail(DecodeError::Kind::UnknownFunction, ptg,
                  std::string((*tab & kCeFuncFlag) ? "unknown command function " : "unknown function ") +
                      std::to_string(index) + " at offset " + std::to_string(start_),
                  index);
    }
    push(FunctionCall{index, static_cast<uint8_t>(*argc & 0x7F)});
  }

  void readPtgName(uint8_t ptg) {
    auto index = in_.u16();
    if (!index || !in_.skip(2)) return truncated(ptg);
    push(NameToken{*index});
  }
  void readPtgNameX(uint8_t ptg) {
    auto ixti = in_.u16();
    auto index = in_.u16();
    if (!index || !in_.skip(2)) return truncated(ptg);
    push(ExternNameToken{*ixti, *index});
  }

  void readPtgRef(uint8_t ptg, bool offsets) {
    auto row = in_.u16();
    auto col = in_.u16();
    if (!col) return truncated(ptg);
    push(RefToken{cellPos(*row, *col), offsets});
  }
  void readPtgArea(uint8_t ptg, bool offsets) {
    auto area = readArea();
    if (!area) return truncated(ptg);
    push(AreaToken{area->first, area->last, offsets});
  }
  void readPtgRef3d(uint8_t ptg) {
    auto ixti = in_.u16();
    auto row = in_.u16();
    auto col = in_.u16();
    if (!col) return truncated(ptg);
    push(Ref3dToken{*ixti, cellPos(*row, *col)});
  }
  void readPtgArea3d(uint8_t ptg) {
    auto ixti = in_.u16();
    if (!ixti) return truncated(ptg);
    auto area = readArea();
    if (!area) return truncated(ptg);
    push(Area3dToken{*ixti, area->first, area->last});
  }
  void readPtgRefErr(uint8_t ptg) {
    if (!in_.skip(4)) return truncated(ptg);
    push(RefErrToken{});
  }
  void readPtgAreaErr(uint8_t ptg) {
    if (!in_.skip(8)) return truncated(ptg);
    push(AreaErrToken{});
  }
  void readPtgRefErr3d(uint8_t ptg) {
    auto ixti = in_.u16();
    if (!ixti || !in_.skip(4)) return truncated(ptg);
    push(RefErr3dToken{*ixti});
  }
  void readPtgAreaErr3d(uint8_t ptg) {
    auto ixti = in_.u16();
    if (!ixti || !in_.skip(8)) return truncated(ptg);
    push(AreaErr3dToken{*ixti});
  }

  struct Area { CellPos first, last; };
  std::optional<Area> readArea() {
    auto row1 = in_.u16();
    auto row2 = in_.u16();
    auto col1 = in_.u16();
    auto col2 = in_.u16();
    if (!col2) return std::nullopt;
    return Area{cellPos(*row1, *col1), cellPos(*row2, *col2)};
  }

  // tMemArea: the tokens of the reference expression follow it and are printed as usual; its
  // precomputed range list sits in the extra bytes and must be stepped over there.
  void readPtgMemArea(uint8_t ptg) {
    if (!in_.skip(4) || !in_.u16()) return truncated(ptg);
    auto count = extra_.u16();
    if (!count || !extra_.skip(static_cast<size_t>(*count) * 8)) {
      return fail(DecodeError::Kind::Truncated, ptg, "range list of a memory token missing");
    }
    push(ControlToken{ptg});
  }
  void readPtgMem(uint8_t ptg, size_t reserved) {
    if (!in_.skip(reserved) || !in_.u16()) return truncated(ptg);
    push(ControlToken{ptg});
  }

  ByteCursor in_;
  ByteCursor extra_;
  size_t start_ = 0;
  DecodedFormula out_;
};

}  // namespace

DecodedFormula decodeRgce(std::span<const uint8_t> rgce, std::span<const uint8_t> extra) {
  return Decoder(rgce, extra).run();
}

}  // namespace zel::xls::formula
