// Analyze.mdb set-up and the save-flag row shared by the save command and the command line.
#include "core/result_store.h"

#include "core/profile_file.h"

namespace zel {

std::string loadSchemaSql(const ProgramPaths& paths) {
  std::string sql;
  if (readSmallFile(paths.AppPath + "schema.sql", sql) && !sql.empty()) return sql;
  if (readSmallFile(shareFolder() + "/schema.sql", sql) && !sql.empty()) return sql;
  throw DbError(1, "schema.sql not found");
}

ResultDb openAnalyzeDb(const ProgramPaths& paths) {
  ResultDb db(paths.DbPath);
  db.ensureSchema(loadSchemaSql(paths));
  return db;
}

ResultDb openScratchAnalyzeDb(const ProgramPaths& paths) {
  ResultDb db(paths.DbPath);
  db.exec("PRAGMA journal_mode=MEMORY");
  db.exec("PRAGMA synchronous=OFF");
  // Without syncs a page written out during a transaction costs no more than one written at
  // its commit: a few MB of cache, reused, instead of every page of a large listing in memory.
  db.exec("PRAGMA cache_size=-4096");
  db.ensureSchema(loadSchemaSql(paths));
  return db;
}

std::vector<std::string> resultTableNames() {
  return {"T_XlSaveFlag", "T_XlTitle",   "T_XlHyousi",  "T_XlBook",    "T_XlLink",      "T_XlObject",
          "T_XlCalc",     "T_XlShape",   "T_XlName",    "T_XlFile",    "T_XlAddin",     "T_XlProcName",
          "T_XlDimCall",  "T_XlHensu",   "T_XlSource",  "T_XlModStep", "T_XlComment",   "T_XlLinkModule",
          "T_XlEntry",    "T_XlReach"};
}


void writeSaveFlagRow(ResultDb& db, const std::string& objName, const DoneFlags& f, int mSs,
                      const HeaderTexts& h) {
  ResultDb::Run run(db);
  db.clearTable("T_XlSaveFlag");
  TableWriter rs(db, "T_XlSaveFlag");
  rs.addNew();
  rs.set("ObjName", objName);
  rs.set("fObj", f.fObj);
  rs.set("fCel", f.fCel);
  rs.set("fPrc", f.fPrc);
  rs.set("fSoc", f.fSoc);
  rs.set("fShp", f.fShp);
  rs.set("fDim", f.fDim);
  rs.set("fFil", f.fFil);
  rs.set("fCom", f.fCom);
  rs.set("fNam", f.fNam);
  rs.set("fAdd", f.fAdd);
  rs.set("fSocS", f.fSocS);
  rs.set("fCrs", f.fCrs);
  rs.set("mCs", f.mCs);
  rs.set("mSs", mSs);
  rs.set("Title", h.Title);
  rs.set("System", h.System);
  rs.set("Company", h.Company);
  rs.set("Bumon", h.Bumon);
  rs.set("Auther", h.Auther);
  rs.set("CreateDate", h.CreateDate);
  rs.update();
}

}  // namespace zel
