// Cell and area references: absolute/relative forms, whole rows and columns, offsets of shared
// formulas and names with wrap-around, 3-D and external references and their quoting.
#include <gtest/gtest.h>

#include "tests/formula/formula_test_util.h"

namespace zel::test {
namespace {

using xls::FormulaKind;
using xls::FormulaOrigin;
using xls::SupBookInfo;

TEST(FormulaAddress, ColumnLettersAndAddresses) {
  EXPECT_EQ(xls::columnLetters(0), "A");
  EXPECT_EQ(xls::columnLetters(25), "Z");
  EXPECT_EQ(xls::columnLetters(26), "AA");
  EXPECT_EQ(xls::columnLetters(51), "AZ");
  EXPECT_EQ(xls::columnLetters(52), "BA");
  EXPECT_EQ(xls::columnLetters(255), "IV");
  EXPECT_EQ(xls::columnLetters(701), "ZZ");
  EXPECT_EQ(xls::columnLetters(702), "AAA");
  EXPECT_EQ(xls::cellAddress(0, 0), "A1");
  EXPECT_EQ(xls::cellAddress(65535, 255, true, true), "$IV$65536");
  EXPECT_EQ(xls::cellAddress(9, 2, true, false), "C$10");
  EXPECT_EQ(xls::cellAddress(9, 2, false, true), "$C10");
}

TEST(FormulaReferences, RelativeAndAbsoluteCells) {
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0)), "=A1");
  EXPECT_EQ(formulaText(Rgce{}.ref(0, 0, false, false)), "=$A$1");
  EXPECT_EQ(formulaText(Rgce{}.ref(4, 27, true, false)), "=$AB5");
  EXPECT_EQ(formulaText(Rgce{}.ref(4, 27, false, true)), "=AB$5");
  EXPECT_EQ(formulaText(Rgce{}.ref(65535, 255, false, false, Rgce::Ref)), "=$IV$65536");
  EXPECT_EQ(formulaText(Rgce{}.area(0, 1, 0, 1)), "=A1:B2");
  EXPECT_EQ(formulaText(Rgce{}.area(0, 0, 0, 0, false)), "=$A$1:$A$1");
  // A cell formula's tRef holds positions: the origin does not move it.
  EXPECT_EQ(formulaText(Rgce{}.ref(2, 3), {}, {}, FormulaOrigin{100, 10}), "=D3");
}

TEST(FormulaReferences, ReferenceValueAndArrayClassesReadAlike) {
  auto env = xls::FormulaEnvironment{};
  env.sheetNames = {"Sheet1"};
  env.supBooks = {SupBookInfo{}};
  env.externSheets = {{0, 0, 0}};
  env.names = {{"Rate", 0}};
  for (auto c : {Rgce::Ref, Rgce::Value, Rgce::Array}) {
    EXPECT_EQ(formulaText(Rgce{}.ref(1, 1, false, false, c)), "=$B$2") << int(c);
    EXPECT_EQ(formulaText(Rgce{}.area(0, 1, 0, 1, true, c)), "=A1:B2") << int(c);
    EXPECT_EQ(formulaText(Rgce{}.refN(0, 0, true, true, c), {}, {}, FormulaOrigin{1, 1}, FormulaKind::Shared), "=B2");
    EXPECT_EQ(formulaText(Rgce{}.areaN(0, 1, 0, 0, true, c), {}, {}, FormulaOrigin{1, 1}, FormulaKind::Shared), "=B2:B3");
    EXPECT_EQ(formulaText(Rgce{}.ref3d(0, 0, 0, false, c), {}, env), "=Sheet1!$A$1") << int(c);
    EXPECT_EQ(formulaText(Rgce{}.area3d(0, 0, 1, 0, 0, false, c), {}, env), "=Sheet1!$A$1:$A$2") << int(c);
    EXPECT_EQ(formulaText(Rgce{}.name(1, c), {}, env), "=Rate") << int(c);
    EXPECT_EQ(formulaText(Rgce{}.nameX(0, 1, c), {}, env), "=Rate") << int(c);
    EXPECT_EQ(formulaText(Rgce{}.ref(0, 0).funcVar(1, 5, c)), "=AVERAGE(A1)") << int(c);
  }
}

TEST(FormulaReferences, WholeRowsAndColumns) {
  EXPECT_EQ(formulaText(Rgce{}.area(0, 65535, 0, 0)), "=A:A");
  EXPECT_EQ(formulaText(Rgce{}.area(0, 65535, 1, 3, false)), "=$B:$D");
  EXPECT_EQ(formulaText(Rgce{}.area(0, 0, 0, 255)), "=1:1");
  EXPECT_EQ(formulaText(Rgce{}.area(4, 9, 0, 255, false)), "=$5:$10");
  EXPECT_EQ(formulaText(Rgce{}.area(0, 65535, 0, 255, false)), "=$1:$65536");
  EXPECT_EQ(formulaText(Rgce{}.area(1, 65535, 0, 0)), "=A2:A65536");
  EXPECT_EQ(formulaText(Rgce{}.area(0, 0, 1, 255)), "=B1:IV1");
}

