// The duplicates view: the search off the GUI thread with its bar in the status area, the groups in the
// list table, the selection of the copies, and the way back to the flat view.
#include "duplicates/ui/DuplicatesView.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "model/FolderScanner.h"
#include "model/ItemTexts.h"
#include "model/TreeWatcher.h"
#include "platform/NativePath.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/ShownListModel.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QItemSelection>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// Whether `a` is a better file to keep than `b` under `rule` (never for equals: the first by path stays).
bool keepsBetter(DuplicatesView::Keep rule, const IKImageItem &a, const IKImageItem &b)
{
    const auto da = a.birthSeconds(), db = b.birthSeconds(); // undated files are kept only when all are
    switch (rule) {
    case DuplicatesView::Keep::Oldest:
        return da && (!db || *da < *db);
    case DuplicatesView::Keep::Newest:
        return da && (!db || *da > *db);
    case DuplicatesView::Keep::ShortestPath:
        return a.nativeFilePath().size() < b.nativeFilePath().size();
    case DuplicatesView::Keep::InFolder:
        break;
    }
    return false;
}

// Rows [first, last] of the table, all columns.
void selectRows(QItemSelection &selection, const QAbstractItemModel *model, int first, int last)
{
    selection.select(model->index(first, 0), model->index(last, model->columnCount() - 1));
}

// Selects in `view` exactly the rows whose item is `wanted`, as one selection of runs of rows.
void selectItems(QAbstractItemView *view, const ShownListModel *model,
                 const std::function<bool(const IKImageItem &)> &wanted)
{
    QItemSelection selection;
    const ItemList &rows = model->items();
    int runStart = -1;
    for (int row = 0; row <= int(rows.size()); ++row) {
        const bool take = row < rows.size() && wanted(*rows.at(row));
        if (take && runStart < 0)
            runStart = row;
        else if (!take && runStart >= 0) {
            selectRows(selection, model, runStart, row - 1);
            runStart = -1;
        }
    }
    view->selectionModel()->select(selection,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QSet<QByteArray> selectedPaths(const QAbstractItemView *view, const ShownListModel *model)
{
    QSet<QByteArray> paths;
    for (const QModelIndex &index : view->selectionModel()->selectedRows())
        if (const IKImageItemRef item = model->itemAt(index.row()))
            paths.insert(item->nativeEntryPath());
    return paths;
}

} // namespace

DuplicatesView::DuplicatesView(AppDelegate &owner)
    : QObject(&owner), d(owner), m_progressTimer(new QTimer(this)), m_bar(new QProgressBar(owner.window)),
      m_barButton(new QPushButton(owner.window)), m_toggle(owner.window->findDuplicatesAction),
      m_selectMenu(owner.window->selectCopiesMenu)
{
    m_bar->setRange(0, 1000);
    m_bar->setMaximumWidth(160);
    m_bar->setMaximumHeight(14);
    m_bar->setTextVisible(false);
    d.window->statusBar()->addPermanentWidget(m_bar);
    d.window->statusBar()->addPermanentWidget(m_barButton);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, [this] {
        const quint64 total = m_progress->toHash, hashed = m_progress->hashed;
        m_bar->setValue(total == 0 ? 0 : int(std::min<quint64>(hashed, total) * 1000 / total));
        d.updateStatus();
    });
    connect(m_toggle, &QAction::triggered, this, &DuplicatesView::toggle);
    connect(m_barButton, &QPushButton::clicked, this, [this] { isSearching() ? cancel() : leave(); });
    const std::pair<QString, Keep> rules[] = {{tr("Keep the &Oldest"), Keep::Oldest},
                                              {tr("Keep the &Newest"), Keep::Newest},
                                              {tr("Keep the &Shortest Path"), Keep::ShortestPath}};
    for (const auto &[title, rule] : rules)
        connect(m_selectMenu->addAction(title), &QAction::triggered, this,
                [this, rule = rule] { selectCopies(rule); });
    connect(m_selectMenu->addAction(tr("Keep the One in a &Folder…")), &QAction::triggered, this,
            &DuplicatesView::chooseFolderAndSelectCopies);
    // Trashed, deleted or moved away, by a batch or another program: the groups follow.
    connect(&d, &AppDelegate::batchFinished, this, &DuplicatesView::prune);
    connect(d.watcher(), &TreeWatcher::changed, this, &DuplicatesView::prune);
    connect(d.watcher(), &TreeWatcher::relisted, this, &DuplicatesView::prune);
    updateControls();
}

