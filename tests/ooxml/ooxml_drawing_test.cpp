// Shapes, controls and note boxes of Office 2007+ workbooks (DrawingML and legacy VML). The
// expected values were read off the drawing parts' XML by hand (unzip -p), never taken from
// this reader's output.
#include <gtest/gtest.h>

#include "package_builder.h"
#include "support/temp_dir.h"
#include "xls/excel_model.h"
#include "xls/ooxml/drawing_parts.h"

namespace zel::xls::ooxml {
namespace {

namespace dk = drawing::kind;
using zel::test::dataFile;

const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// A one-sheet package whose sheet has a DrawingML part (drawing1.xml) and a VML part
// (vmlDrawing1.vml), and any further relationships given.
std::map<std::string, std::string> sheetWithDrawings(const std::string& moreRelationships = {}) {
  auto parts = test::minimalWorkbook(
      "<worksheet><sheetData/><drawing r:id=\"rId1\" xmlns:r=\"r\"/><legacyDrawing r:id=\"rId2\" xmlns:r=\"r\"/></worksheet>");
  parts["xl/worksheets/_rels/sheet1.xml.rels"] =
      "<Relationships><Relationship Id=\"rId1\" Type=\"" + kRel + "drawing\" Target=\"../drawings/drawing1.xml\"/>"
      "<Relationship Id=\"rId2\" Type=\"" + kRel + "vmlDrawing\" Target=\"../drawings/vmlDrawing1.vml\"/>" +
      moreRelationships + "</Relationships>";
  return parts;
}

TEST(OoxmlDrawing, GroupsWordArtPicturesAndNoteBoxes) {
  auto book = Workbook::open(dataFile("ExcelWithAttachments.xlsm"));
  const auto& d = book->sheet(1).drawing();
  // Four anchored DrawingML shapes, then the VML: pictures _s1032, _s1033, notes A1, A2,
  // picture _s1036, note A3, picture _s1038.
  ASSERT_EQ(d.shapes.size(), 11u);
  const drawing::Shape& group = d.shapes[0];
  EXPECT_EQ(group.name, "Group 1");
  EXPECT_EQ(group.objectKind, dk::Group);
  ASSERT_TRUE(group.geometry.anchor && group.geometry.groupExtent);
  EXPECT_EQ(group.geometry.anchor->row1, 17);
  EXPECT_EQ(group.geometry.anchor->col2, 1);
  EXPECT_EQ(group.geometry.anchor->row2, 24);
  // colOff 1076325 EMU = 113 px of column A's 278 px (width 39.7109375).
  EXPECT_NEAR(group.geometry.anchor->dx1, 416, 2);
  EXPECT_EQ(group.geometry.groupExtent->right, 3834 + 1976);
  ASSERT_EQ(group.members.size(), 2u);
  EXPECT_FALSE(group.members[0].filled);
  EXPECT_FALSE(group.members[0].lined);
  const drawing::Shape& box = group.members[1];
  EXPECT_EQ(box.name, "Text Box 3");
  EXPECT_EQ(box.objectKind, dk::TextBox);
  EXPECT_EQ(box.text, "Словарь\ndictionary\nЛуғат\n\n");  // five paragraphs, two empty
  EXPECT_EQ(box.foreColor, 0xFFFFFF);
  EXPECT_EQ(box.lineColor, 0);
  ASSERT_TRUE(box.geometry.childAnchor);
  EXPECT_EQ(box.geometry.childAnchor->left, 4257);
  // WordArt: outline and fill belong to the text runs; the shape has neither.
  EXPECT_EQ(d.shapes[1].name, "WordArt 5");
  EXPECT_EQ(d.shapes[1].text, "My Text Here");
  EXPECT_FALSE(d.shapes[3].lined);
  EXPECT_FALSE(d.shapes[3].filled);

  const drawing::Shape& pict = d.shapes[4];
  EXPECT_EQ(pict.objectKind, dk::Picture);
  EXPECT_EQ(pict.name, "Picture 8");  // _x0000_s1032
  ASSERT_TRUE(pict.geometry.anchor);
  EXPECT_EQ(pict.geometry.anchor->col1, 7);
  EXPECT_EQ(pict.geometry.anchor->row2, 28);
  const drawing::StoredPicture* image = book->pictures().at(pict.geometry.pictureIndex);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->format, drawing::PictureFormat::Emf);

