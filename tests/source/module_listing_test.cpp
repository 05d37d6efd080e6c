// cmdModule: the source listing into T_XlSource for single kinds and for all files.
#include "source_fixture.h"

namespace zel::test {
namespace {

using source::Outcome;

class ModuleListingTest : public SourceFixture {
 protected:
  source::RunResult list(int kind) {
    options.ModuleKind = kind;
    auto r = run();
    return source::runModule(r);
  }
  Rows listed() {
    return rows("SELECT Label, objectNo, ProcedureNo, Line, objectName, ProcedureName, \"Procedure\" FROM T_XlSource "
                "ORDER BY rowid");
  }
};

TEST_F(ModuleListingTest, NumbersRunAcrossFiles) {
  module("A.bas", {"Attribute VB_Name = \"A\"", "Option Explicit", "", "Sub A()", "End Sub", "", "Function B()",
                   "End Function"});
  module("B.bas", {"Attribute VB_Name = \"B\"", "Private Sub C()", "  x = 1   ", "End Sub", "Friend Sub D()",
                   "  y = 2", "End Sub", "   "});
  counts = {2, 0, 0, 0};
  auto result = list(1);
  EXPECT_EQ(result.outcome, Outcome::Filled);
  EXPECT_EQ(listed(), (Rows{
                          {"1", "1", "1", "1", "A.bas", "(Declarations)", "Option Explicit"},
                          {"1", "1", "1", "2", "A.bas", "A", "Sub A()"},
                          {"1", "1", "1", "3", "A.bas", "A", "End Sub"},
                          {"1", "1", "2", "4", "A.bas", "B", "Function B()"},
                          {"1", "1", "2", "5", "A.bas", "B", "End Function"},
                          {"1", "2", "3", "6", "B.bas", "C", "Private Sub C()"},
                          {"1", "2", "3", "7", "B.bas", "C", "  x = 1"},
                          {"1", "2", "3", "8", "B.bas", "C", "End Sub"},
                          // Friend is not recognised as a header.
                          {"1", "2", "4", "9", "B.bas", "(Declarations)", "Friend Sub D()"},
                          {"1", "2", "4", "10", "B.bas", "(Declarations)", "  y = 2"},
                          {"1", "2", "4", "11", "B.bas", "(Declarations)", "End Sub"},
                      }));
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 50, 100, 100}));
  EXPECT_EQ(flags.fSoc, 1);
  EXPECT_EQ(result.report, "R_SourceList");
}

class ClassAndOtherFiles : public ModuleListingTest {
 protected:
  void SetUp() override {
    module("a.bas", {"Attribute VB_Name = \"a\"", "Sub S()", "End Sub"});
    module("c.cls", {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END", "Attribute VB_Name = \"c\"",
                     "Option Explicit"});
    module("m.txt", {"Sub T()", "End Sub"});
    module("z.BAS", {"x = 1"});
    module("zz.sht", {"Option Explicit"});
    counts = {1, 1, 0, 0};
  }
};

TEST_F(ClassAndOtherFiles, AllFilesDropClassHeaderAndLabelByExactExtension) {
  list(6);
  EXPECT_EQ(listed(), (Rows{
                          {"1", "1", "1", "1", "a.bas", "S", "Sub S()"},
                          {"1", "1", "1", "2", "a.bas", "S", "End Sub"},
                          // m.txt and z.BAS are read (objectNo, Line, ProcedureNo move on) but listed nowhere.
                          {"2", "2", "2", "3", "c.cls", "(Declarations)", "Option Explicit"},
                          {"5", "5", "3", "7", "zz.sht", "(Declarations)", "Option Explicit"},
                      }));
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 50, 100, 150, 200, 250, 100}));
}

TEST_F(ClassAndOtherFiles, ClassKindListsTheHeaderBlock) {
  list(2);
  auto r = rows("SELECT Line, \"Procedure\" FROM T_XlSource ORDER BY rowid");
  EXPECT_EQ(r, (Rows{{"1", "VERSION 1.0 CLASS"}, {"2", "BEGIN"}, {"3", "  MultiUse = -1  'True"}, {"4", "END"},
                     {"5", "Option Explicit"}}));
}

TEST_F(ModuleListingTest, SheetModuleEndingInsideItsHeaderBlock) {
  module("s.sht", {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True"});
  module("t.sht", {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END", "Attribute VB_Name = \"t\"",
                   "Private Sub Worksheet_Activate()", "End Sub"});
  list(5);
  EXPECT_EQ(listed(), (Rows{{"5", "2", "1", "1", "t.sht", "Worksheet_Activate", "Private Sub Worksheet_Activate()"},
                            {"5", "2", "1", "2", "t.sht", "Worksheet_Activate", "End Sub"}}));
  // Workbook and sheet listings leave the gauge alone until the end.
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 100}));
}

TEST_F(ModuleListingTest, LongLinesAreCutWithoutSplittingACharacter) {
  module("A.bas", {"' " + std::string(300 * 3, 'x'), "'" + std::string(253, 'a') + "𠮷b", "' " + [] {
                     std::string s;
                     for (int i = 0; i < 300; ++i) s += "あ";
                     return s;
                   }()});
  list(1);
  EXPECT_EQ(rows("SELECT length(\"Procedure\") FROM T_XlSource ORDER BY rowid"), (Rows{{"255"}, {"254"}, {"255"}}));
}

TEST_F(ModuleListingTest, PresenceMessagesPerKind) {
  counts = {1, 0, 0, 0};
  auto cls = list(2);
  EXPECT_EQ(cls.outcome, Outcome::NoModules);
  EXPECT_EQ(cls.notice, "ｸﾗｽﾓｼﾞｭｰﾙは存在しません");
  EXPECT_EQ(progress.statuses.back(), "このﾌｧｲﾙにはModuleは存在しません");
  EXPECT_EQ(list(3).notice, "ﾌｫｰﾑﾓｼﾞｭｰﾙは存在しません");
  counts = {0, 1, 0, 0};
  EXPECT_EQ(list(1).notice, "標準ﾓｼﾞｭｰﾙは存在しません");
  counts = {0, 0, 0, 0};
  for (int kind : {4, 5, 6}) EXPECT_EQ(list(kind).notice, "このﾌｧｲﾙにはModuleは存在しません");
  EXPECT_EQ(flags.fSoc, 0);
}

TEST_F(ModuleListingTest, SameKindTwiceOnlyPreviews) {
  module("A.bas", {"Sub A()"});
  list(1);
  module("B.bas", {"Sub B()"});
  auto again = list(1);
  EXPECT_EQ(again.outcome, Outcome::AlreadyFilled);
  EXPECT_EQ(count("T_XlSource"), 1);
  list(6);
  EXPECT_EQ(count("T_XlSource"), 2);
}

}  // namespace
}  // namespace zel::test
