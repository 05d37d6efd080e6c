// Runs zelvarin-cli in-process with its output captured.
#pragma once
#include "cli/cli_app.h"
#include "support/vba_builder.h"

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace zel::test {

struct CliResult {
  int status = -1;
  std::string out, err;
};

inline CliResult runCli(std::vector<std::string> args) {
  args.insert(args.begin(), "zelvarin-cli");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  auto* oldOut = std::cout.rdbuf(out.rdbuf());
  auto* oldErr = std::cerr.rdbuf(err.rdbuf());
  CliResult r;
  r.status = zel::cli::run(static_cast<int>(args.size()), argv.data());
  std::cout.rdbuf(oldOut);
  std::cerr.rdbuf(oldErr);
  r.out = out.str();
  r.err = err.str();
  return r;
}

}  // namespace zel::test
