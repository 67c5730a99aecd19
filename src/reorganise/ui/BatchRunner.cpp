// The batch operations of the window, from the selection to the status line.
#include "reorganise/ui/BatchRunner.h"
#include <QAction>

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "model/FolderScanner.h"
#include "platform/DesktopServices.h"
#include "platform/NativePath.h"
#include "reorganise/MovePlanner.h"
#include "reorganise/RenamePlanner.h"
#include "reorganise/ui/ClassifySheet.h"
#include "reorganise/ui/HistoryWindow.h"
#include "reorganise/ui/PlanPreviewSheet.h"
#include "reorganise/ui/RenameSheet.h"
#include "views/ui/BackgroundImageView.h"
#include "views/ui/ShownListModel.h"

#include <QFileDialog>
#include <QLocale>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// A plan's moves, one at a time, as a batch's work.
BatchOutcome runSteps(const Plan &plan, const Cancellation &cancellation, MoveJournal *journal,
                      const StepCallback &onStep)
{
    BatchOutcome outcome;
    outcome.moves = executePlan(plan, journal, cancellation.flag(), onStep);
    outcome.cancelled = cancellation.isCancelled();
    return outcome;
}

} // namespace

BatchRunner::BatchRunner(AppDelegate &owner, DesktopServices &desktop)
    : QObject(&owner), m_owner(owner), m_desktop(desktop), m_renameSheet(new RenameSheet(owner.window)),
      m_classifySheet(new ClassifySheet(owner.window)), m_previewSheet(new PlanPreviewSheet(owner.window))
{
    connect(m_renameSheet->renameButton, &QPushButton::clicked, this, &BatchRunner::renameFromSheet);
    connect(m_classifySheet->classifyButton, &QPushButton::clicked, this, &BatchRunner::classifyFromSheet);
    connect(m_previewSheet->runButton, &QPushButton::clicked, this, &BatchRunner::runPending);
    connect(m_previewSheet, &QDialog::rejected, this, &BatchRunner::dropPending);
}

BatchRunner::~BatchRunner()
{
    // The step under way finishes, so no file is left half moved, and a stopped classification
    // removes no folder.
    if (m_running)
        m_running->cancel();
}

bool BatchRunner::refuseWhileRunning()
{
    if (!m_running)
        return false;
    m_owner.showActionStatus(tr("Wait until the batch is over"));
    return true;
}

bool BatchRunner::refuseToStart()
{
    if (m_owner.scanner()->isScanning()) // the lists are still growing: acting now would act on a half-known tree
        m_owner.showActionStatus(tr("Wait until the scan is over"));
    else if (m_running)
        m_owner.showActionStatus(tr("Another batch is still running"));
    else
        return false;
    return true;
}

void BatchRunner::showSheet(QDialog *sheet, BackgroundImageView *background, QWidget *focus)
{
    // The sheet's ground follows the look, so its labels (in the look's text colour) stay readable.
    background->setImageNamed(m_owner.isDarkMode() ? u"blackground.png"_s : u"grayimage.png"_s);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->show();
    m_owner.positionSheet(sheet);
    focus->setFocus();
}

// ---- Moves -------------------------------------------------------------------------------------

void BatchRunner::moveUp(int removals)
{
    moveSelection(removals, {}, toNativePath(m_owner.currentSelectFolder));
}

void BatchRunner::moveIntoMainFolder()
{
    if (m_owner.currentSelectFolder.isEmpty()) {
        m_owner.showActionStatus(tr("No main folder yet: open or drop one first"));
        return;
    }
    const QByteArray main = toNativePath(m_owner.currentSelectFolder);
    if (const QString reason = mainFolderRefusal(main); !reason.isEmpty()) {
        m_owner.showActionStatus(tr("Cannot move into %1: %2").arg(displayPath(m_owner.currentSelectFolder), reason));
        return;
    }
    moveInto(main);
}

void BatchRunner::chooseFolderAndMove()
{
    auto *panel = new QFileDialog(m_owner.window, tr("Move the Selected Files To"), QDir::homePath());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setWindowModality(Qt::WindowModal);
    panel->setLabelText(QFileDialog::Accept, tr("Move Here"));
    connect(panel, &QFileDialog::finished, &m_owner,
            [this, panel](int result) { m_owner.openPanelDidEnd16(panel, result == QDialog::Accepted ? 1 : 0); });
    m_owner.openHomePanel = panel;
    panel->show();
    m_owner.positionSheet(panel);
}

void BatchRunner::moveInto(const QByteArray &folder) { moveSelection(0, folder, folder); }

