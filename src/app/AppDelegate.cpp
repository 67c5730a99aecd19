// The controller: launch, folder loading, view modes, preview, and the commands it hands on.
#include "app/AppDelegate.h"

#include "app/Look.h"
#include "app/LiveUpdates.h"
#include "app/MainWindow.h"
#include "app/ShownList.h"
#include "app/StatusLine.h"
#include "app/PreferencesController.h"
#include "model/FolderScanner.h"
#include "model/ItemTexts.h"
#include "model/TreeWatcher.h"
#include "platform/LoginItems.h"
#include "platform/Logging.h"
#include "platform/NativePath.h"
#include "platform/NotificationCenter.h"
#include "platform/Preferences.h"
#include "platform/Settings.h"
#include "reorganise/ui/BatchRunner.h"
#include "reorganise/ui/ClassifySheet.h"
#include "reorganise/ui/HistoryWindow.h"
#include "reorganise/ui/RenameSheet.h"
#include "views/Comparators.h"
#include "views/ui/BackgroundImageView.h"
#include "views/ui/FileMime.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/PRButton.h"
#include "views/ui/PreviewPane.h"
#include "views/ui/ShownListModel.h"
#include "views/ui/ThumbnailLoader.h"

#include <QApplication>
#include <QItemSelection>
#include <QCheckBox>
#include <QDateTime>
#include <QHash>
#include <QClipboard>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QUrl>

#include <sys/stat.h>
#include <array>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// A folder the user named (command line, drop, open panel) as the program works on it: absolute, with
// "." and ".." resolved through the real folders; a link named last stays the link.
QString folderToOpen(const QString &path)
{
    return fromNativePath(absoluteOperandPath(toNativePath(path)));
}

AppDelegate *g_controller = nullptr;

} // namespace

AppDelegate::AppDelegate(Services services, QObject *parent) : QObject(parent), m_services(std::move(services))
{
    if (!m_services.desktop)
        m_services.desktop = &DesktopServices::system();
    // Creation: subscribe to the named notifications and record the one instance.
    m_services.nc->observe(Notification::ButtonMouseDown, this, [this](QObject *o) { MybuttonMouseDownHandle(o); });
    m_services.nc->observe(Notification::DragOperationImage, this,
                           [this](QObject *o) { PRDragOperationImageNoteHandle(o); });
    g_controller = this;
}

AppDelegate::~AppDelegate()
{
    if (g_controller == this)
        g_controller = nullptr;
    delete m_batches; // a batch still running stops between two files
    delete openFolderWindow;
    delete window;
}

AppDelegate *AppDelegate::GetAppControllor() { return g_controller; }

bool AppDelegate::LoadFirstItem() const { return m_scanner && m_scanner->LoadFirstItem(); }

