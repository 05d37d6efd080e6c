// Formulas as an Office 2007+ package stores them, turned into the text Range.Formula shows:
// future-function prefixes dropped, external book indexes replaced by the book's path, and the
// relative references of a shared formula moved to each cell of its range.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::xls::ooxml {

// Largest row and column count of an Office 2007+ sheet.
inline constexpr uint32_t kMaxRows = 1048576;
inline constexpr uint32_t kMaxColumns = 16384;

// An external book a formula may name as [n] (1-based in the workbook's order).
struct ExternalBookName {
  std::string path;  // as Excel shows it ("C:\dir\book.xlsx")
};

// "=" + the formula with prefixes removed and [n] resolved; relative references moved by
// (rowOffset, colOffset) (shared formulas); a reference moved off the sheet becomes #REF!.
std::string displayFormula(std::string_view stored, const std::vector<ExternalBookName>& books, int32_t rowOffset = 0,
                           int32_t colOffset = 0);

// "A1" / "$B$7" -> 0-based row and column; nullopt when not a single cell reference.
struct CellPosition {
  uint32_t row = 0, col = 0;
};
std::optional<CellPosition> parseCellReference(std::string_view ref);

// "A1:C9" (or one cell) -> first and last cell; nullopt when malformed.
struct CellRange {
  CellPosition first, last;
};
std::optional<CellRange> parseRangeReference(std::string_view ref);

// A name's definition holding nothing but references to cells of the workbook's own sheets
// ("Sheet1!$A$1:$C$9,'My Sheet'!$1:$2"), as BIFF tokens (tArea3d joined by tUnion) over an
// EXTERNSHEET table whose entry i is sheet i; nullopt for anything else or for references
// beyond an Excel 97 sheet. Whole rows and columns take Excel 97's whole-row/column form.
std::optional<std::vector<uint8_t>> referenceListTokens(std::string_view stored, const std::vector<std::string>& sheetNames);

}  // namespace zel::xls::ooxml
