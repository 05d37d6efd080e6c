// Report definitions against the real schema, the preview-button variant rules and the
// JAPANESE collation.
#include "report/japanese_collation.h"
#include "analyses/preview_variant.h"
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

TEST(PreviewVariant, EveryButtonAndOptionNamesADefinedReport) {
  using analyses::PreviewButton;
  DoneFlags f;
  for (int b = static_cast<int>(PreviewButton::cmdOPre); b <= static_cast<int>(PreviewButton::cmdHyousi2); ++b)
    for (int v = 1; v <= 3; ++v) {
      AnalysisOptions o;
      o.ObjectLevel = o.CellOption = o.ColumnOption = v;
      o.ProcKana = o.ModKana = v % 2;
      const std::string name = analyses::reportFor(static_cast<PreviewButton>(b), o, f);
      EXPECT_NE(findReport(name), nullptr) << b << " " << v << " " << name;
    }
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
