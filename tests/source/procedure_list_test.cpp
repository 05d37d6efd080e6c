// cmdKansu over module files: procedure rows, declarations rows and T_XlDimCall rows.
#include "source_fixture.h"

#include "core/vb_error.h"

namespace zel::test {
namespace {

using source::Outcome;

class ProcedureListTest : public SourceFixture {
 protected:
  Rows procRows() {
    return rows("SELECT objectNo, ProcedureNo, objectName, ProcedureName, PrivatePublic, Object, Type, DimCall, "
                "Parameters, \"As\" FROM T_XlProcName ORDER BY rowid");
  }
  Rows dimRows() {
    return rows("SELECT objectNo, ProcedureNo, Line, DimCall, Bunrui, Type, Parameters, \"As\" FROM T_XlDimCall "
                "ORDER BY rowid");
  }
  source::RunResult kansu() {
    auto r = run();
    return source::runKansu(r);
  }
};

TEST_F(ProcedureListTest, RealisticProjectInDetailedMode) {
  for (const char* n : {"Module1.bas", "Class1.cls", "UserForm1.frm", "ThisWorkbook.bok", "Sheet1.sht"})
    copyDataModule(n);
  counts = {1, 1, 1, 0};
  auto result = kansu();
  EXPECT_EQ(result.outcome, Outcome::Filled);
  EXPECT_EQ(result.report, "R_ModuleList");
  EXPECT_EQ(flags.fPrc, 2);

  const std::string N = "<null>";
  EXPECT_EQ(procRows(),
            (Rows{
                {"1", "1", "Module1.bas", "GetTickCount", "Private", "標準ﾓｼﾞｭｰﾙ(Api)", "Declare Function", "0", N, "Long"},
                {"1", "2", "Module1.bas", "Total", "Public", "標準ﾓｼﾞｭｰﾙ", "Function", "0", "a As Long, b As Long", "Long"},
                {"1", "3", "Module1.bas", "Main", "Public", "標準ﾓｼﾞｭｰﾙ", "Sub", "0", N, N},
                {"1", "4", "Module1.bas", "ShowMessage", "Private", "標準ﾓｼﾞｭｰﾙ", "Sub", "0", "ByVal text As String", N},
                {"2", "1", "Class1.cls", N, N, "(Declarations)", N, N, N, N},
                {"2", "2", "Class1.cls", "Value", "Public", "ｸﾗｽﾓｼﾞｭｰﾙ", "Property Get", N, N, "Long"},
                {"2", "3", "Class1.cls", "Value", "Public", "ｸﾗｽﾓｼﾞｭｰﾙ", "Property Let", N, "ByVal v As Long", N},
                {"3", "1", "UserForm1.frm", "CommandButton1_Click", "Private", "ﾌｫｰﾑﾓｼﾞｭｰﾙ", "Sub", "0", N, N},
                {"4", "1", "ThisWorkbook.bok", "Workbook_Open", "Private", "ﾌﾞｯｸﾓｼﾞｭｰﾙ", "Sub", "0", N, N},
                {"5", "1", "Sheet1.sht", "Worksheet_Change", "Private", "ｼｰﾄﾓｼﾞｭｰﾙ", "Sub", "0",
                 "ByVal Target As Range", N},
            }));
  // The declarations before the first procedure carry its number: no declarations row is
  // added once a procedure was met in the file.
  EXPECT_EQ(dimRows(), (Rows{
                           {"1", "1", "6", "2", "変数", "Public", "gCount As Long", "データ件数"},
                           {"1", "1", "7", "5", "定数", "Const", "MAX_ROW = 100", N},
                           {"1", "2", "11", "4", "変数", "Dim", "i As Integer", "繰り返し用"},
                           {"1", "3", "16", "4", "変数", "Dim", "msg As String", N},
                           {"1", "3", "18", "6", "呼出", "Call", "ShowMessage(msg)", " 結果を表示"},
                           {"2", "1", "12", "3", "変数", "Private", "mValue As Long", N},
                       }));
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 33, 66, 99, 132, 165, 100}));
  EXPECT_EQ(progress.statuses, (std::vector<std::string>{"ﾓｼﾞｭｰﾙ情報　取得中", "終了しました"}));
}

