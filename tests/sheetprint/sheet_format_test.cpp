// Cell formatting beyond values in the printed sheet: turned and stacked text, indents,
// shrink to fit, fill patterns, border colours, double and dashed borders; painted pixels of a
// pattern and a double border.
#include "report/page_painter.h"
#include "report/sheet_print.h"
#include "sheet_print_fixture.h"
#include "support/biff_builder.h"
#include "xls/excel_model.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using namespace zel;
using test::BiffBuilder;

namespace {

constexpr double kMmPerPx = 25.4 / 96;
constexpr double kColumnMm = 64 * kMmPerPx;  // default column width

report::SheetPages layoutOf(const BiffBuilder& b, std::unique_ptr<xls::Workbook>& keep) {
  keep = xls::Workbook::openMemory(b.toBytes());
  const xls::Worksheet& s = keep->sheet("S");
  test::FixedSheetMetrics m;
  return report::layoutSheet(s, report::sheetPrintSetup(s, 100), {}, m);
}

// Border words of the XF record: styles of left/right/top/bottom and colours of each edge.
uint32_t border1(uint8_t left, uint8_t right, uint8_t top, uint8_t bottom, uint8_t leftColour, uint8_t rightColour) {
  return left | right << 4 | top << 8 | bottom << 12 | uint32_t{leftColour} << 16 | uint32_t{rightColour} << 23;
}
uint32_t border2(uint8_t topColour, uint8_t bottomColour, uint8_t pattern) {
  return topColour | bottomColour << 7 | uint32_t{pattern} << 26;
}

class SheetFormat : public ::testing::Test {
 protected:
  void SetUp() override {
    int s = b_.addSheet("S");
    b_.addRecord(s, 0x0208, test::Bytes().u16(0).u16(0).u16(8).u16(1200).u16(0).u16(0).u32(0x0140).u16(0));  // row 1: 60 pt
    b_.label(s, 0, 0, "up45", b_.cellXf(0x12, 45, 0, 0, 0, 0x20C0));               // centred both ways
    b_.label(s, 0, 1, "down", b_.cellXf(0x20, 180, 0, 0, 0, 0x20C0));              // -90 degrees
    b_.label(s, 0, 2, "abc", b_.cellXf(0x22, 255, 0, 0, 0, 0x20C0));               // stacked, bottom
    b_.label(s, 1, 0, "in", b_.cellXf(0x21, 0, 2, 0, 0, 0x20C0));                  // left, indent 2
    b_.label(s, 1, 1, "a text far too long", b_.cellXf(0x20, 0, 0x10, 0, 0, 0x20C0));  // shrink
    // Pattern 2 (50 %) red on yellow; right edge double blue, bottom dashed green, left thin
    // in automatic colour.

    b_.blank(s, 1, 2, b_.cellXf(0x20, 0, 0, border1(1, 6, 0, 3, 64, 12), border2(64, 11, 2), 2 | 5 << 7));
  }
  BiffBuilder b_;
};

TEST_F(SheetFormat, TurnedStackedIndentedAndShrunkTexts) {
  std::unique_ptr<xls::Workbook> keep;
  auto pages = layoutOf(b_, keep);
  ASSERT_EQ(pages.pages.size(), 1u);
  const auto& page = pages.pages[0];
  const double left = test::onlyText(page, "A").box.x, top = test::onlyText(page, "1").box.y;
  const double rowMm = 60 * 25.4 / 72;

  const auto& up = test::onlyText(page, "up45");
  EXPECT_DOUBLE_EQ(up.rotation, 45);
  EXPECT_NEAR(up.box.x + up.box.w / 2, left + kColumnMm / 2, 0.01);  // centred in A1
  EXPECT_NEAR(up.box.y + up.box.h / 2, top + rowMm / 2, 0.01);
  EXPECT_NEAR(up.box.w, 4.0, 0.01);  // its own length, not the turned extent

  const auto& down = test::onlyText(page, "down");
  EXPECT_DOUBLE_EQ(down.rotation, -90);
  // Bottom-aligned: the turned text (4 mm long) ends just above the cell's bottom.
  EXPECT_NEAR(down.box.y + down.box.h / 2 + 2.0, top + rowMm - kMmPerPx, 0.01);

  // Stacked letters: one above the other, the last at the cell's bottom.
  const auto& a = test::onlyText(page, "a");
  const auto& c = test::onlyText(page, "c");
  EXPECT_DOUBLE_EQ(a.rotation, 0);
  EXPECT_NEAR(c.box.y - a.box.y, 2 * a.box.h, 0.01);
  EXPECT_NEAR(c.box.bottom(), top + rowMm - kMmPerPx, 0.01);

  // Indent 2 = six spaces of the standard font (1 mm each with the fixed metrics).
  const auto& in = test::onlyText(page, "in");
  EXPECT_NEAR(in.box.x, left + 2 * kMmPerPx + 6.0, 0.01);

  // Shrink to fit: the font shrinks until the text fits between the paddings.
  const auto& shrunk = test::onlyText(page, "a text far too long");
  EXPECT_NEAR(shrunk.pointSize * 0.1 * 19, kColumnMm - 4 * kMmPerPx, 0.01);
  EXPECT_LT(shrunk.pointSize, 10);
}

TEST_F(SheetFormat, PatternsAndBorderColoursInTheModelAndInPixels) {
  std::unique_ptr<xls::Workbook> keep;
  auto pages = layoutOf(b_, keep);
  const auto& page = pages.pages[0];
  ASSERT_EQ(page.fills.size(), 1u);
  const auto& fill = page.fills[0];
  EXPECT_EQ(fill.pattern, 2);
  EXPECT_EQ(fill.rgb, 0xFF0000);
  EXPECT_EQ(fill.backRgb, 0xFFFF00u);
  const double x = fill.box.x, rightX = fill.box.right(), bottom = fill.box.bottom();
  std::vector<const report::PageRule*> right, bottomRules, leftRules;
  for (const auto& r : page.rules) {
    if (r.rgb == 0xA0A0A0 || r.widthMm == 0.1) continue;  // gridlines, headings
    if (std::abs(r.x1 - r.x2) < 1e-9 && std::abs(r.x1 - rightX) < 0.5) right.push_back(&r);
    if (std::abs(r.y1 - bottom) < 1e-9 && std::abs(r.y2 - bottom) < 1e-9) bottomRules.push_back(&r);
    if (std::abs(r.x1 - x) < 1e-9 && std::abs(r.x2 - x) < 1e-9) leftRules.push_back(&r);
  }
  ASSERT_EQ(right.size(), 2u);  // double: two lines either side of the edge
  EXPECT_EQ(right[0]->rgb, 0x0000FFu);
  EXPECT_NEAR(right[1]->x1 - right[0]->x1, 2 * kMmPerPx, 1e-9);
  ASSERT_EQ(bottomRules.size(), 1u);
  EXPECT_EQ(bottomRules[0]->dash, report::LineDash::Dash);
  EXPECT_EQ(bottomRules[0]->rgb, 0x00FF00u);
  ASSERT_EQ(leftRules.size(), 1u);
  EXPECT_EQ(leftRules[0]->rgb, 0x000000u);
  EXPECT_EQ(leftRules[0]->dash, report::LineDash::Solid);

  // Painted at 384 dots per inch (one pattern dot is 4 pixels): the 50 % pattern alternates
  // red and yellow; the double edge shows blue, a gap, blue.
  test::ensureWidgetApplication();
  const double dpm = 4 * 96 / 25.4;
  QImage img(static_cast<int>(pages.paper.widthMm * dpm), static_cast<int>(pages.paper.heightMm * dpm),
             QImage::Format_RGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    report::paintPage(p, page, dpm);
  }
  const int px = static_cast<int>((fill.box.x + fill.box.w / 2) * dpm) / 4 * 4 + 2;
  const int py = static_cast<int>((fill.box.y + 2) * dpm) / 4 * 4 + 2;
  const QRgb c0 = img.pixel(px, py) & 0xFFFFFF, c1 = img.pixel(px + 4, py) & 0xFFFFFF, c2 = img.pixel(px + 4, py + 4) & 0xFFFFFF;
  EXPECT_TRUE((c0 == 0xFF0000 && c1 == 0xFFFF00) || (c0 == 0xFFFF00 && c1 == 0xFF0000)) << std::hex << c0 << " " << c1;
  EXPECT_EQ(c2, c0);
  const int ex = static_cast<int>(rightX * dpm);
  auto blueish = [&](int xx) { QRgb v = img.pixel(xx, py); return qBlue(v) > 200 && qRed(v) < 150 && qGreen(v) < 150; };
  EXPECT_TRUE(blueish(ex - 4));
  EXPECT_TRUE(blueish(ex + 4));
  EXPECT_FALSE(blueish(ex));
}

}  // namespace
