// The sheet print's steps on the open workbook, and the layout of built sheets.
#include "core/vb_error.h"
#include "report/sheet_print.h"
#include "sheet_print_fixture.h"
#include "support/biff_builder.h"
#include "support/temp_dir.h"
#include "xls/excel_model.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zel;
using test::BiffBuilder;
using test::Bytes;

namespace {

constexpr double kMmPerPx = 25.4 / 96;
constexpr double kDefaultColumnMm = 64 * kMmPerPx;  // 8 characters + padding, rounded to 8 px
constexpr std::time_t kNoon = 1796659200;             // a fixed moment for date fields

long errorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const VbError& e) {
    return e.number();
  }
  return 0;
}

// A workbook with a visible, a hidden, a very hidden and a chart sheet.
class SheetPrintCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    BiffBuilder b;
    int data = b.addSheet("Data");
    b.label(data, 0, 0, "visible");
    int hidden = b.addSheet("Hidden", BiffBuilder::Hidden);
    b.label(hidden, 0, 0, "hidden text");
    int secret = b.addSheet("Secret", BiffBuilder::VeryHidden);
    b.label(secret, 0, 0, "secret");
    b.addSheet("Chart1", BiffBuilder::Visible, BiffBuilder::Chart);
    b.write(dir_.file("book.xls"));
    app_.openWorkbook(dir_.file("book.xls"));
  }
  xls::Worksheet& sheet(const std::string& name) { return app_.activeWorkbook()->sheet(name); }
  report::SheetPages print(const std::string& name, const std::string& zoom) {
    return report::prepareSheetPrint(app_, name, zoom, metrics_, kNoon);
  }

  test::TempDir dir_;
  xls::Application app_;
  test::FixedSheetMetrics metrics_;
};

TEST_F(SheetPrintCommand, HiddenSheetIsShownSelectedAndItsSetupChanged) {
  sheet("Hidden").pageSetup().printArea = "$A$1:$B$2";
  sheet("Hidden").pageSetup().printTitleRows = "$1:$1";
  app_.referenceStyle = -4150;
  auto pages = print("Hidden", "150");
  ASSERT_EQ(pages.pages.size(), 1u);
  EXPECT_TRUE(test::hasText(pages.pages[0], "hidden text"));
  EXPECT_EQ(pages.title, "Hidden");
  const xls::Worksheet& s = sheet("Hidden");
  EXPECT_EQ(s.visible(), xls::kSheetVisible);
  EXPECT_EQ(app_.activeSheet()->name(), "Hidden");
  EXPECT_EQ(app_.referenceStyle, 1);
  EXPECT_EQ(s.pageSetup().printArea, "");
  EXPECT_EQ(s.pageSetup().printTitleRows, "");
  EXPECT_TRUE(s.pageSetup().printHeadings);
  EXPECT_EQ(s.pageSetup().zoom, 150);
}

TEST_F(SheetPrintCommand, BadZoomChangesNothing) {
  sheet("Hidden").pageSetup().printArea = "$A$1";
  EXPECT_EQ(errorNumber([&] { print("Hidden", "abc"); }), 13);
  EXPECT_EQ(sheet("Hidden").visible(), xls::kSheetHidden);
  EXPECT_EQ(sheet("Hidden").pageSetup().printArea, "$A$1");
  EXPECT_FALSE(sheet("Hidden").pageSetup().printHeadings);
  EXPECT_NE(app_.activeSheet()->name(), "Hidden");
}

TEST_F(SheetPrintCommand, VeryHiddenAndUnknownSheetsFailAChartSheetPrintsItsPage) {
  EXPECT_EQ(errorNumber([&] { print("Secret", "100"); }), 1004);
  EXPECT_EQ(sheet("Secret").visible(), xls::kSheetVeryHidden);
  // A chart sheet is not an error: its chart's page of its own.
  auto chart = print("Chart1", "100");
  EXPECT_EQ(chart.pages.size(), 1u);
  EXPECT_EQ(chart.title, "Chart1");
  EXPECT_EQ(errorNumber([&] { print("Missing", "100"); }), 9);
  EXPECT_NO_THROW(print("data", "10"));  // names match without regard to case
}

// ---- Layout of built sheets ----

report::SheetPages layoutOf(BiffBuilder& b, const std::string& sheetName, int zoom,
                            std::unique_ptr<xls::Workbook>& keep) {
  keep = xls::Workbook::openMemory(b.toBytes());
  const xls::Worksheet& s = keep->sheet(sheetName);
  test::FixedSheetMetrics m;
  report::HeaderFooterFields f = report::headerFooterFieldsAt(kNoon);
  f.fileName = "Book1.xls";
  f.sheetName = sheetName;
  return report::layoutSheet(s, report::sheetPrintSetup(s, zoom), f, m);
}

