// Progress and status reporting for analyses. The window drives its gauge and status box
// through this interface; the command line drives a terminal bar; tests record the calls.
#pragma once
#include "core/currency.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void showGauge(long percent) = 0;            // ShowGauge
  virtual void setStatus(std::string_view text) = 0;   // txtMesege
  // A message box the run reaches (lines joined by "\r"; caption "" = the default title).
  // True when it was shown at once; false leaves it to the caller, after the run.
  virtual bool showMessage(const std::string& /*text*/, const std::string& /*caption*/) { return false; }
};

// A Progress that does nothing (for callers that need no feedback).
class NullProgress final : public Progress {
 public:
  void showGauge(long) override {}
  void setStatus(std::string_view) override {}
};

// The loop percentage of most analyses: step = RoundHalfUp(100 / total, 0), n = step * i.
class GaugeStepper {
 public:
  explicit GaugeStepper(int64_t total);
  long percentAfter(int64_t i) const;  // item i counted from 1
  int64_t step() const { return step_; }

 private:
  int64_t step_ = 0;
};

}  // namespace zel
