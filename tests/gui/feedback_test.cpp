// Gauge, status timer, hints, Enter key, option handlers and the register button.
#include "window_fixture.h"

#include "core/dat_file.h"
#include "core/result_store.h"
#include "app/gauge_line.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QTimer>
#include <cstdlib>

namespace fs = std::filesystem;

namespace zel::test {
namespace {

TEST_F(WindowTest, GaugeRepaintsOnlyOnChangeAndTheTimerClearsIt) {
  auto w = started();
  w->show();
  auto* gauge = child<GaugeLine>(*w, "linGuage");
  auto* lblPer = child<QLabel>(*w, "lblPer");
  gauge->show();
  QApplication::processEvents();  // the window is exposed

  w->ShowGauge(50);
  int paints = gauge->paintCount();
  EXPECT_GT(paints, 0);  // drawn at once, without returning to the event loop
  for (int i = 0; i < 500; ++i) w->ShowGauge(50);
  EXPECT_EQ(gauge->paintCount(), paints);
  // The line is 2040 twips at 100 %, not clamped above it.
  const std::pair<int, double> steps[] = {{50, 1020.0}, {33, 673.2}, {100, 2040.0}, {120, 2448.0}};
  for (const auto& [percent, x2] : steps) {
    w->ShowGauge(percent);
    EXPECT_EQ(lblPer->text().toStdString(), std::to_string(percent) + "%");
    EXPECT_NEAR(gauge->X2(), x2, 1e-3) << percent;
  }
  EXPECT_GT(gauge->paintCount(), paints);

  // The status timer clears the status and the gauge once; the next command's 0 % is drawn again.
  auto* timer = w->findChild<QTimer*>("Timer1");
  EXPECT_TRUE(timer->isSingleShot());
  w->progress().setStatus("印刷後、印刷ﾌﾟﾚﾋﾞｭｰを終了して下さい。");
  timer->start(5000);
  w->Timer1_Timer();
  EXPECT_EQ(text(*w, "txtMesege"), "");
  EXPECT_TRUE(gauge->isHidden());
  EXPECT_EQ(gauge->X2(), 0.0);
  EXPECT_FALSE(timer->isActive());
  gauge->show();
  w->ShowGauge(0);
  EXPECT_EQ(lblPer->text().toStdString(), "0%");
}

TEST_F(WindowTest, HintsFollowTheMouseAndTheBackgroundClearsThem) {
  auto w = started();
  QEvent enter(QEvent::Enter);
  QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  // Each step: the event, the widget it goes to, the status text after it.
  const std::tuple<QEvent*, QWidget*, const char*> steps[] = {
      {&enter, child(*w, "cmdKansu"), "モジュールの一覧を印刷します。"},
      {&enter, child(*w, "cmdOPre"), "モジュールの一覧を印刷します。"},  // preview buttons have no hint
      {&move, w->centralWidget(), ""},
      {&enter, child(*w, "cmdHyousi2"), "表紙を印刷します。"},
      {&move, child(*w, "lblDBName"), ""}};
  for (const auto& [event, target, status] : steps) {
    QCoreApplication::sendEvent(target, event);
    EXPECT_EQ(text(*w, "txtMesege"), status) << target->objectName().toStdString();
  }
}

TEST_F(WindowTest, EnterMovesTheFocusToTheNextControl) {
  auto w = started();
  w->show();
  w->activateWindow();
  QApplication::setActiveWindow(w.get());
  auto* title = child<QLineEdit>(*w, "txtTitle");
  title->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), title);
  QWidget* expected = child(*w, "txtSystem");
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  QCoreApplication::sendEvent(title, &press);
  EXPECT_EQ(QApplication::focusWidget(), expected);
  // Other keys do not move it.
  QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  QCoreApplication::sendEvent(QApplication::focusWidget(), &letter);
  EXPECT_EQ(QApplication::focusWidget(), expected);
}

