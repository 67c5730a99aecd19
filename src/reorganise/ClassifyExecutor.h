// Carrying a classification out: the moves, then the clean-up of the main folder's top level.
#pragma once

#include "platform/DesktopServices.h"
#include "reorganise/ClassifyPlanner.h"

#include <atomic>
#include <functional>

namespace vellumry {

struct CleanUpOutcome
{
    QByteArray path;
    bool trashed = false;
    QString reason; // why it was kept (by the rules, or because the Trash refused it)
    bool guarded = false; // kept because it still holds a file that was not moved, or cannot be read
};

struct ClassifyOutcome
{
    QList<StepOutcome> moves;
    QList<CleanUpOutcome> cleanUp; // in the order of the top level's names
    bool cancelled = false;        // stopped between two moves; no clean-up was done
};

using TrashFunction = std::function<ActionResult(const QByteArray &)>;

// The clean-up once `moves` are done: worked out from the moves that succeeded, so a file that stayed keeps
// its folder out of the Trash; each entry it does not keep goes to the Trash through `trash`.
QList<CleanUpOutcome> cleanUpTopLevel(const QList<StepOutcome> &moves, const QByteArray &mainFolder, ClassifyBy by,
                                      const TrashFunction &trash = &moveToTrash);

// Runs the moves of `plan` (making the destination folders as they are needed), then works the clean-up
// out again from the moves that succeeded, so a file that stayed keeps its folder out of the Trash, and
// sends each remaining entry to the Trash through `trash`. A cancelled run does no clean-up. Any thread.
ClassifyOutcome executeClassification(const ClassifyPlan &plan, const QByteArray &mainFolder, ClassifyBy by,
                                      MoveJournal *journal, const std::atomic<bool> *cancelled = nullptr,
                                      const std::function<void(int, int)> &progress = {},
                                      const TrashFunction &trash = &moveToTrash);

// "120 moved, 2 skipped: name taken · 3 to the Trash, kept: a (holds a file that was not moved: a/x)".
QString classifySummaryText(const ClassifyOutcome &outcome);

} // namespace vellumry
