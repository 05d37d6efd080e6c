// cmdModStep: sections and their line counts into T_XlModStep.
#include "source_fixture.h"

namespace zel::test {
namespace {

class StepCountsTest : public SourceFixture {
 protected:
  Rows steps() {
    auto r = run();
    source::runModStep(r);
    return rows("SELECT Object, objectNo, ProcedureNo, objectName, ProcedureName, ComentCnt, SpaceCnt, ProcCnt, "
                "TotalCnt FROM T_XlModStep ORDER BY rowid");
  }
};

TEST_F(StepCountsTest, SectionsAndTheNameCarriedAcrossFiles) {
  module("a.bas", {"Attribute VB_Name = \"a\"", "Option Explicit", "", "Sub A()", "    x = 1", "End Sub", "",
                   "' 次の関数", "Function B()", "    y = 2", "End Function"});
  module("b.bas", {"Sub C()", "End Sub"});           // previous name B: no declarations row
  module("c.bas", {"Option Explicit"});              // no procedure: counted, never written
  module("d.bas", {"Sub E()", "  x = 1", "End Sub"});  // previous name "(Declarations)"
  counts = {4, 0, 0, 0};
  const std::string S = "標準ﾓｼﾞｭｰﾙ";
  EXPECT_EQ(steps(), (Rows{
                         {S, "1", "1", "a.bas", "(Declarations)", "0", "0", "2", "2"},
                         {S, "1", "2", "a.bas", "A", "0", "0", "2", "2"},
                         {S, "1", "3", "a.bas", "B", "1", "1", "3", "5"},
                         {S, "2", "1", "b.bas", "C", "0", "0", "2", "2"},
                         {S, "4", "1", "d.bas", "(Declarations)", "0", "0", "1", "1"},
                         {S, "4", "2", "d.bas", "E", "0", "0", "2", "2"},
                     }));
  EXPECT_EQ(flags.fSocS, 1);
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 25, 50, 75, 100, 100}));
}

TEST_F(StepCountsTest, ClassHeaderCountsButDocumentHeaderIsSkipped) {
  copyDataModule("Class1.cls");
  copyDataModule("Sheet1.sht");
  module("Sheet2.sht", {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END",
                        "Attribute VB_Name = \"Sheet2\"", "Option Explicit"});
  module("Sheet3.sht", {"VERSION 1.0 CLASS", "BEGIN"});  // ends inside its header block
  counts = {0, 1, 0, 0};
  EXPECT_EQ(steps(), (Rows{
                         {"ｸﾗｽﾓｼﾞｭｰﾙ", "1", "1", "Class1.cls", "(Declarations)", "0", "0", "7", "7"},
                         {"ｸﾗｽﾓｼﾞｭｰﾙ", "1", "2", "Class1.cls", "Value", "0", "0", "2", "2"},
                         {"ｸﾗｽﾓｼﾞｭｰﾙ", "1", "3", "Class1.cls", "Value", "0", "1", "3", "4"},
                         {"ｼｰﾄﾓｼﾞｭｰﾙ", "2", "1", "Sheet1.sht", "Worksheet_Change", "1", "0", "3", "4"},
                     }));
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 100, 200, 300, 400, 100}));
}

TEST_F(StepCountsTest, CommentAndBlankTests) {
  module("r.bas", {"Sub R()", "  Rem old", "  REM", "  RemoveItem 1", "   ", "  rem x", "  ' (End Sub)",
                   "  If x Then Exit Sub ' leave", "End Sub"});
  EXPECT_EQ(steps(), (Rows{
                         // The first header of the run follows no declarations section.
                         {"標準ﾓｼﾞｭｰﾙ", "1", "1", "r.bas", "R", "3", "1", "3", "7"},
                         // "Exit Sub " with a trailing comment reads as a header.
                         {"標準ﾓｼﾞｭｰﾙ", "1", "2", "r.bas", "ERROR", "0", "0", "2", "2"},
                     }));
}

TEST_F(StepCountsTest, CountsAreNotLimitedTo16Bits) {
  std::string text = "Sub Big()\r\n";
  for (int i = 0; i < 40000; ++i) text += "    x = x + 1\r\n";
  text += "End Sub\r\n";
  writeFile(tempPath() + "big.bas", text);
  EXPECT_EQ(steps(), (Rows{{"標準ﾓｼﾞｭｰﾙ", "1", "1", "big.bas", "Big", "0", "0", "40002", "40002"}}));
}

}  // namespace
}  // namespace zel::test
