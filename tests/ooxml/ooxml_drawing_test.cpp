// Shapes, controls and note boxes of Office 2007+ workbooks (DrawingML and legacy VML). The
// expected values were read off the drawing parts' XML by hand (unzip -p), never taken from
// this reader's output.
#include <gtest/gtest.h>

#include "package_builder.h"
#include "support/temp_dir.h"
#include "xls/excel_model.h"
#include "xls/ooxml/drawing_parts.h"
#include "xls/ooxml/preset_geometry.h"

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

  // The VML pictures _s1032, _s1033, _s1036 and _s1038 draw the sheet's four <oleObject>s
  // (shapeId 1032 ... 1038), each with its embedding part: embedded objects, named "Object n".
  const drawing::Shape& pict = d.shapes[4];
  EXPECT_EQ(pict.objectKind, dk::Picture);
  EXPECT_TRUE(pict.embeddedObject);
  EXPECT_EQ(pict.name, "Object 8");  // _x0000_s1032, MSGraph.Chart.8
  EXPECT_EQ(d.shapes[10].name, "Object 14");  // _x0000_s1038, PowerPoint.Show.12 (a package part)
  EXPECT_TRUE(d.warnings.empty());
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

// OLE objects and ActiveX controls as Excel 2010 writes them (alternate content with objectPr/
// controlPr anchors, VML pictures with o:spid, a DrawingML proxy), written by hand: each
// object is one picture shape, embedded objects named "Object n", controls by their names.
TEST(OoxmlDrawing, OleObjectsAndActiveXControls) {
  auto parts = sheetWithDrawings(
      "<Relationship Id=\"rId3\" Type=\"" + kRel + "package\" Target=\"../embeddings/Doc1.docx\"/>"
      "<Relationship Id=\"rId5\" Type=\"" + kRel + "control\" Target=\"../activeX/activeX1.xml\"/>"
      "<Relationship Id=\"rId6\" Type=\"" + kRel + "control\" Target=\"../activeX/activeX2.xml\"/>");
  auto anchor = [](int row1, int row2) {
    return "<anchor moveWithCells=\"1\"><from><xdr:col>2</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>" +
           std::to_string(row1) + "</xdr:row><xdr:rowOff>0</xdr:rowOff></from><to><xdr:col>4</xdr:col>"
           "<xdr:colOff>304800</xdr:colOff><xdr:row>" + std::to_string(row2) + "</xdr:row><xdr:rowOff>0</xdr:rowOff></to></anchor>";
  };
  parts["xl/worksheets/sheet1.xml"] =
      "<worksheet xmlns:r=\"r\" xmlns:mc=\"mc\" xmlns:xdr=\"xdr\"><sheetData/><drawing r:id=\"rId1\"/>"
      "<legacyDrawing r:id=\"rId2\"/><oleObjects><mc:AlternateContent><mc:Choice Requires=\"x14\">"
      "<oleObject progId=\"Word.Document.12\" shapeId=\"1026\" r:id=\"rId3\"><objectPr defaultSize=\"0\">" + anchor(3, 8) +
      "</objectPr></oleObject></mc:Choice><mc:Fallback><oleObject progId=\"Word.Document.12\" shapeId=\"1026\" r:id=\"rId3\"/>"
      "</mc:Fallback></mc:AlternateContent><oleObject progId=\"Excel.Sheet.12\" link=\"[1]!''''\" shapeId=\"1027\"/>"
      "</oleObjects><controls><mc:AlternateContent><mc:Choice Requires=\"x14\"><control shapeId=\"1025\" r:id=\"rId5\" "
      "name=\"CommandButton1\"><controlPr>" + anchor(0, 2) + "</controlPr></control></mc:Choice><mc:Fallback>"
      "<control shapeId=\"1025\" r:id=\"rId5\" name=\"CommandButton1\"/></mc:Fallback></mc:AlternateContent>"
      "<control shapeId=\"1028\" r:id=\"rId9\" name=\"ListBox1\"/>"
      "<control shapeId=\"1029\" r:id=\"rId6\" name=\"Spare\"><controlPr>" + anchor(20, 22) + "</controlPr></control>"
      "<control shapeId=\"1030\" r:id=\"rId6\" name=\"Lost\"/></controls></worksheet>";
  parts["xl/embeddings/Doc1.docx"] = "PK";
  parts["xl/activeX/activeX1.xml"] = "<ax:ocx xmlns:ax=\"ax\" ax:classid=\"{D7053240-CE69-11CD-A777-00DD01143C57}\"/>";
  // Excel 2010's hidden proxy of the control: it only lends the VML shape its name.
  parts["xl/drawings/drawing1.xml"] =
      "<xdr:wsDr xmlns:xdr=\"x\" xmlns:a=\"a\" xmlns:a14=\"a14\"><xdr:twoCellAnchor><xdr:from><xdr:col>2</xdr:col><xdr:colOff>0</xdr:colOff>"
      "<xdr:row>0</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>4</xdr:col><xdr:colOff>0</xdr:colOff>"
      "<xdr:row>2</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to><xdr:sp><xdr:nvSpPr><xdr:cNvPr id=\"1025\" "
      "name=\"CommandButton1\" hidden=\"1\"><a:extLst><a:ext><a14:compatExt spid=\"_x0000_s1025\"/></a:ext></a:extLst>"
      "</xdr:cNvPr></xdr:nvSpPr></xdr:sp><xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>";
  auto pict = [](const std::string& attrs, const std::string& anchorText) {
    return "<v:shape " + attrs + " type=\"#_x0000_t75\"><v:imagedata o:relid=\"rId1\" o:title=\"\"/>"
           "<x:ClientData ObjectType=\"Pict\"><x:Anchor>" + anchorText + "</x:Anchor><x:CF>Pict</x:CF></x:ClientData></v:shape>";
  };
  parts["xl/drawings/vmlDrawing1.vml"] =
      "<xml xmlns:v=\"v\" xmlns:o=\"o\" xmlns:x=\"x\">" +
      pict("id=\"CommandButton1\" o:spid=\"_x0000_s1025\"", "2, 0, 0, 0, 4, 0, 2, 0") +
      pict("id=\"_x0000_s1026\"", "2, 0, 3, 0, 4, 20, 8, 0") + pict("id=\"_x0000_s1027\"", "6, 0, 3, 0, 8, 0, 8, 0") +
      pict("id=\"ListBox1\" o:spid=\"_x0000_s1028\"", "0, 0, 10, 0, 2, 0, 14, 0") + "</xml>";
  auto book = Workbook::openMemory(test::zipImage(parts), "/tmp/objects.xlsm");
  const auto& d = book->sheet(1).drawing();
  ASSERT_EQ(d.shapes.size(), 5u);  // four VML pictures, one control drawn from its own anchor, no proxy
  for (const auto& s : d.shapes) EXPECT_EQ(s.objectKind, dk::Picture);
  EXPECT_EQ(d.shapes[0].name, "CommandButton1");
  EXPECT_FALSE(d.shapes[0].embeddedObject);
  EXPECT_EQ(d.shapes[0].shapeId, 1025u);
  EXPECT_EQ(d.shapes[1].name, "Object 2");  // 1026 & 0x3FF
  EXPECT_TRUE(d.shapes[1].embeddedObject);
  EXPECT_EQ(d.shapes[1].geometry.anchor->dx2, 320);  // the VML's own anchor first: 20 of 64 px
  EXPECT_EQ(d.shapes[2].name, "Picture 3");  // a linked object has no embedding
  EXPECT_FALSE(d.shapes[2].embeddedObject);
  EXPECT_EQ(d.shapes[3].name, "ListBox1");
  const drawing::Shape& spare = d.shapes[4];
  EXPECT_EQ(spare.name, "Spare");
  EXPECT_EQ(spare.shapeId, 1029u);
  ASSERT_TRUE(spare.geometry.anchor);
  EXPECT_EQ(spare.geometry.anchor->row1, 20u);
  EXPECT_EQ(spare.geometry.anchor->col2, 4u);
  EXPECT_EQ(spare.geometry.anchor->dx2, 512);  // 304800 EMU = 32 of 64 px
  // ListBox1 names no relationship, the part of Spare and Lost is missing, Lost has no shape.
  EXPECT_EQ(d.unreadable, 1);
  ASSERT_EQ(d.warnings.size(), 4u);
  EXPECT_NE(d.warnings[0].find("ListBox1"), std::string::npos);
  EXPECT_NE(d.warnings[1].find("xl/activeX/activeX2.xml"), std::string::npos);
  EXPECT_NE(d.warnings[3].find("Lost"), std::string::npos);
}

