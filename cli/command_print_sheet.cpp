// zelvarin-cli print-sheet BOOK.xls SHEET -o OUT.pdf [--zoom N]: one sheet as Excel prints it;
// zelvarin-cli print-chart BOOK.xls CHARTSHEET -o OUT.pdf: a chart sheet as its own page.
#include "core/dat_file.h"
#include "core/program_folder.h"
#include "cli/commands.h"
#include "report/gui_application.h"
#include "report/sheet_chart_page.h"
#include "report/sheet_print.h"
#include "report/sheet_zoom.h"

#include <iostream>
#include <optional>

namespace zel::cli {
namespace {

struct SheetPrintArgs {
  std::string book, sheet, out;
  std::optional<std::string> zoom;
};

// BOOK SHEET -o OUT, and --zoom N where the command takes it.
SheetPrintArgs parseSheetPrintArgs(const std::vector<std::string>& args, bool zoomAllowed) {
  SheetPrintArgs a;
  for (size_t i = 0; i < args.size(); ++i) {
    const bool zoom = zoomAllowed && args[i] == "--zoom";
    if (args[i] == "-o" || zoom) {
      if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a value");
      (zoom ? a.zoom.emplace() : a.out) = args[++i];
    } else if (!args[i].empty() && args[i][0] == '-') {
      throw UsageError("unknown option " + args[i]);
    } else if (a.book.empty()) {
      a.book = args[i];
    } else if (a.sheet.empty()) {
      a.sheet = args[i];
    } else {
      throw UsageError("too many arguments");
    }
  }
  if (a.book.empty() || a.sheet.empty() || a.out.empty())
    throw UsageError(std::string("a workbook, a ") + (zoomAllowed ? "sheet" : "chart sheet") + " name and -o OUT.pdf are needed");
  return a;
}

int reportFailure(const char* command, bool written, const std::string& error) {
  if (written) return 0;
  std::cerr << "zelvarin-cli " << command << ": " << error << "\n";
  return 1;
}

}  // namespace

int runPrintSheet(const std::vector<std::string>& args) {
  SheetPrintArgs a = parseSheetPrintArgs(args, true);
  if (!a.zoom) {
    // As txtZoom starts: Zoom= of Zelvarin.dat in the program folder, else 98.
    DatValues dat;
    ReadDatFile(programPathsFor(defaultProgramFolder()).datPath(), dat);
    a.zoom = report::initialZoomText(dat.DatZoom);
  }
  report::ensureGuiApplication();
  std::string error;
  return reportFailure("print-sheet", report::renderSheetToPdf(a.book, a.sheet, *a.zoom, a.out, &error), error);
}

int runPrintChart(const std::vector<std::string>& args) {
  SheetPrintArgs a = parseSheetPrintArgs(args, false);
  report::ensureGuiApplication();
  std::string error;
  return reportFailure("print-chart", report::renderChartSheetToPdf(a.book, a.sheet, a.out, &error), error);
}

}  // namespace zel::cli
