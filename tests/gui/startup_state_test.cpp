// The window after start-up without arguments: every control with its caption, the
// no-workbook enabled states, the default options, the hidden gauge, the menus.
#include "window_fixture.h"

#include "app/gauge_line.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>

namespace zel::test {
namespace {

struct Caption {
  const char* name;
  const char* text;
};

const Caption kButtons[] = {
    {"cmdHyousi0", "表　紙"},       {"cmdHyousi1", "ラベル(縦)"},      {"cmdHyousi2", "ラベル(横)"},
    {"cmdSave", "登　　　録"},       {"cmdObject", "オブジェクト一覧"}, {"cmdCell", "セル情報リスト"},
    {"cmdKansu", "プロシージャ一覧"}, {"cmdModule", "モジュールリスト"}, {"cmdXlShape", "図形一覧"},
    {"cmdHensu", "変数情報取得"},     {"cmdHensuU", "定 義 型 一 覧"},   {"cmdHensuT", "定　数　一　覧"},
    {"cmdHensuH", "変　数　一　覧"},  {"cmdName", "名前一覧"},           {"cmdSheet", "シート印刷"},
    {"cmdFile", "ファイル一覧"},      {"cmdComment", "コメント一覧"},     {"cmdModStep", "ﾓｼﾞｭｰﾙ･ｽﾃｯﾌﾟ"},
    {"cmdAddin", "アドイン一覧"},     {"cmdInyoSaki", "引用先一覧"},      {"cmdLinkMoto", "リンク先セル　検索"},
    {"cmdTimeCheck", "処理時間　事前確認"},
};

const char* const kPreviewButtons[] = {"cmdOPre", "cmdCPre",  "cmdPPre",  "cmdMPre",  "cmdNPre", "cmdSPre",
                                       "cmdFPre", "cmdCOPre", "cmdMSPre", "cmdADPre", "cmdISPre"};

const Caption kOptions[] = {
    {"optObject0", "ブック情報"},       {"optObject1", "ｵﾌﾞｼﾞｪｸﾄ情報(簡易)"}, {"optObject2", "ｵﾌﾞｼﾞｪｸﾄ情報(詳細)"},
    {"optCell0", "計算式"},             {"optCell1", "コメント"},              {"optCell2", "両方該当"},
    {"optSSelect0", "全てのシート"},    {"optSSelect1", "選択したシート"},     {"optProc0", "ﾌﾟﾛｼｰｼﾞｬ一覧(簡易)"},
    {"optProc1", "ﾌﾟﾛｼｰｼﾞｬ一覧(詳細)"}, {"optModule0", "標準"},                {"optModule1", "クラス"},
    {"optModule2", "フォーム"},         {"optModule3", "　ブック"},            {"optModule4", "　シート"},
    {"optModule5", "　全　て"},         {"optMPrint0", "１列"},                {"optMPrint1", "２列"},
    {"optShape0", "　マクロ"},          {"optShape1", "　全　て"},             {"optShape2", "　全て(ｺﾒﾝﾄ除く)"},
    {"optFile0", "同一ﾌｫﾙﾀﾞ(関連)"},    {"optFile1", "ﾘﾝｸ元参照"},             {"optFile2", "同一ﾌｫﾙﾀﾞ(全て)"},
    {"chkProc50", "五十音順"},          {"chkMod50", "五十音順"},
};

const char* const kSelectedAtStart[] = {"optObject1", "optCell2", "optSSelect0", "optProc1",
                                        "optModule0", "optMPrint1", "optShape0", "optFile0"};

const char* const kFrames[] = {"表紙",     "オブジェクト情報", "セル情報", "プロシージャ一覧", "モジュール情報",
                               "図形情報", "変数情報",         "その他",   "印刷種別",         "ファイル情報"};

const Caption kLabels[] = {{"lblTitle", "タイトル："}, {"lblCompany", "会社名："}, {"lblBumon", "部署名："},
                           {"lblAuther", "作成者："},   {"lblDate", "作成日："},    {"lblSystem", "ｼｽﾃﾑ名："},
                           {"lblZoom", "ズーム"},       {"lblXlsFile", "xls File :"}};

TEST_F(WindowTest, StartupShowsEveryControlWithItsCaptionInTheNoWorkbookState) {
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  EXPECT_EQ(w->windowTitle().toStdString(), "Zelvarin97 Ver 1.1");
  EXPECT_EQ(w->objectName(), "frmZelvarin");
  EXPECT_TRUE(sink.shown.empty());

  for (const Caption& c : kButtons) {
    auto* b = child<QAbstractButton>(*w, c.name);
    ASSERT_NE(b, nullptr) << c.name;
    EXPECT_EQ(b->text().toStdString(), c.text) << c.name;
    EXPECT_FALSE(b->isEnabled()) << c.name;
  }
  for (const char* name : kPreviewButtons) {
    auto* b = child<QAbstractButton>(*w, name);
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->text().toStdString(), "ﾌﾟﾚﾋﾞｭｰ") << name;
    EXPECT_FALSE(b->isEnabled()) << name;
  }
  for (const Caption& c : kOptions) {
    auto* b = child<QAbstractButton>(*w, c.name);
    ASSERT_NE(b, nullptr) << c.name;
    EXPECT_EQ(b->text().toStdString(), c.text) << c.name;
    EXPECT_TRUE(b->isEnabled()) << c.name;
  }
  int checked = 0;
  for (const Caption& c : kOptions) checked += child<QAbstractButton>(*w, c.name)->isChecked() ? 1 : 0;
  EXPECT_EQ(checked, static_cast<int>(std::size(kSelectedAtStart)));
  for (const char* name : kSelectedAtStart) EXPECT_TRUE(child<QAbstractButton>(*w, name)->isChecked()) << name;

