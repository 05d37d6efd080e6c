// What a workbook analysis needs from the program: the result database, progress and status,
// the options and done flags, the program folder and the open workbook's path.
#pragma once
#include "core/program_folder.h"
#include "core/progress.h"
#include "core/result_db.h"
#include "core/session_state.h"

#include <string>

namespace zel::workbook {

struct RunContext {
  ResultDb& db;
  Progress& progress;
  AnalysisOptions& options;
  DoneFlags& flags;
  const ProgramPaths& paths;
  std::string workbookPath;  // the caption of lblDBName: the open workbook's full path
  ModuleCounts counts;
};

}  // namespace zel::workbook
