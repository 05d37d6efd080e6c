// Pure decision of the report-header dialog, kept apart from its widgets for testing.
#include "dialogs/header_choice.h"

#include "core/program_folder.h"

namespace zel {

HeaderRow headerRowFor(const HeaderChoice& c, const std::string& workbookPath, const std::string& freeText) {
  HeaderRow row;
  if (c.HdrFile == 1 && c.HdrPath == 1) {
    row.fileName = workbookPath;
    row.mode = "ファイル名フルパス印刷";
  } else if (c.HdrFile == 1) {
    row.fileName = FileNameOf(workbookPath);
    row.mode = "ファイル名印刷";
  } else if (c.HdrFree == 1) {
    if (freeText.empty()) {
      row.refused = true;
      return row;
    }
    row.fileName = freeText;
    row.mode = "任意の文字列を印刷";
  } else {
    row.mode = "印刷しない";
  }
  return row;
}

}  // namespace zel
