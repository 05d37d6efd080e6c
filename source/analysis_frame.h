// The frame every source analysis shares: the presence check, one transaction, the
// conversion of lower-level failures into VbError, and the closing status and gauge.
#pragma once
#include "source/module_files.h"
#include "source/source_analyses.h"

#include "core/run_in_transaction.h"
#include "core/vb_error.h"

#include <utility>

namespace zel::source {

// True (after writing the status text) when the workbook has no standard, class or form module.
bool failsPresenceCheck(SourceRun& run, RunResult& result);

// Runs the body of an analysis inside one transaction; database and file-system failures
// come out as VbError so the caller's message shows their number and text.
template <class Body>
void runInTransaction(ResultDb& db, Body&& body) {
  runAnalysisTransaction(db, std::forward<Body>(body));
}

// "終了しました" and gauge 100.
void finishRun(Progress& progress);

// The progress step times the files done, for a total of counted modules (0 when none).
long gaugeAfter(long total, long filesDone);

}  // namespace zel::source
