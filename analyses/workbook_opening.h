// The work behind 解析ファイルの選択: open the workbook with the reader, export every component
// of its macro project to the export folder, and gather what the window's lists and header
// boxes show. Widget-free, so the window, tests and other front ends share it.
#pragma once
#include "core/session_state.h"
#include "xls/excel_model.h"

#include <memory>
#include <string>
#include <vector>

namespace zel {

struct OpenedWorkbook {
  std::unique_ptr<xls::Application> XlApp;  // holds the workbook as its active workbook
  ModuleCounts counts;                      // StdCount, ClassCount, FormCount, ModuleSheetCount
  std::vector<std::string> sheetNames;      // for cboSheet / cboSheet2: module sheets left out
  std::vector<std::string> linkSources;     // for cboLinkMoto: Excel links, cut to 255 and trimmed
  std::string title, company, author;       // built-in properties 1, 21 and 3
  std::vector<std::string> exportFailures;  // components that could not be exported
  std::string codeUnavailable;              // why the module code was not read ("" = it was)
  xls::Workbook& workbook() const { return *XlApp->activeWorkbook(); }
};

// What to do with a macro project whose code cannot be read (locked for viewing, or its
// dir or PROJECT stream damaged): stop, as the window does, or go on without the code.
enum class UnreadableCode { Stop, GoOnWithoutCode };

// Throws VbError: 1004 when the workbook cannot be read, 75 when the export folder cannot be
// written; with Stop also 50289 when its macro project is locked for viewing and 1004 when it
// is damaged (nothing is exported then). With GoOnWithoutCode such a project leaves the
// export folder empty and says why in codeUnavailable.
OpenedWorkbook openWorkbookForAnalysis(const std::string& path, const std::string& tempPath,
                                       UnreadableCode unreadable = UnreadableCode::Stop);

// A path ending in a workbook extension (.xls, .xla, .xlsm, .xlsx, .xlam, .xltm, .xltx, any
// letter case). The reader then tells the format by content, whatever the name says.
bool isWorkbookCandidate(const std::string& path);

}  // namespace zel
