// The command-line front end: parses the arguments and runs one command on the core.
#pragma once

namespace vellumry::cli {

enum ExitStatus : int { Success = 0, Failure = 1, UsageError = 2 };

int run(int argc, char *argv[]);

} // namespace vellumry::cli
