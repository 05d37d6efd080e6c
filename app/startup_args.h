// The command line of the window: zelvarin [--home DIR] [RESULT.xdb].
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace zel {

struct StartupArgs {
  std::string home;         // empty: the default program folder
  std::string commandLine;  // the result file text as given (quotes still on), empty when none
};

// args without the program name. Words after the options are joined with one blank, so an
// unquoted path with blanks still arrives whole; a relative program folder or result file is
// made absolute against the current folder. Nothing on a bad option, with a message.
std::optional<StartupArgs> parseStartupArgs(const std::vector<std::string>& args, std::string* error);

}  // namespace zel
