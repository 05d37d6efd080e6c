// The analyses zelvarin-cli can run, by name, in the window's order. Each entry takes one
// context holding what the window would hold for it: result database, progress, program
// folder, options, done flags, module counts, header texts and the open workbook.
#pragma once
#include "core/program_folder.h"
#include "core/progress.h"
#include "core/result_db.h"
#include "core/session_state.h"
#include "workbook/analysis_outcome.h"

#include <string>
#include <string_view>
#include <vector>

namespace zel::xls {
class Workbook;
}

namespace zel::analyses {

struct AnalysisContext {
  ResultDb& db;
  Progress& progress;
  const ProgramPaths& paths;
  AnalysisOptions& options;
  DoneFlags& flags;
  ModuleCounts& counts;
  HeaderTexts& header;
  std::string workbookPath;                // lblDBName's caption
  const xls::Workbook* workbook = nullptr;  // the open workbook
  std::vector<std::string> sheetNames;      // cboSheet: the sheets, module sheets left out
  std::vector<std::string> linkSources;     // cboLinkMoto: the workbook links
  std::string selectedSheet;                // cboSheet2's text (its first entry)
  std::string linkSource;                   // cboLinkMoto's text ("" = no entry chosen)
  std::string cellSheetName;                // the cell listing's record of its selected sheet
  bool codeUnavailable = false;             // the project's code was not read: no module rows
};

// What one run leaves for the caller: whether anything was read, the report the window would
// preview, and the message boxes the window would show (lines joined by "\r", with captions).
struct AnalysisReport {
  bool ran = true;
  std::string report;
  std::vector<workbook::OutcomeMessage> messages;
};

using AnalysisFunction = AnalysisReport (*)(AnalysisContext&);

struct AnalysisEntry {
  std::string_view name;   // "object", "cell", ...
  std::string_view place;  // place text of the window's error message ("場所:...")
  AnalysisFunction run;
  bool readsCode = false;  // reads the exported module code (skipped when it is not read)
};

// Every analysis name in the window's order: object cell procedures module shape files
// variables names steps comments addins crossref linksearch cover entrypoints.
const std::vector<AnalysisEntry>& analysisRegistry();
const AnalysisEntry* findAnalysis(std::string_view name);

}  // namespace zel::analyses