void BatchRunner::moveSelection(int removals, const QByteArray &folder, const QByteArray &showAfterwards)
{
    if (refuseToStart())
        return;
    QList<MoveSource> sources;
    QList<IKImageItemRef> items;
    for (int row : m_owner.selectedRows()) {
        const IKImageItemRef item = m_owner.FileListController->itemAt(row);
        if (!item)
            continue;
        sources.append({item->nativeFilePath(), item->nativeFileName(), int(items.size()), item->bDir(),
                        item->isReachedThroughLink()});
        items.append(item);
    }
    Batch batch;
    batch.label = tr("Moving files…");
    batch.operation = u"move"_s;
    batch.title = removals > 0 ? tr("Move %1 up").arg(AppDelegate::fileCount(sources.size()))
                               : tr("Move %1 into %2").arg(AppDelegate::fileCount(sources.size()),
                                                           displayPath(fromNativePath(folder)));
    batch.verb = tr("move");
    batch.mainFolder = toNativePath(m_owner.currentSelectFolder);
    batch.plan = [sources, removals, folder] {
        return ClassifyPlan{removals > 0 ? planMoveUp(sources, removals) : planMoveInto(sources, folder), {}, {}, {}};
    };
    batch.execute = [](const ClassifyPlan &plan, const Cancellation &cancellation, MoveJournal *journal,
                       const StepCallback &onStep) { return runSteps(plan.moves, cancellation, journal, onStep); };
    batch.done = [this, items, showAfterwards](const BatchOutcome &outcome) {
        applyMoves(outcome.moves, items);
        m_owner.showActionStatus(summaryText(outcome.moves) + (outcome.cancelled ? tr(" (cancelled)") : QString()));
        if (!showAfterwards.isEmpty())
            m_desktop.open(showAfterwards);
    };
    planThenRun(std::move(batch));
}

// ---- Trash -------------------------------------------------------------------------------------

void BatchRunner::trashSelection()
{
    int trashed = 0;
    QStringList failures;
    std::optional<MoveJournal> journal; // opened with the first file: trashing is journaled like any batch
    for (int row : m_owner.selectedRows()) {
        const IKImageItemRef item = m_owner.FileListController->itemAt(row);
        if (!item || item->bDir())
            continue; // folder items are never trashed from here: their path is the folder icon
        if (!journal)
            journal.emplace(MoveJournal::defaultFolder(), u"trash"_s);
        if (!journal->isOpen()) {
            m_owner.showActionStatus(
                tr("Nothing moved to the Trash: the journal cannot be written (%1)").arg(journal->errorText()));
            return;
        }
        const ActionResult result = trashJournaled(item->nativeFilePath(), &*journal, m_desktop);
        if (result.ok)
            ++trashed;
        else
            failures.append(displayPath(item->fileName()) + u": "_s + result.reason);
    }
    if (trashed == 0 && failures.isEmpty())
        return;
    QString text = tr("%1 moved to the Trash").arg(AppDelegate::fileCount(trashed));
    if (!failures.isEmpty())
        text += tr(", %1 could not be moved (%2)")
                    .arg(QLocale().toString(qlonglong(failures.size())),
                         failures.size() == 1 ? failures.first() : failures.first() + u", …"_s);
    m_owner.showActionStatus(text);
    if (trashed > 0)
        Q_EMIT finished(); // a batch that Undo can take back
}

// ---- Rename ------------------------------------------------------------------------------------

void BatchRunner::showRenameSheet()
{
    if (refuseToStart())
        return;
    if (m_owner.selectedRows().isEmpty()) {
        m_owner.showActionStatus(tr("Select the files to rename first"));
        return;
    }
    // The controls keep whatever the user last chose; the preview shows the selection as it is now.
    QList<RenameSource> sources;
    for (int row : m_owner.selectedRows())
        if (const IKImageItemRef item = m_owner.FileListController->itemAt(row))
            sources.append({item->nativeFilePath(), row, item->bDir(), item->isReachedThroughLink()});
    m_renameSheet->setSources(std::move(sources));
    showSheet(m_renameSheet, m_renameSheet->renameImageView, m_renameSheet->renameButton);
}