DuplicatesView::~DuplicatesView()
{
    if (m_search)
        m_search->cancel();
}

void DuplicatesView::toggle()
{
    if (m_shown)
        leave();
    else if (m_search)
        cancel();
    else
        start();
}

void DuplicatesView::cancel()
{
    if (m_search)
        m_search->cancel(); // the result, marked cancelled, still comes back
}

void DuplicatesView::start()
{
    if (d.m_scanner->isScanning()) {
        d.showActionStatus(tr("Wait until the scan is over"));
        return;
    }
    if (d.isBatchRunning()) {
        d.showActionStatus(tr("Wait until the batch is over"));
        return;
    }
    // Files only, as the batches take them: no folder items or bundles, nothing below a followed link
    // (listed under a path that is not its own), nothing hidden.
    std::vector<DuplicateCandidate> candidates;
    ItemList items;
    for (const IKImageItemRef &item : std::as_const(d.lists.filesItemArray)) {
        if (item->bDir() || item->isFolderItem() || item->isReachedThroughLink() ||
            item->kind() == FileKind::Application || item->kind() == FileKind::Folder ||
            item->nativeFileName().startsWith('.'))
            continue;
        candidates.push_back({item->nativeFilePath(), item->filesizenum()});
        items.append(item);
    }
    if (items.isEmpty()) {
        d.showActionStatus(tr("No files to compare: open or drop a main folder first"));
        return;
    }
    m_progress = std::make_shared<Progress>();
    m_search = runInBackground(
        this,
        [candidates = std::move(candidates), progress = m_progress](const Cancellation &cancellation) {
            return findDuplicates(candidates, DuplicateSearch{}, *cancellation.flag(),
                                  [progress](const DuplicateProgress &p) {
                                      progress->hashed = p.bytesHashed;
                                      progress->toHash = p.bytesToHash;
                                  });
        },
        [this, items](const DuplicateResult &result) { searchDone(result, items); });
    m_bar->setValue(0);
    m_progressTimer->start();
    updateControls();
    d.showActionStatus({});
}

void DuplicatesView::searchDone(const DuplicateResult &result, const ItemList &candidates)
{
    m_search.reset();
    m_progressTimer->stop();
    updateControls();
    if (result.cancelled) {
        d.showActionStatus(tr("Finding duplicates cancelled"));
        Q_EMIT searchEnded();
        return;
    }
    m_groups.clear();
    for (const DuplicateGroup &found : result.groups) {
        Group group{found.size, {}};
        for (const std::size_t index : found.members)
            group.members.append(candidates.at(qsizetype(index)));
        m_groups.append(std::move(group));
    }
    m_unreadable = result.unreadable;
    m_changed = result.changed;
    prune(); // the lists may have changed meanwhile
    if (m_groups.isEmpty()) {
        d.showActionStatus(tr("No duplicates among %1").arg(AppDelegate::fileCount(candidates.size())));
    } else {
        keepFlatState();
        show();
    }
    Q_EMIT searchEnded();
}

void DuplicatesView::keepFlatState()
{
    QAbstractItemView *views[] = {d.window->fodlerfileBroswerView, d.window->fileListTableview};
    m_flat.source = d.m_shownSource;
    m_flat.allFiles = d.m_shownIsAllFiles;
    m_flat.gridShown = !d.isListMode();
    m_flat.filter = d.window->filterField->text();
    for (size_t i = 0; i < 2; ++i) {
        m_flat.scroll[i] = views[i]->verticalScrollBar()->value();
        m_flat.selected[i] = selectedPaths(views[i], d.FileListController);
    }
    // Every group whole, whatever the filter said: it comes back with the flat view.
    d.window->filterField->clear();
}

