// Pagination and content of the laid-out pages: headers, every row once and in order,
// grouping, syllabary order, wrapping and splitting of long texts, totals.
#include "report/qt_text_measurer.h"
#include "report/table_paginator.h"
#include "report/text_measure.h"
#include "report_fixture.h"

#include <algorithm>

namespace zel::report::test {
namespace {

class LayoutTest : public ReportTest {
 protected:
  void addSource(int objectNo, const std::string& module, int procNo, const std::string& proc, int line,
                 const std::string& text) {
    addRow("T_XlSource", {{"Label", num(1)},
                          {"objectNo", num(objectNo)},
                          {"ProcedureNo", num(procNo)},
                          {"Line", num(line)},
                          {"objectName", txt(module)},
                          {"ProcedureName", txt(proc)},
                          {"Procedure", txt(text)}});
  }
  // Source rows of a listing, by their unique text "stmt N".
  void fillSource(int rows) {
    ResultDb::Run run(db());
    for (int i = 1; i <= rows; ++i) {
      const int module = i <= rows / 2 ? 1 : 2;
      addSource(module, module == 1 ? "Module1.bas" : "Module2.bas", 1 + i / 40, "Proc" + std::to_string(1 + i / 40),
                i, "stmt " + std::to_string(i));
    }
  }
};

// Every "stmt N" text appears exactly once and in increasing N.
void expectAllStatementsInOrder(const std::vector<std::string>& texts, int rows) {
  int expected = 1;
  for (const auto& t : texts) {
    if (t.rfind("stmt ", 0) != 0) continue;
    ASSERT_EQ(t, "stmt " + std::to_string(expected));
    ++expected;
  }
  EXPECT_EQ(expected, rows + 1);
}

TEST_F(LayoutTest, OneColumnListingHasEveryLineOnceInOrderWithHeadersAndPageNumbers) {
  fillSource(500);
  addRow("T_XlTitle", {{"FileName", txt("販売管理.xls")}});
  addRow("T_XlSaveFlag", {{"ObjName", txt("販売管理.xls")}, {"Title", txt("販売管理 仕様書")}, {"System", txt("販売管理システム")},
                          {"Company", txt("株式会社サンプル")}, {"Auther", txt("山田")}, {"CreateDate", txt("2026/12/07")}});
  auto doc = open("R_SourceList1");
  const int pages = doc->pageCount();
  ASSERT_GT(pages, 5);
  for (int i = 0; i < pages; ++i) {
    auto t = textsOf(doc->page(i));
    EXPECT_EQ(countOf(t, "モジュールリスト"), 1) << "page " << i;
    EXPECT_EQ(countOf(t, "ファイル名：販売管理.xls"), 1) << "page " << i;
    EXPECT_EQ(countOf(t, "システム名：販売管理システム"), 1) << "page " << i;
    EXPECT_EQ(countOf(t, "作成者：山田　作成日：2026/12/07"), 1) << "page " << i;
    EXPECT_EQ(countOf(t, std::to_string(i + 1) + " / " + std::to_string(pages)), 1) << "page " << i;
    EXPECT_EQ(countOf(t, "行"), 1) << "column heading on page " << i;
  }
  auto all = allTexts(*doc);
  expectAllStatementsInOrder(all, 500);
  // Module group headings precede their rows; the second page continues the open group.
  const int m1 = indexOf(all, "モジュール名：Module1.bas");
  const int m2 = indexOf(all, "モジュール名：Module2.bas");
  ASSERT_GE(m1, 0);
  ASSERT_GT(m2, m1);
  EXPECT_LT(m2, indexOf(all, "stmt 251"));
  EXPECT_GT(m2, indexOf(all, "stmt 250"));
  EXPECT_EQ(countOf(textsOf(doc->page(1)), "モジュール名：Module1.bas（続き）"), 1);
}

TEST_F(LayoutTest, TwoColumnListingFillsTheLeftFrameBeforeTheRight) {
  fillSource(300);
  auto doc = open("R_SourceList");
  EXPECT_EQ(doc->paper().orientation, Orientation::Landscape);
  auto one = open("R_SourceList1");
  EXPECT_LT(doc->pageCount(), one->pageCount());
  const double middle = doc->paper().widthMm / 2;
  for (int i = 0; i < doc->pageCount(); ++i) {
    Page p = doc->page(i);
    int lastLeft = 0, firstRight = 1 << 30;
    for (const auto& t : p.texts) {
      if (t.text.rfind("stmt ", 0) != 0) continue;
      const int n = std::stoi(t.text.substr(5));
      // A text box never crosses the gap between the two frames.
      EXPECT_TRUE(t.box.right() <= middle || t.box.x >= middle) << t.text;
      if (t.box.right() <= middle) {
        lastLeft = std::max(lastLeft, n);
      } else {
        firstRight = std::min(firstRight, n);
      }
    }
    if (firstRight != 1 << 30) {
      EXPECT_LT(lastLeft, firstRight) << "page " << i;
    }
  }
  expectAllStatementsInOrder(allTexts(*doc), 300);
}

TEST_F(LayoutTest, LongSourceLinesAndFormulasWrapInsideTheirColumn) {
  std::string longLine = "    result = WorksheetFunction.VLookup(Range(\"A1\").Value, Sheets(\"マスタ\").Range(\"A:D\"), 4, False)";
  while (longLine.size() < 250) longLine += " & \"日本語の長い文字列\"";
  addSource(1, "Module1.bas", 1, "Main", 1, longLine);
  std::string formula = "=IF(";
  for (int i = 0; i < 120; ++i) formula += "VLOOKUP(A" + std::to_string(i) + ",Sheet2!$A$1:$D$100,2,FALSE)+";
  formula += "0)";
  addRow("T_XlCalc", {{"Label", num(1)}, {"SheetMei", txt("Sheet1")}, {"objectNo", num(1)}, {"StCell", txt("B2")},
                      {"CalcName", txt(formula)}});
  struct Case {
    const char* report;
    std::string text;
  };
  for (const Case& c : {Case{"R_SourceList", longLine}, Case{"R_SourceList1", longLine}, Case{"R_XlCalc", formula}}) {
    auto doc = open(c.report);
    Page p = doc->page(0);
    // The pieces of the long text are the boxes below the column heading that hold neither a
    // header, a group heading nor the line number / cell address.
    std::string joined;
    double left = 1e9, right = 0;
    int pieces = 0;
    for (const auto& t : p.texts) {
      if (t.font != FontRole::Code || t.text == "1") continue;
      joined += t.text;
      ++pieces;
      left = std::min(left, t.box.x);
      right = std::max(right, t.box.right());
      EXPECT_LE(textWidthMm(sharedMeasurer(), t.font, t.text), t.box.w + 0.01) << c.report << ": " << t.text;
    }
    EXPECT_GT(pieces, 1) << c.report;
    EXPECT_EQ(joined, c.text) << c.report;
    EXPECT_LE(right, doc->paper().widthMm - margin::kSide + 0.01) << c.report;
  }
}

TEST_F(LayoutTest, ARecordTallerThanAPageContinuesOnTheNextPage) {
  std::string formula = "=";
  for (int i = 0; i < 900; ++i) formula += "SUM(Sheet" + std::to_string(i) + "!A1:A10)+";
  formula += "0";
  addRow("T_XlCalc", {{"Label", num(1)}, {"SheetMei", txt("Sheet1")}, {"objectNo", num(1)}, {"StCell", txt("A1")},
                      {"CalcName", txt(formula)}});
  addRow("T_XlCalc", {{"Label", num(1)}, {"SheetMei", txt("Sheet1")}, {"objectNo", num(1)}, {"StCell", txt("A2")},
                      {"CalcName", txt("=1+1")}});
  auto doc = open("R_XlCalc");
  ASSERT_GE(doc->pageCount(), 2);
  std::string joined;
  for (int i = 0; i < doc->pageCount(); ++i)
    for (const auto& t : doc->page(i).texts) {
      if (t.font == FontRole::Code && t.text != "=1+1") joined += t.text;
      // Nothing is drawn into the footer band.
      if (t.font == FontRole::Code) {
        EXPECT_LE(t.box.bottom(), doc->paper().heightMm - margin::kBottom - kFooterBandMm + 0.01);
      }
    }
  EXPECT_EQ(joined, formula);
  EXPECT_EQ(countOf(allTexts(*doc), "=1+1"), 1);
  EXPECT_EQ(countOf(allTexts(*doc), "A1"), 1);  // the address is not repeated on the continuation
}

TEST_F(LayoutTest, SyllabaryVariantsSortMixedKanaKanjiAndLatinNames) {
  // Procedure names in a mixed order; the 50 variants list them as a Japanese reader expects.
  const char* names[] = {"集計処理", "さくら", "ｶﾝﾘ", "Zebra", "いちらん", "アップデート", "うけつけ", "Alpha"};
  const std::vector<std::string> want = {"Alpha", "Zebra", "アップデート", "いちらん", "うけつけ", "ｶﾝﾘ", "さくら", "集計処理"};
  {
    ResultDb::Run run(db());
    int no = 0;
    for (const char* n : names) {
      ++no;
      addRow("T_XlProcName", {{"objectNo", num(1)}, {"ProcedureNo", num(no)}, {"objectName", txt("Module1.bas")},
                              {"ProcedureName", txt(n)}, {"PrivatePublic", txt("Public")},
                              {"Object", txt("標準ﾓｼﾞｭｰﾙ")}, {"Type", txt("Sub")}});
      addSource(1, "Module1.bas", no, n, no, std::string("' body of ") + n);
    }
  }
  auto pick = [&](const std::string& report, const std::string& prefix) {
    std::vector<std::string> got;
    for (const auto& t : allTexts(*open(report))) {
      for (const auto& w : want)
        if (t == prefix + w) got.push_back(w);
    }
    return got;
  };
  EXPECT_EQ(pick("R_ModuleList50", ""), want);
  EXPECT_EQ(pick("R_SourceList50", "■ "), want);
  EXPECT_EQ(pick("R_SourceList150", "■ "), want);
  // The plain variants keep the order of the module.
  const std::vector<std::string> inFileOrder(std::begin(names), std::end(names));
  EXPECT_EQ(pick("R_ModuleList", ""), inFileOrder);
  EXPECT_EQ(pick("R_SourceList1", "■ "), inFileOrder);
}

TEST_F(LayoutTest, ProcedureListShowsDeclarationsAndCallsUnderTheirProcedure) {
  addRow("T_XlProcName", {{"objectNo", num(1)}, {"ProcedureNo", num(1)}, {"objectName", txt("Module1.bas")},
                          {"Object", txt("(Declarations)")}});
  addRow("T_XlProcName", {{"objectNo", num(1)}, {"ProcedureNo", num(2)}, {"objectName", txt("Module1.bas")},
                          {"ProcedureName", txt("Total")}, {"PrivatePublic", txt("Private")},
                          {"Object", txt("標準ﾓｼﾞｭｰﾙ")}, {"Type", txt("Function")},
                          {"Parameters", txt("a As Long, b As Long")}, {"As", txt("Long")}});
  addRow("T_XlDimCall", {{"objectNo", num(1)}, {"ProcedureNo", num(2)}, {"Line", num(7)}, {"DimCall", num(4)},
                         {"Bunrui", txt("変数")}, {"Type", txt("Dim")}, {"Parameters", txt("i As Integer")},
                         {"As", txt("counter")}});
  addRow("T_XlDimCall", {{"objectNo", num(1)}, {"ProcedureNo", num(1)}, {"Line", num(2)}, {"DimCall", num(5)},
                         {"Bunrui", txt("定数")}, {"Type", txt("Const")}, {"Parameters", txt("MAX_ROW = 100")}});
  auto t = allTexts(*open("R_ModuleList"));
  const int decl = indexOf(t, "(Declarations)");
  const int cnst = indexOf(t, "MAX_ROW = 100");
  const int total = indexOf(t, "Total");
  const int dim = indexOf(t, "i As Integer");
  ASSERT_GE(decl, 0);
  EXPECT_LT(decl, cnst);
  EXPECT_LT(cnst, total);
  EXPECT_LT(total, dim);
  EXPECT_EQ(countOf(t, "a As Long, b As Long"), 1);
  EXPECT_EQ(countOf(t, "counter"), 1);
  EXPECT_EQ(countOf(t, "7"), 1);
}

TEST_F(LayoutTest, StepCountsCarrySubtotalsPerModuleAndAGrandTotal) {
  struct R {
    int obj;
    const char* module;
    const char* proc;
    int c, s, p, t;
  } rows[] = {{1, "Module1.bas", "(Declarations)", 0, 0, 2, 2},
              {1, "Module1.bas", "A", 1, 1, 3, 5},
              {2, "Class1.cls", "Init", 2, 0, 4, 6}};
  int no = 0;
  for (const auto& r : rows)
    addRow("T_XlModStep", {{"Object", txt(r.obj == 1 ? "標準ﾓｼﾞｭｰﾙ" : "ｸﾗｽﾓｼﾞｭｰﾙ")}, {"objectNo", num(r.obj)},
                           {"ProcedureNo", num(++no)}, {"objectName", txt(r.module)}, {"ProcedureName", txt(r.proc)},
                           {"ComentCnt", num(r.c)}, {"SpaceCnt", num(r.s)}, {"ProcCnt", num(r.p)},
                           {"TotalCnt", num(r.t)}});
  auto t = allTexts(*open("R_XlModStep"));
  const int g1 = indexOf(t, "標準ﾓｼﾞｭｰﾙ　Module1.bas");
  const int sub1 = indexOf(t, "小計");
  const int g2 = indexOf(t, "ｸﾗｽﾓｼﾞｭｰﾙ　Class1.cls");
  const int grand = indexOf(t, "合計");
  ASSERT_GE(g1, 0);
  ASSERT_GT(sub1, g1);
  ASSERT_GT(g2, sub1);
  ASSERT_GT(grand, g2);
  // Subtotal of Module1: comments 1, blanks 1, code 5, total 7 (in column order after the label).
  EXPECT_EQ(std::vector<std::string>(t.begin() + sub1 + 1, t.begin() + sub1 + 5),
            (std::vector<std::string>{"1", "1", "5", "7"}));
  EXPECT_EQ(std::vector<std::string>(t.begin() + grand + 1, t.begin() + grand + 5),
            (std::vector<std::string>{"3", "1", "9", "13"}));
}

// The texts of the page header band, joined in order.
std::string headerBand(const Page& p) {
  std::string out;
  for (const auto& t : p.texts)
    if (t.box.y < margin::kTop + kHeaderBandMm - 2) out += t.text;
  return out;
}

TEST_F(LayoutTest, PageHeadersShowTheTextsOfTheDocumentedWorkbookWhole) {
  const std::string path = "/home/user/projects/" + std::string(60, 'x') + "/受注管理システム/受注.xls";
  const std::string company = "株式会社とても長い名前の会社ホールディングス";
  const std::string bumon = "情報システム本部第二開発部アプリケーション課";
  addRow("T_XlTitle", {{"FileName", txt(path)}});
  addRow("T_XlSaveFlag", {{"ObjName", txt("受注.xls")}, {"Title", txt("保存済みタイトル")}, {"System", txt("在庫システム")},
                          {"Company", txt(company)}, {"Bumon", txt(bumon)}, {"Auther", txt("保存者")}});
  addRow("T_XlHyousi", {{"SysTitle", txt("前のタイトル")}, {"Auther", txt("前の作成者")}});  // another workbook's cover
  for (const char* report : {"R_XlName", "R_SourceList1"}) {
    const Page page = open(report)->page(0);
    const std::string band = headerBand(page);
    EXPECT_NE(band.find("システム名：在庫システム"), std::string::npos) << report;
    EXPECT_NE(band.find("作成者：保存者"), std::string::npos) << report;
    EXPECT_EQ(band.find("前の作成者"), std::string::npos) << report;
    EXPECT_NE(band.find(company + "　" + bumon), std::string::npos) << report;  // wrapped, not cut
    EXPECT_EQ(countOf(textsOf(page), "ファイル名：" + path), 1) << report;
    EXPECT_EQ(countOf(textsOf(page), "保存済みタイトル"), 1) << report;
  }
  // The window's text boxes win over what the file holds.
  const HeaderTexts boxes{"画面のタイトル", "画面のシステム", "画面の会社", "", "画面の作成者", "2026/12/24"};
  const std::string band = headerBand(open("R_XlName", &boxes)->page(0));
  EXPECT_NE(band.find("作成者：画面の作成者　作成日：2026/12/24"), std::string::npos);
  EXPECT_EQ(band.find("保存者"), std::string::npos);
}

TEST_F(LayoutTest, HiddenDuplicatesAreShownAgainAfterAPageBreak) {
  for (int i = 1; i <= 200; ++i)
    addRow("T_XlComment", {{"Object", txt("標準ﾓｼﾞｭｰﾙ")}, {"objectNo", num(1)}, {"ProcedureNo", num(i)},
                           {"objectName", txt("Module1.bas")}, {"ProcedureName", txt("Main")},
                           {"Comment", txt("comment " + std::to_string(i))}});
  auto doc = open("R_XlComment");
  ASSERT_GE(doc->pageCount(), 2);
  for (int i = 0; i < doc->pageCount(); ++i) EXPECT_EQ(countOf(textsOf(doc->page(i)), "Main"), 1) << "page " << i;
}

// The text of a label's vertical columns (right to left) joined.
std::string verticalText(const Page& p) {
  std::string out;
  for (const auto& t : p.texts) {
    EXPECT_TRUE(t.vertical);
    EXPECT_GE(t.box.x, 90.0);
    EXPECT_LE(t.box.right(), 122.0);
    out += t.text;
  }
  return out;
}

TEST_F(LayoutTest, CoverAndLabelsShowTheCoverRowWhole) {
  std::string title;
  for (int i = 0; i < 3; ++i) title += "受注管理と在庫引当と出荷指示を一括で行う基幹業務";  // 72 characters
  addRow("T_XlHyousi", {{"SysTitle", txt(title)}, {"SysName", txt("受注システム Ver2")},
                        {"Company", txt("株式会社テスト")}, {"Bumon", txt("開発部")}, {"Auther", txt("佐藤")},
                        {"CreateDate", txt("2026/12/07")}});
  auto cover = textsOf(open("R_XlHyousi")->page(0));
  for (const char* s : {"プログラム仕様書", "受注システム Ver2", "株式会社テスト", "開発部", "佐藤", "2026/12/07", "承認"})
    EXPECT_EQ(countOf(cover, s), 1) << s;
  // The spine label sets the long title smaller instead of dropping its end.
  EXPECT_EQ(verticalText(open("R_XlHyousiH")->page(0)), title + "受注システム Ver2株式会社テスト開発部");
}

TEST_F(LayoutTest, CoverAndLabelsWithoutCoverRowShowTheSavedTextsAndTheDefaultTitleOnce) {
  addRow("T_XlSaveFlag", {{"ObjName", txt("受注.xls")}, {"Title", txt("プログラム仕様書")}, {"System", txt("受注システム")},
                          {"Company", txt("株式会社テスト")}, {"Bumon", txt("開発部")}, {"Auther", txt("佐藤")}});
  auto cover = textsOf(open("R_XlHyousi")->page(0));
  for (const char* s : {"プログラム仕様書", "受注システム", "株式会社テスト", "開発部", "佐藤"})
    EXPECT_EQ(countOf(cover, s), 1) << s;
  EXPECT_EQ(verticalText(open("R_XlHyousiH")->page(0)), "プログラム仕様書受注システム株式会社テスト開発部");
  auto wide = textsOf(open("R_XlHyousiW")->page(0));
  EXPECT_EQ(countOf(wide, "プログラム仕様書"), 1);
  EXPECT_EQ(countOf(wide, "株式会社テスト　開発部"), 1);
}

TEST(TextWrap, BreaksLatinAtBlanksCjkAnywhereAndKeepsEveryCharacter) {
  ensureApp();
  TextMeasurer& m = sharedMeasurer();
  // Wraps into more than one line, each within width + slack, that join back to the text.
  auto wrapped = [&](const std::string& text, double width, double slack) {
    auto lines = wrapText(m, FontRole::Body, text, width);
    EXPECT_GT(lines.size(), 1u) << text;
    std::string joined;
    for (const auto& l : lines) {
      joined += l;
      EXPECT_LE(textWidthMm(m, FontRole::Body, l), width + slack) << l;
    }
    EXPECT_EQ(joined, text);
    return lines;
  };
  // Latin: a hanging blank at most, never a blank at the start of a line.
  for (const auto& l : wrapped("Dim customerName As String, orderNumber As Long, quantity As Integer", 30, 3.0))
    EXPECT_NE(l.front(), ' ');
  const std::string japanese = "日本語の文章は、どの文字の間でも改行できます。句読点は行頭に来ません。";
  for (const auto& l : wrapped(japanese, 20, 0)) {
    EXPECT_NE(l.rfind("、", 0), 0u);
    EXPECT_NE(l.rfind("。", 0), 0u);
  }
  // A path without blanks breaks after a separator rather than inside a folder name.
  const auto path = wrapped("C:\\ProgramFiles\\MicrosoftOffice\\Office\\Library\\Analysis\\ANALYS32.XLL", 30, 0);
  for (size_t i = 0; i + 1 < path.size(); ++i) EXPECT_EQ(path[i].back(), '\\') << path[i];
  EXPECT_EQ(wrapText(m, FontRole::Body, "a\r\nb\nc", 50), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(wrapText(m, FontRole::Body, "", 50), (std::vector<std::string>{""}));
  const std::string cut = cutToWidth(m, FontRole::Body, japanese, 15);
  EXPECT_LE(textWidthMm(m, FontRole::Body, cut), 15.0);
  EXPECT_EQ(cut.substr(cut.size() - 3), "…");
  EXPECT_EQ(cutToWidth(m, FontRole::Body, "短い", 15), "短い");
}

}  // namespace
}  // namespace zel::report::test
