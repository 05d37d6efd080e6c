// Report definitions against the real schema, the preview-button variant rules and the
// JAPANESE collation.
#include "report/japanese_collation.h"
#include "report/preview_variant.h"
#include "report/report_data.h"
#include "report/report_definition.h"
#include "report_fixture.h"

#include <set>

namespace zel::report::test {
namespace {

class DefinitionTest : public ReportTest {};

// Loading runs every section's statement on the real schema and checks the column, group and
// style fields against its result columns.
TEST_F(DefinitionTest, EveryReportLoadsFromEmptyTables) {
  std::set<std::string> names;
  for (const auto& d : reportDefinitions()) {
    const std::string name = d.name;
    EXPECT_TRUE(names.insert(name).second) << "duplicate report name " << name;
    EXPECT_EQ(findReport(name), &d) << name;
    for (const auto& sec : d.sections) {
      if (sec.kind != SectionKind::Table) continue;
      int flex = 0;
      for (const auto& c : sec.columns) flex += c.widthMm == 0;
      EXPECT_LE(flex, 1) << name;
    }
    auto doc = open(name);
    ASSERT_EQ(doc->pageCount(), 1) << name;
    auto texts = textsOf(doc->page(0));
    if (doc->definition().kind == LayoutKind::Table) {
      EXPECT_GE(countOf(texts, "該当するデータはありません。"), 1) << name;
      EXPECT_EQ(countOf(texts, doc->definition().title), 1) << name;
      EXPECT_EQ(countOf(texts, "1 / 1"), 1) << name;
    } else {
      EXPECT_FALSE(doc->page(0).rules.empty()) << name;  // the frame of the cover or label
    }
  }
  EXPECT_EQ(findReport("R_Unknown"), nullptr);
  EXPECT_EQ(findReport("r_xlbook"), nullptr);
}

TEST(PreviewVariant, ButtonsPickTheirReportFromTheOptions) {
  DoneFlags f;
  struct Case {
    PreviewButton button;
    int level, cell, procKana, column, modKana;
    const char* report;
  };
  // Two columns ("２列") and "五十音順": R_SourceList50; any column value other than 2 is the
  // one-column listing.
  const Case cases[] = {{PreviewButton::cmdOPre, 1, 0, 0, 0, 0, "R_XlBook"},
                        {PreviewButton::cmdOPre, 2, 0, 0, 0, 0, "R_XlObject"},
                        {PreviewButton::cmdOPre, 3, 0, 0, 0, 0, "R_XlObject"},
                        {PreviewButton::cmdCPre, 0, 1, 0, 0, 0, "R_XlCalc"},
                        {PreviewButton::cmdCPre, 0, 2, 0, 0, 0, "R_XlCalcNote"},
                        {PreviewButton::cmdCPre, 0, 3, 0, 0, 0, "R_XlCalcNote"},
                        {PreviewButton::cmdCPre, 0, 0, 0, 0, 0, ""},
                        {PreviewButton::cmdCPre, 0, 4, 0, 0, 0, ""},
                        {PreviewButton::cmdPPre, 0, 0, 0, 0, 0, "R_ModuleList"},
                        {PreviewButton::cmdPPre, 0, 0, 1, 0, 0, "R_ModuleList50"},
                        {PreviewButton::cmdMPre, 0, 0, 0, 2, 1, "R_SourceList50"},
                        {PreviewButton::cmdMPre, 0, 0, 0, 2, 0, "R_SourceList"},
                        {PreviewButton::cmdMPre, 0, 0, 0, 1, 1, "R_SourceList150"},
                        {PreviewButton::cmdMPre, 0, 0, 0, 1, 0, "R_SourceList1"},
                        {PreviewButton::cmdMPre, 0, 0, 0, 0, 0, "R_SourceList1"}};
  for (const Case& c : cases) {
    AnalysisOptions o;
    o.ObjectLevel = c.level, o.CellOption = c.cell, o.ProcKana = c.procKana, o.ColumnOption = c.column,
    o.ModKana = c.modKana;
    EXPECT_EQ(reportFor(c.button, o, f), c.report) << c.report;
  }
  // The other buttons name a defined report whatever the options.
  for (PreviewButton b : {PreviewButton::cmdNPre, PreviewButton::cmdSPre, PreviewButton::cmdFPre,
                          PreviewButton::cmdCOPre, PreviewButton::cmdMSPre, PreviewButton::cmdADPre,
                          PreviewButton::cmdISPre, PreviewButton::cmdHensuU, PreviewButton::cmdHensuT,
                          PreviewButton::cmdHensuH, PreviewButton::cmdHyousi0, PreviewButton::cmdHyousi1,
                          PreviewButton::cmdHyousi2})
    EXPECT_NE(findReport(reportFor(b, AnalysisOptions{}, f)), nullptr);
}

TEST(JapaneseCollation, KanaOfEveryScriptSortsInSyllabaryOrder) {
  // Script variants of one sound sort together, digits before letters, kanji after kana; letter
  // case and voiced marks are lesser differences (か < が < き). The sorted reports show the rest.
  const std::pair<const char*, const char*> ordered[] = {
      {"ｱｲｽ", "イヌ"}, {"イヌ", "ｳｼ"}, {"ソート", "たぬき"}, {"123", "abc"}, {"わをん", "漢字"},
      {"abc", "ABD"},  {"かき", "がき"}, {"がき", "きく"}};
  for (const auto& [a, b] : ordered) EXPECT_LT(compareJapanese(a, b), 0) << a << " < " << b;
}

}  // namespace
}  // namespace zel::report::test
