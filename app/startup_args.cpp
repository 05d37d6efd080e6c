// Parsing of the window's command line.
#include "app/startup_args.h"

#include "core/program_folder.h"

#include <filesystem>

namespace zel {
namespace {

std::string absoluteFromStart(const std::string& path) {
  std::error_code ec;
  std::filesystem::path abs = std::filesystem::absolute(path, ec);
  return ec ? path : abs.lexically_normal().string();
}

std::string trimBlanks(const std::string& s) {
  size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

}  // namespace

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
  // Start-up moves the working folder to the program folder, so relative paths are resolved
  // now, against the folder the program was started in.
  if (!out.home.empty()) out.home = absoluteFromStart(out.home);
  std::string result = unquoteArgument(trimBlanks(out.commandLine));
  if (!result.empty() && result.front() != '/') out.commandLine = absoluteFromStart(result);
  return out;
}

}  // namespace zel
