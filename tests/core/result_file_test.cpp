// Result files: names, the safe copy, and the checks on files we are asked to open.
#include "core/result_file.h"
#include "core/result_store.h"
#include "core/vb_error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <chrono>
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

// Both ways of copying: pages as they are (a database without free pages) and rebuilt (one
// with free pages, left by rows deleted before).
TEST(ResultFile, RoundTripKeepsOnlyVouchedTables) {
  for (bool freePages : {false, true}) {
    SCOPED_TRACE(freePages ? "rebuilt copy" : "page copy");
    Env e;
    if (freePages) {
      e.db.exec("INSERT INTO T_XlSource (Label, \"Procedure\") VALUES (1, zeroblob(100000))");
      e.db.exec("DELETE FROM T_XlSource");
    }
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
    // ... nor left readable in the file's free pages
    EXPECT_EQ(zel::test::readFile(target).find("old workbook row"), std::string::npos);
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
  for (const char* set : {"fSoc = 'x'", "fSoc = 0, mSs = 5", "mSs = 2, fCel = 2, mCs = 0"}) {
    execOn(bad, std::string("UPDATE T_XlSaveFlag SET ") + set);
    expectInvalid(bad, ResultFileError::Kind::Invalid);
  }
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

// Result files are exchanged between users: anything but plain tables of the known columns is
// refused before a query of ours could run stored SQL.
TEST(ResultFile, RefusesStoredSqlAndComputedColumns) {
  Env e;
  std::string schema = e.schema();
  writeSaveFlagRow(e.db, "a.xls", {}, 2, {});
  std::string good = e.dir.file("good.xdb");
  writeResultFileCopy(e.db, good, {});
  const std::string bytes = zel::test::readFile(good);
  const std::vector<std::pair<std::string, std::string>> crafted = {
      {"view", "DROP TABLE T_XlName; CREATE VIEW T_XlName AS WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL "
               "SELECT i + 1 FROM c) SELECT i AS StCell, i AS LabelName, i AS SheetMei FROM c"},
      {"generated", "DROP TABLE T_XlName; CREATE TABLE T_XlName (StCell TEXT, LabelName TEXT, SheetMei TEXT "
                    "AS (zeroblob(1000000000)) VIRTUAL)"},
      {"stored generated", "DROP TABLE T_XlName; CREATE TABLE T_XlName (StCell TEXT, LabelName TEXT, SheetMei TEXT "
                           "AS (StCell || LabelName) STORED)"},
      {"extra column", "ALTER TABLE T_XlName ADD COLUMN Extra TEXT"},
      {"trigger", "CREATE TRIGGER t AFTER INSERT ON T_XlName BEGIN DELETE FROM T_XlBook; END"},
      {"index", "CREATE INDEX i ON T_XlName(length(StCell))"},
      {"virtual table", "DROP TABLE T_XlName; CREATE VIRTUAL TABLE T_XlName USING rtree(StCell, LabelName, SheetMei)"},
      {"unknown table", "CREATE TABLE T_Other (x)"},
      {"missing table", "DROP TABLE T_XlSource"},
  };
  for (const auto& [what, sql] : crafted) {
    const std::string path = e.dir.file("crafted.xdb");
    zel::test::writeFile(path, bytes);
    execOn(path, sql);
    EXPECT_THROW(readResultFile(path, schema), ResultFileError) << what;
    EXPECT_THROW(openResultFile(path, schema), ResultFileError) << what;
  }
  // Not a regular file: refused without blocking.
  ASSERT_EQ(::mkfifo(e.dir.file("fifo.xdb").c_str(), 0600), 0);
  EXPECT_THROW(readResultFile(e.dir.file("fifo.xdb"), schema), ResultFileError);

  // A table the schema gained later may be missing (it reads as empty); the file is never written.
  ResultDb db = openResultFile(good, schema + "CREATE TABLE IF NOT EXISTS T_XlLater (a TEXT, b INTEGER);");
  EXPECT_TRUE(db.query("SELECT * FROM T_XlLater").empty());
  EXPECT_THROW(db.exec("DELETE FROM T_XlName"), DbError);
  // Work is bounded: a query that would never end is stopped.
  EXPECT_THROW(db.query("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c) SELECT COUNT(*) FROM c"),
               DbError);
  EXPECT_EQ(zel::test::readFile(good), bytes);
}

// A save killed midway leaves a hidden temporary file: the next save into the folder removes
// ours once old, and leaves young ones, links and other names alone.
TEST(ResultFile, NextSaveRemovesStaleTemporaryFiles) {
  Env e;
  writeSaveFlagRow(e.db, "a.xls", {}, 2, {});
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
  auto plant = [&](const std::string& name, bool aged) {
    zel::test::writeFile(e.dir.file(name), "partial");
    if (aged) std::filesystem::last_write_time(e.dir.file(name), old);
  };
  plant(".r.xdb.tmp-0123abcd", true);
  plant(".r.xdb.tmp-0123abcd-journal", true);
  plant(".other.xdb.tmp-89abcdef", true);
  plant(".r.xdb.tmp-fedcba98", false);
  plant(".notes.txt.tmp-01234567", true);
  std::filesystem::create_symlink(e.dir.file("target"), e.dir.file(".l.xdb.tmp-00000000"));
  writeResultFileCopy(e.db, e.dir.file("r.xdb"), {});
  EXPECT_FALSE(std::filesystem::exists(e.dir.file(".r.xdb.tmp-0123abcd")));
  EXPECT_FALSE(std::filesystem::exists(e.dir.file(".r.xdb.tmp-0123abcd-journal")));
  EXPECT_FALSE(std::filesystem::exists(e.dir.file(".other.xdb.tmp-89abcdef")));
  EXPECT_TRUE(std::filesystem::exists(e.dir.file(".r.xdb.tmp-fedcba98")));
  EXPECT_TRUE(std::filesystem::exists(e.dir.file(".notes.txt.tmp-01234567")));
  EXPECT_TRUE(std::filesystem::is_symlink(e.dir.file(".l.xdb.tmp-00000000")));
  EXPECT_FALSE(std::filesystem::exists(e.dir.file("target")));
}
