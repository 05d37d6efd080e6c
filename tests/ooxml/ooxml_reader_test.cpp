// The Office 2007+ package reader over real workbooks (copies in tests/data) and over small
// hostile packages. Expected values were read from the parts' XML by hand and with
// python3-openpyxl / python3-olefile, never from this reader's output.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/vb_error.h"
#include "package_builder.h"
#include "support/temp_dir.h"
#include "xls/excel_model.h"
#include "xls/ooxml/formula_text.h"
#include "xls/ooxml/part_readers.h"
#include "xls/ooxml/xml_number.h"
#include "xls/vba/vba_project.h"

namespace zel::xls::ooxml {
namespace {

using zel::test::dataFile;

std::string refusalOf(std::vector<uint8_t> bytes) {
  try {
    Workbook::openMemory(std::move(bytes), "/tmp/bad.xlsx");
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 1004);
    return e.description();
  }
  return "";
}

TEST(OoxmlFormulaText, PrefixesExternalBooksAndSharedMoves) {
  std::vector<ExternalBookName> books{{"C:\\data\\Other.xlsx"}};
  EXPECT_EQ(displayFormula("_xlfn.CEILING.PRECISE(B1,C1)", books), "=CEILING.PRECISE(B1,C1)");
  EXPECT_EQ(displayFormula("[1]Sheet1!$A$1+'[1]My Sheet'!B2", books),
            "='C:\\data\\[Other.xlsx]Sheet1'!$A$1+'C:\\data\\[Other.xlsx]My Sheet'!B2");
  EXPECT_EQ(displayFormula("[1]!Rate*2", books), "='C:\\data\\Other.xlsx'!Rate*2");
  // Shared formulas: relative parts move, absolute parts and text stay.
  EXPECT_EQ(displayFormula("A2+$B$2+C$2+$D2+\"A2\"+SUM(E2:F3)+Sheet2!G2", books, 3, 1),
            "=B5+$B$2+D$2+$D5+\"A2\"+SUM(F5:G6)+Sheet2!H5");
  EXPECT_EQ(displayFormula("SUM(A:B)+SUM(1:2)+1E+5+LOG10(2)", books, 1, 1), "=SUM(B:C)+SUM(2:3)+1E+5+LOG10(2)");
  EXPECT_EQ(displayFormula("A1", books, -1, 0), "=#REF!");
  EXPECT_EQ(displayFormula("Table1[[#This Row],[A1]]", books, 1, 1), "=Table1[[#This Row],[A1]]");

  auto tokens = referenceListTokens("'My Sheet'!$A$1:$C$9,'My Sheet'!$1:$2", {"Other", "My Sheet"});
  ASSERT_TRUE(tokens);
  EXPECT_EQ(tokens->size(), 23u);  // two tArea3d (11 bytes each) and tUnion
  EXPECT_EQ((*tokens)[1], 1);      // sheet index of "My Sheet"
  EXPECT_FALSE(referenceListTokens("Other!$A$70000", {"Other"}));
  EXPECT_FALSE(referenceListTokens("SUM(Other!A1)", {"Other"}));
}

// One rule for the integers of every part (white space around, one leading sign, nothing
// after); a cell corner past the sheet's edge ends on it, however many digits it has.
TEST(OoxmlNumbers, IntegersAndCellCorners) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"42", 42}, {" +42\n", 42}, {"-7", -7}, {"12px", std::nullopt}, {"+-1", std::nullopt},
      {"", std::nullopt}, {"+", std::nullopt}, {"1 2", std::nullopt}, {"2147483648", std::nullopt}};
  for (const auto& [text, want] : cases) EXPECT_EQ(xmlInteger<int>(text), want) << text;
  EXPECT_EQ(xmlInteger<unsigned>("-1"), std::nullopt);
  EXPECT_EQ(xmlIntegerWithin("-99999999999999999999", 0, 9), 0);

  XmlReader xml(std::string("<a><from><col>+99999999999999999999999</col><colOff>-5</colOff><x><row> 1048577 </row></x>"
                            "<rowOff>3000000000</rowOff></from></a>"));
  ASSERT_TRUE(xml.next() && xml.next());
  const CellPoint p = readCellPoint(xml);
  EXPECT_EQ(p.col, kMaxColumns - 1);
  EXPECT_EQ(p.row, kMaxRows - 1);
  EXPECT_EQ(p.colOffEmu, 0);
  EXPECT_EQ(p.rowOffEmu, INT32_MAX);
  EXPECT_TRUE(xml.atEnd("from"));
}