TEST(FormulaReferences, SharedFormulaOffsetsWrapAroundTheSheet) {
  FormulaOrigin c10{9, 2};
  // One row up, one column right of C10.
  EXPECT_EQ(formulaText(Rgce{}.refN(0xFFFF, 0x01), {}, {}, c10, FormulaKind::Shared), "=D9");
  EXPECT_EQ(formulaText(Rgce{}.refN(0, 0), {}, {}, c10, FormulaKind::Shared), "=C10");
  // Absolute parts are positions.
  EXPECT_EQ(formulaText(Rgce{}.refN(0, 0xFF, false, true), {}, {}, c10, FormulaKind::Shared), "=B$1");
  EXPECT_EQ(formulaText(Rgce{}.refN(3, 4, true, false), {}, {}, c10, FormulaKind::Shared), "=$E13");
  // Above row 1 and left of column A the reference wraps to the far side, as Excel does.
  EXPECT_EQ(formulaText(Rgce{}.refN(0xFFFF, 0xFF), {}, {}, FormulaOrigin{0, 0}, FormulaKind::Shared), "=IV65536");
  EXPECT_EQ(formulaText(Rgce{}.refN(2, 3), {}, {}, FormulaOrigin{65535, 254}, FormulaKind::Shared), "=B2");
  EXPECT_EQ(formulaText(Rgce{}.areaN(0xFFFF, 0, 0xFF, 0), {}, {}, c10, FormulaKind::Shared), "=B9:C10");
  // Column offsets may be stored sign-extended over the 14-bit field.
  EXPECT_EQ(formulaText(Rgce{}.refN(0, 0x3FFF), {}, {}, c10, FormulaKind::Shared), "=B10");
}

xls::FormulaEnvironment sheetsEnvironment() {
  xls::FormulaEnvironment env;
  env.sheetNames = {"Sheet1", "Sheet2", "Sheet3", "My Sheet", "It's", "2009", "A1", "R1C1", "TRUE", "IW1", "売上", "Q.4_x"};
  SupBookInfo self;
  self.kind = SupBookInfo::Kind::Self;
  SupBookInfo book;
  book.kind = SupBookInfo::Kind::External;
  book.fileName = "Book2.xls";
  book.sheetNames = {"Sheet1", "Data 2"};
  SupBookInfo pathBook;
  pathBook.kind = SupBookInfo::Kind::External;
  pathBook.fileName = "C:\\Data\\Book2.xls";
  pathBook.sheetNames = {"Sheet1"};
  SupBookInfo spaced;
  spaced.kind = SupBookInfo::Kind::External;
  spaced.fileName = "My Book.xls";
  spaced.sheetNames = {"Sheet1"};
  SupBookInfo addIn;
  addIn.kind = SupBookInfo::Kind::AddIn;
  env.supBooks = {self, book, pathBook, spaced, addIn};
  for (int16_t i = 0; i < static_cast<int16_t>(env.sheetNames.size()); ++i) env.externSheets.push_back({0, i, i});
  env.externSheets.push_back({0, 0, 2});    // 12: Sheet1:Sheet3
  env.externSheets.push_back({0, 3, 2});    // 13: My Sheet:Sheet3
  env.externSheets.push_back({1, 0, 0});    // 14: [Book2.xls]Sheet1
  env.externSheets.push_back({1, 1, 1});    // 15: [Book2.xls]Data 2
  env.externSheets.push_back({2, 0, 0});    // 16: C:\Data\[Book2.xls]Sheet1
  env.externSheets.push_back({0, -1, -1});  // 17: deleted sheet (not found)
  env.externSheets.push_back({3, 0, 0});    // 18: [My Book.xls]Sheet1
  env.externSheets.push_back({1, 0, 1});    // 19: [Book2.xls]Sheet1:Data 2
  env.externSheets.push_back({9, 0, 0});    // 20: no such SUPBOOK
  env.externSheets.push_back({0, 40, 40});  // 21: no such sheet
  env.externSheets.push_back({4, 0, 0});    // 22: add-in, not a sheet
  env.externSheets.push_back({0, -2, -2});  // 23: workbook level, no sheet for a cell
  return env;
}

