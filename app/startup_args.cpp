// Parsing of the window's command line.
#include "app/startup_args.h"

namespace zel {

std::optional<StartupArgs> parseStartupArgs(const std::vector<std::string>& args, std::string* error) {
  StartupArgs out;
  std::vector<std::string> words;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--home") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        if (error) *error = "--home needs a folder";
        return std::nullopt;
      }
      out.home = args[++i];
    } else if (a.rfind("--home=", 0) == 0) {
      out.home = a.substr(7);
      if (out.home.empty()) {
        if (error) *error = "--home needs a folder";
        return std::nullopt;
      }
    } else if (a.size() > 1 && a[0] == '-' && words.empty()) {
      if (error) *error = "unknown option " + a;
      return std::nullopt;
    } else {
      words.push_back(a);
    }
  }
  for (const std::string& w : words) out.commandLine += (out.commandLine.empty() ? "" : " ") + w;
  return out;
}

}  // namespace zel
