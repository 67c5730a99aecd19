// The command-line front end: parses the arguments and runs one command on the core.
#pragma once

#include "reorganise/BatchExecutor.h"

#include <QByteArray>

#include <functional>
#include <initializer_list>
#include <memory>
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

// One option a command accepts.
struct OptionSpec
{
    std::string_view name;      // "--dry-run"
    bool takesValue = false;    // the next word is its value, whatever it looks like
    bool equalsForm = false;    // "--name=value" gives the value too
    const char *oneOf = nullptr; // options sharing this text exclude each other: a second one is this error
};
// Called with each option in turn, its value empty for an option without one; answers a usage error's
// message, or the empty text when the option is fine.
using OptionHandler = std::function<std::string(std::string_view option, std::string_view value)>;

// Reads the words of `args` from `from` on, in order, bytes untouched. After "--", and for the empty word,
// "-" or a word not starting with '-', a word is an operand and joins `operands` (or, with `noOperands`,
// is that usage error). Any other word must be one of `options`: "unknown option 'X'" otherwise, "option
// 'X' needs a value" when its value is missing. Reading stops at the first error, whose message it
// answers; the empty text when every word was read.
std::string readArguments(const Args &args, size_t from, std::initializer_list<OptionSpec> options,
                          std::vector<std::string_view> &operands, const OptionHandler &onOption = {},
                          const char *noOperands = nullptr);

// The path the program works on for a path operand: absolute, its folder part resolved (links named last
// stay links).
QByteArray operandPath(std::string_view operand);
// The empty text names no file: a usage error rather than the working folder or the root.
bool hasEmptyOperand(const std::vector<std::string_view> &operands);
inline constexpr const char *kEmptyPath = "an empty path names no file or folder";

// The journal a batch writes before each step; without one (a message printed) nothing may be done.
std::unique_ptr<MoveJournal> openJournal(const QString &operation);

// The lines of a batch command, each written and flushed as it happens, counted for the closing line.
struct PlanOutput
{
    bool wroteAll = true;
    int moved = 0, skipped = 0, cleanedUp = 0;
    const char *cleanUpWord = "trashed"; // what the closing line calls the clean-up's count

    void line(const std::string &text);
    // moved, copied or skipped: one carried-out step.
    void step(const StepOutcome &outcome);
    // plan or skipped: the steps a run would take.
    void preview(const QList<StepPreview> &previews);
    int finishWithCounts();
};

// A plan of moves, printed (dry run) or carried out with the journal of `operation`, then the count line.
int runPlanCommand(const Plan &plan, bool dryRun, const QString &operation);

// The commands.
int scanCommand(int argc, char *argv[], const Args &args);
// duplicates [--empty] FOLDER...: the sets of files with one content among the scanned files.
int duplicatesCommand(int argc, char *argv[], const Args &args);
int kindCommand(const Args &args);
int sizeCommand(const Args &args);
int moveCommand(const Args &args);
int renameCommand(const Args &args);
int classifyCommand(int argc, char *argv[], const Args &args);
// info FILE...: kind, size, dates, dimensions and length of each file, from its header.
int infoCommand(const Args &args);
// history, and undo [ID] [--dry-run]: the journaled batches, and one undone.
int historyCommand(const Args &args);
int undoCommand(int argc, char *argv[], const Args &args);
// trash, open and reveal PATH...
int desktopCommand(int argc, char *argv[], const Args &args, std::string_view command);
int appsCommand(const Args &args);
int loginCommand(const Args &args);
int defaultsCommand(const Args &args);
// thumbnail [--large] FILE...: each file's thumbnail in the shared cache.
int thumbnailCommand(int argc, char *argv[], const Args &args);
// box list | add PATH... | remove PATH...: the tray box of favourite applications.
int boxCommand(const Args &args);

} // namespace vellumry::cli