TEST(FormulaReferences, OwnSheetsAndQuotingRules) {
  auto env = sheetsEnvironment();
  auto at = [&](uint16_t ixti) { return formulaText(Rgce{}.ref3d(ixti, 0, 0), {}, env); };
  EXPECT_EQ(at(1), "=Sheet2!$A$1");
  EXPECT_EQ(at(3), "='My Sheet'!$A$1");
  EXPECT_EQ(at(4), "='It''s'!$A$1");
  EXPECT_EQ(at(5), "='2009'!$A$1");
  EXPECT_EQ(at(6), "='A1'!$A$1");
  EXPECT_EQ(at(7), "='R1C1'!$A$1");
  EXPECT_EQ(at(8), "='TRUE'!$A$1");
  EXPECT_EQ(at(9), "=IW1!$A$1");  // column IW lies outside Excel 97's grid
  EXPECT_EQ(at(10), "=売上!$A$1");
  EXPECT_EQ(at(11), "=Q.4_x!$A$1");
  EXPECT_EQ(formulaText(Rgce{}.area3d(3, 0, 1, 0, 1), {}, env), "='My Sheet'!$A$1:$B$2");
  EXPECT_EQ(formulaText(Rgce{}.ref3d(0, 4, 2, true), {}, env), "=Sheet1!C5");
}

TEST(FormulaReferences, SheetRangesExternalBooksAndDeletedSheets) {
  auto env = sheetsEnvironment();
  auto at = [&](uint16_t ixti) { return formulaText(Rgce{}.ref3d(ixti, 0, 0), {}, env); };
  EXPECT_EQ(formulaText(Rgce{}.area3d(12, 0, 9, 0, 0, true), {}, env), "=Sheet1:Sheet3!A1:A10");
  EXPECT_EQ(at(13), "='My Sheet:Sheet3'!$A$1");
  EXPECT_EQ(at(14), "=[Book2.xls]Sheet1!$A$1");
  EXPECT_EQ(at(15), "='[Book2.xls]Data 2'!$A$1");
  EXPECT_EQ(at(16), "='C:\\Data\\[Book2.xls]Sheet1'!$A$1");
  EXPECT_EQ(at(17), "=#REF!$A$1");
  EXPECT_EQ(at(18), "='[My Book.xls]Sheet1'!$A$1");
  EXPECT_EQ(at(19), "='[Book2.xls]Sheet1:Data 2'!$A$1");
  EXPECT_EQ(formulaText(Rgce{}.refErr3d(1), {}, env), "=Sheet2!#REF!");
  EXPECT_EQ(formulaText(Rgce{}.areaErr3d(14), {}, env), "=[Book2.xls]Sheet1!#REF!");
  EXPECT_EQ(formulaText(Rgce{}.refErr().integer(1).add()), "=#REF!+1");
  EXPECT_EQ(formulaText(Rgce{}.areaErr().funcVar(1, 4)), "=SUM(#REF!)");
}

TEST(FormulaReferences, EveryIndexIsChecked) {
  auto env = sheetsEnvironment();
  for (uint16_t ixti : {20, 21, 22, 23, 500}) {
    auto t = printRgce(Rgce{}.ref3d(ixti, 0, 0), {}, env);
    EXPECT_FALSE(t.complete) << ixti;
    EXPECT_EQ(t.text, "=#DAMAGED_FORMULA");
    EXPECT_EQ(t.warnings.size(), 1u);
  }
  EXPECT_FALSE(printRgce(Rgce{}.refErr3d(23), {}, env).complete);
  EXPECT_FALSE(printRgce(Rgce{}.ref3d(0, 0, 0)).complete);  // no environment at all
  // A column beyond IV is damage in a position, not something to print.
  EXPECT_FALSE(printRgce(Rgce{}.ref(0, 256, false, false)).complete);
}

TEST(FormulaReferences, NamesAndSharedFormulasResolve3dOffsetsAgainstTheOrigin) {
  auto env = sheetsEnvironment();
  FormulaOrigin b5{4, 1};
  EXPECT_EQ(formulaText(Rgce{}.ref3d(0, 0, 0, true), {}, env, b5, FormulaKind::Name), "=Sheet1!B5");
  EXPECT_EQ(formulaText(Rgce{}.ref3d(0, 0xFFFF, 0xFF, true), {}, env, b5, FormulaKind::Name), "=Sheet1!A4");
  EXPECT_EQ(formulaText(Rgce{}.ref3d(0, 7, 7, false), {}, env, b5, FormulaKind::Name), "=Sheet1!$H$8");
  EXPECT_EQ(formulaText(Rgce{}.area3d(1, 0, 2, 0, 0, true), {}, env, b5, FormulaKind::Shared), "=Sheet2!B5:B7");
  EXPECT_EQ(formulaText(Rgce{}.ref3d(0, 2, 2, true), {}, env, b5, FormulaKind::Cell), "=Sheet1!C3");
}

}  // namespace
}  // namespace zel::test
