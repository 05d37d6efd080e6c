// Formula text of real workbooks, read end to end through the workbook reader. Expected texts
// were taken from an independent reader (Apache POI) and corrected by hand from the cell bytes
// where Excel differs: POI drops the spaces stored in tAttrSpace and writes external paths
// inside the brackets.
#include <gtest/gtest.h>

#include "xls/excel_model.h"

namespace zel::test {
namespace {

struct Expected {
  const char* sheet;
  const char* cell;
  const char* text;
};

std::unique_ptr<xls::Workbook> openData(const char* file) {
  return xls::Workbook::open(std::string(ZEL_TEST_DATA) + "/" + file);
}

void expectFormulas(const char* file, std::initializer_list<Expected> cases) {
  auto wb = openData(file);
  for (const auto& c : cases) {
    std::string a = c.cell;
    size_t i = 0;
    uint16_t col = 0;
    while (i < a.size() && a[i] >= 'A' && a[i] <= 'Z') col = static_cast<uint16_t>(col * 26 + (a[i++] - 'A' + 1));
    xls::Cell cell = wb->sheet(c.sheet).cell(static_cast<uint32_t>(std::stoul(a.substr(i))), col);
    EXPECT_EQ(cell.formula(), c.text) << file << " " << c.sheet << "!" << c.cell;
    EXPECT_TRUE(cell.formulaWarnings().empty()) << file << " " << c.cell;
  }
}

TEST(FormulaRealWorkbooks, FunctionsStringsAndStoredSpaces) {
  expectFormulas("44861.xls", {
      {"reporting", "A1", "=CONCATENATE(\"Etude du portefeuille '\", data!B2, \"'\")"},
      {"reporting", "I5", "=data!A5"},
      {"reporting", "L14", "=data!B14"},
  });
  expectFormulas("ex44921-21902.xls", {
      {"Mapping", "L2", "=IF(AND(F2=\"\",G2=\"\",J2=\"\",K2=\"\"),FALSE, IF(AND(F2<>\"\", G2<>\"\",K2<>\"\",J2<>\"\"),FALSE,TRUE))"},
      {"Mapping", "M2", "=IF(F2=\"\",\"\",IF(O2=\"StudyDocLibrary\",Content_Type2,IF(O2=\"\",\"Document\",Content_Type)))"},
      {"Mapping", "O2", "=IF(F2=Lookups!$B$2,\"DocLibrary\",IF(F2=\"Long Term Storage\",\"\",\"StudyDocLibrary\"))"},
      {"Mapping", "P2", "=IF(O2=\"StudyDocLibrary\",\"Study_Folders\",IF(G2=Lookups!$A$2, \"Program_Related_Content\",\"\"))"},
  });
}

TEST(FormulaRealWorkbooks, AddInFunctionsThroughExternalNames) {
  expectFormulas("externalFunctionExample.xls", {
      {"Sheet1", "A1", "=YEARFRAC(B1, C1)"},
      {"Sheet1", "A3", "=YEARFRAC(B3, C3,D3)"},
      {"Sheet1", "A5", "=IF(ISODD(3), 1.2, 1.6)"},
  });
}

TEST(FormulaRealWorkbooks, ExternalWorkbookReferences) {
  expectFormulas("27364.xls", {
      {"Sheet1", "A1", "=[link_sub.xls]Sheet1!$A$1"},
      {"Sheet1", "A3", "=[link_sub.xls]Sheet1!$A$3"},
  });
  expectFormulas("49896.xls", {
      {"Sheet1", "B2", "=VLOOKUP(A2,'C:\\Documents and Settings\\Yegor\\My Documents\\[csco.xls]Sheet1'!$A$2:$B$3,2,FALSE)"},
      {"Sheet3", "B3", "=VLOOKUP(A3,Sheet2!A2:B3,2)"},
  });
  expectFormulas("ex42570-20305.xls", {
      {"Data", "B121", "=IF('[H1_05_07.xls]H1 Gen.'!G6=\"\",\"\",'[H1_05_07.xls]H1 Gen.'!G6)"},
  });
}

TEST(FormulaRealWorkbooks, SharedFormulasResolveAgainstTheCell) {
  expectFormulas("shared_formulas.xls", {
      {"Label", "A2", "=B2"},
      {"Label", "A9", "=B9"},
      {"Label", "A15", "=B15"},
  });
  // The tExp of these cells names G5, inside the shared range E5:N6 rather than its corner.
  expectFormulas("ex45046-21984.xls", {
      {"Tabelle1", "F6", "=ipcSummenproduktIntern($C6,F$2,$A$9,F$1)"},
      {"Tabelle1", "J5", "=ipcSummenproduktIntern($C5,J$2,$A$9,J$1)"},
  });
}

TEST(FormulaRealWorkbooks, ArrayConstantsArrayFormulasAndDataTables) {
  expectFormulas("testArraysAndTables.xls", {
      {"Sheet1", "C2", "={1.5,2.7,3.3,4.9,6.2}"},
      {"Sheet1", "B4", "={23;24;25;26;27;28}"},
      {"Sheet1", "C11", "={\"1A\",\"1B\",\"1C\";\"2A\",\"2B\",\"2C\"}"},
      {"Sheet1", "B16", "={1,2,3,4} * {5,6,7,8}"},  // tAttrSpace before the second array and the *
      {"Sheet1", "B19", "={3;4}*{5,6}"},
      {"Sheet1", "B27", "=B26+100&\"a\""},
      {"Sheet1", "C27", "=TABLE(B26,)"},
      {"Sheet1", "D28", "=TABLE(B26,)"},
      {"Sheet1", "C33", "=TABLE(,B32)"},
      {"Sheet1", "C41", "=TABLE(B38,B39)"},
  });
}

// An EXTERNSHEET entry whose sheet is -1 points at a deleted sheet: Excel shows #REF! in place
// of the sheet name.
TEST(FormulaRealWorkbooks, ReferencesToADeletedSheet) {
  expectFormulas("50939.xls", {{"sheet3", "E2", "=#REF!E2"}});
  auto wb = openData("30978-deleted.xls");
  ASSERT_EQ(wb->nameCount(), 3);
  EXPECT_EQ(wb->nameItem(1).name(), "On2");
  EXPECT_EQ(wb->nameItem(1).refersTo(), "=#REF!$A$1:$A$3");
  EXPECT_EQ(wb->nameItem(2).refersTo(), "=Sheet1!$A$3:$A$4");
}

TEST(FormulaRealWorkbooks, EveryFormulaOfTheSampleBooksPrintsCompletely) {
  for (const char* file : {"44861.xls", "ex44921-21902.xls", "externalFunctionExample.xls", "27364.xls",
                           "49896.xls", "shared_formulas.xls", "ex45046-21984.xls", "testArraysAndTables.xls",
                           "external_name.xls"}) {
    auto wb = openData(file);
    size_t formulas = 0;
    for (int i = 1; i <= wb->sheetCount(); ++i) {
      for (const xls::Cell& c : wb->sheet(i).usedRange()) {
        if (!c.hasFormula()) continue;
        ++formulas;
        EXPECT_TRUE(c.formulaWarnings().empty()) << file << " " << c.address() << " " << c.formula();
        EXPECT_EQ(c.formula().rfind('=', 0), 0u);
      }
    }
    EXPECT_GT(formulas, 0u) << file;
  }
}

}  // namespace
}  // namespace zel::test
