// Carrying a classification out: the moves, then the clean-up of the main folder's top level.
#pragma once

#include "reorganise/ClassifyPlanner.h"

#include <atomic>
#include <functional>

namespace vellumry {

struct CleanUpOutcome
{
    QByteArray path;
    bool removed = false;
    QString reason; // why it was kept (by the rules, or because something appeared in it)
    bool guarded = false; // kept because it holds more than emptied folders, or cannot be read
};

struct ClassifyOutcome
{
    QList<StepOutcome> moves;
    QList<CleanUpOutcome> cleanUp; // in the order of the top level's names
    bool cancelled = false;        // stopped between two moves; no clean-up was done
};

// The clean-up once `moves` are done, worked out from the moves that succeeded (a file that stayed keeps
// its folder). Each top-level folder that holds nothing but folders is removed from the bottom up with
// rmdir, each removal journaled first: rmdir fails on a folder that is not empty, so a file written into
// the tree meanwhile is never removed with it; the entry is then kept and the reason names the folder.
// Nothing goes to the Trash and no file is ever deleted.
QList<CleanUpOutcome> cleanUpTopLevel(const QList<StepOutcome> &moves, const QByteArray &mainFolder, ClassifyBy by,
                                      MoveJournal *journal);

// Runs the moves of `plan` (making the destination folders as they are needed), then cleanUpTopLevel().
// A cancelled run does no clean-up. Any thread.
ClassifyOutcome executeClassification(const ClassifyPlan &plan, const QByteArray &mainFolder, ClassifyBy by,
                                      MoveJournal *journal, const std::atomic<bool> *cancelled = nullptr,
                                      const std::function<void(int, int)> &progress = {});

// "120 moved, 2 skipped: name taken · 3 empty folders removed, kept: a (holds a file that was not moved: a/x)".
QString classifySummaryText(const ClassifyOutcome &outcome);

} // namespace vellumry
