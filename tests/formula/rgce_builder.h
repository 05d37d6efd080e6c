// Builds formula token bytes by hand for the formula tests: one call per token, in the
// reverse Polish order they are stored in.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zel::test {

class Rgce {
 public:
  // Token class added to class-coded ids (0x20 reference, 0x40 value, 0x60 array).
  enum Class : uint8_t { Ref = 0x00, Value = 0x20, Array = 0x40 };

  Rgce& byte(uint8_t b) { bytes.push_back(b); return *this; }
  Rgce& u16(uint16_t v) { byte(static_cast<uint8_t>(v & 0xFF)); return byte(static_cast<uint8_t>(v >> 8)); }
  Rgce& f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i) byte(static_cast<uint8_t>(bits >> (8 * i)));
    return *this;
  }

  Rgce& op(uint8_t ptg) { return byte(ptg); }  // 0x03..0x16 operators, tParen, tMissArg
  Rgce& add() { return op(0x03); }
  Rgce& mul() { return op(0x05); }
  Rgce& power() { return op(0x07); }
  Rgce& paren() { return op(0x15); }
  Rgce& missArg() { return op(0x16); }
  Rgce& uminus() { return op(0x13); }
  Rgce& uplus() { return op(0x12); }
  Rgce& percent() { return op(0x14); }

  Rgce& integer(uint16_t v) { return byte(0x1E).u16(v); }
  Rgce& num(double v) { return byte(0x1F).f64(v); }
  Rgce& boolean(bool v) { return byte(0x1D).byte(v ? 1 : 0); }
  Rgce& err(uint8_t code) { return byte(0x1C).byte(code); }
  Rgce& str(const std::string& latin1) {
    byte(0x17).byte(static_cast<uint8_t>(latin1.size())).byte(0);
    for (char c : latin1) byte(static_cast<uint8_t>(c));
    return *this;
  }
  Rgce& str16(const std::u16string& text) {
    byte(0x17).byte(static_cast<uint8_t>(text.size())).byte(1);
    for (char16_t c : text) u16(static_cast<uint16_t>(c));
    return *this;
  }

  static uint16_t colField(uint16_t col, bool rowRel, bool colRel) {
    return static_cast<uint16_t>(col | (colRel ? 0x4000 : 0) | (rowRel ? 0x8000 : 0));
  }
  Rgce& ref(uint16_t row, uint16_t col, bool rowRel = true, bool colRel = true, Class c = Value) {
    return byte(0x24 + c).u16(row).u16(colField(col, rowRel, colRel));
  }
  Rgce& refN(uint16_t row, uint16_t col, bool rowRel = true, bool colRel = true, Class c = Value) {
    return byte(0x2C + c).u16(row).u16(colField(col, rowRel, colRel));
  }
  Rgce& area(uint16_t r1, uint16_t r2, uint16_t c1, uint16_t c2, bool rel = true, Class c = Ref) {
    return byte(0x25 + c).u16(r1).u16(r2).u16(colField(c1, rel, rel)).u16(colField(c2, rel, rel));
  }
  Rgce& areaN(uint16_t r1, uint16_t r2, uint16_t c1, uint16_t c2, bool rel = true, Class c = Ref) {
    return byte(0x2D + c).u16(r1).u16(r2).u16(colField(c1, rel, rel)).u16(colField(c2, rel, rel));
  }
  Rgce& ref3d(uint16_t ixti, uint16_t row, uint16_t col, bool rel = false, Class c = Value) {
    return byte(0x3A + c).u16(ixti).u16(row).u16(colField(col, rel, rel));
  }
  Rgce& area3d(uint16_t ixti, uint16_t r1, uint16_t r2, uint16_t c1, uint16_t c2, bool rel = false,
               Class c = Ref) {
    return byte(0x3B + c).u16(ixti).u16(r1).u16(r2).u16(colField(c1, rel, rel)).u16(colField(c2, rel, rel));
  }
  Rgce& refErr() { return byte(0x4A).u16(0).u16(0); }
  Rgce& areaErr() { return byte(0x2B).u16(0).u16(0).u16(0).u16(0); }
  Rgce& refErr3d(uint16_t ixti) { return byte(0x5C).u16(ixti).u16(0).u16(0); }
  Rgce& areaErr3d(uint16_t ixti) { return byte(0x3D).u16(ixti).u16(0).u16(0).u16(0).u16(0); }
  Rgce& name(uint16_t index, Class c = Ref) { return byte(0x23 + c).u16(index).u16(0); }
  Rgce& nameX(uint16_t ixti, uint16_t index, Class c = Ref) { return byte(0x39 + c).u16(ixti).u16(index).u16(0); }

  Rgce& func(uint16_t index, Class c = Value) { return byte(0x21 + c).u16(index); }
  Rgce& funcVar(uint8_t argc, uint16_t index, Class c = Value) { return byte(0x22 + c).byte(argc).u16(index); }

  Rgce& attr(uint8_t flags, uint16_t data) { return byte(0x19).byte(flags).u16(data); }
  Rgce& attrSpace(uint8_t type, uint8_t count) { return attr(0x40, static_cast<uint16_t>(type | (count << 8))); }
  Rgce& attrIf(uint16_t skip) { return attr(0x02, skip); }
  Rgce& attrGoto(uint16_t skip) { return attr(0x08, skip); }
  Rgce& attrSum() { return attr(0x10, 0); }
  Rgce& attrVolatile() { return attr(0x01, 0); }
  Rgce& attrChoose(const std::vector<uint16_t>& offsets) {
    attr(0x04, static_cast<uint16_t>(offsets.size() - 1));
    for (uint16_t o : offsets) u16(o);
    return *this;
  }
  Rgce& array(Class c = Array) { byte(0x20 + c); for (int i = 0; i < 7; ++i) byte(0); return *this; }
  Rgce& memArea(uint16_t cce) { return byte(0x26).u16(0).u16(0).u16(cce); }
  Rgce& memFunc(uint16_t cce) { return byte(0x29).u16(cce); }
  Rgce& exp(uint16_t row, uint16_t col) { return byte(0x01).u16(row).u16(col); }
  Rgce& tbl(uint16_t row, uint16_t col) { return byte(0x02).u16(row).u16(col); }

  std::vector<uint8_t> bytes;
};

