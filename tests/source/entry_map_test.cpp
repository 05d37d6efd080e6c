// The entry-point map from module texts: which statements and procedures start code, how
// macro texts resolve, and which procedures the calls reach.
#include "source/entry_map.h"
#include "source/vb_tokens.h"

#include "core/vbstring.h"

#include <gtest/gtest.h>

namespace zel::source {
namespace {

struct Module {
  const char* file;
  ModuleKind kind;
  const char* text;
};

EntryMap mapOf(const std::vector<Module>& modules, const std::vector<WorkbookTrigger>& triggers = {}) {
  EntryMapBuilder b;
  long no = 0;
  for (const Module& m : modules) b.addModule(m.file, m.kind, ++no, ModuleText::fromUtf8(m.text));
  for (const auto& t : triggers) b.addTrigger(t);
  return b.finish();
}

// "kind|location|place|line|trigger|target|module.procedure" per entry.
std::vector<std::string> entryLines(const EntryMap& map) {
  std::vector<std::string> out;
  for (const EntryRow& e : map.entries)
    out.push_back(std::to_string(static_cast<int>(e.kind)) + "|" + e.location + "|" + e.place + "|" +
                  std::to_string(e.line) + "|" + e.trigger + "|" + e.target + "|" +
                  (e.targetProcedure ? *e.targetModule + "." + *e.targetProcedure : "-"));
  return out;
}

// "procedure:entry index" for every procedure, -1 when unreached.
std::vector<std::string> reach(const EntryMap& map) {
  std::vector<std::string> out;
  for (const ReachRow& r : map.procedures) out.push_back(r.procedure + ":" + std::to_string(r.entryIndex));
  return out;
}

using V = std::vector<std::string>;

TEST(EntryMap, EntriesFromCodeAndTheirReach) {
  const EntryMap map = mapOf({
      {"Module1.bas", ModuleKind::Standard,
       "Attribute VB_Name = \"Module1\"\r\n"                  // lines count after it
       "Sub Auto_Open()\r\n"
       "    Application.OnTime Now + TimeValue(\"00:00:05\"), \"Tick\"\r\n"  // the second argument
       "    Application.OnKey \"{F5}\", Procedure:=\"Refresh\"\r\n"
       "    Run \"Module2.Report\" ' Run \"Ghost\" in a comment\r\n"
       "End Sub\r\n"
       "Sub Tick()\r\n"
       "    Helper 1\r\n"                                       // a bare call
       "End Sub\r\n"
       "Private Sub Helper(n)\r\n"
       "    MsgBox \"Dead is only text\"\r\n"
       "End Sub\r\n"
       "Sub Refresh()\r\n"
       "    CommandBars(1).Controls(1).OnAction = \"Missing\"\r\n"
       "    Application.Run sName\r\n"                          // computed: not seen
       "End Sub\r\n"
       "Sub Dead()\r\n"
       "    Call Helper(2)\r\n"
       "End Sub\r\n"},
      {"Module2.bas", ModuleKind::Standard,
       "Sub Report()\r\n"
       "    Dim who As String: who = Application.Caller\r\n"
       "End Sub\r\n"
       "Private Sub Helper()\r\n"   // private elsewhere: not what Module1 calls
       "End Sub\r\n"},
      {"ThisWorkbook.bok", ModuleKind::Book,
       "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n"
       "Private WithEvents App As Application\r\n"
       "Private Sub Workbook_Open()\r\n"
       "End Sub\r\n"
       "Private Sub App_SheetChange(ByVal Sh As Object, ByVal Target As Range)\r\n"
       "End Sub\r\n"},
      {"Sheet1.sht", ModuleKind::Sheet,
       "Private Sub Worksheet_Change(ByVal Target As Range)\r\nEnd Sub\r\n"
       "Private Sub CommandButton1_Click()\r\nEnd Sub\r\n"
       "Private Sub NotAnEvent()\r\nEnd Sub\r\n"},
  });
  EXPECT_EQ(entryLines(map), (V{
      "2|Module1.bas|Auto_Open|1|Auto_Open|Auto_Open|Module1.bas.Auto_Open",
      "4|Module1.bas|Auto_Open|2|Application.OnTime|Tick|Module1.bas.Tick",
      "4|Module1.bas|Auto_Open|3|Application.OnKey {F5}|Refresh|Module1.bas.Refresh",
      "4|Module1.bas|Auto_Open|4|Application.Run|Module2.Report|Module2.bas.Report",
      "4|Module1.bas|Refresh|13|.OnAction|Missing|-",
      "6|Module2.bas|Report|2|Application.Caller|Report|Module2.bas.Report",
      "3|ThisWorkbook.bok|Workbook_Open|2|Workbook_Open|Workbook_Open|ThisWorkbook.bok.Workbook_Open",
      "3|ThisWorkbook.bok|App_SheetChange|4|App_SheetChange|App_SheetChange|ThisWorkbook.bok.App_SheetChange",
      "3|Sheet1.sht|Worksheet_Change|1|Worksheet_Change|Worksheet_Change|Sheet1.sht.Worksheet_Change",
      "3|Sheet1.sht|CommandButton1_Click|3|CommandButton1_Click|CommandButton1_Click|Sheet1.sht.CommandButton1_Click",
  }));
  // Auto_Open reaches Tick, then Helper through the bare call; Dead and the other Helper
  // stay unreached; Report is reached by the Run row, not by its Caller note.
  EXPECT_EQ(reach(map), (V{"Auto_Open:0", "Tick:0", "Helper:0", "Refresh:0", "Dead:-1", "Report:0", "Helper:-1",
                           "Workbook_Open:6", "App_SheetChange:7", "Worksheet_Change:8", "CommandButton1_Click:9",
                           "NotAnEvent:-1"}));
}

TEST(EntryMap, WorkbookTriggersResolveByMacroText) {
  const EntryMap map = mapOf(
      {{"Module1.bas", ModuleKind::Standard, "Sub Main()\r\nEnd Sub\r\nPrivate Sub Quiet()\r\nEnd Sub\r\n"},
       {"Sheet1.sht", ModuleKind::Sheet, "Sub Main()\r\nEnd Sub\r\n"}},
      {{WorkbookTrigger::Kind::Shape, "Data", "Button 1", "ﾎﾞﾀﾝ", "Book1.xls!Main"},
       {WorkbookTrigger::Kind::Shape, "Data", "Button 2", "ﾎﾞﾀﾝ", "'My Book.xls'!Sheet1.Main"},
       {WorkbookTrigger::Kind::Shape, "Data", "Button 3", "ﾎﾞﾀﾝ", "'Quiet 5'"},
       {WorkbookTrigger::Kind::Shape, "Data", "Button 4", "ﾎﾞﾀﾝ", "Deleted"},
       {WorkbookTrigger::Kind::MacroSheetName, "Macro1", "Recalc", "Macro1!$A$1", "Macro1!$A$1"}});
  EXPECT_EQ(entryLines(map), (V{"1|Data|Button 1|0|ｸﾘｯｸ時 (ﾎﾞﾀﾝ)|Book1.xls!Main|Module1.bas.Main",
                                "1|Data|Button 2|0|ｸﾘｯｸ時 (ﾎﾞﾀﾝ)|'My Book.xls'!Sheet1.Main|Sheet1.sht.Main",
                                "1|Data|Button 3|0|ｸﾘｯｸ時 (ﾎﾞﾀﾝ)|'Quiet 5'|Module1.bas.Quiet",
                                "1|Data|Button 4|0|ｸﾘｯｸ時 (ﾎﾞﾀﾝ)|Deleted|-",
                                "5|Macro1|Recalc|0|名前 Recalc|Macro1!$A$1|-"}));
  EXPECT_FALSE(map.entries.back().root);
}

TEST(VbTokens, CommentsStringsAndBrackets) {
  auto texts = [](const char* s) {
    V out;
    for (const VbToken& t : vbTokens(toU16(s))) out.push_back(toU8(t.text));
    return out;
  };
  EXPECT_EQ(texts("x = \"a \"\"b\"\" ' c\" ' comment"), (V{"x", "=", "a \"b\" ' c"}));
  EXPECT_EQ(texts("Rem Call Foo"), V{});
  EXPECT_EQ(texts("Worksheets([Sheet 1]).Name$"), (V{"Worksheets", "(", "Sheet 1", ")", ".", "Name"}));
  EXPECT_EQ(texts("d = #1/2/2000#: Foo"), (V{"d", "=", "#", ":", "Foo"}));
  EXPECT_EQ(texts("s = \"open"), (V{"s", "=", "open"}));  // an unclosed string ends the line
}

}  // namespace
}  // namespace zel::source
