// Real workbooks: the page-setup records the reader takes in, and the pages laid out from
// them. Expected cell texts were read with python3-xlrd (values and number formats) and
// formatted by hand.
#include "report/sheet_layout.h"
#include "report/gui_application.h"
#include "report/preview/preview_window.h"
#include "report/preview/sheet_preview.h"
#include "report/sheet_print.h"
#include "sheet_print_fixture.h"
#include "xls/excel_model.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>

#include <filesystem>
#include <set>

using namespace zel;

namespace {

constexpr std::time_t kNoon = 1796659200;

report::SheetPages layoutFile(const std::string& file, const std::string& sheet, int zoom,
                              std::unique_ptr<xls::Workbook>& keep) {
  keep = xls::Workbook::open(test::dataFile(file));
  const xls::Worksheet& s = keep->sheet(sheet);
  test::FixedSheetMetrics m;
  return report::layoutSheet(s, report::sheetPrintSetup(s, zoom), report::headerFooterFieldsAt(kNoon), m);
}

TEST(CorpusPageSetup, PageBreaksAndMergedAreasAsStored) {
  auto breaks = xls::Workbook::open(test::dataFile("SimpleWithPageBreaks.xls"));
  const auto& layout = breaks->sheet(1).data().pageLayout;
  EXPECT_EQ(layout.rowBreaks, std::vector<uint32_t>{23});
  EXPECT_EQ(layout.colBreaks, std::vector<uint16_t>{5});
  auto loan = xls::Workbook::open(test::dataFile("44958.xls"));
  const auto& merged = loan->sheet("TwoVariable Table Example").data().mergedAreas;
  ASSERT_EQ(merged.size(), 2u);
  auto area = [](const auto& m) { return std::vector<int>{static_cast<int>(m.firstRow), static_cast<int>(m.lastRow), m.firstCol, m.lastCol}; };
  EXPECT_EQ(area(merged[0]), (std::vector<int>{0, 0, 0, 1}));
  EXPECT_EQ(area(merged[1])[0], 1);
  EXPECT_EQ(area(merged[1])[2], 4);
  EXPECT_EQ(area(merged[1])[3], 7);
}

TEST(CorpusSheetPrint, DatesTimesAndPercentagesAsDisplayed) {
  std::unique_ptr<xls::Workbook> keep;
  auto pages = layoutFile("Formate.xls", "Blätt1", 100, keep);
  ASSERT_EQ(pages.pages.size(), 1u);
  const auto& page = pages.pages[0];
  // Column B, rows 1..8: DD/MM/YYYY, a long date, HH:MM, H:MM:SS AM/PM, 0.0%.
  const std::vector<std::string> expected = {"03/07/1907", "23/02/2005", "Tuesday, May 03, 1988", "06:34",
                                             "12:56",      "5:47:13 PM", "97.4%",                 "12.4%"};
  double lastY = 0;
  const auto& headB = test::onlyText(page, "B");
  for (const auto& text : expected) {
    const auto& t = test::onlyText(page, text);
    EXPECT_EQ(t.align, report::Align::Right) << text;  // numbers align right under General alignment
    EXPECT_GT(t.box.x, headB.box.x - 0.01) << text;
    EXPECT_LT(t.box.right(), headB.box.right() + 0.01) << text;
    EXPECT_GT(t.box.y, lastY) << text;
    lastY = t.box.y;
  }
  EXPECT_EQ(test::onlyText(page, "Äcker").align, report::Align::Left);
}

const report::PageFill& fillAt(const report::Page& page, double x, double y) {
  for (const auto& f : page.fills)
    if (x > f.box.x && x < f.box.right() && y > f.box.y && y < f.box.bottom()) return f;
  static const report::PageFill kNone{};
  ADD_FAILURE() << "no fill at " << x << ", " << y;
  return kNone;
}

// Each channel within 2 of Excel's colour (Excel rounds its luminance steps its own way).
::testing::AssertionResult nearRgb(uint32_t got, uint32_t want) {
  for (int shift : {16, 8, 0})
    if (std::abs(static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF)) > 2)
      return ::testing::AssertionFailure() << std::hex << got << " is not " << want;
  return ::testing::AssertionSuccess();
}

