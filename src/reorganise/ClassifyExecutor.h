// Carrying a classification out: the moves, then the clean-up of the main folder's top level.
#pragma once

#include "reorganise/ClassifyPlanner.h"

#include <atomic>
#include <functional>

namespace vellumry {

// The clean-up once `moves` are done, worked out from the moves that succeeded (a file that stayed keeps
// its folder). Each top-level folder that holds nothing but folders is removed from the bottom up with
// rmdir, each removal journaled first: rmdir fails on a folder that is not empty, so a file written into
// the tree meanwhile is never removed with it; the entry is then kept and the reason names the folder.
// Nothing goes to the Trash and no file is ever deleted.
QList<CleanUpOutcome> cleanUpTopLevel(const QList<StepOutcome> &moves, const QByteArray &mainFolder, ClassifyBy by,
                                      MoveJournal *journal);

// Runs the moves of `plan` (making the destination folders as they are needed), then cleanUpTopLevel().
// A cancelled run does no clean-up. `onStep` follows each move. Any thread.
BatchOutcome executeClassification(const ClassifyPlan &plan, const QByteArray &mainFolder, ClassifyBy by,
                                   MoveJournal *journal, const std::atomic<bool> *cancelled = nullptr,
                                   const StepCallback &onStep = {});

// The clean-up the plan foresees, in path order: the top-level entries it would remove (`removed`), and
// those it keeps, with the reason.
QList<CleanUpOutcome> previewCleanUp(const ClassifyPlan &plan);

// "120 moved, 2 skipped: name taken · 3 empty folders removed, kept: a (holds a file that was not moved: a/x)".
QString classifySummaryText(const BatchOutcome &outcome);

} // namespace vellumry
