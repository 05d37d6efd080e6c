// Opening a workbook from the window: export of the macro modules, the sheet lists, the
// header boxes, the enabled commands; refused and unreadable files; an analysis run after it.
#include "window_fixture.h"

#include "core/profile_file.h"
#include "core/vbstring.h"
#include "support/vba_builder.h"
#include "report/qt_text_measurer.h"
#include "report/report_document.h"
#include "xls/vba/vba_project.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QTimer>
#include <cstdlib>

namespace fs = std::filesystem;

namespace zel::test {
namespace {

std::vector<std::string> items(frmZelvarin& w, const char* combo) {
  std::vector<std::string> out;
  auto* c = w.findChild<QComboBox*>(combo);
  for (int i = 0; i < c->count(); ++i) out.push_back(c->itemText(i).toStdString());
  return out;
}

TEST_F(WindowTest, OpeningExportsModulesFillsListsAndEnablesTheAnalyses) {
  auto w = windowWith("SimpleMacro.xls");
  ASSERT_EQ(dialogCalls.size(), 1u);
  EXPECT_EQ(dialogCalls[0].filter, "Excel(*.xls *.xla *.xlsm *.xlsx *.xlam *.xltm *.xltx)");
  EXPECT_EQ(dialogCalls[0].title, "Excel ファイルの選択");
  EXPECT_EQ(dialogCalls[0].folder, QDir::homePath().toStdString());  // nothing remembered: home, not the program folder

  EXPECT_EQ(openName(*w), openChoice);
  EXPECT_EQ(w->XlOwned(), 1);
  EXPECT_EQ(w->AcMode(), 1);
  const std::string temp = w->paths().TempPath;
  for (const char* f : {"Module1.bas", "Sheet1.sht", "Sheet2.sht", "Sheet3.sht", "ThisWorkbook.bok"})
    EXPECT_TRUE(fs::exists(temp + f)) << f;
  EXPECT_EQ(items(*w, "cboSheet"), (std::vector<std::string>{"Sheet1", "Sheet2", "Sheet3"}));
  EXPECT_EQ(items(*w, "cboSheet2"), items(*w, "cboSheet"));
  EXPECT_FALSE(child<QComboBox>(*w, "cboSheet2")->isEnabled());

  for (const char* name : {"cmdObject", "cmdCell", "cmdKansu", "cmdModule", "cmdXlShape", "cmdSheet", "cmdTimeCheck",
                           "cmdSave", "cmdHyousi0", "cmdHyousi1", "cmdHyousi2", "cmdModStep", "cmdHensu", "cmdName",
                           "cmdFile", "cmdComment", "cmdInyoSaki", "cmdLinkMoto", "cmdAddin"})
    EXPECT_TRUE(enabled(*w, name)) << name;
  for (const char* name : {"cmdOPre", "cmdCPre", "cmdPPre", "cmdMPre", "cmdHensuU", "cmdHensuT", "cmdHensuH"})
    EXPECT_FALSE(enabled(*w, name)) << name;

  EXPECT_EQ(text(*w, "txtTitle"), "プログラム仕様書");
  EXPECT_EQ(text(*w, "txtZoom"), "100");
  EXPECT_EQ(QString::fromStdString(text(*w, "txtDate")), QDate::currentDate().toString("yyyy/MM/dd"));
  // The picture of the window in the README.
  if (const char* shot = std::getenv("ZEL_WINDOW_SCREENSHOT")) w->grab().save(QString::fromLocal8Bit(shot));

  // Exit: the exported files go, the workbook's folder and the recent list are kept.
  w->m1z_Click();
  EXPECT_FALSE(fs::exists(temp + "Module1.bas"));
  EXPECT_EQ(getPrivateProfileString("DEF", "Folder", "x", w->paths().IniPath), books.str());
  EXPECT_EQ(getPrivateProfileString("RECENT", "RecentFile1", "x", w->paths().IniPath), openChoice);
}

TEST_F(WindowTest, ProcedureListRunsOnTheExportedModuleAndOpensItsReport) {
  auto w = windowWith("SimpleMacro.xls");
  w->cmdKansu_Click();
  ASSERT_TRUE(sink.shown.empty()) << sink.shown[0].text;
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].name, "R_ModuleList");
  EXPECT_EQ(reports[0].dbPath, w->paths().DbPath);
  EXPECT_TRUE(enabled(*w, "cmdPPre"));
  EXPECT_EQ(w->doneFlags().fPrc, 2);
  EXPECT_EQ(text(*w, "txtMesege"), "印刷後、印刷ﾌﾟﾚﾋﾞｭｰを終了して下さい。");
  auto* timer = w->findChild<QTimer*>("Timer1");
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 5000);
  EXPECT_TRUE(w->isEnabled());
  ResultDb db(w->paths().DbPath, ResultDb::Mode::ReadOnly);  // the rows themselves are checked with the analysis
  EXPECT_EQ(db.query("SELECT objectName FROM T_XlProcName WHERE objectName = 'Module1.bas'").size(), 1u);
}

