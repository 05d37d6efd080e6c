// zelvarin-cli export BOOK.xls DIR: writes every component of the workbook's macro project
// to DIR in the macro editor's export format. Other files in DIR are left alone.
#include "core/vb_error.h"
#include "cli/commands.h"
#include "xls/excel_model.h"
#include "xls/vba/vba_project.h"

#include <iostream>

namespace zel::cli {

// The protected-project message on one line per CR-separated part.
std::string lockedProjectText() {
  std::string text = xls::vba::kProjectLockedMessage;
  for (char& c : text)
    if (c == '\r') c = '\n';
  return text;
}

int runExport(const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError("expected a workbook and a folder");
  const std::string& book = args[0];
  const std::string& folder = args[1];
  // The reader tells .xls from an Office 2007+ package by content; either way the project
  // sits in the workbook's compound file.
  auto workbook = xls::Workbook::open(book);
  std::optional<xls::vba::VbaProject> project;
  try {
    project = xls::vba::VbaProject::read(workbook->compoundFile());
    if (!project) {
      std::cerr << "zelvarin-cli export: " << book << ": the workbook has no macro project\n";
      return 0;
    }
    auto summary = xls::vba::exportProject(*project, folder);
    for (const auto& path : summary.files) std::cout << path << "\n";
    for (const auto& failure : summary.failures) std::cerr << "zelvarin-cli export: " << failure << "\n";
    return summary.failures.empty() ? 0 : 1;
  } catch (const VbError& e) {
    if (e.number() != err::ProjectLocked) throw;
    std::cerr << lockedProjectText() << "\n";
    return 1;
  }
}

}  // namespace zel::cli
