// Files that are not VBA source at all (random bytes, NULs, lone CRs, endless continuation
// lines) must go through every analysis without a crash or a hang.
#include "source_fixture.h"

#include <random>

namespace zel::test {
namespace {

class HostileInputTest : public SourceFixture {};

TEST_F(HostileInputTest, EveryAnalysisReadsGarbage) {
  std::mt19937 rng(7);
  const std::string pieces[] = {"Sub ", "Function ", " _", "\r", "\n", "'", "Rem ", "Private Type ", "End Type",
                                ",", "(", ")", "As ", "= ", "Call ", "VERSION 1.0 CLASS", "Attribute", "\xE3\x81\x82",
                                std::string(1, '\0'), "\xff\xfe", "\x82", " "};
  const char* names[] = {"a.bas", "b.cls", "c.frm", "d.bok", "e.sht", "f.txt"};
  for (int round = 0; round < 30; ++round) {
    for (const char* name : names) {
      std::string text;
      const int n = std::uniform_int_distribution<int>(0, 400)(rng);
      for (int i = 0; i < n; ++i) text += pieces[rng() % std::size(pieces)];
      writeFile(tempPath() + name, text);
    }
    counts = {1, 1, 1, 0};
    flags = {};
    for (int kind = 1; kind <= 6; ++kind) {
      options.ModuleKind = kind;
      flags.fSoc = 0;
      auto r = run();
      ASSERT_NO_THROW(source::runModule(r));
    }
    for (int level = 1; level <= 2; ++level) {
      options.ProcLevel = level;
      flags.fPrc = 0;
      auto r = run();
      ASSERT_NO_THROW(source::runKansu(r));
    }
    auto r = run();
    ASSERT_NO_THROW(source::runHensu(r));
    ASSERT_NO_THROW(source::runModStep(r));
    ASSERT_NO_THROW(source::runComment(r));
    ASSERT_NO_THROW(source::runInyoSaki(r));
  }
}

TEST_F(HostileInputTest, OneEndlessContinuedStatement) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "Dim a" + std::to_string(i) + ", _\r\n";
  writeFile(tempPath() + "a.bas", text);
  auto r = run();
  source::runKansu(r);
  // One statement of 20 000 lines: one declarations row and one Dim row on the last line.
  EXPECT_EQ(rows("SELECT Line, DimCall FROM T_XlDimCall"), (Rows{{"20000", "4"}}));
  source::runHensu(r);
  EXPECT_EQ(count("T_XlHensu"), 40000);  // each physical line gives two pieces
}

}  // namespace
}  // namespace zel::test
