// Operators, parentheses, spaces and constants of formula text.
#include <gtest/gtest.h>

#include "tests/formula/formula_test_util.h"

namespace zel::test {
namespace {

TEST(FormulaOperators, EveryBinaryOperatorBetweenTwoOperands) {
  EXPECT_EQ(formulaText(Rgce{}), "=");
  const std::pair<uint8_t, const char*> ops[] = {
      {0x03, "+"}, {0x04, "-"}, {0x05, "*"}, {0x06, "/"}, {0x07, "^"}, {0x08, "&"},
      {0x09, "<"}, {0x0A, "<="}, {0x0B, "="}, {0x0C, ">="}, {0x0D, ">"}, {0x0E, "<>"}};
  for (auto [ptg, text] : ops) {
    EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).integer(2).op(ptg)), std::string("=A1") + text + "2") << int(ptg);
  }
}

TEST(FormulaOperators, ParenthesesOnlyWhereTheFileHasThem) {
  EXPECT_EQ(formulaText(Rgce{}.integer(1).integer(2).add().paren().integer(3).mul()), "=(1+2)*3");
  EXPECT_EQ(formulaText(Rgce{}.integer(1).integer(2).integer(3).mul().add()), "=1+2*3");
  // Redundant parentheses stay, as typed.
  EXPECT_EQ(formulaText(Rgce{}.integer(1).paren().paren()), "=((1))");
  // Without tParen nothing is added, even where the order of tokens differs from the text's
  // precedence: Excel shows the stored tokens.
  EXPECT_EQ(formulaText(Rgce{}.integer(1).integer(2).add().integer(3).mul()), "=1+2*3");
}

TEST(FormulaOperators, UnaryOperatorsAndPercent) {
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).uminus()), "=-A1");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).uplus()), "=+A1");
  EXPECT_EQ(formulaText(Rgce{}.integer(50).percent()), "=50%");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).percent().uminus()), "=-A1%");
  EXPECT_EQ(formulaText(Rgce{}.integer(2).uminus().integer(2).power()), "=-2^2");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).integer(1).add().paren().uminus()), "=-(A1+1)");
  EXPECT_EQ(formulaText(Rgce{}.integer(1).uminus().uminus()), "=--1");
}

TEST(FormulaOperators, ReferenceOperators) {
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0, true, true, Rgce::Ref).ref(1, 1, true, true, Rgce::Ref).op(0x11)), "=A1:B2");
  EXPECT_EQ(formulaText(Rgce{}.area(0, 1, 0, 1).area(0, 1, 1, 2).op(0x0F)), "=A1:B2 B1:C2");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0, true, true, Rgce::Ref).ref(0, 1, true, true, Rgce::Ref).op(0x10).paren().funcVar(1, 4)),
            "=SUM((A1,B1))");
}

TEST(FormulaSpaces, SpacesAndLineBreaksStandWhereTheyWereTyped) {
  // "A1 + B1": one space before B1, one before the operator.
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).attrSpace(0, 1).ref(0, 1).attrSpace(0, 1).add()), "=A1 + B1");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).ref(0, 1).attrSpace(0, 2).add()), "=A1  +B1");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).attrSpace(1, 1).ref(0, 1).add()), "=A1+\nB1");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).attrSpace(1, 1).attrSpace(0, 2).ref(0, 1).add()), "=A1+\n  B1");
}

TEST(FormulaSpaces, SpacesAroundParenthesesAndFunctions) {
  EXPECT_EQ(formulaText(Rgce{}.integer(1).integer(2).attrSpace(2, 1).paren().add()), "=1+ (2)");
  EXPECT_EQ(formulaText(Rgce{}.attrSpace(0, 1).ref(0, 0).attrSpace(4, 1).paren()), "=( A1 )");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).attrSpace(3, 1).attrSpace(5, 1).paren()), "=\n(A1\n)");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).attrSpace(4, 1).funcVar(1, 4)), "=SUM(A1 )");
  EXPECT_EQ(formulaText(Rgce{}.integer(1).ref(0, 0).attrSpace(0, 1).funcVar(1, 4).add()), "=1+ SUM(A1)");
  EXPECT_EQ(formulaText(Rgce{}.attrSpace(0, 1).ref(0, 0).attrSpace(0, 1).integer(2).func(27)), "=ROUND( A1, 2)");
  EXPECT_EQ(formulaText(Rgce{}.attrSpace(6, 2).integer(1)), "=  1");
}

TEST(FormulaSpaces, AttributeTokensDoNotConsumePendingSpaces) {
  // A space typed before the second IF argument survives the tAttrIf between them.
  Rgce r;
  r.ref(0, 0).attrSpace(0, 1).attrIf(7).integer(1).attrGoto(3).integer(2).attrGoto(3).funcVar(3, 1);
  EXPECT_EQ(formulaText(r), "=IF(A1, 1,2)");
  EXPECT_EQ(formulaText(Rgce{}.attrVolatile().func(74)), "=NOW()");
  EXPECT_EQ(formulaText(Rgce{}.attr(0x41, 0x0100).integer(3)), "= 3");  // tAttrSpaceSemi
}

