// Function calls (fixed, variable, IF/CHOOSE with their jump attributes, one-argument SUM,
// add-in and macro functions) and defined or external names.
#include <gtest/gtest.h>

#include "tests/formula/formula_test_util.h"

namespace zel::test {
namespace {

using xls::SupBookInfo;

TEST(FormulaFunctions, FixedArgumentCountsComeFromTheFunctionTable) {
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).integer(2).func(27)), "=ROUND(A1,2)");
  EXPECT_EQ(formulaText(Rgce{}.func(19)), "=PI()");
  EXPECT_EQ(formulaText(Rgce{}.integer(2000).integer(1).integer(31).func(65)), "=DATE(2000,1,31)");
  EXPECT_EQ(formulaText(Rgce{}.str("x").integer(3).func(30, Rgce::Value)), "=REPT(\"x\",3)");
  // The token class (reference/value/array) does not change the text.
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).func(32, Rgce::Ref)), "=LEN(A1)");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).func(32, Rgce::Array)), "=LEN(A1)");
}

TEST(FormulaFunctions, VariableCallsNestedWithMissingArguments) {
  EXPECT_EQ(formulaText(Rgce{}.area(0, 2, 0, 0).integer(5).funcVar(2, 4)), "=SUM(A1:A3,5)");
  EXPECT_EQ(formulaText(Rgce{}.missArg().integer(1).integer(1).func(65)), "=DATE(,1,1)");
  Rgce r;  // VLOOKUP(A1,B1:C3,MAX(1,),)
  r.ref(0, 0).area(0, 2, 1, 2).integer(1).missArg().funcVar(2, 7).missArg().funcVar(4, 102);
  EXPECT_EQ(formulaText(r), "=VLOOKUP(A1,B1:C3,MAX(1,),)");
  EXPECT_EQ(formulaText(Rgce{}.funcVar(0, 0)), "=COUNT()");
}

TEST(FormulaFunctions, IfAndChooseWithTheirJumpAttributes) {
  Rgce ifCall;  // IF(A1>0,"pos",IF(A1<0,"neg",))
  ifCall.ref(0, 0).integer(0).op(0x0D).attrIf(9).str("pos").attrGoto(30);
  ifCall.ref(0, 0).integer(0).op(0x09).attrIf(9).str("neg").attrGoto(5).missArg().attrGoto(3).funcVar(3, 1);
  ifCall.attrGoto(3).funcVar(3, 1);
  EXPECT_EQ(formulaText(ifCall), "=IF(A1>0,\"pos\",IF(A1<0,\"neg\",))");

  Rgce ifTwo;  // IF(A1,1) has no else branch
  ifTwo.ref(0, 0).attrIf(7).integer(1).attrGoto(3).funcVar(2, 1);
  EXPECT_EQ(formulaText(ifTwo), "=IF(A1,1)");

  Rgce choose;  // CHOOSE(2,"a","b")
  choose.integer(2).attrChoose({6, 13, 20}).str("a").attrGoto(10).str("b").attrGoto(3).funcVar(3, 100);
  EXPECT_EQ(formulaText(choose), "=CHOOSE(2,\"a\",\"b\")");
}

TEST(FormulaFunctions, OneArgumentSumStoredAsAttribute) {
  EXPECT_EQ(formulaText(Rgce{}.area(0, 2, 0, 0).attrSum()), "=SUM(A1:A3)");
  EXPECT_EQ(formulaText(Rgce{}.integer(1).area(0, 2, 0, 0).attrSpace(0, 1).attrSum().add()), "=1+ SUM(A1:A3)");
}

xls::FormulaEnvironment namesEnvironment() {
  xls::FormulaEnvironment env;
  env.sheetNames = {"Sheet1", "My Sheet"};
  env.names = {{"Sales", 0}, {"MyFunc", 0}, {"Local", 2}, {"Print_Area", 1}};
  SupBookInfo self;
  self.kind = SupBookInfo::Kind::Self;
  SupBookInfo addIn;
  addIn.kind = SupBookInfo::Kind::AddIn;
  addIn.externNames = {"EOMONTH", "NETWORKDAYS"};
  SupBookInfo book;
  book.kind = SupBookInfo::Kind::External;
  book.fileName = "Book2.xls";
  book.sheetNames = {"Rates"};
  book.externNames = {"Rate", "Convert"};
  SupBookInfo pathBook;
  pathBook.kind = SupBookInfo::Kind::External;
  pathBook.fileName = "C:\\Data\\Book 3.xls";
  pathBook.externNames = {"Total"};
  env.supBooks = {self, addIn, book, pathBook};
  env.externSheets = {{0, 0, 0}, {1, -2, -2}, {2, -2, -2}, {2, 0, 0}, {3, -2, -2}};
  return env;
}

TEST(FormulaNames, DefinedNamesByIndex) {
  auto env = namesEnvironment();
  EXPECT_EQ(formulaText(Rgce{}.name(1).integer(2).mul(), {}, env), "=Sales*2");
  EXPECT_EQ(formulaText(Rgce{}.name(4, Rgce::Value), {}, env), "=Print_Area");
  EXPECT_EQ(formulaText(Rgce{}.name(5), {}, env), "INCOMPLETE:=#DAMAGED_FORMULA");
  EXPECT_EQ(formulaText(Rgce{}.name(0), {}, env), "INCOMPLETE:=#DAMAGED_FORMULA");
}

TEST(FormulaNames, ExternalNamesInEachForm) {
  auto env = namesEnvironment();
  EXPECT_EQ(formulaText(Rgce{}.nameX(0, 1), {}, env), "=Sales");
  EXPECT_EQ(formulaText(Rgce{}.nameX(0, 3), {}, env), "='My Sheet'!Local");
  EXPECT_EQ(formulaText(Rgce{}.nameX(2, 1), {}, env), "=Book2.xls!Rate");
  EXPECT_EQ(formulaText(Rgce{}.nameX(3, 1), {}, env), "=[Book2.xls]Rates!Rate");
  EXPECT_EQ(formulaText(Rgce{}.nameX(4, 1), {}, env), "='C:\\Data\\Book 3.xls'!Total");
  EXPECT_EQ(formulaText(Rgce{}.nameX(1, 2), {}, env), "=NETWORKDAYS");
  EXPECT_EQ(formulaText(Rgce{}.nameX(2, 3), {}, env), "INCOMPLETE:=#DAMAGED_FORMULA");
  EXPECT_EQ(formulaText(Rgce{}.nameX(9, 1), {}, env), "INCOMPLETE:=#DAMAGED_FORMULA");
}

TEST(FormulaNames, AddInAndMacroFunctionsTakeTheirNameFromTheFirstArgument) {
  auto env = namesEnvironment();
  EXPECT_EQ(formulaText(Rgce{}.nameX(1, 1).ref(0, 0).integer(1).funcVar(3, 255), {}, env), "=EOMONTH(A1,1)");
  EXPECT_EQ(formulaText(Rgce{}.name(2).ref(0, 0).funcVar(2, 255), {}, env), "=MyFunc(A1)");
  EXPECT_EQ(formulaText(Rgce{}.nameX(2, 2).funcVar(1, 255), {}, env), "=Book2.xls!Convert()");
  // Without a name in front the call cannot be shown.
  EXPECT_EQ(formulaText(Rgce{}.integer(1).ref(0, 0).funcVar(2, 255), {}, env), "INCOMPLETE:=#DAMAGED_FORMULA");
  EXPECT_EQ(formulaText(Rgce{}.funcVar(0, 255), {}, env), "INCOMPLETE:=#DAMAGED_FORMULA");
}

}  // namespace
}  // namespace zel::test
