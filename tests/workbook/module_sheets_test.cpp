// Worksheets named like module sheets, in the middle and at the end of the collection, in a
// workbook written record by record: every analysis walks the same sheets.
#include "analysis_fixture.h"
#include "mini_biff.h"
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
    MiniSheet first{"Sheet1", {numberCell(0, 0, 5), formulaCell(0, 1, 0, 0), errorCell(1, 0, 0x07)}};
    MiniSheet module{"Module1", {formulaCell(0, 0, 4, 4), textCell(5, 5, "m")}};
    MiniSheet data{"Data", {textCell(2, 1, "abc"), formulaCell(3, 2, 2, 1)}};
    MiniSheet moduleLast{"moduleZ", {numberCell(9, 9, 1)}};
    const auto image = buildMiniWorkbook({first, module, data, moduleLast});
    const std::string path = dir.file("modules.xls");
    writeFile(path, std::string(image.begin(), image.end()));
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
