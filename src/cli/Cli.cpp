// The command-line front end. Output formats and exit statuses are read by scripts: keep them exact.
#include "cli/Cli.h"

#include "model/FileKinds.h"
#include "model/FileLists.h"
#include "model/FolderScanner.h"
#include "model/ItemTexts.h"
#include "platform/DesktopServices.h"
#include "platform/NativePath.h"
#include "reorganise/ClassifyExecutor.h"
#include "reorganise/MovePlanner.h"
#include "reorganise/RenamePlanner.h"
#include "views/Comparators.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QEventLoop>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

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

bool operands(const Args &args, size_t from, std::vector<std::string_view> &out, std::string &unknown)
{
    bool optionsEnded = false;
    for (size_t i = from; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            out.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else {
            unknown = std::string(arg);
            return false;
        }
    }
    return true;
}


namespace {

constexpr const char *kUsage =
    "Usage: vellumry-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  scan [--list LIST] [--sort ORDER] FOLDER...\n"
    "                                Scan the folders in order into one set of lists and print one\n"
    "                                list, one item per line: kind, bytes, size text, date, path,\n"
    "                                separated by tabs. LIST is files (the default), image, audio,\n"
    "                                video, document, archive, other or current (the entries\n"
    "                                directly inside the folders, sub-folders included).\n"
    "                                ORDER sorts the files list before printing: name, kind, path\n"
    "                                (punctuation first, then ignoring case and accents), date\n"
    "                                (newest first, undated last) or size (largest first). The\n"
    "                                other lists keep the scan order.\n"
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
    "  classify --by kind|date [--dry-run] MAINFOLDER\n"
    "                                Scan MAINFOLDER, move every file into a kind folder (Image,\n"
    "                                Document, Audio& Music, ...) or a year/month/day folder of its\n"
    "                                modification date directly inside it, then remove the top-level\n"
    "                                folders left holding nothing but empty folders: removed lines, or\n"
    "                                kept with the reason (hidden entries, and entries still holding a\n"
    "                                hidden entry or a file or link that was not moved, are kept).\n"
    "                                The count line ends in K removed. With --dry-run the clean-up\n"
    "                                prints plan, the path and (remove).\n"
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

// Appends one item line: kind, bytes, size text, date text, path (a folder item's name).
void appendItemLine(std::string &out, const IKImageItem &item)
{
    out += item.fileType().toStdString();
    out += '\t';
    char buffer[100] = {};
    std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(item.filesizenum()));
    out += buffer;
    out += '\t';
    out += item.fileSize().toStdString();
    out += '\t';
    out += item.modifDate().toStdString();
    out += '\t';
    const QByteArray path = item.bDir() ? item.nativeFileName() : item.nativeFilePath();
    appendEscapedName(out, std::string_view(path.constData(), size_t(path.size())));
    out += '\n';
}

const ItemList *chooseList(const FileLists &lists, std::string_view name)
{
    if (name == "files")
        return &lists.filesItemArray;
    if (name == "image")
        return &lists.imageFilesItemArray;
    if (name == "audio")
        return &lists.audioFilesItemArray;
    if (name == "video")
        return &lists.videoFilesItemArray;
    if (name == "document")
        return &lists.documentFilesItemArray;
    if (name == "archive")
        return &lists.archiveFilesItemArray;
    if (name == "other")
        return &lists.otherFilesItemArray;
    if (name == "current")
        return &lists.currentViewItemArray;
    return nullptr;
}

// The path the program works on for a path operand: absolute, its folder part resolved (links named
// last stay links).
QByteArray operandPath(std::string_view operand)
{
    return absoluteOperandPath(QByteArrayView(operand.data(), qsizetype(operand.size())));
}

// The empty text names no file: a usage error rather than the working folder or the root.
bool hasEmptyOperand(const std::vector<std::string_view> &operands)
{
    return std::any_of(operands.begin(), operands.end(),
                       [](std::string_view operand) { return operand.empty(); });
}

constexpr const char *kEmptyPath = "an empty path names no file or folder";

