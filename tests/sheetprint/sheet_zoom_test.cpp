#include "core/vb_error.h"
#include "report/sheet_header_footer.h"
#include "report/sheet_zoom.h"
#include "report/sheet_fonts.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using zel::VbError;
using zel::report::parseSheetZoom;

namespace {

long errorOf(const std::string& text) {
  try {
    parseSheetZoom(text);
  } catch (const VbError& e) {
    EXPECT_NE(e.description().find("10 から 400"), std::string::npos) << e.description();
    return e.number();
  }
  return 0;
}

}  // namespace

TEST(SheetZoom, ExcelsRangeWholeNumbersFullWidthDigitsAndBlanks) {
  for (const auto& [text, zoom] : std::vector<std::pair<std::string, int>>{{"10", 10}, {"400", 400}, {"98", 98},
                                                                            {"１００", 100}, {" 75　", 75}})
    EXPECT_EQ(parseSheetZoom(text), zoom) << text;
  for (const char* text : {"9", "401", "0"}) EXPECT_EQ(errorOf(text), 1004) << text;
  // The last one must not overflow into a valid zoom.
  for (const char* text : {"abc", "", "  ", "98.5", "-50", "99999999999999999999"}) EXPECT_EQ(errorOf(text), 13) << text;
}

TEST(SheetZoom, InitialTextFromDatZoomElse98) {
  EXPECT_EQ(zel::report::initialZoomText("75"), "75");
  EXPECT_EQ(zel::report::initialZoomText(""), "98");
  EXPECT_EQ(zel::report::initialZoomText("  "), "98");
}

TEST(SheetHeaderFooter, SectionsAndFieldCodes) {
  zel::report::HeaderFooterFields f;
  f.page = 2;
  f.pages = 5;
  f.date = "2026/12/7";
  f.time = "9:05";
  f.fileName = "Book1.xls";
  f.sheetName = "売上";
  auto t = zel::report::expandHeaderFooter("&L&\"ＭＳ ゴシック,太字\"&12&F&C&P / &N ページ&R&D &T &A &&", f);
  EXPECT_EQ(t.left, "Book1.xls");
  EXPECT_EQ(t.center, "2 / 5 ページ");
  EXPECT_EQ(t.right, "2026/12/7 9:05 売上 &");
  auto plain = zel::report::expandHeaderFooter("Page &P&B", f);
  EXPECT_EQ(plain.center, "Page 2");
  EXPECT_TRUE(plain.left.empty());
  auto cut = zel::report::expandHeaderFooter("&\"unterminated", f);  // no crash, nothing printed
  EXPECT_TRUE(cut.center.empty());
}

TEST(SheetFonts, JapaneseAndWesternFacesMapToNoto) {
  using zel::report::notoFamilyFor;
  EXPECT_EQ(notoFamilyFor("ＭＳ Ｐゴシック"), "Noto Sans CJK JP");
  EXPECT_EQ(notoFamilyFor("ＭＳ Ｐ明朝"), "Noto Serif CJK JP");
  EXPECT_EQ(notoFamilyFor("Times New Roman"), "Noto Serif CJK JP");
  EXPECT_EQ(notoFamilyFor("Courier New"), "Noto Sans Mono CJK JP");
  EXPECT_EQ(notoFamilyFor(""), "Noto Sans CJK JP");
}
