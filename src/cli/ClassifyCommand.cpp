// vellumry-cli classify: a main folder's files into kind or date folders, then the emptied folders removed.
#include "cli/Cli.h"

#include "model/ScanFolders.h"
#include "platform/NativePath.h"
#include "reorganise/ClassifyExecutor.h"

#include <QCoreApplication>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

// classify --by kind|date [--date taken|modified] [--dry-run] MAINFOLDER
int classifyCommand(int argc, char *argv[], const Args &args)
{
    std::optional<ClassifyBy> by;
    std::optional<ClassifyDate> date;
    bool dryRun = false;
    std::vector<std::string_view> folders;
    const std::string error = readArguments(
        args, 0, {{"--dry-run"}, {"--by", true}, {"--date", true}}, folders,
        [&](std::string_view option, std::string_view value) -> std::string {
            if (option == "--dry-run") {
                dryRun = true;
            } else if (option == "--date") {
                if (value == "taken")
                    date = ClassifyDate::Taken;
                else if (value == "modified")
                    date = ClassifyDate::Modified;
                else
                    return "--date takes taken or modified";
            } else if (value == "kind")
                by = ClassifyBy::Kind;
            else if (value == "date")
                by = ClassifyBy::Date;
            else
                return "--by takes kind or date";
            return {};
        });
    if (!error.empty())
        return usageError(error);
    if (!by)
        return usageError("classify needs --by kind or --by date");
    if (date && *by != ClassifyBy::Date)
        return usageError("--date goes with --by date");
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

    QCoreApplication app(argc, argv);
    FileLists lists;
    scanFolders(lists, {main});
    const ClassifyDate dateChoice = date.value_or(ClassifyDate::Modified);
    const ClassifyPlan plan = planClassification(lists.filesItemArray, main, *by, dateChoice);
    // The closing line keeps its form for scripts; the files that went by their modification time
    // instead of a date taken are said apart.
    const auto finishLines = [&](PlanOutput &output) {
        const int status = output.finishWithCounts();
        if (dateChoice == ClassifyDate::Taken)
            std::fprintf(stderr, "%s\n", byModificationTimeText(plan.byModificationTime).toStdString().c_str());
        return status;
    };

    PlanOutput out;
    out.cleanUpWord = "removed";
    const auto keptLine = [&](const CleanUpOutcome &entry) {
        out.line("kept\t" + escaped(entry.path) + '\t' + entry.reason.toStdString() + '\n');
    };
    if (dryRun) {
        out.preview(previewPlan(plan.moves));
        for (const CleanUpOutcome &entry : previewCleanUp(plan)) {
            if (entry.removed)
                out.line("plan\t" + escaped(entry.path) + "\t(remove)\n");
            else
                keptLine(entry);
        }
        return finishLines(out);
    }
    const std::unique_ptr<MoveJournal> journal = openJournal(QStringLiteral("classify"));
    if (!journal)
        return Failure;
    const BatchOutcome outcome = executeClassification(
        plan, main, *by, journal.get(), nullptr, [&out](const StepOutcome &step, int, int) { out.step(step); });
    for (const CleanUpOutcome &entry : outcome.cleanUp) {
        if (entry.removed) {
            ++out.cleanedUp;
            out.line("removed\t" + escaped(entry.path) + '\n');
        } else {
            keptLine(entry);
        }
    }
    return finishLines(out);
}

} // namespace vellumry::cli
