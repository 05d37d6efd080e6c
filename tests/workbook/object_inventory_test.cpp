// The object inventory on corpus workbooks (expected counts read from the files with xlrd and
// a record scan) and on hand-made workbooks for module sheets, property errors and failures.
#include "analysis_fixture.h"
#include "fake_book.h"
#include "workbook/object_inventory.h"

#include <gtest/gtest.h>

using namespace zel;
using namespace zel::workbook;
using namespace zel::test;
using Rows = std::vector<std::vector<std::string>>;

namespace {

const char* kSheetSql =
    "SELECT objectNo, Class, objectName, Row, Col, CellCount, ErrCount, ShapeCount, CalCount, StVisible, ComentCount "
    "FROM T_XlObject ORDER BY rowid";

}  // namespace

TEST(ObjectInventory, DetailedLevelCountsCellsErrorsFormulasAndNotes) {
  AnalysisFixture f;
  OpenedBook b("external_name.xls");
  f.options.ObjectLevel = 3;
  auto ctx = f.ctx(b.book->fullName());
  AnalysisOutcome out = runObjectInventory(ctx, *b.view);
  EXPECT_TRUE(out.ran);
  EXPECT_EQ(out.report, "R_XlObject");
  EXPECT_EQ(f.flags.fObj, 3);
  EXPECT_EQ(f.rows("SELECT objectNo, Class, objectName, Row, Col, CellCount, ErrCount, CalCount, StVisible, ComentCount "
                   "FROM T_XlObject ORDER BY rowid"),
            (Rows{{"1", "ﾜｰｸｼｰﾄ", "Instructions", "13", "1", "12", "0", "0", "-1", "0"},
                  {"2", "ﾜｰｸｼｰﾄ", "CG YTP Template", "38", "131", "385", "0", "183", "-1", "0"},
                  {"3", "ﾜｰｸｼｰﾄ", "Example YTP 1", "41", "87", "276", "39", "39", "-1", "0"},
                  {"4", "ﾜｰｸｼｰﾄ", "Example YTP 2", "39", "131", "1263", "0", "385", "-1", "0"}}));
  // Only document modules in this project: no module rows.
  EXPECT_EQ(f.count("T_XlObject"), 4);

  auto book = f.rows("SELECT BookNo, XFileName, FileSize, Title, Auther, LastAuther, PrintDate, CreateDate, Company, Label "
                     "FROM T_XlBook");
  // FileSize: 173 568 bytes; Auther " Leo Thornley" trimmed; no last print date in the file,
  // which Excel 2002 saved: the message, and the creation date still written.
  EXPECT_EQ(book, (Rows{{"1", dataFile("external_name.xls"), "169.5", "", "Leo Thornley", "Kevin Forbes", "",
                         "2009/09/03 12:11:59", "CSCA", "3"}}));
  EXPECT_TRUE(b.view->writtenByOtherVersion());
  EXPECT_FALSE(OpenedBook("Formate.xls").view->writtenByOtherVersion());  // a BOF of Excel 97's versions
  ASSERT_EQ(out.messages.size(), 1u);
  EXPECT_EQ(out.messages[0].text, "Excel97以外のバージョンで作成されています。\r作成日と印刷日は取得出来ません。");
  EXPECT_EQ(out.messages[0].caption, "");

  // Workbook links in SUPBOOK order; the path is cut to 130 characters.
  auto links = f.rows("SELECT BookNo, LinkNo, LinkType, LinkMoto FROM T_XlLink WHERE LinkType = 'Excel' ORDER BY LinkNo");
  const std::string swim =
      "\\Documents and Settings\\cscatlantic\\My Documents\\Dalhousie\\Varsity\\Swim\\2007_08\\Documents and Settings\\Leo"
      "\\My Documents\\Podium Performance\\Sport Centre\\CSCA_Swim Centre\\Swimming YTP Tool.xls";
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0], (std::vector<std::string>{"1", "1", "Excel", swim.substr(0, 130)}));
  EXPECT_EQ(links[1], (std::vector<std::string>{"1", "2", "Excel",
                                                "\\Documents and Settings\\forbesk\\Local Settings\\Temporary Internet Files"
                                                "\\OLK2C3\\Example CG YTP.xls"}));
}

