// Freeform and preset shapes and text-box margins of a built drawing: the outline read from the
// shape's vertices and path commands or from its preset type, mirrored when flipped, painted as
// its outline (not its box) by both painters, damaged arrays kept within bounds; text placed
// inside the stored margins.
#include "report/page_painter.h"
#include "report/report_document.h"
#include "report/report_output.h"
#include "report/qt_text_measurer.h"
#include "report/shape_geometry.h"
#include "report/sheet_layout.h"
#include "sheet_print_fixture.h"
#include "support/biff_builder.h"
#include "support/drawing_builder.h"
#include "support/temp_dir.h"
#include "ooxml/package_builder.h"
#include "xls/excel_model.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdlib>

using namespace zel;
using report::PageShape;

namespace {

// An IMsoArray of 16-bit values.
std::vector<uint8_t> msoArray(const std::vector<uint16_t>& values, uint16_t elementSize, uint16_t claimed = 0) {
  const auto count = static_cast<uint16_t>(claimed ? claimed : values.size() * 2 / elementSize);
  std::vector<uint8_t> out = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                              static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                              static_cast<uint8_t>(elementSize), static_cast<uint8_t>(elementSize >> 8)};
  for (uint16_t v : values) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  return out;
}

// A triangle pointing down (flipped upside down: it points up in the file), red, over B2:F12,
// a text box whose left margin is 20 mm, a preset right arrow flipped to point left, blue,
// over B15:F19, and a green square whose path is marked not to be filled, over I15:M20.
std::vector<test::ShapeSpec> drawing(bool damaged) {
  test::ShapeSpec triangle;
  triangle.kind = 0x09;
  triangle.anchor = {1, 0, 1, 0, 6, 0, 12, 0};
  triangle.properties = {{0x0181, 0x000000FF}, {0x0142, 100}, {0x0143, 100}};  // red; geometry 100 x 100
  // Points (50, 0), (100, 100), (0, 100); move, two lines, close, end.
  triangle.complexProperties = {{0x0145, msoArray({50, 0, 100, 100, 0, 100}, 4, damaged ? 60000 : 0)},
                                {0x0146, msoArray({0x4000, 0x0002, 0x6001, 0x8000}, 2)}};
  if (damaged) triangle.complexProperties[1].second = msoArray({0x4000, 0x1FFF, 0x2000 | 0x1FFF, 0x6001}, 2);
  triangle.extraFspFlags = 0x80;
  test::ShapeSpec box;
  box.kind = 0x06;
  box.id = 2;
  box.text = "M";
  box.anchor = {8, 0, 1, 0, 12, 0, 6, 0};
  box.properties = {{0x0081, 720000}};  // left margin 20 mm
  test::ShapeSpec arrow;
  arrow.kind = 0x1E;
  arrow.id = 3;
  arrow.shapeType = 13;
  arrow.extraFspFlags = 0x40;
  arrow.anchor = {1, 0, 14, 0, 6, 0, 19, 0};
  arrow.properties = {{0x0181, 0x00FF0000}};  // blue
  test::ShapeSpec square;
  square.kind = 0x09;
  square.id = 4;
  square.anchor = {8, 0, 14, 0, 12, 0, 20, 0};
  square.properties = {{0x0181, 0x0000FF00}, {0x0142, 100}, {0x0143, 100}};
  // Move, the no-fill escape (no points), three lines, close, end.
  square.complexProperties = {{0x0145, msoArray({0, 0, 100, 0, 100, 100, 0, 100}, 4)},
                              {0x0146, msoArray({0x4000, 0xAA00, 0x0003, 0x6001, 0x8000}, 2)}};
  return {triangle, box, arrow, square};
}

report::SheetPages layout(bool damaged) {
  test::BiffBuilder b;
  const int s = b.addSheet("S");
  b.label(s, 20, 0, "end", 15);
  test::addDrawing(b, s, drawing(damaged));
  auto book = xls::Workbook::openMemory(b.toBytes());
  const xls::Worksheet& sheet = book->sheet("S");
  test::FixedSheetMetrics m;
  return report::layoutSheet(sheet, report::sheetPrintSetup(sheet, 100), {}, m);
}

bool reddish(QRgb c) { return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80; }
bool greenish(QRgb c) { return qGreen(c) > 200 && qRed(c) < 80 && qBlue(c) < 80; }
bool bluish(QRgb c) { return qBlue(c) > 200 && qGreen(c) < 80 && qRed(c) < 80; }

}  // namespace

