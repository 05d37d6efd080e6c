// The cell listing and the link search on corpus workbooks (cells, notes and formula tokens
// read from the files by hand and with xlrd) and on a hand-made workbook with module sheets.
#include "analysis_fixture.h"
#include "fake_book.h"
#include "workbook/cell_listing.h"
#include "workbook/link_search.h"

#include <gtest/gtest.h>

using namespace zel;
using namespace zel::workbook;
using namespace zel::test;
using Rows = std::vector<std::vector<std::string>>;

namespace {
const char* kCalcSql = "SELECT Label, SheetMei, objectNo, StCell, CalcName, NoteName FROM T_XlCalc ORDER BY rowid";
}

TEST(CellListing, NotesAloneAndNotesWithTheirFormulaText) {
  AnalysisFixture f;
  OpenedBook b("SimpleWithComments.xls");
  f.options.CellOption = 2;
  auto ctx = f.ctx();
  AnalysisOutcome out = runCellListing(ctx, *b.view, "Sheet1", f.cellSheetName);
  EXPECT_EQ(out.report, "R_XlCalcNote");
  EXPECT_EQ(f.rows(kCalcSql), (Rows{{"2", "Sheet1", "1", "B1", "", "Yegor Kozlov:\nfirst cell"},
                                    {"2", "Sheet1", "1", "B2", "", "Yegor Kozlov:\nsecond cell"},
                                    {"2", "Sheet1", "1", "B3", "", "Yegor Kozlov:\nthird cell"}}));
  EXPECT_EQ(f.flags.fCel, 2);
  EXPECT_EQ(f.flags.mCs, 1);

  f.options.CellOption = 3;
  runCellListing(ctx, *b.view, "Sheet1", f.cellSheetName);
  // Constant cells: the formula text is the constant.
  EXPECT_EQ(f.rows("SELECT Label, StCell, CalcName FROM T_XlCalc ORDER BY rowid"),
            (Rows{{"3", "B1", "one"}, {"3", "B2", "two"}, {"3", "B3", "three"}}));
  // Three sheets of the walk: 33, 67, 100.
  EXPECT_EQ(f.progress.gauge, (std::vector<long>{0, 33, 67, 100, 100, 0, 33, 67, 100, 100}));
}

TEST(CellListing, NotesOnBlankCellsAreListed) {
  AnalysisFixture f;
  OpenedBook b("DrawingAndComments.xls");
  f.options.CellOption = 3;
  auto ctx = f.ctx();
  runCellListing(ctx, *b.view, "", f.cellSheetName);
  EXPECT_EQ(f.rows("SELECT StCell, CalcName, NoteName FROM T_XlCalc ORDER BY rowid"),
            (Rows{{"B4", "fsd", "evgeniy:\ndbgdfbtgbfdgb"},
                  {"C6", "sdf", "evgeniy:\n21313213sfdf"},
                  {"F7", "sd", "evgeniy:\n1sdasdadsas\nsdasd"}}));
}

TEST(CellListing, FormulasOfEverySheetAndOfOneSelectedSheet) {
  AnalysisFixture f;
  OpenedBook b("multibookFormulaA.xls");
  f.options.CellOption = 1;
  auto ctx = f.ctx();
  AnalysisOutcome out = runCellListing(ctx, *b.view, "ASheet1", f.cellSheetName);
  EXPECT_EQ(out.report, "R_XlCalc");
  const Rows expected{{"1", "ASheet1", "1", "A1", "=[multibookFormulaB.xls]BSheet1!B1", ""},
                      {"1", "ASheet1", "1", "A2", "=[multibookFormulaB.xls]BSheet1!$B$2+2*A3", ""}};
  EXPECT_EQ(f.rows(kCalcSql), expected);

  // One sheet, named as the sheet box gives it (Excel finds sheets regardless of case).
  f.options.SheetScope = 2;
  runCellListing(ctx, *b.view, "asheet1", f.cellSheetName);
  EXPECT_EQ(f.cellSheetName, "asheet1");
  EXPECT_EQ(f.rows("SELECT SheetMei, objectNo, StCell FROM T_XlCalc ORDER BY rowid"),
            (Rows{{"asheet1", "1", "A1"}, {"asheet1", "1", "A2"}}));
  EXPECT_EQ(f.flags.mCs, 2);

  runCellListing(ctx, *b.view, "AnotherSheet", f.cellSheetName);
  EXPECT_EQ(f.count("T_XlCalc"), 0);
}

