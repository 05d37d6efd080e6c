// The parsed content of a BIFF8 Workbook stream: the workbook globals and one SheetData per
// sheet substream. Plain structs; the object model classes (excel_model.h) read them.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "xls/formula/formula_printer.h"
#include "xls/page_setup.h"

namespace zel::xls {

enum class SheetType { Worksheet, Chart, MacroSheet, DialogSheet };
enum class SheetVisibility { Visible, Hidden, VeryHidden };

struct BoundSheet {
  std::string name;
  SheetVisibility visibility = SheetVisibility::Visible;
  SheetType type = SheetType::Worksheet;
  uint32_t streamPosition = 0;  // of the sheet's BOF in the Workbook stream
  bool vbaModule = false;       // Excel 5 module sheet (dt = 6); not in the sheet collection
};

// Colour indexes from here on name entries of WorkbookGlobals::rgbColors: colours an Office
// 2007+ style gives as RGB or as a theme colour rather than through the palette.
inline constexpr uint16_t kRgbColorBase = 0x8000;

struct FontInfo {
  double heightPoints = 10;
  bool italic = false, strikeout = false, bold = false;
  uint8_t underline = 0;
  uint16_t colorIndex = 0x7FFF;
  std::string name;
};

// Cell formatting as the renderer needs it.
struct XfInfo {
  uint16_t font = 0;
  uint16_t format = 0;
  bool isStyle = false;
  uint8_t hAlign = 0;  // 0 general, 1 left, 2 centre, 3 right, 4 fill, 5 justify, 6 centre across
  uint8_t vAlign = 2;  // 0 top, 1 centre, 2 bottom
  bool wrap = false;
  uint16_t rotation = 0;  // 0..90 up, 91..180 down by (value - 90) degrees, 255 stacked letters
  uint8_t indent = 0;     // levels of indentation
  bool shrink = false;    // shrink to fit
  uint8_t borderLeft = 0, borderRight = 0, borderTop = 0, borderBottom = 0;  // line styles
  uint16_t borderLeftColor = 64, borderRightColor = 64, borderTopColor = 64, borderBottomColor = 64;
  uint8_t diagonal = 0;   // bit 0: top-left to bottom-right, bit 1: bottom-left to top-right
  uint8_t borderDiag = 0;
  uint16_t borderDiagColor = 64;
  uint8_t fillPattern = 0;
  uint16_t fillForeColor = 64, fillBackColor = 65;
};

// One NAME record.
struct DefinedName {
  std::string name;          // as Excel shows it (built-in names by their English text)
  bool builtin = false;
  uint8_t builtinCode = 0;
  bool hidden = false;
  bool function = false;     // macro function / command names
  int sheetScope = 0;        // 0 workbook, else 1-based sheet index
  std::vector<uint8_t> rgce;
  std::vector<uint8_t> extra;
  std::string formulaText;   // RefersTo as text, for files that store it so (Office 2007+)
};

struct ExternalBook {
  SupBookInfo info;          // what the formula printer gets
  std::vector<bool> externNameIsOle;  // per EXTERNNAME: an OLE/DDE link item
};

struct WorkbookGlobals {
  uint16_t codePage = 1200;
  bool dateMode1904 = false;
  uint16_t activeSheet = 0;        // WINDOW1: 0-based BOUNDSHEET index of the active sheet
  std::vector<BoundSheet> sheets;  // BOUNDSHEET8 order, VBA module sheets included
  std::vector<std::string> sst;
  std::vector<XfInfo> xfs;
  std::map<uint16_t, std::string> formats;  // FORMAT records by index
  std::vector<FontInfo> fonts;              // FONT records; index 4 is skipped by Excel's numbering
  std::vector<uint32_t> palette;            // 0xRRGGBB for colour indexes 8..63 (custom or default)
  std::vector<uint32_t> rgbColors;          // 0xRRGGBB for colour indexes kRgbColorBase + i
  std::vector<DefinedName> names;
  std::vector<ExternSheetRef> externSheets;
  std::vector<ExternalBook> books;
  std::vector<std::string> warnings;        // damaged records skipped while reading
  bool cutShort = false;                    // the globals end early: sheets may be missing
  // From the globals BOF: the writing application's build, and the versions that last saved
  // and that ever saved the file at most (0 Excel 97, 1 Excel 2000, 2 2002, 3 2003, 4 2007, ...).
  uint16_t bofBuild = 0;
  uint8_t bofLastSavedVersion = 0;
  uint8_t bofHighestVersion = 0;
};

enum class CellType : uint8_t { Blank, Number, Text, Boolean, Error };

// One cell record, 24 bytes. Text lives in the SST or in the sheet's own string list; a cell
// holds either a number or a text index, never both, so the two share their bytes (read each
// only for its own type).
struct CellEntry {
  uint32_t row = 0;           // up to 1048575 in Office 2007+ workbooks
  uint16_t col = 0;
  uint16_t xf = 0;
  CellType type = CellType::Blank;
  uint8_t code = 0;           // TRUE/FALSE or the error code
  bool textInSst = false;
  int32_t formula = -1;       // index into SheetData::formulas
  union {
    double number = 0;        // CellType::Number
    uint32_t text;            // CellType::Text: SST index or SheetData::strings index
  };
};
static_assert(sizeof(CellEntry) == 24, "cell lists are sized for 24-byte entries");

// A FORMULA record's tokens (tExp cells point at a shared or array formula): a slice of its
// sheet's formula byte pool, rgce first, then the trailing data (SheetData::addFormula).
struct FormulaEntry {
  uint32_t offset = 0;
  uint32_t rgceSize = 0;
  uint32_t extraSize = 0;
  bool isText = false;  // Office 2007+ files store "=..." text instead of tokens (rgceSize bytes)
};

// SHRFMLA, ARRAY or TABLE: a formula for a range of cells, anchored at its first cell.
struct RangeFormula {
  enum class Kind { Shared, Array, Table } kind = Kind::Shared;
  uint16_t firstRow = 0, lastRow = 0;
  uint8_t firstCol = 0, lastCol = 0;
  std::vector<uint8_t> rgce;
  std::vector<uint8_t> extra;
  DataTableInputs table;  // TABLE only: its input cells
};

struct NoteEntry {
  uint32_t row = 0;
  uint16_t col = 0;
  uint16_t objectId = 0;
  std::string author;
  std::string text;
  bool shown = false;
};

struct ColumnInfo {
  uint16_t first = 0, last = 0;
  uint16_t width = 0;   // 1/256 of a character
  uint16_t xf = 0;
  bool hidden = false;
};

struct RowInfo {
  uint32_t row = 0;
  uint16_t heightTwips = 255;
  bool customHeight = false;
  bool hidden = false;
};

struct SheetData {
  SheetType type = SheetType::Worksheet;
  std::vector<CellEntry> cells;   // sorted by row, then column; one entry per position
  std::vector<std::string> strings;
  std::vector<FormulaEntry> formulas;
  std::vector<uint8_t> formulaBytes;        // the tokens of every entry of formulas, back to back
  std::vector<RangeFormula> rangeFormulas;  // sorted by first row, then first column
  std::vector<NoteEntry> notes;              // sorted by row, then column
  std::vector<ColumnInfo> columns;
  std::vector<RowInfo> rows;
  uint16_t defaultColumnWidth = 8;    // characters (DEFCOLWIDTH)
  uint16_t defaultRowHeightTwips = 255;
  std::optional<uint32_t> dimFirstRow, dimLastRow;  // DIMENSIONS (last = exclusive)
  std::optional<uint16_t> dimFirstCol, dimLastCol;
  bool protectContents = false, protectObjects = false, protectScenarios = false;
  bool printHeadings = false, printGridlines = false;
  uint16_t printScale = 100;          // SETUP iScale (percent)
  bool fitToPage = false;
  bool landscape = false;
  uint16_t windowZoom = 100;          // SCL (percent)
  uint16_t window2Flags = 0;
  bool selected = false;              // WINDOW2 fSelected
  bool displayGridlines = true, displayHeadings = true, displayZeros = true;
  int drawingRecords = 0;             // MSODRAWING records seen (for the shapes layer)
  SheetPageLayout pageLayout;         // SETUP, margins, header/footer, page breaks
  std::vector<MergedArea> mergedAreas;  // MERGEDCELLS
  std::vector<std::string> warnings;
  bool substreamFound = true;  // false: the sheet's records could not be found at all