void BatchRunner::renameFromSheet()
{
    m_renameSheet->hide();
    if (refuseToStart())
        return;
    // The selection as it is now, in the order of the shown list; the numbered form carries the row.
    QList<RenameSource> sources;
    QList<IKImageItemRef> items;
    for (int row : m_owner.selectedRows()) {
        const IKImageItemRef item = m_owner.FileListController->itemAt(row);
        if (!item)
            continue;
        sources.append({item->nativeFilePath(), row, item->bDir(), item->isReachedThroughLink()});
        items.append(item);
    }
    if (sources.isEmpty())
        return;
    Batch batch;
    batch.label = tr("Renaming files…");
    batch.operation = u"rename"_s;
    batch.title = tr("Rename %1").arg(AppDelegate::fileCount(sources.size()));
    batch.verb = tr("rename");
    batch.mainFolder = toNativePath(m_owner.currentSelectFolder);
    batch.plan = [sources, options = m_renameSheet->options()] {
        // The steps refer to positions in `items`, not rows.
        Plan plan = planRename(sources, options);
        for (int i = 0; i < plan.size(); ++i)
            plan[i].itemIndex = i;
        return ClassifyPlan{plan, {}, {}, {}};
    };
    batch.execute = [](const ClassifyPlan &plan, const Cancellation &cancellation, MoveJournal *journal,
                       const StepCallback &onStep) { return runSteps(plan.moves, cancellation, journal, onStep); };
    batch.done = [this, items](const BatchOutcome &outcome) {
            applyMoves(outcome.moves, items);
            m_owner.showActionStatus(summaryText(outcome.moves, tr("renamed")) +
                                     (outcome.cancelled ? tr(" (cancelled)") : QString()));
            // The file manager shows the last file renamed, selected in its folder.
            for (auto it = outcome.moves.crbegin(); it != outcome.moves.crend(); ++it) {
                if (it->moved) {
                    m_desktop.reveal(it->step.target);
                    break;
                }
            }
        };
    planThenRun(std::move(batch));
}

// ---- Classify ----------------------------------------------------------------------------------

void BatchRunner::showClassifySheet()
{
    if (refuseToStart())
        return;
    if (m_owner.currentSelectFolder.isEmpty()) {
        m_owner.showActionStatus(tr("No main folder to classify: open one with Ctrl+O"));
        return;
    }
    showSheet(m_classifySheet, m_classifySheet->classifyImageView, m_classifySheet->classifyButton);
}

void BatchRunner::classifyFromSheet()
{
    m_classifySheet->hide();
    if (refuseToStart())
        return;
    const QByteArray main = toNativePath(m_owner.currentSelectFolder);
    if (main.isEmpty()) {
        m_owner.showActionStatus(tr("No main folder to classify: open one with Ctrl+O"));
        return;
    }
    // Nothing is ever created in, or moved out of, the root, the home folder or the Trash, however the
    // main folder is spelled.
    if (const QString reason = mainFolderRefusal(main); !reason.isEmpty()) {
        m_owner.showActionStatus(tr("Cannot classify %1: %2").arg(displayPath(m_owner.currentSelectFolder), reason));
        return;
    }
    const std::optional<ClassifyBy> by = m_classifySheet->classifyBy();
    if (!by) {
        m_desktop.open(main);
        return;
    }
    // Every file the scans found, whatever the view shows; planned off the GUI thread, since dates and
    // the clean-up read the disk. The plan previewed is the plan carried out.
    const ItemList files = m_owner.lists.filesItemArray;
    const ClassifyBy mode = *by;
    const ClassifyDate date = mode == ClassifyBy::Date ? m_classifySheet->classifyDate() : ClassifyDate::Modified;
    // The count of files that went by their modification time, from the plan to the summary.
    const auto byModificationTime = std::make_shared<int>(0);
    Batch batch;
    batch.label = tr("Classifying files…");
    batch.operation = u"classify"_s;
    batch.title = (mode == ClassifyBy::Kind ? tr("Classify %1 of %2 by kind") : tr("Classify %1 of %2 by date"))
                      .arg(AppDelegate::fileCount(files.size()), displayPath(m_owner.currentSelectFolder));
    batch.verb = tr("move");
    batch.mainFolder = main;
    batch.cleanUp = true;
    batch.plan = [files, main, mode, date, byModificationTime] {
        ClassifyPlan plan = planClassification(files, main, mode, date);
        *byModificationTime = plan.byModificationTime;
        return plan;
    };
    batch.execute = [main, mode](const ClassifyPlan &plan, const Cancellation &cancellation, MoveJournal *journal,
                                 const StepCallback &onStep) {
        return executeClassification(plan, main, mode, journal, cancellation.flag(), onStep);
    };
    batch.done = [this, files, main, date, byModificationTime](const BatchOutcome &outcome) {
        applyMoves(outcome.moves, files);
        QString summary = classifySummaryText(outcome);
        if (date == ClassifyDate::Taken)
            summary += u" · "_s + byModificationTimeText(*byModificationTime);
        m_owner.showActionStatus(summary);
        m_desktop.open(main);
    };
    planThenRun(std::move(batch));
}

