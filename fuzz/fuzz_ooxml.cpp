// Fuzz target for the Office 2007+ package reader: the input is opened as a zip package and,
// when that works, every cell, formula, note and name is read as the analyses read them; a
// second pass feeds the bytes to the formula-text scanner and the VML scanner on their own.
#include "xls/excel_model.h"
#include "xls/ooxml/drawing_parts.h"
#include "xls/ooxml/formula_text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

using namespace zel::xls;

void readPackage(const uint8_t* data, size_t size) {
  try {
    auto book = Workbook::openMemory(std::vector<uint8_t>(data, data + size), "/fuzz/book.xlsx");
    for (int i = 1; i <= book->sheetCount(); ++i) {
      for (const Cell& c : book->sheet(i).usedRange()) {
        (void)c.text();
        (void)c.formula();
        (void)c.noteText();
      }
    }
    for (int i = 1; i <= book->nameCount(); ++i) {
      try {
        (void)book->nameItem(i).refersTo();
        (void)book->nameItem(i).refersToRangeAddress();
      } catch (const zel::VbError&) {
      }
    }
  } catch (const zel::VbError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= 4 && data[0] == 'P' && data[1] == 'K') {
    readPackage(data, size);
    return 0;
  }
  std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)ooxml::displayFormula(text, {{"C:\\x\\[b.xlsx]"}}, 3, -2);
  (void)ooxml::referenceListTokens(text, {"Sheet1", "My Sheet"});
  // The tolerant VML scanner takes any text.
  const SheetData sheet;
  const ooxml::ThemeColors theme;
  const std::vector<uint32_t> palette = defaultPalette();
  const ooxml::SheetGrid grid(sheet);
  const std::vector<ooxml::ExternalBookName> books;
  const ooxml::DrawingContext context{theme, palette, grid, books, {}};
  (void)ooxml::readVmlPart(text, context, {});
  return 0;
}