void DuplicatesView::show()
{
    QHash<const IKImageItem *, int> numbers;
    m_members.clear();
    for (qsizetype g = 0; g < m_groups.size(); ++g) {
        for (const IKImageItemRef &member : std::as_const(m_groups.at(g).members)) {
            numbers.insert(member.data(), int(g) + 1);
            m_members.append(member);
        }
    }
    m_shown = true;
    d.m_refreshTimer->stop();
    d.m_shownSource = &m_members; // what a live update shows again; prune() follows it
    d.m_shownIsAllFiles = false;
    d.FileListController->setGroups(std::move(numbers));
    d.FileListController->setItems(m_members);
    QTableView *table = d.window->fileListTableview;
    table->setAlternatingRowColors(false); // the groups are shaded instead
    QHeaderView *header = table->horizontalHeader();
    header->moveSection(header->visualIndex(ShownListModel::GroupColumn), 0);
    header->resizeSection(ShownListModel::GroupColumn,
                          header->fontMetrics().horizontalAdvance(tr("Group")) + 32);
    d.window->folderView->hide();
    d.window->folderListView->show();
    updateControls();
    d.updateStatus();
}

void DuplicatesView::prune()
{
    if (m_groups.isEmpty())
        return;
    QSet<const IKImageItem *> listed;
    for (const IKImageItemRef &item : std::as_const(d.lists.filesItemArray))
        listed.insert(item.data());
    bool changed = false;
    QList<Group> kept;
    for (const Group &group : std::as_const(m_groups)) {
        Group left{group.size, {}};
        for (const IKImageItemRef &member : group.members) {
            struct stat st
            {
            };
            if (listed.contains(member.data()) && ::lstat(member->nativeFilePath().constData(), &st) == 0)
                left.members.append(member);
        }
        changed = changed || left.members.size() != group.members.size();
        if (left.members.size() > 1)
            kept.append(std::move(left));
    }
    m_groups = std::move(kept);
    if (!changed || !m_shown)
        return;
    // Shown again, keeping the selection of the files left and the scroll position.
    QTableView *table = d.window->fileListTableview;
    const QSet<QByteArray> selected = selectedPaths(table, d.FileListController);
    const int scroll = table->verticalScrollBar()->value();
    show();
    selectItems(table, d.FileListController,
                [&](const IKImageItem &item) { return selected.contains(item.nativeEntryPath()); });
    QTimer::singleShot(0, table, [table, scroll] { table->verticalScrollBar()->setValue(scroll); });
}

void DuplicatesView::shownListReplaced()
{
    if (!m_shown)
        return;
    m_shown = false;
    m_groups.clear();
    m_members.clear();
    // The Group column goes back to its own place before it goes, or the table's header would keep
    // its order and widths for the columns that stay.
    QHeaderView *header = d.window->fileListTableview->horizontalHeader();
    header->moveSection(header->visualIndex(ShownListModel::GroupColumn), ShownListModel::GroupColumn);
    d.FileListController->setGroups({});
    d.window->fileListTableview->setAlternatingRowColors(true);
    updateControls();
}

void DuplicatesView::leave()
{
    if (!m_shown)
        return;
    const FlatState flat = m_flat;
    shownListReplaced();
    d.reloadShownList(flat.source ? *flat.source : d.lists.filesItemArray, flat.allFiles);
    d.window->folderView->setVisible(flat.gridShown);
    d.window->folderListView->setVisible(!flat.gridShown);
    d.window->filterField->setText(flat.filter);
    // The selection and the scroll once the filter's rows are there (a long list is matched in the
    // background).
    auto restore = [this, flat] {
        QAbstractItemView *views[] = {d.window->fodlerfileBroswerView, d.window->fileListTableview};
        for (size_t i = 0; i < 2; ++i) {
            selectItems(views[i], d.FileListController, [&](const IKImageItem &item) {
                return flat.selected[i].contains(item.nativeEntryPath());
            });
            QTimer::singleShot(0, views[i], [view = views[i], value = flat.scroll[i]] {
                view->verticalScrollBar()->setValue(value);
            });
        }
        d.updateStatus();
    };
    if (d.FileListController->isFiltering()) {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(d.FileListController, &ShownListModel::filterApplied, this, [once, restore] {
            disconnect(*once);
            restore();
        });
    } else {
        restore();
    }
}

