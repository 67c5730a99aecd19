// vellumry-cli history: the journaled batches, newest first.
#include "cli/Cli.h"

#include "reorganise/Undo.h"

#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

// The state column: undone, not undoable (with why), interrupted (undoable for the steps it took), undoable.
std::string batchState(const BatchRecord &batch)
{
    if (batch.undone)
        return "undone";
    if (!batch.undoable())
        return "not undoable: " + batch.notUndoable.toStdString();
    return batch.ended ? "undoable" : "interrupted";
}

// history
int historyCommand(const Args &args)
{
    std::vector<std::string_view> operands;
    if (const std::string error = readArguments(args, 0, {}, operands, {}, "history takes no arguments");
        !error.empty())
        return usageError(error);
    bool wroteAll = true;
    for (const BatchRecord &batch : batchHistory()) {
        const std::string line = batch.id.toStdString() + '\t' +
                                 batch.started.toString(Qt::ISODateWithMs).toStdString() + '\t' +
                                 batch.operation.toStdString() + '\t' + std::to_string(batch.moved) + " moved, " +
                                 std::to_string(batch.removed) + " removed, " + std::to_string(batch.trashed) +
                                 " trashed\t" + batchState(batch) + '\n';
        wroteAll = writeOut(line) && wroteAll;
    }
    return finish(wroteAll);
}

} // namespace vellumry::cli
