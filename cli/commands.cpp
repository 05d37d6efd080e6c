// The list of commands; each run function lives in its own file.
#include "cli/commands.h"

namespace zel::cli {

int runReport(const std::vector<std::string>& args);

const std::vector<Command>& commandTable() {
  static const std::vector<Command> table = {
      {"report", "report RESULT.xdb R_NAME -o OUT.pdf", "render one report of a result database to PDF", runReport},
  };
  return table;
}

}  // namespace zel::cli
