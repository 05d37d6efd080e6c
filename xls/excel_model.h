// The object model the analyses call in place of Excel 97's automation interface:
// Application -> Workbook -> Worksheet -> Range -> Cell, plus Name, PageSetup and the
// built-in document properties. Opening a workbook parses it; nothing is executed.
//
// Errors are VbError with Excel's numbers: 1004 for a workbook the reader cannot open (a
// WorkbookOpenError: the description names the reason, the kind sorts it: not a compound
// file, an OOXML package, an earlier BIFF version, encrypted, damaged), 9 for a sheet or name
// that does not exist, 1004 for a name
// without a range on this workbook or a sheet that cannot be selected.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xls/biff_workbook.h"
#include "xls/compound_file.h"
#include "xls/document_properties.h"
#include "xls/drawing/picture_store.h"
#include "xls/drawing/sheet_drawing.h"
#include "xls/open_error.h"

namespace zel::xls {

class Workbook;
class Worksheet;

// Excel's xlSheetVisible / xlSheetHidden / xlSheetVeryHidden values of Worksheet.Visible.
inline constexpr int kSheetVisible = -1;
inline constexpr int kSheetHidden = 0;
inline constexpr int kSheetVeryHidden = 2;

// A cell's Value as a variant.
struct CellValue {
  enum class Kind { Empty, Number, Text, Boolean, Error };
  Kind kind = Kind::Empty;
  double number = 0;
  std::string text;
  bool boolean = false;
  uint8_t errorCode = 0;  // 0x07 #DIV/0!, 0x2A #N/A, ...
};

// "#DIV/0!" etc. for a BIFF error code; "#N/A" for unknown codes.
std::string errorText(uint8_t code);

// A view of one position of a sheet (empty positions included). Cheap to copy; valid while
// its workbook lives.
class Cell {
 public:
  Cell(const Worksheet& sheet, uint32_t row, uint16_t col, const CellEntry* entry)
      : sheet_(&sheet), row_(row), col_(col), entry_(entry) {}

  uint32_t row() const { return row_ + 1; }       // 1-based
  uint16_t column() const { return col_ + 1; }    // 1-based
  CellValue value() const;
  // The text of a text value, as a view into the workbook's string tables ("" for any other
  // value): valid while the workbook is open.
  std::string_view textValue() const;
  bool isEmpty() const;                            // no value (blank or no record)
  bool isError() const { return entry_ && entry_->type == CellType::Error; }  // IsError(Value)
  // The default value as a string, as VB compares it with "": CStr of the value
  // (numbers up to 15 digits, True/False); "" for empty cells and for error values.
  std::string valueText() const;
  // Range.Text: the value as the cell's number format displays it.
  std::string text() const;
  // Range.Formula: "=..." for formulas; for constants the constant as Excel gives it (a number
  // under a date format as the date: "2/23/2005").
  std::string formula() const;
  bool hasFormula() const { return entry_ && entry_->formula >= 0; }
  // Warnings of the formula printer for this cell (unknown or damaged tokens).
  std::vector<std::string> formulaWarnings() const;
  std::string noteText() const;                    // "" when the cell has no note
  std::string address() const;                     // "$A$1"
  uint16_t xfIndex() const;
  const CellEntry* entry() const { return entry_; }

 private:
  const Worksheet* sheet_;
  uint32_t row_;
  uint16_t col_;
  const CellEntry* entry_;
};

// A rectangular range (UsedRange). Enumerates its cells row by row, left to right.
class Range {
 public:
  Range(const Worksheet& sheet, uint32_t firstRow, uint16_t firstCol, uint32_t lastRow, uint16_t lastCol)
      : sheet_(&sheet), r1_(firstRow), c1_(firstCol), r2_(lastRow), c2_(lastCol) {}
  // No range at all (a chart sheet has no cells): no rows, no columns, no cells, address "".
  static Range none(const Worksheet& sheet) { return Range(sheet, 1, 1, 0, 0); }

  long rowsCount() const { return static_cast<long>(r2_ - r1_ + 1); }
  long columnsCount() const { return static_cast<long>(c2_ - c1_ + 1); }
  long count() const { return rowsCount() * columnsCount(); }
  uint32_t firstRow() const { return r1_ + 1; }    // 1-based
  uint16_t firstColumn() const { return c1_ + 1; }
  uint32_t lastRow() const { return r2_ + 1; }
  uint16_t lastColumn() const { return c2_ + 1; }
  std::string address() const;                     // "$A$1:$C$9" ("$A$1" for one cell)
  Cell item(long index) const;                     // 1-based, row by row

