// zelvarin-cli print-chart BOOK.xls CHARTSHEET -o OUT.pdf: a chart sheet as its own page.
#include "cli/commands.h"
#include "report/gui_application.h"
#include "report/sheet_chart_page.h"

#include <iostream>

namespace zel::cli {

int runPrintChart(const std::vector<std::string>& args) {
  std::string book, sheet, out;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o") {
      if (i + 1 >= args.size()) throw UsageError("-o needs a value");
      out = args[++i];
    } else if (!args[i].empty() && args[i][0] == '-') {
      throw UsageError("unknown option " + args[i]);
    } else if (book.empty()) {
      book = args[i];
    } else if (sheet.empty()) {
      sheet = args[i];
    } else {
      throw UsageError("too many arguments");
    }
  }
  if (book.empty() || sheet.empty() || out.empty()) throw UsageError("a workbook, a chart sheet name and -o OUT.pdf are needed");
  report::ensureGuiApplication();
  std::string error;
  if (!report::renderChartSheetToPdf(book, sheet, out, &error)) {
    std::cerr << "zelvarin-cli print-chart: " << error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace zel::cli
