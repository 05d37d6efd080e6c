// Currency arithmetic as VB does it: four fixed decimals held exactly, and RoundHalfUp.
#pragma once
#include <cstdint>

namespace zel {

// Currency: a value with four fixed decimals, held exactly as ten-thousandths.
struct Currency {
  int64_t units = 0;  // value * 10000
  static Currency fromDouble(double v);  // rounds to four decimals, halves to even as CCur does
  static Currency ratio(int64_t numerator, int64_t denominator);  // numerator/denominator as CCur would
};

// RoundHalfUp: value rounded to digits places, halves upward (floor(x + 0.5)), exactly.
double RoundHalfUp(Currency value, int digits);
inline double RoundHalfUp(double value, int digits) { return RoundHalfUp(Currency::fromDouble(value), digits); }

}  // namespace zel
