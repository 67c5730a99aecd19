// The command-line front end: the shared reading of arguments and writing of lines, and the dispatch.
// Output formats and exit statuses are read by scripts: keep them exact.
#include "cli/Cli.h"

#include "platform/NativePath.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

int usageError(const std::string &message)
{
    std::fprintf(stderr, "vellumry-cli: %s\nTry 'vellumry-cli --help' for more information.\n", message.c_str());
    return UsageError;
}

bool writeOut(const std::string &text)
{
    return text.empty() || std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

int finish(bool wroteAll)
{
    if (std::fflush(stdout) != 0 || !wroteAll || std::ferror(stdout)) {
        std::fprintf(stderr, "vellumry-cli: could not write the output: %s\n", std::strerror(errno));
        return Failure;
    }
    return Success;
}

std::string escaped(const QByteArray &bytes)
{
    std::string out;
    appendEscapedName(out, std::string_view(bytes.constData(), size_t(bytes.size())));
    return out;
}

std::string readArguments(const Args &args, size_t from, std::initializer_list<OptionSpec> options,
                          std::vector<std::string_view> &operands, const OptionHandler &onOption,
                          const char *noOperands)
{
    bool optionsEnded = false;
    std::vector<std::string_view> groupsSeen; // the oneOf texts of the options met so far
    for (size_t i = from; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (noOperands)
                return noOperands;
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const OptionSpec *spec = nullptr;
        std::string_view value;
        bool valueGiven = false;
        for (const OptionSpec &option : options) {
            if (arg == option.name) {
                spec = &option;
                break;
            }
            if (option.equalsForm && arg.size() > option.name.size() && arg.starts_with(option.name) &&
                arg[option.name.size()] == '=') {
                spec = &option;
                value = arg.substr(option.name.size() + 1);
                valueGiven = true;
                break;
            }
        }
        if (!spec)
            return "unknown option '" + std::string(arg) + "'";
        if (spec->oneOf) {
            if (std::find(groupsSeen.begin(), groupsSeen.end(), spec->oneOf) != groupsSeen.end())
                return spec->oneOf;
            groupsSeen.push_back(spec->oneOf);
        }
        if (spec->takesValue && !valueGiven) {
            if (i + 1 >= args.size())
                return "option '" + std::string(spec->name) + "' needs a value";
            value = args[++i];
        }
        if (onOption) {
            if (std::string error = onOption(spec->name, value); !error.empty())
                return error;
        }
    }
    return {};
}

QByteArray operandPath(std::string_view operand)
{
    return absoluteOperandPath(QByteArrayView(operand.data(), qsizetype(operand.size())));
}

bool hasEmptyOperand(const std::vector<std::string_view> &operands)
{
    return std::any_of(operands.begin(), operands.end(),
                       [](std::string_view operand) { return operand.empty(); });
}

std::unique_ptr<MoveJournal> openJournal(const QString &operation)
{
    auto journal = std::make_unique<MoveJournal>(MoveJournal::defaultFolder(), operation);
    if (journal->isOpen())
        return journal;
    std::fprintf(stderr, "vellumry-cli: cannot write the journal: %s\n", journal->errorText().toStdString().c_str());
    return nullptr;
}

void PlanOutput::line(const std::string &text)
{
    wroteAll = writeOut(text) && std::fflush(stdout) == 0 && wroteAll;
}

void PlanOutput::step(const StepOutcome &outcome)
{
    const PlanStep &step = outcome.step;
    if (outcome.moved) {
        ++moved;
        line("moved\t" + escaped(step.source) + '\t' + escaped(step.target) + '\n');
    } else if (outcome.copied) {
        // Not a move: the copy is complete at the target, and the original is still where it was.
        ++skipped;
        line("copied\t" + escaped(step.source) + '\t' + escaped(step.target) + '\t' + outcome.reason.toStdString() +
             '\n');
    } else {
        ++skipped;
        line("skipped\t" + escaped(step.source) + '\t' + outcome.reason.toStdString() + '\n');
    }
}

void PlanOutput::preview(const QList<StepPreview> &previews)
{
    for (const StepPreview &preview : previews) {
        if (preview.skipped) {
            ++skipped;
            line("skipped\t" + escaped(preview.step.source) + '\t' + preview.reason.toStdString() + '\n');
        } else {
            line("plan\t" + escaped(preview.step.source) + '\t' + escaped(preview.step.target) + '\n');
        }
    }
}

int PlanOutput::finishWithCounts()
{
    line(std::to_string(moved) + " moved, " + std::to_string(skipped) + " skipped, " + std::to_string(cleanedUp) + ' ' +
         cleanUpWord + '\n');
    return finish(wroteAll);
}

int runPlanCommand(const Plan &plan, bool dryRun, const QString &operation)
{
    PlanOutput out;
    if (dryRun) {
        out.preview(previewPlan(plan));
        return out.finishWithCounts();
    }
    const std::unique_ptr<MoveJournal> journal = openJournal(operation);
    if (!journal)
        return Failure;
    executePlan(plan, journal.get(), nullptr, [&out](const StepOutcome &outcome, int, int) { out.step(outcome); });
    return out.finishWithCounts();
}

namespace {

constexpr const char *kUsage =
    "Usage: vellumry-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  scan [--list LIST] [--sort ORDER] [--match TEXT] FOLDER...\n"
    "                                Scan the folders in order into one set of lists and print one\n"
    "                                list, one item per line: kind, bytes, size text, date, path,\n"
    "                                separated by tabs. LIST is files (the default), image, audio,\n"
    "                                video, document, archive, other or current (the entries\n"
    "                                directly inside the folders, sub-folders included).\n"
    "                                ORDER sorts the files list before printing: name, kind, path\n"
    "                                (punctuation first, then ignoring case and accents), date\n"
    "                                (newest first, undated last) or size (largest first). The\n"
    "                                other lists keep the scan order. TEXT keeps the items whose\n"
    "                                name holds it (ignoring case and accents); with * or ? it is a\n"
    "                                pattern for the whole name; with / it is matched against the\n"
    "                                path below the scanned folder instead of the name.\n"
    "  duplicates [--empty] FOLDER...\n"
    "                                Scan the folders and print every set of files with the same\n"
    "                                content, one file per line: group number, size in bytes and\n"
    "                                path, separated by tabs, a blank line between groups. Groups\n"
    "                                come largest waste first; hard links to one file count once.\n"
    "                                Empty files count only with --empty. The summary (groups,\n"
    "                                files, space that could be freed, files unreadable or changed\n"
    "                                since the scan) goes to standard error. Status 1 when a\n"
    "                                folder cannot be read.\n"
    "  kind NAME...                  Print the kind a file of each name is given.\n"
    "  size BYTES...                 Print the size text of each byte count.\n"
    "  move (--up N | --to FOLDER | --to-main MAINFOLDER) [--dry-run] FILE...\n"
    "                                Move each file N (1-3) folders up, into FOLDER or into the main\n"
    "                                folder, never replacing anything: moved, skipped or (with\n"
    "                                --dry-run, nothing touched) plan lines, then a count line. A\n"
    "                                copy across file systems whose original cannot be removed prints\n"
    "                                copied, the paths and the reason, and counts as skipped. Every\n"
    "                                step is journaled before it is taken, in\n"
    "                                $XDG_DATA_HOME/Vellumry/journal; without a journal nothing is done.\n"
    "  rename --mode parent|components|text --variant begin|end|replace [--depth 1-5]\n"
    "         [--text T] [--find F] [--replace R] [--dry-run] FILE...\n"
    "                                Rename each file from its parent folders' names, its path\n"
    "                                components or a text; a taken name gets the form \"base i.ext\"\n"
    "                                with i the file's position among the arguments. Lines as for move.\n"
    "  classify --by kind|date [--date taken|modified] [--dry-run] MAINFOLDER\n"
    "                                Scan MAINFOLDER, move every file into a kind folder (Image,\n"
    "                                Document, Audio& Music, ...) or a year/month/day folder of its\n"
    "                                modification date directly inside it (--date taken: the date a\n"
    "                                picture or video records it was taken, else the modification\n"
    "                                date; the count of those is said on standard error), then\n"
    "                                remove the top-level folders left holding nothing but empty\n"
    "                                folders: removed lines, or kept with the reason (hidden entries,\n"
    "                                and entries still holding a hidden entry or a file or link that\n"
    "                                was not moved, are kept).\n"
    "                                The count line ends in K removed. With --dry-run the clean-up\n"
    "                                prints plan, the path and (remove).\n"
    "  info FILE...                  Print what each file is, one line per file, tab-separated: path,\n"
    "                                kind, bytes, modification time (UTC), date taken (as written in\n"
    "                                a picture; a video's creation time in local time), its source\n"
    "                                (exif, xmp or container), width, height and length in seconds;\n"
    "                                a field that does not apply is empty. A missing file is said on\n"
    "                                standard error and gives status 1; the others are still printed.\n"
    "  history                       List the journaled batches, newest first, one per line: id,\n"
    "                                start time (UTC), operation, counts (N moved, K removed, T\n"
    "                                trashed) and state (undoable, interrupted, undone or not\n"
    "                                undoable: the reason), separated by tabs.\n"
    "  undo [ID] [--dry-run]         Undo the batch ID (by default the newest not yet undone):\n"
    "                                entries back from the Trash and moved entries back to their\n"
    "                                old places, never replacing anything; an entry changed since,\n"
    "                                gone from where the batch put it or whose old place is taken\n"
    "                                is skipped with the reason. Removed folders are made again\n"
    "                                (remade lines) and folders the batch made are removed when\n"
    "                                empty (removed, or kept with the reason). Lines and count line\n"
    "                                as for move; the undo is journaled and can be undone. Status 1\n"
    "                                when the batch cannot be undone at all.\n"
    "  apps [--sort arch|count|date|name]\n"
    "                                List the installed applications, one per line: desktop file\n"
    "                                name, its path, version, YES or NO for a 64-bit x86 program,\n"
    "                                use count (-1: unreadable record of use) and last use (UTC),\n"
    "                                separated by tabs. Sorted 32-bit first, most used first, most\n"
    "                                recently used first or by name; otherwise in search order.\n"
    "  trash PATH...                 Move each file or folder to the Trash.\n"
    "  open PATH...                  Open each file with its default application.\n"
    "  reveal PATH...                Show each file selected in the file manager.\n"
    "                                These three print one line per path, in order: trashed,\n"
    "                                opened or revealed, a tab and the path; or failed, a tab,\n"
    "                                the path, a tab and the reason. Any failure gives status 1.\n"
    "  thumbnail [--large] FILE...   Make (or find) each file's thumbnail in the desktop's shared\n"
    "                                cache ($XDG_CACHE_HOME/thumbnails, normal or --large): pictures\n"
    "                                Qt reads itself, other types through the installed thumbnailers.\n"
    "                                Prints thumbnail, the path and the cache file; or failed, the\n"
    "                                path and the reason, separated by tabs. Any failure gives status 1.\n"
    "  login add|remove|status       Start Vellumry at login, or no longer, through the desktop's\n"
    "                                autostart folder; print enabled or disabled.\n"
    "  defaults type EXT...          Print the content type of each extension.\n"
    "  defaults get EXT...           Print the default application (desktop entry path) of each\n"
    "                                extension, or (null) when it has none.\n"
    "  defaults set DESKTOP_ID EXT...\n"
    "                                Make the application the default of each extension: set, a\n"
    "                                tab and the extension; or failed, a tab, the extension, a tab\n"
    "                                and the reason. Any failure gives status 1.\n"
    "  defaults map                  Print each default application of the known extensions: its\n"
    "                                path, a tab and its extensions joined by \", \".\n"
    "  box list                      Print the paths of the tray box's applications, one per line.\n"
    "  box add PATH...               Add desktop entries or executable files to the box: added, a\n"
    "                                tab and the path; or refused, a tab, the path, a tab and the\n"
    "                                reason. Relative paths are taken from the working folder.\n"
    "  box remove PATH...            Remove every entry of each path from the box: removed or\n"
    "                                absent, a tab and the path. A refused or absent path gives\n"
    "                                status 1.\n"
    "\n"
    "In printed paths a tab is written \\t, a newline \\n, a backslash \\\\, and each byte that is\n"
    "not part of valid UTF-8 \\xNN.\n"
    "Exit status: 0 on success, 2 for a usage error, 1 for any other failure.\n";

} // namespace

int run(int argc, char *argv[])
{
    Args args(argv + std::min(argc, 1), argv + argc);
    if (args.empty())
        return usageError("no command given");
    const std::string_view command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return finish(true);
    }
    if (command == "--version") {
        std::printf("vellumry-cli %s\n", VELLUMRY_VERSION);
        return finish(true);
    }
    if (command == "scan")
        return scanCommand(argc, argv, args);
    if (command == "duplicates")
        return duplicatesCommand(argc, argv, args);
    if (command == "kind")
        return kindCommand(args);
    if (command == "size")
        return sizeCommand(args);
    if (command == "move")
        return moveCommand(args);
    if (command == "rename")
        return renameCommand(args);
    if (command == "classify")
        return classifyCommand(argc, argv, args);
    if (command == "info")
        return infoCommand(args);
    if (command == "history")
        return historyCommand(args);
    if (command == "undo")
        return undoCommand(argc, argv, args);
    if (command == "defaults")
        return defaultsCommand(args);
    if (command == "box")
        return boxCommand(args);
    if (command == "apps")
        return appsCommand(args);
    if (command == "trash" || command == "open" || command == "reveal")
        return desktopCommand(argc, argv, args, command);
    if (command == "login")
        return loginCommand(args);
    if (command == "thumbnail")
        return thumbnailCommand(argc, argv, args);
    return usageError("unknown command '" + std::string(command) + "'");
}

} // namespace vellumry::cli
