// The batch front end: parses the command line and runs one command.
#pragma once

namespace zel::cli {

// Runs zelvarin-cli with its arguments; returns the exit status (0 ok, 1 failed, 2 bad usage).
int run(int argc, char** argv);

}  // namespace zel::cli