TEST(FormulaConstants, StringsAreQuotedWithDoubledQuotes) {
  EXPECT_EQ(formulaText(Rgce{}.str("abc")), "=\"abc\"");
  EXPECT_EQ(formulaText(Rgce{}.str("")), "=\"\"");
  EXPECT_EQ(formulaText(Rgce{}.str("say \"hi\"")), "=\"say \"\"hi\"\"\"");
  EXPECT_EQ(formulaText(Rgce{}.str("caf\xE9")), "=\"caf\xC3\xA9\"");  // single-byte form is Latin-1
  EXPECT_EQ(formulaText(Rgce{}.str16(u"売上")), "=\"売上\"");
}

TEST(FormulaConstants, LogicalErrorAndIntegerValues) {
  EXPECT_EQ(formulaText(Rgce{}.boolean(true)), "=TRUE");
  EXPECT_EQ(formulaText(Rgce{}.boolean(false)), "=FALSE");
  const std::pair<uint8_t, const char*> errors[] = {{0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"},
                                                    {0x17, "#REF!"},  {0x1D, "#NAME?"},  {0x24, "#NUM!"},
                                                    {0x2A, "#N/A"}};
  for (auto [code, text] : errors) EXPECT_EQ(formulaText(Rgce{}.err(code)), std::string("=") + text);
  EXPECT_EQ(formulaText(Rgce{}.integer(0)), "=0");
  EXPECT_EQ(formulaText(Rgce{}.integer(65535)), "=65535");
}

TEST(FormulaConstants, NumbersAsExcelWritesThem) {
  const std::pair<double, const char*> cases[] = {
      {0.5, "0.5"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E+15"},
      {1234567890123456789.0, "1.23456789012346E+18"},
      {1e100, "1E+100"},
      {0.1, "0.1"},
      {0.0001, "0.0001"},
      {1.2345678901234567e-4, "0.000123456789012346"},
      {1.2345678901234568e-5, "1.23456789012346E-05"},
      {1.23456789e-5, "0.0000123456789"},
      {5.6789012345e-8, "0.000000056789012345"},
      {5.67890123456e-8, "5.67890123456E-08"},
      {2.5e-20, "2.5E-20"},
      {-0.0, "0"},
      {1234.5, "1234.5"},
      {65536.0, "65536"},
      // Rounding to 15 digits where the shortest exact text is longer, carries into the next
      // power of ten, or lies below the decimals an integer can hold.
      {0.1 + 0.2, "0.3"},
      {-12345.6, "-12345.6"},
      {99999999999999.99, "100000000000000"},
      {999999999999999.9, "1E+15"},
      {123456789012345.67, "123456789012346"},
      {3e-300, "3E-300"},
  };
  for (auto [value, text] : cases) {
    EXPECT_EQ(formulaText(Rgce{}.num(value)), std::string("=") + text) << value;
  }
}

TEST(FormulaConstants, ArraysWithMixedValues) {
  Rgce r;
  r.array();
  ArrayData a;
  a.begin(3, 2).number(1).text("a\"b").boolean(true).error(0x2A).number(-2.5).empty();
  EXPECT_EQ(formulaText(r, a), "={1,\"a\"\"b\",TRUE;#N/A,-2.5,}");

  // Two arrays take their values from the extra bytes in order.
  Rgce two;
  two.array().array().mul();
  ArrayData b;
  b.begin(2, 1).number(1).number(2).begin(1, 2).boolean(false).text("x");
  EXPECT_EQ(formulaText(two, b), "={1,2}*{FALSE;\"x\"}");
}

TEST(FormulaConstants, MemoryTokensAreTransparentAndKeepArrayDataAligned) {
  // SUM(A1:B2 B1:C2)+SUM({1,2}) with a tMemArea in front of the intersection: its range list
  // comes first in the extra bytes, the array constant after it.
  Rgce r;
  r.memArea(19).area(0, 1, 0, 1).area(0, 1, 1, 2).op(0x0F).funcVar(1, 4);
  r.array().funcVar(1, 4).add();
  ArrayData extra;
  extra.rangeList(1).begin(2, 1).number(1).number(2);
  EXPECT_EQ(formulaText(r, extra), "=SUM(A1:B2 B1:C2)+SUM({1,2})");

  Rgce f;
  f.memFunc(14).ref(0, 0).ref(0, 1).op(0x11).funcVar(1, 4);
  EXPECT_EQ(formulaText(f), "=SUM(A1:B1)");
}

}  // namespace
}  // namespace zel::test