TEST_F(WindowTest, CoverButtonStoresTheHeaderBoxesAndOpensItsReport) {
  auto w = windowWith("SimpleMacro.xls");
  child<QLineEdit>(*w, "txtTitle")->setText(QString(200, QChar(u'仕')));
  setText(*w, "txtAuther", " 山田  ");
  click(*w, "cmdHyousi1");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].name, "R_XlHyousiH");
  ResultDb db(w->paths().DbPath, ResultDb::Mode::ReadOnly);
  auto rows = db.query("SELECT SysTitle, Auther FROM T_XlHyousi");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(vb::len(dbValueText(rows[0][0])), 150);
  EXPECT_EQ(dbValueText(rows[0][1]), " 山田");
}

TEST_F(WindowTest, EveryReportKindShowsTheHeaderTextsOfTheWorkbookOpenNow) {
  auto w = windowWith("SimpleMacro.xls");
  setText(*w, "txtSystem", "システムA");
  setText(*w, "txtAuther", "作成者A");
  click(*w, "cmdHyousi0");
  openChoice = copyToBooks("SimpleMacro.xls", "Second.xls");
  w->m1a_Click();
  setText(*w, "txtSystem", "システムB");
  setText(*w, "txtAuther", "作成者B");
  reports.clear();
  w->cmdKansu_Click();
  w->cmdName_Click();
  for (const char* b : {"cmdHyousi0", "cmdHyousi1", "cmdHyousi2"}) click(*w, b);
  ASSERT_TRUE(sink.shown.empty()) << sink.shown[0].text;
  std::vector<std::string> names;
  for (const ReportCall& call : reports) {
    names.push_back(call.name);
    auto doc = report::ReportDocument::open(call.dbPath, call.name, report::sharedMeasurer(), &call.header);
    std::string all;
    for (const auto& t : doc->page(0).texts) all += t.text;
    EXPECT_NE(all.find("システムB"), std::string::npos) << call.name;
    EXPECT_EQ(all.find("システムA"), std::string::npos) << call.name;
    EXPECT_EQ(all.find("作成者A"), std::string::npos) << call.name;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"R_ModuleList", "R_XlName", "R_XlHyousi", "R_XlHyousiH", "R_XlHyousiW"}));

  w->cmdTimeCheck_Click();  // the estimate's box has a caption of its own
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].caption, "Zelvarin");
}

TEST_F(WindowTest, SheetModulesAloneLeaveTheModuleCommandsOff) {
  auto w = windowWith("WithCheckBoxes.xls");
  EXPECT_TRUE(fs::exists(w->paths().TempPath + "Sheet1.sht"));
  for (const char* name : {"cmdKansu", "cmdModule", "cmdModStep", "cmdHensu"}) EXPECT_FALSE(enabled(*w, name)) << name;
  for (const char* name : {"cmdObject", "cmdComment", "cmdInyoSaki"}) EXPECT_TRUE(enabled(*w, name)) << name;
}

TEST_F(WindowTest, CancelOrAnotherKindOfFileChangesNothingAndCapitalXlsOpens) {
  auto w = started();
  openChoice = "";
  w->m1a_Click();
  openChoice = copyToBooks("SimpleMacro.xls", "notes.txt");
  w->m1a_Click();
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_TRUE(openName(*w).empty());
  EXPECT_FALSE(enabled(*w, "cmdObject"));
  EXPECT_EQ(w->XlOwned(), 0);

  openChoice = copyToBooks("SimpleMacro.xls", "SIMPLE.XLS");
  w->m1a_Click();
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(w->XlOwned(), 1);
  // A later cancel keeps that workbook open and its commands usable.
  openChoice = "";
  w->m1a_Click();
  EXPECT_EQ(openName(*w), books.file("SIMPLE.XLS"));
  EXPECT_TRUE(enabled(*w, "cmdObject"));
}

