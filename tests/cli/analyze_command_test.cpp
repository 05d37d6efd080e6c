// zelvarin-cli analyze end to end: program folder, module export into temp/, the result
// file with its T_XlSaveFlag row, source analyses, runs side by side, locked and damaged
// projects, damaged workbooks, bad usage.
#include "core/result_db.h"
#include "cli_runner.h"
#include "support/biff_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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
}

// Two runs at once on one program folder, while a window's Analyze.mdb and temp/ are there:
// each result holds its own workbook's modules, and the window's state is left as it was.
TEST(AnalyzeCommand, RunsSideBySideKeepTheirOwnStateAndLeaveTheWindowsAlone) {
  Home h;
  zel::ResultDb(h.home + "/Analyze.mdb").exec("CREATE TABLE marker(x); INSERT INTO marker VALUES ('window')");
  zel::test::writeFile(h.home + "/temp/Open.bas", "Attribute VB_Name = \"Open\"\r\n");
  struct Run {
    std::string book, result;
    pid_t pid = -1;
  };
  std::vector<Run> runs = {{zel::test::dataFile("SimpleMacro.xls"), h.dir.file("simple.xdb")},
                           {zel::test::dataFile("SquareMacro.xls"), h.dir.file("square.xdb")},
                           {zel::test::dataFile("SimpleMacro.xls"), h.dir.file("simple2.xdb")},
                           {zel::test::dataFile("SquareMacro.xls"), h.dir.file("square2.xdb")}};
  for (auto& run : runs) {
    run.pid = ::fork();
    ASSERT_GE(run.pid, 0);
    if (run.pid == 0) {
      if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) ::_exit(99);
      auto r = runCli({"analyze", run.book, "-o", run.result, "--only", "module,procedures", "--home", h.home});
      ::_exit(r.status);
    }
  }
  for (auto& run : runs) {
    int status = 0;
    ASSERT_EQ(::waitpid(run.pid, &status, 0), run.pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << run.result;
    auto modules = queryFile(run.result, "SELECT DISTINCT objectName FROM T_XlSource ORDER BY 1");
    const bool square = run.book.find("Square") != std::string::npos;
    ASSERT_FALSE(modules.empty()) << run.result;
    for (const auto& m : modules)
      EXPECT_EQ(m[0] == "UserDefinedFunctions.bas", square) << run.result << " holds " << m[0];
  }
  EXPECT_EQ(queryFile(h.home + "/Analyze.mdb", "SELECT x FROM marker")[0][0], "window");
  EXPECT_FALSE(zel::ResultDb(h.home + "/Analyze.mdb", zel::ResultDb::Mode::ReadOnly).hasTable("T_XlSource"));
  EXPECT_EQ(zel::test::readFile(h.home + "/temp/Open.bas"), "Attribute VB_Name = \"Open\"\r\n");
  EXPECT_FALSE(fs::exists(h.home + "/temp/Module1.bas"));
  EXPECT_TRUE(fs::is_empty(h.home + "/cli"));  // every run removed its own folder
}

