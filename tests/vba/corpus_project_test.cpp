// Macro projects of real workbooks: component order, types, names and file names, and the
// export text against what the files hold (expected values taken from the files with an
// independent reader).
#include "support/temp_dir.h"
#include "xls/compound_file.h"
#include "xls/vba/vba_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace zel::xls;
using namespace zel::xls::vba;

namespace {

struct ModuleFacts {
  const char* name;
  int type;
  int storedLines;     // lines of the stored source
  int hiddenLines;     // module attributes the export leaves out
  const char* firstCode;  // first line that is not an Attribute line ("" when none)
  const char* lastCode;
};

struct WorkbookFacts {
  const char* file;
  int codePage;
  std::vector<ModuleFacts> modules;
};

const std::vector<WorkbookFacts>& corpus() {
  static const std::vector<WorkbookFacts> facts = {
      {"SimpleMacro.xls", 1252, {
           {"Module1", 1, 13, 0, "Sub TestMacro()", "End Sub"},
           {"ThisWorkbook", 100, 8, 3, "", ""},
           {"Sheet1", 100, 8, 3, "", ""},
           {"Sheet2", 100, 8, 3, "", ""},
           {"Sheet3", 100, 8, 3, "", ""}}},
      {"39234.xls", 1251, {
           {"ThisWorkbook", 100, 12, 3, "Private Sub Workbook_Open()", ""},
           {"Sheet1", 100, 8, 3, "", ""},
           {"Sheet2", 100, 8, 3, "", ""},
           {"Sheet3", 100, 8, 3, "", ""},
           {"JML", 1, 5, 0, "Option Explicit", ""},
           {"UTIL", 2, 8, 3, "", ""},
           {"Loader", 2, 8, 3, "", ""}}},
      {"ex42570-20305.xls", 1255, {
           {"ThisWorkbook", 100, 8, 3, "", ""},
           {"Sheet1", 100, 8, 3, "", ""},
           {"UserForm1", 3, 8, 3, "", ""},
           {"Module1", 1, 42, 0, "Sub update()", ""},
           {"Chart7", 100, 8, 3, "", ""}}},
      {"60273.xls", 10000, {
           {"Module1", 1, 12, 0, "Sub DeleteFormat()", "End Sub"},
           {"ThisWorkbook", 100, 8, 3, "", ""}}},
      {"12561-2.xls", 932, {
           {"Sheet1", 100, 8, 3, "", ""},
           {"ThisWorkbook", 100, 8, 3, "", ""}}},
      {"ex45046-21984.xls", 1252, {
           {"DieseArbeitsmappe", 100, 8, 3, "", ""},
           {"Tabelle1", 100, 8, 3, "", ""},
           {"Tabelle2", 100, 8, 3, "", ""},
           {"Tabelle3", 100, 8, 3, "", ""},
           {"Modul1", 1, 6, 0,
            "Function ipcSummenproduktIntern(mitarbeiternr As String, datum As Date, kategorie As String, position As Integer)",
            ""}}},
      {"59858.xls", 1252, {
           {"Sheet1", 100, 236, 4, "Option Explicit", "End Sub"},
           {"ThisWorkbook", 100, 106, 3, "Option Explicit", "End Sub"},
           {"Sheet2", 100, 100, 6, "Option Explicit", ""},
           {"Sheet3", 100, 8, 3, "", ""},
           {"Sheet4", 100, 67, 6, "Private Sub cmdAddMfg_Click()", "End Sub"},
           {"Sheet5", 100, 10, 3, "Option Explicit", ""},
           {"SupportFunctions", 1, 334, 0, "Option Explicit", "End Function"},
           {"ReferencesAndConstants", 1, 63, 0, "Option Explicit",
            "Public blIgnoreChanges As Boolean                                             ' Tells "
            "Workbook_SheetChange whether or not to monitor (defaults to False on load)"},
           {"frmPageCreation", 3, 107, 3, "Option Explicit", "End Sub"},
           {"Sheet6", 100, 8, 3, "", ""},
           {"Sheet7", 100, 100, 6, "Option Explicit", ""}}},
  };
  return facts;
}

std::vector<std::string> crlfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
    lines.push_back(text.substr(start, pos - start));
  EXPECT_EQ(start, text.size()) << "text must end with CR LF";
  return lines;
}

size_t headerLines(const std::vector<std::string>& lines) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind("Attribute VB_Name = ", 0) == 0) return i;
  return lines.size();
}

VbaProject readProject(const std::string& file) {
  auto cf = CompoundFile::open(zel::test::dataFile(file));
  auto project = VbaProject::read(cf);
  if (!project) throw std::runtime_error(file + " has no macro project");
  return *project;
}

}  // namespace

