// Undoing a batch from its journal: the history of batches, what an undo would do, and the undo itself.
#pragma once

#include "reorganise/BatchExecutor.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <atomic>

namespace vellumry {

// One batch as its journal tells it.
struct BatchRecord
{
    QString id;          // the journal's file name without ".log": stable, and sorts in the order batches began
    QString journalPath;
    QDateTime started;   // UTC
    QString operation;   // move, rename, classify, trash, undo
    int moved = 0, removed = 0, trashed = 0; // steps done: moves (and restores), folders removed, entries trashed
    bool ended = false;  // the journal closed normally; otherwise the batch was interrupted (or still runs)
    bool running = false;
    bool empty = false;  // journaled nothing an undo could take back (a dry-run-like batch, a failed trash)
    QString undoes;      // an undo: the id of the batch it undid
    bool undone = false; // a finished undo that is not itself undone names this batch
    QString undoneBy;
    QString notUndoable; // why it cannot be undone; empty when it can
    bool undoable() const { return notUndoable.isEmpty(); }
};

// Every batch journaled in `journalFolder`, newest first. Reads the journals only. Any thread.
QList<BatchRecord> batchHistory(const QString &journalFolder = MoveJournal::defaultFolder());

// What undoing a batch takes, in the order it is done. Steps that cannot be taken carry their reason.
struct UndoPlan
{
    BatchRecord batch;
    QList<QByteArray> remakeFolders; // folders the batch removed, parents first
    // Entries back from the Trash to their old places, then each moved entry back from its target to its
    // source, newest first. A step whose entry changed since, left its target, or whose old place is taken
    // is skipped with the reason.
    Plan moves;
    QList<QByteArray> trashInfo;     // parallel to `moves`: the .trashinfo to remove after a restore, or empty
    QList<QByteArray> retrash;       // entries an undone undo had restored from the Trash: trashed again
    QList<QByteArray> removeFolders; // folders the batch made, deepest first: removed only when empty
};

// The undo of `batch` as things are now (reads the journal and the file system only). A batch that is not
// undoable gives an empty plan. Any thread.
UndoPlan planUndo(const BatchRecord &batch);

// Carries the plan out through the never-overwriting move, journaled in `journal` (opened with operation
// "undo" and the batch's id, so that the undo can be undone in turn): folders remade, moves back (a restore
// from the Trash removes its .trashinfo), entries re-trashed, then the batch's folders removed when empty
// (in `cleanUp`). `cancelled` is looked at between two moves; a cancelled undo removes no folder. Any thread.
BatchOutcome executeUndo(const UndoPlan &plan, MoveJournal *journal, const std::atomic<bool> *cancelled = nullptr,
                         const StepCallback &onStep = {});

} // namespace vellumry