Bytes pageBreaks(std::initializer_list<uint16_t> at) {
  Bytes b;
  b.u16(static_cast<uint16_t>(at.size()));
  for (uint16_t a : at) b.u16(a).u16(0).u16(0xFFFF);
  return b;
}

TEST(SheetLayout, ManualPageBreaksAndPageOrder) {
  for (bool overThenDown : {false, true}) {
    BiffBuilder b;
    int s = b.addSheet("S");
    // SETUP: A4 portrait, order bit as given.
    b.addRecord(s, 0x00A1, Bytes().u16(9).u16(100).u16(1).u16(1).u16(1).u16(overThenDown ? 0x0003 : 0x0002)
                               .u16(600).u16(600).f64(0.5).f64(0.5).u16(1));
    for (uint16_t r = 0; r < 6; ++r)
      for (uint16_t c = 0; c < 2; ++c) b.label(s, r, c, std::string(1, static_cast<char>('a' + c)) + std::to_string(r + 1));
    b.addRecord(s, 0x001B, pageBreaks({3}));
    b.addRecord(s, 0x001A, pageBreaks({1}));
    std::unique_ptr<xls::Workbook> keep;
    auto pages = layoutOf(b, "S", 100, keep);
    ASSERT_EQ(pages.pages.size(), 4u);
    const auto& second = pages.pages[1];
    if (overThenDown) {
      EXPECT_TRUE(test::hasText(second, "b1"));
      EXPECT_FALSE(test::hasText(second, "a4"));
    } else {
      EXPECT_TRUE(test::hasText(second, "a4"));
      EXPECT_TRUE(test::hasText(second, "6"));   // row heading
      EXPECT_FALSE(test::hasText(second, "3"));
      EXPECT_FALSE(test::hasText(second, "b4"));
    }
    EXPECT_TRUE(test::hasText(pages.pages[3], "b6"));
    EXPECT_TRUE(test::hasText(pages.pages[3], "B"));
    EXPECT_FALSE(test::hasText(pages.pages[3], "A"));
  }
}

TEST(SheetLayout, ZoomHeadingsOverflowHashesAndHiddenRows) {
  BiffBuilder b;
  int s = b.addSheet("S");
  b.addRecord(s, 0x007D, Bytes().u16(2).u16(2).u16(2 * 256).u16(15).u16(0).u16(0));  // C: 2 characters
  b.addRecord(s, 0x0208, Bytes().u16(3).u16(0).u16(3).u16(255).u16(0).u16(0).u32(0x0120).u16(0));  // row 4 hidden
  b.label(s, 0, 0, "a long text that overflows");
  b.label(s, 1, 0, "a long text that is cut");
  b.number(s, 1, 1, 7);
  b.number(s, 2, 2, 123456789);
  b.label(s, 3, 0, "in a hidden row");
  b.label(s, 4, 0, "x");
  std::unique_ptr<xls::Workbook> keep;
  auto p100 = layoutOf(b, "S", 100, keep);
  ASSERT_EQ(p100.pages.size(), 1u);
  const auto& page = p100.pages[0];
  const auto& headA = test::onlyText(page, "A");
  EXPECT_NEAR(headA.box.w, kDefaultColumnMm, 0.01);
  // Overflow into the empty B1; cut at B2, which holds a number.
  const auto& over = test::onlyText(page, "a long text that overflows");
  const auto& cut = test::onlyText(page, "a long text that is cut");
  EXPECT_GT(over.clip.w, kDefaultColumnMm + 1);
  EXPECT_NEAR(cut.clip.w, kDefaultColumnMm, 0.01);
  EXPECT_NEAR(over.clip.x, headA.box.x, 0.01);
  // A number too wide for its column prints as #.
  bool hashes = false;
  for (const auto& t : page.texts) hashes |= !t.text.empty() && t.text.find_first_not_of('#') == std::string::npos;
  EXPECT_TRUE(hashes);
  EXPECT_FALSE(test::hasText(page, "123456789"));
  // Hidden row: neither its heading nor its text.
  EXPECT_FALSE(test::hasText(page, "in a hidden row"));
  EXPECT_FALSE(test::hasText(page, "4"));
  EXPECT_TRUE(test::hasText(page, "5"));
  EXPECT_NEAR(test::onlyText(page, "5").box.y, test::onlyText(page, "3").box.bottom(), 0.01);
  // Texts come in row order on the page.
  EXPECT_LT(over.box.y, cut.box.y);
  // Zoom 200 doubles the cells and the font.
  auto p200 = layoutOf(b, "S", 200, keep);
  const auto& headA2 = test::onlyText(p200.pages[0], "A");
  EXPECT_NEAR(headA2.box.w, 2 * kDefaultColumnMm, 0.01);
  EXPECT_NEAR(test::onlyText(p200.pages[0], "x").pointSize, 2 * test::onlyText(page, "x").pointSize, 0.01);
}

