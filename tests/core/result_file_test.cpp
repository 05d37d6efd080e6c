// Result files: names, the safe copy, and the checks on files we are asked to open.
#include "core/result_file.h"
#include "core/result_store.h"
#include "core/vb_error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zel;
using zel::test::TempDir;

namespace {

struct Env {
  TempDir dir;
  ProgramPaths paths = programPathsFor(dir.str() + "prog");
  ResultDb db;
  Env() {
    prepareProgramFolder(paths);
    db = openAnalyzeDb(paths);
  }
  std::string schema() { return loadSchemaSql(paths); }
};

void execOn(const std::string& path, const std::string& sql) { ResultDb(path).exec(sql); }

int64_t count(const std::string& path, const std::string& table) {
  ResultDb db(path, ResultDb::Mode::ReadOnly);
  return std::get<int64_t>(db.query("SELECT COUNT(*) FROM " + table)[0][0]);
}

}  // namespace

TEST(ResultFile, ExtensionRule) {
  EXPECT_EQ(normalizeXdbName("/a/memo"), "/a/memo.xdb");
  EXPECT_EQ(normalizeXdbName("/a/memo.XDB"), "/a/memo.xdb");
  EXPECT_EQ(normalizeXdbName("/a/memoxdb"), "/a/memoxdb.xdb");
  EXPECT_EQ(normalizeXdbName("/a/b.xls"), "/a/b.xls.xdb");
}

TEST(ResultFile, RoundTripKeepsOnlyVouchedTables) {
  Env e;
  e.db.exec("INSERT INTO T_XlName VALUES ('A1','n','s')");
  e.db.exec("INSERT INTO T_XlFile (FileNo, XFileName) VALUES (1, 'old workbook row')");
  e.db.exec("INSERT INTO T_XlTitle VALUES ('Book1.xls')");
  DoneFlags f;
  f.fNam = 1;
  f.fCel = 3;
  f.mCs = 2;
  HeaderTexts h;
  h.Title = "仕様書";
  h.CreateDate = "2026/12/07";
  writeSaveFlagRow(e.db, "Book1.xls", f, 1, h);
  std::string target = e.dir.file("out.xdb");
  writeResultFileCopy(e.db, target, tablesVouchedByFlags(f));
  EXPECT_EQ(count(target, "T_XlName"), 1);
  EXPECT_EQ(count(target, "T_XlFile"), 0);  // filled for another workbook: not handed over
  EXPECT_EQ(count(target, "T_XlTitle"), 1);
  EXPECT_EQ(count(e.paths.DbPath, "T_XlFile"), 1);  // Analyze.mdb itself untouched
  SavedResult r = readResultFile(target, e.schema());
  EXPECT_EQ(r.objName, "Book1.xls");
  EXPECT_EQ(r.flags.fNam, 1);
  EXPECT_EQ(r.flags.fCel, 3);
  EXPECT_EQ(r.flags.mCs, 2);
  EXPECT_EQ(r.mSs, 1);
  EXPECT_EQ(r.header.Title, "仕様書");
  // No temporary files left beside the result.
  int files = 0;
  for (auto& p : std::filesystem::directory_iterator(e.dir.path())) files += p.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST(ResultFile, FailedSaveKeepsOldFile) {
  Env e;
  writeSaveFlagRow(e.db, "a.xls", {}, 2, {});
  std::string target = e.dir.file("keep.xdb");
  writeResultFileCopy(e.db, target, {});
  auto before = zel::test::readFile(target);
  try {
    writeResultFileCopy(e.db, e.dir.file("no/such/folder/x.xdb"), {});
    FAIL();
  } catch (const VbError& err) {
    EXPECT_EQ(err.number(), 75);
  }
  // The rename fails (a non-empty folder holds the name): the error is reported, nothing is left behind.
  std::string blocked = e.dir.file("blocked.xdb");
  zel::test::writeFile(blocked + "/inside", "x");
  EXPECT_THROW(writeResultFileCopy(e.db, blocked, {}), VbError);
  int entries = 0;
  for (auto& p : std::filesystem::directory_iterator(e.dir.path())) entries += p.path().filename().string()[0] == '.';
  EXPECT_EQ(entries, 0);
  if (::geteuid() != 0) {
    ::chmod(e.dir.path().c_str(), 0500);
    EXPECT_THROW(writeResultFileCopy(e.db, target, {}), VbError);
    ::chmod(e.dir.path().c_str(), 0700);
    EXPECT_EQ(zel::test::readFile(target), before);
  }
}

TEST(ResultFile, RejectsDamagedAndForeignFiles) {
  Env e;
  std::string schema = e.schema();
  auto expectInvalid = [&](const std::string& path, ResultFileError::Kind kind) {
    try {
      readResultFile(path, schema);
      ADD_FAILURE() << path;
    } catch (const ResultFileError& err) {
      EXPECT_EQ(err.kind(), kind) << err.what();
    }
  };
  zel::test::writeFile(e.dir.file("text.xdb"), "hello, not a database");
  expectInvalid(e.dir.file("text.xdb"), ResultFileError::Kind::Invalid);
  expectInvalid(e.dir.file("missing.xdb"), ResultFileError::Kind::Invalid);
  execOn(e.dir.file("foreign.xdb"), "CREATE TABLE t(x)");
  expectInvalid(e.dir.file("foreign.xdb"), ResultFileError::Kind::Invalid);
  // All tables but no save row.
  std::string norow = e.dir.file("norow.xdb");
  writeSaveFlagRow(e.db, "a.xls", {}, 2, {});
  writeResultFileCopy(e.db, norow, {});
  execOn(norow, "DELETE FROM T_XlSaveFlag");
  expectInvalid(norow, ResultFileError::Kind::NoSaveRow);
  // A flag out of range would become an option index: refused.
  std::string bad = e.dir.file("bad.xdb");
  writeResultFileCopy(e.db, bad, {});
  execOn(bad, "UPDATE T_XlSaveFlag SET fSoc = 7");
  expectInvalid(bad, ResultFileError::Kind::Invalid);
  execOn(bad, "UPDATE T_XlSaveFlag SET fSoc = 'x'");
  expectInvalid(bad, ResultFileError::Kind::Invalid);
  // A truncated file.
  auto bytes = zel::test::readFile(bad);
  zel::test::writeFile(e.dir.file("trunc.xdb"), bytes.substr(0, bytes.size() / 3));
  expectInvalid(e.dir.file("trunc.xdb"), ResultFileError::Kind::Invalid);
  // A column missing.
  std::string nocol = e.dir.file("nocol.xdb");
  writeResultFileCopy(e.db, nocol, {});
  execOn(nocol, "ALTER TABLE T_XlName DROP COLUMN SheetMei");
  expectInvalid(nocol, ResultFileError::Kind::Invalid);
}
