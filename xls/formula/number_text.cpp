// Excel's number-to-text rule for formulas. The value is first rounded to 15 significant
// digits; numbers of 1E+15 and above use the exponent form, as do small numbers whose fixed
// form would need more than 20 characters ("0." plus 18 digits).
#include "xls/formula/number_text.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zel::xls::formula {
namespace {

constexpr int kSignificantDigits = 15;
constexpr int kFirstExponentForm = 15;     // 1E+15 and above
constexpr int kMaxFractionDigits = 18;     // digits after "0." in fixed form

std::string exponentForm(const std::string& digits, int exponent) {
  std::string s(1, digits[0]);
  if (digits.size() > 1) s += "." + digits.substr(1);
  char buf[16];
  std::snprintf(buf, sizeof buf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return s + buf;
}

std::string fixedForm(const std::string& digits, int exponent) {
  if (exponent < 0) return "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  size_t intDigits = static_cast<size_t>(exponent) + 1;
  if (digits.size() <= intDigits) return digits + std::string(intDigits - digits.size(), '0');
  return digits.substr(0, intDigits) + "." + digits.substr(intDigits);
}

}  // namespace

std::string excelNumberText(double value) {
  if (!std::isfinite(value)) return "#NUM!";
  double magnitude = std::fabs(value);
  if (magnitude < DBL_MIN) return "0";  // zero and denormals
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.*e", kSignificantDigits - 1, magnitude);
  // buf: d.dddddddddddddde[+-]XX
  std::string digits;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p) {
    if (*p != '.') digits += *p;
  }
  int exponent = *p ? std::atoi(p + 1) : 0;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  bool useExponent = exponent >= kFirstExponentForm ||
                     (exponent < 0 && static_cast<int>(digits.size()) - exponent - 1 > kMaxFractionDigits);
  std::string text = useExponent ? exponentForm(digits, exponent) : fixedForm(digits, exponent);
  return value < 0 ? "-" + text : text;
}

}  // namespace zel::xls::formula
