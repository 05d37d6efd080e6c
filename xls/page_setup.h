// Page setup of a worksheet as the file stores it (SETUP, margins, centring, header and
// footer, manual page breaks) and its merged cell areas: what printing a sheet needs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zel::xls {

class ByteCursor;

// Manual page breaks and merged areas a sheet may hold; more are ignored.
inline constexpr size_t kMaxPageBreaks = 1026;
inline constexpr size_t kMaxMergedAreas = 65536;

struct MergedArea {
  uint32_t firstRow = 0, lastRow = 0;  // rows of Office 2007+ sheets reach 1 048 576
  uint16_t firstCol = 0, lastCol = 0;
};

struct SheetPageLayout {
  uint16_t paperSize = 0;         // SETUP iPaperSize (0: none stored, printed on A4)
  uint16_t scale = 100;           // percent
  uint16_t fitWidth = 1, fitHeight = 1;
  bool landscape = false;
  bool overThenDown = false;      // page order: false = down, then over (Excel's default)
  bool noPrinterSettings = true;  // no SETUP, or fNoPls: paper, scale and orientation are defaults
  double leftInches = 0.75, rightInches = 0.75, topInches = 1.0, bottomInches = 1.0;
  double headerInches = 0.5, footerInches = 0.5;
  bool hCenter = false, vCenter = false;
  std::string header, footer;     // with their &-codes
  std::vector<uint32_t> rowBreaks;  // a new page starts at these 0-based rows
  std::vector<uint16_t> colBreaks;  // ... and at these 0-based columns
};

// Decoders of the page-setup records (record id and body). Each returns false when the id is
// not one of them; a short record throws through the cursor.
bool readPageSetupRecord(uint16_t id, ByteCursor cur, SheetPageLayout& layout);
void readSetupRecord(ByteCursor cur, SheetPageLayout& layout);
void readMergedCells(ByteCursor cur, std::vector<MergedArea>& areas);

// Paper size in millimetres (portrait) of a SETUP paper code; A4 for codes not known here.
struct PaperMm {
  double width = 210, height = 297;
};
PaperMm paperSizeMm(uint16_t code);

}  // namespace zel::xls
