// The entry-point analysis end to end: a built workbook with buttons, an Auto_Open name,
// event procedures, Run/OnTime literals and a dead procedure goes through the open sequence
// and the registry; and on the real workbooks every button with a macro is listed.
#include "analyses/analysis_registry.h"
#include "analyses/result_save.h"
#include "analyses/workbook_opening.h"
#include "support/biff_builder.h"
#include "support/drawing_builder.h"
#include "support/temp_dir.h"
#include "support/vba_builder.h"

#include "core/program_folder.h"
#include "core/result_file.h"
#include "core/result_store.h"
#include "core/vb_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

namespace zel::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

VbaModuleSpec moduleSpec(const std::string& name, int type, const std::string& code) {
  VbaModuleSpec m;
  m.name = name;
  m.type = type;
  m.source = "Attribute VB_Name = \"" + name + "\"\r\n" + code;
  return m;
}

ShapeSpec button(uint16_t id, uint32_t macroName, std::vector<ShapeSpec> members = {}) {
  ShapeSpec s;
  s.kind = members.empty() ? 0x07 : 0x00;  // button, or a group
  s.id = id;
  s.macroNameIndex = macroName;
  s.members = std::move(members);
  return s;
}

struct Analysed {
  TempDir home;
  ProgramPaths paths = programPathsFor(home.str());
  std::optional<ResultDb> db;
  NullProgress progress;
  AnalysisOptions options;
  DoneFlags flags;
  HeaderTexts header;

  void run(const std::string& book) {
    ASSERT_TRUE(prepareProgramFolder(paths, nullptr));
    OpenedWorkbook opened = openWorkbookForAnalysis(book, paths.TempPath);
    db.emplace(openAnalyzeDb(paths));
    analyses::AnalysisContext ctx{*db, progress, paths, options, flags, opened.counts, header, book, &opened.workbook(),
                                  {}, {}, {}, {}, {}};
    const analyses::AnalysisEntry* entry = analyses::findAnalysis("entrypoints");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->run(ctx).report, "R_XlEntry");
  }
  Rows rows(const std::string& sql) {
    Rows out;
    for (const auto& r : db->query(sql)) {
      std::vector<std::string> row;
      for (const auto& v : r) row.push_back(dbValueText(v));
      out.push_back(std::move(row));
    }
    return out;
  }
};

