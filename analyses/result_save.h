// Saving the analysis database as a result file (*.xdb): the one save both front ends use.
#pragma once
#include "core/result_db.h"
#include "core/session_state.h"

#include <set>
#include <string>

namespace zel::analyses {

// What the result file records of its workbook and options.
struct SaveRequest {
  std::string workbookName;   // the workbook's file name (T_XlSaveFlag.ObjName)
  DoneFlags flags;            // which analyses ran for it
  int columnOption = 0;       // the module listing's column choice
  HeaderTexts header;         // the header texts in effect
  std::set<std::string> extraTables;  // tables kept besides those the flags vouch for
};

// Writes the T_XlSaveFlag row into db, then a checked, synced copy holding only this
// workbook's tables to the chosen path with ".xdb" added by the name rule. Returns the path
// written. Throws VbError; an existing file at the path is then left as it was.
std::string saveResultFile(ResultDb& db, const std::string& chosenPath, const SaveRequest& request);

}  // namespace zel::analyses
