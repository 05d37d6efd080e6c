// Turns a BIFF8 parsed formula (rgce + trailing array data) into the text Excel 97's Formula
// property gives: English function names, "," separators, A1 references, leading "=".
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zel::xls {

// One EXTERNSHEET entry (XTI): which SUPBOOK, and the first and last sheet index in it.
struct ExternSheetRef {
  uint16_t supBook = 0;
  int16_t firstSheet = 0;  // -1: the sheet was deleted (#REF!); -2: a workbook-level reference
  int16_t lastSheet = 0;
};

// One SUPBOOK record as the formula printer needs it.
struct SupBookInfo {
  enum class Kind { Self, AddIn, External, OleDde };
  Kind kind = Kind::Self;
  std::string fileName;                 // decoded virtual path as Excel shows it (external books)
  std::vector<std::string> sheetNames;  // external sheet names
  std::vector<std::string> externNames; // EXTERNNAME names in order (1-based in tNameX)
};

// One NAME record: the name as a formula shows it (built-in names by their English text,
// e.g. "Print_Area"), and its scope (0 = workbook, else 1-based sheet index).
struct DefinedNameInfo {
  std::string name;
  int sheetScope = 0;
};

// Everything of the workbook globals that formula text depends on.
struct FormulaEnvironment {
  std::vector<std::string> sheetNames;  // BOUNDSHEET8 order (the workbook's own sheets)
  std::vector<ExternSheetRef> externSheets;
  std::vector<SupBookInfo> supBooks;
  std::vector<DefinedNameInfo> names;   // tName index i refers to names[i-1]
};

// Where the formula stands: relative references of shared formulas and names are resolved
// against it. Rows 0..65535, columns 0..255.
struct FormulaOrigin {
  uint32_t row = 0;
  uint16_t col = 0;
};

enum class FormulaKind {
  Cell,    // FORMULA record (tRef/tArea carry absolute positions)
  Shared,  // SHRFMLA / ARRAY body: tRefN/tAreaN are offsets from the origin
  Name,    // NAME record definition (RefersTo)
};

struct FormulaText {
  std::string text;                   // "=..." (empty formula gives "=")
  std::vector<std::string> warnings;  // unknown or damaged tokens; the text then holds a placeholder
  bool complete = true;               // false when a placeholder was used
};

// rgce: the token bytes; extra: the bytes after rgce (tArray constants etc.).
FormulaText printFormula(std::span<const uint8_t> rgce, std::span<const uint8_t> extra,
                         const FormulaEnvironment& env, FormulaOrigin origin, FormulaKind kind);

// Where a cell's formula really lives when its rgce is only tExp (shared or array formula:
// SHRFMLA/ARRAY record) or tTbl (data table: TABLE record). The named cell lies inside that
// record's range but is not always its first cell (SHRFMLA E5:N6 with tExp at G5 occurs), so
// find the record by containment. Print its rgce with FormulaKind::Shared and the cell's own
// position as origin. Empty unless the rgce is that one token. printFormula itself
// gives "=#SHARED_FORMULA(RnCn)" / "=#TABLE(RnCn)" (incomplete) for such an rgce.
struct FormulaAnchor {
  uint32_t row = 0;
  uint16_t col = 0;
  bool table = false;  // tTbl
};
std::optional<FormulaAnchor> formulaAnchor(std::span<const uint8_t> rgce);

// A data table cell (tTbl) shows the TABLE record's input cells: "=TABLE(B26,)" for a row
// input, "=TABLE(,B32)" for a column input, "=TABLE(B38,B39)" for both; a deleted input cell
// shows as #REF!.
struct DataTableInputs {
  bool rowInput = false;   // fRw: the single input cell is a row input
  bool twoInputs = false;  // fTbl2: first = row input cell, second = column input cell
  bool firstDeleted = false;
  bool secondDeleted = false;
  uint16_t firstRow = 0;   // rwInpRw / colInpRw
  uint16_t firstCol = 0;
  uint16_t secondRow = 0;  // rwInpCol / colInpCol
  uint16_t secondCol = 0;
};
std::string dataTableFormula(const DataTableInputs& table);

// "#DIV/0!" etc. for a BIFF error code; nullptr for a code that is none.
const char* errorCodeText(uint8_t code);

// "A1"-style address helpers shared by the reader (column letters, "$" for absolute).
std::string columnLetters(uint16_t col);  // 0 -> "A", 255 -> "IV"
std::string cellAddress(uint32_t row, uint16_t col, bool absRow = false, bool absCol = false);

}  // namespace zel::xls
