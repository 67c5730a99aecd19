// vellumry-cli undo: a journaled batch undone, itself journaled.
#include "cli/Cli.h"

#include "reorganise/Undo.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

// undo [ID] [--dry-run]: the newest batch not yet undone when no id is given (batches that journaled nothing
// to take back, such as a trash that failed, are passed over).
int undoCommand(int argc, char *argv[], const Args &args)
{
    bool dryRun = false;
    std::vector<std::string_view> ids;
    const std::string error = readArguments(args, 0, {{"--dry-run"}}, ids, [&](std::string_view, std::string_view) {
        dryRun = true;
        return std::string();
    });
    if (!error.empty())
        return usageError(error);
    if (ids.size() > 1)
        return usageError("undo takes at most one batch id");

    const QList<BatchRecord> history = batchHistory();
    const BatchRecord *batch = nullptr;
    for (const BatchRecord &record : history) {
        if (ids.empty() ? !record.undone && !record.empty : record.id.toStdString() == ids.front()) {
            batch = &record;
            break;
        }
    }
    if (!batch) {
        std::fprintf(stderr, "vellumry-cli: %s\n",
                     ids.empty() ? "no batch to undo" : ("no batch " + escaped(QByteArray(ids.front().data(), qsizetype(ids.front().size())))).c_str());
        return Failure;
    }
    if (!batch->undoable()) {
        std::fprintf(stderr, "vellumry-cli: cannot undo %s: %s\n", batch->id.toStdString().c_str(),
                     batch->notUndoable.toStdString().c_str());
        return Failure;
    }

    QCoreApplication app(argc, argv); // re-trashing wants one for the session bus
    const UndoPlan plan = planUndo(*batch);
    PlanOutput out;
    if (dryRun) {
        for (const QByteArray &folder : plan.remakeFolders)
            out.line("plan\t" + escaped(folder) + "\t(remake)\n");
        out.preview(previewPlan(plan.moves));
        for (const QByteArray &path : plan.retrash)
            out.line("plan\t" + escaped(path) + "\t(trash)\n");
        for (const QByteArray &folder : plan.removeFolders)
            out.line("plan\t" + escaped(folder) + "\t(remove when empty)\n");
        return out.finishWithCounts();
    }
    auto journal = std::make_unique<MoveJournal>(MoveJournal::defaultFolder(), QStringLiteral("undo"), batch->id);
    if (!journal->isOpen()) {
        std::fprintf(stderr, "vellumry-cli: cannot write the journal: %s\n", journal->errorText().toStdString().c_str());
        return Failure;
    }
    const BatchOutcome outcome =
        executeUndo(plan, journal.get(), nullptr, [&out](const StepOutcome &step, int, int) { out.step(step); });
    for (const CleanUpOutcome &folder : outcome.remade) {
        out.line(folder.removed ? "remade\t" + escaped(folder.path) + '\n'
                                : "kept\t" + escaped(folder.path) + '\t' + folder.reason.toStdString() + '\n');
    }
    for (const CleanUpOutcome &entry : outcome.trashed) {
        out.cleanedUp += entry.removed ? 1 : 0;
        out.line(entry.removed ? "trashed\t" + escaped(entry.path) + '\n'
                               : "failed\t" + escaped(entry.path) + '\t' + entry.reason.toStdString() + '\n');
    }
    for (const CleanUpOutcome &folder : outcome.cleanUp) {
        out.line(folder.removed ? "removed\t" + escaped(folder.path) + '\n'
                                : "kept\t" + escaped(folder.path) + '\t' + folder.reason.toStdString() + '\n');
    }
    return out.finishWithCounts();
}

} // namespace vellumry::cli
