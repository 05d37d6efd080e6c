// Unknown tokens, truncated bytes and inconsistent token streams give a visible placeholder
// and a warning, never a crash and never a plausible but wrong text.
#include <gtest/gtest.h>

#include <random>

#include "tests/formula/formula_test_util.h"

namespace zel::test {
namespace {

void expectPlaceholder(const xls::FormulaText& t, const std::string& text) {
  EXPECT_EQ(t.text, text);
  EXPECT_FALSE(t.complete);
  ASSERT_EQ(t.warnings.size(), 1u);
  EXPECT_FALSE(t.warnings[0].empty());
}

TEST(FormulaDamage, UnknownTokensAreNamedInThePlaceholder) {
  expectPlaceholder(printRgce(Rgce{}.integer(1).byte(0x18).byte(0x01)), "=#UNKNOWN_PTG(0x18)");
  expectPlaceholder(printRgce(Rgce{}.byte(0x00)), "=#UNKNOWN_PTG(0x00)");
  expectPlaceholder(printRgce(Rgce{}.byte(0x1A)), "=#UNKNOWN_PTG(0x1A)");
  expectPlaceholder(printRgce(Rgce{}.byte(0x30)), "=#UNKNOWN_PTG(0x30)");
  expectPlaceholder(printRgce(Rgce{}.byte(0x7F)), "=#UNKNOWN_PTG(0x7F)");
  expectPlaceholder(printRgce(Rgce{}.byte(0x90)), "=#UNKNOWN_PTG(0x90)");
  // Even when the text so far looked complete.
  expectPlaceholder(printRgce(Rgce{}.integer(1).byte(0x38)), "=#UNKNOWN_PTG(0x38)");
}

TEST(FormulaDamage, UnknownFunctionsAreNotGuessed) {
  expectPlaceholder(printRgce(Rgce{}.func(368)), "=#UNKNOWN_FUNCTION(368)");
  expectPlaceholder(printRgce(Rgce{}.integer(1).func(4)), "=#UNKNOWN_FUNCTION(4)");  // SUM has no fixed count
  expectPlaceholder(printRgce(Rgce{}.funcVar(1, 500)), "=#UNKNOWN_FUNCTION(500)");
  expectPlaceholder(printRgce(Rgce{}.funcVar(0, 0x8000 | 12)), "=#UNKNOWN_FUNCTION(12)");  // command function
  expectPlaceholder(printRgce(Rgce{}.func(53)), "=#UNKNOWN_FUNCTION(53)");  // macro-sheet GOTO
}

TEST(FormulaDamage, TruncatedTokens) {
  Rgce num;
  num.byte(0x1F).byte(0).byte(0).byte(0);
  expectPlaceholder(printRgce(num), "=#DAMAGED_FORMULA");
  Rgce str;
  str.byte(0x17).byte(10).byte(0).byte('a').byte('b');
  expectPlaceholder(printRgce(str), "=#DAMAGED_FORMULA");
  Rgce wide;
  wide.byte(0x17).byte(2).byte(1).byte('a').byte(0).byte('b');
  expectPlaceholder(printRgce(wide), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.byte(0x44).byte(0).byte(0).byte(0)), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.byte(0x3B).byte(0).byte(0)), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.byte(0x19).byte(0x04).u16(3).u16(1)), "=#DAMAGED_FORMULA");  // jump table
  expectPlaceholder(printRgce(Rgce{}.byte(0x22).byte(1)), "=#DAMAGED_FORMULA");
}

TEST(FormulaDamage, ArrayDataMissingOrDamaged) {
  expectPlaceholder(printRgce(Rgce{}.array()), "=#DAMAGED_FORMULA");
  ArrayData tooShort;
  tooShort.begin(3, 1).number(1);
  expectPlaceholder(printRgce(Rgce{}.array(), tooShort), "=#DAMAGED_FORMULA");
  ArrayData badType;
  badType.begin(1, 1).byte(0x07).pad(8);
  expectPlaceholder(printRgce(Rgce{}.array(), badType), "=#DAMAGED_FORMULA");
  ArrayData badError;
  badError.begin(1, 1).error(0x55);
  expectPlaceholder(printRgce(Rgce{}.array(), badError), "=#DAMAGED_FORMULA");
  // A huge declared size is refused before anything is allocated for it.
  ArrayData huge;
  huge.begin(200, 65535).number(1);
  expectPlaceholder(printRgce(Rgce{}.array(), huge), "=#DAMAGED_FORMULA");
  // A tMemArea without its range list cannot keep later array data in line.
  expectPlaceholder(printRgce(Rgce{}.memArea(7).ref(0, 0)), "=#DAMAGED_FORMULA");
}

TEST(FormulaDamage, InconsistentTokenStreams) {
  expectPlaceholder(printRgce(Rgce{}.add()), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.integer(1).add()), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.integer(1).integer(2)), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.paren()), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.integer(1).funcVar(3, 4)), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.attrSum()), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.err(0x99)), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.attrSpace(7, 1).integer(1)), "=#DAMAGED_FORMULA");
  expectPlaceholder(printRgce(Rgce{}.attr(0x80, 0).integer(1)), "=#DAMAGED_FORMULA");
}

TEST(FormulaDamage, SharedAndTableFormulasAreLeftToTheCaller) {
  Rgce exp;
  exp.exp(2, 1);
  expectPlaceholder(printRgce(exp), "=#SHARED_FORMULA(R3C2)");
  auto anchor = xls::formulaAnchor(exp.bytes);
  ASSERT_TRUE(anchor);
  EXPECT_EQ(anchor->row, 2u);
  EXPECT_EQ(anchor->col, 1u);
  EXPECT_FALSE(anchor->table);

  Rgce tbl;
  tbl.tbl(65535, 255);
  expectPlaceholder(printRgce(tbl), "=#TABLE(R65536C256)");
  anchor = xls::formulaAnchor(tbl.bytes);
  ASSERT_TRUE(anchor);
  EXPECT_EQ(anchor->row, 65535u);
  EXPECT_EQ(anchor->col, 255u);
  EXPECT_TRUE(anchor->table);

  EXPECT_FALSE(xls::formulaAnchor(Rgce{}.integer(1).bytes));
  EXPECT_FALSE(xls::formulaAnchor(Rgce{}.byte(0x01).byte(0).bytes));  // cut short
  EXPECT_FALSE(xls::formulaAnchor({}));
}

TEST(FormulaDamage, RandomBytesNeverCrash) {
  xls::FormulaEnvironment env;
  env.sheetNames = {"Sheet1"};
  env.supBooks = {xls::SupBookInfo{}};
  env.externSheets = {{0, 0, 0}};
  env.names = {{"N", 0}};
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> byteDist(0, 255);
  std::uniform_int_distribution<int> lenDist(0, 40);
  for (int i = 0; i < 20000; ++i) {
    std::vector<uint8_t> rgce(static_cast<size_t>(lenDist(rng)));
    for (auto& b : rgce) b = static_cast<uint8_t>(byteDist(rng));
    std::vector<uint8_t> extra(static_cast<size_t>(lenDist(rng)));
    for (auto& b : extra) b = static_cast<uint8_t>(byteDist(rng));
    auto kind = static_cast<xls::FormulaKind>(i % 3);
    auto t = xls::printFormula(rgce, extra, env, {static_cast<uint32_t>(i % 65536), static_cast<uint16_t>(i % 256)}, kind);
    ASSERT_FALSE(t.text.empty());
    ASSERT_EQ(t.text[0], '=');
    ASSERT_EQ(t.complete, t.warnings.empty());
  }
}

}  // namespace
}  // namespace zel::test