  const drawing::Shape& note = d.shapes[6];
  EXPECT_EQ(note.objectKind, dk::Note);
  EXPECT_EQ(note.name, "Comment 10");
  EXPECT_EQ(note.noteRow, 0);
  EXPECT_EQ(note.noteCol, 0);
  EXPECT_EQ(note.text, "первый\n");
  EXPECT_EQ(note.foreColor, 0xE1FFFF);  // infoBackground [80]
  EXPECT_EQ(d.shapes[9].noteRow, 2);
  const NoteEntry* a3 = book->sheet(1).noteAt(2, 0);
  ASSERT_NE(a3, nullptr);
  EXPECT_EQ(a3->objectId, 1037 & 0x3FF);
  EXPECT_FALSE(a3->shown);
}

TEST(OoxmlDrawing, DialogButtonsAndChartFrame) {
  auto book = Workbook::open(dataFile("BlankSheetTypes.xlsm"));
  const auto& chart = book->sheet(2).drawing();
  ASSERT_EQ(chart.shapes.size(), 1u);
  EXPECT_EQ(chart.shapes[0].name, "Chart 1");
  EXPECT_EQ(chart.shapes[0].objectKind, dk::Chart);
  const auto& dialog = book->sheet(4).drawing();
  ASSERT_EQ(dialog.shapes.size(), 3u);
  EXPECT_EQ(dialog.shapes[0].objectKind, dk::DialogBox);
  EXPECT_EQ(dialog.shapes[0].text, "Dialog Title");  // a line break of the VML source is a space
  EXPECT_EQ(dialog.shapes[1].objectKind, dk::Button);
  EXPECT_EQ(dialog.shapes[1].name, "Button 2");
  EXPECT_EQ(dialog.shapes[1].text, "OK");
  EXPECT_EQ(dialog.shapes[2].foreColor, 0xCCCCCC);
  EXPECT_EQ(dialog.shapes[2].geometry.anchor->row2, 15);
}

// Shapes and note boxes below row 65 536 keep their rows; the note box still finds its note.
TEST(OoxmlDrawing, AnchorsAndNoteBoxesBeyondTheOldGrid) {
  auto parts = sheetWithDrawings("<Relationship Id=\"rId3\" Type=\"" + kRel + "comments\" Target=\"../comments1.xml\"/>");
  parts["xl/comments1.xml"] =
      "<comments><authors><author>Ann</author></authors><commentList><comment ref=\"A70000\" authorId=\"0\">"
      "<text><t>deep</t></text></comment></commentList></comments>";
  parts["xl/drawings/drawing1.xml"] =
      "<xdr:wsDr xmlns:xdr=\"x\" xmlns:a=\"a\"><xdr:twoCellAnchor><xdr:from><xdr:col>1</xdr:col><xdr:colOff>0</xdr:colOff>"
      "<xdr:row>99999</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>2</xdr:col><xdr:colOff>0</xdr:colOff>"
      "<xdr:row>1048575</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to><xdr:sp><xdr:nvSpPr><xdr:cNvPr id=\"2\" name=\"Low\"/>"
      "</xdr:nvSpPr></xdr:sp><xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>";
  parts["xl/drawings/vmlDrawing1.vml"] =
      "<xml xmlns:v=\"v\" xmlns:x=\"x\"><v:shape id=\"_x0000_s1025\"><x:ClientData ObjectType=\"Note\"><x:Visible/>"
      "<x:Anchor>1, 15, 69998, 2, 3, 15, 70003, 4</x:Anchor><x:Row>69999</x:Row><x:Column>0</x:Column>"
      "</x:ClientData></v:shape></xml>";
  auto book = Workbook::openMemory(test::zipImage(parts), "/tmp/low.xlsx");
  const auto& d = book->sheet(1).drawing();
  ASSERT_EQ(d.shapes.size(), 2u);
  ASSERT_TRUE(d.shapes[0].geometry.anchor);
  EXPECT_EQ(d.shapes[0].geometry.anchor->row1, 99999u);
  EXPECT_EQ(d.shapes[0].geometry.anchor->row2, 1048575u);
  const drawing::Shape& box = d.shapes[1];
  EXPECT_EQ(box.objectKind, dk::Note);
  EXPECT_EQ(box.noteRow, 69999u);
  ASSERT_TRUE(box.geometry.anchor);
  EXPECT_EQ(box.geometry.anchor->row1, 69998u);
  EXPECT_EQ(box.geometry.anchor->row2, 70003u);
  EXPECT_EQ(box.text, "deep");
  const NoteEntry* note = book->sheet(1).noteAt(69999, 0);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->objectId, 1025 & 0x3FF);
  EXPECT_TRUE(note->shown);
}

