// Page-setup record decoders: one function per record.
#include "xls/page_setup.h"

#include <cmath>

#include "xls/biff_string.h"
#include "xls/byte_cursor.h"

namespace zel::xls {
namespace {

constexpr uint16_t kHorizontalPageBreaks = 0x001B;
constexpr uint16_t kVerticalPageBreaks = 0x001A;
constexpr uint16_t kHeader = 0x0014;
constexpr uint16_t kFooter = 0x0015;
constexpr uint16_t kLeftMargin = 0x0026;
constexpr uint16_t kRightMargin = 0x0027;
constexpr uint16_t kTopMargin = 0x0028;
constexpr uint16_t kBottomMargin = 0x0029;
constexpr uint16_t kHCenter = 0x0083;
constexpr uint16_t kVCenter = 0x0084;
constexpr double kMaxMarginInches = 49;  // Excel's largest margin

double readMargin(ByteCursor& cur, double fallback) {
  double v = cur.f64();
  return (std::isfinite(v) && v >= 0 && v <= kMaxMarginInches) ? v : fallback;
}

// HEADER / FOOTER: an XLUnicodeString, or an empty record for none.
std::string readHeaderFooter(ByteCursor& cur) {
  if (cur.remaining() == 0) return {};
  return readUnicodeString(cur);
}

// HORIZONTALPAGEBREAKS / VERTICALPAGEBREAKS: count, then (position, start, end) triples.
template <typename Position>
void readPageBreaks(ByteCursor& cur, std::vector<Position>& out) {
  uint16_t count = cur.u16();
  out.clear();
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t at = cur.u16();
    cur.skip(4);
    if (out.size() < kMaxPageBreaks && at > 0) out.push_back(at);
  }
}

}  // namespace

void readSetupRecord(ByteCursor cur, SheetPageLayout& layout) {
  uint16_t paper = cur.u16(), scale = cur.u16();
  cur.u16();  // first page number
  uint16_t fitW = cur.u16(), fitH = cur.u16(), flags = cur.u16();
  layout.overThenDown = flags & 0x0001;
  layout.noPrinterSettings = flags & 0x0004;
  if (cur.remaining() >= 4 + 16) {
    cur.skip(4);  // printer resolutions
    layout.headerInches = readMargin(cur, layout.headerInches);
    layout.footerInches = readMargin(cur, layout.footerInches);
  }
  if (layout.noPrinterSettings) return;
  layout.paperSize = paper;
  layout.scale = (scale >= 10 && scale <= 400) ? scale : 100;
  layout.fitWidth = fitW;
  layout.fitHeight = fitH;
  layout.landscape = !(flags & 0x0002) && !(flags & 0x0040);
}

void readMergedCells(ByteCursor cur, std::vector<MergedArea>& areas) {
  uint16_t count = cur.u16();
  for (uint16_t i = 0; i < count; ++i) {
    MergedArea a;
    a.firstRow = cur.u16();
    a.lastRow = cur.u16();
    a.firstCol = cur.u16();
    a.lastCol = cur.u16();
    if (a.lastRow < a.firstRow || a.lastCol < a.firstCol || a.lastCol > 255) continue;
    if (areas.size() < kMaxMergedAreas) areas.push_back(a);
  }
}

bool readPageSetupRecord(uint16_t id, ByteCursor cur, SheetPageLayout& layout) {
  switch (id) {
    case kLeftMargin: layout.leftInches = readMargin(cur, layout.leftInches); return true;
    case kRightMargin: layout.rightInches = readMargin(cur, layout.rightInches); return true;
    case kTopMargin: layout.topInches = readMargin(cur, layout.topInches); return true;
    case kBottomMargin: layout.bottomInches = readMargin(cur, layout.bottomInches); return true;
    case kHCenter: layout.hCenter = cur.u16() != 0; return true;
    case kVCenter: layout.vCenter = cur.u16() != 0; return true;
    case kHeader: layout.header = readHeaderFooter(cur); return true;
    case kFooter: layout.footer = readHeaderFooter(cur); return true;
    case kHorizontalPageBreaks: readPageBreaks(cur, layout.rowBreaks); return true;
    case kVerticalPageBreaks: readPageBreaks(cur, layout.colBreaks); return true;
    default: return false;
  }
}

PaperMm paperSizeMm(uint16_t code) {
  switch (code) {
    case 1: return {215.9, 279.4};   // Letter
    case 5: return {215.9, 355.6};   // Legal
    case 8: return {297, 420};       // A3
    case 9: return {210, 297};       // A4
    case 11: return {148, 210};      // A5
    case 12: return {257, 364};      // B4 (JIS)
    case 13: return {182, 257};      // B5 (JIS)
    case 43: return {100, 148};      // postcard
    default: return {210, 297};
  }
}

}  // namespace zel::xls
