// zelvarin-cli print-sheet BOOK.xls SHEET -o OUT.pdf [--zoom N]: one sheet as Excel prints it.
#include "core/dat_file.h"
#include "core/program_folder.h"
#include "cli/commands.h"
#include "report/gui_application.h"
#include "report/sheet_print.h"
#include "report/sheet_zoom.h"

#include <iostream>

namespace zel::cli {

int runPrintSheet(const std::vector<std::string>& args) {
  std::string book, sheet, out, zoom;
  bool zoomGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" || args[i] == "--zoom") {
      if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a value");
      (args[i] == "-o" ? out : zoom) = args[i + 1];
      zoomGiven |= args[i] == "--zoom";
      ++i;
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
  if (book.empty() || sheet.empty() || out.empty()) throw UsageError("a workbook, a sheet name and -o OUT.pdf are needed");
  if (!zoomGiven) {
    // As txtZoom starts: Zoom= of Zelvarin.dat in the program folder, else 98.
    DatValues dat;
    ReadDatFile(programPathsFor(defaultProgramFolder()).datPath(), dat);
    zoom = report::initialZoomText(dat.DatZoom);
  }
  report::ensureGuiApplication();
  std::string error;
  if (!report::renderSheetToPdf(book, sheet, zoom, out, &error)) {
    std::cerr << "zelvarin-cli print-sheet: " << error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace zel::cli
