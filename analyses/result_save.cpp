// The save command: save row, then the checked copy of core/result_file.
#include "analyses/result_save.h"

#include "core/result_file.h"
#include "core/result_store.h"

namespace zel::analyses {

std::string saveResultFile(ResultDb& db, const std::string& chosenPath, const SaveRequest& request) {
  const std::string target = normalizeXdbName(chosenPath);
  writeSaveFlagRow(db, request.workbookName, request.flags, request.columnOption, request.header);
  std::set<std::string> keep = tablesVouchedByFlags(request.flags);
  keep.insert(request.extraTables.begin(), request.extraTables.end());
  // The link search leaves fCel at 0; its rows in T_XlCalc are kept all the same.
  if (!request.flags.fCel && db.hasTable("T_XlCalc") &&
      !db.query("SELECT 1 FROM T_XlCalc WHERE Label = " + std::to_string(kLinkSearchCalcLabel) + " LIMIT 1").empty())
    keep.insert("T_XlCalc");
  writeResultFileCopy(db, target, keep);
  return target;
}

}  // namespace zel::analyses
