// A result file named on the command line: a good file restores the saved analyses' previews;
// a bad one is reported and leaves the window in the no-workbook state.
#include "window_fixture.h"

#include "core/result_store.h"
#include "app/saved_result.h"

#include <QAction>
#include <QComboBox>

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
    for (const char* name : kPreviews) EXPECT_FALSE(enabled(w, name)) << name;
    for (const char* name : {"cmdHyousi0", "cmdHyousi1", "cmdHyousi2"}) EXPECT_FALSE(enabled(w, name)) << name;
    for (const char* name : {"m1b", "m1c", "m6"}) EXPECT_TRUE(w.findChild<QAction*>(name)->isEnabled()) << name;
    EXPECT_TRUE(checked(w, "optObject1"));
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
    EXPECT_TRUE(enabled(*w, name)) << name;
  // The other previews, and the analysis commands (there is no workbook), stay off.
  for (const char* name : {"cmdPPre", "cmdNPre", "cmdSPre", "cmdFPre", "cmdCOPre", "cmdMSPre", "cmdADPre", "cmdObject",
                           "cmdKansu", "cmdSave"})
    EXPECT_FALSE(enabled(*w, name)) << name;

  for (const char* name : {"optObject2", "optCell0", "optSSelect1", "optModule3", "optMPrint0"})
    EXPECT_TRUE(checked(*w, name)) << name;
  EXPECT_TRUE(child<QComboBox>(*w, "cboSheet2")->isEnabled());

  const std::pair<const char*, const char*> boxes[] = {{"txtTitle", "仕様書"}, {"txtSystem", "販売管理"},
      {"txtCompany", "亀屋"}, {"txtBumon", "開発部"}, {"txtAuther", "山田"}, {"txtDate", "2026/12/07"}};
  for (const auto& [name, want] : boxes) EXPECT_EQ(text(*w, name), want) << name;
  for (const char* name : {"m1b", "m1c", "m6"}) EXPECT_FALSE(w->findChild<QAction*>(name)->isEnabled()) << name;
  EXPECT_TRUE(w->findChild<QAction*>("m1a")->isEnabled());

  // The previews read the result file, with the restored options.
  for (const char* name : {"cmdOPre", "cmdMPre", "cmdHensuT"}) click(*w, name);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].dbPath, path);
  EXPECT_EQ(reports[0].name, "R_XlObject");
  EXPECT_EQ(reports[0].mode, 0);
  EXPECT_EQ(reports[1].name, "R_SourceList1");
  EXPECT_EQ(reports[2].name, "R_XlHensuT");

  // The cover is written to Analyze.mdb and shown from there, with the boxes as they stand.
  click(*w, "cmdHyousi0");
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[3].name, "R_XlHyousi");
  EXPECT_EQ(reports[3].dbPath, w->paths().DbPath);

  // Leaving does not touch the result file's own row.
  w->m1z_Click();
  auto again = readSavedResult(path, nullptr);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->flags.fObj, 3);
}

TEST_F(ResultFileTest, QuotedArgumentLosesOnlyItsQuotesAndLinkSearchRowsShowInTheCellPreview) {
  DoneFlags f;
  f.fFil = 3;
  std::string path = makeResultFile(f, 2);
  {
    ResultDb db(path);
    db.exec("INSERT INTO T_XlCalc (Label, SheetMei, objectNo, StCell, CalcName) "
            "VALUES (9, 'Sheet1', 1, 'A1', '=[other.xls]Sheet1!$A$1')");
  }
  auto w = started("  \"" + path + "\"  ");
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(w->reportDbPath(), path);
  EXPECT_TRUE(enabled(*w, "cmdFPre"));
  EXPECT_TRUE(checked(*w, "optFile2"));
  EXPECT_FALSE(checked(*w, "optFile0"));
  EXPECT_EQ(w->options().FileOption, 3);
  ASSERT_TRUE(enabled(*w, "cmdCPre"));
  click(*w, "cmdCPre");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].name, "R_XlCalc");
}

// Which files are refused is checked with the result-file reader; here what the window does:
// the common error report at start-up, the same box the load menu shows with its own place.
TEST_F(ResultFileTest, BadFilesAreReportedAsTheLoadMenuReportsThem) {
  DoneFlags outOfRange;
  outOfRange.fObj = 7;
  writeFile(files.file("text.xdb"), std::string(4096, 'z'));
  const std::string startup = "場所:起動時", load = "場所:読込";
  for (const std::string& path : {files.file("none.xdb"), files.file("text.xdb"), makeResultFile(outOfRange, 2)}) {
    SCOPED_TRACE(path);
    sink.shown.clear();
    auto w = makeWindow(path);
    EXPECT_TRUE(w->Form_Load());
    ASSERT_EQ(sink.shown.size(), 1u);
    const std::string text = sink.shown[0].text;
    ASSERT_EQ(text.rfind(startup + "ｴﾗｰNo:3000\r場所、ｴﾗｰNo、内容を控えメールをお願いします。\r内容:" + path + ": ", 0), 0u)
        << text;
    expectNoWorkbookState(*w);

    openChoice = path;
    w->m1c_Click();
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[1].text, load + text.substr(startup.size()));
    EXPECT_EQ(sink.shown[1].caption, sink.shown[0].caption);
    EXPECT_EQ(sink.shown[1].buttons, sink.shown[0].buttons);
    expectNoWorkbookState(*w);
    w->m1z_Click();
  }
}

}  // namespace
}  // namespace zel::test
