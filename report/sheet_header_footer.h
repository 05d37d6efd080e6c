// Header and footer texts of a printed sheet: the &-codes of the page setup expanded.
#pragma once
#include <string>
#include <string_view>

namespace zel::report {

struct HeaderFooterFields {
  int page = 1, pages = 1;
  std::string date;      // "2026/12/7"
  std::string time;      // "9:05"
  std::string fileName;  // "Book1.xls"
  std::string sheetName;
};

struct HeaderFooterText {
  std::string left, center, right;
};

// &L, &C, &R start a section (text before any of them is centred); &P page, &N pages, &D date,
// &T time, &F file, &A sheet, &Z folder (empty here), && an ampersand; font codes (&"name",
// &nn, &B, &I, &U, &S, &E, &X, &Y) are dropped.
HeaderFooterText expandHeaderFooter(std::string_view codes, const HeaderFooterFields& fields);

}  // namespace zel::report
