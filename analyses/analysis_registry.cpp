// The registry of analyses: one adapter per name from the common context to the analysis'
// own entry point.
#include "analyses/analysis_registry.h"

#include "analyses/entry_point_triggers.h"
#include "core/vb_error.h"
#include "source/source_analyses.h"
#include "workbook/addin_list.h"
#include "workbook/cell_listing.h"
#include "workbook/cover_page.h"
#include "workbook/folder_file_list.h"
#include "workbook/link_search.h"
#include "workbook/model_book_view.h"
#include "workbook/name_list.h"
#include "workbook/object_inventory.h"
#include "workbook/shape_list.h"
#include "xls/document_properties.h"
#include "xls/excel_model.h"

namespace zel::analyses {
namespace {

workbook::RunContext workbookContext(AnalysisContext& c) {
  return workbook::RunContext{c.db, c.progress, c.options, c.flags, c.paths, c.workbookPath, c.counts};
}

const xls::Workbook& openBook(const AnalysisContext& c) {
  if (!c.workbook) throw VbError(91, "no workbook is open");
  return *c.workbook;
}

AnalysisReport fromOutcome(const workbook::AnalysisOutcome& o) {
  AnalysisReport r;
  r.ran = o.ran;
  r.report = o.report;
  for (const auto& m : o.messages) r.messages.push_back(m);
  return r;
}

AnalysisReport runObject(AnalysisContext& c) {
  auto ctx = workbookContext(c);
  workbook::ModelBookView view(openBook(c), !c.codeUnavailable);
  return fromOutcome(workbook::runObjectInventory(ctx, view));
}

AnalysisReport runCell(AnalysisContext& c) {
  auto ctx = workbookContext(c);
  workbook::ModelBookView view(openBook(c));
  return fromOutcome(workbook::runCellListing(ctx, view, c.selectedSheet, c.cellSheetName));
}

AnalysisReport runNames(AnalysisContext& c) {
  auto ctx = workbookContext(c);
  workbook::ModelBookView view(openBook(c));
  return fromOutcome(workbook::runNameList(ctx, view));
}

AnalysisReport runShapes(AnalysisContext& c) {
  auto ctx = workbookContext(c);
  return fromOutcome(workbook::runShapeList(ctx, openBook(c)));
}

AnalysisReport runLinkSearch(AnalysisContext& c) {
  auto ctx = workbookContext(c);
  workbook::ModelBookView view(openBook(c));
  return fromOutcome(workbook::runLinkSearch(ctx, view, c.linkSource));
}

AnalysisReport runFiles(AnalysisContext& c) {
  auto ctx = workbookContext(c);
  AnalysisReport r;
  r.ran = workbook::runFolderFileList(ctx, c.linkSources);
  r.report = "R_XlFile";
  return r;
}

std::string addInTitle(const std::string& fullName) {
  try {
    return xls::Workbook::open(fullName)->builtinDocumentProperties().value(1).toText();
  } catch (const std::exception&) {
    return {};
  }
}

AnalysisReport runAddins(AnalysisContext& c) {
  auto ctx = workbookContext(c);
  workbook::runAddinList(ctx, c.sheetNames, workbook::collectAddIns(c.paths, addInTitle));
  AnalysisReport r;
  r.report = "R_XlAddin";
  return r;
}

// A source analysis over the exported module files of TempPath.
template <source::RunResult (*Run)(source::SourceRun&)>
AnalysisReport runSource(AnalysisContext& c) {
  source::SourceRun run{c.db, c.progress, c.paths.TempPath, c.counts, c.options, c.flags};
  source::RunResult result = Run(run);
  AnalysisReport r;
  r.ran = result.outcome != source::Outcome::AlreadyFilled && result.outcome != source::Outcome::NoModules;
  r.report = result.report;
  if (result.outcome == source::Outcome::NoModules) r.messages.push_back({result.notice, ""});
  return r;
}

// The entry-point map: the module files of TempPath joined with the workbook's own triggers
// (none when no workbook is open, as after loading a result file).
AnalysisReport runEntryPoints(AnalysisContext& c) {
  const std::vector<source::WorkbookTrigger> triggers =
      c.workbook ? workbookTriggers(*c.workbook) : std::vector<source::WorkbookTrigger>();
  source::SourceRun run{c.db, c.progress, c.paths.TempPath, c.counts, c.options, c.flags};
  AnalysisReport r;
  r.report = source::runEntryPoints(run, triggers).report;
  return r;
}

AnalysisReport runCover(AnalysisContext& c) {
  workbook::writeCoverPage(c.db, c.progress, c.header);
  AnalysisReport r;
  r.report = workbook::coverReportFor(0);
  return r;
}

}  // namespace

const std::vector<AnalysisEntry>& analysisRegistry() {
  static const std::vector<AnalysisEntry> registry = {
      {"object", "場所:オブジェクト情報", runObject},
      {"cell", "場所:セル情報", runCell},
      {"procedures", "場所:プロシージャ一覧", runSource<source::runKansu>, true},
      {"module", "場所:モジュールリスト", runSource<source::runModule>, true},
      {"shape", "場所:図形情報", runShapes},
      {"files", "場所:ファイル一覧", runFiles},
      {"variables", "場所:変数情報", runSource<source::runHensu>, true},
      {"names", "場所:名前一覧", runNames},
      {"steps", "場所:ﾓｼﾞｭｰﾙｽﾃｯﾌﾟ一覧", runSource<source::runModStep>, true},
      {"comments", "場所:コメント一覧", runSource<source::runComment>, true},
      {"addins", "場所:アドイン情報", runAddins},
      {"crossref", "場所:引用先一覧", runSource<source::runInyoSaki>, true},
      {"linksearch", "場所:リンク先検索", runLinkSearch},
      {"cover", "場所:表紙", runCover},
      {"entrypoints", "場所:起動経路一覧", runEntryPoints},
  };
  return registry;
}

const AnalysisEntry* findAnalysis(std::string_view name) {
  for (const auto& e : analysisRegistry())
    if (e.name == name) return &e;
  return nullptr;
}

}  // namespace zel::analyses