TEST(SheetLayout, PaperMarginsCentringHeaderFooterAndMergedCells) {
  BiffBuilder b;
  int s = b.addSheet("Sales");
  b.addRecord(s, 0x0014, Bytes().str16("&LLeft&CPage &P of &N"));
  b.addRecord(s, 0x0015, Bytes().str16("&R&A &F"));
  b.addRecord(s, 0x0026, Bytes().f64(1.0));  // left margin 1 inch
  b.addRecord(s, 0x0083, Bytes().u16(1));    // centred horizontally
  // SETUP: A4, landscape (fPortrait clear), printer settings valid.
  b.addRecord(s, 0x00A1, Bytes().u16(9).u16(100).u16(1).u16(1).u16(1).u16(0x0000).u16(600).u16(600).f64(0.5).f64(0.5).u16(1));
  b.label(s, 0, 0, "merged title");
  b.addRecord(s, 0x00E5, Bytes().u16(1).u16(0).u16(0).u16(0).u16(2));  // A1:C1
  b.label(s, 1, 2, "c2");
  std::unique_ptr<xls::Workbook> keep;
  auto pages = layoutOf(b, "Sales", 100, keep);
  EXPECT_EQ(pages.paper.orientation, report::Orientation::Landscape);
  EXPECT_NEAR(pages.paper.widthMm, 297, 0.01);
  ASSERT_EQ(pages.pages.size(), 1u);
  const auto& page = pages.pages[0];
  EXPECT_TRUE(test::hasText(page, "Left"));
  EXPECT_TRUE(test::hasText(page, "Page 1 of 1"));
  EXPECT_TRUE(test::hasText(page, "Sales Book1.xls"));
  EXPECT_LT(test::onlyText(page, "Page 1 of 1").box.y, 20);
  EXPECT_GT(test::onlyText(page, "Sales Book1.xls").box.y, 180);
  // The merged text spans A..C.
  const auto& title = test::onlyText(page, "merged title");
  EXPECT_NEAR(title.clip.w, 3 * kDefaultColumnMm, 0.01);
  // Centred: equal room left and right of headings + three columns, inside the margins.
  const double left = test::onlyText(page, "1").box.x - 25.4;
  const double right = 297 - 0.75 * 25.4 - title.clip.right();
  EXPECT_NEAR(left, right, 0.01);
  EXPECT_GT(left, 50);
}

TEST(SheetLayout, WithoutSetupPrintsOnA4PortraitWithDefaultMargins) {
  BiffBuilder b;
  int s = b.addSheet("S");
  b.label(s, 0, 0, "x");
  std::unique_ptr<xls::Workbook> keep;
  auto pages = layoutOf(b, "S", 100, keep);
  EXPECT_EQ(pages.paper.orientation, report::Orientation::Portrait);
  EXPECT_NEAR(pages.paper.widthMm, 210, 0.01);
  EXPECT_NEAR(pages.paper.heightMm, 297, 0.01);
  EXPECT_NEAR(test::onlyText(pages.pages[0], "A").box.y, 25.4, 0.01);  // top margin 1 inch
  EXPECT_TRUE(pages.pages[0].rules.size() > 0);
}

TEST(SheetPageSetupRecords, DamagedRecordsAreSkippedWithAWarning) {
  BiffBuilder b;
  int s = b.addSheet("S");
  b.addRecord(s, 0x00A1, Bytes().u16(9).u16(100));                        // SETUP cut short
  b.addRecord(s, 0x00E5, Bytes().u16(5).u16(0).u16(0).u16(0).u16(1));     // 5 areas announced, 1 stored
  b.addRecord(s, 0x001B, Bytes().u16(3).u16(4));                          // breaks cut short
  b.addRecord(s, 0x0028, Bytes().f64(-3.0));                              // negative top margin
  b.addRecord(s, 0x0014, Bytes());                                        // empty header: none
  b.label(s, 0, 0, "x");
  auto book = xls::Workbook::openMemory(b.toBytes());
  const auto& data = book->sheet(1).data();
  EXPECT_GE(data.warnings.size(), 3u);
  EXPECT_TRUE(data.pageLayout.noPrinterSettings);
  EXPECT_EQ(data.mergedAreas.size(), 1u);
  EXPECT_NEAR(data.pageLayout.topInches, 1.0, 1e-9);
  EXPECT_TRUE(data.pageLayout.header.empty());
  test::FixedSheetMetrics m;
  auto pages = report::layoutSheet(book->sheet(1), report::sheetPrintSetup(book->sheet(1), 100), {}, m);
  EXPECT_EQ(pages.pages.size(), 1u);
}

}  // namespace