TEST_F(ProcedureListTest, SimpleModeWritesProceduresOnlyAndEmptiesDimCall) {
  db.exec("INSERT INTO T_XlDimCall (objectNo) VALUES (99)");
  db.exec("INSERT INTO T_XlProcName (objectNo) VALUES (99)");
  module("A.bas", {"Attribute VB_Name = \"A\"", "Private x As Long", "Sub One()", "  Dim y", "End Sub", "Sub Two()"});
  options.ProcLevel = 1;
  options.ProcKana = 1;
  auto result = kansu();
  EXPECT_EQ(result.report, "R_ModuleList50");
  EXPECT_EQ(count("T_XlDimCall"), 0);
  EXPECT_EQ(rows("SELECT ProcedureNo, ProcedureName FROM T_XlProcName"), (Rows{{"1", "One"}, {"2", "Two"}}));
  EXPECT_EQ(flags.fPrc, 1);
}

TEST_F(ProcedureListTest, KeywordTestsAreSubstringTests) {
  module("A.bas", {
                      "Sub Main()",                     // 1
                      "    Exit Sub ' early",           // 2 "SUB " inside: a procedure row named ERROR
                      "    Call MySub (x)",             // 3 "SUB " in the name: a procedure row
                      "    ' Private Sub Old()",        // 4 comment: ignored
                      "    ReDim a(5)",                 // 5 not a Dim statement
                      "    x = 1: Dim y",               // 6 Dim not first: ignored
                      "    x = 1 ' call later",         // 7 CALL in the comment: a Call row
                      "    Exit Sub",                   // 8 no blank after Sub: nothing
                      "End Sub",                        // 9
                  });
  const std::string N = "<null>";
  EXPECT_EQ(kansu().outcome, Outcome::Filled);
  EXPECT_EQ(rows("SELECT ProcedureNo, ProcedureName, PrivatePublic, Type, DimCall, Parameters FROM T_XlProcName"),
            (Rows{{"1", "Main", "Public", "Sub", "0", N},
                  {"2", "ERROR", "Public", "Sub", "0", N},
                  {"3", "", "Public", "Sub", "0", N}}));
  EXPECT_EQ(dimRows(), (Rows{{"1", "3", "7", "6", "呼出", "Call", "l", " call later"}}));
}

TEST_F(ProcedureListTest, ContinuedDeclarationsAndLineNumbers) {
  module("A.bas", {
                      "Option Explicit",                                       // 1
                      "Private Const NAMES = \"a,\" & _",                      // 2
                      "    \"b\" ' 名前",                                      // 3
                      "Public Function Sum3(a As Long, _",                     // 4
                      "                     b As Long, _",                     // 5
                      "                     c As Long) As Long",               // 6
                      "    Dim t As Long",                                     // 7
                      "End Function",                                          // 8
                      "Friend Sub Helper(ByVal n As Long)",                    // 9
                      "Static Function Counter() As Long",                     // 10
                  });
  kansu();
  const std::string N = "<null>";
  EXPECT_EQ(rows("SELECT ProcedureNo, ProcedureName, Type, Parameters, \"As\" FROM T_XlProcName ORDER BY rowid"),
            (Rows{{"1", N, N, N, N},
                  {"2", "Sum3", "Function", "a As Long, b As Long, c As Long", "Long"},
                  {"3", "Helper", "Sub", "ByVal n As Long", N},
                  {"4", "Counter", "Function", N, "Long"}}));
  EXPECT_EQ(dimRows(), (Rows{{"1", "1", "3", "5", "定数", "Const", "NAMES = \"a,\" & \"b\"", " 名前"},
                             {"1", "2", "7", "4", "変数", "Dim", "t As Long", N}}));
}

