// The variant rules of the preview buttons.
#include "analyses/preview_variant.h"

namespace zel::analyses {

std::string reportFor(PreviewButton button, const AnalysisOptions& o, const DoneFlags&) {
  switch (button) {
    case PreviewButton::cmdOPre: return o.ObjectLevel == 2 || o.ObjectLevel == 3 ? "R_XlObject" : "R_XlBook";
    case PreviewButton::cmdCPre:
      if (o.CellOption == 1) return "R_XlCalc";
      if (o.CellOption == 2 || o.CellOption == 3) return "R_XlCalcNote";
      return "";
    case PreviewButton::cmdPPre: return o.ProcKana == 1 ? "R_ModuleList50" : "R_ModuleList";
    case PreviewButton::cmdMPre:
      if (o.ColumnOption == 2) return o.ModKana == 1 ? "R_SourceList50" : "R_SourceList";
      return o.ModKana == 1 ? "R_SourceList150" : "R_SourceList1";
    case PreviewButton::cmdNPre: return "R_XlName";
    case PreviewButton::cmdSPre: return "R_XlShape";
    case PreviewButton::cmdFPre: return "R_XlFile";
    case PreviewButton::cmdCOPre: return "R_XlComment";
    case PreviewButton::cmdMSPre: return "R_XlModStep";
    case PreviewButton::cmdADPre: return "R_XlAddin";
    case PreviewButton::cmdISPre: return "R_XlLinkProc";
    case PreviewButton::cmdHensuU: return "R_XlHensuU";
    case PreviewButton::cmdHensuT: return "R_XlHensuT";
    case PreviewButton::cmdHensuH: return "R_XlHensuH";
    case PreviewButton::cmdHyousi0: return "R_XlHyousi";
    case PreviewButton::cmdHyousi1: return "R_XlHyousiH";
    case PreviewButton::cmdHyousi2: return "R_XlHyousiW";
  }
  return "";
}

}  // namespace zel::analyses
