// The window's batch operations: moving the selection up or into a folder, the batch rename and the
// classification of the main folder, each started from its menu, button or sheet; and their undo.
//
// One batch at a time, never during a scan. A batch is planned on the background pool; with the
// preference on (the default) the preview sheet then shows what the plan would do, and Run carries out
// exactly that plan while Cancel drops it with nothing touched and no journal. Every batch writes a
// journal before it touches a file: a journal that cannot be opened refuses the batch with nothing
// changed. The planning and the moves run behind a window-modal progress dialog whose Cancel stops
// between two files; the items, the status line and the reveal or open afterwards happen back on the
// GUI thread.
// Threading: every function here is for the GUI thread.
#pragma once

#include "model/IKImageItem.h"
#include "platform/Background.h"
#include "reorganise/ClassifyExecutor.h"
#include "reorganise/Undo.h"
#include "reorganise/ui/PlanPreviewModel.h"

#include <QObject>

#include <functional>
#include <optional>

class QDialog;
class QAction;
class QFileDialog;

namespace vellumry {

class AppDelegate;
class BackgroundImageView;
class ClassifySheet;
class DesktopServices;
class PlanPreviewSheet;
class RenameSheet;

class BatchRunner : public QObject
{
    Q_OBJECT
public:
    // `owner` gives the selection, the main folder, the lists and the status line, and outlives this.
    BatchRunner(AppDelegate &owner, DesktopServices &desktop);
    ~BatchRunner() override; // a batch still running stops between two files; its outcome is dropped

    RenameSheet *renameSheet() const { return m_renameSheet; }
    ClassifySheet *classifySheet() const { return m_classifySheet; }
    PlanPreviewSheet *previewSheet() const { return m_previewSheet; }
    // Planning, waiting in the preview sheet, or moving.
    bool isRunning() const { return m_running.has_value() || m_pendingRun; }

    // True, with "Wait until the batch is over" in the status line, while a batch runs: a new scan or
    // emptied lists would not match the files being moved.
    bool refuseWhileRunning();

    // Moves the selection `removals` levels up (2: into the folder above its own); the main folder opens
    // afterwards.
    void moveUp(int removals);
    void moveIntoMainFolder();
    void chooseFolderAndMove(); // asks for the folder in a sheet, then moveInto()
    void moveInto(const QByteArray &folder); // the selection as it is now; the folder opens afterwards

    // The selected files (never folder items) to the Trash, one by one, journaled; the status line
    // counts them and names the first failure. No journal: nothing is trashed.
    void trashSelection();

    void undoLast();                        // Edit > Undo: the newest batch not yet undone, else says so
    void describeUndo(QAction *undo) const; // the Undo item's text, state and tip from the journals
    void showRenameSheet();  // when something is selected
    void renameFromSheet();  // the sheet's Rename: the shown selection, with the sheet's options
    void showClassifySheet(); // when there is a main folder
    void classifyFromSheet(); // the sheet's Classify: every file the scans found

    // Undoes `batch` as every batch runs (planned anew, previewed, journaled as its undo, so it can be
    // undone in turn); entries changed since are skipped with the reason. The main folders are scanned
    // again afterwards, since files came back from outside the lists.
    void undo(const BatchRecord &batch);

Q_SIGNALS:
    // A batch ended (also when cancelled, and a trashing that trashed something), after the items and the
    // status line.
    void finished();

private:
    using Work = std::function<BatchOutcome(const Cancellation &cancellation, MoveJournal *journal,
                                            const StepCallback &onStep)>;
    // A batch from its plan to its summary. `plan` runs off the GUI thread and answers the moves (and,
    // for a classification, the clean-up); `execute` carries that very plan out.
    struct Batch
    {
        QString label;     // the progress dialog's text
        QString operation; // the journal's
        QString undoes;    // an undo: the id of the batch it undoes, for its journal
        QString title;     // the preview's
        QString verb;      // what the carried out steps do, for the preview's counts
        QByteArray mainFolder; // folders below it are shown relative to it
        bool cleanUp = false;  // preview the classification's clean-up as well
        std::function<QList<PlanPreviewModel::FolderRow>()> folders; // an undo's folder rows, after `plan`
        std::function<ClassifyPlan()> plan;
        std::function<BatchOutcome(const ClassifyPlan &plan, const Cancellation &cancellation, MoveJournal *journal,
                                   const StepCallback &onStep)>
            execute;
        std::function<void(const BatchOutcome &)> done;
    };
    // Refused (status said) during a scan or another batch.
    bool refuseToStart();
    void moveSelection(int removals, const QByteArray &folder, const QByteArray &showAfterwards);
    // Plans, then shows the preview (Run goes on) or, with the preference off, goes on at once. A
    // planning cancelled in its progress dialog ends as a cancelled batch that moved nothing.
    void planThenRun(Batch batch);
    void runPending();
    // Shows a sheet over the window on the ground of the current look, `focus` focused.
    void showSheet(QDialog *sheet, BackgroundImageView *background, QWidget *focus);
    void dropPending();
    void run(const QString &label, const QString &operation, const QString &undoes, Work work,
             std::function<void(const BatchOutcome &)> done);
    void applyMoves(const QList<StepOutcome> &outcomes, const QList<IKImageItemRef> &items);

    AppDelegate &m_owner;
    DesktopServices &m_desktop;
    RenameSheet *m_renameSheet;
    ClassifySheet *m_classifySheet;
    PlanPreviewSheet *m_previewSheet;
    std::optional<Cancellation> m_running;
    std::function<void()> m_pendingRun; // the previewed batch, until Run or Cancel
};

} // namespace vellumry
