// Command dispatch of zelvarin-cli. Each command lives in its own cli/command_*.cpp file and
// registers itself in the table below.
#include "cli/cli_app.h"

#include "cli/commands.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace zel::cli {

static void printUsage(std::ostream& out) {
  out << "Usage: zelvarin-cli COMMAND [ARGS...]\n\n"
         "Documents an Excel workbook and its macro code without a window.\n"
         "Reads .xls and .xla (Excel 97-2003) and .xlsx, .xlsm, .xltx, .xltm and .xlam (Office 2007+,\n"
         "Transitional Office Open XML), told apart by content. Refused with a message: Excel 5.0/95 and\n"
         "earlier, binary .xlsb, Strict Open XML and password-encrypted workbooks.\n\n"
         "Commands:\n";
  for (const auto& c : commandTable()) out << "  " << c.usage << "\n      " << c.summary << "\n";
  out << "\nOptions:\n  --help       show this text\n  --version    show the version\n"
         "\nExit status:\n"
         "  0  success\n"
         "  1  failed analysis, unreadable or damaged input (a result file may still be written)\n"
         "  2  bad usage\n"
         "  3  finished, some analyses skipped: the macro project is locked for viewing or damaged,\n"
         "     so the analyses of its code (named on stderr) were left out\n";
}

int run(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << "zelvarin-cli: no command given (try --help)\n";
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printUsage(std::cout);
    return 0;
  }
  if (args[0] == "--version") {
    std::cout << "Zelvarin97 Ver 1.1 (zelvarin-cli)\n";
    return 0;
  }
  for (const auto& c : commandTable()) {
    if (args[0] == c.name) {
      std::vector<std::string> rest(args.begin() + 1, args.end());
      try {
        return c.run(rest);
      } catch (const UsageError& e) {
        std::cerr << "zelvarin-cli " << c.name << ": " << e.what() << "\nusage: zelvarin-cli " << c.usage << "\n";
        return 2;
      } catch (const std::exception& e) {
        std::cerr << "zelvarin-cli " << c.name << ": " << e.what() << "\n";
        return 1;
      }
    }
  }
  std::cerr << "zelvarin-cli: unknown command '" << args[0] << "' (try --help)\n";
  return 2;
}

}  // namespace zel::cli