TEST_F(ProcedureListTest, FormHeaderLinesAreNotSkipped) {
  module("F.frm", {"VERSION 5.00", "Begin {C62A69F0-16DC-11CE-9E98-00AA00574A4F} F", "   Caption = \"Sub Menu\"",
                   "End", "Attribute VB_Name = \"F\""});
  counts = {0, 0, 1, 0};
  kansu();
  EXPECT_EQ(rows("SELECT ProcedureName, Object, Type FROM T_XlProcName"), (Rows{{"ERROR", "ﾌｫｰﾑﾓｼﾞｭｰﾙ", "Sub"}}));
}

TEST_F(ProcedureListTest, HardInputsAreMended) {
  // An empty file, a file ending on a continued line, a CP932 file, and fields longer than 255.
  module("A.bas", {});
  module("B.bas", {"Sub Last(a, _"}, "");
  writeFile(tempPath() + "C.bas", std::string("Sub \x8f\x57\x8c\x76()\r\n", 12));  // Sub 集計()
  module("D.bas", {"Function Long1(abc) As " + std::string(300, 'L'),
                   "Dim q(" + std::string(300, '1') + ") ' far comment"});
  counts = {4, 0, 0, 0};
  kansu();
  auto procs = rows("SELECT objectNo, ProcedureName, Parameters, length(\"As\") FROM T_XlProcName ORDER BY rowid");
  const std::string N = "<null>";
  EXPECT_EQ(procs, (Rows{{"2", "Last", N, N}, {"3", "集計", N, N}, {"4", "Long1", "abc", "255"}}));
  auto dims = rows("SELECT Line, length(Parameters), \"As\" FROM T_XlDimCall");
  EXPECT_EQ(dims, (Rows{{"2", "255", " far comment"}}));
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 25, 50, 75, 100, 100}));
}

TEST_F(ProcedureListTest, PresenceCheckAndRepeatedClick) {
  db.exec("INSERT INTO T_XlProcName (objectNo) VALUES (99)");
  module("Sheet1.sht", {"' x", "Private Sub Worksheet_Activate()", "End Sub"});
  counts = {0, 0, 0, 0};
  auto none = kansu();
  EXPECT_EQ(none.outcome, Outcome::NoModules);
  EXPECT_EQ(none.notice, "このﾌｧｲﾙにはModuleは存在しません");
  EXPECT_EQ(progress.statuses, (std::vector<std::string>{"このﾌｧｲﾙにはModuleは存在しません"}));
  EXPECT_EQ(count("T_XlProcName"), 1);
  EXPECT_EQ(flags.fPrc, 0);
  // The step counts and the comment list stop at the same check.
  for (auto* runOne : {&source::runModStep, &source::runComment}) {
    auto r = run();
    EXPECT_EQ(runOne(r).outcome, Outcome::NoModules);
  }
  EXPECT_EQ(count("T_XlModStep"), 0);
  EXPECT_EQ(count("T_XlComment"), 0);
  EXPECT_EQ(flags.fSocS, 0);

  counts = {1, 0, 0, 0};
  flags.fPrc = 2;  // the tables already hold the detailed list
  auto again = kansu();
  EXPECT_EQ(again.outcome, Outcome::AlreadyFilled);
  EXPECT_EQ(count("T_XlProcName"), 1);
  EXPECT_EQ(progress.gauges.back(), 100);
}

TEST_F(ProcedureListTest, DatabaseFailureIsAVbErrorAndLeavesTheFlag) {
  module("A.bas", {"Sub S()"});
  db.exec("DROP TABLE T_XlDimCall");
  try {
    kansu();
    FAIL() << "expected a VbError";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), err::DatabaseError);
  }
  EXPECT_EQ(flags.fPrc, 0);
}

}  // namespace
}  // namespace zel::test