TEST(ObjectInventory, SimpleLevelTakesTheUsedRangeSizeAndSkipsARepeatedLevel) {
  AnalysisFixture f;
  OpenedBook b("external_name.xls");
  f.options.ObjectLevel = 2;
  auto ctx = f.ctx();
  runObjectInventory(ctx, *b.view);
  // ShapeCount: OBJ records per sheet: none; two charts; two charts, a button and a chart; two charts.
  EXPECT_EQ(f.rows("SELECT objectName, CellCount, ErrCount, CalCount, ComentCount, ShapeCount FROM T_XlObject ORDER BY rowid"),
            (Rows{{"Instructions", "13", "0", "0", "0", "0"},
                  {"CG YTP Template", "4978", "0", "0", "0", "2"},
                  {"Example YTP 1", "3567", "0", "0", "0", "4"},
                  {"Example YTP 2", "5109", "0", "0", "0", "2"}}));
  EXPECT_EQ(f.rows("SELECT Label FROM T_XlBook"), (Rows{{"2"}}));

  f.db.exec("DELETE FROM T_XlObject");
  AnalysisOutcome again = runObjectInventory(ctx, *b.view);
  EXPECT_FALSE(again.ran);
  EXPECT_EQ(again.report, "R_XlObject");
  EXPECT_EQ(f.count("T_XlObject"), 0);  // nothing re-read

  f.options.ObjectLevel = 1;
  AnalysisOutcome book = runObjectInventory(ctx, *b.view);
  EXPECT_TRUE(book.ran);
  EXPECT_EQ(book.report, "R_XlBook");
  EXPECT_EQ(f.count("T_XlObject"), 0);
  EXPECT_EQ(f.count("T_XlBook"), 1);
  EXPECT_EQ(f.flags.fObj, 1);
}

TEST(ObjectInventory, ModuleRowsEmptySheetsHiddenSheetsAndNoLinks) {
  {
    AnalysisFixture f;
    OpenedBook b("SimpleMacro.xls");
    f.options.ObjectLevel = 3;
    auto ctx = f.ctx();
    runObjectInventory(ctx, *b.view);
    // Three sheets, then the one standard module; document modules get no row.
    EXPECT_EQ(f.rows("SELECT objectNo, Class, objectName, Row, CellCount FROM T_XlObject ORDER BY rowid"),
              (Rows{{"1", "ﾜｰｸｼｰﾄ", "Sheet1", "1", "1"},
                    {"2", "ﾜｰｸｼｰﾄ", "Sheet2", "1", "0"},
                    {"3", "ﾜｰｸｼｰﾄ", "Sheet3", "1", "0"},
                    {"4", "標準ﾓｼﾞｭｰﾙ", "Module1", "", ""}}));
    EXPECT_EQ(f.count("T_XlLink"), 0);
  }
  {
    AnalysisFixture f;
    OpenedBook b("TwoSheetsOneHidden.xls");
    f.options.ObjectLevel = 2;
    auto ctx = f.ctx();
    runObjectInventory(ctx, *b.view);
    EXPECT_EQ(f.rows("SELECT objectName, StVisible, CellCount FROM T_XlObject ORDER BY rowid"),
              (Rows{{"Sheet1", "0", "1"}, {"Sheet2", "-1", "1"}}));
  }
  {
    AnalysisFixture f;
    OpenedBook b("empty.xls");
    f.options.ObjectLevel = 3;
    auto ctx = f.ctx();
    runObjectInventory(ctx, *b.view);
    EXPECT_EQ(f.rows("SELECT objectName, Row, Col, CellCount FROM T_XlObject ORDER BY rowid"),
              (Rows{{"Лист1", "1", "1", "0"}, {"Лист2", "1", "1", "0"}, {"Лист3", "1", "1", "0"}}));
    EXPECT_EQ(f.rows("SELECT Auther, Company FROM T_XlBook"), (Rows{{"evgeniy", "Ya Blondinko Edition"}}));
  }
}

