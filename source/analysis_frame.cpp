// Shared frame of the source analyses.
#include "source/analysis_frame.h"

namespace zel::source {

bool failsPresenceCheck(SourceRun& run, RunResult& result) {
  const ModuleCounts& c = run.counts;
  if (c.StdCount != 0 || c.ClassCount != 0 || c.FormCount != 0) return false;
  run.progress.setStatus(kNoModuleText);
  result.outcome = Outcome::NoModules;
  result.notice = kNoModuleText;
  return true;
}

void finishRun(Progress& progress) {
  progress.setStatus("終了しました");
  progress.showGauge(100);
}

long gaugeAfter(long total, long filesDone) { return GaugeStepper(total).percentAfter(filesDone); }

}  // namespace zel::source
