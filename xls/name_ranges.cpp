// Reference-only name definitions turned into areas and absolute addresses.
#include "xls/name_ranges.h"

#include "xls/byte_cursor.h"
#include "xls/formula/formula_printer.h"

namespace zel::xls {
namespace {

// Token classes (reference/value/array) share the low five bits.
constexpr uint8_t kRef3d = 0x1A;
constexpr uint8_t kArea3d = 0x1B;
constexpr uint8_t kMemArea = 0x06;
constexpr uint8_t kMemFunc = 0x09;
constexpr uint8_t kUnion = 0x10;
constexpr uint8_t kParen = 0x15;

// The sheet an EXTERNSHEET entry names, when it is one sheet of this workbook.
int ownSheet(uint16_t ixti, const WorkbookGlobals& g) {
  if (ixti >= g.externSheets.size()) return -1;
  const ExternSheetRef& x = g.externSheets[ixti];
  if (x.supBook >= g.books.size() || g.books[x.supBook].info.kind != SupBookInfo::Kind::Self) return -1;
  if (x.firstSheet < 0 || x.firstSheet != x.lastSheet || static_cast<size_t>(x.firstSheet) >= g.sheets.size()) return -1;
  return x.firstSheet;
}

}  // namespace

std::optional<NameAreas> nameAreas(std::span<const uint8_t> rgce, const WorkbookGlobals& g) {
  NameAreas out;
  try {
    ByteCursor cur(rgce);
    while (!cur.atEnd()) {
      uint8_t ptg = cur.u8();
      uint8_t base = ptg < 0x20 ? ptg : static_cast<uint8_t>(ptg & 0x1F);
      bool operand = ptg >= 0x20;
      if (!operand && (base == kUnion || base == kParen)) continue;
      if (!operand) return std::nullopt;
      CellArea a;
      int sheet;
      if (base == kRef3d) {
        sheet = ownSheet(cur.u16(), g);
        a.firstRow = a.lastRow = cur.u16();
        a.firstCol = a.lastCol = cur.u16() & 0x00FF;
      } else if (base == kArea3d) {
        sheet = ownSheet(cur.u16(), g);
        a.firstRow = cur.u16();
        a.lastRow = cur.u16();
        a.firstCol = cur.u16() & 0x00FF;
        a.lastCol = cur.u16() & 0x00FF;
      } else if (base == kMemFunc) {
        cur.skip(2);
        continue;
      } else if (base == kMemArea) {
        cur.skip(6);
        continue;
      } else {
        return std::nullopt;
      }
      if (sheet < 0 || (out.sheet >= 0 && sheet != out.sheet)) return std::nullopt;
      if (a.lastRow < a.firstRow) std::swap(a.firstRow, a.lastRow);
      if (a.lastCol < a.firstCol) std::swap(a.firstCol, a.lastCol);
      out.sheet = sheet;
      out.areas.push_back(a);
    }
  } catch (const RecordError&) {
    return std::nullopt;
  }
  if (out.areas.empty()) return std::nullopt;
  return out;
}

std::string areaAddress(const CellArea& a) {
  std::string out;
  if (a.isWholeRows() && !a.isWholeColumns()) {
    out.append("$").append(std::to_string(a.firstRow + 1)).append(":$").append(std::to_string(a.lastRow + 1));
    return out;
  }
  if (a.isWholeColumns() && !a.isWholeRows()) {
    out.append("$").append(columnLetters(a.firstCol)).append(":$").append(columnLetters(a.lastCol));
    return out;
  }
  std::string first = cellAddress(a.firstRow, a.firstCol, true, true);
  if (a.firstRow == a.lastRow && a.firstCol == a.lastCol) return first;
  return first + ":" + cellAddress(a.lastRow, a.lastCol, true, true);
}

std::string areasAddress(const std::vector<CellArea>& areas) {
  std::string out;
  for (const CellArea& a : areas) {
    if (!out.empty()) out += ",";
    out += areaAddress(a);
  }
  return out;
}

}  // namespace zel::xls
