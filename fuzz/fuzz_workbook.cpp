// libFuzzer target over the whole open-and-walk path of the workbook reader: compound file,
// BIFF8 records, strings, formulas, names, notes, document properties. Refusals (VbError) are
// expected results; anything else escaping, a crash or a sanitizer report is a finding.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/vb_error.h"
#include "xls/excel_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel::xls;
  std::unique_ptr<Workbook> book;
  try {
    book = Workbook::openMemory(std::vector<uint8_t>(data, data + size), "fuzz.xls");
  } catch (const zel::VbError&) {
    return 0;
  }
  for (int i = 1; i <= book->sheetCount(); ++i) {
    Worksheet& s = book->sheet(i);
    for (const Cell& c : s.usedRange()) {
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
  return 0;
}