TEST(OoxmlReader, SimpleMacroBookSheetsPropertiesAndProject) {
  setenv("TZ", "UTC", 1);
  tzset();
  auto book = Workbook::open(dataFile("SimpleMacro.xlsm"));
  ASSERT_EQ(book->sheetCount(), 3);
  EXPECT_EQ(book->sheet(3).name(), "Sheet3");
  EXPECT_EQ(book->sheet(1).cell(1, 1).valueText(), "This is a macro workbook");
  EXPECT_EQ(book->sheet(1).usedRange().address(), "$A$1");
  EXPECT_EQ(book->builtinDocumentProperties().value(3).toText(), "Nick Burch");
  EXPECT_EQ(book->builtinDocumentProperties().value(11).toText(), "2016/04/10 10:41:35");
  EXPECT_EQ(book->builtinDocumentProperties().value(9).toText(), "Microsoft Excel");

  auto project = vba::VbaProject::read(book->compoundFile());
  ASSERT_TRUE(project);
  const auto& parts = project->components();
  ASSERT_EQ(parts.size(), 5u);
  EXPECT_EQ(parts[0].Name, "Module1");
  EXPECT_EQ(parts[0].Type, vba::ComponentType::Standard);
  std::string text = project->exportText(0);
  EXPECT_NE(text.find("Attribute VB_Name = \"Module1\"\r\nSub TestMacro()\r\n"), std::string::npos);
  EXPECT_NE(text.find("    ActiveCell.FormulaR1C1 = \"This is a macro workbook\"\r\n    Range(\"A2\").Select\r\nEnd Sub"),
            std::string::npos);
  EXPECT_TRUE(parts[1].workbookModule);
}

// Expected values read from docProps/custom.xml with Python's zipfile.
TEST(OoxmlReader, CustomDocumentProperties) {
  setenv("TZ", "UTC", 1);
  tzset();
  auto book = Workbook::open(dataFile("custom_properties.xlsx"));
  const std::vector<CustomProperty>& c = book->customDocumentProperties();
  ASSERT_EQ(c.size(), 5u);
  const std::pair<std::string, std::string> expected[] = {
      {"Text Prop", "aha!"}, {"Status", "2"}, {"Counter", "-3.14"}, {"I am a boolean", "True"}, {"Date completed", "1967/03/09 16:30:00"}};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(c[i].name, expected[i].first);
    EXPECT_EQ(c[i].value.toText(), expected[i].second);
  }
  EXPECT_EQ(c[1].value.kind, PropertyValue::Kind::Number);
  EXPECT_EQ(c[3].value.kind, PropertyValue::Kind::Boolean);
  EXPECT_EQ(c[4].value.kind, PropertyValue::Kind::Date);

  auto cyrillic = Workbook::open(dataFile("ExcelWithAttachments.xlsm"));
  ASSERT_EQ(cyrillic->customDocumentProperties().size(), 3u);
  EXPECT_EQ(cyrillic->customDocumentProperties()[1].name, "\u041E\u043F\u0438\u0441\u0430\u043D\u0438\u0435");
  EXPECT_EQ(cyrillic->customDocumentProperties()[2].value.text, "\u0442\u0443\u0440\u043B\u0438");
}