  std::vector<std::string> frames;
  for (QGroupBox* g : w->findChildren<QGroupBox*>()) frames.push_back(g->title().toStdString());
  for (const char* f : kFrames) EXPECT_NE(std::find(frames.begin(), frames.end(), f), frames.end()) << f;
  for (const Caption& c : kLabels) {
    auto* l = child<QLabel>(*w, c.name);
    ASSERT_NE(l, nullptr) << c.name;
    EXPECT_EQ(l->text().toStdString(), c.text) << c.name;
  }
  for (const char* name : {"txtTitle", "txtSystem", "txtCompany", "txtBumon", "txtAuther", "txtDate", "txtZoom"})
    EXPECT_TRUE(child<QLineEdit>(*w, name)->isEnabled()) << name;
  for (const char* name : {"cboSheet", "cboLinkMoto", "cboSheet2"}) ASSERT_NE(child<QComboBox>(*w, name), nullptr);
  EXPECT_FALSE(child<QComboBox>(*w, "cboSheet2")->isEnabled());
  EXPECT_TRUE(child<QLineEdit>(*w, "txtMesege")->text().isEmpty());
  EXPECT_TRUE(child<QLabel>(*w, "lblDBName")->text().isEmpty());

  auto* gauge = child<GaugeLine>(*w, "linGuage");
  ASSERT_NE(gauge, nullptr);
  EXPECT_TRUE(gauge->isHidden());
  EXPECT_EQ(gauge->X2(), 0.0);

  const AnalysisOptions& o = w->options();
  EXPECT_EQ(o.CellOption, 3);
  EXPECT_EQ(o.ModuleKind, 1);
  EXPECT_EQ(o.ObjectLevel, 2);
  EXPECT_EQ(o.ProcLevel, 2);
  EXPECT_EQ(o.ShapeOption, 1);
  EXPECT_EQ(o.ColumnOption, 2);
  EXPECT_EQ(o.FileOption, 1);
  EXPECT_EQ(o.SheetScope, 1);
  EXPECT_EQ(w->AcMode(), 0);
  EXPECT_EQ(w->XlOwned(), 0);
  // The header defaults come from the seeded Zelvarin.dat.
  EXPECT_EQ(w->datValues().DatTitle, "プログラム仕様書");
  EXPECT_EQ(w->datValues().DatZoom, "100");
}

TEST_F(WindowTest, MenuBarHoldsTheFileMenuWithExitAndHiddenEmptyRecentEntries) {
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  std::vector<std::string> top;
  for (QAction* a : w->menuBar()->actions()) top.push_back(a->text().toStdString());
  EXPECT_EQ(top, (std::vector<std::string>{"ファイル", "設定", "スクリーンセーバー", "ヘルプ", "アバウト"}));
  auto* m1z = w->findChild<QAction*>("m1z");
  ASSERT_NE(m1z, nullptr);
  EXPECT_EQ(m1z->text().toStdString(), "終了");
  EXPECT_EQ(w->findChild<QAction*>("m1a")->text().toStdString(), "解析ファイルの選択");
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(w->findChild<QAction*>(QStringLiteral("RecentFile%1").arg(i))->isVisible());
  for (const char* name : {"m1a", "m1b", "m1c", "m6"}) EXPECT_TRUE(w->findChild<QAction*>(name)->isEnabled()) << name;
}

TEST_F(WindowTest, StartupCreatesTheResultDatabaseWithEveryTable) {
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  ResultDb db(w->paths().DbPath, ResultDb::Mode::ReadOnly);
  for (const char* t : {"T_XlSaveFlag", "T_XlTitle", "T_XlProcName", "T_XlSource", "T_XlLinkModule"})
    EXPECT_TRUE(db.hasTable(t)) << t;
  EXPECT_TRUE(std::filesystem::is_directory(w->paths().TempPath));
}

TEST_F(WindowTest, RecentEntriesAndWindowPositionComeFromTheIniFile) {
  writeFile(dir.file("Zelvarin.ini"),
            "[POS]\r\nT=1500\r\nL=3000\r\n[RECENT]\r\nRecentFile1=/data/a.xls\r\nRecentFile2=0\r\n"
            "RecentFile3=/data/c.xls\r\n");
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  EXPECT_EQ(w->findChild<QAction*>("RecentFile0")->text().toStdString(), "/data/a.xls");
  EXPECT_TRUE(w->findChild<QAction*>("RecentFile0")->isVisible());
  EXPECT_FALSE(w->findChild<QAction*>("RecentFile1")->isVisible());
  EXPECT_TRUE(w->findChild<QAction*>("RecentFile2")->isVisible());
  EXPECT_FALSE(w->findChild<QAction*>("RecentFile3")->isVisible());
  // 1500 / 3000 twips at the screen's resolution.
  double tpp = 1440.0 / w->screen()->logicalDotsPerInchY();
  EXPECT_NEAR(w->y(), 1500 / tpp, 1.0);
  EXPECT_NEAR(w->x(), 3000 / tpp, 1.0);
}

}  // namespace
}  // namespace zel::test
