// BIFF8 records of the small test workbooks: BOF, CODEPAGE, BOUNDSHEET8, DIMENSIONS, NUMBER,
// LABEL, BOOLERR, FORMULA and EOF.
#include "mini_biff.h"

#include "support/vba_builder.h"

#include <algorithm>
#include <cstring>

namespace zel::test {
namespace {

void put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x & 0xFF));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
  put16(v, static_cast<uint16_t>(x & 0xFFFF));
  put16(v, static_cast<uint16_t>(x >> 16));
}
void putDouble(std::vector<uint8_t>& v, double d) {
  uint8_t b[8];
  std::memcpy(b, &d, 8);
  v.insert(v.end(), b, b + 8);
}
void record(std::vector<uint8_t>& out, uint16_t id, const std::vector<uint8_t>& data) {
  put16(out, id);
  put16(out, static_cast<uint16_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
}
std::vector<uint8_t> bof(uint16_t type) {
  std::vector<uint8_t> d;
  put16(d, 0x0600), put16(d, type), put16(d, 0x0DBB), put16(d, 0x07CC), put32(d, 0), put32(d, 6);
  return d;
}
std::vector<uint8_t> cellHeader(const MiniCell& c) {
  std::vector<uint8_t> d;
  put16(d, c.row), put16(d, c.col), put16(d, 15);
  return d;
}

void writeSheet(std::vector<uint8_t>& out, const MiniSheet& s) {
  record(out, 0x0809, bof(0x0010));
  uint32_t lastRow = 0;
  uint16_t lastCol = 0;
  for (const auto& c : s.cells) lastRow = std::max<uint32_t>(lastRow, c.row + 1u), lastCol = std::max<uint16_t>(lastCol, c.col + 1);
  std::vector<uint8_t> dim;
  put32(dim, 0), put32(dim, lastRow), put16(dim, 0), put16(dim, lastCol), put16(dim, 0);
  record(out, 0x0200, dim);
  for (const auto& c : s.cells) {
    std::vector<uint8_t> d = cellHeader(c);
    switch (c.kind) {
      case MiniCell::Kind::Number:
        putDouble(d, c.number);
        record(out, 0x0203, d);
        break;
      case MiniCell::Kind::Text:
        put16(d, static_cast<uint16_t>(c.text.size()));
        d.push_back(0);  // compressed (8-bit) characters
        d.insert(d.end(), c.text.begin(), c.text.end());
        record(out, 0x0204, d);
        break;
      case MiniCell::Kind::Error:
        d.push_back(c.errorCode), d.push_back(1);
        record(out, 0x0205, d);
        break;
      case MiniCell::Kind::FormulaRefPlusOne: {
        putDouble(d, 0);
        put16(d, 0), put32(d, 0);
        const std::vector<uint8_t> rgce{0x24, static_cast<uint8_t>(c.refRow & 0xFF), static_cast<uint8_t>(c.refRow >> 8),
                                        static_cast<uint8_t>(c.refCol & 0xFF), 0x00, 0x1E, 0x01, 0x00, 0x03};
        put16(d, static_cast<uint16_t>(rgce.size()));
        d.insert(d.end(), rgce.begin(), rgce.end());
        record(out, 0x0006, d);
        break;
      }
    }
  }
  record(out, 0x000A, {});
}

}  // namespace

std::vector<uint8_t> buildMiniWorkbook(const std::vector<MiniSheet>& sheets) {
  std::vector<uint8_t> out;
  record(out, 0x0809, bof(0x0005));
  record(out, 0x0042, {0xB0, 0x04});
  std::vector<size_t> positionAt;
  for (const auto& s : sheets) {
    std::vector<uint8_t> d{0, 0, 0, 0, 0, 0, static_cast<uint8_t>(s.name.size()), 0};
    d.insert(d.end(), s.name.begin(), s.name.end());
    positionAt.push_back(out.size() + 4);
    record(out, 0x0085, d);
  }
  record(out, 0x000A, {});
  for (size_t i = 0; i < sheets.size(); ++i) {
    const auto at = static_cast<uint32_t>(out.size());
    std::memcpy(&out[positionAt[i]], &at, 4);
    writeSheet(out, sheets[i]);
  }
  return buildCompoundFile({{"Workbook", out}});
}

}  // namespace zel::test
