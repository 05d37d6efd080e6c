// A result file named on the command line: a good file restores the saved analyses' previews;
// a bad one is reported and leaves the window in the no-workbook state.
#include "window_fixture.h"

#include "core/result_store.h"
#include "app/saved_result.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>

namespace zel::test {
namespace {

const char* const kPreviews[] = {"cmdOPre", "cmdCPre", "cmdPPre",  "cmdMPre",   "cmdNPre",   "cmdSPre",  "cmdFPre",
                                 "cmdCOPre", "cmdMSPre", "cmdADPre", "cmdISPre", "cmdHensuU", "cmdHensuT", "cmdHensuH"};

class ResultFileTest : public WindowTest {
 protected:
  // A result database with one T_XlSaveFlag row.
  std::string makeResultFile(const DoneFlags& flags, int mSs, const std::string& name = "result file.xdb") {
    ProgramPaths p = programPathsFor(files.str());
    p.DbPath = files.file(name);
    ResultDb db = openAnalyzeDb(p);
    HeaderTexts h{"仕様書", "販売管理", "亀屋", "開発部", "山田", "2026/12/07"};
    writeSaveFlagRow(db, "Book1.xls", flags, mSs, h);
    return p.DbPath;
  }

  void expectNoWorkbookState(frmZelvarin& w) {
    EXPECT_EQ(w.AcMode(), 0);
    for (const char* name : kPreviews) EXPECT_FALSE(child<QAbstractButton>(w, name)->isEnabled()) << name;
    for (const char* name : {"cmdHyousi0", "cmdHyousi1", "cmdHyousi2"})
      EXPECT_FALSE(child<QAbstractButton>(w, name)->isEnabled()) << name;
    for (const char* name : {"m1b", "m1c", "m6"}) EXPECT_TRUE(w.findChild<QAction*>(name)->isEnabled()) << name;
    EXPECT_TRUE(child<QAbstractButton>(w, "optObject1")->isChecked());
  }

  TempDir files;
};

TEST_F(ResultFileTest, GoodFileEnablesThePreviewsOfItsAnalysesOnly) {
  DoneFlags f;
  f.fObj = 3, f.fCel = 1, f.mCs = 2, f.fSoc = 4, f.fDim = 1, f.fCrs = 1;
  std::string path = makeResultFile(f, 1);
  auto w = makeWindow(path);  // unquoted, with a blank in the name: taken whole
  ASSERT_TRUE(w->Form_Load());
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(w->AcMode(), 2);
  EXPECT_EQ(w->reportDbPath(), path);

  for (const char* name : {"cmdOPre", "cmdCPre", "cmdMPre", "cmdHensuU", "cmdHensuT", "cmdHensuH", "cmdISPre",
                           "cmdHyousi0", "cmdHyousi1", "cmdHyousi2"})
    EXPECT_TRUE(child<QAbstractButton>(*w, name)->isEnabled()) << name;
  for (const char* name : {"cmdPPre", "cmdNPre", "cmdSPre", "cmdFPre", "cmdCOPre", "cmdMSPre", "cmdADPre"})
    EXPECT_FALSE(child<QAbstractButton>(*w, name)->isEnabled()) << name;
  // The analysis commands stay off: there is no workbook.
  for (const char* name : {"cmdObject", "cmdKansu", "cmdSave"})
    EXPECT_FALSE(child<QAbstractButton>(*w, name)->isEnabled()) << name;

  EXPECT_TRUE(child<QAbstractButton>(*w, "optObject2")->isChecked());
  EXPECT_TRUE(child<QAbstractButton>(*w, "optCell0")->isChecked());
  EXPECT_TRUE(child<QAbstractButton>(*w, "optSSelect1")->isChecked());
  EXPECT_TRUE(child<QComboBox>(*w, "cboSheet2")->isEnabled());
  EXPECT_TRUE(child<QAbstractButton>(*w, "optModule3")->isChecked());
  EXPECT_TRUE(child<QAbstractButton>(*w, "optMPrint0")->isChecked());
  EXPECT_EQ(w->options().ObjectLevel, 3);
  EXPECT_EQ(w->options().ColumnOption, 1);
  EXPECT_EQ(w->doneFlags().fSoc, 4);

  const std::pair<const char*, const char*> boxes[] = {{"txtTitle", "仕様書"}, {"txtSystem", "販売管理"},
      {"txtCompany", "亀屋"}, {"txtBumon", "開発部"}, {"txtAuther", "山田"}, {"txtDate", "2026/12/07"}};
  for (const auto& [name, text] : boxes) EXPECT_EQ(child<QLineEdit>(*w, name)->text().toStdString(), text) << name;
  for (const char* name : {"m1b", "m1c", "m6"}) EXPECT_FALSE(w->findChild<QAction*>(name)->isEnabled()) << name;
  EXPECT_TRUE(w->findChild<QAction*>("m1a")->isEnabled());

  // The previews read the result file, with the restored options.
  child<QAbstractButton>(*w, "cmdOPre")->click();
  child<QAbstractButton>(*w, "cmdMPre")->click();
  child<QAbstractButton>(*w, "cmdHensuT")->click();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].dbPath, path);
  EXPECT_EQ(reports[0].name, "R_XlObject");
  EXPECT_EQ(reports[0].mode, 0);
  EXPECT_EQ(reports[1].name, "R_SourceList1");
  EXPECT_EQ(reports[2].name, "R_XlHensuT");

