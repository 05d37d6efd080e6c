// zelvarin-cli analyze BOOK.xls -o RESULT.xdb: the window's open sequence without a window
// (program folder, workbook, module export into TempPath, sheet and link lists, header
// defaults), then the chosen analyses, then the save command's result file.
#include "core/dat_file.h"
#include "core/date_text.h"
#include "core/result_file.h"
#include "core/result_store.h"
#include "core/vb_error.h"
#include "core/vbstring.h"
#include "analyses/analysis_registry.h"
#include "analyses/header_defaults.h"
#include "analyses/result_save.h"
#include "cli/analyze_request.h"
#include "cli/commands.h"
#include "cli/run_folder.h"
#include "cli/terminal_progress.h"
#include "analyses/workbook_opening.h"
#include "xls/excel_model.h"
#include "xls/vba/vba_project.h"

#include <ctime>
#include <iostream>
#include <set>

namespace zel::cli {

using analyses::AnalysisContext;
using analyses::AnalysisEntry;
using analyses::AnalysisReport;
using analyses::analysisRegistry;
using analyses::findAnalysis;

namespace {

std::string lines(std::string text) {
  for (char& c : text)
    if (c == '\r') c = '\n';
  return text;
}

// The header text boxes as the open sequence fills them, then the --set values.
HeaderTexts headerDefaults(const ProgramPaths& paths, const OpenedWorkbook& opened, const AnalyzeRequest& request) {
  DatValues dat;
  if (!ReadDatFile(paths.datPath(), dat))
    std::cerr << "zelvarin-cli analyze: " << paths.datPath() << " cannot be read; header defaults are empty\n";
  HeaderTexts h = analyses::headerDefaults(dat, opened, todayText());
  applyHeaderSettings(request, h);
  return h;
}

// Runs one analysis as its command handler would: a failure is reported with the window's
// message and the run goes on with the next analysis; rows already added stay.
bool runOne(const AnalysisEntry& entry, AnalysisContext& ctx, TerminalProgress& progress) {
  try {
    AnalysisReport r = entry.run(ctx);
    progress.finishLine();
    for (const auto& m : r.messages) std::cerr << entry.name << ": " << lines(m.text) << "\n";
    return true;
  } catch (const VbError& e) {
    progress.finishLine();
    std::cerr << entry.name << ": " << lines(commonErrorMessage(std::string(entry.place), e.number(), e.description())) << "\n";
  } catch (const DbError& e) {
    progress.finishLine();
    std::cerr << entry.name << ": " << lines(commonErrorMessage(std::string(entry.place), err::DatabaseError, e.what())) << "\n";
  } catch (const std::exception& e) {
    progress.finishLine();
    std::cerr << entry.name << ": " << e.what() << "\n";
  }
  return false;
}

}  // namespace

int runAnalyze(const std::vector<std::string>& args) {
  AnalyzeRequest request = parseAnalyzeArgs(args);
  ProgramPaths home = programPathsFor(request.home.empty() ? defaultProgramFolder() : request.home);
  std::string error;
  if (!prepareProgramFolder(home, &error)) {
    std::cerr << "zelvarin-cli analyze: " << error << "\n";
    return 1;
  }
  // This run's own Analyze.mdb and export folder: other runs and an open window keep theirs.
  RunFolder run(home);
  const ProgramPaths& paths = run.paths();
  // The open sequence of the window; a project whose code cannot be read leaves the code
  // analyses out instead of ending the run.
  OpenedWorkbook opened = openWorkbookForAnalysis(request.book, paths.TempPath, UnreadableCode::GoOnWithoutCode);
  for (const auto& f : opened.exportFailures) std::cerr << "zelvarin-cli analyze: module not exported: " << f << "\n";
  const xls::Workbook& book = opened.workbook();
  for (const auto& w : book.warnings()) std::cerr << "zelvarin-cli analyze: warning: " << w << "\n";
  bool allOk = opened.exportFailures.empty();
  if (book.sheetsIncomplete()) {
    std::cerr << "zelvarin-cli analyze: " << request.book << ": the workbook is damaged; its sheets could not all be read\n";
    allOk = false;
  }
  ModuleCounts counts = opened.counts;

  // This run's Analyze.mdb is scratch, removed with the run folder. The result file is
  // written and synced on its own when the run saves it.
  ResultDb db = openScratchAnalyzeDb(paths);
  db.clearTable("T_XlTitle");
  if (const std::string line = headerFileLine(request); !line.empty()) {
    TableWriter title(db, "T_XlTitle");
    title.addNew();
    title.set("FileName", line);
    title.update();
  }
  AnalysisOptions options = request.options;
  DoneFlags flags;
  HeaderTexts header = headerDefaults(paths, opened, request);
  TerminalProgress progress(stderr);
  AnalysisContext ctx{db,          progress, paths, options, flags, counts, header, request.book, &book,
                      opened.sheetNames, opened.linkSources, {}, {}, {}};
  ctx.selectedSheet = request.sheetGiven ? request.selectedSheet : (ctx.sheetNames.empty() ? "" : ctx.sheetNames[0]);
  ctx.linkSource = request.linkSource;
  ctx.codeUnavailable = !opened.codeUnavailable.empty();

  std::set<std::string> keep;  // tables kept in the result file besides those the flags vouch for
  // Without --only every analysis runs but the link search: its rows would replace the cell
  // listing's in T_XlCalc.
  std::vector<std::string> names = request.only;
  if (names.empty())
    for (const auto& e : analysisRegistry())
      if (e.name != "linksearch") names.emplace_back(e.name);
  std::vector<std::string> skipped;
  for (const auto& name : names) {
    const AnalysisEntry* entry = findAnalysis(name);
    if (entry->readsCode && ctx.codeUnavailable) {
      skipped.push_back(name);
      continue;
    }
    bool ok = runOne(*entry, ctx, progress);
    if (ok && name == "cover") keep.insert("T_XlHyousi");
    allOk = ok && allOk;
  }
  progress.finishLine();
  if (!skipped.empty()) {
    std::string list;
    for (const auto& n : skipped) list += (list.empty() ? "" : ", ") + n;
    std::cerr << "zelvarin-cli analyze: skipped " << list << ": " << opened.codeUnavailable << "\n";
  }

  analyses::SaveRequest save{FileNameOf(request.book), flags, options.ColumnOption, header, keep};
  const std::string target = analyses::saveResultFile(db, request.output, save);
  std::cout << target << "\n";
  if (!allOk) return kExitFailed;
  return skipped.empty() ? kExitOk : kExitPartial;
}

}  // namespace zel::cli
