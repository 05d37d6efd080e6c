// zelvarin-cli entry point.
#include "cli/cli_app.h"

int main(int argc, char** argv) { return zel::cli::run(argc, argv); }
