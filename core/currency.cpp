// Exact currency arithmetic: CCur rounding and RoundHalfUp.
#include "core/currency.h"

#include <cmath>

namespace zel {

Currency Currency::fromDouble(double v) {
  double scaled = v * 10000.0;
  double r = std::nearbyint(scaled);  // default rounding mode: to nearest, ties to even
  // Values like 0.125 are exact in binary; values like 1.25 too. Others rounded near a tie
  // by the multiplication keep their nearest four-decimal value.
  return Currency{static_cast<int64_t>(r)};
}

Currency Currency::ratio(int64_t num, int64_t den) {
  if (den == 0) return Currency{0};
  // num*10000/den rounded half to even, in integers.
  __int128 n = static_cast<__int128>(num) * 10000;
  __int128 q = n / den, r = n % den;
  if (r != 0) {
    __int128 twice = (r < 0 ? -r : r) * 2, d = den < 0 ? -den : den;
    bool negative = (n < 0) != (den < 0);
    if (twice > d || (twice == d && (q % 2 != 0))) q += negative ? -1 : 1;
  }
  return Currency{static_cast<int64_t>(q)};
}

static int64_t floorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

double RoundHalfUp(Currency value, int digits) {
  int64_t p = 1;
  for (int i = 0; i < (digits < 0 ? -digits : digits) && p < 1000000000000LL; ++i) p *= 10;
  if (digits < 1) {
    // Int(value / p + 0.5) * p, with value in ten-thousandths.
    int64_t scaledP = p * 10000;
    int64_t q = floorDiv(value.units * 2 + scaledP, scaledP * 2);
    return static_cast<double>(q * p);
  }
  // Int(value * p + 0.5) / p in currency: a multiple of 1/p (p <= 10000 keeps it exact).
  if (p > 10000) p = 10000;
  int64_t unitsPerStep = 10000 / p;
  int64_t q = floorDiv(value.units * 2 + unitsPerStep, unitsPerStep * 2);
  return static_cast<double>(q) / static_cast<double>(p);
}

}  // namespace zel
