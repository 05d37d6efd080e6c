// zelvarin-cli analyze end to end: program folder, module export into temp/, the result
// file with its T_XlSaveFlag row, source analyses, locked projects, bad usage.
#include "core/result_db.h"
#include "cli_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using zel::test::runCli;

namespace {

// Rows of a query on a database file opened read-only, every value as text.
std::vector<std::vector<std::string>> queryFile(const std::string& path, const std::string& sql) {
  zel::ResultDb db(path, zel::ResultDb::Mode::ReadOnly);
  std::vector<std::vector<std::string>> rows;
  for (const auto& r : db.query(sql)) {
    rows.emplace_back();
    for (const auto& v : r) rows.back().push_back(zel::dbValueText(v));
  }
  return rows;
}

struct Home {
  zel::test::TempDir dir;
  std::string home = dir.file("home");
  Home() {
    fs::create_directories(home);
    zel::test::writeFile(home + "/Zelvarin.dat", "Title=テスト仕様書\r\nKisya=\r\nBumon=開発部\r\nZoom=100\r\n");
  }
};

}  // namespace

TEST(AnalyzeCommand, WritesAResultFileWithItsSaveFlagRow) {
  Home h;
  std::string result = h.dir.file("result.xdb");
  auto r = runCli({"analyze", zel::test::dataFile("SimpleMacro.xls"), "-o", result, "--only", "files,cover", "--home",
                   h.home, "--set", "System=Sample", "--set", "ColumnOption=1"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto flags = queryFile(result, "SELECT ObjName, fFil, fObj, fPrc, mSs, Title, System, Company, Bumon, Auther, "
                                 "CreateDate FROM T_XlSaveFlag");
  ASSERT_EQ(flags.size(), 1u);
  const std::string today = queryFile(result, "SELECT strftime('%Y/%m/%d', 'now', 'localtime')")[0][0];
  EXPECT_EQ(flags[0], (std::vector<std::string>{"SimpleMacro.xls", "1", "0", "0", "1", "テスト仕様書", "Sample", "",
                                                "開発部", "Nick Burch", today}));
  // The cover row travels with the file; the result stands alone (no journal beside it).
  auto cover = queryFile(result, "SELECT SysTitle, Bumon FROM T_XlHyousi");
  ASSERT_EQ(cover.size(), 1u);
  EXPECT_EQ(cover[0][0], "テスト仕様書");
  EXPECT_EQ(queryFile(result, "PRAGMA journal_mode")[0][0], "delete");
  EXPECT_FALSE(fs::exists(result + "-journal"));
  EXPECT_FALSE(fs::exists(result + "-wal"));
  // The modules were exported into the program folder's temp/.
  EXPECT_TRUE(fs::exists(h.home + "/temp/Module1.bas"));
  EXPECT_TRUE(fs::exists(h.home + "/temp/ThisWorkbook.bok"));
}

TEST(AnalyzeCommand, EachOpenReplacesTheExportedModules) {
  Home h;
  ASSERT_EQ(runCli({"analyze", zel::test::dataFile("SimpleMacro.xls"), "-o", h.dir.file("a"), "--only", "cover",
                    "--home", h.home}).status, 0);
  ASSERT_TRUE(fs::exists(h.home + "/temp/Module1.bas"));
  auto r = runCli({"analyze", zel::test::dataFile("SquareMacro.xls"), "-o", h.dir.file("b"), "--only", "cover",
                   "--home", h.home});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(h.home + "/temp/Module1.bas"));
  EXPECT_TRUE(fs::exists(h.home + "/temp/UserDefinedFunctions.bas"));
  EXPECT_TRUE(fs::exists(h.dir.file("b.xdb")));  // the extension is added as the save command does
}

TEST(AnalyzeCommand, LockedProjectStopsBeforeAnyResult) {
  Home h;
  zel::test::writeMacroWorkbook(h.dir.file("locked.xls"), zel::test::lockedProject());
  auto r = runCli({"analyze", h.dir.file("locked.xls"), "-o", h.dir.file("r.xdb"), "--home", h.home});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("プロジェクトが保護されています。"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(h.dir.file("r.xdb")));
}

TEST(AnalyzeCommand, BadUsageIsStatusTwoAndTouchesNothing) {
  Home h;
  std::string book = zel::test::dataFile("SimpleMacro.xls");
  const std::string r = h.dir.file("r");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"analyze", book, "--home", h.home},  // no -o
           {"analyze", "-o", "r.xdb"},           // no workbook
           {"analyze", book, "-o", r, "--only", "everything"},
           {"analyze", book, "-o", r, "--set", "ProcLevel=3"},
           {"analyze", book, "-o", r, "--set", "Colour=1"},
           {"analyze", book, "-o", r, "--bogus"}})
    EXPECT_EQ(runCli(args).status, 2) << args.back();
  EXPECT_FALSE(fs::exists(h.home + "/Analyze.mdb"));
}

