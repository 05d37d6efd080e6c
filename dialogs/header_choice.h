// The choice of the report-header dialog and the T_XlTitle row it gives.
#pragma once
#include <optional>
#include <string>

namespace zel {

struct HeaderChoice {
  int HdrFile = 0, HdrPath = 0, HdrFree = 0;
  std::string HdrMode;  // the last confirmed choice, shown in lblMsg
};

struct HeaderRow {
  std::optional<std::string> fileName;  // the T_XlTitle row; empty = no row
  std::string mode;                     // the text HdrMode becomes
  bool refused = false;                 // free text chosen but empty
};

// Decides by HdrFile (then HdrPath), else HdrFree. workbookPath is lblDBName's caption.
HeaderRow headerRowFor(const HeaderChoice& choice, const std::string& workbookPath, const std::string& freeText);

}  // namespace zel