TEST_F(WindowTest, OptionChangesDisableOnlyTheirOwnPreview) {
  // Enable every preview through a result file, then change options one by one.
  TempDir files;
  ProgramPaths p = programPathsFor(files.str());
  p.DbPath = files.file("all.xdb");
  {
    ResultDb db = openAnalyzeDb(p);
    DoneFlags f{1, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    writeSaveFlagRow(db, "B.xls", f, 2, HeaderTexts{});
  }
  auto w = started(p.DbPath);
  ASSERT_TRUE(sink.shown.empty());
  ASSERT_TRUE(enabled(*w, "cmdOPre") && enabled(*w, "cmdCPre") && enabled(*w, "cmdMPre") && enabled(*w, "cmdFPre"));

  click(*w, "optMPrint0");
  click(*w, "chkMod50");
  click(*w, "chkProc50");
  EXPECT_TRUE(enabled(*w, "cmdMPre"));
  EXPECT_TRUE(enabled(*w, "cmdPPre"));
  click(*w, "cmdMPre");
  click(*w, "optMPrint1");
  click(*w, "cmdMPre");
  click(*w, "cmdPPre");
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].name, "R_SourceList150");
  EXPECT_EQ(reports[1].name, "R_SourceList50");
  EXPECT_EQ(reports[2].name, "R_ModuleList50");

  click(*w, "optSSelect1");  // the scope has no preview of its own
  EXPECT_TRUE(child<QComboBox>(*w, "cboSheet2")->isEnabled());
  EXPECT_TRUE(enabled(*w, "cmdCPre"));
  click(*w, "optSSelect0");
  EXPECT_FALSE(child<QComboBox>(*w, "cboSheet2")->isEnabled());
  // Each option turns off its own preview and no other.
  const std::pair<const char*, const char*> turnsOff[] = {{"optObject0", "cmdOPre"}, {"optCell1", "cmdCPre"},
      {"optShape2", "cmdSPre"}, {"optModule5", "cmdMPre"}, {"optProc0", "cmdPPre"}, {"optFile2", "cmdFPre"}};
  for (size_t i = 0; i < std::size(turnsOff); ++i) {
    click(*w, turnsOff[i].first);
    for (size_t j = 0; j < std::size(turnsOff); ++j)
      EXPECT_EQ(enabled(*w, turnsOff[j].second), j > i) << turnsOff[i].first << " / " << turnsOff[j].second;
  }

  // optFile spans two frames: one selection survives every click order.
  click(*w, "optFile0");
  EXPECT_TRUE(checked(*w, "optFile0") && !checked(*w, "optFile1") && !checked(*w, "optFile2"));
  click(*w, "optFile0");  // clicking the selected one keeps it
  EXPECT_TRUE(checked(*w, "optFile0"));
  click(*w, "optFile1");
  click(*w, "optFile2");
  EXPECT_TRUE(!checked(*w, "optFile0") && !checked(*w, "optFile1") && checked(*w, "optFile2"));
  EXPECT_EQ(w->options().FileOption, 3);
}

TEST_F(WindowTest, RegisterButtonWritesTrimmedDefaults) {
  auto w = started();
  setText(*w, "txtTitle", "  販売仕様書 ");
  setText(*w, "txtCompany", "ｶﾒﾔ商事");
  setText(*w, "txtBumon", "");
  setText(*w, "txtZoom", "100");
  w->cmdSave_Click();
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(text(*w, "txtMesege"), "基本情報登録　終了しました。");
  EXPECT_EQ(readFile(w->paths().datPath()), "Title=販売仕様書\r\nKisya=ｶﾒﾔ商事\r\nBumon=\r\nZoom=100\r\n");
  DatValues back;
  ASSERT_TRUE(ReadDatFile(w->paths().datPath(), back));
  EXPECT_EQ(back.DatZoom, "100");  // a saved 100 is read back as 100
}

TEST_F(WindowTest, RegisterFailureIsReportedAndKeepsTheTexts) {
  auto w = started();
  // A folder where the file should be: the rename over it fails for any user.
  fs::remove(w->paths().datPath());
  fs::create_directory(w->paths().datPath());
  setText(*w, "txtTitle", "題名");
  w->cmdSave_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("基本情報を登録できませんでした。", 0), 0u);
  EXPECT_EQ(text(*w, "txtTitle"), "題名");
  EXPECT_EQ(text(*w, "txtMesege"), "");
  EXPECT_TRUE(fs::is_directory(w->paths().datPath()));
  // Nothing is left behind beside it.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir.path())) files += e.path().filename().string().find("Zelvarin.dat") == 0;
  EXPECT_EQ(files, 1);
}

class MissingDatTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    const char* old = std::getenv("ZELVARIN_SHARE");
    if (old) saved_ = old;
    hadOld_ = old != nullptr;
    // An installed share folder with no Zelvarin.dat, but a schema for the database.
    writeFile(share.file("schema.sql"), readFile(std::string(ZEL_SOURCE_SHARE_DIR) + "/schema.sql"));
    setenv("ZELVARIN_SHARE", share.path().c_str(), 1);
  }
  void TearDown() override {
    if (hadOld_) setenv("ZELVARIN_SHARE", saved_.c_str(), 1);
    else unsetenv("ZELVARIN_SHARE");
  }
  TempDir share;
  std::string saved_;
  bool hadOld_ = false;
};

TEST_F(MissingDatTest, IsReportedOnceAndStartupStillEndsInTheNoWorkbookState) {
  auto w = started();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("場所:起動時ｴﾗｰNo:53\r場所とｴﾗｰNoを控えメールをお願いします。\r内容:", 0), 0u)
      << sink.shown[0].text;
  for (const char* name : {"cmdObject", "cmdKansu", "cmdSave", "cmdHyousi0", "cmdOPre", "cmdISPre"})
    EXPECT_FALSE(enabled(*w, name)) << name;
  EXPECT_TRUE(checked(*w, "optCell2"));
  EXPECT_FALSE(child<QComboBox>(*w, "cboSheet2")->isEnabled());
  EXPECT_EQ(w->options().ObjectLevel, 2);
  EXPECT_FALSE(w->exiting());
  w->m1z_Click();

  // With the installed default back, the next start still reports the missing file (it is
  // never put back silently), then seeds the default and reads it.
  writeFile(share.file("Zelvarin.dat"), "Title=既定の題名\r\nZoom=75\r\n");
  sink.shown.clear();
  auto again = started();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("場所:起動時ｴﾗｰNo:53\r", 0), 0u);
  EXPECT_EQ(again->datValues().DatTitle, "既定の題名");
  EXPECT_EQ(again->datValues().DatZoom, "75");
}

TEST_F(WindowTest, ErrorReportOffersTheExitOnlyForTheUnstableRange) {
  auto w = started();
  w->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  EXPECT_FALSE(w->reportCommandError("場所:表紙", 2448, "Object required"));
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, "場所:表紙ｴﾗｰNo:2448\r場所とｴﾗｰNoを控えメールをお願いします。\r内容:Object required");
  EXPECT_TRUE(w->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // 2999: variant A, then the exit confirmation; Cancel keeps the program running.
  sink.shown.clear();
  sink.answers = {MsgAnswer::Ok, MsgAnswer::Cancel};
  EXPECT_FALSE(w->reportCommandError("場所:セル情報", 2999, "x"));
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_EQ(sink.shown[0].text,
            "場所:セル情報ｴﾗｰNo:2999\rシステムが不安定です。\r詳細はヘルプを参照下さい。\rシステムを終了します。");
  EXPECT_EQ(sink.shown[1].text, "終了します。");
  EXPECT_EQ(sink.shown[1].buttons, MsgButtons::OkCancel);

  // A handler without the unstable variant shows the mail layout even for 2500.
  sink.shown.clear();
  EXPECT_FALSE(w->reportCommandError("場所:レポート表示", 2500, "d", MailLine::Standard, false));
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, "場所:レポート表示ｴﾗｰNo:2500\r場所とｴﾗｰNoを控えメールをお願いします。\r内容:d");

  // 2449 and OK: the program ends with its clean-up.
  sink.shown.clear();
  EXPECT_TRUE(w->reportCommandError("場所:保存", 2449, "x", MailLine::SaveLoad));
  EXPECT_TRUE(w->exiting());
}

TEST_F(WindowTest, DamagedResultDatabaseIsReportedAndStartupGoesOn) {
  writeFile(dir.file("Analyze.mdb"), std::string(8192, '\x5a'));
  auto w = started();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("場所:起動時ｴﾗｰNo:3000\r", 0), 0u) << sink.shown[0].text;
  EXPECT_TRUE(checked(*w, "optCell2"));
  EXPECT_FALSE(enabled(*w, "cmdObject"));
}

}  // namespace
}  // namespace zel::test