// ---- Undo --------------------------------------------------------------------------------------

void BatchRunner::undo(const BatchRecord &record)
{
    if (refuseToStart())
        return;
    if (!record.undoable()) {
        m_owner.showActionStatus(tr("Cannot undo: %1").arg(record.notUndoable));
        return;
    }
    // The whole undo plan is made on the planning thread and read by the preview's rows and by the run,
    // each started after the planning has handed its result back.
    auto undoPlan = std::make_shared<UndoPlan>();
    Batch batch;
    batch.label = tr("Undoing…");
    batch.operation = u"undo"_s;
    batch.undoes = record.id;
    batch.title = tr("Undo %1 of %2")
                      .arg(batchTitle(record, batchHistory()),
                           QLocale().toString(record.started.toLocalTime(), QLocale::ShortFormat));
    batch.verb = tr("move back");
    batch.mainFolder = toNativePath(m_owner.currentSelectFolder);
    batch.plan = [undoPlan, record] {
        *undoPlan = planUndo(record);
        return ClassifyPlan{undoPlan->moves, {}, {}, {}};
    };
    batch.folders = [undoPlan] {
        QList<PlanPreviewModel::FolderRow> rows;
        for (const QByteArray &folder : undoPlan->remakeFolders)
            rows.append({folder, true});
        for (const QByteArray &folder : undoPlan->removeFolders)
            rows.append({folder, false});
        return rows;
    };
    batch.execute = [undoPlan](const ClassifyPlan &, const Cancellation &cancellation, MoveJournal *journal,
                               const StepCallback &onStep) {
        BatchOutcome outcome = executeUndo(*undoPlan, journal, cancellation.flag(), onStep);
        outcome.cancelled = outcome.cancelled || cancellation.isCancelled();
        return outcome;
    };
    batch.done = [this](const BatchOutcome &outcome) {
        // Files came back to places the lists do not know: the main folders are read again, and the
        // summary is said once the lists are emptied.
        m_owner.rescanMainFolders();
        QString text = summaryText(outcome.moves, tr("moved back"));
        const auto failed = [](const QList<CleanUpOutcome> &entries) {
            return std::count_if(entries.cbegin(), entries.cend(), [](const CleanUpOutcome &e) { return !e.removed; });
        };
        if (const auto notMade = failed(outcome.remade); notMade > 0)
            text += notMade == 1 ? tr(", 1 folder could not be made again")
                                 : tr(", %1 folders could not be made again").arg(QLocale().toString(qlonglong(notMade)));
        if (const auto notTrashed = failed(outcome.trashed); notTrashed > 0)
            text += tr(", %1 could not be moved to the Trash again").arg(AppDelegate::fileCount(notTrashed));
        m_owner.showActionStatus(text + (outcome.cancelled ? tr(" (cancelled)") : QString()));
    };
    planThenRun(std::move(batch));
}

// ---- Planning and the preview ------------------------------------------------------------------

namespace {

struct Planned
{
    ClassifyPlan plan;
    QList<StepPreview> steps;
    QList<CleanUpOutcome> cleanUp;
    QList<PlanPreviewModel::FolderRow> folders;
    bool cancelled = false;
};

} // namespace

void BatchRunner::planThenRun(Batch batch)
{
    const bool preview = m_owner.showsBatchPreview();
    auto *dialog = new QProgressDialog(batch.label, tr("Cancel"), 0, 0, m_owner.window);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(400);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<QProgressDialog> progress(dialog);
    auto shared = std::make_shared<Batch>(std::move(batch));
    m_running = runInBackground(
        this,
        [plan = shared->plan, cleanUp = shared->cleanUp, folders = shared->folders, preview](const Cancellation &cancellation) {
            Planned planned;
            planned.plan = plan();
            if (preview && !cancellation.isCancelled()) {
                planned.steps = previewPlan(planned.plan.moves);
                if (cleanUp)
                    planned.cleanUp = previewCleanUp(planned.plan);
                if (folders)
                    planned.folders = folders();
            }
            planned.cancelled = cancellation.isCancelled();
            return planned;
        },
        [this, progress, shared, preview](Planned planned) {
            if (progress)
                progress->close();
            m_running.reset();
            if (planned.cancelled) {
                BatchOutcome cancelled;
                cancelled.cancelled = true;
                shared->done(cancelled);
                Q_EMIT finished();
                return;
            }
            const auto go = [this, shared, plan = std::move(planned.plan)] {
                run(shared->label, shared->operation, shared->undoes,
                    [execute = shared->execute, plan](const Cancellation &cancellation, MoveJournal *journal,
                                                      const StepCallback &onStep) {
                        return execute(plan, cancellation, journal, onStep);
                    },
                    shared->done);
            };
            if (!preview) {
                go();
                return;
            }
            m_pendingRun = go;
            m_previewSheet->setPreview(shared->title, shared->verb, std::move(planned.steps),
                                       std::move(planned.cleanUp), shared->mainFolder, std::move(planned.folders));
            showSheet(m_previewSheet, m_previewSheet->imageView, m_previewSheet->runButton);
        });
    connect(dialog, &QProgressDialog::canceled, this, [cancellation = *m_running] { cancellation.cancel(); });
}

