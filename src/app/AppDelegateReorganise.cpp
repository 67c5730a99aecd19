// The controller's batch rename and classification: their sheets, and the batches they start.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "model/FolderScanner.h"
#include "platform/NativePath.h"
#include "reorganise/ClassifyExecutor.h"
#include "reorganise/RenamePlanner.h"
#include "reorganise/ui/RenameSheet.h"
#include "views/ui/ShownListModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

const QStringList &renameVariants(int mode)
{
    static const QList<QStringList> variants{
        {u"Add parent folder name to beginning"_s, u"Add parent folder name to end"_s,
         u"Replace current name with parent folder name"_s},
        {u"Add path components to beginning"_s, u"Add path components to end"_s,
         u"Replace current name with path components"_s},
        {u"Add text to beginning"_s, u"Add text to end"_s, u"Replace text"_s},
    };
    return variants.at(std::clamp(mode, 0, 2));
}

} // namespace

// ---- Rename ------------------------------------------------------------------------------------

void AppDelegate::RenameFolderAction()
{
    if (refuseBatch())
        return;
    if (selectedRows().isEmpty()) {
        m_actionStatus = tr("Select the files to rename first");
        updateStatus();
        return;
    }
    // The controls keep whatever the user last chose.
    renameSheet->setWindowModality(Qt::WindowModal);
    renameSheet->show();
    positionSheet(renameSheet);
    renameSheet->renameButton->setFocus();
}

void AppDelegate::CancelRenameFolderAction() { renameSheet->hide(); }

void AppDelegate::ChangeRenameTypeAction()
{
    RenameSheet *sheet = renameSheet;
    const int mode = sheet->renameTypeBtn->currentIndex();
    sheet->renameActBtn->clear();
    sheet->renameActBtn->addItems(renameVariants(mode));
    sheet->renameActBtn->setCurrentIndex(0);
    const bool components = mode == 1;
    const bool text = mode == 2;
    sheet->addLevelLab->setVisible(components);
    sheet->renameLevelParentBtn->setVisible(components);
    sheet->addtextLab->setVisible(text);
    sheet->addTextField->setVisible(text);
    for (QWidget *w : {static_cast<QWidget *>(sheet->replacetext1Lab), static_cast<QWidget *>(sheet->replacetext2Lab),
                       static_cast<QWidget *>(sheet->replaceStrText), static_cast<QWidget *>(sheet->replaceWithStrLabText)})
        w->hide();
}

void AppDelegate::ChangeTextTypeAction()
{
    RenameSheet *sheet = renameSheet;
    const QString variant = sheet->renameActBtn->currentText();
    const QStringList &texts = renameVariants(2);
    if (!texts.contains(variant))
        return;
    const bool replace = variant == texts.at(2);
    sheet->addLevelLab->hide(); // the depth list itself stays as it was: it is only read for path components
    sheet->addtextLab->setVisible(!replace);
    sheet->addTextField->setVisible(!replace);
    for (QWidget *w : {static_cast<QWidget *>(sheet->replacetext1Lab), static_cast<QWidget *>(sheet->replacetext2Lab),
                       static_cast<QWidget *>(sheet->replaceStrText), static_cast<QWidget *>(sheet->replaceWithStrLabText)})
        w->setVisible(replace);
}