// VML groups: members placed in their group's coordinates, nested groups, names, macros and
// texts as for shapes on their own; a group without coordinates or anchor, and groups nested
// past the depth bound.
TEST(OoxmlDrawing, VmlGroups) {
  auto parts = sheetWithDrawings();
  std::string deep;
  for (int i = 0; i < 40; ++i) deep += "<v:group id=\"_x0000_s" + std::to_string(2000 + i) + "\" coordsize=\"10,10\">";
  deep += "<v:rect style=\"left:0;top:0;width:5;height:5\"><x:ClientData ObjectType=\"Rect\"/></v:rect>";
  for (int i = 0; i < 40; ++i) deep += "</v:group>";
  parts["xl/drawings/vmlDrawing1.vml"] =
      "<xml xmlns:v=\"v\" xmlns:x=\"x\"><v:group id=\"_x0000_s1030\" style=\"position:absolute;margin-left:48pt;"
      "margin-top:15pt;width:144pt;height:60pt;z-index:1\" coordorigin=\"1680,1020\" coordsize=\"2880,1200\">"
      "<v:shape id=\"_x0000_s1025\" style=\"position:absolute;left:1680;top:1020;width:1440;height:480\">"
      "<v:textbox><div>Press</div></v:textbox><x:ClientData ObjectType=\"Button\"><x:FmlaMacro>[0]!Press</x:FmlaMacro>"
      "</x:ClientData></v:shape><v:group id=\"_x0000_s1029\" style=\"position:absolute;left:3120;top:1020;width:1440;"
      "height:1200\" coordorigin=\"0,0\" coordsize=\"100,100\"><v:oval id=\"_x0000_s1026\" style=\"position:absolute;"
      "left:0;top:50;width:100;height:50\"><x:ClientData ObjectType=\"EllipseA\"/></v:oval><v:rect id=\"_x0000_s1027\" "
      "style=\"left:0;top:0;width:100;height:50\"><v:textbox><div>Note</div></v:textbox><x:ClientData ObjectType=\"Rect\"/>"
      "</v:rect><x:ClientData ObjectType=\"Group\"/></v:group><x:ClientData ObjectType=\"Group\"><x:Anchor>1, 0, 1, 0, 4, 0, "
      "5, 0</x:Anchor><x:FmlaMacro>[0]!Clicked</x:FmlaMacro></x:ClientData></v:group>"
      // No anchor, coordsize 0: placed by its style (96 px = 1.5 default columns), members in the default coordinates.
      "<v:group id=\"_x0000_s1040\" style=\"margin-left:0;margin-top:0;width:72pt;height:15pt\" coordsize=\"0,0\">"
      "<v:rect id=\"_x0000_s1041\" style=\"left:0;top:0;width:500;height:1000\"><x:ClientData ObjectType=\"Rect\"/></v:rect>"
      "</v:group>" + deep + "</xml>";
  auto book = Workbook::openMemory(test::zipImage(parts), "/tmp/groups.xlsx");
  const auto& d = book->sheet(1).drawing();
  ASSERT_EQ(d.shapes.size(), 2u);
  const drawing::Shape& g = d.shapes[0];
  EXPECT_EQ(g.objectKind, dk::Group);
  EXPECT_EQ(g.name, "Group 6");  // 1030 & 0x3FF
  EXPECT_EQ(g.onAction, "Clicked");
  ASSERT_TRUE(g.geometry.anchor && g.geometry.groupExtent);
  EXPECT_EQ(g.geometry.anchor->col2, 4u);
  EXPECT_EQ(g.geometry.groupExtent->left, 1680);
  EXPECT_EQ(g.geometry.groupExtent->bottom, 1020 + 1200);
  ASSERT_EQ(g.members.size(), 2u);
  const drawing::Shape& button = g.members[0];
  EXPECT_EQ(button.objectKind, dk::Button);
  EXPECT_EQ(button.name, "Button 1");
  EXPECT_EQ(button.onAction, "Press");
  EXPECT_EQ(button.text, "Press");
  EXPECT_FALSE(button.geometry.anchor);
  ASSERT_TRUE(button.geometry.childAnchor);
  EXPECT_EQ(button.geometry.childAnchor->right, 1680 + 1440);
  EXPECT_EQ(button.geometry.childAnchor->bottom, 1020 + 480);
  const drawing::Shape& inner = g.members[1];
  EXPECT_EQ(inner.objectKind, dk::Group);
  EXPECT_EQ(inner.name, "Group 5");
  ASSERT_TRUE(inner.geometry.childAnchor && inner.geometry.groupExtent);
  EXPECT_EQ(inner.geometry.childAnchor->left, 3120);
  EXPECT_EQ(inner.geometry.groupExtent->right, 100);
  ASSERT_EQ(inner.members.size(), 2u);
  EXPECT_EQ(inner.members[0].objectKind, dk::Oval);
  EXPECT_EQ(inner.members[0].geometry.childAnchor->top, 50);
  EXPECT_EQ(inner.members[1].text, "Note");

  const drawing::Shape& loose = d.shapes[1];
  ASSERT_TRUE(loose.geometry.anchor && loose.geometry.groupExtent);
  EXPECT_EQ(loose.geometry.anchor->col2, 1u);
  EXPECT_EQ(loose.geometry.anchor->dx2, 512);
  EXPECT_EQ(loose.geometry.anchor->row2, 1u);
  EXPECT_EQ(loose.geometry.groupExtent->right, 1000);
  EXPECT_EQ(loose.members.size(), 1u);
  // Of the 40 nested groups those past the depth bound are left out with what they hold; the
  // groups within the bound then have no member left and draw nothing.
  ASSERT_EQ(d.warnings.size(), 1u);
  EXPECT_NE(d.warnings[0].find("nested deeper"), std::string::npos);
}

