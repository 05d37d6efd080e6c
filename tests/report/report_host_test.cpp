// ReportPreview's error handling and preview window, and PDF output checked with pdftotext.
#include "core/message_box.h"
#include "report/preview/preview_window.h"
#include "report/report_definition.h"
#include "report/preview/report_preview.h"
#include "report/report_output.h"
#include "report_fixture.h"

#include "report/preview/message_box_sink.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <functional>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace zel::report::test {
namespace {

class RecordingSink : public MessageSink {
 public:
  std::vector<std::string> messages;
  std::vector<QWidget*> owners;  // the window each message was shown over

 protected:
  MsgAnswer present(const std::string& text, MsgButtons, const std::string&) override {
    messages.push_back(text);
    owners.push_back(owner());
    return MsgAnswer::Ok;
  }
};

void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(target, &event);
}

class HostTest : public ReportTest {
 protected:
  PreviewEnvironment env(bool printer) {
    PreviewEnvironment e;
    e.messages = &sink;
    e.hasPrinter = [printer] { return printer; };
    e.showWindow = false;
    return e;
  }
  void TearDown() override {
    for (const char* name : {"R_XlName", "R_SourceList1"})
      if (PreviewWindow* w = openPreviewWindow(name)) w->close();
    QCoreApplication::processEvents();
  }
  RecordingSink sink;
};

TEST_F(HostTest, NoPrinterGivesTheDriverMessageWhenPrintingIsAsked) {
  EXPECT_EQ(ReportPreview(nullptr, dbPath(), "R_XlName", 1, env(false)), PreviewOutcome::NoPrinter);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0],
            "場所:レポート表示ｴﾗｰNo:2202\rプリンタドライバが組み込まれていません。\r"
            "プリンタドライバのインストールお願いします。");

  // The preview itself works without a printer; its print button gives the same message.
  sink.messages.clear();
  EXPECT_EQ(ReportPreview(nullptr, dbPath(), "R_XlName", 0, env(false)), PreviewOutcome::Shown);
  EXPECT_TRUE(sink.messages.empty());
  PreviewWindow* w = openPreviewWindow("R_XlName");
  ASSERT_NE(w, nullptr);
  // Ctrl+P prints; the message stays over the preview, not over the window behind it.
  w->show();
  w->activateWindow();
  QApplication::processEvents();
  press(w->findChild<QSpinBox*>(), Qt::Key_P, Qt::ControlModifier);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], noPrinterMessage());
  EXPECT_EQ(sink.owners.back(), w);
  // Esc closes it.
  press(w->findChild<QComboBox*>(), Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_EQ(openPreviewWindow("R_XlName"), nullptr);
}

TEST_F(HostTest, FailuresGiveTheCommonMessageWithThePlace) {
  // Each failure gives exactly one message, which is returned.
  auto failure = [&](const std::string& path, const std::string& report) {
    sink.messages.clear();
    EXPECT_EQ(ReportPreview(nullptr, path, report, 0, env(true)), PreviewOutcome::Failed) << report;
    EXPECT_EQ(sink.messages.size(), 1u);
    return sink.messages.empty() ? std::string() : sink.messages[0];
  };
  std::string m = failure(dbPath(), "R_NoSuchReport");
  EXPECT_EQ(m.rfind("場所:レポート表示ｴﾗｰNo:2103\r場所とｴﾗｰNoを控えメールをお願いします。\r内容:", 0), 0u) << m;
  EXPECT_NE(failure(dir_.file("missing.xdb"), "R_XlName").find("ｴﾗｰNo:3024"), std::string::npos);
  // A file that is not a result database, and one that lacks the report's table.
  const std::string junk = dir_.file("junk.xdb");
  std::ofstream(junk) << "this is not a database at all, just some text padding it out to a page";
  EXPECT_EQ(failure(junk, "R_XlName").rfind("場所:レポート表示ｴﾗｰNo:", 0), 0u);
  db().exec("DROP TABLE T_XlName");
  EXPECT_NE(failure(dbPath(), "R_XlName").find("ｴﾗｰNo:3078"), std::string::npos);
}

TEST_F(HostTest, PreviewWindowNavigatesAndASecondPreviewShowsCurrentRows) {
  auto addLine = [&](int i) {
    addRow("T_XlSource", {{"Label", num(1)}, {"objectNo", num(1)}, {"ProcedureNo", num(1)}, {"Line", num(i)},
                          {"objectName", txt("Module1.bas")}, {"ProcedureName", txt("Main")},
                          {"Procedure", txt("x = " + std::to_string(i))}});
  };
  for (int i = 1; i <= 400; ++i) addLine(i);
  ASSERT_EQ(ReportPreview(nullptr, dbPath(), "R_SourceList1", 0, env(true)), PreviewOutcome::Shown);
  PreviewWindow* w = openPreviewWindow("R_SourceList1");
  ASSERT_NE(w, nullptr);
  const int pages = w->pageCount();
  ASSERT_GT(pages, 3);
  EXPECT_EQ(w->currentPage(), 0);
  w->nextPage();
  EXPECT_EQ(w->currentPage(), 1);
  w->goToPage(pages + 10);  // clamped at both ends
  w->previousPage();
  EXPECT_EQ(w->currentPage(), pages - 2);
  w->goToPage(-3);
  EXPECT_EQ(w->currentPage(), 0);
  w->setZoomChoice(6);
  EXPECT_DOUBLE_EQ(w->zoom(), 2.0);
  // The page keys turn pages wherever the focus is: the page box and the scroll area would
  // otherwise keep them (a page box steps by ten, the view scrolls).
  press(w->findChild<QSpinBox*>(), Qt::Key_PageDown);
  EXPECT_EQ(w->currentPage(), 1);
  press(w->findChild<QComboBox*>(), Qt::Key_End);
  EXPECT_EQ(w->currentPage(), pages - 1);
  press(w->findChild<QScrollArea*>()->viewport(), Qt::Key_Home);
  EXPECT_EQ(w->currentPage(), 0);

  addLine(401);
  ASSERT_EQ(ReportPreview(nullptr, dbPath(), "R_SourceList1", 0, env(true)), PreviewOutcome::Shown);
  QCoreApplication::processEvents();
  PreviewWindow* again = openPreviewWindow("R_SourceList1");
  ASSERT_NE(again, nullptr);
  auto last = textsOf(again->document().page(again->pageCount() - 1));
  EXPECT_EQ(countOf(last, "x = 401"), 1);
}

