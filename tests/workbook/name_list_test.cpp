// The name list and the time estimate on corpus workbooks (names read with xlrd, used ranges
// with a record scan) and on hand-made names.
#include "analysis_fixture.h"
#include "fake_book.h"
#include "workbook/name_list.h"
#include "workbook/time_estimate.h"
#include "workbook/workbook_analyses.h"

#include <gtest/gtest.h>

using namespace zel;
using namespace zel::workbook;
using namespace zel::test;
using Rows = std::vector<std::vector<std::string>>;

TEST(NameList, WorkbookNamesWithTheirRangesAndNoSheetLevelName) {
  AnalysisFixture f;
  OpenedBook b("named-cell-test.xls");
  auto ctx = f.ctx();
  AnalysisOutcome out = runNameList(ctx, *b.view);
  EXPECT_EQ(out.report, "R_XlName");
  EXPECT_EQ(f.flags.fNam, 1);
  EXPECT_EQ(f.rows("SELECT StCell, LabelName, SheetMei FROM T_XlName"), (Rows{{"A1", "BOB", "Sheet1"}}));

  AnalysisFixture g;
  OpenedBook sheetLevel("60273.xls");  // Print_Area, Print_Titles and four query names, all of sheet 1
  auto ctx2 = g.ctx();
  runNameList(ctx2, *sheetLevel.view);
  EXPECT_EQ(g.count("T_XlName"), 0);
  EXPECT_EQ(g.progress.gauge.back(), 100);
}

TEST(NameList, NamesThatAreNotRangesAreListedWithoutACell) {
  AnalysisFixture f;
  OpenedBook b("external_name.xls");  // 60 names, Print_Area the only sheet-level one
  auto ctx = f.ctx();
  runNameList(ctx, *b.view);
  EXPECT_EQ(f.count("T_XlName"), 59);
  EXPECT_EQ(f.rows("SELECT StCell, SheetMei FROM T_XlName WHERE LabelName = 'DateStart'"),
            (Rows{{"C2", "'Example YTP 1'"}}));
  EXPECT_EQ(f.rows("SELECT StCell FROM T_XlName WHERE LabelName = 'NonPeriodizedConsiderationsGroup'"), (Rows{{"A28:A39"}}));
  // A formula name, a reference to a deleted sheet, a reference into another workbook: no range.
  EXPECT_EQ(f.rows("SELECT StCell FROM T_XlName WHERE LabelName IN ('FixedStart', 'CatCell', 'CatalogueSize')"),
            (Rows{{""}, {""}, {""}}));
  EXPECT_EQ(f.rows("SELECT COUNT(*) FROM T_XlName WHERE LabelName LIKE '%!%'"), (Rows{{"0"}}));
}

TEST(NameList, MultiAreaCutAndConstantsByHand) {
  AnalysisFixture f;
  FakeBook book;
  std::string areas;
  for (int i = 1; i <= 30; ++i) areas += (i > 1 ? "," : "") + std::string("$A$") + std::to_string(i) + ":$C$" + std::to_string(i);
  book.definedNames = {{"Many", "=Sheet1!" + areas, areas},
                       {"Rate", "=0.05", std::nullopt},
                       {"Sheet1!Local", "=Sheet1!$A$1", "$A$1"},
                       {"Twice", "=Sheet1!$A$1*2", std::nullopt}};
  auto ctx = f.ctx();
  runNameList(ctx, book);
  std::string stripped;
  for (char c : areas)
    if (c != '$') stripped += c;
  EXPECT_EQ(f.rows("SELECT StCell, LabelName, SheetMei FROM T_XlName ORDER BY rowid"),
            (Rows{{stripped.substr(0, 200), "Many", "Sheet1"}, {"", "Rate", ""}, {"", "Twice", "Sheet1"}}));
  // Four names: step 25.
  EXPECT_EQ(f.progress.gauge, (std::vector<long>{0, 25, 50, 75, 100, 100}));
  EXPECT_EQ(f.progress.status.front(), "名前情報　取得中");
}

TEST(TimeCheck, SumsTheWalkedUsedRanges) {
  OpenedBook b("external_name.xls");
  // 13 + 4978 + 3567 + 5109 = 13 667 cells: well under half a minute.
  EXPECT_EQ(usedRangeCellTotal(*b.view), 13667);
  AnalysisOutcome out = runTimeCheck(*b.view);
  ASSERT_EQ(out.messages.size(), 1u);
  EXPECT_EQ(out.messages[0].caption, "Zelvarin");
  EXPECT_EQ(out.messages[0].text, timeEstimateMessage(0));
  EXPECT_TRUE(out.report.empty());

  OpenedBook empty("empty.xls");
  EXPECT_EQ(usedRangeCellTotal(*empty.view), 3);
  // The entry points on the reader's workbook.
  EXPECT_EQ(runTimeCheck(*empty.book).messages[0].text, timeEstimateMessage(0));
  EXPECT_EQ(walkedSheetNames(*empty.book), (std::vector<std::string>{"Лист1", "Лист2", "Лист3"}));
}

TEST(NameList, DatabaseFailuresComeOutAsVbError) {
  AnalysisFixture f;
  f.db.exec("DROP TABLE T_XlName");
  FakeBook book;
  auto ctx = f.ctx();
  f.flags.fNam = 1;
  try {
    runNameList(ctx, book);
    FAIL() << "expected a database error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), err::DatabaseError);
  }
  EXPECT_EQ(f.flags.fNam, 0);
}