void AppDelegate::awakeFromNib()
{
    window = new MainWindow(m_services.nc);
    openFolderWindow = new StartWindow(m_services.nc);
    m_scanner = new FolderScanner(lists, this);
    m_thumbnails = new ThumbnailLoader(80, this);
    FileListController = new ShownListModel(this);
    FileListController->setThumbnailSource([this](const IKImageItem &item) { return m_thumbnails->thumbnail(item); });
    connect(FileListController, &QAbstractItemModel::dataChanged, this, &AppDelegate::followPreviewedItem);
    m_batches = new BatchRunner(*this, *m_services.desktop);
    renameSheet = m_batches->renameSheet();
    classifySheet = m_batches->classifySheet();
    previewSheet = m_batches->previewSheet();
    connect(m_batches, &BatchRunner::finished, this, &AppDelegate::batchFinished);
    historyWindow = new HistoryWindow(window);
    connect(historyWindow, &HistoryWindow::undoRequested, m_batches, &BatchRunner::undo);
    connect(this, &AppDelegate::batchFinished, this, [this] {
        updateUndoAction();
        if (historyWindow->isVisible())
            historyWindow->refresh();
    });
    m_look = new Look(window, openFolderWindow, *m_services.desktop, this);

    // Views and their signals.
    window->setFileModel(FileListController);
    connect(window->fodlerfileBroswerView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AppDelegate::imageBrowserSelectionDidChange);
    connect(window->fileListTableview->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AppDelegate::tableViewSelectionDidChange);
    for (QAbstractItemView *view : std::initializer_list<QAbstractItemView *>{window->fodlerfileBroswerView, window->fileListTableview})
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateStatus(); });
    connect(window->filterField, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    connect(window->fodlerfileBroswerView, &NSDragImageBrowserView::itemDoubleClicked, this,
            &AppDelegate::imageBrowserCellWasDoubleClickedAtIndex);
    connect(window->fileListTableview->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        tableViewDidClickTableColumn(
            FileListController->headerData(section, Qt::Horizontal, ShownListModel::IdentifierRole).toString());
    });
    connect(m_thumbnails, &ThumbnailLoader::thumbnailReady, window->fodlerfileBroswerView->viewport(),
            qOverload<>(&QWidget::update));

    connect(window, &MainWindow::closeRequested, this, [this] { windowShouldClose(window); });
    connect(openFolderWindow, &StartWindow::closeRequested, this, [this] { windowShouldClose(openFolderWindow); });
    connect(openFolderWindow, &StartWindow::filesDropped, this, [this](const QMimeData *data) {
        window->fodlerfileBroswerView->performDragOperation(data);
    });

    // Scan engine hand-overs.
    connect(m_scanner, &FolderScanner::filesAppended, this, &AppDelegate::onFilesAppended);
    connect(m_scanner, &FolderScanner::selectFirstItem, this, &AppDelegate::onSelectFirstItem);
    connect(m_scanner, &FolderScanner::scanStarted, this, [this] { updateStatus(); });
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(200);
    connect(m_refreshTimer, &QTimer::timeout, this, &AppDelegate::catchUpShownList);
    connect(m_scanner, &FolderScanner::scanFinished, this, [this] {
        // End of one scan: the whole of filesItemArray is shown.
        catchUpShownList();
        if (!m_shownIsAllFiles || FileListController->unfilteredCount() != lists.filesItemArray.size())
            reloadShownList(lists.filesItemArray, true);
    });
    m_live = new LiveUpdates(*this);
    connect(m_scanner, &FolderScanner::idle, this, [this] {
        window->loadItemProgressor->hide();
        window->stopButton->hide();
        updateStatus();
        Q_EMIT scanFinished();
    });

    window->buildMenus();
    connectCommands();
    m_duplicates = new DuplicatesView(*this);
    updateUndoAction();
    // Batches of the command line, or of another window, may have been journaled meanwhile.
    connect(qApp, &QGuiApplication::applicationStateChanged,
            this, [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    updateUndoAction();
            });
    setUpAppBox();
    setupApplications();
    setUpPreferences(); // last: its Settings and Help menus close the menu bar
}