  // The cover is written to Analyze.mdb and shown from there, with the boxes as they stand.
  child<QAbstractButton>(*w, "cmdHyousi0")->click();
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[3].name, "R_XlHyousi");
  EXPECT_EQ(reports[3].dbPath, w->paths().DbPath);

  // Leaving does not touch the result file's own row.
  sink.answers = {MsgAnswer::Ok};
  w->m1z_Click();
  auto again = readSavedResult(path, nullptr);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->flags.fObj, 3);
}

TEST_F(ResultFileTest, LinkSearchRowsAreShownByTheCellPreview) {
  std::string path = makeResultFile(DoneFlags{}, 1);
  {
    ResultDb db(path);
    db.exec("INSERT INTO T_XlCalc (Label, SheetMei, objectNo, StCell, CalcName) "
            "VALUES (9, 'Sheet1', 1, 'A1', '=[other.xls]Sheet1!$A$1')");
  }
  auto w = makeWindow(path);
  ASSERT_TRUE(w->Form_Load());
  ASSERT_TRUE(child<QAbstractButton>(*w, "cmdCPre")->isEnabled());
  child<QAbstractButton>(*w, "cmdCPre")->click();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].name, "R_XlCalc");
}

TEST_F(ResultFileTest, QuotedArgumentLosesOnlyItsQuotes) {
  DoneFlags f;
  f.fFil = 3;
  std::string path = makeResultFile(f, 2);
  auto w = makeWindow("  \"" + path + "\"  ");
  ASSERT_TRUE(w->Form_Load());
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(w->reportDbPath(), path);
  EXPECT_TRUE(child<QAbstractButton>(*w, "cmdFPre")->isEnabled());
  EXPECT_TRUE(child<QAbstractButton>(*w, "optFile2")->isChecked());
  EXPECT_FALSE(child<QAbstractButton>(*w, "optFile0")->isChecked());
  EXPECT_EQ(w->options().FileOption, 3);
}

TEST_F(ResultFileTest, BadFilesAreReportedAndLeaveTheNoWorkbookState) {
  DoneFlags outOfRange;
  outOfRange.fObj = 7;
  DoneFlags cellsWithoutScope;
  cellsWithoutScope.fCel = 2;  // mCs stays 0
  struct Case {
    std::string what, path;
  } cases[] = {
      {"missing", files.file("none.xdb")},
      {"not a database", files.file("text.xdb")},
      {"no flag table", files.file("empty.xdb")},
      {"no row", files.file("norow.xdb")},
      {"flag out of range", makeResultFile(outOfRange, 2, "range.xdb")},
      {"column option out of range", makeResultFile(DoneFlags{}, 5, "column.xdb")},
      {"cell listing without scope", makeResultFile(cellsWithoutScope, 2, "scope.xdb")},
  };
  writeFile(files.file("text.xdb"), std::string(4096, 'z'));
  { ResultDb empty(files.file("empty.xdb")); empty.exec("CREATE TABLE Other (a)"); }
  {
    ResultDb norow(files.file("norow.xdb"));
    norow.exec("CREATE TABLE T_XlSaveFlag (ObjName TEXT, fObj INTEGER)");
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sink.shown.clear();
    auto w = makeWindow(c.path);
    EXPECT_TRUE(w->Form_Load());
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text.rfind("保存ファイルを開けません。\r" + c.path + "\r", 0), 0u) << sink.shown[0].text;
    expectNoWorkbookState(*w);
    w->m1z_Click();
  }
}

}  // namespace
}  // namespace zel::test