// A package written by hand: Excel 2010's proxy of a form control lends the control its name,
// the VML is not well-formed, colours come from the theme, macros from both kinds of part.
TEST(OoxmlDrawing, ControlsMacrosThemeColoursAndBrokenVml) {
  auto parts = sheetWithDrawings();
  parts["xl/_rels/workbook.xml.rels"] =
      "<Relationships><Relationship Id=\"rId1\" Type=\"" + kRel + "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
      "<Relationship Id=\"rId9\" Type=\"" + kRel + "theme\" Target=\"theme/theme1.xml\"/></Relationships>";
  parts["xl/theme/theme1.xml"] =
      "<a:theme xmlns:a=\"a\"><a:themeElements><a:clrScheme name=\"x\"><a:dk1><a:sysClr val=\"windowText\" lastClr=\"000000\"/>"
      "</a:dk1><a:lt1><a:srgbClr val=\"FFFFFF\"/></a:lt1><a:accent1><a:srgbClr val=\"336699\"/></a:accent1></a:clrScheme>"
      "</a:themeElements></a:theme>";
  parts["xl/drawings/drawing1.xml"] =
      "<xdr:wsDr xmlns:xdr=\"x\" xmlns:a=\"a\" xmlns:mc=\"mc\" xmlns:a14=\"a14\">"
      "<xdr:oneCellAnchor><xdr:from><xdr:col>1</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>2</xdr:row><xdr:rowOff>0</xdr:rowOff>"
      "</xdr:from><xdr:ext cx=\"1219200\" cy=\"190500\"/><xdr:sp macro=\"[0]!Module1.Go\"><xdr:nvSpPr><xdr:cNvPr id=\"3\" name=\"Go\"/>"
      "<xdr:cNvSpPr/></xdr:nvSpPr><xdr:spPr><a:prstGeom prst=\"ellipse\"/><a:ln><a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill>"
      "<a:prstDash val=\"dash\"/></a:ln></xdr:spPr><xdr:style><a:lnRef idx=\"2\"><a:schemeClr val=\"accent1\"/></a:lnRef>"
      "<a:fillRef idx=\"1\"><a:schemeClr val=\"accent1\"><a:lumMod val=\"50000\"/></a:schemeClr></a:fillRef></xdr:style>"
      "<xdr:txBody><a:p><a:r><a:t>Run</a:t></a:r><a:br/><a:r><a:t>it</a:t></a:r></a:p></xdr:txBody></xdr:sp><xdr:clientData/>"
      "</xdr:oneCellAnchor><mc:AlternateContent><mc:Choice Requires=\"a14\"><xdr:twoCellAnchor><xdr:from><xdr:col>0</xdr:col>"
      "<xdr:colOff>0</xdr:colOff><xdr:row>0</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>1</xdr:col>"
      "<xdr:colOff>0</xdr:colOff><xdr:row>1</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to><xdr:sp><xdr:nvSpPr>"
      "<xdr:cNvPr id=\"1025\" name=\"Start Button\" hidden=\"1\"><a:extLst><a:ext><a14:compatExt spid=\"_x0000_s1025\"/>"
      "</a:ext></a:extLst></xdr:cNvPr></xdr:nvSpPr></xdr:sp><xdr:clientData/></xdr:twoCellAnchor></mc:Choice>"
      "<mc:Fallback/></mc:AlternateContent></xdr:wsDr>";
  parts["xl/drawings/vmlDrawing1.vml"] =
      "<xml xmlns:v=\"v\"><v:shape id=\"_x0000_s1025\" fillcolor=#ff0000 strokecolor=\"windowText [64]\">"
      "<v:stroke dashstyle=\"longDash\"><v:textbox><div>Start<br>now &amp; here</div></v:textbox>"
      "<x:ClientData ObjectType=\"Button\"><x:Anchor>1, 10, 2, 4, 3, 0, 5, 0</x:Anchor>"
      "<x:FmlaMacro>[0]!StartAll</x:FmlaMacro></x:ClientData></v:shape>"
      "<v:shape id=\"_x0000_s1026\"><x:ClientData ObjectType=\"Checkbox\"><x:FmlaMacro>'Other.xlsm'!Tick</x:FmlaMacro>"
      "</x:ClientData></v:shape><v:shape id=\"_x0000_s1027\"><x:ClientData ObjectType=\"Drop\"><x:Anchor>9,";
  auto book = Workbook::openMemory(test::zipImage(parts), "/tmp/controls.xlsx");
  const auto& d = book->sheet(1).drawing();
  ASSERT_EQ(d.shapes.size(), 4u);  // the proxy is not a shape of its own
  const drawing::Shape& oval = d.shapes[0];
  EXPECT_EQ(oval.objectKind, dk::Oval);
  EXPECT_EQ(oval.onAction, "Module1.Go");
  EXPECT_EQ(oval.text, "Run\nit");
  EXPECT_EQ(oval.lineColor, 0x0000FF);       // the shape's own line before its style's
  EXPECT_EQ(oval.foreColor, 0x4D3319);       // accent1 336699 at half its lightness
  EXPECT_EQ(oval.dashStyle, drawing::dash::Dash);
  ASSERT_TRUE(oval.geometry.anchor);
  // 1219200 EMU = 128 px: two default columns of 64 px from column B.
  EXPECT_EQ(oval.geometry.anchor->col2, 3);
  EXPECT_EQ(oval.geometry.anchor->dx2, 0);
  const drawing::Shape& button = d.shapes[1];
  EXPECT_EQ(button.name, "Start Button");
  EXPECT_EQ(button.objectKind, dk::Button);
  EXPECT_EQ(button.onAction, "StartAll");
  EXPECT_EQ(button.text, "Start\nnow & here");
  EXPECT_EQ(button.foreColor, 0x0000FF);
  EXPECT_EQ(button.lineColor, 0);
  EXPECT_EQ(button.dashStyle, drawing::dash::LongDash);
  EXPECT_EQ(button.geometry.anchor->dx1, 160);  // 10 of 64 px
  EXPECT_EQ(d.shapes[2].name, "Check Box 2");
  EXPECT_EQ(d.shapes[2].onAction, "'Other.xlsm'!Tick");
  EXPECT_EQ(d.shapes[3].objectKind, dk::DropDown);  // cut off inside its anchor
  EXPECT_FALSE(d.shapes[3].geometry.anchor);

  std::vector<ExternalBookName> books{{"C:\\Shared\\Tools.xlsm"}};
  EXPECT_EQ(macroText("[1]!Module1.Run", books), "Tools.xlsm!Module1.Run");
  EXPECT_EQ(macroText("=[7]!Run", books), "[7]!Run");
}

}  // namespace
}  // namespace zel::xls::ooxml
