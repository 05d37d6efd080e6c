// The folder file list (cmdFile): files of the workbook's folder, or the workbooks it links to.
#pragma once
#include "workbook/workbook_context.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zel::workbook {

// Windows wildcard match ("*" and "?"), case-insensitive, as the folder search compares names.
bool matchesPattern(std::string_view name, std::string_view pattern);

// Regular files of folder (symlinks followed; dot-files, dangling links, FIFOs and sockets left
// out) whose names match pattern, sorted by name.
std::vector<std::string> listFolderFiles(const std::string& folder, std::string_view pattern);

// Where a link source as Excel shows it ("C:\Data\Sales.xls", "..\x.xls", "\\srv\s\y.xls")
// is found here: relative links against the workbook's folder, drive and UNC paths by their
// file name in the workbook's folder (case-insensitively). Never touches the network.
std::optional<std::string> locateLinkedFile(const std::string& linkSource, const std::string& workbookFolder);

struct FileFacts {
  double sizeKb = 0;
  std::string updateDate;
  std::optional<int> readOnly;  // 1 when the owner may not write; empty when unknown
};
// Size, date and read-only state; throws VbError 53 when the file is missing.
FileFacts fileFacts(const std::string& path);

// cmdFile: fills T_XlFile for ctx.options.FileOption (1 "*.x*", 2 link sources, 3 "*.*").
// Returns false without touching the table when fFil already holds this option's result.
bool runFolderFileList(RunContext& ctx, const std::vector<std::string>& linkSources);

}  // namespace zel::workbook