// Dates with a zone are shown in local time, built-in and custom alike; bad values are warnings;
// the list stops at its bound.
TEST(OoxmlReader, CustomPropertiesLocalDatesDamageAndBound) {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  const std::string vt = "<property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"2\" ";
  auto parts = test::minimalWorkbook("<worksheet><sheetData/></worksheet>");
  parts["_rels/.rels"] =
      "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel + "officeDocument\" Target=\"xl/workbook.xml\"/>"
      "<Relationship Id=\"rId2\" Type=\"" + rel + "custom-properties\" Target=\"docProps/custom.xml\"/>"
      "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
      "core-properties\" Target=\"docProps/core.xml\"/></Relationships>";
  parts["docProps/core.xml"] = "<cp:coreProperties xmlns:cp=\"c\" xmlns:dcterms=\"d\"><dcterms:created>"
                               "2020-01-01T00:00:00Z</dcterms:created></cp:coreProperties>";
  parts["docProps/custom.xml"] =
      "<Properties xmlns:vt=\"v\">" + vt + "name=\"Due\"><vt:filetime>2020-01-01T09:00:00+09:00</vt:filetime></property>" +
      vt + "name=\"Count\"><vt:i4>x</vt:i4></property>" + vt + "><vt:i4>1</vt:i4></property>" + vt +
      "name=\"Empty\"><vt:lpwstr/></property>" + vt + "name=\"List\"><vt:vector size=\"1\"><vt:i4>1</vt:i4></vt:vector></property>" +
      vt + "name=\"Twice\"><vt:bool>0</vt:bool><vt:bool>1</vt:bool></property></Properties>";
  setenv("TZ", "JST-9", 1);
  tzset();
  auto book = Workbook::openMemory(test::zipImage(parts), "/tmp/custom.xlsx");
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(book->builtinDocumentProperties().value(11).toText(), "2020/01/01 09:00:00");
  const std::vector<CustomProperty>& c = book->customDocumentProperties();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].value.toText(), "2020/01/01 09:00:00");
  EXPECT_EQ(c[1].name, "Empty");
  EXPECT_EQ(c[1].value.kind, PropertyValue::Kind::Text);
  EXPECT_EQ(c[2].value.toText(), "False");
  const auto warnings = book->warnings();
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_NE(warnings[0].find("\"Count\" is not a valid vt:i4"), std::string::npos);
  EXPECT_NE(warnings[1].find("without a name"), std::string::npos);

  std::string many = "<Properties xmlns:vt=\"v\">";
  for (size_t i = 0; i <= kMaxCustomProperties; ++i) many += vt + "name=\"p" + std::to_string(i) + "\"><vt:i4>1</vt:i4></property>";
  parts["docProps/custom.xml"] = many + "</Properties>";
  auto full = Workbook::openMemory(test::zipImage(parts), "/tmp/many.xlsx");
  EXPECT_EQ(full->customDocumentProperties().size(), kMaxCustomProperties);
  EXPECT_EQ(full->warnings().size(), 1u);
}

TEST(OoxmlReader, SharedArrayAndFuturePrefixedFormulas) {
  auto book = Workbook::open(dataFile("formulae_test_simple.xlsx"));
  const Worksheet& s = book->sheet(1);
  EXPECT_EQ(s.cell(5, 3).formula(), "=A5");   // C2:C6 shares "A2"
  EXPECT_EQ(s.cell(6, 3).formula(), "=A6");
  EXPECT_EQ(s.cell(6, 3).text(), "#VALUE!");
  EXPECT_EQ(s.cell(4, 4).formula(), "=A4");
  EXPECT_EQ(s.cell(3, 2).formula(), "=A1:A5");  // inside the array B1:B5
  EXPECT_EQ(s.cell(6, 2).formula(), "=SUM(A1:A5*B1:B5)");
  EXPECT_EQ(s.cell(6, 2).valueText(), "55");
  EXPECT_EQ(s.cell(1, 1).formula(), "1");

  auto stress = Workbook::open(dataFile("formula_stress_test.xlsx"));
  EXPECT_EQ(stress->sheet("Math").cell(5, 2).formula(), "=AGGREGATE(A1,B1,C1:K1)");
  EXPECT_EQ(stress->sheet("Database").cell(16, 2).formula(), "=GETPIVOTDATA(\"Sum of Qux\",B32)");
}

