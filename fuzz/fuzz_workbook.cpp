// libFuzzer target over the whole open-and-walk path of the workbook reader: compound file,
// BIFF8 records, strings, formulas, names, notes, document properties; and the input once more
// as a property-set stream on its own. Refusals (VbError) are expected results; anything else
// escaping, a crash or a sanitizer report is a finding.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/vb_error.h"
#include "xls/excel_model.h"
#include "xls/user_property_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel::xls;
  {
    DocumentProperties alone;
    readUserDefinedProperties(std::span<const uint8_t>(data, size), alone);
  }
  std::unique_ptr<Workbook> book;
  try {
    book = Workbook::openMemory(std::vector<uint8_t>(data, data + size), "fuzz.xls");
  } catch (const zel::VbError&) {
    return 0;
  }
  for (int i = 1; i <= book->sheetCount(); ++i) {
    Worksheet& s = book->sheet(i);
    // The stored cells and notes, as the analyses visit them (a used range may span 16 M cells).
    std::vector<std::pair<uint32_t, uint16_t>> at;
    for (const auto& e : s.data().cells) at.emplace_back(e.row + 1, static_cast<uint16_t>(e.col + 1));
    for (const auto& n : s.data().notes) at.emplace_back(n.row + 1, static_cast<uint16_t>(n.col + 1));
    for (const auto& [row, col] : at) {
      const Cell c = s.cell(row, col);
      (void)c.text();
      (void)c.formula();
      (void)c.noteText();
      (void)c.valueText();
    }
    (void)s.pageSetup();
  }
  for (int i = 1; i <= book->nameCount(); ++i) {
    Name n = book->nameItem(i);
    (void)n.name();
    (void)n.refersTo();
    try {
      (void)n.refersToRangeAddress();
    } catch (const zel::VbError&) {
    }
  }
  (void)book->linkSources(1);
  (void)book->linkSources(2);
  for (int i = 1; i <= kBuiltinPropertyCount; ++i) {
    try {
      (void)book->builtinDocumentProperties().value(i).toText();
    } catch (const zel::VbError&) {
    }
  }
  for (const CustomProperty& p : book->customDocumentProperties()) (void)p.value.toText();
  (void)book->warnings();
  return 0;
}
