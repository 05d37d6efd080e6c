// Saving the results as a result file and loading one through the menu.
#include "window_fixture.h"

#include "core/result_store.h"
#include "app/saved_result.h"

#include <QAction>

namespace fs = std::filesystem;

namespace zel::test {
namespace {

class SaveLoadTest : public WindowTest {
 protected:
  // A started window whose open dialog will pick a copy of SimpleMacro.xls.
  std::unique_ptr<frmZelvarin> openBook() {
    auto w = started();
    openChoice = copyToBooks("SimpleMacro.xls");
    return w;
  }
};

TEST_F(SaveLoadTest, SaveWritesTheFlagRowAndACopyThenLoadRestoresThePreviews) {
  {
    auto w = openBook();
    w->m1b_Click();  // nothing open yet
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "ファイルの解析後、保存ください。");
    sink.shown.clear();
    w->m1a_Click();
    w->cmdKansu_Click();
    setText(*w, "txtSystem", "在庫管理");
    saveChoice = books.file("kekka");
    w->m1b_Click();
    ASSERT_EQ(sink.shown.size(), 1u) << sink.shown[0].text;
    EXPECT_EQ(sink.shown[0].text, "保存終了しました。");
    EXPECT_EQ(dialogCalls.back().title, "Zelvarinファイルの保存");
    EXPECT_FALSE(w->findChild<QAction*>("m1a")->isEnabled());
    EXPECT_FALSE(w->findChild<QAction*>("m1c")->isEnabled());
    EXPECT_TRUE(w->findChild<QAction*>("m1b")->isEnabled());
    w->m1z_Click();
  }
  const std::string saved = books.file("kekka.xdb");
  auto row = readSavedResult(saved, nullptr);
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(row->objName, "SimpleMacro.xls");
  EXPECT_EQ(row->flags.fPrc, 2);
  EXPECT_EQ(row->flags.fObj, 0);
  EXPECT_EQ(row->header.System, "在庫管理");
  {
    ResultDb db(saved, ResultDb::Mode::ReadOnly);
    EXPECT_EQ(db.query("SELECT * FROM T_XlProcName").size(), 1u);
  }

  sink.shown.clear();
  auto w = started();
  openChoice = saved;
  w->m1c_Click();
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(dialogCalls.back().title, "Zelvarinファイルの読込");
  EXPECT_TRUE(enabled(*w, "cmdPPre"));
  EXPECT_FALSE(enabled(*w, "cmdOPre"));
  EXPECT_EQ(text(*w, "txtSystem"), "在庫管理");
  reports.clear();
  click(*w, "cmdPPre");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].dbPath, saved);  // the loaded file's own rows
}

TEST_F(SaveLoadTest, LoadIsRefusedWithAWorkbookOpenAndReportsAFileWithoutRow) {
  auto w = openBook();
  std::string book = openChoice;
  std::string empty = books.file("empty.xdb");
  {
    ProgramPaths p = programPathsFor(books.str());
    p.DbPath = empty;
    openAnalyzeDb(p);  // every table, no T_XlSaveFlag row
  }
  openChoice = empty;
  w->m1c_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, "保存処理が失敗しています。");
  EXPECT_EQ(w->AcMode(), 0);
  EXPECT_TRUE(w->findChild<QAction*>("m1c")->isEnabled());

  openChoice = book;
  w->m1a_Click();
  sink.shown.clear();
  w->m1c_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, "解析ファイルが選択されておりますので処理出来ません。\r終了し再度本ソフトを起動お願いします。");
}

TEST_F(SaveLoadTest, FailedCopyIsReportedAndAnExistingFileNeedsConsent) {
  auto w = openBook();
  w->m1a_Click();
  ASSERT_TRUE(sink.shown.empty());

  saveChoice = books.file("missing-folder/r.xdb");
  w->m1b_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("場所:保存", 0), 0u) << sink.shown[0].text;
  EXPECT_TRUE(w->findChild<QAction*>("m1a")->isEnabled());  // nothing was saved

  sink.shown.clear();
  writeFile(books.file("old.xdb"), "keep me");
  saveChoice = books.file("old.XDB");
  sink.answers = {MsgAnswer::Cancel};
  w->m1b_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(readFile(books.file("old.xdb")), "keep me");
}

}  // namespace
}  // namespace zel::test