  // Stores a formula's tokens; the result is the index for CellEntry::formula.
  int32_t addFormula(std::span<const uint8_t> rgce, std::span<const uint8_t> extra) {
    FormulaEntry f{static_cast<uint32_t>(formulaBytes.size()), static_cast<uint32_t>(rgce.size()),
                   static_cast<uint32_t>(extra.size())};
    formulaBytes.insert(formulaBytes.end(), rgce.begin(), rgce.end());
    formulaBytes.insert(formulaBytes.end(), extra.begin(), extra.end());
    formulas.push_back(f);
    return static_cast<int32_t>(formulas.size() - 1);
  }
  // Stores a formula kept as its display text; the result is the index for CellEntry::formula.
  int32_t addFormulaText(std::string_view text) {
    FormulaEntry f{static_cast<uint32_t>(formulaBytes.size()), static_cast<uint32_t>(text.size()), 0, true};
    formulaBytes.insert(formulaBytes.end(), text.begin(), text.end());
    formulas.push_back(f);
    return static_cast<int32_t>(formulas.size() - 1);
  }
  std::string_view formulaText(const FormulaEntry& f) const {
    return {reinterpret_cast<const char*>(formulaBytes.data()) + f.offset, f.rgceSize};
  }
  std::span<const uint8_t> formulaRgce(const FormulaEntry& f) const {
    return std::span<const uint8_t>(formulaBytes).subspan(f.offset, f.rgceSize);
  }
  std::span<const uint8_t> formulaExtra(const FormulaEntry& f) const {
    return std::span<const uint8_t>(formulaBytes).subspan(f.offset + f.rgceSize, f.extraSize);
  }
};

struct BiffWorkbook {
  WorkbookGlobals globals;
  std::vector<SheetData> sheets;  // parallel to globals.sheets
};

// Parses a Workbook stream. Throws WorkbookOpenError (VbError 1004) with a clear reason and its
// kind for streams the reader does not handle (earlier BIFF versions, encrypted workbooks, not
// a workbook at all); damaged records inside a readable stream are skipped and listed in the
// warnings.
BiffWorkbook parseWorkbookStream(std::span<const uint8_t> stream);

// The format string of a number format index (a FORMAT record's, else the built-in one), and
// of the number format of an XF.
std::string numberFormatCode(const WorkbookGlobals& globals, uint16_t formatIndex);
std::string numberFormatOfXf(const WorkbookGlobals& globals, uint16_t xf);

// Excel 97's default colours of indexes 8..63 (0xRRGGBB), the palette of a book without PALETTE.
std::vector<uint32_t> defaultPalette();

// The English text of a built-in name code (0x06 -> "Print_Area"); "" when unknown.
std::string builtinNameText(uint8_t code);

// The decoded form of a SUPBOOK virtual path as Excel shows a link source.
std::string decodeVirtualPath(const std::string& raw);

}  // namespace zel::xls