TEST(CellListing, ErrorCellsAcrossSheetsAreListedWithTheirFormulas) {
  AnalysisFixture f;
  OpenedBook b("external_name.xls");
  f.options.CellOption = 1;
  auto ctx = f.ctx();
  runCellListing(ctx, *b.view, "", f.cellSheetName);
  // FORMULA records per sheet: 0, 183, 39, 385.
  EXPECT_EQ(f.rows("SELECT objectNo, SheetMei, COUNT(*) FROM T_XlCalc GROUP BY objectNo ORDER BY objectNo"),
            (Rows{{"2", "CG YTP Template", "183"}, {"3", "Example YTP 1", "39"}, {"4", "Example YTP 2", "385"}}));
}

TEST(CellListing, SkipTestAndDoneFlags) {
  AnalysisFixture f;
  OpenedBook b("multibookFormulaA.xls");
  f.options.CellOption = 1;
  auto ctx = f.ctx();
  EXPECT_TRUE(runCellListing(ctx, *b.view, "ASheet1", f.cellSheetName).ran);
  f.db.exec("DELETE FROM T_XlCalc");
  // All sheets again: the sheet box's text does not matter.
  EXPECT_FALSE(runCellListing(ctx, *b.view, "AnotherSheet", f.cellSheetName).ran);
  EXPECT_EQ(f.count("T_XlCalc"), 0);

  f.options.SheetScope = 2;
  EXPECT_TRUE(runCellListing(ctx, *b.view, "ASheet1", f.cellSheetName).ran);
  EXPECT_FALSE(runCellListing(ctx, *b.view, "ASheet1", f.cellSheetName).ran);
  EXPECT_TRUE(runCellListing(ctx, *b.view, "AnotherSheet", f.cellSheetName).ran);
  f.options.CellOption = 2;
  EXPECT_TRUE(runCellListing(ctx, *b.view, "AnotherSheet", f.cellSheetName).ran);

  // A sheet the workbook does not hold: error 9, and the flag no longer claims the table.
  f.options.CellOption = 1;
  try {
    runCellListing(ctx, *b.view, "Nowhere", f.cellSheetName);
    FAIL() << "expected error 9";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 9);
  }
  EXPECT_EQ(f.flags.fCel, 0);
  EXPECT_TRUE(runCellListing(ctx, *b.view, "ASheet1", f.cellSheetName).ran);
}

TEST(CellListing, EmptyWorkbookAndModuleSheets) {
  {
    AnalysisFixture f;
    OpenedBook b("empty.xls");
    f.options.CellOption = 3;
    auto ctx = f.ctx();
    EXPECT_TRUE(runCellListing(ctx, *b.view, "Лист1", f.cellSheetName).ran);
    EXPECT_EQ(f.count("T_XlCalc"), 0);
  }
  AnalysisFixture f;
  FakeBook book;
  FakeSheet module{"MODULE1", {1, 1}, -1, 0, {{"$A$1", "=1", "n", false, false}}};
  FakeSheet s1{"S1", {1, 1}, -1, 0, {{"$A$1", "=2", "", false, false}}};
  FakeSheet s2{std::string(140, 'n'), {1, 2}, -1, 0,
               {{"$A$1", "  =3  ", "", false, false}, {"$B$1", "'=text", std::string(135, 'x') + "   ", false, false}}};
  book.sheets = {module, s1, s2};
  f.options.CellOption = 3;
  auto ctx = f.ctx();
  runCellListing(ctx, book, "", f.cellSheetName);
  EXPECT_EQ(f.rows(kCalcSql), (Rows{{"3", std::string(130, 'n'), "2", "B1", "'=text", std::string(130, 'x')}}));
  f.options.CellOption = 1;
  runCellListing(ctx, book, "", f.cellSheetName);
  EXPECT_EQ(f.rows("SELECT objectNo, StCell, CalcName FROM T_XlCalc ORDER BY rowid"), (Rows{{"1", "A1", "=2"}}));
}