void DuplicatesView::selectCopies(Keep rule, const QByteArray &folder)
{
    if (!m_shown)
        return;
    const QByteArray inside = folder.endsWith('/') ? folder : folder + '/';
    QSet<const IKImageItem *> copies;
    int withoutFolder = 0;
    for (const Group &group : std::as_const(m_groups)) {
        qsizetype keep = -1;
        for (qsizetype i = 0; i < group.members.size(); ++i) {
            const IKImageItem &member = *group.members.at(i);
            if (rule == Keep::InFolder ? keep < 0 && member.nativeFilePath().startsWith(inside)
                                       : keep < 0 || keepsBetter(rule, member, *group.members.at(keep)))
                keep = i;
        }
        if (keep < 0) {
            ++withoutFolder;
            continue;
        }
        for (qsizetype i = 0; i < group.members.size(); ++i)
            if (i != keep)
                copies.insert(group.members.at(i).data());
    }
    d.window->folderView->hide();
    d.window->folderListView->show();
    selectItems(d.window->fileListTableview, d.FileListController,
                [&](const IKImageItem &item) { return copies.contains(&item); });
    if (withoutFolder > 0)
        d.showActionStatus(tr("%1 without a file in %2: none of their files selected")
                               .arg(withoutFolder == 1
                                        ? tr("1 group")
                                        : tr("%1 groups").arg(QLocale().toString(withoutFolder)),
                                    displayPath(fromNativePath(folder))));
    else
        d.showActionStatus({});
}

void DuplicatesView::chooseFolderAndSelectCopies()
{
    if (!m_shown)
        return;
    auto *panel = new QFileDialog(d.window, tr("Keep the Files in This Folder"),
                                  d.currentSelectFolder.isEmpty() ? QDir::homePath() : d.currentSelectFolder);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setWindowModality(Qt::WindowModal);
    panel->setLabelText(QFileDialog::Accept, tr("Keep"));
    connect(panel, &QFileDialog::finished, this, [this, panel](int result) {
        const QStringList chosen = panel->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty())
            selectCopies(Keep::InFolder, toNativePath(fromNativePath(QFile::encodeName(chosen.first()))));
    });
    d.openHomePanel = panel;
    panel->show();
    d.positionSheet(panel);
}

QString DuplicatesView::statusText() const
{
    if (m_search) {
        const quint64 total = m_progress->toHash, hashed = m_progress->hashed;
        return total == 0 ? tr("Finding duplicates…")
                          : tr("Finding duplicates… %1 of %2 read").arg(sizeText(hashed), sizeText(total));
    }
    if (!m_shown)
        return {};
    qsizetype files = 0;
    quint64 wasted = 0;
    for (const Group &group : m_groups) {
        files += group.members.size();
        wasted += group.size * quint64(group.members.size() - 1);
    }
    const auto count = qlonglong(m_groups.size());
    QString text = tr("%1, %2, %3 could be freed")
                       .arg(count == 1 ? tr("1 group") : tr("%1 groups").arg(QLocale().toString(count)),
                            AppDelegate::fileCount(files), sizeText(wasted));
    if (m_unreadable > 0)
        text += tr(", %1 unreadable").arg(AppDelegate::fileCount(m_unreadable));
    if (m_changed > 0)
        text += tr(", %1 changed since the scan").arg(AppDelegate::fileCount(m_changed));
    return text;
}

void DuplicatesView::updateControls()
{
    m_toggle->setText(m_shown    ? tr("Show &All Files")
                      : m_search ? tr("Cancel Finding &Duplicates")
                                 : tr("Find &Duplicates"));
    m_selectMenu->menuAction()->setEnabled(m_shown);
    m_bar->setVisible(m_search.has_value());
    m_barButton->setVisible(m_search || m_shown);
    m_barButton->setText(m_search ? tr("Cancel") : tr("Show All Files"));
    m_barButton->setShortcut(
        Qt::Key_Escape); // after the text, which sets its own; the scan's Stop is hidden now
    m_barButton->setToolTip(m_search ? tr("Stop looking for duplicates (Esc)")
                                     : tr("Back to the list as it was (Esc)"));
}

} // namespace vellumry
