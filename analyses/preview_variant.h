// Which report a preview button opens, from the option values at the time of the click.
// The analyses pick their report at their end by the same rules.
#pragma once
#include "core/session_state.h"

#include <string>

namespace zel::analyses {

enum class PreviewButton {
  cmdOPre,    // object inventory
  cmdCPre,    // cell listing
  cmdPPre,    // procedure list
  cmdMPre,    // module source listing
  cmdNPre,    // names
  cmdSPre,    // shapes
  cmdFPre,    // files
  cmdCOPre,   // comments
  cmdMSPre,   // step counts
  cmdADPre,   // add-ins
  cmdISPre,   // cross-reference
  cmdHensuU,  // user-defined types
  cmdHensuT,  // constants
  cmdHensuH,  // variables
  cmdHyousi0, // cover page
  cmdHyousi1, // vertical label
  cmdHyousi2, // horizontal label
};

// The report name, or "" when the button opens nothing (cmdCPre with a CellOption outside 1..3).
std::string reportFor(PreviewButton button, const AnalysisOptions& options, const DoneFlags& flags);

}  // namespace zel::analyses
