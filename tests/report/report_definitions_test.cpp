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

const char* const kAllReports[] = {
    "R_XlHyousi",  "R_XlHyousiH",   "R_XlHyousiW", "R_XlBook",       "R_XlObject",      "R_XlCalc",
    "R_XlCalcNote", "R_XlShape",    "R_XlName",    "R_XlFile",       "R_XlAddin",       "R_ModuleList",
    "R_ModuleList50", "R_XlHensuU", "R_XlHensuT",  "R_XlHensuH",     "R_SourceList",    "R_SourceList50",
    "R_SourceList150", "R_SourceList1", "R_XlModStep", "R_XlComment", "R_XlLinkProc"};

class DefinitionTest : public ReportTest {};

TEST_F(DefinitionTest, EveryReportIsDefinedAndItsRecordSourcesRunOnTheSchema) {
  std::set<std::string> names;
  for (const auto& d : reportDefinitions()) names.insert(d.name);
  EXPECT_EQ(names.size(), reportDefinitions().size()) << "duplicate report names";
  EXPECT_EQ(names.size(), std::size(kAllReports));
  ASSERT_TRUE(registerJapaneseCollation(db().handle()));
  for (const char* name : kAllReports) {
    const ReportDefinition* def = findReport(name);
    ASSERT_NE(def, nullptr) << name;
    EXPECT_FALSE(std::string(def->title).empty()) << name;
    for (const auto& sec : def->sections) {
      // Preparing the statement checks every table and field name; the loader checks the
      // column, group and style fields against the result columns.
      EXPECT_NO_THROW(Statement(db().handle(), sectionSql(sec))) << name;
      if (sec.kind != SectionKind::Table) continue;
      int flex = 0;
      for (const auto& c : sec.columns) flex += c.widthMm == 0;
      EXPECT_LE(flex, 1) << name;
    }
  }
  EXPECT_EQ(findReport("R_Unknown"), nullptr);
  EXPECT_EQ(findReport("r_xlbook"), nullptr);
}