TEST(CorpusProject, ComponentsAndExportTextMatchTheFiles) {
  for (const auto& wb : corpus()) {
    SCOPED_TRACE(wb.file);
    VbaProject project = readProject(wb.file);
    EXPECT_FALSE(project.lockedForViewing());
    EXPECT_EQ(project.codePage(), wb.codePage);
    const auto& comps = project.components();
    ASSERT_EQ(comps.size(), wb.modules.size());
    for (size_t i = 0; i < comps.size(); ++i) {
      const ModuleFacts& m = wb.modules[i];
      SCOPED_TRACE(m.name);
      EXPECT_EQ(comps[i].Name, m.name);
      EXPECT_EQ(comps[i].typeNumber(), m.type);
      std::vector<std::string> lines = crlfLines(project.exportText(i));
      size_t header = headerLines(lines);
      ASSERT_LT(header, lines.size());
      EXPECT_EQ(lines[header], std::string("Attribute VB_Name = \"") + m.name + "\"");
      EXPECT_EQ(static_cast<int>(lines.size() - header), m.storedLines - m.hiddenLines);
      std::vector<std::string> code;
      for (size_t k = header; k < lines.size(); ++k)
        if (lines[k].rfind("Attribute ", 0) != 0) code.push_back(lines[k]);
      EXPECT_EQ(code.empty() ? "" : code.front(), m.firstCode);
      EXPECT_EQ(code.empty() ? "" : code.back(), m.lastCode);
      for (const auto& l : lines) {
        EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos);
        EXPECT_NE(l.rfind("Attribute VB_Base", 0), 0u) << "VB_Base is not exported";
      }
      if (m.type == 1) {
        EXPECT_EQ(header, 0u);
      }
      if (m.type == 2 || m.type == 100) {
        ASSERT_EQ(header, 4u);
        EXPECT_EQ(lines[0], "VERSION 1.0 CLASS");
        EXPECT_EQ(lines[2], "  MultiUse = -1  'True");
      }
    }
  }
}

TEST(CorpusProject, StandardModuleExportsItsStoredSourceUnchanged) {
  VbaProject project = readProject("SimpleMacro.xls");
  EXPECT_EQ(project.exportText(0),
            "Attribute VB_Name = \"Module1\"\r\n"
            "Sub TestMacro()\r\n"
            "Attribute TestMacro.VB_Description = \"This is a test macro\"\r\n"
            "Attribute TestMacro.VB_ProcData.VB_Invoke_Func = \" \\n14\"\r\n"
            "'\r\n"
            "' TestMacro Macro\r\n"
            "' This is a test macro\r\n"
            "'\r\n"
            "\r\n"
            "'\r\n"
            "    ActiveCell.FormulaR1C1 = \"This is a macro workbook\"\r\n"
            "    Range(\"A2\").Select\r\n"
            "End Sub\r\n");
  EXPECT_EQ(project.exportText(1),
            "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n"
            "Attribute VB_Name = \"ThisWorkbook\"\r\n"
            "Attribute VB_GlobalNameSpace = False\r\n"
            "Attribute VB_Creatable = False\r\n"
            "Attribute VB_PredeclaredId = True\r\n"
            "Attribute VB_Exposed = True\r\n");
}

TEST(CorpusProject, FormGetsItsDesignerBlock) {
  VbaProject project = readProject("59858.xls");
  std::vector<std::string> lines = crlfLines(project.exportText(8));
  std::vector<std::string> expected = {
      "VERSION 5.00",
      "Begin {C62A69F0-16DC-11CE-9E98-00AA00574A4F} frmPageCreation ",
      "   Caption         =   \"Generate New Pages\"",
      "   ClientHeight    =   3075",
      "   ClientLeft      =   45",
      "   ClientTop       =   375",
      "   ClientWidth     =   5085",
      "   StartUpPosition =   1  'CenterOwner",
      "End",
      "Attribute VB_Name = \"frmPageCreation\"",
      "Attribute VB_GlobalNameSpace = False",
  };
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(expected.size())), expected);
}

// SimpleMacro.xls's file names are checked by the export command's test.
TEST(CorpusProject, FileNamesAndKindsOfDocumentModules) {
  // A German workbook's own module has another name but the workbook's class.
  VbaProject german = readProject("ex45046-21984.xls");
  EXPECT_EQ(german.components()[0].FileName, "DieseArbeitsmappe.bok");
  EXPECT_EQ(german.components()[1].FileName, "Tabelle1.sht");
  VbaProject classes = readProject("39234.xls");
  EXPECT_EQ(classes.components()[5].FileName, "UTIL.cls");
  VbaProject form = readProject("ex42570-20305.xls");
  EXPECT_EQ(form.components()[2].FileName, "UserForm1.frm");
  EXPECT_EQ(form.components()[4].FileName, "Chart7.sht");
}

TEST(CorpusProject, ExportWritesOneFilePerComponentAndCounts) {
  zel::test::TempDir dir;
  VbaProject project = readProject("59858.xls");
  ExportSummary s = exportProject(project, dir.str());
  EXPECT_TRUE(s.failures.empty());
  EXPECT_EQ(s.counts.StdCount, 2);
  EXPECT_EQ(s.counts.ClassCount, 0);
  EXPECT_EQ(s.counts.FormCount, 1);
  EXPECT_EQ(s.files.size(), 11u);
  for (size_t i = 0; i < project.components().size(); ++i)
    EXPECT_EQ(zel::test::readFile(dir.file(project.components()[i].FileName)), project.exportText(i)) << i;
}
