// The shape every batch operation shares: a plan of moves, carried out one step at a time, journaled.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>

namespace vellumry {

// One step of a plan: move `source` to `target`, or skip it for the reason given.
struct PlanStep
{
    QByteArray source;
    QByteArray target;
    QString skipReason; // non-empty: the step is not carried out
    int itemIndex = -1; // the item the step belongs to, for the caller
    bool makeFolder = false; // create the target's folder (and the folders above it) first
    bool skipped() const { return !skipReason.isEmpty(); }
};
using Plan = QList<PlanStep>;

struct StepOutcome
{
    PlanStep step;
    bool moved = false;
    QString reason; // why it was not moved (the plan's skip reason, or the move's failure)
};

// Appends every completed move to a journal file, one line each, written through before the next step,
// so that what a batch did can be read back (and undone) even if the program stops halfway.
// Line: "<ISO time, UTC>\t<source>\t<target>", paths percent-encoded ('/' kept) so any bytes survive.
class MoveJournal
{
public:
    // A new file in `folder` (made when missing), named after the time and the operation.
    MoveJournal(const QString &folder, const QString &operation);
    ~MoveJournal();
    MoveJournal(const MoveJournal &) = delete;
    MoveJournal &operator=(const MoveJournal &) = delete;

    // $XDG_DATA_HOME/Vellumry/journal (~/.local/share when the variable is unset).
    static QString defaultFolder();

    bool isOpen() const { return m_fd >= 0; }
    QString filePath() const { return m_path; }
    bool record(const QByteArray &source, const QByteArray &target);

private:
    int m_fd = -1;
    QString m_path;
};

// Carries the plan out in order through the never-overwriting move. A failed step is recorded and the
// loop goes on; `cancelled` is looked at between two steps; `progress(done, total)` follows each step.
// Any thread.
QList<StepOutcome> executePlan(const Plan &plan, MoveJournal *journal, const std::atomic<bool> *cancelled = nullptr,
                               const std::function<void(int, int)> &progress = {});

// "12 moved, 1 skipped: name taken" (the most frequent reasons, most frequent first); `done` names what
// happened to the files that were not skipped ("renamed" for a rename).
QString summaryText(const QList<StepOutcome> &outcomes, const QString &done = QStringLiteral("moved"));

} // namespace vellumry
