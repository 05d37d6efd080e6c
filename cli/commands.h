// The table of zelvarin-cli commands. A new command adds one entry in commands.cpp.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zel::cli {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;   // a failed analysis, unreadable or damaged input
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPartial = 3;  // finished, some analyses skipped (the code was not read)

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