int scanCommand(int argc, char *argv[], const Args &args)
{
    std::string_view listName = "files";
    std::optional<std::string_view> sortName;
    std::vector<std::string_view> folders;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            folders.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--list") {
            if (i + 1 >= args.size())
                return usageError("option '--list' needs a value");
            listName = args[++i];
        } else if (arg.starts_with("--list=")) {
            listName = arg.substr(7);
        } else if (arg == "--sort") {
            if (i + 1 >= args.size())
                return usageError("option '--sort' needs a value");
            sortName = args[++i];
        } else if (arg.starts_with("--sort=")) {
            sortName = arg.substr(7);
        } else {
            return usageError("unknown option '" + std::string(arg) + "'");
        }
    }
    FileLists lists;
    const ItemList *chosen = chooseList(lists, listName);
    if (!chosen)
        return usageError("unknown list '" + std::string(listName) + "'");
    std::optional<SortOrder> order;
    if (sortName) {
        order = sortOrderFromCliName(*sortName);
        if (!order)
            return usageError("unknown sort order '" + std::string(*sortName) + "'");
    }
    if (folders.empty())
        return usageError("scan needs at least one folder");
    if (hasEmptyOperand(folders))
        return usageError(kEmptyPath);

    QCoreApplication app(argc, argv);
    FolderScanner scanner(lists);
    QEventLoop loop;
    QObject::connect(&scanner, &FolderScanner::idle, &loop, &QEventLoop::quit);
    for (std::string_view folder : folders)
        scanner.startScanCurrentFolder(fromNativePath(operandPath(folder)));
    loop.exec();
    if (order)
        sortItems(lists.filesItemArray, *order);

    std::string out;
    bool wroteAll = true;
    for (const IKImageItemRef &item : *chosen) {
        appendItemLine(out, *item);
        if (out.size() >= (1u << 20)) {
            wroteAll = writeOut(out) && wroteAll;
            out.clear();
        }
    }
    wroteAll = writeOut(out) && wroteAll;
    return finish(wroteAll);
}

int kindCommand(const Args &args)
{
    if (args.empty())
        return usageError("kind needs at least one name");
    std::string out;
    for (std::string_view name : args) {
        // The kind comes from the last component's extension, as the scan sees names.
        const size_t slash = name.rfind('/');
        const std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
        out += kindName(kindForFileName(last)).toStdString();
        out += '\n';
    }
    return finish(writeOut(out));
}

