// The command line of "zelvarin-cli analyze", parsed and checked before anything is opened:
// the workbook, the result file, the analyses to run and the option values to use.
#pragma once
#include "core/session_state.h"

#include <string>
#include <vector>

namespace zel::cli {

struct AnalyzeRequest {
  std::string book;
  std::string output;
  std::string home;                 // program folder ("" = the default one)
  std::vector<std::string> only;    // analyses named by --only, in order ("" = all)
  AnalysisOptions options;          // the window's defaults, changed by --set
  std::vector<std::pair<std::string, std::string>> headerSets;  // Title=..., Company=..., ...
  std::string selectedSheet;        // --set Sheet=NAME (the sheet box of a selected-sheet run)
  std::string linkSource;           // --set LinkSource=TEXT (the link box of the link search)
  bool sheetGiven = false;
  // --header: the file line of the page headers, as the header dialog gives it.
  enum class HeaderLine { None, FileName, FullPath, Text } headerLine = HeaderLine::None;
  std::string headerText;           // --header text=TEXT
};

// The T_XlTitle file line of the request ("" for none): the workbook's file name, its full
// path, or the text given.
std::string headerFileLine(const AnalyzeRequest& request);

// Throws UsageError for a missing workbook or -o, an unknown option, analysis or setting, or
// a setting value outside its range.
AnalyzeRequest parseAnalyzeArgs(const std::vector<std::string>& args);

// Applies one NAME=VALUE setting; option names are those of the window's option values
// (CellOption, ModuleKind, ObjectLevel, ProcLevel, ShapeOption, FileOption, SheetScope,
// ColumnOption, ProcKana, ModKana), header names those of T_XlSaveFlag (Title, System,
// Company, Bumon, Auther, CreateDate), plus Sheet and LinkSource.
void applySetting(AnalyzeRequest& request, const std::string& assignment);

// Header texts after the settings: each Title=... overrides the value given.
void applyHeaderSettings(const AnalyzeRequest& request, HeaderTexts& header);

}  // namespace zel::cli
