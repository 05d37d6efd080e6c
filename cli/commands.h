// The table of zelvarin-cli commands. A new command adds one entry in commands.cpp.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zel::cli {

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  std::function<int(const std::vector<std::string>&)> run;
};

const std::vector<Command>& commandTable();

}  // namespace zel::cli