TEST(OoxmlReader, NamesNotesAndHiddenSheets) {
  auto book = Workbook::open(dataFile("defined_names_simple.xlsx"));
  ASSERT_EQ(book->nameCount(), 2);
  // "SHEET1!SHEETJS" sorts before "SHEETJS" ("1" < "J").
  EXPECT_EQ(book->nameItem(1).name(), "Sheet1!SHEETjs");
  EXPECT_EQ(book->nameItem(1).refersTo(), "=Sheet1!$A$2");
  EXPECT_EQ(book->nameItem(1).refersToSheet(), 1);
  EXPECT_EQ(book->nameItem(2).name(), "SheetJS");
  EXPECT_EQ(book->nameItem(2).refersToRangeAddress(), "$A$1");

  auto notes = Workbook::open(dataFile("comments_stress_test.xlsx"));
  EXPECT_EQ(notes->sheet(1).cell(1, 1).noteText(), "Author:\nGod thinks this is good");
  EXPECT_EQ(notes->sheet("Sheet7").cell(34, 14).noteText(), "Sheet Range may be A1:N34, or not");
  EXPECT_EQ(notes->activeSheet()->name(), "Sheet7");  // activeTab="4"
}

TEST(OoxmlReader, RefusesWhatItCannotRead) {
  EXPECT_NE(refusalOf(std::vector<uint8_t>{'P', 'K', 3, 4, 0, 0}).find("damaged Office Open XML"), std::string::npos);
  auto parts = test::minimalWorkbook("<worksheet/>");
  parts["_rels/.rels"] =
      "<Relationships><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/officeDocument\" Target=\"xl/workbook.bin\"/></Relationships>";
  EXPECT_NE(refusalOf(test::zipImage(parts)).find(".xlsb"), std::string::npos);
}

TEST(OoxmlReader, DamagedZipEntryIsAWarningAndNothingReachesTheTerminal) {
  std::vector<uint8_t> bytes = test::zipImage(test::minimalWorkbook("<worksheet/>"));
  const std::string name = "xl/worksheets/sheet1.xml";
  auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
  ASSERT_NE(at, bytes.end());
  std::fill(at - 30, at - 26, uint8_t{'Q'});  // the entry's local header signature
  testing::internal::CaptureStderr();
  auto book = Workbook::openMemory(std::move(bytes), "/tmp/damaged.xlsx");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  std::string all;
  for (const auto& w : book->warnings()) all += w + "\n";
  EXPECT_NE(all.find("damaged"), std::string::npos) << all;
}

TEST(OoxmlReader, StrictPackageIsRefusedByName) {
  try {
    Workbook::open(dataFile("sheet_visibility_strict.xlsx"));
    FAIL() << "a Strict Open XML workbook opened";
  } catch (const WorkbookOpenError& e) {
    EXPECT_NE(e.description().find("Strict Open XML"), std::string::npos);
    EXPECT_EQ(e.kind(), OpenFailure::Ooxml);  // the window words it as a form to save again
  }
}

