// Following the scanned trees on disk: what other programs create, delete, rename or change reaches every
// list, the selection and the preview without a rescan; View > Refresh rescans keeping selection and scroll.
#include "app/LiveUpdates.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "model/FolderScanner.h"
#include "platform/NativePath.h"
#include "reorganise/ui/BatchRunner.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/PreviewPane.h"
#include "views/ui/ShownListModel.h"

#include <QItemSelection>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <array>
#include <memory>

namespace vellumry {

using namespace Qt::StringLiterals;

LiveUpdates::LiveUpdates(AppDelegate &owner) : QObject(&owner), d(owner), m_watcher(new TreeWatcher(this))
{
    // Live updates: each folder of a scanned tree is watched just before the scan lists it, so nothing
    // is walked twice; what changes meanwhile is handed over once the scan's items are all in the lists.
    // Folders below a followed link are not watched. A stopped scan's watches go with it.
    d.m_scanner->setListingHook([watcher = m_watcher](const QByteArray &scanned, const QByteArray &folder,
                                                      bool throughLink) {
        if (!throughLink)
            watcher->addWatchForScan(scanned, folder);
    });
    connect(d.m_scanner, &FolderScanner::scanFinished, this,
            [this](const QString &path) { m_watcher->scanDelivered(toNativePath(path)); });
    connect(d.m_scanner, &FolderScanner::idle, m_watcher, &TreeWatcher::dropUnfinishedScans);
    connect(m_watcher, &TreeWatcher::changed, this, &LiveUpdates::apply);
    connect(m_watcher, &TreeWatcher::relisted, this, [this](const TreeChanges &entries, const QList<QByteArray> &folders) {
        // Every item below a listed folder whose entry there is no longer listed is gone.
        const QSet<QByteArray> listed(folders.cbegin(), folders.cend());
        QSet<QByteArray> present;
        for (const TreeChange &entry : entries)
            present.insert(entry.path);
        TreeChanges changes = entries;
        QSet<QByteArray> gone;
        for (const ItemList *list : {&d.lists.filesItemArray, &d.lists.currentViewItemArray}) {
            for (const IKImageItemRef &item : *list) {
                QByteArray path = item->nativeEntryPath();
                for (qsizetype slash = path.lastIndexOf('/'); slash > 0; slash = path.lastIndexOf('/')) {
                    const QByteArray parent = path.left(slash);
                    if (listed.contains(parent) && !present.contains(path)) {
                        if (!gone.contains(path)) {
                            gone.insert(path);
                            changes.push_back(TreeChange{path, false, false, 0, std::nullopt});
                        }
                        break;
                    }
                    path = parent;
                }
            }
        }
        apply(changes);
    });
    connect(m_watcher, &TreeWatcher::changesMissed, this, [this] {
        d.showActionStatus(tr("Some changes on disk may have been missed: use View > Refresh"));
    });
    connect(m_watcher, &TreeWatcher::watchLimitReached, this,
            [this] { d.showActionStatus(tr("Too many folders to follow changes: use View > Refresh")); });
}

void LiveUpdates::clear() { m_watcher->clear(); }

namespace {

// The selected items of a view, and a selection of the same items in a new list.
QList<IKImageItemRef> selectedItems(const QAbstractItemView *view, const ShownListModel *model)
{
    QList<IKImageItemRef> items;
    for (const QModelIndex &index : view->selectionModel()->selectedRows())
        if (IKImageItemRef item = model->itemAt(index.row()))
            items.append(item);
    return items;
}

void reselect(QAbstractItemView *view, const ShownListModel *model, const QSet<QByteArray> &paths)
{
    QItemSelection selection;
    for (int row = 0, rows = model->rowCount(); row < rows; ++row) {
        if (paths.contains(model->rowItem(row)->nativeEntryPath()))
            selection.select(model->index(row, 0), model->index(row, model->columnCount() - 1));
    }
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace

void LiveUpdates::apply(const TreeChanges &changes)
{
    QByteArrayList mains;
    for (const QString &folder : std::as_const(d.m_mainFolders))
        mains.append(toNativePath(folder));
    const FileLists::Applied applied = d.lists.applyTreeChanges(changes, mains);
    if (!applied.any())
        return;
    if (!applied.removed.isEmpty() || !d.m_shownIsAllFiles) {
        // The shown list is filled again from its list; the selection keeps the items that are left.
        QAbstractItemView *views[] = {d.window->fodlerfileBroswerView, d.window->fileListTableview};
        QSet<QByteArray> selected[2];
        for (int i = 0; i < 2; ++i)
            for (const IKImageItemRef &item : selectedItems(views[i], d.FileListController))
                selected[i].insert(item->nativeEntryPath());
        d.m_refreshTimer->stop();
        const ItemList &source = d.m_shownSource ? *d.m_shownSource : d.lists.filesItemArray;
        d.FileListController->setItems(source);
        for (int i = 0; i < 2; ++i)
            if (!selected[i].isEmpty())
                reselect(views[i], d.FileListController, selected[i]);
    } else {
        d.catchUpShownList();
    }
    if (!applied.updated.isEmpty())
        d.FileListController->itemsChanged();
    if (d.m_previewed) {
        if (applied.removed.contains(d.m_previewed)) {
            // Renamed or moved outside: the one new file of the same size and birth follows it.
            IKImageItemRef renamed;
            int alike = 0;
            for (const IKImageItemRef &item : applied.added) {
                if (!item->bDir() && item->filesizenum() == d.m_previewed->filesizenum()
                    && item->birthSeconds() == d.m_previewed->birthSeconds() && ++alike == 1)
                    renamed = item;
            }
            if (alike == 1) {
                d.previewItem(renamed);
            } else {
                d.m_previewed.reset();
                d.window->previewPane->clearPreview();
            }
        } else if (applied.updated.contains(d.m_previewed)) {
            d.window->previewPane->previewItem(*d.m_previewed);
        }
    }
    d.updateStatus();
}

void LiveUpdates::refresh()
{
    if (d.m_batches->refuseWhileRunning() || d.m_mainFolders.isEmpty())
        return;
    QAbstractItemView *views[] = {d.window->fodlerfileBroswerView, d.window->fileListTableview};
    auto selected = std::make_shared<std::array<QSet<QByteArray>, 2>>();
    auto scroll = std::make_shared<std::array<int, 2>>();
    for (int i = 0; i < 2; ++i) {
        for (const IKImageItemRef &item : selectedItems(views[i], d.FileListController))
            (*selected)[size_t(i)].insert(item->nativeEntryPath());
        (*scroll)[size_t(i)] = views[i]->verticalScrollBar()->value();
    }
    const bool folderMode = !d.m_shownIsAllFiles && d.m_shownSource == &d.lists.currentViewItemArray;
    d.rescanMainFolders();
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = connect(&d, &AppDelegate::scanFinished, this, [this, views, selected, scroll, folderMode, once] {
        disconnect(*once);
        if (folderMode)
            d.reloadShownList(d.lists.currentViewItemArray, false);
        for (int i = 0; i < 2; ++i) {
            if (!(*selected)[size_t(i)].isEmpty())
                reselect(views[i], d.FileListController, (*selected)[size_t(i)]);
            else
                views[i]->selectionModel()->clearSelection();
        }
        // After the views laid the rows out again.
        QTimer::singleShot(0, this, [views, scroll] {
            for (int i = 0; i < 2; ++i)
                views[i]->verticalScrollBar()->setValue((*scroll)[size_t(i)]);
        });
    });
}

} // namespace vellumry
