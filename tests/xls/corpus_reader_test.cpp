// The reader over real workbooks (copies in tests/data). Expected values were read with
// python3-xlrd / python3-olefile or worked out by hand from the records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "core/vb_error.h"
#include "reader_test_support.h"
#include "support/temp_dir.h"

namespace zel::xls {
namespace {

using zel::test::dataFile;

std::unique_ptr<Workbook> openData(const std::string& name) { return Workbook::open(dataFile(name)); }

std::string refusal(const std::string& name) {
  try {
    Workbook::open(dataFile(name));
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 1004);
    return e.description();
  }
  return "";
}

TEST(CorpusReader, HiddenSheetAndVisibility) {
  auto book = openData("TwoSheetsOneHidden.xls");
  ASSERT_EQ(book->sheetCount(), 2);
  EXPECT_EQ(book->sheet(1).name(), "Sheet1");
  EXPECT_EQ(book->sheet(1).visible(), kSheetHidden);
  EXPECT_EQ(book->sheet(2).visible(), kSheetVisible);
  EXPECT_EQ(book->fullName(), dataFile("TwoSheetsOneHidden.xls"));
  EXPECT_EQ(book->name(), "TwoSheetsOneHidden.xls");
}

TEST(CorpusReader, NotesOfSimpleWithComments) {
  auto book = openData("SimpleWithComments.xls");
  Worksheet& ws = book->sheet(1);
  EXPECT_EQ(ws.cell(1, 2).noteText(), "Yegor Kozlov:\nfirst cell");
  EXPECT_EQ(ws.cell(2, 2).noteText(), "Yegor Kozlov:\nsecond cell");
  EXPECT_EQ(ws.cell(3, 2).noteText(), "Yegor Kozlov:\nthird cell");
  EXPECT_EQ(ws.cell(1, 1).noteText(), "");
  long notes = 0;
  for (const Cell& c : ws.usedRange()) notes += c.noteText().empty() ? 0 : 1;
  EXPECT_EQ(notes, 3);
}

TEST(CorpusReader, NamesAndPrintArea) {
  auto book = openData("SimpleWithPrintArea.xls");
  ASSERT_EQ(book->nameCount(), 1);
  Name n = book->nameItem(1);
  EXPECT_EQ(n.name(), "Sheet1!Print_Area");
  EXPECT_EQ(n.refersTo(), "=Sheet1!$A$1:$C$5");
  EXPECT_EQ(n.refersToRangeAddress(), "$A$1:$C$5");
  EXPECT_EQ(book->sheet(1).pageSetup().printArea, "$A$1:$C$5");

  auto named = openData("namedinput.xls");
  ASSERT_EQ(named->nameCount(), 2);
  EXPECT_EQ(named->nameItem(1).name(), "NamedRangeName");
  EXPECT_EQ(named->nameItem(1).refersToRangeAddress(), "$A$1:$D$10");
  EXPECT_EQ(named->nameItem(2).name(), "SecondNamedRange");
  EXPECT_EQ(named->nameItem(2).refersTo(), "=Sheet1!$D$17:$G$27");

  // Written by Excel in its own name order, which the collection keeps.
  auto excel = openData("ex44921-21902.xls");
  ASSERT_EQ(excel->nameCount(), 16);
  EXPECT_EQ(excel->nameItem(11).name(), "Study_Folders");
  EXPECT_EQ(excel->nameItem(12).name(), "StudyDocLibrary");

  auto japanese = openData("12561-1.xls");
  ASSERT_EQ(japanese->nameCount(), 1);
  EXPECT_EQ(japanese->nameItem(1).refersTo(), "=\xE4\xBD\x9C\xE6\xA5\xAD\xE3\x83\xAA\xE3\x82\xB9\xE3\x83\x88!$A$3:$M$66");
}

TEST(CorpusReader, LinkSources) {
  EXPECT_EQ(openData("27364.xls")->linkSources(1), std::vector<std::string>{"link_sub.xls"});
  EXPECT_EQ(openData("46670_local.xls")->linkSources(1), std::vector<std::string>{"refs\\airport.xls"});
  EXPECT_EQ(openData("46670_http.xls")->linkSources(1),
            std::vector<std::string>{"http://www.principlesofeconometrics.com/excel/airline.xls"});
  EXPECT_TRUE(openData("27364.xls")->linkSources(2).empty());
  EXPECT_TRUE(openData("13224.xls")->linkSources(1).empty());
}

TEST(CorpusReader, ValuesAndDisplayedTexts) {
  auto book = openData("Formate.xls");
  ASSERT_EQ(book->sheetCount(), 4);
  EXPECT_EQ(book->sheet(1).name(), "Bl\xC3\xA4tt1");
  EXPECT_EQ(book->sheet(2).name(), "\xC3\x96\xC3\x84\xC3\x9C");
  Worksheet& ws = book->sheet(1);
  EXPECT_EQ(ws.cell(1, 1).value().text, "Huber");
  EXPECT_EQ(ws.cell(1, 2).text(), "03/07/1907");
  EXPECT_EQ(ws.cell(2, 2).text(), "23/02/2005");
  EXPECT_EQ(ws.cell(3, 2).text(), "Tuesday, May 03, 1988");
  EXPECT_EQ(ws.cell(4, 2).text(), "06:34");
  EXPECT_EQ(ws.cell(6, 2).text(), "5:47:13 PM");
  EXPECT_EQ(ws.cell(7, 2).text(), "97.4%");
  EXPECT_EQ(ws.cell(9, 2).text(), " 1,000.30 \xE2\x82\xAC ");
  EXPECT_DOUBLE_EQ(ws.cell(10, 2).value().number, 1.2);
  EXPECT_EQ(book->sheet(2).cell(1, 1).value().number, -100);
  EXPECT_EQ(book->sheet(2).cell(3, 3).value().text, "MERGED CELLS");
  EXPECT_EQ(book->sheet(3).cell(12, 1).formula(), "1200");

  auto profiles = openData("profiles.xls");
  Worksheet& levels = profiles->sheet("PROFILELEVELS");
  EXPECT_EQ(levels.cell(2, 1).value().text, "P8.2");
  EXPECT_DOUBLE_EQ(levels.cell(2, 2).value().number, 0.025);
  EXPECT_DOUBLE_EQ(levels.cell(2, 3).value().number, 265.21206);
  long formulas = 0;
  for (const Cell& c : levels.usedRange()) formulas += c.formula().rfind('=', 0) == 0 ? 1 : 0;
  EXPECT_GT(formulas, 0);

  auto japanese = openData("12561-1.xls");
  Worksheet& list = japanese->sheet(1);
  EXPECT_EQ(list.name(), "\xE4\xBD\x9C\xE6\xA5\xAD\xE3\x83\xAA\xE3\x82\xB9\xE3\x83\x88");
  EXPECT_EQ(list.cell(3, 1).value().text, "\xE4\xBD\x9C\xE6\xA5\xAD" "NO");
  EXPECT_EQ(list.cell(3, 13).value().text, "\xE4\xBD\x9C\xE6\xA5\xAD\xE7\xB5\x82\xE4\xBA\x86\xE6\x97\xA5\xE4\xBB\x98");
}

// Graph1 and Graph2 are chart sheets: the cached values of their series are no cells.
TEST(CorpusReader, ChartSheetsHaveNoCells) {
  auto book = openData("44010-TwoCharts.xls");
  ASSERT_EQ(book->sheetCount(), 3);
  EXPECT_EQ(book->sheet(1).usedRange().address(), "$A$1:$M$12");
  for (int i : {2, 3}) {
    const Worksheet& chart = book->sheet(i);
    EXPECT_EQ(chart.type(), SheetType::Chart);
    const Range used = chart.usedRange();
    EXPECT_EQ(used.count(), 0);
    EXPECT_EQ(used.rowsCount(), 0);
    EXPECT_EQ(used.columnsCount(), 0);
    EXPECT_FALSE(used.begin() != used.end());
    EXPECT_TRUE(chart.data().cells.empty());
  }
}

TEST(CorpusReader, DocumentProperties) {
  setenv("TZ", "UTC", 1);
  tzset();
  auto book = openData("12561-1.xls");
  const DocumentProperties& p = book->builtinDocumentProperties();
  EXPECT_EQ(p.value(3).text, "shikase");
  EXPECT_EQ(p.value(7).text, "kawamoto");
  EXPECT_EQ(p.value(9).text, "Microsoft Excel");
  EXPECT_EQ(p.value(21).text, "\xE3\x82\xA2\xE3\x82\xAF\xE3\x83\x81\xE3\x83\xA5\xE3\x82\xA8\xE3\x82\xA4\xE3\x83\x88"
                              "\xE3\x82\xB8\xE3\x83\xA3\xE3\x83\x91\xE3\x83\xB3\xEF\xBC\x88\xE6\xA0\xAA\xEF\xBC\x89");
  EXPECT_EQ(p.value(11).kind, PropertyValue::Kind::Date);
  EXPECT_EQ(p.value(11).toText(), "2002/07/04 04:43:25");
  EXPECT_EQ(p.value(10).toText(), "2002/07/04 06:52:16");
  EXPECT_EQ(p.value(12).toText(), "2002/07/10 02:46:16");
  EXPECT_EQ(p.value(17).kind, PropertyValue::Kind::Number);
  EXPECT_EQ(p.value(1).kind, PropertyValue::Kind::Empty);
  EXPECT_EQ(p.value(29).toText(), "");

  // Written without print and creation dates: Excel raises -2147467259 for those two.
  auto formate = openData("Formate.xls");
  const DocumentProperties& q = formate->builtinDocumentProperties();
  EXPECT_EQ(q.value(3).text, "manfred");
  EXPECT_EQ(q.value(8).toText(), "1");
  try {
    q.value(10);
    ADD_FAILURE() << "a zero print date must raise";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), -2147467259L);
  }
  EXPECT_EQ(q.value(11).toText(), "2010/12/04 13:04:45");
  EXPECT_EQ(q.value(13).number, 0);  // 30 seconds of editing
}