void AppDelegate::SaveRenameFolderAction()
{
    renameSheet->hide();
    if (refuseBatch())
        return;
    RenameOptions options;
    const int mode = renameSheet->renameTypeBtn->currentIndex();
    options.mode = mode == 1 ? RenameMode::PathComponents : mode == 2 ? RenameMode::Text : RenameMode::ParentFolderName;
    const int variant = renameVariants(mode).indexOf(renameSheet->renameActBtn->currentText());
    options.variant = variant == 1 ? RenameVariant::AddToEnd
                      : variant == 2 ? RenameVariant::Replace
                                     : RenameVariant::AddToBeginning;
    options.depth = renameSheet->renameLevelParentBtn->currentIndex() + 1;
    options.text = renameSheet->addTextField->text();
    options.find = renameSheet->replaceStrText->text();
    options.replace = renameSheet->replaceWithStrLabText->text();

    // The selection as it is now, in the order of the shown list; the numbered form carries the row.
    QList<RenameSource> sources;
    QList<IKImageItemRef> items;
    for (int row : selectedRows()) {
        const IKImageItemRef item = FileListController->itemAt(row);
        if (!item)
            continue;
        sources.append({item->nativeFilePath(), row, item->bDir(), item->isReachedThroughLink()});
        items.append(item);
    }
    if (sources.isEmpty())
        return;
    // The steps refer to positions in `items`, not rows.
    Plan plan = planRename(sources, options);
    for (int i = 0; i < plan.size(); ++i)
        plan[i].itemIndex = i;
    runBatch(
        tr("Renaming files…"), u"rename"_s,
        planWork(plan),
        [this, items](const ClassifyOutcome &outcome) {
            applyMoves(outcome.moves, items);
            m_actionStatus = summaryText(outcome.moves, tr("renamed")) +
                             (outcome.cancelled ? tr(" (cancelled)") : QString());
            updateStatus();
            // The file manager shows the last file renamed, selected in its folder.
            for (auto it = outcome.moves.crbegin(); it != outcome.moves.crend(); ++it) {
                if (it->moved) {
                    revealPath(it->step.target);
                    break;
                }
            }
        });
}

// ---- Classify ----------------------------------------------------------------------------------

void AppDelegate::ClassfyFolderAction()
{
    if (refuseBatch())
        return;
    if (currentSelectFolder.isEmpty()) {
        m_actionStatus = tr("No main folder to classify: open one with Ctrl+O");
        updateStatus();
        return;
    }
    classifySheet->setWindowModality(Qt::WindowModal);
    classifySheet->show();
    positionSheet(classifySheet);
    classifySheet->classifyButton->setFocus();
}

void AppDelegate::CancelClassfyFolder() { classifySheet->hide(); }

void AppDelegate::SelectReclassTypeAction()
{
    classifySheet->selectClassfiyDateButton->setChecked(!classifySheet->selectClassfiyTypeButton->isChecked());
}

void AppDelegate::SelectReclassDateAction()
{
    classifySheet->selectClassfiyTypeButton->setChecked(!classifySheet->selectClassfiyDateButton->isChecked());
}

void AppDelegate::ClassifyFolderHandle()
{
    classifySheet->hide();
    if (refuseBatch())
        return;
    const QByteArray main = toNativePath(currentSelectFolder);
    if (main.isEmpty()) {
        m_actionStatus = tr("No main folder to classify: open one with Ctrl+O");
        updateStatus();
        return;
    }
    // Nothing is ever created in, or moved out of, the root, the home folder or the Trash, however the
    // main folder is spelled.
    if (const QString reason = mainFolderRefusal(main); !reason.isEmpty()) {
        m_actionStatus = tr("Cannot classify %1: %2").arg(displayPath(currentSelectFolder), reason);
        updateStatus();
        return;
    }
    std::optional<ClassifyBy> by;
    if (classifySheet->selectClassfiyTypeButton->isChecked())
        by = ClassifyBy::Kind;
    else if (classifySheet->selectClassfiyDateButton->isChecked())
        by = ClassifyBy::Date;
    if (!by) {
        if (m_services.openFile)
            m_services.openFile(main);
        return;
    }
    // Every file the scans found, whatever the view shows; planned off the GUI thread with the moves,
    // since dates and the clean-up read the disk.
    const ItemList files = lists.filesItemArray;
    const ClassifyBy mode = *by;
    runBatch(
        tr("Classifying files…"), u"classify"_s,
        [files, main, mode](const std::atomic<bool> *cancelled, MoveJournal *journal,
                            const std::function<void(int, int)> &progress) {
            const ClassifyPlan plan = planClassification(files, main, mode);
            return executeClassification(plan, main, mode, journal, cancelled, progress);
        },
        [this, files, main](const ClassifyOutcome &outcome) {
            applyMoves(outcome.moves, files);
            m_actionStatus = classifySummaryText(outcome);
            updateStatus();
            if (m_services.openFile)
                m_services.openFile(main);
        });
}

} // namespace vellumry