TEST(OoxmlReader, RowsBeyondTheOldGridKeepTheirMergesHeightsAndBreaks) {
  auto parts = test::minimalWorkbook(
      "<worksheet><sheetData><row r=\"70000\" ht=\"30\" customHeight=\"1\"><c r=\"A70000\"><v>1</v></c></row>"
      "</sheetData><mergeCells><mergeCell ref=\"A70000:B1048576\"/></mergeCells>"
      "<rowBreaks><brk id=\"70001\"/></rowBreaks><colBreaks><brk id=\"300\"/></colBreaks></worksheet>");
  auto book = Workbook::openMemory(test::zipImage(parts), "/tmp/tall.xlsx");
  const SheetData& d = book->sheetData(0);
  ASSERT_EQ(d.mergedAreas.size(), 1u);
  EXPECT_EQ(d.mergedAreas[0].firstRow, 69999u);
  EXPECT_EQ(d.mergedAreas[0].lastRow, 1048575u);
  ASSERT_EQ(d.rows.size(), 1u);
  EXPECT_EQ(d.rows[0].row, 69999u);
  EXPECT_EQ(d.rows[0].heightTwips, 600);
  EXPECT_EQ(d.pageLayout.rowBreaks, std::vector<uint32_t>{70001});
  EXPECT_EQ(d.pageLayout.colBreaks, std::vector<uint16_t>{300});
}

TEST(OoxmlReader, HostileSheetsGiveWarningsNotCrashes) {
  // A document type with an entity: refused before any expansion; the book still opens.
  auto bomb = test::minimalWorkbook(
      "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
      "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>&b;</t></is></c></row></sheetData></worksheet>");
  auto book = Workbook::openMemory(test::zipImage(bomb), "/tmp/bomb.xlsx");
  EXPECT_EQ(book->sheet(1).cell(1, 1).valueText(), "");
  ASSERT_FALSE(book->warnings().empty());
  EXPECT_NE(book->warnings()[0].find("document type"), std::string::npos);

  // Deep nesting, a truncated part and a shared formula without its first cell.
  std::string deep = "<worksheet><sheetData><row r=\"1\"><c r=\"B2\"><v>7</v></c></row>";
  for (int i = 0; i < 200; ++i) deep += "<x>";
  auto nested = Workbook::openMemory(test::zipImage(test::minimalWorkbook(deep)), "/tmp/deep.xlsx");
  EXPECT_EQ(nested->sheet(1).cell(2, 2).valueText(), "7");  // what came before the damage
  EXPECT_FALSE(nested->warnings().empty());

  auto orphan = Workbook::openMemory(
      test::zipImage(test::minimalWorkbook("<worksheet><sheetData><row r=\"3\"><c r=\"C3\"><f t=\"shared\" si=\"4\"/>"
                                           "<v>1</v></c><c><v>2</v></c></row></sheetData></worksheet>")),
      "/tmp/orphan.xlsx");
  EXPECT_EQ(orphan->sheet(1).cell(3, 3).formula(), "1");
  EXPECT_EQ(orphan->sheet(1).cell(3, 4).valueText(), "2");  // a cell without "r" follows the last
  EXPECT_FALSE(orphan->warnings().empty());
}

}  // namespace
}  // namespace zel::xls::ooxml

