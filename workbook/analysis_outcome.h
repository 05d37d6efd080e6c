// What a workbook analysis hands back to the window (or the command line) once it has run:
// the report to open and the messages to show. The analyses themselves show nothing.
#pragma once
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
  std::vector<OutcomeMessage> messages; // to show, in order, once the run has ended
};

}  // namespace zel::workbook
