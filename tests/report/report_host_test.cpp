// ReportPreview's error handling and preview window, and PDF output checked with pdftotext.
#include "core/message_box.h"
#include "report/preview/preview_window.h"
#include "report/report_definition.h"
#include "report/preview/report_preview.h"
#include "report/report_output.h"
#include "report_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QScrollArea>
#include <QSpinBox>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace zel::report::test {
namespace {

class RecordingSink : public MessageSink {
 public:
  MsgAnswer show(const std::string& text, MsgButtons) override {
    messages.push_back(text);
    owners.push_back(owner());
    return MsgAnswer::Ok;
  }
  std::vector<std::string> messages;
  std::vector<QWidget*> owners;  // the window each message was shown over
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
  for (int i = 1; i <= 400; ++i)
    addRow("T_XlSource", {{"Label", num(1)}, {"objectNo", num(1)}, {"ProcedureNo", num(1)}, {"Line", num(i)},
                          {"objectName", txt("Module1.bas")}, {"ProcedureName", txt("Main")},
                          {"Procedure", txt("x = " + std::to_string(i))}});
  ASSERT_EQ(ReportPreview(nullptr, dbPath(), "R_SourceList1", 0, env(true)), PreviewOutcome::Shown);
  PreviewWindow* w = openPreviewWindow("R_SourceList1");
  ASSERT_NE(w, nullptr);
  const int pages = w->pageCount();
  ASSERT_GT(pages, 3);
  EXPECT_EQ(w->currentPage(), 0);
  w->nextPage();
  EXPECT_EQ(w->currentPage(), 1);
  w->goToPage(pages + 10);
  EXPECT_EQ(w->currentPage(), pages - 1);
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

  addRow("T_XlSource", {{"Label", num(1)}, {"objectNo", num(1)}, {"ProcedureNo", num(1)}, {"Line", num(401)},
                        {"objectName", txt("Module1.bas")}, {"ProcedureName", txt("Main")},
                        {"Procedure", txt("x = 401")}});
  ASSERT_EQ(ReportPreview(nullptr, dbPath(), "R_SourceList1", 0, env(true)), PreviewOutcome::Shown);
  QCoreApplication::processEvents();
  PreviewWindow* again = openPreviewWindow("R_SourceList1");
  ASSERT_NE(again, nullptr);
  auto last = textsOf(again->document().page(again->pageCount() - 1));
  EXPECT_EQ(countOf(last, "x = 401"), 1);
}

// Text extraction maps some CJK glyphs to compatibility characters (一 comes back as the
// radical U+2F00); NFKC folds both sides to one form before comparing.
std::string nfkc(const std::string& s) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* n = icu::Normalizer2::getNFKCInstance(status);
  if (U_FAILURE(status)) return s;
  icu::UnicodeString out = n->normalize(icu::UnicodeString::fromUTF8(s), status);
  std::string r;
  out.toUTF8String(r);
  return U_FAILURE(status) ? s : r;
}

std::string runPdftotext(const std::string& pdf) {
  const std::string cmd = "pdftotext -layout '" + pdf + "' - 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
  std::string out;
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p.get())) > 0) out.append(buf, n);
  return out;
}

TEST_F(HostTest, PdfHoldsTheJapaneseTextOfEveryPage) {
  addRow("T_XlTitle", {{"FileName", txt("C:\\業務\\受注.xls")}});
  for (int i = 1; i <= 120; ++i)
    addRow("T_XlName", {{"StCell", txt("A1:C" + std::to_string(i))}, {"LabelName", txt("名前_" + std::to_string(i))},
                        {"SheetMei", txt("ｼｰﾄ1")}});
  const std::string pdf = dir_.file("names.pdf");
  std::string error;
  ASSERT_TRUE(renderReportToPdf(dbPath(), "R_XlName", pdf, &error)) << error;
  ASSERT_TRUE(std::filesystem::exists(pdf));
  EXPECT_FALSE(std::filesystem::exists(pdf + ".part"));
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext not installed";
  const std::string text = nfkc(runPdftotext(pdf));
  EXPECT_NE(text.find(nfkc("名前一覧")), std::string::npos);
  EXPECT_NE(text.find(nfkc("ファイル名：C:\\業務\\受注.xls")), std::string::npos);
  size_t pos = 0;
  for (int i = 1; i <= 120; ++i) {
    const size_t at = text.find("名前_" + std::to_string(i) + " ", pos);
    ASSERT_NE(at, std::string::npos) << i;
    pos = at;
  }
  EXPECT_NE(text.find(nfkc("ｼｰﾄ1")), std::string::npos);

  EXPECT_FALSE(renderReportToPdf(dbPath(), "R_Nothing", dir_.file("x.pdf"), &error));
  EXPECT_FALSE(std::filesystem::exists(dir_.file("x.pdf")));
  EXPECT_FALSE(renderReportToPdf(dbPath(), "R_XlName", dir_.file("no/such/folder/x.pdf"), &error));
}

}  // namespace
}  // namespace zel::report::test
