// Helpers shared by the reader tests: open a builder image, walk every cell of a workbook.
#pragma once
#include <memory>
#include <string>

#include "support/biff_builder.h"
#include "xls/excel_model.h"

namespace zel::xls::test {

inline std::unique_ptr<Workbook> openBuilt(const zel::test::BiffBuilder& b) { return Workbook::openMemory(b.toBytes(), "/tmp/built.xls"); }

// Reads everything the analyses read; returns the number of cells visited.
inline long walkEverything(Workbook& book) {
  long visited = 0;
  for (int i = 1; i <= book.sheetCount(); ++i) {
    Worksheet& s = book.sheet(i);
    (void)s.name();
    (void)s.visible();
    for (const Cell& c : s.usedRange()) {
      (void)c.value();
      (void)c.text();
      (void)c.formula();
      (void)c.noteText();
      (void)c.isError();
      (void)c.valueText();
      (void)c.address();
      ++visited;
    }
  }
  for (int i = 1; i <= book.nameCount(); ++i) {
    Name n = book.nameItem(i);
    (void)n.name();
    (void)n.refersTo();
    try {
      (void)n.refersToRangeAddress();
    } catch (const VbError&) {
    }
  }
  (void)book.linkSources(1);
  (void)book.linkSources(2);
  for (int i = 1; i <= kBuiltinPropertyCount; ++i) {
    try {
      (void)book.builtinDocumentProperties().value(i).toText();
    } catch (const VbError&) {
    }
  }
  return visited;
}

}  // namespace zel::xls::test
