// The reader over workbooks written by the test builder: sheets, cells, strings across
// CONTINUE, notes, names, damaged and refused files.
#include <gtest/gtest.h>

#include <random>

#include "core/vb_error.h"
#include "reader_test_support.h"

namespace zel::xls {
namespace {

using zel::test::BiffBuilder;
using zel::test::Bytes;
using test::openBuilt;

constexpr uint16_t kSupBook = 0x01AE, kExternSheet = 0x0017;

// SUPBOOK of the workbook itself and one EXTERNSHEET entry per sheet.
void addSelfReferences(BiffBuilder& b, uint16_t sheets) {
  b.addGlobalRecord(kSupBook, Bytes().u16(sheets).u16(0x0401));
  Bytes x;
  x.u16(sheets);
  for (uint16_t i = 0; i < sheets; ++i) x.u16(0).u16(i).u16(i);
  b.addGlobalRecord(kExternSheet, x);
}

std::vector<uint8_t> area3d(uint16_t ixti, uint16_t r1, uint16_t r2, uint16_t c1, uint16_t c2) {
  return Bytes().u8(0x3B).u16(ixti).u16(r1).u16(r2).u16(c1).u16(c2).data();
}

long errorNumber(const std::function<void()>& f, std::string* description = nullptr) {
  try {
    f();
  } catch (const VbError& e) {
    if (description) *description = e.description();
    return e.number();
  }
  return 0;
}

TEST(BiffReader, SheetVisibilityTypesAndSelection) {
  BiffBuilder b;
  b.addSheet("Shown");
  b.addSheet("Hidden", BiffBuilder::Hidden);
  b.addSheet("Secret", BiffBuilder::VeryHidden);
  b.addSheet("Chart1", BiffBuilder::Visible, BiffBuilder::Chart);
  b.addSheet("Module1", BiffBuilder::Visible, BiffBuilder::VbaModule);
  b.addSheet("Macro1", BiffBuilder::Visible, BiffBuilder::MacroSheet);
  auto book = openBuilt(b);
  ASSERT_EQ(book->sheetCount(), 5);  // the Excel 5 module sheet is not in the collection
  EXPECT_EQ(book->sheet(1).visible(), kSheetVisible);
  EXPECT_EQ(book->sheet(2).visible(), kSheetHidden);
  EXPECT_EQ(book->sheet(3).visible(), kSheetVeryHidden);
  EXPECT_EQ(book->sheet(4).type(), SheetType::Chart);
  EXPECT_EQ(book->sheet(5).name(), "Macro1");
  EXPECT_EQ(book->sheet(5).type(), SheetType::MacroSheet);
  EXPECT_EQ(&book->sheet("secret"), &book->sheet(3));
  EXPECT_EQ(errorNumber([&] { book->sheet("Nope"); }), 9);
  EXPECT_EQ(errorNumber([&] { book->sheet(6); }), 9);
  EXPECT_EQ(errorNumber([&] { book->sheet(3).select(); }), 1004);
  book->sheet(2).setVisible(kSheetVisible);
  book->sheet(2).select();
  EXPECT_EQ(book->activeSheet()->name(), "Hidden");
  book->sheet(3).activate();
  EXPECT_EQ(book->activeSheet()->name(), "Secret");
}

TEST(BiffReader, CellValuesTextsAndEnumerationOrder) {
  BiffBuilder b;
  uint16_t pct = b.numberFormat(164, "0.0%");
  b.sst({"shared one", "\xE6\x97\xA5\xE6\x9C\xAC"});
  int s = b.addSheet("Data");
  b.number(s, 1, 1, 0.125, pct);                                    // B2
  b.label(s, 1, 2, "label");                                        // C2
  b.boolErr(s, 2, 1, 1, false);                                     // B3 TRUE
  b.boolErr(s, 2, 2, 0x07, true);                                   // C3 #DIV/0!
  b.addRecord(s, 0x027E, Bytes().u16(3).u16(1).u16(15).u32((1234u << 2) | 0x03));  // B4 RK 12.34
  b.addRecord(s, 0x00BD, Bytes().u16(4).u16(1).u16(15).u32(5u << 2 | 0x02).u16(15).u32(0x3FF00000).u16(3));  // B5 5, C5 1.0
  b.labelSst(s, 5, 3, 1);                                           // D6
  b.blank(s, 5, 1);                                                 // B6 formatted blank
  auto book = openBuilt(b);
  Worksheet& ws = book->sheet(1);
  Range used = ws.usedRange();
  EXPECT_EQ(used.address(), "$B$2:$D$6");
  EXPECT_EQ(used.rowsCount(), 5);
  EXPECT_EQ(used.columnsCount(), 3);
  EXPECT_EQ(used.count(), 15);

  std::vector<std::string> order;
  for (const Cell& c : used) order.push_back(c.address());
  ASSERT_EQ(order.size(), 15u);
  EXPECT_EQ(order[0], "$B$2");
  EXPECT_EQ(order[1], "$C$2");
  EXPECT_EQ(order[3], "$B$3");
  EXPECT_EQ(order[14], "$D$6");
  EXPECT_EQ(used.item(5).address(), "$C$3");

  EXPECT_EQ(ws.cell(2, 2).text(), "12.5%");
  EXPECT_EQ(ws.cell(2, 2).valueText(), "0.125");
  EXPECT_EQ(ws.cell(2, 2).formula(), "0.125");
  EXPECT_EQ(ws.cell(2, 3).value().text, "label");
  EXPECT_EQ(ws.cell(3, 2).text(), "TRUE");
  EXPECT_EQ(ws.cell(3, 2).formula(), "TRUE");
  EXPECT_EQ(ws.cell(3, 2).valueText(), "True");
  EXPECT_TRUE(ws.cell(3, 3).isError());
  EXPECT_EQ(ws.cell(3, 3).text(), "#DIV/0!");
  EXPECT_EQ(ws.cell(3, 3).formula(), "#DIV/0!");
  EXPECT_DOUBLE_EQ(ws.cell(4, 2).value().number, 12.34);
  EXPECT_DOUBLE_EQ(ws.cell(5, 2).value().number, 5);
  EXPECT_DOUBLE_EQ(ws.cell(5, 3).value().number, 1.0);
  EXPECT_EQ(ws.cell(6, 4).value().text, "\xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_TRUE(ws.cell(6, 2).isEmpty());
  EXPECT_EQ(ws.cell(6, 2).formula(), "");
  EXPECT_TRUE(ws.cell(100, 100).isEmpty());
}

// A constant under a date or time format: its formula text is the date as Excel writes it in
// formula text, not the serial number (the cell listing shows it for noted cells).
TEST(BiffReader, DateConstantsGiveTheirDateAsFormula) {
  BiffBuilder b;
  int s = b.addSheet("S");
  const uint16_t date = b.numberFormat(14, "yyyy/m/d"), time = b.numberFormat(170, "h:mm");
  b.number(s, 0, 0, 38406, date);
  b.number(s, 1, 0, 38406 + 64033 / 86400.0, date);  // 17:47:13 under a date-only format
  b.number(s, 2, 0, 0.25, time);
  b.number(s, 3, 0, -1, date);                       // no date: stays a number
  b.number(s, 4, 0, 38406.5);                        // General
  b.note(s, 0, 0, "noted");
  auto book = openBuilt(b);
  Worksheet& ws = book->sheet(1);
  EXPECT_EQ(ws.cell(1, 1).formula(), "2/23/2005");
  EXPECT_EQ(ws.cell(2, 1).formula(), "2/23/2005 5:47:13 PM");
  EXPECT_EQ(ws.cell(3, 1).formula(), "6:00:00 AM");
  EXPECT_EQ(ws.cell(4, 1).formula(), "-1");
  EXPECT_EQ(ws.cell(5, 1).formula(), "38406.5");
}

TEST(BiffReader, EmptySheetUsedRangeIsA1AndNoLinks) {
  BiffBuilder b;
  b.addSheet("Empty");
  auto book = openBuilt(b);
  EXPECT_TRUE(book->linkSources(1).empty());
  EXPECT_TRUE(book->linkSources(2).empty());
  Range used = book->sheet(1).usedRange();
  EXPECT_EQ(used.address(), "$A$1");
  EXPECT_EQ(used.count(), 1);
  long n = 0;
  for (const Cell& c : used) n += c.isEmpty() ? 1 : 0;
  EXPECT_EQ(n, 1);
}

TEST(BiffReader, SharedStringsSplitAcrossContinueRecords) {
  std::vector<std::string> strings;
  for (int i = 0; i < 300; ++i) {
    std::string s = "string " + std::to_string(i) + " ";
    for (int k = 0; k < i % 37; ++k) s += (i % 3 == 0) ? "\xE3\x81\x82" : "x";  // some wide (あ), some narrow
    strings.push_back(s);
  }
  strings.push_back(std::string(20000, 'L'));                          // longer than any record
  std::string wideLong;
  for (int k = 0; k < 5000; ++k) wideLong += "\xE6\xBC\xA2";
  strings.push_back(wideLong);
  BiffBuilder b;
  b.sst(strings, 97);  // odd size: wide characters and headers meet record ends
  int s = b.addSheet("S");
  for (uint32_t i = 0; i < strings.size(); ++i) b.labelSst(s, static_cast<uint16_t>(i), 0, i);
  auto book = openBuilt(b);
  ASSERT_EQ(book->globals().sst.size(), strings.size());
  for (size_t i = 0; i < strings.size(); ++i) EXPECT_EQ(book->globals().sst[i], strings[i]) << i;
  EXPECT_EQ(book->sheet(1).cell(302, 1).value().text, wideLong);
  EXPECT_TRUE(book->warnings().empty());
}

TEST(BiffReader, RichAndPhoneticRunsAreSkipped) {
  // One SST entry with 2 formatting runs and 6 bytes of phonetic data, then a plain one.
  Bytes sst;
  sst.u32(2).u32(2);
  sst.u16(3).u8(0x0C).u16(2).u32(6).raw(std::string("abc")).u32(0).u32(0).raw(std::vector<uint8_t>(6, 0xEE));
  sst.u16(2).u8(0).raw(std::string("de"));
  BiffBuilder b;
  b.addGlobalRecord(0x00FC, sst);
  b.addSheet("S");
  auto book = openBuilt(b);
  ASSERT_EQ(book->globals().sst.size(), 2u);
  EXPECT_EQ(book->globals().sst[0], "abc");
  EXPECT_EQ(book->globals().sst[1], "de");
}

TEST(BiffReader, NotesCarryTheirTextAndWidenTheUsedRange) {
  BiffBuilder b;
  int s = b.addSheet("S");
  b.number(s, 0, 0, 1);
  b.note(s, 0, 0, "Author:\nfirst note", "Author");
  b.note(s, 4, 2, "\xE6\xB3\xA8\xE6\x84\x8F", "Someone");  // a note on an empty cell (C5)
  auto book = openBuilt(b);
  Worksheet& ws = book->sheet(1);
  EXPECT_EQ(ws.cell(1, 1).noteText(), "Author:\nfirst note");
  EXPECT_EQ(ws.cell(5, 3).noteText(), "\xE6\xB3\xA8\xE6\x84\x8F");
  EXPECT_EQ(ws.cell(2, 2).noteText(), "");
  EXPECT_EQ(ws.usedRange().address(), "$A$1:$C$5");
  ASSERT_EQ(ws.data().notes.size(), 2u);
  EXPECT_EQ(ws.data().notes[1].author, "Someone");
}

TEST(BiffReader, NoteTextSplitOverSeveralContinueRecords) {
  BiffBuilder b;
  int s = b.addSheet("S");
  b.addRecord(s, 0x005D, Bytes().u16(0x0015).u16(0x0012).u16(0x0019).u16(7).u16(0x4011).u32(0).u32(0).u32(0).u16(0).u16(0));
  b.addRecord(s, 0x01B6, Bytes().u16(0x0212).u16(0).u16(0).u16(0).u16(0).u16(6).u16(16).u16(0).u32(0));
  b.addRecord(s, 0x003C, Bytes().u8(0).raw(std::string("abc")));           // 8-bit part
  b.addRecord(s, 0x003C, Bytes().u8(1).u16(0x65E5).u16(0x672C).u16('!'));  // UTF-16 part
  b.addRecord(s, 0x003C, Bytes().u16(0).u16(0).u32(0).u16(6).u16(0).u32(0));  // formatting runs
  b.addRecord(s, 0x001C, Bytes().u16(2).u16(1).u16(0).u16(7).str16("A").u8(0));
  auto book = openBuilt(b);
  EXPECT_EQ(book->sheet(1).cell(3, 2).noteText(), "abc\xE6\x97\xA5\xE6\x9C\xAC!");
  EXPECT_TRUE(book->warnings().empty());
}

TEST(BiffReader, EmbeddedChartSubstreamIsSteppedOver) {
  BiffBuilder b;
  int s = b.addSheet("S");
  b.number(s, 0, 0, 1);
  b.addRecord(s, 0x0809, Bytes().u16(0x0600).u16(0x0020).u32(0).u32(0).u32(0));
  b.number(s, 50, 50, 99);                 // belongs to the chart, not to the sheet
  b.addRecord(s, 0x000A, {});
  b.number(s, 1, 1, 2);
  auto book = openBuilt(b);
  Worksheet& ws = book->sheet(1);
  EXPECT_EQ(ws.usedRange().address(), "$A$1:$B$2");
  EXPECT_DOUBLE_EQ(ws.cell(2, 2).value().number, 2);
}

TEST(BiffReader, DamagedRecordsAreSkippedAndTheRestIsRead) {
  BiffBuilder b;
  int s = b.addSheet("S");
  b.number(s, 0, 0, 1);
  b.addRecord(s, 0x0203, Bytes().u16(1).u16(0));                  // NUMBER cut short
  b.addRecord(s, 0x00FD, Bytes().u16(2).u16(0).u16(15).u32(99));  // LABELSST past the SST
  b.addRecord(s, 0x00BD, Bytes().u16(3).u16(0).u16(15));          // MULRK without cells
  b.addRecord(s, 0x0203, Bytes().u16(4).u16(300).u16(15).f64(1)); // column beyond IV
  b.addRecord(s, 0x0006, Bytes().u16(5).u16(0).u16(15).f64(0).u16(0).u32(0).u16(500));  // rgce past the end
  b.number(s, 6, 0, 7);
  auto book = openBuilt(b);
  Worksheet& ws = book->sheet(1);
  EXPECT_DOUBLE_EQ(ws.cell(1, 1).value().number, 1);
  EXPECT_DOUBLE_EQ(ws.cell(7, 1).value().number, 7);
  EXPECT_TRUE(ws.cell(2, 1).isEmpty());
  EXPECT_EQ(ws.usedRange().address(), "$A$1:$A$7");
  EXPECT_EQ(book->warnings().size(), 5u) << ::testing::PrintToString(book->warnings());
}

TEST(BiffReader, TruncatedStreamKeepsWhatCameBefore) {
  BiffBuilder b;
  int s = b.addSheet("S");
  b.number(s, 0, 0, 3);
  b.addRawBytes(s, Bytes().u16(0x0203).u16(0x2000).u16(1).data());  // a header promising more than is there
  auto book = openBuilt(b);
  EXPECT_DOUBLE_EQ(book->sheet(1).cell(1, 1).value().number, 3);
  EXPECT_FALSE(book->warnings().empty());
}

TEST(BiffReader, FormulaStringResultAcrossContinue) {
  BiffBuilder b;
  int s = b.addSheet("S");
  Bytes f;
  f.u16(0).u16(0).u16(15).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u16(0xFFFF).u16(0).u32(0).u16(3).u8(0x1E).u16(1);
  b.addRecord(s, 0x0006, f);
  b.addRecord(s, 0x0207, Bytes().u16(6).u8(0).raw(std::string("abc")));
  b.addRecord(s, 0x003C, Bytes().u8(1).u16('d').u16('e').u16('f'));
  auto book = openBuilt(b);
  Cell c = book->sheet(1).cell(1, 1);
  EXPECT_TRUE(c.hasFormula());
  EXPECT_EQ(c.value().text, "abcdef");
}

// A data table whose column input cell was deleted: Excel shows #REF! for that input.
TEST(BiffReader, DataTableWithADeletedInputCell) {
  BiffBuilder b;
  int s = b.addSheet("S");
  constexpr uint16_t kTable = 0x0236, kTwoInputs = 0x0008, kSecondDeleted = 0x0020;
  b.formula(s, 2, 2, Bytes().u8(0x02).u16(2).u16(2));  // C3: tTbl anchored at C3
  b.formula(s, 3, 3, Bytes().u8(0x02).u16(2).u16(2));  // D4 inside the table
  b.addRecord(s, kTable, Bytes().u16(2).u16(3).u8(2).u8(3).u16(kTwoInputs | kSecondDeleted).u16(0).u16(1).u16(0).u16(0));
  auto book = openBuilt(b);
  EXPECT_EQ(book->sheet(1).cell(3, 3).formula(), "=TABLE(B1,#REF!)");
  EXPECT_EQ(book->sheet(1).cell(4, 4).formula(), "=TABLE(B1,#REF!)");
}

TEST(BiffReader, NamesPrintAreaAndTitles) {
  BiffBuilder b;
  b.addSheet("Sheet1");
  b.addSheet("My Sheet");
  addSelfReferences(b, 2);
  b.name("", area3d(0, 0, 4, 0, 2), 1, 6);  // Sheet1!Print_Area = $A$1:$C$5
  Bytes titles;
  titles.u8(0x29).u16(23);  // tMemFunc around a union of two areas
  titles.raw(area3d(1, 0, 65535, 0, 1)).raw(area3d(1, 0, 1, 0, 255)).u8(0x10);
  b.name("", titles, 2, 7);                      // 'My Sheet'!Print_Titles
  b.name("Total", area3d(1, 9, 9, 3, 3));        // workbook name -> 'My Sheet'!$D$10
  b.name("Rate", Bytes().u8(0x1F).f64(0.05));    // a constant: no range
  auto book = openBuilt(b);
  ASSERT_EQ(book->nameCount(), 4);
  // Collection order is by the name, whatever sheet it belongs to.
  EXPECT_EQ(book->nameItem(1).name(), "Sheet1!Print_Area");
  EXPECT_EQ(book->nameItem(2).name(), "'My Sheet'!Print_Titles");
  EXPECT_EQ(book->nameItem(3).name(), "Rate");
  EXPECT_EQ(book->nameItem(4).name(), "Total");
  EXPECT_EQ(book->nameItem(1).refersToRangeAddress(), "$A$1:$C$5");
  EXPECT_EQ(book->nameItem(1).refersTo(), "=Sheet1!$A$1:$C$5");
  EXPECT_EQ(book->nameItem(4).refersToRangeAddress(), "$D$10");
  EXPECT_EQ(book->nameItem(4).refersToSheet(), 2);
  EXPECT_EQ(errorNumber([&] { book->nameItem(3).refersToRangeAddress(); }), 1004);
  EXPECT_EQ(book->nameItem(3).refersTo(), "=0.05");
  EXPECT_EQ(book->sheet(1).pageSetup().printArea, "$A$1:$C$5");
  EXPECT_EQ(book->sheet(2).pageSetup().printTitleColumns, "$A:$B");
  EXPECT_EQ(book->sheet(2).pageSetup().printTitleRows, "$1:$2");
  EXPECT_EQ(book->sheet(2).pageSetup().printArea, "");
}

// Excel keeps its names in its own order: case ignored, "_" and other symbols before digits
// and letters. The records here are written in another order.
TEST(BiffReader, NamesFollowExcelsNameOrder) {
  BiffBuilder b;
  b.addSheet("S");
  for (const char* n : {"HedgeNames", "Hedge_Beta", "activityType_Values", "Activity_Type", "Rate2", "Rate_1",
                        "\u041C\u0418\u0421\u0422", "\u041C\u0418\u0441\u043F"})  // МИСТ, МИсп
    b.name(n, Bytes().u8(0x1E).u16(1));
  auto book = openBuilt(b);
  std::vector<std::string> order;
  for (int i = 1; i <= book->nameCount(); ++i) order.push_back(book->nameItem(i).name());
  EXPECT_EQ(order, (std::vector<std::string>{"Activity_Type", "activityType_Values", "Hedge_Beta", "HedgeNames",
                                             "Rate_1", "Rate2", "\u041C\u0418\u0441\u043F", "\u041C\u0418\u0421\u0422"}));
}

TEST(BiffReader, ProtectionPageSetupAndZoom) {
  BiffBuilder b;
  int s = b.addSheet("S");
  b.addRecord(s, 0x0012, Bytes().u16(1));                                           // PROTECT
  b.addRecord(s, 0x002A, Bytes().u16(1));                                           // PRINTHEADERS
  b.addRecord(s, 0x00A1, Bytes().u16(9).u16(75).u16(1).u16(1).u16(1).u16(0x0002).f64(0.5).f64(0.5).u16(1));  // SETUP 75 %
  b.addRecord(s, 0x00A0, Bytes().u16(3).u16(2));                                    // SCL 150 %
  int t = b.addSheet("T");
  b.addRecord(t, 0x0081, Bytes().u16(0x0100));                                      // fit to page
  auto book = openBuilt(b);
  Worksheet& ws = book->sheet(1);
  EXPECT_TRUE(ws.protectContents());
  EXPECT_TRUE(ws.pageSetup().printHeadings);
  EXPECT_EQ(ws.pageSetup().zoom, 75);
  EXPECT_EQ(ws.data().windowZoom, 150);
  ws.unprotect();
  EXPECT_FALSE(ws.protectContents());
  ws.protect(true, true, true);
  EXPECT_TRUE(ws.protectContents());
  EXPECT_FALSE(book->sheet(2).protectContents());
  EXPECT_EQ(book->sheet(2).pageSetup().zoom, 0);
}

TEST(BiffReader, ExternalLinksAndOleLinks) {
  BiffBuilder b;
  b.addSheet("S");
  b.addGlobalRecord(kSupBook, Bytes().u16(1).u16(0x0401));
  // External book C:\Data\Sales.xls with one sheet; a relative ..\up.xls; a DDE link.
  std::string sales = std::string("\x01\x01" "C") + "Data\x03Sales.xls";
  b.addGlobalRecord(kSupBook, Bytes().u16(1).u16(static_cast<uint16_t>(sales.size())).strNoCount(sales).str16("Sheet1"));
  std::string up = std::string("\x01\x04") + "up.xls";
  b.addGlobalRecord(kSupBook, Bytes().u16(0).u16(static_cast<uint16_t>(up.size())).strNoCount(up));
  std::string dde = std::string("Excel\x03") + "Book9";
  b.addGlobalRecord(kSupBook, Bytes().u16(0).u16(static_cast<uint16_t>(dde.size())).strNoCount(dde));
  b.addGlobalRecord(0x0023, Bytes().u16(0x0010).u32(0).str8("R1C1"));  // EXTERNNAME of the DDE link
  b.addGlobalRecord(kSupBook, Bytes().u16(1).u16(static_cast<uint16_t>(sales.size())).strNoCount(sales).str16("Sheet1"));
  auto book = openBuilt(b);
  EXPECT_EQ(book->linkSources(1), (std::vector<std::string>{"C:\\Data\\Sales.xls", "..\\up.xls"}));
  EXPECT_EQ(book->linkSources(2), (std::vector<std::string>{"Excel|Book9!R1C1"}));
  EXPECT_EQ(book->formulaEnvironment().supBooks.size(), 5u);
  EXPECT_EQ(book->formulaEnvironment().supBooks[1].sheetNames, std::vector<std::string>{"Sheet1"});
}

TEST(BiffReader, RefusedFilesNameTheirReason) {
  // Encrypted and Excel 95 files are refused in the corpus tests.
  std::string why;
  BiffBuilder other;
  other.omitWorkbookStream();
  other.addStream("WordDocument", std::vector<uint8_t>(100, 0));
  EXPECT_EQ(errorNumber([&] { openBuilt(other); }, &why), 1004);
  EXPECT_NE(why.find("no Workbook stream"), std::string::npos);

  // A compound file holding an encrypted Office 2007+ package.
  BiffBuilder encrypted;
  encrypted.omitWorkbookStream();
  encrypted.addStream("EncryptionInfo", std::vector<uint8_t>(64, 0));
  encrypted.addStream("EncryptedPackage", std::vector<uint8_t>(600, 0));
  EXPECT_EQ(errorNumber([&] { openBuilt(encrypted); }, &why), 1004);
  EXPECT_NE(why.find("encrypted Excel 2007 or later workbook"), std::string::npos);

  EXPECT_EQ(errorNumber([&] { Workbook::openMemory({'P', 'K', 3, 4, 0, 0, 0, 0}); }, &why), 1004);
  EXPECT_NE(why.find("Office Open XML"), std::string::npos);
  EXPECT_EQ(errorNumber([&] { Workbook::openMemory(std::vector<uint8_t>(600, 'x')); }, &why), 1004);
  EXPECT_NE(why.find("not an Excel workbook"), std::string::npos);
  EXPECT_EQ(errorNumber([&] { Workbook::open("/nonexistent/x.xls"); }, &why), 1004);

  BiffBuilder notGlobals;
  notGlobals.omitWorkbookStream();
  notGlobals.addStream("Workbook", Bytes().u16(0x0809).u16(8).u16(0x0600).u16(0x0010).u32(0).data());
  EXPECT_EQ(errorNumber([&] { openBuilt(notGlobals); }, &why), 1004);
}

TEST(BiffReader, RandomDamageNeverCrashes) {
  BiffBuilder b;
  b.sst({"alpha", "beta", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"}, 12);
  int s = b.addSheet("S");
  b.number(s, 0, 0, 1);
  b.labelSst(s, 1, 0, 2);
  b.note(s, 2, 2, "note text");
  b.formula(s, 3, 0, Bytes().u8(0x1E).u16(4).data(), 4);
  addSelfReferences(b, 1);
  b.name("N", area3d(0, 0, 1, 0, 1));
  std::vector<uint8_t> stream = b.workbookStream();
  std::mt19937 rng(1234);
  int opened = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> damaged = stream;
    int flips = 1 + static_cast<int>(rng() % 8);
    for (int k = 0; k < flips; ++k) damaged[rng() % damaged.size()] = static_cast<uint8_t>(rng());
    if (round % 5 == 0) damaged.resize(rng() % damaged.size());
    BiffBuilder wrapper;
    wrapper.omitWorkbookStream();
    wrapper.addStream("Workbook", damaged);
    try {
      auto book = openBuilt(wrapper);
      test::walkEverything(*book);
      ++opened;
    } catch (const VbError& e) {
      EXPECT_EQ(e.number(), 1004);
    }
  }
  EXPECT_GT(opened, 0);
}

}  // namespace
}  // namespace zel::xls
