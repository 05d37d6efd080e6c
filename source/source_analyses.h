// The macro source analyses over the exported module files: one function per command of
// the main window. They write result tables and report progress, never touch a widget.
//
// Each run: shows its status text and the gauge through Progress, empties its table and
// fills it inside one ResultDb::Run transaction, ends with "終了しました" and gauge 100, and
// sets its done flag. The caller then previews RunResult::report (when not empty), shows
// "印刷後、印刷ﾌﾟﾚﾋﾞｭｰを終了して下さい。" and starts its status timer.
// Failures throw zel::VbError; the caller shows commonErrorMessage with the run's place text.
// Rows added before a failure stay, and the done flag is left unchanged.
// Recreating the workbook reader when it was released (XlLost) is the caller's step.
#pragma once
#include "core/progress.h"
#include "core/result_db.h"
#include "core/session_state.h"

#include <string>
#include <vector>

namespace zel::source {

// What an analysis reads and where it reports.
struct SourceRun {
  ResultDb& db;
  Progress& progress;
  std::string tempPath;           // export folder holding the module files
  const ModuleCounts& counts;     // StdCount, ClassCount, FormCount of the export
  const AnalysisOptions& options; // ProcLevel, ProcKana, ModuleKind, ColumnOption, ModKana
  DoneFlags& flags;               // fPrc, fSoc, fDim, fSocS, fCom, fCrs
};

enum class Outcome {
  Filled,         // the table was read and filled
  AlreadyFilled,  // the tables already held this choice: nothing read, preview again
  NoModules,      // the presence check failed: show `notice`, nothing else happened
};

struct RunResult {
  Outcome outcome = Outcome::Filled;
  // With NoModules: the text of the message box (OK button, caption "Zelvarin97 Ver 1.1").
  // The status line already shows "このﾌｧｲﾙにはModuleは存在しません".
  std::string notice;
  // Report to open in print preview; empty for the variables analysis, which opens none.
  std::string report;
};

// cmdKansu: procedure list into T_XlProcName; with ProcLevel 2 also the declarations and
// calls into T_XlDimCall. Report R_ModuleList, or R_ModuleList50 when ProcKana is 1.
RunResult runKansu(SourceRun& run);

// cmdModule: the source listing of ModuleKind (1..6) into T_XlSource.
// Report by ColumnOption and ModKana (sourceListReport).
RunResult runModule(SourceRun& run);
std::string sourceListReport(const AnalysisOptions& options);

// cmdHensu: variables, constants and user-defined types of the standard modules into
// T_XlHensu. Opens no report (the three report buttons do); sets fDim.
RunResult runHensu(SourceRun& run);

// cmdModStep: step counts into T_XlModStep. Report R_XlModStep; sets fSocS.
RunResult runModStep(SourceRun& run);

// cmdComment: whole-line comments into T_XlComment. Report R_XlComment; sets fCom.
RunResult runComment(SourceRun& run);

// cmdInyoSaki: procedure cross-reference of the standard modules into T_XlLinkModule.
// Report R_XlLinkProc; sets fCrs.
RunResult runInyoSaki(SourceRun& run);

struct WorkbookTrigger;

// The entry-point map: every way code is started into T_XlEntry and, for every procedure of
// the project, whether an entry point reaches it into T_XlReach. The workbook's own triggers
// (shapes with a macro, Auto_ names, Excel 4 macro names) come from the caller. There is no
// presence check: buttons of a workbook without code are listed as pointing nowhere.
// Report R_XlEntry; sets fEnt.
RunResult runEntryPoints(SourceRun& run, const std::vector<WorkbookTrigger>& triggers);

}  // namespace zel::source