void AppDelegate::connectCommands()
{
    using Slot = void (AppDelegate::*)();
    const std::pair<MainWindow::Command, Slot> commands[] = {
        {MainWindow::OpenFolder, &AppDelegate::ClearAndOpenNewFolderAction},
        {MainWindow::ImportFolder, &AppDelegate::ImportNewFolderAction},
        {MainWindow::ClearLists, &AppDelegate::ClearCurrentFilesandFolderAction},
        {MainWindow::ClassifyMainFolder, &AppDelegate::ClassfyFolderAction},
        {MainWindow::UndoLastBatch, &AppDelegate::UndoLastBatchAction},
        {MainWindow::ShowHistory, &AppDelegate::ShowHistoryAction},
        {MainWindow::AsIcons, &AppDelegate::ChangetoIconViewModeAction},
        {MainWindow::AsList, &AppDelegate::ChangetoListViewModeAction},
        {MainWindow::AsFolders, &AppDelegate::ChangetoFolderViewModeAction},
        {MainWindow::SortByName, &AppDelegate::SortFileinFolderByNameAction},
        {MainWindow::SortByKind, &AppDelegate::SortFileinFolderByTypeAction},
        {MainWindow::SortByDate, &AppDelegate::SortFileinFolderByDateAction},
        {MainWindow::SortByPath, &AppDelegate::SortFileinFolderByPathAction},
        {MainWindow::SortBySize, &AppDelegate::SortFileinFolderBySizeAction},
        {MainWindow::OpenSelection, &AppDelegate::OpenSelectedFileAction},
        {MainWindow::ShowInFileManager, &AppDelegate::ShowFilesinFinderAction},
        {MainWindow::MoveToTrash, &AppDelegate::MoveFilesToTrashAction},
        {MainWindow::CopySelection, &AppDelegate::CopySelectedFilesAction},
        {MainWindow::CopySelectionPaths, &AppDelegate::CopySelectedPathsAction},
        {MainWindow::RenameSelection, &AppDelegate::RenameFolderAction},
        {MainWindow::ShowAllFiles, &AppDelegate::ShowAllFilesBtnAction},
        {MainWindow::ShowImages, &AppDelegate::ShowAllImagesBtnAction},
        {MainWindow::ShowVideos, &AppDelegate::ShowAllVideosBtnAction},
        {MainWindow::ShowAudios, &AppDelegate::ShowAllAudiosBtnAction},
        {MainWindow::ShowDocuments, &AppDelegate::ShowAllDocumentsBtnAction},
        {MainWindow::ShowArchives, &AppDelegate::ShowAllArchiveBtnAction},
        {MainWindow::ShowOthers, &AppDelegate::ShowAllOthersBtnAction},
        {MainWindow::MoveUpOneLevel, &AppDelegate::MoveToleve2ParentFolderAction},
        {MainWindow::MoveUpTwoLevels, &AppDelegate::MoveToleve3ParentFolderAction},
        {MainWindow::MoveUpThreeLevels, &AppDelegate::MoveToleve4ParentFolderAction},
        {MainWindow::MoveToFolder, &AppDelegate::MoveToCustomFolderAction},
        {MainWindow::MoveToMainFolder, &AppDelegate::MoveToRootFolderAction},
    };
    for (const auto &[command, slot] : commands)
        connect(window->action(command), &QAction::triggered, this, slot);
    connect(window->refreshAction, &QAction::triggered, this, &AppDelegate::RefreshMainFoldersAction);
    const std::pair<QPushButton *, Slot> buttons[] = {
        {window->iconViewModeBtn, &AppDelegate::ChangetoIconViewModeAction},
        {window->listViewModeBtn, &AppDelegate::ChangetoListViewModeAction},
        {window->folderViewModeBtn, &AppDelegate::ChangetoFolderViewModeAction},
        {window->stopButton, &AppDelegate::stopScanAction},
        {window->renameFeatureBtn, &AppDelegate::RenameFolderAction},
        {window->classifyFeatureBtn, &AppDelegate::ClassfyFolderAction},
    };
    for (const auto &[button, slot] : buttons)
        connect(button, &QPushButton::clicked, this, slot);
}

void AppDelegate::applicationDidFinishLaunching(bool foldersNamed)
{
    // Lists exist already (members); the containers: icon view shown, list view hidden.
    lists.clear();
    window->folderView->show();
    window->folderListView->hide();
    window->fodlerfileBroswerView->setCellSize({80, 80});

    // Centre both windows on the screen.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - window->rect().center());
        openFolderWindow->move(area.center() - openFolderWindow->rect().center());
    }
    connect(window->fileListTableview, &QTableView::doubleClicked, this,
            &AppDelegate::DoubleClickTableViewBookMarkAction);
    window->loadItemProgressor->hide();
    updateStatus();

    Settings &settings = *m_services.settings;
    if (foldersNamed) {
        // Folders named at the start are scanned at once: no invitation to drop one covers the window.
        window->show();
        settings.setValue(u"FirstStartData"_s, u"YES"_s);
        settings.synchronize();
    } else if (settings.string(u"FirstStartData"_s) == u"YES"_s) {
        window->show();
        if (!settings.boolean(u"ExampleAlertSuppress"_s)) {
            auto *hint = new QMessageBox(window);
            hint->setAttribute(Qt::WA_DeleteOnClose);
            hint->setWindowModality(Qt::WindowModal);
            hint->setIcon(QMessageBox::Information);
            hint->setText(tr("Drag & drop a main folder here to start"));
            hint->setInformativeText(tr("Drag & drop a main folder here to start managing files in multilevel "
                                        "folders and subfolders."));
            QPushButton *ok = hint->addButton(tr(" Ok "), QMessageBox::AcceptRole);
            hint->setDefaultButton(ok);
            hint->setCheckBox(new QCheckBox(tr("Do not show this message again"), hint));
            connect(hint, &QMessageBox::buttonClicked, this, [this, hint, ok](QAbstractButton *button) {
                savePanelDidEnd12(button == ok ? 1 : 0, hint->checkBox()->isChecked());
            });
            startupHint = hint;
            hint->show();
            positionSheet(hint);
        } else {
            qCInfo(lcVellumry, "ExampleAlert suppressed");
        }
    } else {
        window->hide();
        openFolderWindow->show();
        settings.setValue(u"FirstStartData"_s, u"YES"_s);
        settings.synchronize();
    }

    m_look->start();
    detectTimer = m_look->timer();

    QWidget *front = window->isVisible() ? static_cast<QWidget *>(window) : openFolderWindow;
    front->raise();
    front->activateWindow();
}

