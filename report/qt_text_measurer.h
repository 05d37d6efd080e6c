// TextMeasurer over Qt's font metrics, with the advance of each character cached per style.
#pragma once
#include "report/text_measure.h"

#include <array>
#include <unordered_map>

namespace zel::report {

class QtTextMeasurer final : public TextMeasurer {
 public:
  QtTextMeasurer();
  double advanceMm(FontRole role, char32_t c) override;
  double lineHeightMm(FontRole role) override;
  double emMm(FontRole role) override;

 private:
  static constexpr int kRoles = static_cast<int>(FontRole::Label) + 1;
  std::array<std::unordered_map<char32_t, double>, kRoles> cache_;
  std::array<double, kRoles> mmPerPx_{};
  std::array<std::array<double, 128>, kRoles> ascii_{};  // 0: not measured yet
};

// One shared measurer for the thread that lays out reports.
TextMeasurer& sharedMeasurer();

}  // namespace zel::report