// The data after rgce: array constants (and range lists of tMemArea) in token order.
class ArrayData {
 public:
  ArrayData& begin(uint8_t columns, uint16_t rows) { return byte(static_cast<uint8_t>(columns - 1)).u16(rows - 1); }
  ArrayData& number(double v) {
    byte(0x01);
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i) byte(static_cast<uint8_t>(bits >> (8 * i)));
    return *this;
  }
  ArrayData& text(const std::string& latin1) {
    byte(0x02).u16(static_cast<uint16_t>(latin1.size())).byte(0);
    for (char c : latin1) byte(static_cast<uint8_t>(c));
    return *this;
  }
  ArrayData& boolean(bool v) { byte(0x04).byte(v ? 1 : 0); return pad(7); }
  ArrayData& error(uint8_t code) { byte(0x10).byte(code); return pad(7); }
  ArrayData& empty() { byte(0x00); return pad(8); }
  ArrayData& rangeList(uint16_t count) {
    u16(count);
    for (uint16_t i = 0; i < count; ++i) pad(8);
    return *this;
  }
  ArrayData& byte(uint8_t b) { bytes.push_back(b); return *this; }
  ArrayData& u16(uint16_t v) { byte(static_cast<uint8_t>(v & 0xFF)); return byte(static_cast<uint8_t>(v >> 8)); }
  ArrayData& pad(int n) { for (int i = 0; i < n; ++i) byte(0); return *this; }

  std::vector<uint8_t> bytes;
};

}  // namespace zel::test