void AppDelegate::savePanelDidEnd12(int returnCode, bool suppressionTicked)
{
    if (returnCode == 1 && suppressionTicked) {
        m_services.settings->setValue(u"ExampleAlertSuppress"_s, true);
        m_services.settings->synchronize();
    }
    if (startupHint)
        startupHint->close();
}

QRect AppDelegate::windowWillPositionSheetUsingRect(QWidget *, QWidget *, const QRect &rect)
{
    return rect.translated(0, 60);
}

void AppDelegate::positionSheet(QWidget *sheet)
{
    // A sheet's default place: centred on the window, its top edge at the top of the window's content.
    QWidget *parent = sheet->parentWidget() ? sheet->parentWidget()->window() : window;
    sheet->adjustSize();
    const QRect frame = parent->geometry();
    const QSize size = sheet->size();
    const QRect proposed(frame.left() + (frame.width() - size.width()) / 2, frame.top(), size.width(), size.height());
    sheet->setGeometry(windowWillPositionSheetUsingRect(parent, sheet, proposed));
}

bool AppDelegate::windowShouldClose(QWidget *which)
{
    if (which == openFolderWindow) {
        openFolderWindow->hide();
        window->show();
        if (QScreen *screen = window->screen())
            window->move(screen->availableGeometry().center() - window->rect().center());
    } else if (which == window) {
        QApplication::quit();
    }
    return true;
}

// ---- Folder loading ----------------------------------------------------------------------------

void AppDelegate::clearLists()
{
    m_scanner->cancelAll(); // the lists have one writer at a time: stop the scans first
    m_live->clear();
    m_mainFolders.clear();
    lists.clear();
    m_thumbnails->clear();
}

void AppDelegate::startScanCurrentFolder(const QString &path)
{
    startScanCurrentFolders({path});
}

void AppDelegate::startScanCurrentFolders(const QStringList &paths)
{
    openFolderWindow->hide();
    window->show();
    window->loadItemProgressor->show();
    window->stopButton->show();
    m_stopped = false;
    m_mainFolders += paths;
    applyFilter(); // locations are taken below the main folders
    m_scanner->startScanCurrentFolders(paths);
    updateStatus();
}

void AppDelegate::PRDragOperationImageNoteHandle(QObject *)
{
    if (m_batches->refuseWhileRunning())
        return;
    const QList<QUrl> urls = window->fodlerfileBroswerView->geturlArray();
    clearLists();
    reloadShownList(lists.filesItemArray, true);
    QStringList folders;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        // The URL's path is percent-encoded bytes; decoding it as text would lose names that are not UTF-8.
        const QString path = folderToOpen(
            fromNativePath(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())));
        if (!path.isEmpty())
            folders.append(path);
    }
    if (folders.isEmpty())
        return;
    // The main folder of the batches: the first dropped folder, not a plain file dropped before it.
    currentSelectFolder = folders.first();
    for (const QString &folder : std::as_const(folders)) {
        struct stat st {};
        if (::stat(toNativePath(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            currentSelectFolder = folder;
            break;
        }
    }
    startScanCurrentFolders(folders);
}

void AppDelegate::openFoldersAsDrop(const QStringList &paths)
{
    if (m_batches->refuseWhileRunning())
        return;
    clearLists();
    reloadShownList(lists.filesItemArray, true);
    QStringList folders;
    for (const QString &path : paths) {
        if (const QString folder = folderToOpen(path); !folder.isEmpty())
            folders.append(folder);
    }
    if (folders.isEmpty())
        return;
    currentSelectFolder = folders.first();
    startScanCurrentFolders(folders);
}

void AppDelegate::showOpenPanel(bool importing)
{
    if (m_batches->refuseWhileRunning())
        return;
    auto *panel = new QFileDialog(window, importing ? tr("Import a Folder") : tr("Choose a Main Folder"),
                                  QDir::homePath());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly);
    panel->setOption(QFileDialog::DontUseNativeDialog); // a sheet we can place
    panel->setWindowModality(Qt::WindowModal);
    panel->setLabelText(QFileDialog::Accept, importing ? tr("Import") : tr("Open"));
    connect(panel, &QFileDialog::finished, this, [this, panel, importing](int result) {
        const int returnCode = result == QDialog::Accepted ? 1 : 0;
        if (importing)
            openPanelDidEnd14(panel, returnCode);
        else
            openPanelDidEnd13(panel, returnCode);
    });
    openHomePanel = panel;
    panel->show();
    positionSheet(panel);
}

