// Excel's number-to-text rule for formulas. The value is first rounded to 15 significant
// digits; numbers of 1E+15 and above use the exponent form, as do small numbers whose fixed
// form would need more than 20 characters ("0." plus 18 digits).
// Finding the 15 digits: any decimal of at most 15 significant digits that reads back as the
// same double is them (the double lies closer to it than half a step of the 15th digit). So
// whole numbers and short decimals (N / 10^k, checked by dividing back) take their digits from
// an integer; others try the shortest text that reads back (std::to_chars), and only when that
// has more than 15 digits are they rounded explicitly (to_chars' scientific form with 14
// decimals, the digits of printf's "%.14e"). The text is assembled in a stack buffer.
#include "xls/formula/number_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace zel::xls::formula {
namespace {

constexpr int kSignificantDigits = 15;
constexpr int kFirstExponentForm = 15;     // 1E+15 and above
constexpr int kMaxFractionDigits = 18;     // digits after "0." in fixed form
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The significant digits of `whole` (below 1E+15), and its decimal exponent when `decimals`
// of them stand after the point.
void integerDigits(uint64_t whole, int decimals, char* digits, int& count, int& exponent) {
  count = static_cast<int>(std::to_chars(digits, digits + kSignificantDigits, whole).ptr - digits);
  exponent = count - 1 - decimals;
}

// The decimal digits of a finite positive double rounded to 15 significant digits, and the
// exponent of the first one.
void roundedDigits(double magnitude, char* digits, int& count, int& exponent) {
  // N / 10^k is exact as a double division for N below 2^53 and k up to 22.
  if (magnitude < 1e15) {
    for (int k = 0; k < static_cast<int>(std::size(kPowersOfTen)); ++k) {
      const double scaled = magnitude * kPowersOfTen[k];
      if (scaled >= 1e15) break;
      const double whole = std::nearbyint(scaled);
      if (whole / kPowersOfTen[k] == magnitude) return integerDigits(static_cast<uint64_t>(whole), k, digits, count, exponent);
    }
  }
  char buf[40];
  auto end = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific).ptr;
  // buf: d[.ddd]e[+-]XX
  int total = 0;
  for (const char* p = buf; p < end && *p != 'e'; ++p) total += *p != '.';
  if (total > kSignificantDigits)
    end = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, kSignificantDigits - 1).ptr;
  count = 0;
  const char* p = buf;
  for (; p < end && *p != 'e'; ++p)
    if (*p != '.' && count < kSignificantDigits) digits[count++] = *p;
  exponent = 0;
  if (p < end) {
    const bool negative = p + 1 < end && p[1] == '-';
    for (const char* q = p + 2; q < end; ++q) exponent = exponent * 10 + (*q - '0');
    if (negative) exponent = -exponent;
  }
}

}  // namespace

std::string excelNumberText(double value) {
  if (!std::isfinite(value)) return "#NUM!";
  double magnitude = std::fabs(value);
  if (magnitude < DBL_MIN) return "0";  // zero and denormals
  char digits[kSignificantDigits];
  int count = 0, exponent = 0;
  roundedDigits(magnitude, digits, count, exponent);
  while (count > 1 && digits[count - 1] == '0') --count;

  char out[48];
  char* o = out;
  if (value < 0) *o++ = '-';

  auto append = [&](const char* from, int n) {
    std::memcpy(o, from, static_cast<size_t>(n));
    o += n;
  };
  auto fill = [&](char c, int n) {
    std::memset(o, c, static_cast<size_t>(n));
    o += n;
  };
  const bool useExponent = exponent >= kFirstExponentForm || (exponent < 0 && count - exponent - 1 > kMaxFractionDigits);
  if (useExponent) {
    *o++ = digits[0];
    if (count > 1) {
      *o++ = '.';
      append(digits + 1, count - 1);
    }
    *o++ = 'E';
    *o++ = exponent < 0 ? '-' : '+';
    const int e = std::abs(exponent);
    if (e < 10) *o++ = '0';
    o = std::to_chars(o, out + sizeof out, e).ptr;
  } else if (exponent < 0) {
    *o++ = '0';
    *o++ = '.';
    fill('0', -exponent - 1);  // at most 17: longer fixed forms take the exponent form
    append(digits, count);
  } else {
    const int intDigits = exponent + 1;  // at most 15 here
    if (count <= intDigits) {
      append(digits, count);
      fill('0', intDigits - count);
    } else {
      append(digits, intDigits);
      *o++ = '.';
      append(digits + intDigits, count - intDigits);
    }
  }
  return std::string(out, o);
}

}  // namespace zel::xls::formula