  // Walks the positions row by row with a pointer into the sheet's sorted cell list: the
  // stored cell of a position is found by stepping, not by searching.
  class iterator {
   public:
    iterator(const Range* range, uint32_t row, uint16_t col, const CellEntry* next, const CellEntry* end)
        : range_(range), row_(row), col_(col), next_(next), end_(end) {}
    Cell operator*() const { return Cell(*range_->sheet_, row_, col_, atPosition() ? next_ : nullptr); }
    iterator& operator++() {
      if (col_ < range_->c2_) {
        // (row, col + 1) follows (row, col) directly in the list's order.
        if (atPosition()) ++next_;
        ++col_;
      } else {
        nextRow();
      }
      return *this;
    }
    bool operator!=(const iterator& o) const { return row_ != o.row_ || col_ != o.col_; }

   private:
    bool atPosition() const { return next_ != end_ && next_->row == row_ && next_->col == col_; }
    void nextRow();
    const Range* range_;
    uint32_t row_;
    uint16_t col_;
    const CellEntry* next_;  // first stored cell at or after (row_, col_)
    const CellEntry* end_;
  };
  iterator begin() const;
  iterator end() const;

 private:
  friend class iterator;
  const Worksheet* sheet_;
  uint32_t r1_, c1_, r2_, c2_;
};

// PageSetup basics, from the sheet's built-in names and its SETUP/PRINTHEADERS records.
struct PageSetup {
  std::string printArea;          // "$A$1:$C$9", "" when none
  std::string printTitleRows;     // "$1:$2"
  std::string printTitleColumns;  // "$A:$B"
  bool printHeadings = false;
  bool printGridlines = false;
  int zoom = 100;                 // percent; 0 stands for False (fit to pages)
  bool landscape = false;
};

class Worksheet {
 public:
  Worksheet(Workbook& book, int index);

  std::string name() const;
  int index() const { return index_ + 1; }        // 1-based position in the sheet collection
  SheetType type() const;
  int visible() const;                              // kSheetVisible / kSheetHidden / kSheetVeryHidden
  void setVisible(int value);                       // -1/True, 0/False, 2
  void activate();                                  // becomes the active sheet
  void select();                                    // VbError 1004 for a hidden sheet
  Range usedRange() const;                          // $A$1 alone for an empty sheet; none for a chart
  Cell cell(uint32_t row, uint16_t col) const;      // 1-based
  bool protectContents() const { return protectContents_; }
  bool protectDrawingObjects() const { return protectObjects_; }
  bool protectScenarios() const { return protectScenarios_; }
  void unprotect();                                 // no password kept: always succeeds
  void protect(bool drawingObjects, bool contents, bool scenarios);
  PageSetup& pageSetup() { return pageSetup_; }
  const PageSetup& pageSetup() const { return pageSetup_; }
  // Shapes.Count: the top-level shapes of the drawing layer (a group counts once).
  int shapesCount() const { return shapeCount_; }
  // The drawing layer: Shapes(1..Count) in index order, read when the workbook opens.
  const drawing::SheetDrawing& drawing() const { return drawing_; }
  void setDrawing(drawing::SheetDrawing d) {
    shapeCount_ = static_cast<int>(d.shapes.size());
    drawing_ = std::move(d);
  }
  // The sheet's protection carries a password (Unprotect without it fails in Excel).
  bool protectionHasPassword() const { return drawing_.hasPassword; }
  // A chart sheet's chart (null for other sheets and unreadable charts).
  const chart::ChartModel* chart() const { return chart_.get(); }
  void setChart(std::shared_ptr<const chart::ChartModel> c) { chart_ = std::move(c); }

  const SheetData& data() const { return *data_; }
  const Workbook& workbook() const { return *book_; }
  // The stored cell at a 0-based position, or nullptr.
  const CellEntry* find(uint32_t row, uint16_t col) const;
  const NoteEntry* noteAt(uint32_t row, uint16_t col) const;

 private:
  Workbook* book_;
  int index_;  // 0-based in the workbook's sheet collection
  const SheetData* data_;  // the parsed sheet, looked up once: every cell access reads it
  bool protectContents_, protectObjects_, protectScenarios_;
  PageSetup pageSetup_;
  int shapeCount_ = 0;
  drawing::SheetDrawing drawing_;
  std::shared_ptr<const chart::ChartModel> chart_;
  int visibleOverride_ = 1;  // 1 = as in the file
};

// One entry of Workbook.Names.
class Name {
 public:
  Name(const Workbook& book, size_t recordIndex);
  std::string name() const;        // "Print_Area", "Sheet1!Print_Area" for sheet-level names
  std::string refersTo() const;    // "=Sheet1!$A$1:$C$9"
  bool visible() const;
  int sheetScope() const;          // 0 workbook, else 1-based sheet index
  // RefersToRange.Address: the areas of the range on this workbook ("$A$1:$C$9", areas joined
  // by ","). VbError 1004 when the name is not a reference to cells of one sheet of this
  // workbook (constants, formulas, external or deleted references, several sheets).
  std::string refersToRangeAddress() const;
  // The 1-based sheet index RefersToRange lies on (same rule and error as above).
  int refersToSheet() const;
  const DefinedName& record() const;