void AppDelegate::ClearAndOpenNewFolderAction()
{
    if (m_batches->refuseWhileRunning()) // before anything is emptied
        return;
    clearLists();
    reloadShownList(lists.filesItemArray, true);
    showOpenPanel(false);
}

void AppDelegate::openPanelDidEnd13(QFileDialog *panel, int returnCode)
{
    const QStringList chosen = panel->selectedFiles();
    if (returnCode != 1 || chosen.isEmpty() || m_batches->refuseWhileRunning())
        return;
    currentSelectFolder = folderToOpen(fromNativePath(QFile::encodeName(chosen.first())));
    clearLists();
    reloadShownList(lists.filesItemArray, true);
    startScanCurrentFolder(currentSelectFolder);
}

void AppDelegate::ImportNewFolderAction() { showOpenPanel(true); }

void AppDelegate::openPanelDidEnd14(QFileDialog *panel, int returnCode)
{
    const QStringList chosen = panel->selectedFiles();
    if (returnCode != 1 || chosen.isEmpty())
        return;
    currentSelectFolder = folderToOpen(fromNativePath(QFile::encodeName(chosen.first())));
    startScanCurrentFolder(currentSelectFolder);
}

void AppDelegate::ClearCurrentFilesandFolderAction()
{
    if (m_batches->refuseWhileRunning())
        return;
    clearLists();
    reloadShownList(lists.filesItemArray, true);
    updateStatus();
}

void AppDelegate::stopScanAction()
{
    if (!m_scanner->isScanning())
        return;
    m_scanner->cancelAll(); // what was found stays
    m_stopped = true;
    catchUpShownList();
    if (!m_shownIsAllFiles || FileListController->unfilteredCount() != lists.filesItemArray.size())
        reloadShownList(lists.filesItemArray, true);
}

// ---- Shown list, view modes and filters ----------------------------------------------------------

void AppDelegate::reloadShownList(const ItemList &list, bool allFiles) { m_shown->reload(list, allFiles); }
void AppDelegate::onFilesAppended(qsizetype first, qsizetype count) { m_shown->filesAppended(first, count); }
void AppDelegate::catchUpShownList() { m_shown->catchUp(); }
void AppDelegate::onSelectFirstItem() { m_shown->selectFirstItem(); }
bool AppDelegate::isListMode() const { return window->folderView->isHidden(); }
void AppDelegate::ChangetoIconViewModeAction() { m_shown->showMode(ShownList::Icons); }
void AppDelegate::ChangetoListViewModeAction() { m_shown->showMode(ShownList::Table); }
void AppDelegate::ChangetoFolderViewModeAction() { m_shown->showMode(ShownList::Folder); }
void AppDelegate::ShowAllFilesBtnAction() { m_shown->showKind(ShownList::AllFiles); }
void AppDelegate::ShowAllImagesBtnAction() { m_shown->showKind(ShownList::Images); }
void AppDelegate::ShowAllVideosBtnAction() { m_shown->showKind(ShownList::Videos); }
void AppDelegate::ShowAllAudiosBtnAction() { m_shown->showKind(ShownList::Audios); }
void AppDelegate::ShowAllDocumentsBtnAction() { m_shown->showKind(ShownList::Documents); }
void AppDelegate::ShowAllOthersBtnAction() { m_shown->showKind(ShownList::Others); }
void AppDelegate::ShowAllArchiveBtnAction() { m_shown->showKind(ShownList::Archives); }
void AppDelegate::sortFiles(int order) { m_shown->sort(SortOrder(order)); }
void AppDelegate::SortFileinFolderByNameAction() { sortFiles(int(SortOrder::Name)); }
void AppDelegate::SortFileinFolderByTypeAction() { sortFiles(int(SortOrder::Kind)); }
void AppDelegate::SortFileinFolderByDateAction() { sortFiles(int(SortOrder::Date)); }
void AppDelegate::SortFileinFolderByPathAction() { sortFiles(int(SortOrder::Path)); }
void AppDelegate::SortFileinFolderBySizeAction() { sortFiles(int(SortOrder::Size)); }

