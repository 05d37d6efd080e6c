// cmdComment: whole-line comments into T_XlComment, numbered across the run.
#include "source_fixture.h"

namespace zel::test {
namespace {

class CommentListTest : public SourceFixture {
 protected:
  Rows comments() {
    auto r = run();
    source::runComment(r);
    return rows("SELECT Object, objectNo, ProcedureNo, objectName, ProcedureName, Comment FROM T_XlComment "
                "ORDER BY rowid");
  }
};

TEST_F(CommentListTest, QuoteAndRemCommentsWithTheirProcedure) {
  module("a.bas", {
                      "Attribute VB_Name = \"a\"",
                      "' 先頭コメント ",
                      "Sub A()",
                      "    ' インデント",
                      "    x = 1 ' 行末",          // trailing comment: not listed
                      "    s = \"' not a comment\"",
                      "    Rem 古い処理",
                      "    RemoveItem 1",         // code, not a Rem comment
                      "'",
                      "Rem",
                      "  REM",
                      "' Sub Helper(x) を呼ぶ",   // passes the header test before it is listed
                      "End Sub",
                  });
  module("b.bas", {"' b の説明", "' " + std::string(300, 'c')});
  module("s.sht", {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END", "' シート"});
  counts = {2, 0, 0, 0};
  const std::string S = "標準ﾓｼﾞｭｰﾙ";
  EXPECT_EQ(comments(), (Rows{
                            {S, "1", "1", "a.bas", "", " 先頭コメント"},
                            {S, "1", "2", "a.bas", "A", " インデント"},
                            {S, "1", "3", "a.bas", "A", "古い処理"},
                            {S, "1", "4", "a.bas", "Helper", " Sub Helper(x) を呼ぶ"},
                            // The name runs on into the next module.
                            {S, "2", "5", "b.bas", "Helper", " b の説明"},
                            {S, "2", "6", "b.bas", "Helper", " " + std::string(254, 'c')},
                            {"ｼｰﾄﾓｼﾞｭｰﾙ", "3", "7", "s.sht", "Helper", " シート"},
                        }));
  // Sheet modules leave the gauge where it was.
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 50, 100, 100}));
  EXPECT_EQ(progress.statuses.front(), "コメント情報　取得中");
  EXPECT_EQ(flags.fCom, 1);
}

}  // namespace
}  // namespace zel::test
