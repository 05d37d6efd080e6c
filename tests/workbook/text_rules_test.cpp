// StripAll, LinkRefText, the sheet walk and the time estimate's arithmetic.
#include "workbook/sheet_walk.h"
#include "workbook/text_rules.h"
#include "workbook/time_estimate.h"

#include <gtest/gtest.h>

using namespace zel::workbook;

TEST(StripAll, RemovesEveryOccurrenceAndTrimsOnlyAfterALeadingOne) {
  EXPECT_EQ(StripAll("$A$1", "$"), "A1");
  EXPECT_EQ(StripAll("$A$1:$C$9,$E$2", "$"), "A1:C9,E2");
  EXPECT_EQ(StripAll("   ", "$"), "");
  EXPECT_EQ(StripAll("", "$"), "");
  EXPECT_EQ(StripAll("  A 1  ", "$"), "  A 1  ");  // no occurrence: unchanged, blanks kept
  EXPECT_EQ(StripAll("$  A$1  ", "$"), "A1");      // a leading occurrence trims both ends
  EXPECT_EQ(StripAll("A $1 ", "$"), "A 1 ");        // an inner one trims nothing
  EXPECT_EQ(StripAll("B$1 ", "$"), "B1 ");
  EXPECT_EQ(StripAll("表$A$1", "$"), "表A1");
  EXPECT_EQ(StripAll("abcabcX", "abc"), "X");
  EXPECT_EQ(StripAll("aAa", "A"), "aa");  // case-sensitive
  EXPECT_EQ(StripAll(" $A$1", ""), " $A$1");  // an empty part removes nothing, and ends
}

TEST(LinkRefText, BracketsTheFileNameAfterTheLastBackslash) {
  EXPECT_EQ(LinkRefText("C:\\Data\\Sales.xls"), "C:\\Data\\[Sales.xls]");
  EXPECT_EQ(LinkRefText("Sales.xls"), "[Sales.xls]");
  EXPECT_EQ(LinkRefText(""), "");
  EXPECT_EQ(LinkRefText("\\\\srv\\share\\y.xls"), "\\\\srv\\share\\[y.xls]");
  EXPECT_EQ(LinkRefText("C:\\データ\\売上.xls"), "C:\\データ\\[売上.xls]");
  EXPECT_EQ(LinkRefText("C:\\Data\\"), "C:\\Data\\[]");
}

TEST(SheetWalk, LeavesOutModuleSheetsWhereverTheyStand) {
  const std::vector<std::string> names{"Module1", "Sheet1", "module9", "Modul", "Data", "MODULE", "ＭＯＤＵＬＥ"};
  auto walk = sheetsToWalk(names);
  ASSERT_EQ(walk.size(), 4u);
  EXPECT_EQ(walk[0].name, "Sheet1");
  EXPECT_EQ(walk[0].ordinal, 1);
  EXPECT_EQ(walk[0].index, 1u);
  EXPECT_EQ(walk[1].name, "Modul");
  EXPECT_EQ(walk[2].name, "Data");
  EXPECT_EQ(walk[2].ordinal, 3);
  EXPECT_EQ(walk[2].index, 4u);
  EXPECT_EQ(walk[3].name, "ＭＯＤＵＬＥ");  // full-width letters do not upper-case to "MODULE"
  EXPECT_EQ(moduleSheetCount(names), 3);
  EXPECT_EQ(walkedSheetNames({"ModuleA", "S"}), std::vector<std::string>{"S"});
  EXPECT_TRUE(sheetsToWalk({}).empty());
}

TEST(TimeEstimate, RoundsHalvesUpAtTheMeasuredRate) {
  EXPECT_EQ(estimatedMinutes(3 * kEstimatedCellsPerMinute / 2), 2);  // 1.5
  EXPECT_EQ(estimatedMinutes(kEstimatedCellsPerMinute * 2 / 5), 0);   // 0.4
  EXPECT_EQ(estimatedMinutes(kEstimatedCellsPerMinute / 2), 1);      // 0.5
  EXPECT_EQ(estimatedMinutes(0), 0);
  EXPECT_EQ(estimatedMinutes(int64_t{65536} * 256 * 300), 1007);     // past 32 bits of cells: 1006.6
  EXPECT_EQ(timeEstimateMessage(2),
            "オブジェクト(詳細)及びセル情報の処理時間は\rCPU:Pentium(133)､RAM:48MBクラスで\r約2分かかります。");
}
