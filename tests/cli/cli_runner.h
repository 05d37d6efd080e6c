// Runs zelvarin-cli in-process with its output captured, and builds the macro workbooks the
// end-to-end tests feed it.
#pragma once
#include "cli/cli_app.h"
#include "support/biff_builder.h"
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

// A workbook file with one sheet and the macro project of spec.
inline void writeMacroWorkbook(const std::string& path, const VbaProjectSpec& spec) {
  BiffBuilder b;
  b.addSheet("Sheet1");
  for (const auto& [name, bytes] : vbaWorkbookStreams(spec))
    if (name != "Workbook") b.addStream(name, bytes);
  b.write(path);
}

// A project locked for viewing, with a password.
inline VbaProjectSpec lockedProject() {
  VbaProjectSpec spec;
  VbaModuleSpec m;
  m.name = "Secret";
  m.source = "Attribute VB_Name = \"Secret\"\r\nSub Hidden()\r\nEnd Sub\r\n";
  spec.modules = {m};
  spec.visibility = 0x00;
  spec.password = true;
  return spec;
}

}  // namespace zel::test