TEST(ObjectInventory, BookRowCutsLongPropertiesAndKeepsDatesItCanRead) {
  AnalysisFixture f;
  OpenedBook b("60273.xls");
  f.options.ObjectLevel = 1;
  auto ctx = f.ctx();
  AnalysisOutcome out = runObjectInventory(ctx, *b.view);
  EXPECT_TRUE(out.messages.empty());
  auto r = f.rows("SELECT Title, Company, PrintDate, CreateDate FROM T_XlBook");
  ASSERT_EQ(r.size(), 1u);
  // 126 characters in the file, cut to 125.
  EXPECT_EQ(r[0][0],
            "Indicator 1.3: Percentage of Individuals with Employment Outcomes Who Were Competitively Employed: Fiscal "
            "Year 2007 (MS Excel");
  EXPECT_EQ(r[0][1], "U.S. Department of Education");
  EXPECT_EQ(r[0][2].substr(0, 10), "2006/12/05");
  EXPECT_EQ(r[0][3].substr(0, 10), "2003/12/18");
}

namespace {

FakeBook moduleSheetBook(const std::string& path) {
  FakeBook book;
  book.path = path;
  FakeSheet module{"Module1", {50, 5}, -1, 0, {{"$A$1", "=X()", "n", false, false}}};
  FakeSheet first{"Sheet1", {2, 3}, -1, 2, {{"$A$1", "=1/0", "", true, true}, {"$B$1", "x", "memo", false, false}}};
  FakeSheet last{"Data", {1, 1}, 2, 0, {{"$A$1", "=\"\"", "", false, true}}};
  book.sheets = {first, module, last, emptySheet("module2", 9, 9)};
  book.modules = {{100, "ThisWorkbook"}, {1, "Main"}, {2, "Klass"}, {3, "Form1"}, {100, "Sheet1"}};
  book.excelLinks = {"C:\\a.xls"};
  book.oleLinks = {"Excel.Sheet|x!r1c1"};
  return book;
}

}  // namespace

TEST(ObjectInventory, ModuleSheetsInTheMiddleAreLeftOutAndNumberingRunsOn) {
  AnalysisFixture f;
  TempDir dir;
  writeFile(dir.file("b.xls"), std::string(2048, 'x'));
  FakeBook book = moduleSheetBook(dir.file("b.xls"));
  f.options.ObjectLevel = 3;
  auto ctx = f.ctx();
  runObjectInventory(ctx, book);
  EXPECT_EQ(f.rows(kSheetSql), (Rows{
      {"1", "ﾜｰｸｼｰﾄ", "Sheet1", "2", "3", "2", "1", "2", "1", "-1", "1"},
      {"2", "ﾜｰｸｼｰﾄ", "Data", "1", "1", "0", "0", "0", "1", "2", "0"},
      {"3", "標準ﾓｼﾞｭｰﾙ", "Main", "", "", "", "", "", "", "", ""},
      {"4", "ｸﾗｽﾓｼﾞｭｰﾙ", "Klass", "", "", "", "", "", "", "", ""},
      {"5", "ﾌｫｰﾑﾓｼﾞｭｰﾙ", "Form1", "", "", "", "", "", "", "", ""}}));
  EXPECT_EQ(f.rows("SELECT LinkNo, LinkType, LinkMoto FROM T_XlLink ORDER BY LinkNo"),
            (Rows{{"1", "Excel", "C:\\a.xls"}, {"2", "OLE", "Excel.Sheet|x!r1c1"}}));
  EXPECT_EQ(f.rows("SELECT FileSize FROM T_XlBook"), (Rows{{"2"}}));
  // Two walked sheets: 88/2*i + 8 rounded.
  EXPECT_EQ(f.progress.gauge, (std::vector<long>{0, 5, 8, 52, 96, 96, 100}));
  EXPECT_EQ(f.progress.status, (std::vector<std::string>{"Book 情報　取得中", "リンク情報　取得中", "セル情報　取得中",
                                                          "ﾓｼﾞｭｰﾙ情報　取得中", "終了しました"}));
}