// Expected values read from the user-defined section's bytes with a small Python reader.
TEST(CorpusReader, CustomDocumentProperties) {
  setenv("TZ", "UTC", 1);
  tzset();
  // Code page 1252: numbers, texts, a Boolean and FILETIME dates, in the property table's order.
  auto book = openData("29982.xls");
  const std::vector<CustomProperty>& c = book->customDocumentProperties();
  ASSERT_EQ(c.size(), 17u);
  EXPECT_EQ(c[0].name, "_AdHocReviewCycleID");
  EXPECT_EQ(c[0].value.toText(), "-1986900361");
  EXPECT_EQ(c[4].name, "Webdesk.Active");
  EXPECT_EQ(c[4].value.kind, PropertyValue::Kind::Boolean);
  EXPECT_EQ(c[4].value.toText(), "True");
  EXPECT_EQ(c[7].name, "Webdesk.CreationDate");
  EXPECT_EQ(c[7].value.kind, PropertyValue::Kind::Date);
  EXPECT_EQ(c[7].value.toText(), "2005/09/28 03:00:00");
  EXPECT_EQ(c[8].value.toText(), "N\xC3\xA3o Definida");
  EXPECT_EQ(c[9].value.toText(), "53722");
  EXPECT_EQ(c[16].name, "_ReviewingToolsShownOnce");
  EXPECT_EQ(c[16].value.toText(), "");
  EXPECT_EQ(book->builtinDocumentProperties().value(3).toText(), "Vladimir Michels");  // built-ins unchanged
  EXPECT_TRUE(book->warnings().empty());

  // Code page 1200: UTF-16 names and texts; the locale entry is not a property.
  auto unicode = openData("DBCSHeader.xls");
  const std::vector<CustomProperty>& u = unicode->customDocumentProperties();
  ASSERT_EQ(u.size(), 4u);
  EXPECT_EQ(u[0].value.toText(), "-1105890124");
  EXPECT_EQ(u[3].name, "_AuthorEmailDisplayName");
  EXPECT_EQ(u[3].value.toText(), "Madhukar Srivastava");
}