// Preset geometries as autoshapes: the adjust values worked out by hand from the presets'
// guide formulas (shares of the width, height or shorter side) give the same points in the
// autoshape's 21600-unit box.
TEST(OoxmlDrawing, PresetGeometriesBecomeAutoshapesWithTheSamePoints) {
  using Guides = std::map<std::string, int64_t, std::less<>>;
  // 200 x 100, adj1 60000, adj2 40000: head 40 long from x 160; shaft 60 thick from y 20.
  auto arrow = legacyPreset("rightArrow", Guides{{"adj1", 60000}, {"adj2", 40000}}, 200, 100);
  ASSERT_TRUE(arrow);
  EXPECT_EQ(arrow->shapeType, 13);
  EXPECT_EQ(arrow->adjust[0], 17280);  // 160 / 200 of 21600
  EXPECT_EQ(arrow->adjust[1], 4320);   // 20 / 100
  // Defaults in a square: the head is half the side (the binary default is a quarter).
  EXPECT_EQ(legacyPreset("rightArrow", {}, 50, 50)->adjust[0], 10800);
  // Pinned: a head longer than the arrow starts at its tail.
  EXPECT_EQ(legacyPreset("leftArrow", Guides{{"adj2", 900000}}, 100, 300)->adjust[0], 21600);
  // Octagon 200 x 100: corners cut 29.289 each way, a share of each side apiece.
  auto octagon = legacyPreset("octagon", {}, 200, 100);
  EXPECT_EQ(octagon->adjust[0], 3163);
  EXPECT_EQ(octagon->adjust[1], 6326);
  // The preset trapezoid is narrow at the top: the autoshape turned upside down.
  auto trapezoid = legacyPreset("trapezoid", {}, 400, 100);
  EXPECT_EQ(trapezoid->shapeType, 8);
  EXPECT_TRUE(trapezoid->flipV);
  EXPECT_EQ(trapezoid->adjust[0], 1350);  // 25 of 400
  EXPECT_FALSE(legacyPreset("cloud", {}, 1, 1));
  EXPECT_EQ(vmlShapeType("#_x0000_t13"), 13);
  EXPECT_FALSE(vmlShapeType("#shape1"));

  // Read from a drawing: avLst, flips and turn of the xfrm; a member turned a quarter is placed
  // by its turned box; a VML autoshape's type, adjust values, turn and flips from its style.
  auto parts = sheetWithDrawings();
  const std::string anchor = "<xdr:twoCellAnchor><xdr:from><xdr:col>1</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>1</xdr:row>"
                             "<xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>4</xdr:col><xdr:colOff>0</xdr:colOff>"
                             "<xdr:row>6</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to>";
  parts["xl/drawings/drawing1.xml"] =
      "<xdr:wsDr xmlns:xdr=\"x\" xmlns:a=\"a\">" + anchor +
      "<xdr:sp><xdr:nvSpPr><xdr:cNvPr id=\"2\" name=\"Arrow\"/><xdr:cNvSpPr/></xdr:nvSpPr><xdr:spPr>"
      "<a:xfrm rot=\"-5400000\" flipH=\"1\"><a:off x=\"0\" y=\"0\"/><a:ext cx=\"2000\" cy=\"1000\"/></a:xfrm>"
      "<a:prstGeom prst=\"rightArrow\"><a:avLst><a:gd name=\"adj1\" fmla=\"val 60000\"/><a:gd name=\"adj2\" fmla=\"val 40000\"/>"
      "</a:avLst></a:prstGeom></xdr:spPr></xdr:sp><xdr:clientData/></xdr:twoCellAnchor>" + anchor +
      "<xdr:grpSp><xdr:nvGrpSpPr><xdr:cNvPr id=\"3\" name=\"G\"/></xdr:nvGrpSpPr><xdr:grpSpPr><a:xfrm><a:off x=\"0\" y=\"0\"/>"
      "<a:ext cx=\"100\" cy=\"100\"/><a:chOff x=\"0\" y=\"0\"/><a:chExt cx=\"100\" cy=\"100\"/></a:xfrm></xdr:grpSpPr>"
      "<xdr:sp><xdr:nvSpPr><xdr:cNvPr id=\"4\" name=\"T\"/><xdr:cNvSpPr/></xdr:nvSpPr><xdr:spPr><a:xfrm rot=\"5400000\">"
      "<a:off x=\"10\" y=\"20\"/><a:ext cx=\"60\" cy=\"20\"/></a:xfrm><a:prstGeom prst=\"triangle\"><a:avLst/></a:prstGeom>"
      "</xdr:spPr></xdr:sp></xdr:grpSp><xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>";
  parts["xl/drawings/vmlDrawing1.vml"] =
      "<xml xmlns:v=\"v\" xmlns:x=\"x\"><v:shape id=\"_x0000_s1025\" type=\"#_x0000_t67\" adj=\",3000\" "
      "style=\"position:absolute; rotation: 30 ;flip:y\"><x:ClientData ObjectType=\"Shape\"><x:Anchor>1, 0, 1, 0, 3, 0, 5, 0"
      "</x:Anchor></x:ClientData></v:shape></xml>";
  auto book = Workbook::openMemory(test::zipImage(parts), "/tmp/presets.xlsx");
  const auto& d = book->sheet(1).drawing();
  ASSERT_EQ(d.shapes.size(), 3u);
  const drawing::ShapeGeometry& a = d.shapes[0].geometry;
  EXPECT_EQ(d.shapes[0].objectKind, dk::OfficeArt);
  EXPECT_EQ(a.shapeType, 13);
  EXPECT_EQ(a.adjust[0], 17280);
  EXPECT_EQ(a.adjust[1], 4320);
  EXPECT_TRUE(a.flipH);
  EXPECT_FALSE(a.flipV);
  EXPECT_DOUBLE_EQ(a.rotation, 270);
  ASSERT_EQ(d.shapes[1].members.size(), 1u);
  const drawing::ShapeGeometry& t = d.shapes[1].members[0].geometry;
  EXPECT_EQ(t.shapeType, 5);
  EXPECT_EQ(t.adjust[0], 10800);
  ASSERT_TRUE(t.childAnchor);  // 60 x 20 about (40, 30): 20 x 60
  EXPECT_EQ(t.childAnchor->left, 30);
  EXPECT_EQ(t.childAnchor->top, 0);
  EXPECT_EQ(t.childAnchor->right, 50);
  EXPECT_EQ(t.childAnchor->bottom, 60);
  const drawing::ShapeGeometry& v = d.shapes[2].geometry;
  EXPECT_EQ(v.shapeType, 67);
  EXPECT_FALSE(v.adjust[0]);
  EXPECT_EQ(v.adjust[1], 3000);
  EXPECT_DOUBLE_EQ(v.rotation, 30);
  EXPECT_FALSE(v.flipH);
  EXPECT_TRUE(v.flipV);
}

}  // namespace
}  // namespace zel::xls::ooxml
