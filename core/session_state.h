// Program-level state shared by the window, the command line and the analyses:
// option values, done flags, module counts and the report-header texts.
#pragma once
#include <string>

namespace zel {

// Option values: the selected option button's index + 1, with their start values.
struct AnalysisOptions {
  int CellOption = 3;
  int ModuleKind = 1;
  int ObjectLevel = 2;
  int ProcLevel = 2;
  int ShapeOption = 1;
  int FileOption = 1;
  int SheetScope = 1;
  int ColumnOption = 2;  // shares its cell with the done flag mSs
  int ProcKana = 0;
  int ModKana = 0;
};

// Done flags: mirror of the integer fields of T_XlSaveFlag.
struct DoneFlags {
  int fObj = 0, fCel = 0, fPrc = 0, fSoc = 0, fShp = 0, fDim = 0, fFil = 0, fCom = 0, fNam = 0,
      fAdd = 0, fSocS = 0, fCrs = 0, mCs = 0;
  // The entry-point map. Not a column of T_XlSaveFlag (files of earlier versions lack it):
  // a loaded file has it when its T_XlEntry or T_XlReach holds rows.
  int fEnt = 0;
  void clearForNewWorkbook() { *this = DoneFlags{}; }
};

// The header text boxes of the cover frame.
struct HeaderTexts {
  std::string Title, System, Company, Bumon, Auther, CreateDate;
};

// Counts of the exported project, filled at workbook open.
struct ModuleCounts {
  long StdCount = 0, ClassCount = 0, FormCount = 0, ModuleSheetCount = 0;
};

}  // namespace zel