// A decimal count from 0 to 2^64-1, digits only.
bool parseByteCount(std::string_view text, quint64 &value)
{
    if (text.empty() || text.size() > 20)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        const quint64 digit = quint64(c - '0');
        if (value > (~quint64(0) - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

int sizeCommand(const Args &args)
{
    if (args.empty())
        return usageError("size needs at least one byte count");
    std::string out;
    for (std::string_view arg : args) {
        quint64 bytes = 0;
        if (!parseByteCount(arg, bytes))
            return usageError("not a byte count from 0 to 18446744073709551615: '" + std::string(arg) + "'");
        char buffer[100] = {};
        out += size_to_unit(bytes, buffer);
        out += '\n';
    }
    return finish(writeOut(out));
}

// trash, open and reveal: the action on each path in turn, one result line each, as it happens. Lines
// show each path as it was given. The action gets the resolved path, or with `givenPath` the path as
// given (trashing judges "." and ".." itself before resolving).
int desktopCommand(int argc, char *argv[], const Args &args, std::string_view command, std::string_view done,
                   ActionResult (*action)(const QByteArray &), bool givenPath = false)
{
    std::vector<std::string_view> paths;
    if (std::string unknown; !operands(args, 0, paths, unknown))
        return usageError("unknown option '" + unknown + "'");
    if (paths.empty())
        return usageError(std::string(command) + " needs at least one path");
    if (hasEmptyOperand(paths))
        return usageError(kEmptyPath);

    QCoreApplication app(argc, argv); // the session bus wants one
    bool wroteAll = true;
    bool allDone = true;
    for (std::string_view path : paths) {
        const ActionResult result =
            action(givenPath ? QByteArray(path.data(), qsizetype(path.size())) : operandPath(path));
        allDone = allDone && result.ok;
        std::string line(result.ok ? done : "failed");
        line += '\t';
        appendEscapedName(line, path);
        if (!result.ok) {
            line += '\t';
            line += result.reason.toStdString();
        }
        line += '\n';
        wroteAll = writeOut(line) && std::fflush(stdout) == 0 && wroteAll;
    }
    const int status = finish(wroteAll);
    return status == Success && !allDone ? int(Failure) : status;
}

// The lines of a batch command, counted for the closing line.
struct PlanOutput
{
    bool wroteAll = true;
    int moved = 0, skipped = 0, cleanedUp = 0;
    const char *cleanUpWord = "trashed"; // what the closing line calls the clean-up's count

    void line(const std::string &text) { wroteAll = writeOut(text) && std::fflush(stdout) == 0 && wroteAll; }
    int finishWithCounts()
    {
        line(std::to_string(moved) + " moved, " + std::to_string(skipped) + " skipped, " + std::to_string(cleanedUp) +
             ' ' + cleanUpWord + '\n');
        return finish(wroteAll);
    }
};

// The journal a batch writes before each step; without one nothing is done (status 1).
std::unique_ptr<MoveJournal> openJournal(const QString &operation)
{
    auto journal = std::make_unique<MoveJournal>(MoveJournal::defaultFolder(), operation);
    if (journal->isOpen())
        return journal;
    std::fprintf(stderr, "vellumry-cli: cannot write the journal: %s\n", journal->errorText().toStdString().c_str());
    return nullptr;
}

// Prints a plan (--dry-run: what would happen, the skips it can foresee included) or carries it out one
// step at a time with the journal, a line per step as it happens. Returns the outcomes of a real run.
QList<StepOutcome> runPlanSteps(const Plan &plan, bool dryRun, MoveJournal *journal, PlanOutput &out)
{
    QList<StepOutcome> outcomes;
    if (dryRun) {
        // Predicts what a run would skip: targets that exist now, and a second file for the same target.
        QSet<QByteArray> taken;
        for (const PlanStep &step : plan) {
            struct stat st;
            const bool clash = !step.skipped() && (taken.contains(step.target) || ::lstat(step.target.constData(), &st) == 0);
            if (step.skipped() || clash) {
                ++out.skipped;
                out.line("skipped\t" + escaped(step.source) + '\t' +
                         (clash ? std::string("name taken") : step.skipReason.toStdString()) + '\n');
            } else {
                taken.insert(step.target);
                out.line("plan\t" + escaped(step.source) + '\t' + escaped(step.target) + '\n');
            }
        }
        return outcomes;
    }
    for (const PlanStep &step : plan) {
        const StepOutcome outcome = executePlan({step}, journal).first();
        outcomes.append(outcome);
        if (outcome.moved) {
            ++out.moved;
            out.line("moved\t" + escaped(step.source) + '\t' + escaped(step.target) + '\n');
        } else if (outcome.copied) {
            // Not a move: the copy is complete at the target, and the original is still where it was.
            ++out.skipped;
            out.line("copied\t" + escaped(step.source) + '\t' + escaped(step.target) + '\t' +
                     outcome.reason.toStdString() + '\n');
        } else {
            ++out.skipped;
            out.line("skipped\t" + escaped(step.source) + '\t' + outcome.reason.toStdString() + '\n');
        }
    }
    return outcomes;
}

int runPlanCommand(const Plan &plan, bool dryRun, const QString &operation)
{
    PlanOutput out;
    std::unique_ptr<MoveJournal> journal;
    if (!dryRun && !(journal = openJournal(operation)))
        return Failure;
    runPlanSteps(plan, dryRun, journal.get(), out);
    return out.finishWithCounts();
}

// move (--up N | --to FOLDER | --to-main MAINFOLDER) [--dry-run] FILE...
int moveCommand(const Args &args)
{
    enum class Where { None, Up, To, ToMain } where = Where::None;
    int up = 0;
    QByteArray folder;
    bool dryRun = false;
    std::vector<std::string_view> files;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--dry-run") {
            dryRun = true;
        } else if (arg == "--up" || arg == "--to" || arg == "--to-main") {
            if (where != Where::None)
                return usageError("choose one of --up, --to and --to-main");
            if (i + 1 >= args.size())
                return usageError("option '" + std::string(arg) + "' needs a value");
            const std::string_view value = args[++i];
            if (arg == "--up") {
                if (value != "1" && value != "2" && value != "3")
                    return usageError("--up takes 1, 2 or 3 (folders up)");
                where = Where::Up;
                up = value[0] - '0';
            } else {
                if (value.empty())
                    return usageError("option '" + std::string(arg) + "' needs a folder");
                where = arg == "--to" ? Where::To : Where::ToMain;
                folder = operandPath(value);
            }
        } else {
            return usageError("unknown option '" + std::string(arg) + "'");
        }
    }
    if (where == Where::None)
        return usageError("move needs --up N, --to FOLDER or --to-main MAINFOLDER");
    if (files.empty())
        return usageError("move needs at least one file");
    if (hasEmptyOperand(files))
        return usageError(kEmptyPath);
    if (where == Where::ToMain) {
        if (const QString reason = mainFolderRefusal(folder); !reason.isEmpty()) {
            std::fprintf(stderr, "vellumry-cli: cannot move into %s: %s\n", escaped(folder).c_str(),
                         reason.toStdString().c_str());
            return Failure;
        }
    }

    QList<MoveSource> sources;
    for (size_t i = 0; i < files.size(); ++i) {
        const QByteArray path = operandPath(files[i]);
        const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
        sources.append({path, name, int(i), false});
    }
    const Plan plan = where == Where::Up ? planMoveUp(sources, up + 1) : planMoveInto(sources, folder);

    return runPlanCommand(plan, dryRun, QStringLiteral("move"));
}

// rename --mode parent|components|text --variant begin|end|replace [--depth 1-5] [--text T] [--find F]
//        [--replace R] [--dry-run] FILE...   (the numbered form carries the file's position among the arguments)
int renameCommand(const Args &args)
{
    RenameOptions options;
    bool haveMode = false, haveVariant = false, dryRun = false, optionsEnded = false;
    std::vector<std::string_view> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--dry-run") {
            dryRun = true;
            continue;
        }
        if (arg != "--mode" && arg != "--variant" && arg != "--depth" && arg != "--text" && arg != "--find" &&
            arg != "--replace")
            return usageError("unknown option '" + std::string(arg) + "'");
        if (i + 1 >= args.size())
            return usageError("option '" + std::string(arg) + "' needs a value");
        const std::string_view value = args[++i];
        const QString text = fromNativePath(QByteArrayView(value.data(), qsizetype(value.size())));
        if (arg == "--mode") {
            haveMode = true;
            if (value == "parent")
                options.mode = RenameMode::ParentFolderName;
            else if (value == "components")
                options.mode = RenameMode::PathComponents;
            else if (value == "text")
                options.mode = RenameMode::Text;
            else
                return usageError("--mode takes parent, components or text");
        } else if (arg == "--variant") {
            haveVariant = true;
            if (value == "begin")
                options.variant = RenameVariant::AddToBeginning;
            else if (value == "end")
                options.variant = RenameVariant::AddToEnd;
            else if (value == "replace")
                options.variant = RenameVariant::Replace;
            else
                return usageError("--variant takes begin, end or replace");
        } else if (arg == "--depth") {
            if (value.size() != 1 || value[0] < '1' || value[0] > '5')
                return usageError("--depth takes 1 to 5");
            options.depth = value[0] - '0';
        } else if (arg == "--text") {
            options.text = text;
        } else if (arg == "--find") {
            options.find = text;
        } else {
            options.replace = text;
        }
    }
    if (!haveMode || !haveVariant)
        return usageError("rename needs --mode and --variant");
    if (files.empty())
        return usageError("rename needs at least one file");
    if (hasEmptyOperand(files))
        return usageError(kEmptyPath);
    QList<RenameSource> sources;
    for (size_t i = 0; i < files.size(); ++i)
        sources.append({operandPath(files[i]), int(i), false});
    return runPlanCommand(planRename(sources, options), dryRun, QStringLiteral("rename"));
}