TEST_F(DefinitionTest, EveryReportLoadsFromEmptyTables) {
  for (const char* name : kAllReports) {
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
}

TEST(PreviewVariant, ButtonsPickTheirReportFromTheOptions) {
  AnalysisOptions o;
  DoneFlags f;
  o.ObjectLevel = 1;
  EXPECT_EQ(reportFor(PreviewButton::cmdOPre, o, f), "R_XlBook");
  o.ObjectLevel = 2;
  EXPECT_EQ(reportFor(PreviewButton::cmdOPre, o, f), "R_XlObject");
  o.ObjectLevel = 3;
  EXPECT_EQ(reportFor(PreviewButton::cmdOPre, o, f), "R_XlObject");

  o.CellOption = 1;
  EXPECT_EQ(reportFor(PreviewButton::cmdCPre, o, f), "R_XlCalc");
  o.CellOption = 2;
  EXPECT_EQ(reportFor(PreviewButton::cmdCPre, o, f), "R_XlCalcNote");
  o.CellOption = 3;
  EXPECT_EQ(reportFor(PreviewButton::cmdCPre, o, f), "R_XlCalcNote");
  o.CellOption = 0;
  EXPECT_EQ(reportFor(PreviewButton::cmdCPre, o, f), "");
  o.CellOption = 4;
  EXPECT_EQ(reportFor(PreviewButton::cmdCPre, o, f), "");

  o.ProcKana = 0;
  EXPECT_EQ(reportFor(PreviewButton::cmdPPre, o, f), "R_ModuleList");
  o.ProcKana = 1;
  EXPECT_EQ(reportFor(PreviewButton::cmdPPre, o, f), "R_ModuleList50");

  // Two columns ("２列") and "五十音順": R_SourceList50; one column, box clear: R_SourceList1.
  o.ColumnOption = 2, o.ModKana = 1;
  EXPECT_EQ(reportFor(PreviewButton::cmdMPre, o, f), "R_SourceList50");
  o.ColumnOption = 2, o.ModKana = 0;
  EXPECT_EQ(reportFor(PreviewButton::cmdMPre, o, f), "R_SourceList");
  o.ColumnOption = 1, o.ModKana = 1;
  EXPECT_EQ(reportFor(PreviewButton::cmdMPre, o, f), "R_SourceList150");
  o.ColumnOption = 1, o.ModKana = 0;
  EXPECT_EQ(reportFor(PreviewButton::cmdMPre, o, f), "R_SourceList1");
  o.ColumnOption = 0, o.ModKana = 0;  // any value other than 2 is the one-column listing
  EXPECT_EQ(reportFor(PreviewButton::cmdMPre, o, f), "R_SourceList1");

  const std::pair<PreviewButton, const char*> fixed[] = {
      {PreviewButton::cmdNPre, "R_XlName"},      {PreviewButton::cmdSPre, "R_XlShape"},
      {PreviewButton::cmdFPre, "R_XlFile"},      {PreviewButton::cmdCOPre, "R_XlComment"},
      {PreviewButton::cmdMSPre, "R_XlModStep"},  {PreviewButton::cmdADPre, "R_XlAddin"},
      {PreviewButton::cmdISPre, "R_XlLinkProc"}, {PreviewButton::cmdHensuU, "R_XlHensuU"},
      {PreviewButton::cmdHensuT, "R_XlHensuT"},  {PreviewButton::cmdHensuH, "R_XlHensuH"},
      {PreviewButton::cmdHyousi0, "R_XlHyousi"}, {PreviewButton::cmdHyousi1, "R_XlHyousiH"},
      {PreviewButton::cmdHyousi2, "R_XlHyousiW"}};
  for (const auto& [button, name] : fixed) {
    EXPECT_EQ(reportFor(button, o, f), name);
    EXPECT_NE(findReport(reportFor(button, o, f)), nullptr) << name;
  }
}

TEST(JapaneseCollation, KanaOfEveryScriptSortsInSyllabaryOrder) {
  // Syllabary order: あ い う え お か … さ …; hiragana, katakana and half-width katakana of one
  // sound sort together; Latin letters and digits before kana; kanji after kana.
  EXPECT_LT(compareJapanese("あいす", "いぬ"), 0);
  EXPECT_LT(compareJapanese("アイス", "いぬ"), 0);
  EXPECT_LT(compareJapanese("ｱｲｽ", "イヌ"), 0);
  EXPECT_LT(compareJapanese("イヌ", "ｳｼ"), 0);
  EXPECT_LT(compareJapanese("うし", "カメラ"), 0);
  EXPECT_LT(compareJapanese("ｶﾒﾗ", "さくら"), 0);
  EXPECT_LT(compareJapanese("ソート", "たぬき"), 0);
  EXPECT_LT(compareJapanese("Zeta", "あいす"), 0);
  EXPECT_LT(compareJapanese("123", "abc"), 0);
  EXPECT_LT(compareJapanese("わをん", "漢字"), 0);
  EXPECT_LT(compareJapanese("abc", "ABD"), 0);  // letter case is a lesser difference than the letters
  // Voiced marks are a lesser difference: か < が < き.
  EXPECT_LT(compareJapanese("かき", "がき"), 0);
  EXPECT_LT(compareJapanese("がき", "きく"), 0);
}

TEST_F(DefinitionTest, CollationIsUsableFromSql) {
  const char* names[] = {"漢字", "さくら", "ｶﾒﾗ", "Zeta", "いぬ", "アイス", "うし", "abc"};
  for (const char* n : names) addRow("T_XlName", {{"LabelName", txt(n)}});
  db_.reset();
  ResultDb ro = openReportDb(dbPath());
  auto rows = ro.query("SELECT LabelName FROM T_XlName ORDER BY LabelName COLLATE JAPANESE");
  std::vector<std::string> got;
  for (auto& r : rows) got.push_back(dbValueText(r[0]));
  const std::vector<std::string> want = {"abc", "Zeta", "アイス", "いぬ", "うし", "ｶﾒﾗ", "さくら", "漢字"};
  EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace zel::report::test
