// Carrying out a classification and its clean-up.
#include "reorganise/ClassifyExecutor.h"

#include "platform/NativePath.h"

namespace vellumry {

using namespace Qt::StringLiterals;

QList<CleanUpOutcome> cleanUpTopLevel(const QList<StepOutcome> &moves, const QByteArray &mainFolder, ClassifyBy by,
                                      const TrashFunction &trash)
{
    // Only what really moved counts: a file whose move failed still lies in its old folder.
    Plan done;
    for (const StepOutcome &step : moves) {
        if (step.moved)
            done.append(step.step);
    }
    const ClassifyPlan after = cleanUpAfter(done, mainFolder, by);
    QList<CleanUpOutcome> entries;
    for (const auto &[path, reason] : after.kept)
        entries.append({path, false, reason, after.guarded.contains(path)});
    for (const QByteArray &path : after.cleanUp) {
        const ActionResult result = trash ? trash(path) : ActionResult{false, u"no Trash"_s};
        entries.append({path, result.ok, result.ok ? QString() : u"not moved to the Trash: "_s + result.reason,
                        !result.ok});
    }
    std::sort(entries.begin(), entries.end(),
              [](const CleanUpOutcome &a, const CleanUpOutcome &b) { return a.path < b.path; });
    return entries;
}

ClassifyOutcome executeClassification(const ClassifyPlan &plan, const QByteArray &mainFolder, ClassifyBy by,
                                      MoveJournal *journal, const std::atomic<bool> *cancelled,
                                      const std::function<void(int, int)> &progress, const TrashFunction &trash)
{
    ClassifyOutcome outcome;
    outcome.moves = executePlan(plan.moves, journal, cancelled, progress);
    outcome.cancelled = cancelled && cancelled->load();
    if (!outcome.cancelled)
        outcome.cleanUp = cleanUpTopLevel(outcome.moves, mainFolder, by, trash);
    return outcome;
}

QString classifySummaryText(const ClassifyOutcome &outcome)
{
    QString text = summaryText(outcome.moves);
    if (outcome.cancelled)
        return text + u" (cancelled, nothing moved to the Trash)"_s;
    int trashed = 0;
    QStringList guarded;
    for (const CleanUpOutcome &entry : outcome.cleanUp) {
        if (entry.trashed)
            ++trashed;
        else if (entry.guarded)
            guarded.append(displayPath(fromNativePath(entry.path.mid(entry.path.lastIndexOf('/') + 1))) + u" ("_s +
                           entry.reason + u')');
    }
    text += u" · %1 to the Trash"_s.arg(trashed);
    if (!guarded.isEmpty())
        text += u", kept: "_s + (guarded.size() > 2 ? guarded.mid(0, 2).join(u", "_s) + u", …"_s : guarded.join(u", "_s));
    return text;
}

} // namespace vellumry