// classify --by kind|date [--dry-run] MAINFOLDER
int classifyCommand(int argc, char *argv[], const Args &args)
{
    std::optional<ClassifyBy> by;
    bool dryRun = false;
    std::vector<std::string_view> folders;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--dry-run") {
            dryRun = true;
        } else if (arg == "--by") {
            if (i + 1 >= args.size())
                return usageError("option '--by' needs a value");
            const std::string_view value = args[++i];
            if (value == "kind")
                by = ClassifyBy::Kind;
            else if (value == "date")
                by = ClassifyBy::Date;
            else
                return usageError("--by takes kind or date");
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return usageError("unknown option '" + std::string(arg) + "'");
        } else {
            folders.push_back(arg);
        }
    }
    if (!by)
        return usageError("classify needs --by kind or --by date");
    if (folders.size() != 1)
        return usageError("classify takes exactly one main folder");
    if (hasEmptyOperand(folders))
        return usageError(kEmptyPath);

    // The main folder as an absolute path (a link named last is not resolved: the tree is classified
    // where the user named it), refused before any scan when it is no folder or one of the places that
    // hold everything else (root, home, the Trash), however it is spelled.
    const QByteArray main = operandPath(folders.front());
    if (const QString reason = mainFolderRefusal(main); !reason.isEmpty()) {
        std::fprintf(stderr, "vellumry-cli: cannot classify %s: %s\n", escaped(main).c_str(),
                     reason.toStdString().c_str());
        return Failure;
    }

    QCoreApplication app(argc, argv); // the scan hands its batches over through the event loop
    FileLists lists;
    FolderScanner scanner(lists);
    QEventLoop loop;
    QObject::connect(&scanner, &FolderScanner::idle, &loop, &QEventLoop::quit);
    scanner.startScanCurrentFolder(fromNativePath(main));
    loop.exec();

    const ClassifyPlan plan = planClassification(lists.filesItemArray, main, *by);
    PlanOutput out;
    out.cleanUpWord = "removed";
    const auto keptLine = [&](const QByteArray &path, const QString &reason) {
        out.line("kept\t" + escaped(path) + '\t' + reason.toStdString() + '\n');
    };
    if (dryRun) {
        runPlanSteps(plan.moves, true, nullptr, out);
        QList<std::pair<QByteArray, QString>> entries = plan.kept;
        for (const QByteArray &path : plan.cleanUp)
            entries.append({path, QString()});
        std::sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &[path, reason] : entries) {
            if (reason.isEmpty())
                out.line("plan\t" + escaped(path) + "\t(remove)\n");
            else
                keptLine(path, reason);
        }
        return out.finishWithCounts();
    }
    const std::unique_ptr<MoveJournal> journal = openJournal(QStringLiteral("classify"));
    if (!journal)
        return Failure;
    const QList<StepOutcome> outcomes = runPlanSteps(plan.moves, false, journal.get(), out);
    for (const CleanUpOutcome &entry : cleanUpTopLevel(outcomes, main, *by, journal.get())) {
        if (entry.removed) {
            ++out.cleanedUp;
            out.line("removed\t" + escaped(entry.path) + '\n');
        } else {
            keptLine(entry.path, entry.reason);
        }
    }
    return out.finishWithCounts();
}

// The Trash through the journal: a trash run is a batch like the others.
ActionResult trashWithJournal(const QByteArray &path)
{
    static const std::unique_ptr<MoveJournal> journal = openJournal(QStringLiteral("trash"));
    if (!journal)
        return {false, QStringLiteral("the journal cannot be written")};
    return trashJournaled(path, journal.get());
}

} // namespace

int loginCommand(const Args &args); // LoginCommand.cpp
int appsCommand(const Args &args);

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
    if (command == "defaults")
        return defaultsCommand(args);
    if (command == "box")
        return boxCommand(args);
    if (command == "apps")
        return appsCommand(args);
    if (command == "trash")
        return desktopCommand(argc, argv, args, command, "trashed", &trashWithJournal, true);
    if (command == "open")
        return desktopCommand(argc, argv, args, command, "opened", &openWithDefaultApplication);
    if (command == "reveal")
        return desktopCommand(argc, argv, args, command, "revealed", &revealInFileManager);
    if (command == "login")
        return loginCommand(args);
    return usageError("unknown command '" + std::string(command) + "'");
}

} // namespace vellumry::cli