TEST(SheetFreeform, OutlineAndMarginsFromTheFileInBothPainters) {
  test::ensureWidgetApplication();
  const auto pages = layout(false);
  ASSERT_FALSE(pages.pages.empty());
  const report::Page& page = pages.pages[0];
  ASSERT_EQ(page.shapes.size(), 4u);
  const PageShape& tri = page.shapes[0];
  ASSERT_EQ(tri.kind, PageShape::Kind::Freeform);
  ASSERT_EQ(tri.outline.size(), 5u);  // move, line, line, close, end
  // Flipped upside down: the apex is at the bottom centre of the box.
  EXPECT_NEAR(tri.outline[0].p[0].x, tri.box.x + tri.box.w / 2, 1e-9);
  EXPECT_NEAR(tri.outline[0].p[0].y, tri.box.bottom(), 1e-9);
  EXPECT_NEAR(tri.outline[1].p[0].y, tri.box.y, 1e-9);
  EXPECT_EQ(tri.outline[3].op, report::PathStep::Op::Close);

  // The arrow flipped left to right: its tip (the preset's fourth point) at the left middle.
  const PageShape& arrow = page.shapes[2];
  ASSERT_EQ(arrow.kind, PageShape::Kind::Freeform);
  ASSERT_EQ(arrow.outline.size(), 8u);  // move, six lines, close
  EXPECT_NEAR(arrow.outline[3].p[0].x, arrow.box.x, 1e-9);
  EXPECT_NEAR(arrow.outline[3].p[0].y, arrow.box.y + arrow.box.h / 2, 1e-9);

  // The square's one path keeps its line but not its fill.
  const PageShape& square = page.shapes[3];
  const auto paths = report::outlinePaths(square.outline);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_FALSE(paths[0].filled);
  EXPECT_TRUE(paths[0].stroked);

  const PageShape& box = page.shapes[1];
  ASSERT_EQ(box.texts.size(), 1u);
  EXPECT_NEAR(box.texts[0].box.x, box.box.x + 20, 0.01);  // the stored left margin, not 0.1 inch

  // Painted: red just above the apex, white in the box's bottom corners (outside the triangle).
  const double dpm = 4;
  const report::PaperSize paper = pages.paper;
  auto check = [&](const QImage& img, const char* painter) {
    auto px = [&](double xMm, double yMm) { return img.pixel(static_cast<int>(xMm * dpm), static_cast<int>(yMm * dpm)); };
    EXPECT_TRUE(reddish(px(tri.box.x + tri.box.w / 2, tri.box.bottom() - 3))) << painter;
    EXPECT_TRUE(reddish(px(tri.box.x + tri.box.w / 2, tri.box.y + 1))) << painter;
    EXPECT_FALSE(reddish(px(tri.box.x + 2, tri.box.bottom() - 2))) << painter;
    EXPECT_FALSE(reddish(px(tri.box.right() - 2, tri.box.bottom() - 2))) << painter;
    // The arrow's head at the left, its shaft at the right; the corners beside the head empty.
    EXPECT_TRUE(bluish(px(arrow.box.x + 2, arrow.box.y + arrow.box.h / 2))) << painter;
    EXPECT_TRUE(bluish(px(arrow.box.right() - 2, arrow.box.y + arrow.box.h / 2))) << painter;
    EXPECT_FALSE(bluish(px(arrow.box.x + 1, arrow.box.y + 1))) << painter;
    EXPECT_FALSE(bluish(px(arrow.box.right() - 1, arrow.box.y + 1))) << painter;
    EXPECT_FALSE(greenish(px(square.box.x + square.box.w / 2, square.box.y + square.box.h / 2))) << painter;
  };
  QImage img(static_cast<int>(paper.widthMm * dpm), static_cast<int>(paper.heightMm * dpm), QImage::Format_RGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    report::paintPage(p, page, dpm);
  }
  check(img, "QPainter");

  if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0) GTEST_SKIP() << "poppler-utils not installed";
  test::TempDir dir;
  const std::string pdf = dir.file("f.pdf");
  report::ReportDocument doc("f", paper, {page}, report::sharedMeasurer());
  std::string error;
  ASSERT_TRUE(report::writePdf(doc, pdf, &error)) << error;
  ASSERT_EQ(std::system(("pdftoppm -png -r " + std::to_string(dpm * 25.4) + " -f 1 -l 1 -singlefile " + pdf + " " +
                         dir.file("f")).c_str()),
            0);
  QImage fromPdf(QString::fromStdString(dir.file("f.png")));
  ASSERT_FALSE(fromPdf.isNull());
  check(fromPdf, "PDF");
}

