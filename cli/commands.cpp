// The list of commands; each run function lives in its own file.
#include "cli/commands.h"

namespace zel::cli {

int runInspect(const std::vector<std::string>& args);
int runExport(const std::vector<std::string>& args);
int runAnalyze(const std::vector<std::string>& args);
int runReport(const std::vector<std::string>& args);
int runPrintSheet(const std::vector<std::string>& args);
int runPrintChart(const std::vector<std::string>& args);

const std::vector<Command>& commandTable() {
  static const std::vector<Command> table = {
      {"analyze", "analyze BOOK.xls -o RESULT.xdb [--only LIST] [--set NAME=VALUE ...] [--header file|path|text=TEXT] [--home DIR]",
       "run the analyses (all but linksearch, or those listed) and write a result file", runAnalyze},
      {"export", "export BOOK.xls DIR", "write the macro project's modules to DIR in the editor's export format",
       runExport},
      {"inspect", "inspect BOOK.xls [--json] [--cells]",
       "print what the workbook reader sees: sheets, used ranges, counts, names, links, properties", runInspect},
      {"report", "report RESULT.xdb R_NAME -o OUT.pdf", "render one report of a result database to PDF", runReport},
      {"print-sheet", "print-sheet BOOK.xls SHEET -o OUT.pdf [--zoom N]",
       "render one sheet as Excel prints it (headings on; zoom N, default Zoom= of Zelvarin.dat or 98; a chart sheet gives its chart page) to PDF", runPrintSheet},
      {"print-chart", "print-chart BOOK.xls CHARTSHEET -o OUT.pdf",
       "render a chart sheet as a page of its own (the chart fills the page inside its margins) to PDF", runPrintChart},
  };
  return table;
}

}  // namespace zel::cli
