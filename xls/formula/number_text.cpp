// Excel's number-to-text rule for formulas. The value is first rounded to 15 significant
// digits; numbers of 1E+15 and above use the exponent form, as do small numbers whose fixed
// form would need more than 20 characters ("0." plus 18 digits). The rounding is
// std::to_chars' scientific form (the same digits as printf's "%.14e", without its locale and
// format parsing); the text is then assembled in one buffer.
#include "xls/formula/number_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace zel::xls::formula {
namespace {

constexpr int kSignificantDigits = 15;
constexpr int kFirstExponentForm = 15;     // 1E+15 and above
constexpr int kMaxFractionDigits = 18;     // digits after "0." in fixed form

}  // namespace

std::string excelNumberText(double value) {
  if (!std::isfinite(value)) return "#NUM!";
  double magnitude = std::fabs(value);
  if (magnitude < DBL_MIN) return "0";  // zero and denormals
  char buf[40];
  const auto end = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                 kSignificantDigits - 1).ptr;
  // buf: d.dddddddddddddde[+-]XX
  char digits[kSignificantDigits];
  int count = 0;
  const char* p = buf;
  for (; p < end && *p != 'e'; ++p)
    if (*p != '.' && count < kSignificantDigits) digits[count++] = *p;
  int exponent = 0;
  if (p < end) {
    const bool negative = p + 1 < end && p[1] == '-';
    for (const char* q = p + 2; q < end; ++q) exponent = exponent * 10 + (*q - '0');
    if (negative) exponent = -exponent;
  }
  while (count > 1 && digits[count - 1] == '0') --count;

  std::string out;
  out.reserve(32);
  if (value < 0) out += '-';
  const bool useExponent = exponent >= kFirstExponentForm || (exponent < 0 && count - exponent - 1 > kMaxFractionDigits);
  if (useExponent) {
    out += digits[0];
    if (count > 1) {
      out += '.';
      out.append(digits + 1, static_cast<size_t>(count - 1));
    }
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    const int e = std::abs(exponent);
    if (e < 10) out += '0';
    char ebuf[8];
    out.append(ebuf, std::to_chars(ebuf, ebuf + sizeof ebuf, e).ptr);
  } else if (exponent < 0) {
    out += "0.";
    out.append(static_cast<size_t>(-exponent - 1), '0');
    out.append(digits, static_cast<size_t>(count));
  } else {
    const int intDigits = exponent + 1;
    if (count <= intDigits) {
      out.append(digits, static_cast<size_t>(count));
      out.append(static_cast<size_t>(intDigits - count), '0');
    } else {
      out.append(digits, static_cast<size_t>(intDigits));
      out += '.';
      out.append(digits + intDigits, static_cast<size_t>(count - intDigits));
    }
  }
  return out;
}

}  // namespace zel::xls::formula
