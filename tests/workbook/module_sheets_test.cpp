// Worksheets named like module sheets, in the middle and at the end of the collection, in a
// workbook written record by record: every analysis walks the same sheets.
#include "analysis_fixture.h"
#include "support/biff_builder.h"
#include "workbook/workbook_analyses.h"

#include <gtest/gtest.h>

using namespace zel;
using namespace zel::workbook;
using namespace zel::test;
using Rows = std::vector<std::vector<std::string>>;

namespace {

struct ModuleSheetBook {
  TempDir dir;
  std::unique_ptr<xls::Workbook> book;
  ModuleSheetBook() {
    // =<ref>+1 with an absolute reference.
    auto plusOne = [](uint16_t row, uint16_t col) {
      return std::vector<uint8_t>{0x24, static_cast<uint8_t>(row & 0xFF), static_cast<uint8_t>(row >> 8),
                                  static_cast<uint8_t>(col & 0xFF), 0x00, 0x1E, 0x01, 0x00, 0x03};
    };
    BiffBuilder b;
    const int first = b.addSheet("Sheet1"), module = b.addSheet("Module1"), data = b.addSheet("Data"),
              moduleLast = b.addSheet("moduleZ");
    b.number(first, 0, 0, 5);
    b.formula(first, 0, 1, plusOne(0, 0));
    b.boolErr(first, 1, 0, 0x07, true);
    b.formula(module, 0, 0, plusOne(4, 4));
    b.label(module, 5, 5, "m");
    b.label(data, 2, 1, "abc");
    b.formula(data, 3, 2, plusOne(2, 1));
    b.number(moduleLast, 9, 9, 1);
    const std::string path = dir.file("modules.xls");
    b.write(path);
    book = xls::Workbook::open(path);
  }
};

}  // namespace

TEST(ModuleSheets, EveryAnalysisWalksTheListedSheetsOnly) {
  ModuleSheetBook b;
  ASSERT_EQ(b.book->sheetCount(), 4);
  EXPECT_EQ(walkedSheetNames(*b.book), (std::vector<std::string>{"Sheet1", "Data"}));

  AnalysisFixture f;
  auto ctx = f.ctx();
  f.options.ObjectLevel = 3;
  runObjectInventory(ctx, *b.book);
  // Sheet1: A1..B2; Data: B3..C4 (used ranges of the stored cells).
  EXPECT_EQ(f.rows("SELECT objectNo, objectName, Row, Col, CellCount, ErrCount, CalCount FROM T_XlObject ORDER BY rowid"),
            (Rows{{"1", "Sheet1", "2", "2", "3", "1", "1"}, {"2", "Data", "2", "2", "2", "0", "1"}}));

  f.options.CellOption = 1;
  runCellListing(ctx, *b.book, "", f.cellSheetName);
  EXPECT_EQ(f.rows("SELECT SheetMei, objectNo, StCell, CalcName FROM T_XlCalc ORDER BY rowid"),
            (Rows{{"Sheet1", "1", "B1", "=$A$1+1"}, {"Data", "2", "C4", "=$B$3+1"}}));

  runLinkSearch(ctx, *b.book, "");
  EXPECT_EQ(f.rows("SELECT SheetMei, objectNo, StCell FROM T_XlCalc ORDER BY rowid"),
            (Rows{{"Sheet1", "1", "B1"}, {"Data", "2", "C4"}}));

  // 4 + 4 cells; the module sheets' ranges (5 x 6 and 1) are not counted.
  EXPECT_EQ(usedRangeCellTotal(ModelBookView(*b.book)), 8);
}
