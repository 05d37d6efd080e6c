// Opening Analyze.mdb with its schema, and the T_XlSaveFlag row that marks a result file.
#pragma once
#include "core/program_folder.h"
#include "core/result_db.h"
#include "core/session_state.h"

#include <set>
#include <string>

namespace zel {

// The schema text (from the program folder, else the installed share folder).
std::string loadSchemaSql(const ProgramPaths& paths);

// Opens DbPath read-write, creating the file and any missing table.
ResultDb openAnalyzeDb(const ProgramPaths& paths);

// The same for a database only one run uses and removes with its folder: a crash loses
// nothing kept, so its writes wait for no disk sync and keep their journal in memory.
ResultDb openScratchAnalyzeDb(const ProgramPaths& paths);

// Every result table of the schema, in schema order.
std::vector<std::string> resultTableNames();

// Writes the one T_XlSaveFlag row (the table is emptied first).
void writeSaveFlagRow(ResultDb& db, const std::string& objName, const DoneFlags& flags, int mSs,
                      const HeaderTexts& header);

}  // namespace zel
