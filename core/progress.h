// Progress and status reporting for analyses. The window drives its gauge and status box
// through this interface; the command line drives a terminal bar; tests record the calls.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void showGauge(long percent) = 0;            // ShowGauge
  virtual void setStatus(std::string_view text) = 0;   // txtMesege
};

// A Progress that does nothing (for callers that need no feedback).
class NullProgress final : public Progress {
 public:
  void showGauge(long) override {}
  void setStatus(std::string_view) override {}
};

// Currency: a value with four fixed decimals, held exactly as ten-thousandths.
struct Currency {
  int64_t units = 0;  // value * 10000
  static Currency fromDouble(double v);  // rounds to four decimals, halves to even as CCur does
  static Currency ratio(int64_t numerator, int64_t denominator);  // numerator/denominator as CCur would
  double toDouble() const { return static_cast<double>(units) / 10000.0; }
};

// RoundHalfUp: value rounded to digits places, halves upward (floor(x + 0.5)), exactly.
double RoundHalfUp(Currency value, int digits);
inline double RoundHalfUp(double value, int digits) { return RoundHalfUp(Currency::fromDouble(value), digits); }

// The loop percentage of most analyses: step = RoundHalfUp(100 / total, 0), n = step * i.
class GaugeStepper {
 public:
  explicit GaugeStepper(int64_t total);
  long percentAfter(int64_t i) const;  // item i counted from 1
  int64_t step() const { return step_; }

 private:
  int64_t step_ = 0;
};

// The gauge geometry: X2 of the line for n percent (2040 twips at 100).
double gaugeLineEnd(long percent);
std::string gaugeCaption(long percent);

}  // namespace zel