// A project locked for viewing, or one whose dir stream is missing: the workbook analyses run
// as on the readable project, the code analyses are skipped and named, status 3.
TEST(AnalyzeCommand, UnreadableProjectSkipsOnlyTheCodeAnalyses) {
  Home h;
  auto readable = zel::test::lockedProject();
  readable.visibility = 0xFF;
  readable.password = false;
  // The same file name in three folders; each folder is replaced by "<dir>" in the rows.
  auto book = [&](const std::string& kind) { return h.dir.file(kind + "/book.xls"); };
  fs::create_directories(h.dir.file("open"));
  fs::create_directories(h.dir.file("locked"));
  fs::create_directories(h.dir.file("nodir"));
  zel::test::writeMacroWorkbook(book("open"), readable);
  zel::test::writeMacroWorkbook(book("locked"), zel::test::lockedProject());
  {
    zel::test::BiffBuilder b;
    b.addSheet("Sheet1");
    for (const auto& [name, bytes] : zel::test::vbaWorkbookStreams(readable))
      if (name != "Workbook" && name.find("/dir") == std::string::npos) b.addStream(name, bytes);
    b.write(book("nodir"));
  }
  auto rows = [&](const std::string& kind, const std::string& sql) {
    auto out = queryFile(h.dir.file(kind + ".xdb"), sql);
    const std::string folder = h.dir.file(kind) + "/";
    for (auto& row : out)
      for (auto& v : row)
        for (size_t at; (at = v.find(folder)) != std::string::npos;) v.replace(at, folder.size(), "<dir>/");
    return out;
  };
  ASSERT_EQ(runCli({"analyze", book("open"), "-o", h.dir.file("open.xdb"), "--home", h.home}).status, 0);
  for (const std::string kind : {"locked", "nodir"}) {
    auto r = runCli({"analyze", book(kind), "-o", h.dir.file(kind + ".xdb"), "--home", h.home});
    EXPECT_EQ(r.status, 3) << r.err;
    const std::string why = kind == "locked" ? "locked for viewing" : "damaged";
    EXPECT_NE(r.err.find("skipped procedures, module, variables, steps, comments, crossref: the macro project is " + why),
              std::string::npos) << r.err;
    // The workbook tables; the file's own size and date differ between the three files.
    for (const std::string sql :
         {"SELECT BookNo, XFileName, Title, SubTitle, Auther, Keywords, Comments, LastAuther, PrintDate, CreateDate, "
          "Category, Manager, Company, Hyperlink, Label FROM T_XlBook",
          "SELECT * FROM T_XlLink", "SELECT * FROM T_XlCalc", "SELECT * FROM T_XlShape", "SELECT * FROM T_XlName",
          "SELECT * FROM T_XlAddin", "SELECT * FROM T_XlHyousi"})
      EXPECT_EQ(rows(kind, sql), rows("open", sql)) << kind << " " << sql;
    EXPECT_EQ(rows(kind, "SELECT * FROM T_XlObject"), rows("open", "SELECT * FROM T_XlObject WHERE objectName <> 'Secret'"))
        << kind;
    EXPECT_EQ(rows("open", "SELECT COUNT(*) FROM T_XlObject WHERE objectName = 'Secret'")[0][0], "1");
    for (const std::string t : {"T_XlProcName", "T_XlSource", "T_XlHensu", "T_XlModStep", "T_XlComment",
                                "T_XlLinkModule", "T_XlDimCall"})
      EXPECT_TRUE(rows(kind, "SELECT * FROM " + t).empty()) << kind << " " << t;
    EXPECT_EQ(rows(kind, "SELECT fObj > 0, fPrc, fSoc, fDim, fSocS, fCom, fCrs FROM T_XlSaveFlag")[0],
              (std::vector<std::string>{"1", "0", "0", "0", "0", "0", "0"})) << kind;
  }
  // inspect shows the lock and no component.
  auto shown = runCli({"inspect", book("locked")});
  EXPECT_EQ(shown.status, 0);
  EXPECT_NE(shown.out.find("Macro project: locked for viewing\n"), std::string::npos) << shown.out;
  EXPECT_EQ(shown.out.find("Secret"), std::string::npos) << shown.out;
  EXPECT_NE(runCli({"inspect", book("open"), "--json"}).out.find(R"({"name": "Secret", "type": 1})"), std::string::npos);
}

// A workbook stream cut inside its global records: the reader's warnings are shown and the
// run is not a success.
TEST(AnalyzeCommand, WorkbookCutInsideItsGlobalsIsNotASuccess) {
  Home h;
  zel::test::BiffBuilder full;
  full.addSheet("Sheet1");
  full.addSheet("Sheet2");
  auto stream = full.workbookStream();
  stream.resize(stream.size() / 3);
  zel::test::BiffBuilder cut;
  cut.omitWorkbookStream();
  cut.addStream("Workbook", stream);
  cut.write(h.dir.file("cut.xls"));
  auto r = runCli({"analyze", h.dir.file("cut.xls"), "-o", h.dir.file("cut.xdb"), "--only", "object", "--home", h.home});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("warning: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("could not all be read"), std::string::npos) << r.err;
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

// A result file whose table became a view never has its stored SQL run by a report.
TEST(ReportCommand, RefusesAResultFileThatHoldsStoredSql) {
  Home h;
  const std::string result = h.dir.file("r.xdb");
  ASSERT_EQ(runCli({"analyze", zel::test::dataFile("SimpleMacro.xls"), "-o", result, "--only", "names", "--home",
                    h.home}).status, 0);
  zel::ResultDb(result).exec(
      "DROP TABLE T_XlName; CREATE VIEW T_XlName AS WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c) "
      "SELECT i AS StCell, i AS LabelName, i AS SheetMei FROM c ORDER BY 1");
  auto r = runCli({"report", result, "R_XlName", "-o", h.dir.file("out.pdf")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not a plain table"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(h.dir.file("out.pdf")));
}
