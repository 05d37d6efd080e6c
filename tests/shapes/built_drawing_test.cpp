// The drawing layer of record-by-record workbooks: colours, dash styles, fill and line
// states, groups, embedded charts and damaged records.
#include <gtest/gtest.h>

#include "support/drawing_builder.h"
#include "xls/excel_model.h"

namespace zel::test {
namespace {

using xls::Workbook;
using xls::drawing::Shape;
namespace dash = xls::drawing::dash;

constexpr uint16_t kFillColor = 0x0181, kFillBooleans = 0x01BF, kLineBooleans = 0x01FF, kDashing = 0x01CE;

std::unique_ptr<Workbook> open(const BiffBuilder& b) { return Workbook::openMemory(b.toBytes(), "Book1.xls"); }

ShapeSpec rect(uint16_t id, std::vector<std::pair<uint16_t, uint32_t>> props = {}) {
  ShapeSpec s;
  s.kind = 0x02;
  s.id = id;
  s.properties = std::move(props);
  return s;
}

TEST(BuiltDrawing, FillColoursFromRgbPaletteAndSystemIndexes) {
  BiffBuilder b;
  // PALETTE: index 8 becomes 0x123456, index 10 0xABCDEF; the rest keep their defaults.
  Bytes palette;
  palette.u16(56);
  for (int i = 0; i < 56; ++i) {
    if (i == 0) palette.u8(0x12).u8(0x34).u8(0x56).u8(0);
    else if (i == 2) palette.u8(0xAB).u8(0xCD).u8(0xEF).u8(0);
    else palette.u8(0).u8(0).u8(0).u8(0);
  }
  b.addGlobalRecord(0x0092, palette);
  int s = b.addSheet("Sheet1");
  addDrawing(b, s,
             {rect(1, {{kFillColor, 0x00332211}}),   // plain RGB: red 0x11, green 0x22, blue 0x33
              rect(2, {{kFillColor, 0x08000008}}),   // scheme index 8 -> the workbook's palette
              rect(3, {{kFillColor, 0x0800000A}}),
              rect(4, {{kFillColor, 0x08000002}}),   // fixed red
              rect(5, {{kFillColor, 0x10000005}}),   // system colour: window
              rect(6, {{kFillColor, 0x100000F0}}),   // derived colour: not resolvable
              rect(7),                                // no property: white
              rect(8, {{0x01C0, 0x0800000A}})});      // line colour through the palette
  auto book = open(b);
  const auto& shapes = book->sheet(1).drawing().shapes;
  ASSERT_EQ(shapes.size(), 8u);
  EXPECT_EQ(shapes[0].foreColor, 0x11 + 0x22 * 256 + 0x33 * 65536);
  EXPECT_EQ(shapes[1].foreColor, 0x12 + 0x34 * 256 + 0x56 * 65536);
  EXPECT_EQ(shapes[2].foreColor, 0xAB + 0xCD * 256 + 0xEF * 65536);
  EXPECT_EQ(shapes[3].foreColor, 255);
  EXPECT_EQ(shapes[4].foreColor, 0xFFFFFF);
  EXPECT_FALSE(shapes[5].foreColor.has_value());
  EXPECT_EQ(shapes[6].foreColor, 0xFFFFFF);
  EXPECT_EQ(shapes[6].lineColor, 0);
  EXPECT_EQ(shapes[7].lineColor, 0xAB + 0xCD * 256 + 0xEF * 65536);
  EXPECT_EQ(shapes[0].name, "Rectangle 1");
}

TEST(BuiltDrawing, EveryDashStyleAndTheNoFillNoLineStates) {
  BiffBuilder b;
  int s = b.addSheet("Sheet1");
  std::vector<ShapeSpec> specs;
  for (uint16_t d = 0; d <= 11; ++d) specs.push_back(rect(static_cast<uint16_t>(d + 1), {{kDashing, d}}));
  specs.push_back(rect(20, {{kFillBooleans, 0x00100000}, {kLineBooleans, 0x00080000}}));  // used and cleared
  specs.push_back(rect(21, {{kFillBooleans, 0x00110010}, {kLineBooleans, 0x00080008}}));  // used and set
  specs.push_back(rect(22, {{kFillBooleans, 0x00010000}}));  // only another flag's use bit: default
  addDrawing(b, s, specs);
  auto book = open(b);
  const auto& shapes = book->sheet(1).drawing().shapes;
  ASSERT_EQ(shapes.size(), 15u);
  const std::vector<int> expected = {dash::Solid, dash::Dash, dash::SquareDot, dash::DashDot, dash::DashDotDot, dash::RoundDot,
                                     dash::Dash, dash::LongDash, dash::DashDot, dash::LongDashDot, dash::DashDotDot, -2};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(shapes[i].dashStyle, expected[i]) << "dashing " << i;
  EXPECT_FALSE(shapes[12].filled);
  EXPECT_FALSE(shapes[12].lined);
  EXPECT_TRUE(shapes[13].filled);
  EXPECT_TRUE(shapes[13].lined);
  EXPECT_TRUE(shapes[14].filled);
}

TEST(BuiltDrawing, GroupIsOneItemWithItsMembersAndMacros) {
  BiffBuilder b;
  b.name("Macro1", {});
  b.name("Macro2", {});
  int s = b.addSheet("Sheet1");
  ShapeSpec button;
  button.kind = 0x07;
  button.id = 3;
  button.macroNameIndex = 2;
  button.text = "Run";
  ShapeSpec group;
  group.id = 5;
  group.members = {rect(2), button};
  ShapeSpec after = rect(6);
  after.macroNameIndex = 1;
  addDrawing(b, s, {rect(1), group, after});
  auto book = open(b);
  const auto& sheet = book->sheet(1);
  ASSERT_EQ(sheet.shapesCount(), 3);
  const auto& shapes = sheet.drawing().shapes;
  EXPECT_EQ(shapes[1].name, "Group 5");
  ASSERT_EQ(shapes[1].members.size(), 2u);
  EXPECT_EQ(shapes[1].members[1].name, "Button 3");
  EXPECT_EQ(shapes[1].members[1].onAction, "Macro2");
  EXPECT_EQ(shapes[1].members[1].text, "Run");
  EXPECT_EQ(shapes[2].onAction, "Macro1");
  EXPECT_TRUE(shapes[0].onAction.empty());
}

TEST(BuiltDrawing, CellsAfterAnEmbeddedChartAndTheChartsOwnRecords) {
  BiffBuilder b;
  int s = b.addSheet("Sheet1");
  ShapeSpec chart;
  chart.kind = 0x05;
  chart.id = 1;
  chart.embeddedChart = true;
  addDrawing(b, s, {chart, rect(2)});
  b.number(s, 4, 1, 42);
  auto book = open(b);
  const auto& sheet = book->sheet(1);
  // The OBJ inside the chart substream is the chart's: two shapes, both readable.
  ASSERT_EQ(sheet.shapesCount(), 2);
  EXPECT_EQ(sheet.drawing().shapes[0].name, "Chart 1");
  EXPECT_EQ(sheet.drawing().shapes[1].name, "Rectangle 2");
  EXPECT_EQ(sheet.drawing().unreadable, 0);
  EXPECT_EQ(sheet.cell(5, 2).value().number, 42);
}

// A picture whose data is an embedded OLE object (storage MBD00000007) is an "Object"; one
// whose storage is missing, and a plain picture, stay pictures.
TEST(BuiltDrawing, EmbeddedOleObjectsAreObjectsNotPictures) {
  BiffBuilder b;
  int s = b.addSheet("Sheet1");
  auto picture = [](uint16_t id, std::optional<uint32_t> storage) {
    ShapeSpec p;
    p.kind = 0x08;
    p.id = id;
    p.embeddingStorage = storage;
    return p;
  };
  ShapeSpec named = picture(4, 7);
  named.storedName = "Spreadsheet";
  addDrawing(b, s, {picture(1, 7), picture(2, 8), picture(3, std::nullopt), named});
  b.addStream("MBD00000007/\x01Ole", std::vector<uint8_t>(20, 0));
  auto book = open(b);
  const auto& shapes = book->sheet(1).drawing().shapes;
  ASSERT_EQ(shapes.size(), 4u);
  EXPECT_EQ(shapes[0].name, "Object 1");
  EXPECT_TRUE(shapes[0].embeddedObject);
  EXPECT_EQ(shapes[1].name, "Picture 2");
  EXPECT_EQ(shapes[2].name, "Picture 3");
  EXPECT_EQ(shapes[3].name, "Spreadsheet");
  EXPECT_TRUE(book->warnings().empty());
}

// Some writers leave the version nibble of the outer drawing container at 0.
TEST(BuiltDrawing, DrawingContainerWithVersionZero) {
  BiffBuilder b;
  int s = b.addSheet("Sheet1");
  addDrawing(b, s, {rect(1), rect(2)}, 0x0);
  auto book = open(b);
  ASSERT_EQ(book->sheet(1).shapesCount(), 2);
  EXPECT_EQ(book->sheet(1).drawing().shapes[1].name, "Rectangle 2");
}

// Damaged drawings: what can be read is listed, the rest counted; nothing throws.
TEST(BuiltDrawing, DamagedRecordsAreCountedNotFatal) {
  BiffBuilder b;
  int fine = b.addSheet("Fine");
  addDrawing(b, fine, {rect(1), rect(2)});
  // 2: OBJ records with no drawing at all.
  int bare = b.addSheet("Bare");
  b.addRecord(bare, 0x005D, objPayload(0x02, 1));
  // 3: a drawing container that claims far more bytes than follow.
  int lying = b.addSheet("Lying");
  b.addRecord(lying, 0x00EC, Bytes().u16(0x000F).u16(0xF002).u32(0x7FFFFFF0).u16(0x000F).u16(0xF003).u32(0xFFFFFFFF).data());
  // 4: groups nested deeper than the limit.
  int deep = b.addSheet("Deep");
  {
    Bytes bytes;
    for (int i = 0; i < 40; ++i) bytes.u16(0x000F).u16(0xF003).u32(static_cast<uint32_t>((40 - i - 1) * 8));
    b.addRecord(deep, 0x00EC, bytes);
  }
  // 5: a text box as Excel writes it, after the damaged sheets.
  int cut = b.addSheet("Cut");
  {
    ShapeSpec box = rect(1);
    box.text = "abc";
    addDrawing(b, cut, {box});
  }
  auto image = b.toBytes();
  std::unique_ptr<Workbook> book;
  ASSERT_NO_THROW(book = Workbook::openMemory(image, "Book1.xls"));
  EXPECT_EQ(book->sheet(1).shapesCount(), 2);
  EXPECT_EQ(book->sheet(2).shapesCount(), 0);
  EXPECT_EQ(book->sheet(2).drawing().unreadable, 1);
  EXPECT_EQ(book->sheet(3).shapesCount(), 0);
  EXPECT_FALSE(book->sheet(3).drawing().warnings.empty());
  EXPECT_EQ(book->sheet(4).shapesCount(), 0);
  EXPECT_FALSE(book->sheet(4).drawing().warnings.empty());
  EXPECT_EQ(book->sheet(5).shapesCount(), 1);
}

TEST(BuiltDrawing, MissingObjDamagedMacroAndTextTooLong) {
  BiffBuilder b;
  b.name("Macro1", {});
  int s1 = b.addSheet("MissingObj");
  ShapeSpec lost = rect(2);
  lost.omitObj = true;
  // OBJ records are matched in order: after a lost one, the shapes that follow run short.
  addDrawing(b, s1, {rect(1), lost, rect(3)});
  int s2 = b.addSheet("Damaged");
  ShapeSpec longText = rect(1);
  longText.text = "abc";
  longText.claimedTextChars = 50;
  ShapeSpec badMacro = rect(2);
  badMacro.macroRunsPast = true;
  ShapeSpec good = rect(3);
  good.text = "fine";
  good.macroNameIndex = 1;
  addDrawing(b, s2, {longText, badMacro, good});
  std::unique_ptr<Workbook> book;
  ASSERT_NO_THROW(book = open(b));
  const auto& d1 = book->sheet(1).drawing();
  EXPECT_EQ(d1.shapes.size(), 2u);
  EXPECT_EQ(d1.unreadable, 1);
  EXPECT_EQ(book->sheet(1).shapesCount(), 2);

  const auto& d2 = book->sheet(2).drawing();
  ASSERT_EQ(d2.shapes.size(), 3u);
  EXPECT_FALSE(d2.shapes[0].hasText);    // its text is not all there: left unread
  EXPECT_EQ(d2.shapes[1].name, "Rectangle 2");
  EXPECT_TRUE(d2.shapes[1].onAction.empty());
  EXPECT_EQ(d2.shapes[2].text, "fine");  // the records after the damage still line up
  EXPECT_EQ(d2.shapes[2].onAction, "Macro1");
  EXPECT_GE(d2.warnings.size(), 2u);
}

}  // namespace
}  // namespace zel::test
