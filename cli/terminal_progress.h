// Progress for the command line: a bar with the percentage and the status text, redrawn in
// place on a terminal; nothing at all when the stream is not a terminal.
#pragma once
#include "core/progress.h"

#include <cstdio>
#include <string>

namespace zel::cli {

class TerminalProgress final : public Progress {
 public:
  // Draws on `out` only when it is a terminal (or when forced, for tests).
  explicit TerminalProgress(std::FILE* out, bool force = false);
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void showGauge(long percent) override;
  void setStatus(std::string_view text) override;
  // Ends the drawn line so later output starts on a line of its own.
  void finishLine();
  bool drawing() const { return enabled_; }

 private:
  void draw();
  std::FILE* out_;
  bool enabled_;
  bool drawn_ = false;
  long percent_ = 0;
  std::string status_;
};

// The bar text for a percentage: "[#####-----]  50%" (values past 100 draw a full bar).
std::string progressBar(long percent, int width = 30);

}  // namespace zel::cli
