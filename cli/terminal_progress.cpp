// Terminal progress bar. Carriage return plus "erase line" redraws the one line in place.
#include "cli/terminal_progress.h"

#include <unistd.h>

#include <algorithm>

namespace zel::cli {

std::string progressBar(long percent, int width) {
  long shown = std::clamp(percent, 0L, 100L);
  int filled = static_cast<int>(shown * width / 100);
  std::string bar = "[" + std::string(static_cast<size_t>(filled), '#') +
                    std::string(static_cast<size_t>(width - filled), '-') + "] ";
  std::string number = std::to_string(percent);
  if (number.size() < 3) bar += std::string(3 - number.size(), ' ');
  return bar + number + "%";
}

TerminalProgress::TerminalProgress(std::FILE* out, bool force)
    : out_(out), enabled_(force || (out && ::isatty(::fileno(out)))) {}

TerminalProgress::~TerminalProgress() { finishLine(); }

void TerminalProgress::showGauge(long percent) {
  percent_ = percent;
  draw();
}

void TerminalProgress::setStatus(std::string_view text) {
  status_ = std::string(text);
  draw();
}

void TerminalProgress::draw() {
  if (!enabled_) return;
  std::fprintf(out_, "\r\033[2K%s %s", progressBar(percent_).c_str(), status_.c_str());
  std::fflush(out_);
  drawn_ = true;
}

void TerminalProgress::finishLine() {
  if (enabled_ && drawn_) {
    std::fputc('\n', out_);
    std::fflush(out_);
  }
  drawn_ = false;
}

}  // namespace zel::cli
