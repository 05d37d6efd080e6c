// The analyses' loop percentage.
#include "core/progress.h"

namespace zel {

GaugeStepper::GaugeStepper(int64_t total) {
  step_ = total > 0 ? static_cast<int64_t>(RoundHalfUp(Currency::ratio(100, total), 0)) : 0;
}

long GaugeStepper::percentAfter(int64_t i) const { return static_cast<long>(step_ * i); }

}  // namespace zel
