// The shape every batch operation shares: a plan of moves, carried out one step at a time, journaled.
#pragma once

#include "platform/DesktopServices.h"

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
    bool copied = false; // across file systems: the copy is at the target, the original stays (see reason)
};

// One top-level entry of a classification's clean-up, or of its preview (`removed`: would be removed).
struct CleanUpOutcome
{
    QByteArray path;
    bool removed = false;
    QString reason; // why it was kept (by the rules, or because something appeared in it)
    bool guarded = false; // kept because it holds more than emptied folders, or cannot be read
};

// What a batch did: each step's outcome in plan order and, for a classification, its clean-up.
struct BatchOutcome
{
    QList<StepOutcome> moves;
    QList<CleanUpOutcome> cleanUp; // in the order of the top level's names
    bool cancelled = false;        // stopped between two steps; no clean-up was done
    // An undo only: the removed folders it made again (`removed` false: not made, see reason), and the
    // entries it put back into the Trash (`removed` true when trashed).
    QList<CleanUpOutcome> remade;
    QList<CleanUpOutcome> trashed;
};

// Called after each step with its outcome and the steps done so far out of all of them, on the thread
// that runs the batch.
using StepCallback = std::function<void(const StepOutcome &outcome, int done, int total)>;

// A step of a plan as a run would see it now, nothing touched: carried out, or skipped for the plan's
// reason or because its target is taken.
struct StepPreview
{
    PlanStep step;
    bool skipped = false;
    QString reason; // why it would be skipped
};

// A journal of what a batch does to the user's files, written ahead: each step's intention reaches the
// file before the step starts, and its outcome after it, so a batch stopped at any point (a kill, a
// crash) leaves a journal naming every entry that may have moved. One line per record, fields separated
// by tabs:
//   <ISO time, UTC>  version  2  <operation>  [<id of the batch an undo undoes>]      (the first line)
//   <ISO time, UTC>  intent|done|failed|copied  move|copy|trash|restore|mkdir|rmdir  <path>  [<target>]
//                    [<reason> | <identity>]
// and a last line "<time>\tend" when the batch is over. A "done" move, restore or trash carries the
// identity of the entry where it now is, "<device>:<inode>:<size>:<modification time in ns>", so that an
// undo can tell it is still the same entry; a "done" trash names the entry inside the Trash's files/
// folder as its target. "restore" is an entry brought back from the Trash by an undo (its .trashinfo
// removed). Journals without the version line (the first format) record no identities. Paths are absolute and percent-encoded ('/'
// kept), so any bytes survive. "copy" names the temporary copy a move across file systems writes first.
// Lines are written with one write() each (the kernel has them when the step starts; they survive the
// program, not a power cut). The file stays locked while its batch runs.
class MoveJournal
{
public:
    enum class Action
    {
        Move,
        Copy,
        Trash,
        MakeFolder,
        RemoveFolder,
        Restore
    };

    // A new file in `folder` (made when missing), named after the time, a two-digit number and the operation,
    // so names sort in the order batches began ("20261206-145300-123-00-move.log"). Before that,
    // the temporary copies that killed batches left behind (named by their journals, see
    // removeAbandonedCopies) are removed.
    // `undoes`: for an undo, the id of the batch it undoes (the file name of its journal without ".log").
    MoveJournal(const QString &folder, const QString &operation, const QString &undoes = {});
    ~MoveJournal();
    MoveJournal(const MoveJournal &) = delete;
    MoveJournal &operator=(const MoveJournal &) = delete;

    // $XDG_DATA_HOME/Vellumry/journal (~/.local/share when the variable is unset).
    static QString defaultFolder();

    bool isOpen() const { return m_fd >= 0; }
    QString filePath() const { return m_path; }
    QString errorText() const { return m_error; } // why the journal could not be opened

    // Each answers whether the line was written.
    bool intend(Action action, const QByteArray &path, const QByteArray &target = {});
    bool done(Action action, const QByteArray &path, const QByteArray &target = {},
              const QByteArray &identity = {});
    bool failed(Action action, const QByteArray &path, const QByteArray &target, const QString &reason);
    bool copied(const QByteArray &source, const QByteArray &target, const QString &reason);

    // Goes through the journals of `folder` that did not end and whose batch no longer runs, removes the
    // temporary copies they record and no later line finished, and marks them "recovered". Answers the
    // number of copies removed.
    static int removeAbandonedCopies(const QString &folder);

private:
    bool write(const char *state, Action action, const QByteArray &path, const QByteArray &target,
               const QString &reason);
    bool writeLine(const QByteArray &line);

    int m_fd = -1;
    QString m_path;
    QString m_error;
};

// Carries the plan out in order through the never-overwriting move. With a journal, each step's intention
// is journaled before the step, and a step whose intention cannot be written is not carried out. A failed
// step is recorded and the loop goes on; `cancelled` is looked at between two steps; `onStep` follows each
// step. Any thread.
QList<StepOutcome> executePlan(const Plan &plan, MoveJournal *journal, const std::atomic<bool> *cancelled = nullptr,
                               const StepCallback &onStep = {});

// One step of executePlan(), journaled as `action` (Move, or Restore for an entry taken out of the Trash).
StepOutcome carryOutStep(const PlanStep &step, MoveJournal *journal,
                         MoveJournal::Action action = MoveJournal::Action::Move);

// "<device>:<inode>:<size>:<modification time in ns>" of the entry at `path` (links not followed); empty
// when there is none.
QByteArray entryIdentity(const QByteArray &path);

// Where the entry that was at `originalPath` (absolute) lies in a Trash after being trashed: the path
// inside the Trash's files/ folder, found through the .trashinfo files of the home Trash and of the
// Trash at the top of the entry's disk. Among several, the one with the inode `inode` (when not 0), else
// the latest deleted. Empty when none is found.
QByteArray findTrashedEntry(const QByteArray &originalPath, quint64 inode = 0);

// What executePlan() would do now, step by step in plan order: a step is skipped for its plan's reason, or
// for the reason the move would give where it is known beforehand: a target name longer than the file
// system allows, "name taken" when its target exists now (and no earlier step moves it away) or is the
// target of an earlier step that would be carried out. A source that is missing is not looked for (a
// dry run shows the plan of names as given). Reads the file system only. Any thread.
QList<StepPreview> previewPlan(const Plan &plan);

// Moves one file or folder to the desktop's Trash (`desktop`'s trash), journaled like a step: the intention
// before, the outcome after; without a line of intention written it is not trashed. Any thread.
ActionResult trashJournaled(const QByteArray &path, MoveJournal *journal,
                            DesktopServices &desktop = DesktopServices::system());

// "12 moved, 1 skipped: name taken" (the most frequent reasons, most frequent first); `done` names what
// happened to the files that were not skipped ("renamed" for a rename).
QString summaryText(const QList<StepOutcome> &outcomes, const QString &done = QStringLiteral("moved"));

} // namespace vellumry
