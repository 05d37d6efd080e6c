// Splits rgce bytes into tokens, one reader per Ptg kind. tArray values and tMemArea range
// lists are taken from the extra bytes in the order their tokens appear.
#include "xls/formula/ptg_decoder.h"

#include <algorithm>
#include <cstdio>

#include "core/vbstring.h"
#include "xls/byte_cursor.h"
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
std::string readChars(ByteCursor& in, size_t cch, bool highByte) {
  std::u16string units;
  units.reserve(std::min<size_t>(cch, in.remaining()));
  for (size_t i = 0; i < cch; ++i) units.push_back(static_cast<char16_t>(highByte ? in.u16() : in.u8()));
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

}  // namespace

bool PtgReader::next(Token& out) {
  out_ = &out;
  while (!in_.atEnd() && !error_) {
    start_ = in_.position();
    produced_ = false;
    const uint8_t ptg = in_.u8();
    try {
      readToken(ptg);
    } catch (const RecordError&) {
      fail(DecodeError::Kind::Truncated, ptg,
           "formula bytes end inside token " + hexByte(ptg) + " at offset " + std::to_string(start_));
    }
    if (produced_) return true;
  }
  return false;
}

void PtgReader::fail(DecodeError::Kind kind, uint8_t ptg, std::string message, uint16_t detail) {
  if (error_) return;
  error_ = DecodeError{kind, start_, ptg, detail, std::move(message)};
}

void PtgReader::readToken(uint8_t ptg) {
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
    case 0x23: push(NameToken{readIndexAndSkip()}); break;
    case 0x24: readPtgRef(false); break;
    case 0x25: readPtgArea(false); break;
    case 0x26: readPtgMemArea(ptg); break;
    case 0x27: readPtgMem(ptg, 4); break;   // tMemErr
    case 0x28: readPtgMem(ptg, 4); break;   // tMemNoMem
    case 0x29: readPtgMem(ptg, 0); break;   // tMemFunc
    case 0x2A: in_.skip(4); push(RefErrToken{}); break;
    case 0x2B: in_.skip(8); push(AreaErrToken{}); break;
    case 0x2C: readPtgRef(true); break;
    case 0x2D: readPtgArea(true); break;
    case 0x2E: readPtgMem(ptg, 0); break;   // tMemAreaN
    case 0x2F: readPtgMem(ptg, 0); break;   // tMemNoMemN
    case 0x39: readPtgNameX(); break;
    case 0x3A: readPtgRef3d(); break;
    case 0x3B: readPtgArea3d(); break;
    case 0x3C: readPtgErr3d(4, false); break;
    case 0x3D: readPtgErr3d(8, true); break;
    default: unknown(ptg); break;
  }
}

void PtgReader::readBaseToken(uint8_t ptg) {
  switch (ptg) {
    case 0x01: readPtgExp(false); return;
    case 0x02: readPtgExp(true); return;
    case 0x12: push(UnaryOp{UnaryOperator::Plus}); return;
    case 0x13: push(UnaryOp{UnaryOperator::Minus}); return;
    case 0x14: push(UnaryOp{UnaryOperator::Percent}); return;
    case 0x15: push(ParenToken{}); return;
    case 0x16: push(MissingArg{}); return;
    case 0x17: readPtgStr(); return;
    case 0x19: readPtgAttr(ptg); return;
    case 0x1C: push(ErrorConst{in_.u8()}); return;
    case 0x1D: push(BoolConst{in_.u8() != 0}); return;
    case 0x1E: push(IntConst{in_.u16()}); return;
    case 0x1F: push(NumberConst{in_.f64()}); return;
    default: break;
  }
  if (ptg >= 0x03 && ptg <= 0x11) {
    push(BinaryOp{static_cast<BinaryOperator>(ptg - 0x03)});
    return;
  }
  unknown(ptg);  // 0x00, 0x18 (natural-language labels), 0x1A/0x1B (BIFF4 sheet tokens)
}

void PtgReader::unknown(uint8_t ptg) {
  fail(DecodeError::Kind::UnknownPtg, ptg,
       "unknown formula token " + hexByte(ptg) + " at offset " + std::to_string(start_));
}

void PtgReader::readPtgExp(bool table) {
  const uint16_t row = in_.u16();
  push(ExpToken{row, in_.u16(), table});
}

void PtgReader::readPtgStr() {
  const uint8_t cch = in_.u8();
  const uint8_t flags = in_.u8();
  push(StringConst{readChars(in_, cch, (flags & 0x01) != 0)});
}

void PtgReader::readPtgAttr(uint8_t ptg) {
  const uint8_t flags = in_.u8();
  const uint16_t data = in_.u16();
  if (flags & kAttrChoose) {
    // Jump table: one offset per case plus the one past the last case.
    in_.skip((static_cast<size_t>(data) + 1) * 2);
    push(ControlToken{ptg});
    return;
  }
  if (flags & kAttrSum) {
    push(SumAttr{});
    return;
  }
  if (flags & kAttrSpace) {
    uint8_t type = static_cast<uint8_t>(data & 0xFF);
    uint8_t count = static_cast<uint8_t>(data >> 8);
    if (type > 0x06) {
      return fail(DecodeError::Kind::BadValue, ptg,
                  "unknown space type " + hexByte(type) + " at offset " + std::to_string(start_));
    }
    push(SpaceAttr{type, count});
    return;
  }
  if (flags & (kAttrSemi | kAttrIf | kAttrGoto | kAttrBaxcel) || flags == 0) {
    push(ControlToken{ptg});
    return;
  }
  fail(DecodeError::Kind::BadValue, ptg,
       "unknown attribute " + hexByte(flags) + " at offset " + std::to_string(start_));
}

