// The cell areas a defined name refers to, read straight from its tokens when the definition
// is nothing but 3-D references (and unions of them): RefersToRange, PrintArea, PrintTitles.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "xls/biff_workbook.h"

namespace zel::xls {

struct CellArea {
  uint32_t firstRow = 0, lastRow = 0;  // 0-based
  uint16_t firstCol = 0, lastCol = 0;
  bool isWholeRows() const { return firstCol == 0 && lastCol == 255; }
  bool isWholeColumns() const { return firstRow == 0 && lastRow == 65535; }
};

struct NameAreas {
  int sheet = -1;                // 0-based BOUNDSHEET index all areas lie on
  std::vector<CellArea> areas;
};

// nullopt when the tokens are anything but references to cells of one sheet of this workbook.
std::optional<NameAreas> nameAreas(std::span<const uint8_t> rgce, const WorkbookGlobals& g);

// "$A$1", "$A$1:$C$9", "$1:$2", "$A:$B"; areas joined by ",".
std::string areaAddress(const CellArea& a);
std::string areasAddress(const std::vector<CellArea>& areas);

}  // namespace zel::xls
