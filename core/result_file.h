// Saved result files (*.xdb): writing a safe standalone copy of Analyze.mdb, and checking a
// file we are asked to open before anything of it is used.
#pragma once
#include "core/result_db.h"
#include "core/result_file_open.h"
#include "core/session_state.h"

#include <set>
#include <string>

namespace zel {

// "memo" -> "memo.xdb", "a.XDB" -> "a.xdb", "memoxdb" -> "memoxdb.xdb", "a.xls" -> "a.xls.xdb".
std::string normalizeXdbName(const std::string& path);

// The result tables that a done flag vouches for (tables filled by that analysis).
std::set<std::string> tablesVouchedByFlags(const DoneFlags& flags);

// Copies the open database to target: a temporary file in the target folder (a page copy, or
// VACUUM INTO when the source has free pages), reopened, emptied of every result table not in
// keepTables (T_XlSaveFlag and T_XlTitle are always kept; freed pages are zeroed), checked,
// synced, then renamed over target. The source is never changed.
// Throws VbError (number 75 path/file access error, 3000+ database errors) and removes the
// temporary file when anything fails; an existing target is then left as it was.
void writeResultFileCopy(ResultDb& source, const std::string& target, const std::set<std::string>& keepTables);

// What a result file says about itself (its T_XlSaveFlag row).
struct SavedResult {
  std::string objName;
  DoneFlags flags;
  int mSs = 0;
  HeaderTexts header;
  bool linkSearchRows = false;  // T_XlCalc holds the link search's rows (fCel is 0 then)
};

// Label of the link search's rows in T_XlCalc.
inline constexpr int kLinkSearchCalcLabel = 9;

// Opens path as openResultFile does and reads its T_XlSaveFlag row, every flag within its
// range. Throws ResultFileError (NoSaveRow when only the row is missing).
SavedResult readResultFile(const std::string& path, const std::string& schemaSql);

}  // namespace zel
