// Gauge, status timer, hints, Enter key, option handlers and the register button.
#include "window_fixture.h"

#include "core/dat_file.h"
#include "core/result_store.h"
#include "app/gauge_line.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace zel::test {
namespace {

TEST_F(WindowTest, GaugeShowsPercentAndLineAndRepaintsOnlyOnChange) {
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  w->show();
  auto* gauge = child<GaugeLine>(*w, "linGuage");
  auto* lblPer = child<QLabel>(*w, "lblPer");
  gauge->show();
  QApplication::processEvents();  // the window is exposed

  w->ShowGauge(50);
  EXPECT_EQ(lblPer->text().toStdString(), "50%");
  EXPECT_DOUBLE_EQ(gauge->X2(), 1020.0);
  int paints = gauge->paintCount();
  EXPECT_GT(paints, 0);  // drawn at once, without returning to the event loop
  for (int i = 0; i < 500; ++i) w->ShowGauge(50);
  EXPECT_EQ(gauge->paintCount(), paints);

  w->ShowGauge(33);
  EXPECT_EQ(lblPer->text().toStdString(), "33%");
  EXPECT_NEAR(gauge->X2(), 673.2, 1e-3);
  EXPECT_GT(gauge->paintCount(), paints);

  w->ShowGauge(100);
  EXPECT_EQ(lblPer->text().toStdString(), "100%");
  EXPECT_DOUBLE_EQ(gauge->X2(), 2040.0);
  w->ShowGauge(120);  // not clamped
  EXPECT_NEAR(gauge->X2(), 2448.0, 1e-3);
}

TEST_F(WindowTest, TimerClearsStatusAndGaugeOnce) {
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  auto* gauge = child<GaugeLine>(*w, "linGuage");
  auto* txtMesege = child<QLineEdit>(*w, "txtMesege");
  auto* timer = w->findChild<QTimer*>("Timer1");
  ASSERT_NE(timer, nullptr);
  EXPECT_FALSE(timer->isActive());
  EXPECT_TRUE(timer->isSingleShot());

  gauge->show();
  w->ShowGauge(100);
  w->progress().setStatus("印刷後、印刷ﾌﾟﾚﾋﾞｭｰを終了して下さい。");
  timer->start(5000);
  w->Timer1_Timer();
  EXPECT_TRUE(txtMesege->text().isEmpty());
  EXPECT_TRUE(gauge->isHidden());
  EXPECT_EQ(gauge->X2(), 0.0);
  EXPECT_FALSE(timer->isActive());
  // After the reset the next command's 0 % is drawn again.
  gauge->show();
  w->ShowGauge(0);
  EXPECT_EQ(child<QLabel>(*w, "lblPer")->text().toStdString(), "0%");
}

TEST_F(WindowTest, HintsFollowTheMouseAndTheBackgroundClearsThem) {
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  auto* txtMesege = child<QLineEdit>(*w, "txtMesege");
  QEvent enter(QEvent::Enter);
  QCoreApplication::sendEvent(child(*w, "cmdKansu"), &enter);
  EXPECT_EQ(txtMesege->text().toStdString(), "モジュールの一覧を印刷します。");
  // Preview buttons have no hint: the text stays.
  QCoreApplication::sendEvent(child(*w, "cmdOPre"), &enter);
  EXPECT_EQ(txtMesege->text().toStdString(), "モジュールの一覧を印刷します。");
  QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w->centralWidget(), &move);
  EXPECT_TRUE(txtMesege->text().isEmpty());
  QCoreApplication::sendEvent(child(*w, "cmdHyousi2"), &enter);
  EXPECT_EQ(txtMesege->text().toStdString(), "表紙を印刷します。");
  QCoreApplication::sendEvent(child(*w, "lblDBName"), &move);
  EXPECT_TRUE(txtMesege->text().isEmpty());
}