TEST(AnalyzeCommand, UnwritableResultFolderFailsAndLeavesNoTemporaryFile) {
  Home h;
  auto r = runCli({"analyze", zel::test::dataFile("SimpleMacro.xls"), "-o", h.dir.file("missing/r.xdb"), "--only",
                   "cover", "--home", h.home});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(fs::exists(h.dir.file("missing")));
  auto unreadable = runCli({"analyze", h.dir.file("none.xls"), "-o", h.dir.file("r.xdb"), "--home", h.home});
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_FALSE(fs::exists(h.dir.file("r.xdb")));
}

TEST(AnalyzeCommand, SourceAnalysesReadTheExportedModules) {
  Home h;
  std::string result = h.dir.file("square.xdb");
  auto r = runCli({"analyze", zel::test::dataFile("SquareMacro.xls"), "-o", result, "--only", "procedures",
                   "--home", h.home});
  ASSERT_EQ(r.status, 0) << r.err;
  // UserDefinedFunctions holds the functions SQR, ONE and TWO.
  auto procs = queryFile(result, "SELECT objectName, ProcedureName FROM T_XlProcName ORDER BY ProcedureNo");
  EXPECT_EQ(procs, (std::vector<std::vector<std::string>>{{"UserDefinedFunctions.bas", "SQR"},
                                                           {"UserDefinedFunctions.bas", "ONE"},
                                                           {"UserDefinedFunctions.bas", "TWO"}}));
  EXPECT_EQ(queryFile(result, "SELECT fPrc FROM T_XlSaveFlag")[0][0], "2");

  // Only a sheet module: no module to list, the notice instead, the flag stays 0.
  std::string sheetOnly = h.dir.file("checkboxes.xdb");
  auto n = runCli({"analyze", zel::test::dataFile("WithCheckBoxes.xls"), "-o", sheetOnly, "--only", "procedures",
                   "--home", h.home});
  EXPECT_EQ(n.status, 0) << n.err;
  EXPECT_NE(n.err.find("このﾌｧｲﾙにはModuleは存在しません"), std::string::npos) << n.err;
  EXPECT_EQ(queryFile(sheetOnly, "SELECT fPrc FROM T_XlSaveFlag")[0][0], "0");
  EXPECT_TRUE(fs::exists(h.home + "/temp/Sheet1.sht"));
}

TEST(AnalyzeCommand, RelativeWorkbookPathIsStoredInFull) {
  Home h;
  const std::string book = h.dir.file("SimpleMacro.xls");
  fs::copy_file(zel::test::dataFile("SimpleMacro.xls"), book);
  const fs::path before = fs::current_path();
  fs::current_path(h.dir.path());
  auto r = runCli({"analyze", "SimpleMacro.xls", "-o", "r.xdb", "--only", "object", "--home", h.home});
  fs::current_path(before);
  ASSERT_EQ(r.status, 0) << r.err;
  auto rows = queryFile(h.dir.file("r.xdb"), "SELECT XFileName FROM T_XlBook");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], book);
}

TEST(AnalyzeCommand, HeaderFileLineAndLinkSearchRowsTravelWithTheFile) {
  Home h;
  const std::string book = zel::test::dataFile("46670_local.xls");
  const std::string result = h.dir.file("links.xdb");
  auto r = runCli({"analyze", book, "-o", result, "--only", "linksearch", "--home", h.home, "--set",
                   "LinkSource=refs\\airport.xls", "--header", "path"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(queryFile(result, "SELECT FileName FROM T_XlTitle"),
            (std::vector<std::vector<std::string>>{{fs::absolute(book).lexically_normal().string()}}));
  EXPECT_EQ(queryFile(result, "SELECT Label, StCell FROM T_XlCalc"), (std::vector<std::vector<std::string>>{{"9", "A1"}}));

  const std::string named = h.dir.file("named.xdb");
  ASSERT_EQ(runCli({"analyze", book, "-o", named, "--only", "files", "--home", h.home, "--header", "file"}).status, 0);
  EXPECT_EQ(queryFile(named, "SELECT FileName FROM T_XlTitle"),
            (std::vector<std::vector<std::string>>{{"46670_local.xls"}}));
  EXPECT_EQ(runCli({"analyze", book, "-o", named, "--header", "text="}).status, 2);
}
