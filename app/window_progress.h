// The window's Progress: ShowGauge on lblPer and linGuage, status text in txtMesege.
// The gauge repaints at once (a command does not return to the event loop while it works),
// but only when the percentage changes, since an analysis may report every item.
#pragma once
#include "core/progress.h"

#include <functional>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;

namespace zel {

class GaugeLine;

class WindowProgress final : public Progress {
 public:
  WindowProgress(QLabel* lblPer, GaugeLine* linGuage, QLineEdit* txtMesege);
  void showGauge(long percent) override;  // ShowGauge
  void setStatus(std::string_view text) override;
  bool showMessage(const std::string& text, const std::string& caption) override;
  void beginGauge();  // show the line and set it to 0 %
  void resetGauge();  // X2 = 0, hidden, and the percentage text emptied
  // Shows the messages a run reaches, at once (unset: they are left to the caller).
  void setMessenger(std::function<void(const std::string&)> messenger) { messenger_ = std::move(messenger); }

 private:
  QLabel* lblPer_;
  GaugeLine* linGuage_;
  QLineEdit* txtMesege_;
  std::optional<long> shown_;
  std::function<void(const std::string&)> messenger_;
};

}  // namespace zel