void AppDelegate::tableViewDidClickTableColumn(const QString &identifier)
{
    if (const auto order = sortOrderForIdentifier(identifier))
        sortFiles(int(*order));
}

// ---- Open, reveal, Trash ---------------------------------------------------------------------------

QList<int> AppDelegate::selectedRows() const
{
    // List mode: the table's rows; otherwise the grid's. Never a selection left in the hidden view.
    QAbstractItemView *view = isListMode() ? static_cast<QAbstractItemView *>(window->fileListTableview)
                                           : static_cast<QAbstractItemView *>(window->fodlerfileBroswerView);
    QList<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void AppDelegate::OpenSelectedFileAction()
{
    for (int row : selectedRows()) {
        if (const IKImageItemRef item = FileListController->itemAt(row); item && !item->bDir())
            openItem(*item);
    }
}

void AppDelegate::ShowFilesinFinderAction()
{
    for (int row : selectedRows()) {
        // Folder items are skipped: their path is the folder icon they are drawn with.
        if (const IKImageItemRef item = FileListController->itemAt(row); item && !item->bDir())
            m_services.desktop->reveal(item->nativeFilePath());
    }
}

void AppDelegate::MoveFilesToTrashAction() { m_batches->trashSelection(); }

void AppDelegate::CopySelectedFilesAction()
{
    ItemList items;
    for (int row : selectedRows())
        items.append(FileListController->itemAt(row));
    if (QMimeData *data = filesMimeData(itemDiskPaths(items)))
        QGuiApplication::clipboard()->setMimeData(data);
}

void AppDelegate::CopySelectedPathsAction()
{
    ItemList items;
    for (int row : selectedRows())
        items.append(FileListController->itemAt(row));
    if (!items.isEmpty())
        QGuiApplication::clipboard()->setText(pathsText(itemDiskPaths(items)));
}

// ---- Preview and opening ---------------------------------------------------------------------------

namespace {
// Where an item lies and what it is called, as one value to compare.
QByteArray placeOf(const IKImageItem &item) { return item.nativeEntryPath() + '\0' + item.nativeFilePath(); }
} // namespace

void AppDelegate::previewRow(int row)
{
    const IKImageItemRef item = FileListController->itemAt(row);
    if (!item)
        return;
    previewItem(item);
    Q_EMIT previewed(row);
}

void AppDelegate::previewItem(const IKImageItemRef &item)
{
    window->previewPane->previewItem(*item);
    m_previewed = item;
    m_previewedAt = placeOf(*item);
}

void AppDelegate::followPreviewedItem()
{
    if (!m_previewed || placeOf(*m_previewed) == m_previewedAt)
        return;
    window->previewPane->previewItem(*m_previewed);
    m_previewedAt = placeOf(*m_previewed);
}

int AppDelegate::lowestSelectedGridRow() const
{
    int lowest = -1;
    for (const QModelIndex &index : window->fodlerfileBroswerView->selectionModel()->selectedRows())
        lowest = lowest < 0 ? index.row() : std::min(lowest, index.row());
    return lowest;
}

void AppDelegate::imageBrowserSelectionDidChange()
{
    if (const int row = lowestSelectedGridRow(); row >= 0)
        previewRow(row); // with nothing selected the pane keeps what it showed
}

void AppDelegate::tableViewSelectionDidChange()
{
    // The row selected last is the table's current row.
    const QModelIndex current = window->fileListTableview->selectionModel()->currentIndex();
    if (!current.isValid() || !window->fileListTableview->selectionModel()->isRowSelected(current.row(), {}))
        return;
    previewRow(current.row());
}

void AppDelegate::refreshPreview()
{
    if (isListMode())
        tableViewSelectionDidChange();
    else
        imageBrowserSelectionDidChange();
}

void AppDelegate::openItem(const IKImageItem &item)
{
    // A folder item's path is the folder icon: open the folder itself instead, never the resource.
    const QByteArray path = item.bDir() ? item.nativeEntryPath() : item.nativeFilePath();
    m_services.desktop->open(path);
}

void AppDelegate::imageBrowserCellWasDoubleClickedAtIndex(int)
{
    if (const IKImageItemRef item = FileListController->itemAt(lowestSelectedGridRow()))
        openItem(*item);
}

void AppDelegate::DoubleClickTableViewBookMarkAction()
{
    const QModelIndex current = window->fileListTableview->selectionModel()->currentIndex();
    if (!current.isValid() || !window->fileListTableview->selectionModel()->isRowSelected(current.row(), {}))
        return;
    if (const IKImageItemRef item = FileListController->itemAt(current.row()))
        openItem(*item);
}

void AppDelegate::MoveToleve1ParentFolderAction() {} // level 1 is the folder that already holds the file
void AppDelegate::MoveToleve2ParentFolderAction() { m_batches->moveUp(2); }
void AppDelegate::MoveToleve3ParentFolderAction() { m_batches->moveUp(3); }
void AppDelegate::MoveToleve4ParentFolderAction() { m_batches->moveUp(4); }
void AppDelegate::MoveDifferentFolderAction() {}
void AppDelegate::MoveToRootFolderAction() { m_batches->moveIntoMainFolder(); }
void AppDelegate::MoveToCustomFolderAction() { m_batches->chooseFolderAndMove(); }

void AppDelegate::openPanelDidEnd16(QFileDialog *panel, int returnCode)
{
    const QStringList chosen = panel->selectedFiles();
    if (returnCode != 1 || chosen.isEmpty())
        return;
    const QByteArray folder = toNativePath(fromNativePath(QFile::encodeName(chosen.first())));
    m_batches->moveInto(folder); // the selection as it is now that the panel has closed
}

bool AppDelegate::isBatchRunning() const { return m_batches->isRunning(); }
bool AppDelegate::showsBatchPreview() const { return PreferencesController::showsBatchPreview(*m_services.settings); }
void AppDelegate::RenameFolderAction() { m_batches->showRenameSheet(); }
void AppDelegate::CancelRenameFolderAction() { renameSheet->hide(); }
void AppDelegate::ChangeRenameTypeAction() { renameSheet->showModeControls(); }
void AppDelegate::ChangeTextTypeAction() { renameSheet->showVariantControls(); }
void AppDelegate::SaveRenameFolderAction() { m_batches->renameFromSheet(); }
void AppDelegate::ClassfyFolderAction() { m_batches->showClassifySheet(); }
void AppDelegate::CancelClassfyFolder() { classifySheet->hide(); }
void AppDelegate::SelectReclassTypeAction() { classifySheet->typeClicked(); }
void AppDelegate::SelectReclassDateAction() { classifySheet->dateClicked(); }
void AppDelegate::ClassifyFolderHandle() { m_batches->classifyFromSheet(); }

// ---- Undo and history ------------------------------------------------------------------------------

void AppDelegate::UndoLastBatchAction()
{
    m_batches->undoLast();
    updateUndoAction();
}

void AppDelegate::updateUndoAction() { m_batches->describeUndo(window->action(MainWindow::UndoLastBatch)); }
void AppDelegate::ShowHistoryAction() { historyWindow->showOver(isDarkMode()); }

void AppDelegate::rescanMainFolders()
{
    const QStringList folders = m_mainFolders;
    clearLists();
    reloadShownList(lists.filesItemArray, true);
    if (!folders.isEmpty())
        startScanCurrentFolders(folders);
}

void AppDelegate::RefreshMainFoldersAction() { m_live->refresh(); }
TreeWatcher *AppDelegate::watcher() const { return m_live->watcher(); }

// ---- Help, about, preferences ----------------------------------------------------------------------

void AppDelegate::setUpPreferences()
{
    m_preferences = new PreferencesController(window, *m_services.settings, *m_services.desktop,
                                              [this](const QString &text) { showActionStatus(text); }, this);
    perfereceWindow = m_preferences->preferencesWindow();
    aboutWindow = m_preferences->aboutWindow();
    window->buildClosingMenus();
    connect(window->action(MainWindow::ShowPreferences), &QAction::triggered, this, &AppDelegate::ClickShowPereferenceWindow);
    connect(window->action(MainWindow::ShowHelp), &QAction::triggered, this, &AppDelegate::Gethelp);
    connect(window->action(MainWindow::ShowWebPage), &QAction::triggered, this, &AppDelegate::GoToVellumryAction);
    connect(window->action(MainWindow::ShowAbout), &QAction::triggered, this, &AppDelegate::ClickShowAboutWindow);
}

void AppDelegate::GoToVellumryAction() { m_preferences->showWebPage(); }
void AppDelegate::Gethelp() { m_preferences->showHelp(); }
void AppDelegate::ClickShowPereferenceWindow() { m_preferences->showPreferences(); }
void AppDelegate::ClickShowAboutWindow() { m_preferences->showAbout(); }
void AppDelegate::ClickAppBoxOnLogin() { m_preferences->applyLoginItem(); }
void AppDelegate::ChangeAppSettings() { m_preferences->save(); }
void AppDelegate::readConfigfileInfo() { m_preferences->readStored(); }
ActionResult AppDelegate::addAppAsLoginItem() { return LoginItems(LoginItems::runningExecutable()).add(); }
ActionResult AppDelegate::deleteAppFromLoginItem() { return LoginItems(LoginItems::runningExecutable()).remove(); }

int AppDelegate::getUsedAppCountSetting() const
{
    return m_preferences ? m_preferences->usedCountThreshold() : leadingInt32(storedUsedNum(*m_services.settings));
}

// ---- Look, buttons --------------------------------------------------------------------------------

void AppDelegate::BMakeModeTimer_hander() { m_look->check(); }
bool AppDelegate::isDarkMode() const { return m_look->isDark(); }
QString AppDelegate::showFilesImageName() const { return m_look->showFilesImage(); }

QPoint AppDelegate::menuPointForButton(QWidget *button) const
{
    // Just below the button's top-left corner, by an eighth of its height.
    const QPoint origin = button->mapToGlobal(QPoint(0, button->height()));
    return {origin.x(), origin.y() + int(button->height() * 0.125)};
}

void AppDelegate::MybuttonMouseDownHandle(QObject *button)
{
    if (button == window->movetoFeatureBtn) {
        window->moveToMenu->popup(menuPointForButton(window->movetoFeatureBtn));
    } else if (button == window->showFilesButton) {
        window->showFilesMenu->popup(menuPointForButton(window->showFilesButton));
    } else if (button == openFolderWindow->openFolderButton) {
        window->show();
        openFolderWindow->hide();
    }
}

QString AppDelegate::fileCount(qsizetype n)
{
    const QString number = QLocale().toString(qlonglong(n));
    return n == 1 ? tr("%1 file").arg(number) : tr("%1 files").arg(number);
}

void AppDelegate::updateStatus() { m_status->update(); }
QString AppDelegate::statusText() const { return window->statusLabel->text(); }

void AppDelegate::applyFilter()
{
    QByteArrayList folders;
    for (const QString &folder : std::as_const(m_mainFolders))
        folders.append(toNativePath(folder));
    const QString text = window->filterField->text();
    if (text == FileListController->filter().text() && folders == m_filterFolders)
        return;
    m_filterFolders = folders;
    // A long list is matched in the background: the count follows when its rows arrive.
    connect(FileListController, &ShownListModel::filterApplied, this, &AppDelegate::updateStatus,
            Qt::UniqueConnection);
    FileListController->setFilter(NameMatcher(text), folders);
    updateStatus();
}

void AppDelegate::showActionStatus(const QString &text)
{
    m_actionStatus = text;
    updateStatus();
}

} // namespace vellumry