TEST(LinkSearch, FindsFormulasThatNameTheLinkedWorkbook) {
  {
    AnalysisFixture f;
    OpenedBook b("46670_local.xls");
    ASSERT_EQ(b.book->linkSources(1), (std::vector<std::string>{"refs\\airport.xls"}));
    auto ctx = f.ctx();
    f.flags.fCel = 1;
    AnalysisOutcome out = runLinkSearch(ctx, *b.view, "refs\\airport.xls");
    EXPECT_EQ(out.report, "R_XlCalc");
    EXPECT_EQ(f.rows(kCalcSql), (Rows{{"9", "Sheet1", "1", "A1", "='refs\\[airport.xls]Sheet1'!$A$2", ""}}));
    EXPECT_EQ(f.flags.fCel, 0);  // the cell listing must not take these rows for its own
  }
  {
    AnalysisFixture f;
    OpenedBook b("27364.xls");
    auto ctx = f.ctx();
    runLinkSearch(ctx, *b.view, "link_sub.xls");
    EXPECT_EQ(f.rows("SELECT StCell, CalcName FROM T_XlCalc ORDER BY rowid"),
              (Rows{{"A1", "=[link_sub.xls]Sheet1!$A$1"},
                    {"A2", "=[link_sub.xls]Sheet1!$A$2"},
                    {"A3", "=[link_sub.xls]Sheet1!$A$3"}}));
    runLinkSearch(ctx, *b.view, "other.xls");
    EXPECT_EQ(f.count("T_XlCalc"), 0);
    EXPECT_EQ(f.progress.gauge.back(), 100);
  }
  {
    // Without a link source every formula cell is listed.
    AnalysisFixture f;
    OpenedBook b("multibookFormulaA.xls");
    auto ctx = f.ctx();
    runLinkSearch(ctx, *b.view, "");
    EXPECT_EQ(f.rows("SELECT objectNo, StCell FROM T_XlCalc ORDER BY rowid"), (Rows{{"1", "A1"}, {"1", "A2"}}));
  }
}

TEST(LinkSearch, ConstantsNeverMatchAndModuleSheetsAreSkipped) {
  AnalysisFixture f;
  FakeBook book;
  FakeSheet module{"Module1", {1, 1}, -1, 0, {{"$A$1", "='C:\\Data\\[Sales.xls]S'!A1", "", false, false}}};
  FakeSheet s{"S", {2, 1}, -1, 0,
              {{"$A$1", "C:\\Data\\[Sales.xls]", "", false, false}, {"$A$2", " ='C:\\Data\\[Sales.xls]S'!A1", "", false, false},
               {"$A$3", "='C:\\Data\\[Sales.xls]S'!A1 ", "", false, false}, {"$A$4", "='C:\\data\\[sales.xls]S'!A1", "", false, false}}};
  book.sheets = {module, s};
  auto ctx = f.ctx();
  runLinkSearch(ctx, book, "C:\\Data\\Sales.xls");
  EXPECT_EQ(f.rows(kCalcSql), (Rows{{"9", "S", "1", "A3", "='C:\\Data\\[Sales.xls]S'!A1", ""}}));
  EXPECT_EQ(f.progress.status.front(), "リンク先を検索中...");
}

TEST(CellListing, CutsCountUtf16UnitsAndKeepSurrogatePairsWhole) {
  AnalysisFixture f;
  FakeBook book;
  std::string kanji, sheet;
  for (int i = 0; i < 131; ++i) kanji += "表";
  for (int i = 0; i < 129; ++i) sheet += "x";
  sheet += "𠮷𠮷";  // units 130..133: the first pair would be split at 130
  FakeSheet s{sheet, {1, 2}, -1, 0, {{"$A$1", "1", kanji, false, false}}};
  book.sheets = {s};
  f.options.CellOption = 2;
  auto ctx = f.ctx();
  runCellListing(ctx, book, "", f.cellSheetName);
  auto r = f.rows("SELECT SheetMei, NoteName FROM T_XlCalc");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0][0], std::string(129, 'x'));
  EXPECT_EQ(r[0][1], kanji.substr(0, 130 * 3));  // 130 characters of three UTF-8 bytes
  EXPECT_EQ(f.progress.status, (std::vector<std::string>{"セル情報　取得中", "終了しました"}));
}
