// cmdInyoSaki and its name matcher: the matcher must answer exactly as testing each name of
// the table in order with InStr does.
#include "source/name_matcher.h"
#include "source_fixture.h"

#include "core/vbstring.h"

#include <random>

namespace zel::test {
namespace {

using source::FirstNameMatcher;
using source::U16;

long literalFirst(const std::vector<U16>& names, std::u16string_view line) {
  for (size_t i = 0; i < names.size(); ++i)
    if (!names[i].empty() && vb::inStr(line, names[i]) > 0) return static_cast<long>(i);
  return -1;
}

TEST(FirstNameMatcher, AgreesWithTheLiteralLoopOnRandomInput) {
  std::mt19937 rng(20261207);
  // Prefixes, suffixes, repeated and empty names, letter case and a surrogate pair among the units.
  const std::u16string alphabet = u"abcA合\xD842\xDFB7";
  auto randomText = [&](int maxLen) {
    std::uniform_int_distribution<int> len(0, maxLen), unit(0, static_cast<int>(alphabet.size()) - 1);
    U16 s;
    for (int n = len(rng); n > 0; --n) s += alphabet[static_cast<size_t>(unit(rng))];
    return s;
  };
  for (int round = 0; round < 400; ++round) {
    std::vector<U16> names;
    const int count = std::uniform_int_distribution<int>(1, 40)(rng);
    for (int i = 0; i < count; ++i) {
      U16 name = randomText(5);
      // Repeat earlier names now and then.
      if (!names.empty() && rng() % 6 == 0) name = names[rng() % names.size()];
      names.push_back(name);
    }
    FirstNameMatcher m(names);
    for (int line = 0; line < 60; ++line) {
      const U16 text = randomText(40);
      ASSERT_EQ(m.firstIn(text), literalFirst(names, text)) << "round " << round << " line " << line;
    }
  }
}

class CrossReferenceTest : public SourceFixture {
 protected:
  Rows links() {
    auto r = run();
    source::runInyoSaki(r);
    return rows("SELECT objectNo, ProcedureNo, objectName, \"Procedure\", LinkProcedure, MotoName FROM T_XlLinkModule "
                "ORDER BY rowid");
  }
};

TEST_F(CrossReferenceTest, CallsAssignmentsAndTableOrder) {
  module("A.bas", {
                      "Attribute VB_Name = \"A\"",
                      "Sub Init()",                // 0
                      "End Sub",
                      "Function Total(a)",         // 1
                      "    Total = a + 1",
                      "End Function",
                      "Sub Add()",                 // 2
                      "End Sub",
                      "Sub Add1()",                // 3
                      "End Sub",
                      "Function GetTotal()",       // 4
                      "    GetTotal = 0",
                      "End Function",
                  });
  module("B.bas", {
                      "Sub Main()",                // 5
                      "    Call Init",
                      "    x = Total(1)",
                      "    y = Add1(2)",
                      "    Init",                  // a bare call: no row
                      "    ' x = GetTotal()",
                      "End Sub",
                      "Sub 合計処理()",            // 6
                      "    Call 合計処理",
                      "End Sub",
                      "Sub Tail()",                // 7
                      "    Call MySub (x)",        // a header line with an empty name: not in the table
                      "    n = Tail",
                      "End Sub",
                  });
  module("C.bas", {
                      "Private Declare Function GetTickCount Lib \"kernel32\" () As Long",  // 8
                      "Sub Init()",                // 9, a second Init
                      "    Call Init",
                      "    t = GetTickCount",
                      "End Sub",
                  });
  module("D.cls", {"Sub InClass()", "    Call Init"});
  EXPECT_EQ(links(), (Rows{
                         {"4", "1", "A.bas", "Total", "Total", "A.bas"},
                         {"4", "1", "A.bas", "GetTotal", "Total", "A.bas"},
                         {"5", "0", "B.bas", "Main", "Init", "A.bas"},
                         {"5", "1", "B.bas", "Main", "Total", "A.bas"},
                         {"5", "2", "B.bas", "Main", "Add", "A.bas"},
                         {"5", "1", "B.bas", "Main", "Total", "A.bas"},
                         {"5", "6", "B.bas", "合計処理", "合計処理", "B.bas"},
                         {"5", "7", "B.bas", "", "Tail", "B.bas"},
                         {"6", "0", "C.bas", "Init", "Init", "A.bas"},
                         {"6", "8", "C.bas", "Init", "GetTickCount", "C.bas"},
                     }));
  EXPECT_EQ(flags.fCrs, 1);
  EXPECT_EQ(progress.gauges, (std::vector<long>{0, 100}));
  EXPECT_EQ(progress.statuses.front(), "プロシージャ引用先 情報　取得中");
}

TEST_F(CrossReferenceTest, NoStandardModulesGiveAnEmptyTable) {
  db.exec("INSERT INTO T_XlLinkModule (objectNo) VALUES (99)");
  module("D.cls", {"Sub X()", "    Call X"});
  counts = {0, 0, 0, 0};
  EXPECT_TRUE(links().empty());
  EXPECT_EQ(flags.fCrs, 1);
}

}  // namespace
}  // namespace zel::test