TEST(SheetFreeform, ArraysClaimingMoreThanTheyHoldStopAtWhatIsThere) {
  const auto pages = layout(true);
  ASSERT_FALSE(pages.pages.empty());
  const PageShape& tri = pages.pages[0].shapes.at(0);
  ASSERT_EQ(tri.kind, PageShape::Kind::Freeform);
  // Three points: the move and as many lines as there are points; the curves find none.
  EXPECT_EQ(tri.outline.size(), 3u);
  for (const auto& step : tri.outline) {
    EXPECT_NE(step.op, report::PathStep::Op::Curve);
    EXPECT_GE(step.p[0].x, tri.box.x - 1e-9);
    EXPECT_LE(step.p[0].x, tri.box.right() + 1e-9);
  }
}

// A preset right arrow of an Office 2007+ drawing, 2:1 with its own adjust values, prints with
// the points its guide formulas give (head 40% of the height long, shaft 60% thick), not as
// its box.
TEST(SheetFreeform, PresetGeometryOfAnOfficeDrawingPrintsItsOutline) {
  auto parts = xls::ooxml::test::minimalWorkbook(
      "<worksheet><sheetData/><drawing r:id=\"rId1\" xmlns:r=\"r\"/></worksheet>");
  parts["xl/worksheets/_rels/sheet1.xml.rels"] =
      "<Relationships><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/drawing\" Target=\"../drawings/drawing1.xml\"/></Relationships>";
  // Over B2:F8, which is not 2:1; the xfrm says 2:1.
  parts["xl/drawings/drawing1.xml"] =
      "<xdr:wsDr xmlns:xdr=\"x\" xmlns:a=\"a\"><xdr:twoCellAnchor><xdr:from><xdr:col>1</xdr:col><xdr:colOff>0</xdr:colOff>"
      "<xdr:row>1</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>5</xdr:col><xdr:colOff>0</xdr:colOff>"
      "<xdr:row>7</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to><xdr:sp><xdr:nvSpPr><xdr:cNvPr id=\"2\" name=\"S\"/><xdr:cNvSpPr/>"
      "</xdr:nvSpPr><xdr:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"2438400\" cy=\"1143000\"/></a:xfrm>"
      "<a:prstGeom prst=\"rightArrow\"><a:avLst><a:gd name=\"adj1\" fmla=\"val 60000\"/><a:gd name=\"adj2\" fmla=\"val 40000\"/>"
      "</a:avLst></a:prstGeom></xdr:spPr></xdr:sp><xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>";
  auto book = xls::Workbook::openMemory(xls::ooxml::test::zipImage(parts), "/tmp/arrow.xlsx");
  const xls::Worksheet& sheet = book->sheet(1);
  test::FixedSheetMetrics m;
  const auto pages = report::layoutSheet(sheet, report::sheetPrintSetup(sheet, 100), {}, m);
  ASSERT_FALSE(pages.pages.empty());
  ASSERT_EQ(pages.pages[0].shapes.size(), 1u);
  const PageShape& arrow = pages.pages[0].shapes[0];
  ASSERT_EQ(arrow.kind, PageShape::Kind::Freeform);
  ASSERT_EQ(arrow.outline.size(), 8u);  // move, six lines, close
  const report::BoxMm& b = arrow.box;
  // In a box w x h drawn 2:1 (ss = h): head from x = w - 0.4 h, shaft from 0.2 h to 0.8 h.
  const double headX = (2438400.0 - 0.4 * 1143000) / 2438400;
  EXPECT_NEAR(arrow.outline[1].p[0].x, b.x + headX * b.w, 1e-3);
  EXPECT_NEAR(arrow.outline[1].p[0].y, b.y + 0.2 * b.h, 1e-3);
  EXPECT_NEAR(arrow.outline[3].p[0].x, b.right(), 1e-9);  // the tip
  EXPECT_NEAR(arrow.outline[6].p[0].y, b.y + 0.8 * b.h, 1e-3);
}
