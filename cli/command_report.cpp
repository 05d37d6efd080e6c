// zelvarin-cli report RESULT.xdb R_NAME -o OUT.pdf: one report of a result database as PDF.
#include "cli/commands.h"
#include "report/gui_application.h"
#include "report/report_output.h"

#include <iostream>

namespace zel::cli {

int runReport(const std::vector<std::string>& args) {
  std::string db, name, out;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o") {
      if (i + 1 >= args.size()) throw UsageError("-o needs a file name");
      out = args[++i];
    } else if (!args[i].empty() && args[i][0] == '-') {
      throw UsageError("unknown option " + args[i]);
    } else if (db.empty()) {
      db = args[i];
    } else if (name.empty()) {
      name = args[i];
    } else {
      throw UsageError("too many arguments");
    }
  }
  if (db.empty() || name.empty() || out.empty()) throw UsageError("a result file, a report name and -o OUT.pdf are needed");
  report::ensureGuiApplication();
  std::string error;
  if (!report::renderReportToPdf(db, name, out, &error)) {
    std::cerr << "zelvarin-cli report: " << error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace zel::cli
