// What a workbook analysis hands back to the window (or the command line) once it has run:
// the report to open and the messages the run reached that its caller has still to show.
#pragma once
#include "core/progress.h"

#include <string>
#include <vector>

namespace zel::workbook {

struct OutcomeMessage {
  std::string text;     // lines joined by "\r", as the message box shows them
  std::string caption;  // "" = the platform's default title
};

struct AnalysisOutcome {
  bool ran = false;                     // false: the skip test found this result already in the tables
  std::string report;                   // report to open in print preview ("" = none)
  std::vector<OutcomeMessage> messages; // not shown during the run: to show, in order, once it has ended
};

// A message the run has reached: shown at once where the caller's progress can, else kept.
inline void reachMessage(Progress& progress, AnalysisOutcome& out, OutcomeMessage message) {
  if (!progress.showMessage(message.text, message.caption)) out.messages.push_back(std::move(message));
}

}  // namespace zel::workbook
