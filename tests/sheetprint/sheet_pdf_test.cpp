// The printed sheet in a PDF file: pattern fills, turned cell text, a text box with its text
// and a stored picture all reach the PDF (text read back with pdftotext, pixels with pdftoppm);
// characters the chosen font lacks are drawn in a font that has them.
#include "report/report_document.h"
#include "report/report_output.h"
#include "report/qt_text_measurer.h"
#include "report/sheet_layout.h"
#include "sheet_print_fixture.h"
#include "support/biff_builder.h"
#include "support/drawing_builder.h"
#include "support/temp_dir.h"
#include "xls/excel_model.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace zel;

namespace {

std::string commandOutput(const std::string& cmd) {
  std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
  std::string out;
  char buf[4096];
  size_t n;
  while (p && (n = fread(buf, 1, sizeof buf, p.get())) > 0) out.append(buf, n);
  return out;
}

std::vector<uint8_t> bluePng() {
  QImage img(40, 20, QImage::Format_RGB32);
  img.fill(QColor(0, 0, 255));
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  return {bytes.begin(), bytes.end()};
}

TEST(SheetPdf, PatternsTurnedTextShapesAndPicturesReachThePdf) {
  if (std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdftoppm >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "poppler-utils not installed";
  test::ensureWidgetApplication();
  test::BiffBuilder b;
  test::addPictureStore(b, {bluePng()});
  const int s = b.addSheet("S");
  b.label(s, 0, 0, "Patterned", b.cellXf(0x20, 0, 0, 0, 2u << 26, 10 | 13 << 7));  // 50 %: red over yellow
  b.label(s, 0, 1, "TURNED", b.cellXf(0x20, 90, 0, 0, 0, 0x20C0));
  test::ShapeSpec box;
  box.kind = 0x06;
  box.text = "Boxed words";
  box.txoFlags = 2 << 1 | 2 << 4;  // centred both ways
  box.anchor = {3, 0, 3, 0, 6, 0, 8, 0};
  box.properties = {{0x0181, 0x00BD814F}};  // fill colour: red 4F, green 81, blue BD
  test::ShapeSpec picture;
  picture.kind = 0x08;
  picture.id = 2;
  picture.properties = {{0x4104, 1}};
  picture.anchor = {1, 0, 12, 0, 3, 0, 18, 0};
  test::addDrawing(b, s, {box, picture});
  auto book = xls::Workbook::openMemory(b.toBytes());
  const xls::Worksheet& sheet = book->sheet("S");
  report::QtSheetMetrics m;
  auto out = report::layoutSheet(sheet, report::sheetPrintSetup(sheet, 100), {}, m);
  ASSERT_FALSE(out.pages.empty());
  const report::Page page = out.pages[0];
  ASSERT_EQ(page.shapes.size(), 2u);
  const report::PageShape& textBox = page.shapes[0];
  EXPECT_EQ(textBox.fillRgb, 0x4F81BD);
  ASSERT_EQ(textBox.texts.size(), 1u);  // centred both ways in the box
  const report::BoxMm& line = textBox.texts[0].box;
  EXPECT_NEAR(line.x + line.w / 2, textBox.box.x + textBox.box.w / 2, 0.01);
  EXPECT_NEAR(line.y + line.h / 2, textBox.box.y + textBox.box.h / 2, 0.01);
  const report::PageShape& pic = page.shapes[1];
  ASSERT_EQ(pic.kind, report::PageShape::Kind::Picture);
  const report::PageFill* fill = nullptr;
  for (const auto& f : page.fills) fill = f.pattern == 2 ? &f : fill;
  ASSERT_NE(fill, nullptr);

  test::TempDir dir;
  const std::string pdf = dir.file("sheet.pdf");
  report::ReportDocument doc(out.title, out.paper, std::move(out.pages), report::sharedMeasurer());
  std::string error;
  ASSERT_TRUE(report::writePdf(doc, pdf, &error)) << error;
  const std::string text = commandOutput("pdftotext '" + pdf + "' - 2>/dev/null");
  for (const char* word : {"Patterned", "TURNED", "Boxed words"}) EXPECT_NE(text.find(word), std::string::npos) << word;

  // At 384 dots per inch one pattern dot is 4 pixels: red and yellow alternate; the picture is blue.
  constexpr double dpm = 384 / 25.4;
  const std::string png = dir.file("page");
  ASSERT_EQ(std::system(("pdftoppm -r 384 -png -singlefile '" + pdf + "' '" + png + "'").c_str()), 0);
  QImage img(QString::fromStdString(png + ".png"));
  ASSERT_FALSE(img.isNull());
  const int px = static_cast<int>((fill->box.right() - 3) * dpm) / 4 * 4 + 2, py = static_cast<int>((fill->box.y + 1) * dpm) / 4 * 4 + 2;
  auto rgb = [&](int x, int y) { return img.pixel(x, y) & 0xFFFFFF; };
  const QRgb c0 = rgb(px, py), c1 = rgb(px + 4, py);
  EXPECT_TRUE((c0 == 0xFF0000 && c1 == 0xFFFF00) || (c0 == 0xFFFF00 && c1 == 0xFF0000)) << std::hex << c0 << " " << c1;
  EXPECT_EQ(rgb(px + 4, py + 4), c0);
  const QRgb middle = rgb(static_cast<int>((pic.box.x + pic.box.w / 2) * dpm), static_cast<int>((pic.box.y + pic.box.h / 2) * dpm));
  EXPECT_EQ(middle, 0x0000FFu) << std::hex << middle;
}

TEST(SheetPdf, CharacterTheFontLacksIsDrawnInAFontThatHasIt) {
  // The pound-like lira sign is missing from the CJK sans face but present in other fonts.
  if (std::system("command -v pdffonts >/dev/null 2>&1 && command -v pdftotext >/dev/null 2>&1") != 0 ||
      commandOutput("fc-list ':charset=20a4' family 2>/dev/null").empty() ||
      commandOutput("fc-list 'Noto Sans CJK JP' family 2>/dev/null").empty() ||
      !commandOutput("fc-list 'Noto Sans CJK JP:charset=20a4' family 2>/dev/null").empty())
    GTEST_SKIP() << "fonts or poppler-utils not as this test needs";
  test::ensureWidgetApplication();
  report::Page page;
  report::PageText t;
  // Bytes that are not UTF-8 (a damaged string) print as replacement characters and leave
  // the texts after them unharmed.
  t.box = {20, 10, 60, 6};
  t.text = "Bad\xFF\xC0\x80 bytes";
  t.family = "DejaVu Sans";  // has U+FFFD, so no other face is asked for
  t.pointSize = 10;
  t.align = report::Align::Right;
  page.texts.push_back(t);
  t.family = "Noto Sans CJK JP";
  t.box = {20, 20, 60, 6};
  t.text = "GBP (\u20A4)";
  t.family = "Noto Sans CJK JP";
  t.pointSize = 10;
  t.align = report::Align::Right;
  page.texts.push_back(t);
  report::PageText spine;  // a vertical report text, one character below the other
  spine.box = {100, 40, 12, 60};
  spine.text = "\u20A4\u20A4\u20A4";
  spine.font = report::FontRole::Label;
  spine.vertical = true;
  page.texts.push_back(spine);
  test::TempDir dir;
  const std::string pdf = dir.file("lira.pdf");
  report::ReportDocument doc("T", report::PaperSize{}, {page}, report::sharedMeasurer());
  std::string error;
  ASSERT_TRUE(report::writePdf(doc, pdf, &error)) << error;
  const std::string text = commandOutput("pdftotext '" + pdf + "' - 2>/dev/null");
  EXPECT_NE(text.find("GBP (\u20A4)"), std::string::npos) << text;
  EXPECT_NE(text.find("Bad\uFFFD"), std::string::npos) << text;
  size_t signs = 0;
  for (size_t at = text.find("\u20A4"); at != std::string::npos; at = text.find("\u20A4", at + 1)) ++signs;
  EXPECT_EQ(signs, 4u) << text;
  // The CJK face for the letters, another for the sign (per style, the spine's may differ).
  const std::string fonts = commandOutput("pdffonts '" + pdf + "' 2>/dev/null");
  EXPECT_GE(std::count(fonts.begin(), fonts.end(), '\n'), 4) << fonts;  // two header lines, two fonts or more
}

}  // namespace

TEST(SheetPdf, ShapesKeepTheirColoursTurnsAndClipsInTheWrittenFile) {
  if (std::system("command -v pdftoppm >/dev/null 2>&1 && command -v pdfinfo >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "poppler-utils not installed";
  test::ensureWidgetApplication();
  // Each shape is clipped to the cell area, so each is drawn inside a saved state: the fill
  // colour of one must not be lost when the state of the one before is restored.
  report::Page page;
  auto shape = [&](report::PageShape::Kind kind, report::BoxMm box, int64_t fill, int64_t line, double rotation) {
    report::PageShape s;
    s.kind = kind;
    s.box = box;
    s.clip = {10, 10, 190, 277};
    s.fillRgb = fill;
    s.lineRgb = line;
    s.lineWidthMm = 2;
    s.rotation = rotation;
    page.shapes.push_back(s);
  };
  shape(report::PageShape::Kind::Rectangle, {20, 20, 30, 20}, 0xFF0000, -1, 0);
  shape(report::PageShape::Kind::Rectangle, {20, 60, 30, 20}, 0xFF0000, -1, 0);
  shape(report::PageShape::Kind::Oval, {80, 20, 40, 40}, 0x0000FF, 0x00FF00, 0);
  shape(report::PageShape::Kind::Rectangle, {80, 100, 40, 40}, 0x000000, -1, 45);
  shape(report::PageShape::Kind::Rectangle, {150, 5, 40, 20}, 0xFF0000, -1, 0);  // half outside the clip
  test::TempDir dir;
  const std::string pdf = dir.file("shapes.pdf");
  report::ReportDocument doc("T", report::PaperSize{}, {page, page}, report::sharedMeasurer());
  std::string error;
  ASSERT_TRUE(report::writePdf(doc, pdf, &error)) << error;
  const std::string info = commandOutput("pdfinfo '" + pdf + "' 2>&1");
  EXPECT_NE(info.find("Pages:           2\n"), std::string::npos) << info;
  EXPECT_EQ(info.find("rror"), std::string::npos) << info;  // a damaged cross-reference table is reported

  constexpr double dpm = 72 / 25.4;
  const std::string png = dir.file("page");
  ASSERT_EQ(std::system(("pdftoppm -r 72 -png -f 2 -singlefile '" + pdf + "' '" + png + "'").c_str()), 0);
  QImage img(QString::fromStdString(png + ".png"));
  ASSERT_FALSE(img.isNull());
  auto at = [&](double xMm, double yMm) { return img.pixel(static_cast<int>(xMm * dpm), static_cast<int>(yMm * dpm)) & 0xFFFFFF; };
  EXPECT_EQ(at(35, 30), 0xFF0000u);
  EXPECT_EQ(at(35, 70), 0xFF0000u);
  EXPECT_EQ(at(100, 40), 0x0000FFu);   // oval: filled blue ...
  EXPECT_EQ(at(100, 20.3), 0x00FF00u); // ... edged green
  EXPECT_EQ(at(81.5, 21.5), 0xFFFFFFu); // outside the oval, inside its box
  EXPECT_EQ(at(100, 101.5), 0x000000u); // the turned square reaches above its box's top edge's middle ...
  EXPECT_EQ(at(81.5, 101.5), 0xFFFFFFu); // ... and leaves the box's corner empty
  EXPECT_EQ(at(170, 8), 0xFFFFFFu);     // clipped away
  EXPECT_EQ(at(170, 15), 0xFF0000u);
}