// tArray: the token holds 7 unused bytes; its values come from the extra bytes.
void PtgReader::readPtgArray(uint8_t ptg) {
  in_.skip(7);
  ArrayConst array;
  try {
    array.columns = static_cast<uint16_t>(extra_.u8() + 1);
    array.rows = static_cast<uint16_t>(extra_.u16() + 1);
  } catch (const RecordError&) {
    return fail(DecodeError::Kind::Truncated, ptg, "array constant data missing");
  }
  size_t count = static_cast<size_t>(array.columns) * array.rows;
  if (count > kMaxArrayValues || count * 4 > extra_.remaining()) {
    return fail(DecodeError::Kind::Truncated, ptg, "array constant data shorter than its size");
  }
  array.values.reserve(count);
  try {
    for (size_t i = 0; i < count; ++i) {
      auto value = readArrayValue();
      if (!value) return fail(DecodeError::Kind::BadValue, ptg, "damaged array constant value");
      array.values.push_back(std::move(*value));
    }
  } catch (const RecordError&) {
    return fail(DecodeError::Kind::BadValue, ptg, "damaged array constant value");
  }
  push(std::move(array));
}

std::optional<ArrayValue> PtgReader::readArrayValue() {
  ArrayValue v;
  const uint8_t type = extra_.u8();
  switch (type) {
    case 0x00:
      extra_.skip(8);
      v.kind = ArrayValue::Kind::Empty;
      return v;
    case 0x01:
      v.kind = ArrayValue::Kind::Number;
      v.number = extra_.f64();
      return v;
    case 0x02: {
      const uint16_t cch = extra_.u16();
      const uint8_t flags = extra_.u8();
      v.kind = ArrayValue::Kind::String;
      v.text = readChars(extra_, cch, (flags & 0x01) != 0);
      return v;
    }
    case 0x04:
    case 0x10:
      v.kind = type == 0x04 ? ArrayValue::Kind::Bool : ArrayValue::Kind::Error;
      v.code = extra_.u8();
      extra_.skip(7);
      return v;
    default:
      return std::nullopt;
  }
}

void PtgReader::readPtgFunc(uint8_t ptg) {
  const uint16_t index = in_.u16();
  auto fn = findBuiltinFunction(index);
  if (!fn || fn->fixedArgs < 0) {
    return fail(DecodeError::Kind::UnknownFunction, ptg,
                "unknown fixed-argument function " + std::to_string(index) + " at offset " +
                    std::to_string(start_),
                index);
  }
  push(FunctionCall{index, static_cast<uint8_t>(fn->fixedArgs)});
}

void PtgReader::readPtgFuncVar(uint8_t ptg) {
  const uint8_t argc = in_.u8();
  const uint16_t tab = in_.u16();
  uint16_t index = tab & 0x7FFF;
  if ((tab & kCeFuncFlag) != 0 || (index != kExternalFunctionIndex && !findBuiltinFunction(index))) {
    return fail(DecodeError::Kind::UnknownFunction, ptg,
                std::string((tab & kCeFuncFlag) ? "unknown command function " : "unknown function ") +
                    std::to_string(index) + " at offset " + std::to_string(start_),
                index);
  }
  push(FunctionCall{index, static_cast<uint8_t>(argc & 0x7F)});
}

// tName: index, then two unused bytes.
uint16_t PtgReader::readIndexAndSkip() {
  const uint16_t index = in_.u16();
  in_.skip(2);
  return index;
}
void PtgReader::readPtgNameX() {
  const uint16_t ixti = in_.u16();
  push(ExternNameToken{ixti, readIndexAndSkip()});
}

CellPos PtgReader::readCell() {
  const uint16_t row = in_.u16();
  return cellPos(row, in_.u16());
}
void PtgReader::readPtgRef(bool offsets) { push(RefToken{readCell(), offsets}); }
void PtgReader::readPtgArea(bool offsets) {
  auto area = readArea();
  push(AreaToken{area.first, area.last, offsets});
}
void PtgReader::readPtgRef3d() {
  const uint16_t ixti = in_.u16();
  push(Ref3dToken{ixti, readCell()});
}
void PtgReader::readPtgArea3d() {
  const uint16_t ixti = in_.u16();
  auto area = readArea();
  push(Area3dToken{ixti, area.first, area.last});
}
void PtgReader::readPtgErr3d(size_t unused, bool area) {
  const uint16_t ixti = in_.u16();
  in_.skip(unused);
  if (area) push(AreaErr3dToken{ixti});
  else push(RefErr3dToken{ixti});
}

PtgReader::Area PtgReader::readArea() {
  const uint16_t row1 = in_.u16();
  const uint16_t row2 = in_.u16();
  const uint16_t col1 = in_.u16();
  const uint16_t col2 = in_.u16();
  return Area{cellPos(row1, col1), cellPos(row2, col2)};
}

// tMemArea: the tokens of the reference expression follow it and are printed as usual; its
// precomputed range list sits in the extra bytes and must be stepped over there.
void PtgReader::readPtgMemArea(uint8_t ptg) {
  in_.skip(6);
  try {
    const uint16_t count = extra_.u16();
    extra_.skip(static_cast<size_t>(count) * 8);
  } catch (const RecordError&) {
    return fail(DecodeError::Kind::Truncated, ptg, "range list of a memory token missing");
  }
  push(ControlToken{ptg});
}
void PtgReader::readPtgMem(uint8_t ptg, size_t reserved) {
  in_.skip(reserved + 2);
  push(ControlToken{ptg});
}

}  // namespace zel::xls::formula