TEST_F(WindowTest, EnterMovesTheFocusToTheNextControl) {
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
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
  auto w = makeWindow(p.DbPath);
  ASSERT_TRUE(w->Form_Load());
  ASSERT_TRUE(sink.shown.empty());
  ASSERT_TRUE(enabled(*w, "cmdOPre") && enabled(*w, "cmdCPre") && enabled(*w, "cmdMPre") && enabled(*w, "cmdFPre"));

  child<QAbstractButton>(*w, "optMPrint0")->click();
  child<QAbstractButton>(*w, "chkMod50")->click();
  child<QAbstractButton>(*w, "chkProc50")->click();
  EXPECT_TRUE(enabled(*w, "cmdMPre"));
  EXPECT_TRUE(enabled(*w, "cmdPPre"));
  EXPECT_EQ(w->options().ColumnOption, 1);
  EXPECT_EQ(w->options().ModKana, 1);
  child<QAbstractButton>(*w, "cmdMPre")->click();
  child<QAbstractButton>(*w, "optMPrint1")->click();
  child<QAbstractButton>(*w, "cmdMPre")->click();
  child<QAbstractButton>(*w, "cmdPPre")->click();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].name, "R_SourceList150");
  EXPECT_EQ(reports[1].name, "R_SourceList50");
  EXPECT_EQ(reports[2].name, "R_ModuleList50");

  child<QAbstractButton>(*w, "optSSelect1")->click();  // the scope has no preview of its own
  EXPECT_TRUE(child<QComboBox>(*w, "cboSheet2")->isEnabled());
  EXPECT_TRUE(enabled(*w, "cmdCPre"));
  child<QAbstractButton>(*w, "optSSelect0")->click();
  EXPECT_FALSE(child<QComboBox>(*w, "cboSheet2")->isEnabled());
  // Each option turns off its own preview and no other.
  const std::pair<const char*, const char*> turnsOff[] = {{"optObject0", "cmdOPre"}, {"optCell1", "cmdCPre"},
      {"optShape2", "cmdSPre"}, {"optModule5", "cmdMPre"}, {"optProc0", "cmdPPre"}, {"optFile2", "cmdFPre"}};
  for (size_t i = 0; i < std::size(turnsOff); ++i) {
    child<QAbstractButton>(*w, turnsOff[i].first)->click();
    for (size_t j = 0; j < std::size(turnsOff); ++j)
      EXPECT_EQ(enabled(*w, turnsOff[j].second), j > i) << turnsOff[i].first << " / " << turnsOff[j].second;
  }
  EXPECT_EQ(w->options().ObjectLevel, 1);
  EXPECT_EQ(w->options().ShapeOption, 3);
  EXPECT_EQ(w->options().ModuleKind, 6);

  // optFile spans two frames: one selection survives every click order.
  child<QAbstractButton>(*w, "optFile0")->click();
  EXPECT_TRUE(checked(*w, "optFile0") && !checked(*w, "optFile1") && !checked(*w, "optFile2"));
  child<QAbstractButton>(*w, "optFile0")->click();  // clicking the selected one keeps it
  EXPECT_TRUE(checked(*w, "optFile0"));
  child<QAbstractButton>(*w, "optFile1")->click();
  child<QAbstractButton>(*w, "optFile2")->click();
  EXPECT_TRUE(!checked(*w, "optFile0") && !checked(*w, "optFile1") && checked(*w, "optFile2"));
  EXPECT_EQ(w->options().FileOption, 3);
}

TEST_F(WindowTest, RegisterButtonWritesTrimmedDefaults) {
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  child<QLineEdit>(*w, "txtTitle")->setText(QStringLiteral("  販売仕様書 "));
  child<QLineEdit>(*w, "txtCompany")->setText(QStringLiteral("ｶﾒﾔ商事"));
  child<QLineEdit>(*w, "txtBumon")->setText(QString());
  child<QLineEdit>(*w, "txtZoom")->setText(QStringLiteral("100"));
  w->cmdSave_Click();
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(child<QLineEdit>(*w, "txtMesege")->text().toStdString(), "基本情報登録　終了しました。");
  EXPECT_EQ(readFile(w->paths().datPath()), "Title=販売仕様書\r\nKisya=ｶﾒﾔ商事\r\nBumon=\r\nZoom=100\r\n");
  DatValues back;
  ASSERT_TRUE(ReadDatFile(w->paths().datPath(), back));
  EXPECT_EQ(back.DatZoom, "100");  // a saved 100 is read back as 100
}

TEST_F(WindowTest, RegisterFailureIsReportedAndKeepsTheTexts) {
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  // A folder where the file should be: the rename over it fails for any user.
  fs::remove(w->paths().datPath());
  fs::create_directory(w->paths().datPath());
  child<QLineEdit>(*w, "txtTitle")->setText(QStringLiteral("題名"));
  w->cmdSave_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("基本情報を登録できませんでした。", 0), 0u);
  EXPECT_EQ(child<QLineEdit>(*w, "txtTitle")->text().toStdString(), "題名");
  EXPECT_TRUE(child<QLineEdit>(*w, "txtMesege")->text().isEmpty());
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
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("場所:起動時ｴﾗｰNo:53\r場所とｴﾗｰNoを控えメールをお願いします。\r内容:", 0), 0u)
      << sink.shown[0].text;
  for (const char* name : {"cmdObject", "cmdKansu", "cmdSave", "cmdHyousi0", "cmdOPre", "cmdISPre"})
    EXPECT_FALSE(child<QAbstractButton>(*w, name)->isEnabled()) << name;
  EXPECT_TRUE(child<QAbstractButton>(*w, "optCell2")->isChecked());
  EXPECT_FALSE(child<QComboBox>(*w, "cboSheet2")->isEnabled());
  EXPECT_EQ(w->options().ObjectLevel, 2);
  EXPECT_FALSE(w->exiting());
  w->m1z_Click();

  // With the installed default back, the next start still reports the missing file (it is
  // never put back silently), then seeds the default and reads it.
  writeFile(share.file("Zelvarin.dat"), "Title=既定の題名\r\nZoom=75\r\n");
  sink.shown.clear();
  auto again = makeWindow();
  ASSERT_TRUE(again->Form_Load());
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("場所:起動時ｴﾗｰNo:53\r", 0), 0u);
  EXPECT_EQ(again->datValues().DatTitle, "既定の題名");
  EXPECT_EQ(again->datValues().DatZoom, "75");
}

}  // namespace
}  // namespace zel::test

namespace zel::test {
namespace {

TEST_F(WindowTest, ErrorReportOffersTheExitOnlyForTheUnstableRange) {
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
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
  auto w = makeWindow();
  ASSERT_TRUE(w->Form_Load());
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("場所:起動時ｴﾗｰNo:3000\r", 0), 0u) << sink.shown[0].text;
  EXPECT_TRUE(child<QAbstractButton>(*w, "optCell2")->isChecked());
  EXPECT_FALSE(child<QAbstractButton>(*w, "cmdObject")->isEnabled());
}

}  // namespace
}  // namespace zel::test
