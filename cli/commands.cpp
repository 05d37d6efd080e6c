// The list of commands; each run function lives in its own file.
#include "cli/commands.h"

namespace zel::cli {

const std::vector<Command>& commandTable() {
  static const std::vector<Command> table = {
  };
  return table;
}

}  // namespace zel::cli
