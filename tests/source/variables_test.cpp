// cmdHensu: declarations of the standard modules into T_XlHensu.
#include "source_fixture.h"

namespace zel::test {
namespace {

class VariablesTest : public SourceFixture {
 protected:
  Rows hensu() {
    auto r = run();
    source::runHensu(r);
    return rows("SELECT objectNo, ProcedureNo, objectName, ProcedureName, HensuName, Property, Bunrui, Type, Line, "
                "Description FROM T_XlHensu ORDER BY rowid");
  }
};

TEST_F(VariablesTest, DeclarationsPiecesTypesAndProcedures) {
  module("A.bas", {
                      "Attribute VB_Name = \"A\"",
                      "Option Explicit",                                    // 1
                      "Public gCount As Long 'count",                       // 2
                      "Private Const MAX_ROW = 100",                        // 3
                      "Dim a As Long, b() As String",                       // 4, 5
                      "Public Const A = 1, B = 2",                          // 6, 7
                      "Dim x(1, 2) As Long",                                // 8, 9
                      "Private Type Point ' 座標",                          // 10
                      "    ' 横方向",                                       // passed over
                      "    x As Long ' 横",                                 // 11
                      "",                                                   // passed over
                      "    y As Long",                                      // 12
                      "End Type",                                           // ends the block, no row
                      "Dim fileType As String",                             // 13: a variable, not a type
                      "Public Sub Main()",                                  // 14
                      "    Dim i As Integer",                               // 15
                      "    Const LOCAL_C = 1",                              // 16: no scope word
                      "    Static s As Long",                               // 17
                      "    ReDim arr(10)",                                  // 18: contains DIM
                      "    x = 1 ' dim y",                                  // 19: scope word only in the comment
                      "End Sub",                                            // 20
                      "Sub Macro1()",                                       // 21: no scope, not a procedure here
                      "    Dim z As Long",                                  // 22
                      "Public x2 ' as y",                                   // 23: AS only in the comment
                      "Dim n'comment",                                      // 24
                      "Public Sub Two(a As Long, b As Long)",               // 25: rest of the line dropped
                      "Private Declare Function GetTickCount Lib \"kernel32\" () As Long",  // 26
                      "Dim afterApi As Long",                               // 27
                  });
  module("B.bas", {"Attribute VB_Name = \"B\"", "Private Type Open", "    a As Long"});
  module("C.cls", {"Public c As Long"});
  counts = {2, 1, 0, 0};
  const std::string D = "(Declarations)";
  EXPECT_EQ(hensu(), (Rows{
                         {"1", "0", "A.bas", D, "gCount", "Public", "変数", "型/Long", "2", "count"},
                         {"1", "0", "A.bas", D, "MAX_ROW", "Private", "定数", "値/100", "3", ""},
                         {"1", "0", "A.bas", D, "a", "Dim", "変数", "型/Long", "4", ""},
                         {"1", "0", "A.bas", D, "b()", "Dim", "変数", "型/String", "5", ""},
                         {"1", "0", "A.bas", D, "A", "Public", "定数", "値/1", "6", ""},
                         {"1", "0", "A.bas", D, "B = 2", "Public", "変数", "", "7", ""},
                         {"1", "0", "A.bas", D, "x(1", "Dim", "変数", "", "8", ""},
                         {"1", "0", "A.bas", D, "2)", "Dim", "変数", "型/Long", "9", ""},
                         {"1", "0", "A.bas", D, "Point", "Private", "定義", "", "10", "座標"},
                         {"1", "0", "A.bas", D, "x", "Private", "定義", "型/Long", "11", "横"},
                         {"1", "0", "A.bas", D, "y", "Private", "定義", "型/Long", "12", ""},
                         {"1", "0", "A.bas", D, "fileType", "Dim", "変数", "型/String", "13", ""},
                         {"1", "1", "A.bas", "Main", "i", "Dim", "変数", "型/Integer", "15", ""},
                         {"1", "1", "A.bas", "Main", "arr(10)", "Dim", "変数", "", "18", ""},
                         {"1", "1", "A.bas", "Main", "", "Dim", "変数", "", "19", "dim y"},
                         {"1", "1", "A.bas", "Main", "z", "Dim", "変数", "型/Long", "22", ""},
                         {"1", "1", "A.bas", "Main", "x2", "Public", "変数", "", "23", "as y"},
                         {"1", "1", "A.bas", "Main", "", "Dim", "変数", "", "24", "comment"},
                         {"1", "3", "A.bas", "GetTickCount", "afterApi", "Dim", "変数", "型/Long", "27", ""},
                         // A type block still open at the end of the file ends there.
                         {"2", "3", "B.bas", D, "Open", "Private", "定義", "", "1", ""},
                         {"2", "3", "B.bas", D, "a", "Private", "定義", "型/Long", "2", ""},
                     }));
  EXPECT_EQ(flags.fDim, 1);
  EXPECT_EQ(progress.statuses, (std::vector<std::string>{"変数 情報　取得中", "終了しました"}));
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 50, 100, 100}));
}

TEST_F(VariablesTest, TypeBlocksNeedTheirOwnHeader) {
  module("A.bas", {
                      "Public Type Rec 'レコード",
                      "    名前 As String * 20 ' 氏名",
                      "    Kind",                                 // a member without a type
                      "End Type",
                      "Global Type G",
                      "  v As Variant",
                      "End Type",
                      "Private typeName As String",           // TYPE inside the name: a variable
                      "Public Const TYPE_A = 1",              // TYPE and CONST: a constant
                      "Public Sub After()",
                  });
  EXPECT_EQ(hensu(), (Rows{
                         {"1", "0", "A.bas", "(Declarations)", "Rec", "Public", "定義", "", "1", "レコード"},
                         {"1", "0", "A.bas", "(Declarations)", "名前", "Public", "定義", "型/String * 20", "2", "氏名"},
                         {"1", "0", "A.bas", "(Declarations)", "Kind", "Public", "定義", "", "3", ""},
                         {"1", "0", "A.bas", "(Declarations)", "G", "Global", "定義", "", "4", ""},
                         {"1", "0", "A.bas", "(Declarations)", "v", "Global", "定義", "型/Variant", "5", ""},
                         {"1", "0", "A.bas", "(Declarations)", "typeName", "Private", "変数", "型/String", "6", ""},
                         {"1", "0", "A.bas", "(Declarations)", "TYPE_A", "Public", "定数", "値/1", "7", ""},
                     }));
}

TEST_F(VariablesTest, NoStandardModulesMeansAnEmptyTableAndNoDivision) {
  db.exec("INSERT INTO T_XlHensu (objectNo) VALUES (99)");
  module("A.bas", {"Public v As Long"});
  counts = {0, 0, 0, 0};  // no presence check here; StdCount 0 must not divide
  EXPECT_EQ(hensu().size(), 1u);
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 0, 100}));
}

}  // namespace
}  // namespace zel::test
