// The number-format renderer against texts worked out by hand from Excel's rules (the formats
// of Formate.xls are checked through the reader in the corpus tests).
#include <gtest/gtest.h>

#include "xls/number_format.h"

namespace zel::xls {
namespace {

TEST(NumberFormat, GeneralKeepsElevenCharacters) {
  EXPECT_EQ(generalNumberText(0), "0");
  EXPECT_EQ(generalNumberText(-1.5), "-1.5");
  EXPECT_EQ(generalNumberText(1.0 / 3), "0.333333333");
  EXPECT_EQ(generalNumberText(2.0 / 3), "0.666666667");
  EXPECT_EQ(generalNumberText(12345678901.0), "12345678901");
  EXPECT_EQ(generalNumberText(123456789012.0), "1.23457E+11");
  EXPECT_EQ(generalNumberText(0.0001), "0.0001");
  EXPECT_EQ(generalNumberText(1e-10), "1E-10");
  EXPECT_EQ(formatNumber("General", 0.1 + 0.2), "0.3");
  // A negative number gets one minus sign; a second section shows it without.
  EXPECT_EQ(formatNumber("General", -4), "-4");
  EXPECT_EQ(formatNumber("General;(General)", -4.5), "(4.5)");
  // Sections with conditions are chosen by them and keep the number's sign.
  const char* conditional = "[Red][<-25]General;[Blue][>25]General;[Green]\"s\"General;General\\ ";
  EXPECT_EQ(formatNumber(conditional, -26), "-26");
  EXPECT_EQ(formatNumber(conditional, -1), "-s1");
  EXPECT_EQ(formatNumber(conditional, 26), "26");
  EXPECT_EQ(formatNumber(conditional, 25), "s25");
  EXPECT_EQ(formatNumber("[=50]General;000", 50), "50");
  EXPECT_EQ(formatNumber("[=50]General;000", 7), "007");
  EXPECT_EQ(formatNumber("[<>50]0.0;0", 7), "7.0");
}

TEST(NumberFormat, FormulaTextOfNumbersHasFifteenDigits) {
  EXPECT_EQ(formulaNumberText(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(formulaNumberText(100), "100");
  EXPECT_EQ(formulaNumberText(1e20), "1E+20");
}

TEST(NumberFormat, DigitsGroupingPercentAndScaling) {
  EXPECT_EQ(formatNumber("0", 2.5), "3");
  EXPECT_EQ(formatNumber("0.00", 3.14159), "3.14");
  EXPECT_EQ(formatNumber("0.00", -3.14159), "-3.14");
  EXPECT_EQ(formatNumber("#,##0", 1234567), "1,234,567");
  EXPECT_EQ(formatNumber("#,##0.00", 1234.5), "1,234.50");
  EXPECT_EQ(formatNumber("#,##0", 12), "12");
  EXPECT_EQ(formatNumber("0%", 0.256), "26%");
  EXPECT_EQ(formatNumber("#,##0,", 1234567), "1,235");
  EXPECT_EQ(formatNumber("#.##", 0.5), ".5");
  EXPECT_EQ(formatNumber("0.0#", 2), "2.0");
  EXPECT_EQ(formatNumber("000-0000", 1234567), "123-4567");
  EXPECT_EQ(formatNumber("00000", 42), "00042");
  EXPECT_EQ(formatNumber("0.00E+00", 12345), "1.23E+04");
  EXPECT_EQ(formatNumber("0.00E+00", 0.00012), "1.20E-04");
  EXPECT_EQ(formatNumber("##0.0E+0", 12345), "12.3E+3");
}

TEST(NumberFormat, SectionsLiteralsAndText) {
  const char* f = "#,##0;[Red](#,##0);\"zero\";\"text: \"@";
  EXPECT_EQ(formatNumber(f, 1500), "1,500");
  EXPECT_EQ(formatNumber(f, -1500), "(1,500)");
  EXPECT_EQ(formatNumber(f, 0), "zero");
  EXPECT_EQ(formatText(f, "abc"), "text: abc");
  EXPECT_EQ(formatNumber("\"\xC2\xA5\"#,##0;\"\xC2\xA5\"\\-#,##0", -2500), "\xC2\xA5-2,500");
  EXPECT_EQ(formatNumber("0.00\" kg\"", 1.5), "1.50 kg");
  EXPECT_EQ(formatNumber("#,##0.00\\ [$\xE2\x82\xAC-407]", 1.2), "1.20 \xE2\x82\xAC");
  EXPECT_EQ(formatText("@", "plain"), "plain");
  EXPECT_EQ(formatNumber("@", 1.25), "1.25");
  EXPECT_EQ(formatText("0.00", "plain"), "plain");
}

TEST(NumberFormat, Fractions) {
  EXPECT_EQ(formatNumber("# ?/?", 1.5), "1 1/2");
  EXPECT_EQ(formatNumber("# ?" "?/?" "?", 3.14159), "3 14/99");
  EXPECT_EQ(formatNumber("?/?", 0.75), "3/4");
  EXPECT_EQ(formatNumber("# ?/?", 2), "2    ");
  EXPECT_EQ(formatNumber("# ?/?", -0.5), "- 1/2");
}

TEST(NumberFormat, DatesAndTimes) {
  EXPECT_EQ(formatNumber("yyyy/m/d", 60), "1900/2/29");  // Excel's own leap day
  EXPECT_EQ(formatNumber("yyyy/m/d", 61), "1900/3/1");
  EXPECT_EQ(formatNumber("yyyy/m/d", 1), "1900/1/1");
  EXPECT_EQ(formatNumber("yyyy/m/d", 0, true), "1904/1/1");
  EXPECT_EQ(formatNumber("[h]:mm:ss", 1.5), "36:00:00");
  EXPECT_EQ(formatNumber("mm:ss.0", 1.0 / 86400 * 61.25), "01:01.3");
  EXPECT_EQ(formatNumber("d-mmm-yy", 36526), "1-Jan-00");
  EXPECT_EQ(formatNumber("yyyy/mm/dd hh:mm:ss", 36526.99999999), "2000/01/02 00:00:00");  // rounds to the next second
  EXPECT_EQ(formatNumber("yyyy/m/d", -1), "#######");
}

TEST(NumberFormat, JapaneseDates) {
  // 2019-05-01 starts Reiwa; 2019-04-30 is Heisei 31.
  EXPECT_EQ(formatNumber(builtinNumberFormat(28), 43586), "\xE4\xBB\xA4\xE5\x92\x8C" "1\xE5\xB9\xB4" "5\xE6\x9C\x88" "1\xE6\x97\xA5");
  EXPECT_EQ(formatNumber("ge.m.d", 43585), "H31.4.30");
  EXPECT_EQ(formatNumber("yyyy\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"d\"\xE6\x97\xA5\"(aaa)", 43586),
            "2019\xE5\xB9\xB4" "5\xE6\x9C\x88" "1\xE6\x97\xA5(\xE6\xB0\xB4)");
}

}  // namespace
}  // namespace zel::xls