TEST(ObjectInventory, MissingPrintOrCreationDateAndOtherPropertyErrors) {
  TempDir dir;
  writeFile(dir.file("b.xls"), "x");
  FakeBook book = moduleSheetBook(dir.file("b.xls"));
  book.properties = {{10, "2001/02/03"}, {11, "2000/01/01"}, {18, "Cat"}, {29, "http://h/"}};
  {
    // Never printed, saved by Excel 97: no message, and the creation date is kept.
    AnalysisFixture f;
    f.options.ObjectLevel = 1;
    book.propertyErrors = {{10, err::Automation}};
    auto ctx = f.ctx();
    AnalysisOutcome out = runObjectInventory(ctx, book);
    EXPECT_TRUE(out.messages.empty());
    EXPECT_EQ(f.rows("SELECT PrintDate, CreateDate, Category FROM T_XlBook"), (Rows{{"", "2000/01/01", "Cat"}}));
  }
  {
    // Saved by another version and lacking a date: the message, the other date still kept.
    AnalysisFixture f;
    f.options.ObjectLevel = 1;
    book.otherVersion = true;
    book.propertyErrors = {{11, err::Automation}};
    auto ctx = f.ctx();
    AnalysisOutcome out = runObjectInventory(ctx, book);
    EXPECT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(f.rows("SELECT PrintDate, CreateDate, Category, Hyperlink FROM T_XlBook"),
              (Rows{{"2001/02/03", "", "Cat", "http://h/"}}));
  }
  {
    AnalysisFixture f;
    f.options.ObjectLevel = 1;
    book.propertyErrors = {{10, 5}};
    auto ctx = f.ctx();
    EXPECT_THROW(runObjectInventory(ctx, book), VbError);
    EXPECT_EQ(f.flags.fObj, 0);
  }
}

TEST(ObjectInventory, AFailedRunClearsTheDoneFlagAndKeepsItsRows) {
  AnalysisFixture f;
  TempDir dir;
  writeFile(dir.file("b.xls"), "x");
  FakeBook book = moduleSheetBook(dir.file("b.xls"));
  book.sheets[2].failWhenRead = true;  // "Data", the second walked sheet
  f.options.ObjectLevel = 3;
  f.flags.fObj = 2;
  auto ctx = f.ctx();
  try {
    runObjectInventory(ctx, book);
    FAIL() << "expected the sheet's error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 1004);
  }
  EXPECT_EQ(f.flags.fObj, 0);
  EXPECT_EQ(f.rows("SELECT objectName FROM T_XlObject"), (Rows{{"Sheet1"}}));
  // The same level again is not skipped.
  f.options.ObjectLevel = 2;
  book.sheets[2].failWhenRead = false;
  EXPECT_TRUE(runObjectInventory(ctx, book).ran);
}

TEST(ObjectInventory, CountsPast16BitsAreStoredWhole) {
  AnalysisFixture f;
  TempDir dir;
  writeFile(dir.file("b.xls"), "x");
  FakeBook book;
  book.path = dir.file("b.xls");
  FakeSheet big = emptySheet("Big", 40000, 2);
  for (int i = 0; i < 40000; ++i) {
    big.cells.push_back({"$A$" + std::to_string(i + 1), "=1/0", "note", true, true});
    big.cells.push_back({"$B$" + std::to_string(i + 1), "7", "", false, false});
  }
  book.sheets = {big};
  f.options.ObjectLevel = 3;
  auto ctx = f.ctx();
  runObjectInventory(ctx, book);
  EXPECT_EQ(f.rows("SELECT Row, CellCount, ErrCount, CalCount, ComentCount FROM T_XlObject"),
            (Rows{{"40000", "80000", "40000", "40000", "40000"}}));
}
