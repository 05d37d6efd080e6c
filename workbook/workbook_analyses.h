// The workbook analyses as the window and the command line call them: on a workbook opened by
// the reader. Each returns what the caller shows afterwards (the report to open, messages)
// and throws VbError on failure (the caller adds the command's place text).
#pragma once
#include "workbook/cell_listing.h"
#include "workbook/link_search.h"
#include "workbook/model_book_view.h"
#include "workbook/name_list.h"
#include "workbook/object_inventory.h"
#include "workbook/sheet_walk.h"
#include "workbook/time_estimate.h"

namespace zel::workbook {

// cmdObject ("場所:オブジェクト情報").
inline AnalysisOutcome runObjectInventory(RunContext& ctx, const xls::Workbook& book) {
  return runObjectInventory(ctx, ModelBookView(book));
}
// cmdCell ("場所:セル情報"); selectedSheet is cboSheet2's text, cellSheetName the window's CellSheetName.
inline AnalysisOutcome runCellListing(RunContext& ctx, const xls::Workbook& book, const std::string& selectedSheet,
                                      std::string& cellSheetName) {
  return runCellListing(ctx, ModelBookView(book), selectedSheet, cellSheetName);
}
// cmdName ("場所:名前一覧").
inline AnalysisOutcome runNameList(RunContext& ctx, const xls::Workbook& book) {
  return runNameList(ctx, ModelBookView(book));
}
// cmdLinkMoto ("場所:リンク先検索"); linkSource is cboLinkMoto's text.
inline AnalysisOutcome runLinkSearch(RunContext& ctx, const xls::Workbook& book, const std::string& linkSource) {
  return runLinkSearch(ctx, ModelBookView(book), linkSource);
}
// cmdTimeCheck ("場所:処理時間確認"): one message, caption "Zelvarin".
inline AnalysisOutcome runTimeCheck(const xls::Workbook& book) { return runTimeCheck(ModelBookView(book)); }

// The sheet names of the walk (cboSheet, cboSheet2, the add-in list).
inline std::vector<std::string> walkedSheetNames(const xls::Workbook& book) {
  return walkedSheetNames(ModelBookView(book).sheetNames());
}

}  // namespace zel::workbook