std::string runPdftotext(const std::string& pdf) {
  return commandOutput("pdftotext -layout '" + pdf + "' - 2>/dev/null");
}

TEST_F(HostTest, PdfTextReadsBackExactlyInEveryKindOfReport) {
  addRow("T_XlTitle", {{"FileName", txt("C:\\業務\\受注.xls")}});
  addRow("T_XlHyousi", {{"SysTitle", txt("日次行程一覧")}, {"SysName", txt("Sheet1 集計 Ver2")},
                        {"Company", txt("株式会社テスト")}, {"Auther", txt("佐藤")}});
  for (int i = 1; i <= 120; ++i)
    addRow("T_XlName", {{"StCell", txt("A1:C" + std::to_string(i))}, {"LabelName", txt("名前_" + std::to_string(i))},
                        {"SheetMei", txt("ｼｰﾄ1")}});
  addRow("T_XlSource", {{"Label", num(1)}, {"objectNo", num(1)}, {"ProcedureNo", num(1)}, {"Line", num(1)},
                        {"objectName", txt("Module1.bas")}, {"ProcedureName", txt("Main")},
                        {"Procedure", txt("Sheet1.Range(\"A1\") = \"一日一行\"")}});
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext not installed";
  auto pdfText = [&](const char* report) {
    const std::string pdf = dir_.file(std::string(report) + ".pdf");
    std::string error;
    EXPECT_TRUE(renderReportToPdf(dbPath(), report, pdf, &error)) << error;
    EXPECT_FALSE(std::filesystem::exists(pdf + ".part"));
    return runPdftotext(pdf);
  };
  // Compared byte for byte: no digit may go missing after a letter, no kanji may come back as
  // a radical or compatibility character.
  const std::string names = pdfText("R_XlName");
  for (const char* s : {"名前一覧", "ファイル名：C:\\業務\\受注.xls", "ｼｰﾄ1", "A1:C120"})
    EXPECT_NE(names.find(s), std::string::npos) << s;
  size_t pos = 0;
  for (int i = 1; i <= 120; ++i) {
    const size_t at = names.find("名前_" + std::to_string(i) + " ", pos);
    ASSERT_NE(at, std::string::npos) << i;
    pos = at;
  }
  const std::string source = pdfText("R_SourceList1");
  for (const char* s : {"Module1.bas", "Sheet1.Range(\"A1\") = \"一日一行\""})
    EXPECT_NE(source.find(s), std::string::npos) << s;
  const std::string cover = pdfText("R_XlHyousi");
  for (const char* s : {"プログラム仕様書", "日次行程一覧", "Sheet1 集計 Ver2", "株式会社テスト", "佐藤"})
    EXPECT_NE(cover.find(s), std::string::npos) << s;

  std::string error;
  EXPECT_FALSE(renderReportToPdf(dbPath(), "R_Nothing", dir_.file("x.pdf"), &error));
  EXPECT_FALSE(std::filesystem::exists(dir_.file("x.pdf")));
  EXPECT_FALSE(renderReportToPdf(dbPath(), "R_XlName", dir_.file("no/such/folder/x.pdf"), &error));
}

TEST(MessageBoxSinkTest, BoxesCarryTheCaptionGivenElseTheProgramsCaption) {
  ensureApp();
  MessageBoxSink sink;
  std::vector<std::string> titles;
  // Reads the title of the box once it is up, then closes it.
  std::function<void(int)> answer = [&](int triesLeft) {
    QWidget* box = QApplication::activeModalWidget();
    if (box) {
      titles.push_back(box->windowTitle().toStdString());
      box->close();
    } else if (triesLeft > 0) {
      QTimer::singleShot(5, [&, triesLeft] { answer(triesLeft - 1); });
    }
  };
  QTimer::singleShot(0, [&] { answer(1000); });
  sink.show("処理時間の目安", MsgButtons::Ok, "Zelvarin");
  QTimer::singleShot(0, [&] { answer(1000); });
  sink.show("保存しました。", MsgButtons::Ok);
  EXPECT_EQ(titles, (std::vector<std::string>{"Zelvarin", "Zelvarin97 Ver 1.1"}));
}

}  // namespace
}  // namespace zel::report::test
