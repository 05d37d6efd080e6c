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
  writeResultFileCopy(db, target, keep);
  return target;
}

}  // namespace zel::analyses
