// cmdXlShape on built and real workbooks: rows, options, labels, skip test and the mends
// (addressing by index, macro shapes with unusual names, dash-style translation, protection).
#include <gtest/gtest.h>

#include "support/drawing_builder.h"
#include "workbook/analysis_fixture.h"
#include "workbook/shape_labels.h"
#include "workbook/shape_list.h"

namespace zel::test {
namespace {

using workbook::AnalysisOutcome;
using workbook::runShapeList;
using Rows = std::vector<std::vector<std::string>>;

constexpr uint16_t kFillColor = 0x0181, kFillBooleans = 0x01BF, kLineBooleans = 0x01FF, kDashing = 0x01CE;
const char* kAllFields = "SELECT objectNo, SheetName, ControlName, ShapeName, ShapeType, IbentType, MacroName, ForeColor, "
                         "LineStyle, TextName, Label FROM T_XlShape ORDER BY rowid";

ShapeSpec spec(uint16_t kind, uint16_t id, std::string name = {}, uint32_t macro = 0) {
  ShapeSpec s;
  s.kind = kind;
  s.id = id;
  s.storedName = std::move(name);
  s.macroNameIndex = macro;
  return s;
}

// Sheet "Main": rectangle with macro and fill, note, text box, renamed button with macro,
// drop down with macro, a user-named shape without macro, a group holding a macro button.
// Sheet "Empty" without shapes; "Guarded" protected without password; "Locked" with one.
std::unique_ptr<xls::Workbook> sampleBook() {
  BiffBuilder b;
  b.name("Macro1", {});
  b.name("Macro2", {});
  b.name("Macro3", {});
  int main = b.addSheet("Main");
  ShapeSpec rect = spec(0x02, 1, {}, 1);
  rect.properties = {{kFillColor, 0x000000FF}, {kDashing, 6}};
  rect.text = "in rect";
  ShapeSpec note = spec(0x19, 2);
  note.text = "a note";
  ShapeSpec box = spec(0x06, 3);
  box.text = "boxed";
  box.properties = {{kFillBooleans, 0x00100000}, {kLineBooleans, 0x00080000}};
  ShapeSpec renamed = spec(0x07, 4, "集計", 2);
  renamed.text = "集計する";
  ShapeSpec drop = spec(0x14, 5, {}, 3);
  ShapeSpec plain = spec(0x02, 6, "myShape");
  ShapeSpec group = spec(0x00, 7);
  group.members = {spec(0x02, 8), spec(0x07, 9, {}, 1)};
  addDrawing(b, main, {rect, note, box, renamed, drop, plain, group});
  b.addRecord(main, 0x001C, Bytes().u16(0).u16(0).u16(0).u16(2).str16("me").u8(0));
  b.addSheet("Empty");
  int guarded = b.addSheet("Guarded");
  b.addRecord(guarded, 0x0012, Bytes().u16(1));
  b.addRecord(guarded, 0x0063, Bytes().u16(1));
  addDrawing(b, guarded, {spec(0x02, 1, {}, 1)});
  int locked = b.addSheet("Locked");
  b.addRecord(locked, 0x0012, Bytes().u16(1));
  b.addRecord(locked, 0x0013, Bytes().u16(0xCC3D));
  addDrawing(b, locked, {spec(0x07, 1, {}, 2)});
  return xls::Workbook::openMemory(b.toBytes(), "Book1.xls");
}

// Every shape of a built workbook (option 2) as the rows of a query.
Rows listAll(const BiffBuilder& b, const std::string& sql, AnalysisOutcome* outcome = nullptr) {
  auto book = xls::Workbook::openMemory(b.toBytes(), "Book1.xls");
  AnalysisFixture f;
  f.options.ShapeOption = 2;
  auto ctx = f.ctx();
  AnalysisOutcome out = runShapeList(ctx, *book);
  if (outcome) *outcome = out;
  return f.rows(sql);
}

TEST(ShapeList, EveryShapeUnderOptionTwo) {
  AnalysisFixture f;
  auto book = sampleBook();
  f.options.ShapeOption = 2;
  auto ctx = f.ctx();
  AnalysisOutcome out = runShapeList(ctx, *book);
  EXPECT_TRUE(out.ran);
  EXPECT_EQ(out.report, "R_XlShape");
  EXPECT_TRUE(out.messages.empty());
  const std::string red = std::to_string(255);
  EXPECT_EQ(f.rows(kAllFields),
            (Rows{{"1", "Main", "Rectangle 1", "Rectangle 1", "四角形", "ｸﾘｯｸ時", "Macro1", red, "破線", "in rect", "2"},
                  {"1", "Main", "Comment 2", "Comment 2", "コメント", "", "", "16777215", "実線", "", "2"},
                  {"1", "Main", "Text Box 3", "Text Box 3", "ﾃｷｽﾄﾎﾞｯｸｽ", "", "", "", "線なし", "boxed", "2"},
                  {"1", "Main", "集計", "集計", "ボタン", "ｸﾘｯｸ時", "Macro2", "16777215", "実線", "集計する", "2"},
                  {"1", "Main", "Drop Down 5", "Drop Down 5", "ﾄﾞﾛｯﾌﾟﾀﾞｳﾝ", "ｸﾘｯｸ時", "Macro3", "16777215", "実線", "", "2"},
                  {"1", "Main", "Button 9", "Button 9", "ボタン", "ｸﾘｯｸ時", "Macro1", "16777215", "実線", "", "2"},
                  {"3", "Guarded", "Rectangle 1", "Rectangle 1", "四角形", "ｸﾘｯｸ時", "Macro1", "16777215", "実線", "", "2"},
                  {"4", "Locked", "Button 1", "Button 1", "ボタン", "ｸﾘｯｸ時", "Macro2", "16777215", "実線", "", "2"}}));
  EXPECT_EQ(f.flags.fShp, 2);
  EXPECT_EQ(f.progress.status.front(), "図形情報　取得中");
  EXPECT_EQ(f.progress.status.back(), "終了しました");
  EXPECT_EQ(f.progress.gauge, (std::vector<long>{0, 25, 50, 75, 100, 100}));

  // Protection ends as it began: the walk does not switch the drawing objects' lock off.
  const auto& guarded = book->sheet(3);
  EXPECT_TRUE(guarded.protectContents());
  EXPECT_TRUE(guarded.protectDrawingObjects());
  EXPECT_FALSE(guarded.protectScenarios());
  EXPECT_FALSE(guarded.protectionHasPassword());
  EXPECT_TRUE(book->sheet(4).protectContents());
  EXPECT_TRUE(book->sheet(4).protectionHasPassword());

  // The same option again is skipped: the table is not filled anew.
  f.db.exec("DELETE FROM T_XlShape");
  AnalysisOutcome again = runShapeList(ctx, *book);
  EXPECT_FALSE(again.ran);
  EXPECT_EQ(again.report, "R_XlShape");
  EXPECT_EQ(f.count("T_XlShape"), 0);
  EXPECT_EQ(f.flags.fShp, 2);
}

TEST(ShapeList, MacrosOnlyAndNotesLeftOutByKind) {
  AnalysisFixture f;
  auto book = sampleBook();
  f.options.ShapeOption = 1;
  auto ctx = f.ctx();
  runShapeList(ctx, *book);
  EXPECT_EQ(f.rows("SELECT SheetName, ShapeName, MacroName, Label FROM T_XlShape ORDER BY rowid"),
            (Rows{{"Main", "Rectangle 1", "Macro1", "1"},
                  {"Main", "集計", "Macro2", "1"},
                  {"Main", "Drop Down 5", "Macro3", "1"},
                  {"Main", "Button 9", "Macro1", "1"},
                  {"Guarded", "Rectangle 1", "Macro1", "1"},
                  {"Locked", "Button 1", "Macro2", "1"}}));

  f.options.ShapeOption = 3;
  runShapeList(ctx, *book);
  auto names = f.rows("SELECT ShapeName FROM T_XlShape WHERE SheetName = 'Main' ORDER BY rowid");
  EXPECT_EQ(names, (Rows{{"Rectangle 1"}, {"Text Box 3"}, {"集計"}, {"Drop Down 5"}, {"Button 9"}}));
  EXPECT_EQ(f.flags.fShp, 3);
}

TEST(ShapeList, ReadOnlyWorkbookGivesTheSameRows) {
  AnalysisFixture changed, readOnly;
  auto book = sampleBook();
  auto other = sampleBook();
  changed.options.ShapeOption = readOnly.options.ShapeOption = 2;
  auto c1 = changed.ctx();
  auto c2 = readOnly.ctx();
  runShapeList(c1, *book);
  runShapeList(c2, static_cast<const xls::Workbook&>(*other));
  EXPECT_EQ(readOnly.rows(kAllFields), changed.rows(kAllFields));
  EXPECT_EQ(other->activeSheet()->index(), 1);  // nothing activated
  EXPECT_EQ(book->activeSheet()->index(), 4);   // the walk activates each sheet in turn
}

TEST(ShapeList, DuplicateAndBlankTailedNamesKeepTheirOwnMacroAndText) {
  BiffBuilder b;
  b.name("First", {});
  b.name("Second", {});
  int s = b.addSheet("Sheet1");
  ShapeSpec one = spec(0x02, 1, "Rect  ", 1);
  one.text = "one";
  ShapeSpec two = spec(0x02, 2, "Rect", 2);
  two.text = "two";
  ShapeSpec three = spec(0x02, 3, "Rect", 0);
  three.text = "three";
  addDrawing(b, s, {one, two, three});
  EXPECT_EQ(listAll(b, "SELECT ControlName, MacroName, TextName FROM T_XlShape ORDER BY rowid"),
            (Rows{{"Rect", "First", "one"}, {"Rect", "Second", "two"}, {"Rect", "", "three"}}));
}

TEST(ShapeList, DashStylesTranslatedByMeaning) {
  BiffBuilder b;
  int s = b.addSheet("Sheet1");
  std::vector<ShapeSpec> shapes;
  for (uint16_t d = 0; d <= 11; ++d) {
    ShapeSpec r = spec(0x02, static_cast<uint16_t>(d + 1));
    r.properties = {{kDashing, d}};
    shapes.push_back(r);
  }
  addDrawing(b, s, shapes);
  // solid, dashSys, dotSys, dashDotSys, dashDotDotSys, dotGEL, dashGEL, longDashGEL,
  // dashDotGEL, longDashDotGEL, longDashDotDotGEL, out of range.
  EXPECT_EQ(listAll(b, "SELECT LineStyle FROM T_XlShape ORDER BY rowid"),
            (Rows{{"実線"}, {"破線"}, {"点線"}, {"破線・点線"}, {"破線１点線２"}, {"点線"}, {"破線"}, {"破線"}, {"破線・点線"},
                  {"破線・点線"}, {"破線１点線２"}, {"ERROR"}}));
}

TEST(ShapeList, UnreadableShapesAreReported) {
  BiffBuilder b;
  int s = b.addSheet("Sheet1");
  ShapeSpec lost = spec(0x02, 2);
  lost.omitObj = true;
  addDrawing(b, s, {spec(0x02, 1), lost});
  AnalysisOutcome out;
  EXPECT_EQ(listAll(b, "SELECT COUNT(*) FROM T_XlShape", &out), (Rows{{"1"}}));
  ASSERT_EQ(out.messages.size(), 1u);
  EXPECT_NE(out.messages[0].text.find("1 個"), std::string::npos);
  EXPECT_NE(out.messages[0].text.find("Sheet1"), std::string::npos);
}

TEST(ShapeList, CorpusButtonWithLowerCaseNameAndExternalMacro) {
  AnalysisFixture f;
  auto book = xls::Workbook::open(dataFile("external_name.xls"));
  f.options.ShapeOption = 1;
  auto ctx = f.ctx();
  runShapeList(ctx, *book);
  EXPECT_EQ(f.rows("SELECT objectNo, SheetName, ShapeName, ShapeType, IbentType, MacroName, TextName FROM T_XlShape"),
            (Rows{{"3", "Example YTP 1", "cmdCreateWeeks", "ボタン", "ｸﾘｯｸ時", "CreateWeeks", "Create Weeks"}}));
  f.options.ShapeOption = 2;
  runShapeList(ctx, *book);
  // Charts: labelled, no text read.
  EXPECT_EQ(f.count("T_XlShape"), 8);  // 2 + 4 + 2 shapes, the button among them
  EXPECT_EQ(f.rows("SELECT ShapeType, TextName FROM T_XlShape WHERE ShapeName = 'Chart 2' AND objectNo = 2"),
            (Rows{{"グラフ", ""}}));
}

TEST(ShapeLabels, ClassifiersAndMacroNames) {
  using namespace workbook;
  EXPECT_EQ(ShapeKindLabel("Object 2"), "オブジェクト");
  EXPECT_EQ(ShapeKindLabel("Oval 2"), "楕円");
  EXPECT_EQ(ShapeKindLabel("button"), "ERROR");
  EXPECT_EQ(ShapeKindLabel(""), "ERROR");
  EXPECT_EQ(FillCheck("Line 4"), "ERROR");
  EXPECT_EQ(FillCheck("chart 4"), "ERROR");
  EXPECT_EQ(FillCheck("Text Box 1"), "");
  EXPECT_EQ(LineStyleLabel(13), "破線・点線斜め");
  EXPECT_EQ(LineStyleLabel(-4119), "二重線");
  EXPECT_EQ(LineStyleLabel(2), "ERROR");
  EXPECT_EQ(borderLineOfDashStyle(4, false), -4142);
  EXPECT_EQ(objectKindLabel(0x00), "ｸﾞﾙｰﾌﾟ");
  EXPECT_EQ(macroNameOf("Book1.xls!Macro1"), "Macro1");
  EXPECT_EQ(macroNameOf("Macro1"), "Macro1");
  EXPECT_EQ(macroNameOf("'C:\\a!b\\Book1.xls'!Module1.Run"), "Module1.Run");
}

}  // namespace
}  // namespace zel::test