TEST(CorpusReader, StreamNamesCompareWithoutCase) {
  auto book = openData("NoGutsRecords.xls");  // its stream is named "WORKBOOK"
  ASSERT_EQ(book->sheetCount(), 1);
  EXPECT_EQ(book->sheet(1).name(), "Sheet1");
  EXPECT_EQ(book->sheet(1).cell(1, 2).value().text, "Expiring contracts");
  EXPECT_DOUBLE_EQ(book->sheet(1).cell(3, 3).value().number, 39302);
}

// libgsf logs CRITICAL and WARNING lines about this file's damaged property sets: none reach
// stderr, the workbook reports them as one warning of its own.
TEST(CorpusReader, LibraryMessagesBecomeOneWarning) {
  ::testing::internal::CaptureStderr();
  auto book = openData("poi-fuzz.xls");
  const std::string stderrText = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(stderrText, "");
  long libraryWarnings = 0;
  for (const std::string& w : book->warnings()) libraryWarnings += w.rfind("the compound-file library reported damage: ", 0) == 0;
  EXPECT_EQ(libraryWarnings, 1);
}

TEST(CorpusReader, UnreadableFormatsFailWithTheirReason) {
  EXPECT_NE(refusal("password.xls").find("encrypted"), std::string::npos);
  EXPECT_NE(refusal("testEXCEL_95.xls").find("Excel 5.0/95"), std::string::npos);
  EXPECT_NE(refusal("biff4_no_format_no_window2.xls").find("BIFF4"), std::string::npos);
}

// Every workbook kept in tests/data (or in ZEL_CORPUS_DIR when set) opens and can be walked,
// or is refused with error 1004 and a reason.
TEST(CorpusReader, EveryFileOpensOrFailsClearly) {
  const char* dir = std::getenv("ZEL_CORPUS_DIR");
  std::filesystem::path root = dir ? dir : ZEL_TEST_DATA;
  int opened = 0, refused = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".xls") continue;
    try {
      auto book = Workbook::open(entry.path().string());
      test::walkEverything(*book);
      ++opened;
    } catch (const VbError& e) {
      EXPECT_EQ(e.number(), 1004) << entry.path();
      EXPECT_FALSE(e.description().empty());
      ++refused;
      if (dir) std::cout << "refused " << entry.path().filename() << ": " << e.description() << "\n";
    } catch (const std::exception& e) {
      ADD_FAILURE() << entry.path() << ": " << e.what();
    }
  }
  std::cout << "opened " << opened << ", refused " << refused << "\n";
  EXPECT_GT(opened, 10);
}

}  // namespace
}  // namespace zel::xls
