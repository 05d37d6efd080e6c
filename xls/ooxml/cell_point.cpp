// The cell corners of DrawingML anchors and of OLE objects' own anchors: one reader, so that
// both place a corner by the same rule.
#include <cstdint>

#include "xls/ooxml/part_readers.h"
#include "xls/ooxml/xml_number.h"

namespace zel::xls::ooxml {

CellPoint readCellPoint(XmlReader& xml) {
  CellPoint p;
  if (xml.isEmptyElement()) return p;
  const int depth = xml.depth();
  while (xml.nextInside(depth)) {
    if (xml.isEnd()) continue;
    const std::string_view n = xml.localName();
    const bool col = n == "col", row = n == "row", colOff = n == "colOff", rowOff = n == "rowOff";
    if (!col && !row && !colOff && !rowOff) continue;
    const int64_t last = col ? kMaxColumns - 1 : row ? kMaxRows - 1 : INT32_MAX;
    const int64_t v = xmlIntegerWithin(xml.text(), 0, last).value_or(0);
    if (col) p.col = static_cast<uint32_t>(v);
    else if (row) p.row = static_cast<uint32_t>(v);
    else (colOff ? p.colOffEmu : p.rowOffEmu) = v;
  }
  return p;
}

}  // namespace zel::xls::ooxml