// Office 2007+ styles: theme colours with tints, and a custom palette that changes what the
// palette indexes mean. Expected colours are those Excel's colour picker names for the Office
// 2007 theme ("Accent 6, Darker 25%" = E46C0A ...) and the indexedColors list of the file.
TEST(CorpusSheetPrint, OfficeStyleFillsAndBordersInTheColoursExcelShows) {
  std::unique_ptr<xls::Workbook> keep;
  auto pages = layoutFile("cell_style_simple.xlsx", "Sheet1", 100, keep);
  const auto& page = pages.pages[0];
  // Inside a cell, by its column heading and its row heading (the leftmost text of that number).
  auto centre = [&](const char* col, const char* row) {
    const report::PageText* heading = nullptr;
    for (const auto& t : page.texts)
      if (t.text == row && (!heading || t.box.x < heading->box.x)) heading = &t;
    return std::pair{test::onlyText(page, col).box.x + 1, heading ? heading->box.y + 1 : 0};
  };
  auto [ax, y1] = centre("A", "1");
  const auto& a1 = fillAt(page, ax, y1);  // darkHorizontal: accent6 -25 %, accent2 +40 %
  EXPECT_EQ(a1.pattern, 5);
  EXPECT_TRUE(nearRgb(a1.rgb, 0xE46C0A));
  EXPECT_TRUE(nearRgb(a1.backRgb, 0xDA9694));
  auto [ex, e1y] = centre("E", "1");
  const auto& e1 = fillAt(page, ex, e1y);  // lightDown: accent1 -25 %, accent4 -25 %
  EXPECT_EQ(e1.pattern, 13);
  EXPECT_TRUE(nearRgb(e1.rgb, 0x366092));
  EXPECT_TRUE(nearRgb(e1.backRgb, 0x604A7B));
  auto [hx, h1y] = centre("H", "1");
  const auto& h1 = fillAt(page, hx, h1y);  // lightGrid: accent1, background 2 -75 %
  EXPECT_EQ(h1.pattern, 15);
  EXPECT_EQ(h1.rgb, 0x4F81BDu);
  EXPECT_TRUE(nearRgb(h1.backRgb, 0x494529));
  auto [a3x, y3] = centre("A", "3");
  const auto& a3 = fillAt(page, a3x, y3);  // darkGray: text 2 on text 1
  EXPECT_EQ(a3.pattern, 3);
  EXPECT_EQ(a3.rgb, 0x1F497Du);
  EXPECT_EQ(a3.backRgb, 0x000000u);

  auto attendance = layoutFile("Attendance.xlsx", "Attendance - Attendance", 100, keep);
  const auto& sheet = attendance.pages[0];
  // Palette index 10 is red by default; this book's palette makes it 3A38E4, and 13 F4F4F5.
  const auto& heading = test::onlyText(sheet, "Date");
  const auto& a2 = fillAt(sheet, heading.box.x + 0.5, heading.box.y + 0.5);
  EXPECT_EQ(a2.pattern, 1);
  EXPECT_EQ(a2.rgb, 0x3A38E4u);
  EXPECT_EQ(heading.rgb, 0xFEFEFEu);  // index 9
  EXPECT_TRUE(heading.bold);
  std::set<uint32_t> ruleColours, fillColours;
  for (const auto& r : sheet.rules) ruleColours.insert(r.rgb);
  for (const auto& f : sheet.fills) fillColours.insert(f.rgb);
  EXPECT_TRUE(ruleColours.count(0x7F7F7F));  // index 11, green by default
  EXPECT_FALSE(ruleColours.count(0x00FF00));
  EXPECT_TRUE(fillColours.count(0xF4F4F5));
}