TEST(EntryPoints, BuiltWorkbookGivesItsEntriesAndReach) {
  BiffBuilder b;
  b.name("Main", {});                         // 1: macro of Button 1
  b.name("Sheet1.ShowReport", {});            // 2: macro of a group member
  b.name("Gone", {});                         // 3: a button pointing to a deleted macro
  b.name("Auto_Open", {}, 0, 1);              // 4: built-in Auto_Open
  const int data = b.addSheet("Data");
  addDrawing(b, data, {button(1, 1), button(2, 0, {button(3, 2)}), button(4, 3)});
  VbaProjectSpec spec;
  spec.modules = {
      moduleSpec("ThisWorkbook", 100, "Private Sub Workbook_Open()\r\n    Application.OnTime Now, \"Later\"\r\nEnd Sub\r\n"),
      moduleSpec("Sheet1", 100,
                 "Private Sub Worksheet_Change(ByVal Target As Range)\r\nEnd Sub\r\n"
                 "Sub ShowReport()\r\n    Application.Run \"Module1.Report\"\r\nEnd Sub\r\n"),
      moduleSpec("Module1", 1,
                 "Sub Auto_Open()\r\nEnd Sub\r\n"
                 "Sub Main()\r\n    Prepare\r\nEnd Sub\r\n"
                 "Private Sub Prepare()\r\nEnd Sub\r\n"
                 "Sub Later()\r\nEnd Sub\r\n"
                 "Sub Report()\r\nEnd Sub\r\n"
                 "Sub Dead()\r\n    Prepare\r\nEnd Sub\r\n"),
  };
  for (const auto& [name, bytes] : vbaWorkbookStreams(spec))
    if (name != "Workbook") b.addStream(name, bytes);
  TempDir dir;
  b.write(dir.file("entries.xls"));

  Analysed a;
  a.run(dir.file("entries.xls"));
  EXPECT_EQ(a.flags.fEnt, 1);
  EXPECT_EQ(a.rows("SELECT KindNo, Location, Place, IFNULL(Line, ''), StartType, Target, IFNULL(TargetModule, ''), "
                   "IFNULL(TargetProcedure, ''), Found FROM T_XlEntry ORDER BY EntryNo"),
            (Rows{{"1", "Data", "Button 1", "", "ｸﾘｯｸ時 (ボタン)", "Main", "Module1.bas", "Main", "-1"},
                  {"1", "Data", "Button 3", "", "ｸﾘｯｸ時 (ボタン)", "Sheet1.ShowReport", "Sheet1.sht", "ShowReport", "-1"},
                  {"1", "Data", "Button 4", "", "ｸﾘｯｸ時 (ボタン)", "Gone", "", "", "0"},
                  {"2", "ブック", "Auto_Open", "", "名前 Auto_Open", "Auto_Open", "Module1.bas", "Auto_Open", "-1"},
                  {"2", "Module1.bas", "Auto_Open", "1", "Auto_Open", "Auto_Open", "Module1.bas", "Auto_Open", "-1"},
                  {"3", "ThisWorkbook.bok", "Workbook_Open", "1", "Workbook_Open", "Workbook_Open", "ThisWorkbook.bok",
                   "Workbook_Open", "-1"},
                  {"4", "ThisWorkbook.bok", "Workbook_Open", "2", "Application.OnTime", "Later", "Module1.bas", "Later",
                   "-1"},
                  {"3", "Sheet1.sht", "Worksheet_Change", "1", "Worksheet_Change", "Worksheet_Change", "Sheet1.sht",
                   "Worksheet_Change", "-1"},
                  {"4", "Sheet1.sht", "ShowReport", "4", "Application.Run", "Module1.Report", "Module1.bas", "Report",
                   "-1"}}));
  // Dead is reached by nothing; Prepare, which Dead calls, is reached through Main; what code
  // starts by name counts from the entry that reaches that code.
  EXPECT_EQ(a.rows("SELECT objectName, ProcedureName, Reached, IFNULL(EntryNo, '') FROM T_XlReach ORDER BY rowid"),
            (Rows{{"Module1.bas", "Auto_Open", "-1", "4"},
                  {"Module1.bas", "Main", "-1", "1"},
                  {"Module1.bas", "Prepare", "-1", "1"},
                  {"Module1.bas", "Later", "-1", "6"},
                  {"Module1.bas", "Report", "-1", "2"},
                  {"Module1.bas", "Dead", "0", ""},
                  {"ThisWorkbook.bok", "Workbook_Open", "-1", "6"},
                  {"Sheet1.sht", "Worksheet_Change", "-1", "8"},
                  {"Sheet1.sht", "ShowReport", "-1", "2"}}));

  // The result file keeps both tables and says so when loaded; a file saved before the
  // tables existed still loads, without them.
  const std::string saved = analyses::saveResultFile(*a.db, dir.file("r.xdb"), {"entries.xls", a.flags, 2, a.header, {}});
  const std::string schema = loadSchemaSql(a.paths);
  EXPECT_EQ(readResultFile(saved, schema).flags.fEnt, 1);
  {
    ResultDb old(saved);
    old.exec("DROP TABLE T_XlEntry");
    old.exec("DROP TABLE T_XlReach");
  }
  EXPECT_EQ(readResultFile(saved, schema).flags.fEnt, 0);
  {
    ResultDb broken(saved);
    broken.exec("CREATE TABLE T_XlEntry (EntryNo INTEGER)");
  }
  EXPECT_THROW(readResultFile(saved, schema), ResultFileError);  // present but short of columns
}

// Every shape with a macro on the real workbooks, as (sheet, name, macro text).
Rows macroShapes(const xls::Workbook& book) {
  Rows out;
  std::function<void(const std::string&, const std::vector<xls::drawing::Shape>&)> walk =
      [&](const std::string& sheet, const std::vector<xls::drawing::Shape>& shapes) {
        for (const auto& s : shapes) {
          if (!s.onAction.empty()) out.push_back({sheet, s.name, s.onAction});
          walk(sheet, s.members);
        }
      };
  for (int i = 1; i <= book.sheetCount(); ++i) walk(book.sheet(i).name(), book.sheet(i).drawing().shapes);
  return out;
}

TEST(EntryPoints, EveryButtonOfTheRealWorkbooksIsListedWithItsTarget) {
  int books = 0;
  for (const auto& f : std::filesystem::directory_iterator(dataFile(""))) {
    if (f.path().extension() != ".xls") continue;
    std::unique_ptr<xls::Workbook> book;
    try {
      book = xls::Workbook::open(f.path().string());
    } catch (const std::exception&) {
      continue;
    }
    const Rows expected = macroShapes(*book);
    if (expected.empty()) continue;
    ++books;
    Analysed a;
    try {
      a.run(f.path().string());
    } catch (const VbError& e) {
      ADD_FAILURE() << f.path() << ": " << e.what();
      continue;
    }
    EXPECT_EQ(a.rows("SELECT Location, Place, Target FROM T_XlEntry WHERE KindNo = 1 ORDER BY EntryNo"), expected)
        << f.path();
  }
  EXPECT_GE(books, 2);
}

}  // namespace
}  // namespace zel::test
