// The add-in collection (*.xla files in the add-in folders) and the add-in list (cmdAddin).
#pragma once
#include "workbook/workbook_context.h"

#include <functional>
#include <string>
#include <vector>

namespace zel::workbook {

struct AddIn {
  std::string Name;      // file name
  std::string FullName;  // full path
  std::string Title;     // from the add-in's document properties; empty when unreadable
  bool Installed = false;
  std::string Path;      // folder, without a trailing separator
};

// Reads an add-in's title (document property 1); returns "" when it cannot.
using TitleReader = std::function<std::string(const std::string& fullName)>;

// The add-in folders: AddIns/ of the program folder, then [ADDIN] Folder1, Folder2, ... of the ini.
std::vector<std::string> addInFolders(const ProgramPaths& paths);

// Every regular *.xla file (any case) of the add-in folders, folder by folder, sorted by name;
// Installed when its name or full path is listed as [ADDIN] Installed1, Installed2, ...
std::vector<AddIn> collectAddIns(const ProgramPaths& paths, const TitleReader& titleOf);

// cmdAddin: one row per (sheet, add-in) pair. sheetNames are the workbook's sheets as the
// opening listed them (module sheets left out).
void runAddinList(RunContext& ctx, const std::vector<std::string>& sheetNames, const std::vector<AddIn>& addIns);

}  // namespace zel::workbook