TEST(CorpusSheetPrint, MergedTitleFormatsAndWideSheetOverTwoPages) {
  std::unique_ptr<xls::Workbook> keep;
  auto pages = layoutFile("44958.xls", "TwoVariable Table Example", 100, keep);
  ASSERT_GE(pages.pages.size(), 2u);
  const auto& first = pages.pages[0];
  for (const char* pct : {"7.50%", "8.97%", "9.57%"}) EXPECT_TRUE(test::hasText(first, pct)) << pct;
  const auto& title = test::onlyText(first, "Tractor Loan");
  const auto& a = test::onlyText(first, "A");
  const auto& bHead = test::onlyText(first, "B");
  EXPECT_NEAR(title.clip.x, a.box.x, 0.01);
  EXPECT_NEAR(title.clip.right(), bHead.box.right(), 0.01);
  // The columns that do not fit continue on a later page, headed by their own letters.
  bool laterHasH = false;
  for (size_t i = 1; i < pages.pages.size(); ++i) laterHasH |= test::hasText(pages.pages[i], "H");
  EXPECT_TRUE(laterHasH);
  EXPECT_FALSE(test::hasText(pages.pages.back(), "A"));
}

TEST(CorpusSheetPrint, ChineseMergedHeading) {
  std::unique_ptr<xls::Workbook> keep;
  auto pages = layoutFile("61287.xls", "第一页", 100, keep);
  ASSERT_FALSE(pages.pages.empty());
  const auto& title = test::onlyText(pages.pages[0], "资产负债表");
  EXPECT_EQ(title.align, report::Align::Center);
  // A1:H3 merged: the title's room runs from column A to column H.
  const auto& a = test::onlyText(pages.pages[0], "A");
  EXPECT_NEAR(title.clip.x, a.box.x, 0.01);
  // Rows 1..3: the title's room is as tall as their headings (left of column A; cells may
  // hold the same numbers).
  double headingsHeight = 0;
  for (const char* n : {"1", "2", "3"}) {
    for (const auto* t : test::textsNamed(pages.pages[0], n))
      if (t->box.right() <= a.box.x + 0.01) headingsHeight += t->box.h;
  }
  EXPECT_NEAR(title.clip.h, headingsHeight, 0.01);
  EXPECT_GT(headingsHeight, 10);
}

TEST(CorpusSheetPrint, PdfOfARealSheet) {
  test::ensureWidgetApplication();
  const std::string out = ::testing::TempDir() + "sheet_print_test.pdf";
  std::string error;
  ASSERT_TRUE(report::renderSheetToPdf(test::dataFile("Formate.xls"), "Blätt1", "１００", out, &error)) << error;
  EXPECT_GT(std::filesystem::file_size(out), 1000u);
  std::filesystem::remove(out);
  EXPECT_FALSE(report::renderSheetToPdf(test::dataFile("Formate.xls"), "Blätt1", "abc", out, &error));
  EXPECT_NE(error.find("13"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CorpusSheetPrint, PreparedPagesInThePreviewWindow) {
  test::ensureWidgetApplication();
  xls::Application app;
  app.openWorkbook(test::dataFile("12561-1.xls"));
  test::FixedSheetMetrics m;
  report::SheetPages pages = report::prepareSheetPrint(app, "作業リスト", "98", m, kNoon);
  const size_t count = pages.pages.size();
  ASSERT_GT(count, 1u);
  report::PreviewWindow* w = report::showSheetPreview(nullptr, std::move(pages), false);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->pageCount(), static_cast<int>(count));
  EXPECT_EQ(w->document().paper().orientation, report::Orientation::Landscape);
  EXPECT_NE(w->windowTitle().toStdString().find("作業リスト"), std::string::npos);
  w->goToPage(1);
  EXPECT_EQ(w->currentPage(), 1);
  // A second print replaces the first window.
  report::SheetPages again = report::prepareSheetPrint(app, "作業リスト", "50", m, kNoon);
  QPointer<report::PreviewWindow> first(w);
  report::PreviewWindow* w2 = report::showSheetPreview(nullptr, std::move(again), false);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());
  EXPECT_LT(w2->pageCount(), static_cast<int>(count));
  w2->close();
}

}  // namespace
