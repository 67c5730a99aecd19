// The command-line front end: parses the arguments and runs one command on the core.
#pragma once

#include <QByteArray>

#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

enum ExitStatus : int { Success = 0, Failure = 1, UsageError = 2 };

int run(int argc, char *argv[]);

// What every command shares. Each command lives in its own file and is reached from run().
using Args = std::vector<std::string_view>;

// Prints the message and the hint to --help on standard error; returns UsageError.
int usageError(const std::string &message);
// Writes the text and reports whether standard output took all of it.
bool writeOut(const std::string &text);
// Flushes standard output: Success, or Failure (with a message) when it could not all be written.
int finish(bool wroteAll);
// A path or name as the output shows it: tab \t, newline \n, backslash \\, invalid UTF-8 bytes \xNN.
std::string escaped(const QByteArray &bytes);

// The words of args from `from` on, into `out`; "--" ends the options, and there are no others: false, with
// the option in `unknown`, when one is given.
bool operands(const Args &args, size_t from, std::vector<std::string_view> &out, std::string &unknown);

// The commands that live in files of their own.
int defaultsCommand(const Args &args);
// box list | add PATH... | remove PATH...: the tray box of favourite applications.
int boxCommand(const Args &args);

} // namespace vellumry::cli