TEST_F(WindowTest, UnreadableWorkbookIsReportedAndLeavesNoWorkbookOpen) {
  auto w = started();
  openChoice = books.file("broken.xls");
  writeFile(openChoice, std::string(3000, 'x'));
  w->m1a_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  // The reason is given in Japanese with what the user can do.
  EXPECT_EQ(sink.shown[0].text, "場所:ファイル選択ｴﾗｰNo:1004\r場所とｴﾗｰNoを控えメールをお願いします。\r内容:"
                                "'broken.xls' は Excel のブックではありません。Excel のブック (*.xls, *.xlsx, *.xlsm など) を選択して下さい。");
  EXPECT_TRUE(openName(*w).empty());
  EXPECT_EQ(w->XlOwned(), 0);
  EXPECT_FALSE(enabled(*w, "cmdObject"));
  EXPECT_TRUE(w->isEnabled());
  EXPECT_FALSE(w->exiting());

  openChoice = copyToBooks("password.xls");
  w->m1a_Click();
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_NE(sink.shown[1].text.find("内容:'password.xls' は読み取りパスワードで保護されているため開けません。Excel でパスワードを解除"),
            std::string::npos)
      << sink.shown[1].text;
}

// A second workbook leaves nothing of the first in the export folder, and opening from the
// recent list offers none of the earlier workbook's previews.
TEST_F(WindowTest, ASecondWorkbookKeepsNothingOfTheFirst) {
  std::string book = copyToBooks("SimpleMacro.xls");
  writeFile(dir.file("Zelvarin.ini"), "[RECENT]\r\nRecentFile1=" + book + "\r\n");
  auto w = started();
  openChoice = book;
  w->m1a_Click();
  const std::string temp = w->paths().TempPath;
  ASSERT_TRUE(fs::exists(temp + "Module1.bas"));
  openChoice = copyToBooks("TwoSheetsOneHidden.xls");
  w->m1a_Click();
  ASSERT_TRUE(sink.shown.empty()) << sink.shown[0].text;
  EXPECT_EQ(openName(*w), openChoice);
  EXPECT_TRUE(fs::is_empty(temp));  // no macro project: nothing of the first workbook remains

  w->cmdObject_Click();
  w->cmdName_Click();
  ASSERT_TRUE(enabled(*w, "cmdOPre") && enabled(*w, "cmdNPre"));
  child<QAbstractButton>(*w, "cmdISPre")->setEnabled(true);  // as the cross-reference would leave it
  sink.shown.clear();
  dialogCalls.clear();
  w->findChild<QAction*>("RecentFile0")->trigger();
  ASSERT_TRUE(sink.shown.empty()) << sink.shown[0].text;
  EXPECT_TRUE(dialogCalls.empty());
  EXPECT_EQ(openName(*w), book);
  // The tables still hold the earlier workbook's rows: none of its previews stays offered.
  for (const char* name : {"cmdOPre", "cmdNPre", "cmdISPre"}) EXPECT_FALSE(enabled(*w, name)) << name;
  EXPECT_TRUE(enabled(*w, "cmdKansu"));
}

TEST_F(WindowTest, SheetPrintChecksTheZoomAndLaterAnalysesReopenTheWorkbook) {
  auto w = windowWith("SimpleMacro.xls");
  setText(*w, "txtZoom", "abc");
  w->cmdSheet_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("場所:シート印刷ｴﾗｰNo:13\r", 0), 0u) << sink.shown[0].text;
  sink.shown.clear();
  setText(*w, "txtZoom", "１００");
  w->cmdSheet_Click();
  EXPECT_TRUE(sink.shown.empty()) << sink.shown[0].text;
  // The print changed the open workbook; the next analysis reopens it and still runs.
  w->cmdKansu_Click();
  EXPECT_TRUE(sink.shown.empty()) << sink.shown[0].text;
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back().name, "R_ModuleList");
}

TEST_F(WindowTest, FailedRunLeavesItsPreviewOff) {
  auto w = windowWith("multibookFormulaA.xls");  // links to a workbook that is not beside it
  w->optFile_Click(1);
  child<QAbstractButton>(*w, "cmdFPre")->setEnabled(true);  // as an earlier run would leave it
  w->cmdFile_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("場所:ファイル一覧ｴﾗｰNo:53\r", 0), 0u) << sink.shown[0].text;
  EXPECT_FALSE(enabled(*w, "cmdFPre"));
  EXPECT_TRUE(w->isEnabled());
}

TEST_F(WindowTest, LockedProjectShowsItsMessageThenTheExitConfirmation) {
  openChoice = books.file("locked.xls");
  writeMacroWorkbook(openChoice, lockedProject());
  auto w = started();
  sink.answers = {MsgAnswer::Ok, MsgAnswer::Cancel};  // the message, then Cancel in "終了します。"
  w->m1a_Click();
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_EQ(sink.shown[0].text, xls::vba::kProjectLockedMessage);
  EXPECT_EQ(sink.shown[1].text, "終了します。");
  EXPECT_FALSE(w->exiting());  // Cancel keeps the program running, with no workbook open
  EXPECT_TRUE(openName(*w).empty());
  EXPECT_FALSE(enabled(*w, "cmdKansu"));
  EXPECT_TRUE(fs::is_empty(w->paths().TempPath));
}

}  // namespace
}  // namespace zel::test
