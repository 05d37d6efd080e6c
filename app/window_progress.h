// The window's Progress: ShowGauge on lblPer and linGuage, status text in txtMesege.
// The gauge repaints at once (a command does not return to the event loop while it works),
// but only when the percentage changes, since an analysis may report every item.
#pragma once
#include "core/progress.h"

#include <optional>

class QLabel;
class QLineEdit;

namespace zel {

class GaugeLine;

class WindowProgress final : public Progress {
 public:
  WindowProgress(QLabel* lblPer, GaugeLine* linGuage, QLineEdit* txtMesege);
  void showGauge(long percent) override;  // ShowGauge
  void setStatus(std::string_view text) override;
  void beginGauge();  // show the line and set it to 0 %
  void resetGauge();  // X2 = 0 and hidden; the percentage text stays

 private:
  QLabel* lblPer_;
  GaugeLine* linGuage_;
  QLineEdit* txtMesege_;
  std::optional<long> shown_;
};

}  // namespace zel