void BatchRunner::runPending()
{
    m_previewSheet->hide();
    if (const std::function<void()> go = std::exchange(m_pendingRun, {}))
        go();
}

void BatchRunner::dropPending() { m_pendingRun = {}; }

// ---- Running -----------------------------------------------------------------------------------

void BatchRunner::run(const QString &label, const QString &operation, const QString &undoes, Work work,
                      std::function<void(const BatchOutcome &)> done)
{
    // Every step is journaled before it is taken: no journal, no batch.
    auto journal = std::make_shared<MoveJournal>(MoveJournal::defaultFolder(), operation, undoes);
    if (!journal->isOpen()) {
        m_owner.showActionStatus(tr("Nothing was changed: the journal cannot be written (%1)").arg(journal->errorText()));
        return;
    }
    auto *dialog = new QProgressDialog(label, tr("Cancel"), 0, 0, m_owner.window);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(400);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<QProgressDialog> progress(dialog);
    m_running = runInBackground(
        this,
        [work = std::move(work), journal, progress](const Cancellation &cancellation) {
            return work(cancellation, journal.get(), [progress](const StepOutcome &, int stepsDone, int total) {
                // About 200 updates a batch at most: one queued event per file would flood the GUI thread.
                if (stepsDone != total && stepsDone % std::max(1, total / 200) != 0)
                    return;
                QMetaObject::invokeMethod(progress, [progress, stepsDone, total] {
                    if (!progress)
                        return;
                    progress->setMaximum(total);
                    progress->setValue(stepsDone);
                });
            });
        },
        [this, progress, done = std::move(done)](const BatchOutcome &outcome) {
            if (progress)
                progress->close();
            m_running.reset();
            done(outcome);
            Q_EMIT finished();
        });
    connect(dialog, &QProgressDialog::canceled, this, [cancellation = *m_running] { cancellation.cancel(); });
}

void BatchRunner::applyMoves(const QList<StepOutcome> &outcomes, const QList<IKImageItemRef> &items)
{
    // Items change on this thread only: each moved file's item now points at its new place and name.
    for (const StepOutcome &outcome : outcomes) {
        if (!outcome.moved || outcome.step.itemIndex < 0 || outcome.step.itemIndex >= items.size())
            continue;
        const IKImageItemRef &item = items.at(outcome.step.itemIndex);
        item->setFilePath(fromNativePath(outcome.step.target));
        const QByteArray name = outcome.step.target.mid(outcome.step.target.lastIndexOf('/') + 1);
        if (name != item->nativeFileName())
            item->setFileName(fromNativePath(name));
    }
    m_owner.FileListController->itemsChanged();
    m_owner.refreshPreview(); // the preview shows the selected file where it lies now, not the place it left
}

void BatchRunner::undoLast()
{
    const QList<BatchRecord> history = batchHistory();
    if (const std::optional<BatchRecord> batch = batchToUndo(history))
        undo(*batch);
    else
        m_owner.showActionStatus(tr("Nothing to undo"));
}

void BatchRunner::describeUndo(QAction *undoAction) const
{
    const QList<BatchRecord> history = batchHistory();
    const std::optional<BatchRecord> batch = batchToUndo(history);
    undoAction->setText(batch ? tr("&Undo %1").arg(batchTitle(*batch, history)) : tr("&Undo"));
    undoAction->setEnabled(batch && batch->undoable());
    undoAction->setStatusTip(batch && !batch->undoable() ? tr("Cannot undo: %1").arg(batch->notUndoable)
                                                         : tr("Move back the files of the last batch"));
}

} // namespace vellumry