 private:
  const Workbook* book_;
  size_t index_;
};

class Workbook {
 public:
  // Opens and parses a workbook file; VbError 1004 with the reason when it cannot be read.
  static std::unique_ptr<Workbook> open(const std::string& path);
  // The same for an in-memory file image (tests, fuzzing); fullName is the name to report.
  static std::unique_ptr<Workbook> openMemory(std::vector<uint8_t> bytes, const std::string& fullName = "Book1.xls");

  std::string fullName() const { return fullName_; }
  std::string name() const;        // file name part
  std::string path() const;        // folder part, without the trailing separator

  int sheetCount() const { return static_cast<int>(sheets_.size()); }
  Worksheet& sheet(int index);                       // 1-based; VbError 9 outside
  const Worksheet& sheet(int index) const;
  Worksheet& sheet(const std::string& name);         // case-insensitive; VbError 9 when missing
  Worksheet* activeSheet();
  void setActiveSheet(int index);                    // 1-based

  const DocumentProperties& builtinDocumentProperties() const { return properties_; }
  // CustomDocumentProperties: name and value of each, in the file's order.
  const std::vector<CustomProperty>& customDocumentProperties() const { return properties_.custom(); }
  // LinkSources(1) (workbooks) and LinkSources(2) (OLE/DDE); empty when none.
  std::vector<std::string> linkSources(int type) const;

  int nameCount() const { return static_cast<int>(nameOrder_.size()); }
  Name nameItem(int index) const;                    // 1-based, in the collection's order

  // What the formula printer needs of the globals.
  const FormulaEnvironment& formulaEnvironment() const { return env_; }
  const WorkbookGlobals& globals() const { return biff_.globals; }
  const SheetData& sheetData(int index) const;       // 0-based BOUNDSHEET index of sheet
  // The container, for readers of further streams (macro project, drawings). For an Office
  // 2007+ package: its macro project (xl/vbaProject.bin), or an empty compound file.
  const CompoundFile& compoundFile() const { return *file_; }
  // Damaged records skipped while reading (the workbook opened with what could be read).
  std::vector<std::string> warnings() const;
  // The workbook's sheets could not all be read: the globals are cut short, a sheet's records
  // are missing, or no sheet is listed at all.
  bool sheetsIncomplete() const;

  // The BOUNDSHEET index (0-based) of the sheet at a 1-based collection position.
  size_t boundSheetIndex(int index) const;
  // Text of a formula of a sheet's cell (used by Cell).
  FormulaText cellFormula(const Worksheet& sheet, const CellEntry& cell) const;
  std::string numberFormatOf(uint16_t xf) const;
  // The XF's number format has a date or time section (constants may print as dates).
  bool xfHasDateFormat(uint16_t xf) const { return xf < xfDateFormat_.size() && xfDateFormat_[xf]; }
  // The pictures the drawing layer's picture shapes show (by their pib).
  const drawing::PictureStore& pictures() const { return pictures_; }

 private:
  Workbook(std::unique_ptr<CompoundFile> file, std::string fullName);
  // Office 2007+ packages (xls/ooxml/): read into the same parsed structures.
  static std::unique_ptr<Workbook> openPackage(const std::string& fullName, std::vector<uint8_t>* bytes);
  void load();
  void finishLoad();
  void buildEnvironment();
  void applyPageSetupNames();
  void loadDrawings(std::span<const uint8_t> stream);  // xls/drawing/workbook_drawings.cpp

  std::unique_ptr<CompoundFile> file_;
  std::string fullName_;
  BiffWorkbook biff_;
  DocumentProperties properties_;
  FormulaEnvironment env_;
  std::vector<size_t> sheetIndex_;   // collection position -> BOUNDSHEET index
  std::vector<Worksheet> sheets_;
  drawing::PictureStore pictures_;
  std::vector<size_t> nameOrder_;    // collection position -> NAME record index
  std::vector<bool> xfDateFormat_;   // per XF: xfHasDateFormat
  int activeSheet_ = 0;              // 0-based collection position
};

// The application object: state switches and the open workbooks.
class Application {
 public:
  bool screenUpdating = true;
  bool displayAlerts = true;
  bool visible = false;
  int referenceStyle = 1;            // 1 = xlA1, -4150 = xlR1C1

  // Workbooks.Open: the workbook becomes the active one.
  Workbook& openWorkbook(const std::string& path);
  int workbookCount() const { return static_cast<int>(books_.size()); }
  Workbook& workbook(int index);     // 1-based
  Workbook* activeWorkbook();
  Worksheet* activeSheet();
  void quit();

 private:
  std::vector<std::unique_ptr<Workbook>> books_;
  int active_ = -1;
};

}  // namespace zel::xls