namespace zel::xls::ooxml {
namespace {

// A package written by hand: every expected value below is read off this XML.
TEST(OoxmlReader, BuiltPackageValuesStylesLinksAndPageSetup) {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  auto parts = test::minimalWorkbook(
      "<worksheet><sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr><cols><col min=\"2\" max=\"3\" width=\"20\" hidden=\"1\"/></cols>"
      "<sheetData><row r=\"2\" ht=\"30\" customHeight=\"1\">"
      "<c r=\"A2\" s=\"1\"><v>0.5</v></c><c r=\"B2\" t=\"b\"><v>1</v></c><c r=\"C2\" t=\"e\"><v>#DIV/0!</v></c>"
      "<c r=\"D2\" t=\"inlineStr\"><is><r><t>in</t></r><rPh><t>x</t></rPh><r><t xml:space=\"preserve\">line </t></r></is></c>"
      "<c r=\"E2\" t=\"d\" s=\"2\"><v>2024-02-29T12:00:00</v></c>"
      "<c r=\"F2\"><f>[1]Rates!$B$3*_xlfn.XLOOKUP(1,A:A,B:B)</f><v>4</v></c></row></sheetData>"
      "<mergeCells count=\"1\"><mergeCell ref=\"A5:C6\"/></mergeCells>"
      "<pageMargins left=\"0.25\" right=\"0.25\" top=\"1\" bottom=\"1\" header=\"0.3\" footer=\"0.3\"/>"
      "<pageSetup orientation=\"landscape\" scale=\"80\"/><headerFooter><oddHeader>&amp;A</oddHeader></headerFooter>"
      "</worksheet>");
  parts["xl/workbook.xml"] =
      "<workbook xmlns:r=\"" + rel.substr(0, rel.size() - 1) + "\"><workbookPr date1904=\"1\"/><sheets>"
      "<sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets><externalReferences><externalReference r:id=\"rId3\"/>"
      "</externalReferences><definedNames><definedName name=\"_xlnm.Print_Titles\" localSheetId=\"0\">Data!$1:$2</definedName>"
      "</definedNames></workbook>";
  parts["xl/_rels/workbook.xml.rels"] =
      "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel + "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
      "<Relationship Id=\"rId2\" Type=\"" + rel + "styles\" Target=\"styles.xml\"/>"
      "<Relationship Id=\"rId3\" Type=\"" + rel + "externalLink\" Target=\"externalLinks/externalLink1.xml\"/></Relationships>";
  parts["xl/styles.xml"] =
      "<styleSheet><numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy/mm/dd\"/></numFmts><cellXfs count=\"3\">"
      "<xf numFmtId=\"0\"/><xf numFmtId=\"10\"/><xf numFmtId=\"164\"/></cellXfs></styleSheet>";
  parts["xl/externalLinks/externalLink1.xml"] =
      "<externalLink><externalBook r:id=\"rId1\" xmlns:r=\"x\"><sheetNames><sheetName val=\"Rates\"/></sheetNames>"
      "</externalBook></externalLink>";
  parts["xl/externalLinks/_rels/externalLink1.xml.rels"] =
      "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel + "externalLinkPath\" "
      "Target=\"file:///C:/Shared/Rates%20Book.xlsx\" TargetMode=\"External\"/></Relationships>";
  auto book = Workbook::openMemory(test::zipImage(parts), "/tmp/built.xlsx");
  const Worksheet& s = book->sheet(1);
  EXPECT_EQ(s.cell(2, 1).text(), "50.00%");
  EXPECT_EQ(s.cell(2, 2).valueText(), "True");
  EXPECT_EQ(s.cell(2, 3).text(), "#DIV/0!");
  EXPECT_EQ(s.cell(2, 4).valueText(), "inline ");
  EXPECT_EQ(s.cell(2, 5).text(), "2024/02/29");
  EXPECT_EQ(s.cell(2, 6).formula(), "='C:\\Shared\\[Rates Book.xlsx]Rates'!$B$3*XLOOKUP(1,A:A,B:B)");
  EXPECT_EQ(book->linkSources(1), std::vector<std::string>{"C:\\Shared\\Rates Book.xlsx"});
  EXPECT_EQ(s.pageSetup().printTitleRows, "$1:$2");
  EXPECT_EQ(s.pageSetup().zoom, 0);  // fit to pages
  EXPECT_TRUE(s.pageSetup().landscape);
  const SheetData& d = s.data();
  EXPECT_TRUE(book->globals().dateMode1904);
  ASSERT_EQ(d.mergedAreas.size(), 1u);
  EXPECT_EQ(d.mergedAreas[0].lastCol, 2);
  EXPECT_EQ(d.pageLayout.header, "&A");
  EXPECT_DOUBLE_EQ(d.pageLayout.leftInches, 0.25);
  ASSERT_EQ(d.rows.size(), 1u);
  EXPECT_EQ(d.rows[0].heightTwips, 600);
  ASSERT_EQ(d.columns.size(), 1u);
  EXPECT_TRUE(d.columns[0].hidden);
}

}  // namespace
}  // namespace zel::xls::ooxml
