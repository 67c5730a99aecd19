// The main window's and the start window's layouts.
#include "app/MainWindow.h"

#include "views/ui/BackgroundImageView.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/PRButton.h"
#include "views/ui/PreviewPane.h"
#include "views/ui/ShownListModel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

namespace vellumry {

namespace {

template<typename Button>
Button *featureButton(Button *button, const QString &text, const QString &tip)
{
    button->setFlat(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setToolTip(tip);
    button->setAccessibleName(text);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 2px; background: transparent; }"));
    return button;
}

} // namespace

MainWindow::MainWindow(NotificationCenter *nc, QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(tr("Vellumry"));
    setMinimumSize(820, 520);
    resize(1180, 760);

    auto *central = new QWidget(this);
    auto *centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);

    // Toolbar: view modes on the left, the kind filter in the middle, the batch features on the right.
    groundFolderImageView = new BackgroundImageView(central);
    groundFolderImageView->setFixedHeight(56);
    auto *bar = new QHBoxLayout(groundFolderImageView);
    bar->setContentsMargins(14, 8, 14, 8);
    bar->setSpacing(6);
    iconViewModeBtn = featureButton(new QPushButton(groundFolderImageView), tr("Icons"),
                                    tr("Show every file as an icon grid (Ctrl+1)"));
    listViewModeBtn = featureButton(new QPushButton(groundFolderImageView), tr("List"),
                                    tr("Show every file in a table (Ctrl+2)"));
    folderViewModeBtn = featureButton(new QPushButton(groundFolderImageView), tr("Folders"),
                                      tr("Show only what lies directly in the main folder (Ctrl+3)"));
    showFilesButton = featureButton(new PRButton(nc, groundFolderImageView), tr("Show files"),
                                    tr("Show all files or only one kind"));
    renameFeatureBtn = featureButton(new QPushButton(groundFolderImageView), tr("Rename"),
                                     tr("Rename the selected files in one go"));
    classifyFeatureBtn = featureButton(new QPushButton(groundFolderImageView), tr("Classify"),
                                       tr("Sort every file into kind or date folders"));
    movetoFeatureBtn = featureButton(new PRButton(nc, groundFolderImageView), tr("Move to"),
                                     tr("Move the selected files up or into another folder"));
    bar->addWidget(iconViewModeBtn);
    bar->addWidget(listViewModeBtn);
    bar->addWidget(folderViewModeBtn);
    bar->addStretch(1); // the show-files button is placed by hand: its right edge follows the grid's width
    filterField = new QLineEdit(groundFolderImageView);
    filterField->setPlaceholderText(tr("Filter"));
    filterField->setClearButtonEnabled(true);
    filterField->setFixedWidth(180);
    filterField->setToolTip(tr("Show only the files whose name holds this text (Ctrl+F); * and ? match any "
                               "text or one character, / matches the path below the main folder"));
    filterField->installEventFilter(this);
    bar->addWidget(filterField);
    bar->addWidget(renameFeatureBtn);
    bar->addWidget(classifyFeatureBtn);
    bar->addWidget(movetoFeatureBtn);
    appBoxBtn = featureButton(new QPushButton(groundFolderImageView), tr("Apps"),
                              tr("Open the box of favourite applications (Ctrl+B)"));
    appBoxBtn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    bar->addWidget(appBoxBtn);
    showFilesMenu = new QMenu(showFilesButton);
    moveToMenu = new QMenu(movetoFeatureBtn);
    centralLayout->addWidget(groundFolderImageView);

    splitter = new QSplitter(Qt::Horizontal, central);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(1);

    windowContentView = new QWidget(splitter);
    auto *contentLayout = new QVBoxLayout(windowContentView);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(0);

    folderView = new QWidget(windowContentView);
    auto *folderLayout = new QVBoxLayout(folderView);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    fodlerfileBroswerView = new NSDragImageBrowserView(nc, folderView);
    fodlerfileBroswerView->setFrameShape(QFrame::NoFrame);
    folderLayout->addWidget(fodlerfileBroswerView);

    folderListView = new QWidget(windowContentView);
    auto *listLayout = new QVBoxLayout(folderListView);
    listLayout->setContentsMargins(0, 0, 0, 0);
    fileListTableview = new QTableView(folderListView);
    fileListTableview->setFrameShape(QFrame::NoFrame);
    fileListTableview->setSelectionBehavior(QAbstractItemView::SelectRows);
    fileListTableview->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fileListTableview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fileListTableview->setShowGrid(false);
    fileListTableview->setAlternatingRowColors(true);
    fileListTableview->setWordWrap(false);
    fileListTableview->setTextElideMode(Qt::ElideMiddle);
    fileListTableview->verticalHeader()->hide();
    fileListTableview->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fileListTableview->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    fileListTableview->horizontalHeader()->setHighlightSections(false);
    fileListTableview->horizontalHeader()->setStretchLastSection(false);
    // Selected rows drag out as their files (copied: the model offers nothing else).
    fileListTableview->setDragDropMode(QAbstractItemView::DragOnly);
    fileListTableview->setDragEnabled(true);
    fileListTableview->setDefaultDropAction(Qt::CopyAction);
    listLayout->addWidget(fileListTableview);

    contentLayout->addWidget(folderView);
    contentLayout->addWidget(folderListView);

    groundImageView = new BackgroundImageView(splitter);
    auto *previewLayout = new QVBoxLayout(groundImageView);
    previewLayout->setContentsMargins(12, 12, 12, 12);
    previewPane = new PreviewPane(groundImageView);
    previewLayout->addWidget(previewPane);
    groundImageView->setMinimumWidth(260);

    splitter->addWidget(windowContentView);
    splitter->addWidget(groundImageView);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({820, 340});
    centralLayout->addWidget(splitter, 1);
    setCentralWidget(central);

    statusLabel = new QLabel(this);
    statusLabel->setContentsMargins(8, 0, 0, 0);
    stopButton = new QPushButton(tr("Stop"), this);
    stopButton->setToolTip(tr("Stop the scan and keep what was found (Esc)"));
    stopButton->setShortcut(Qt::Key_Escape);
    stopButton->hide();
    loadItemProgressor = new QProgressBar(this);
    loadItemProgressor->setRange(0, 0); // a walk does not know its total in advance
    loadItemProgressor->setMaximumWidth(140);
    loadItemProgressor->setMaximumHeight(14);
    loadItemProgressor->setTextVisible(false);
    statusBar()->addWidget(statusLabel, 1);
    statusBar()->addPermanentWidget(loadItemProgressor);
    statusBar()->addPermanentWidget(stopButton);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    Q_EMIT closeRequested();
}

StartWindow::StartWindow(NotificationCenter *nc, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Vellumry"));
    setFixedSize(560, 380);
    setAcceptDrops(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    openFolderImageView = new BackgroundImageView(this);
    layout->addWidget(openFolderImageView);

    auto *inner = new QVBoxLayout(openFolderImageView);
    inner->setContentsMargins(40, 40, 40, 36);
    inner->setSpacing(14);
    auto *logo = new QLabel(openFolderImageView);
    logo->setPixmap(QPixmap(QStringLiteral(":/images/vellumry.png"))
                        .scaled(88, 88, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    logo->setAlignment(Qt::AlignHCenter);
    startInfo1lab = new QLabel(tr("Drop a main folder here"), openFolderImageView);
    QFont title = startInfo1lab->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    startInfo1lab->setFont(title);
    startInfo1lab->setAlignment(Qt::AlignHCenter);
    startInfo2lab = new QLabel(tr("Vellumry lists every file in all its subfolders as if they lay in one place."),
                               openFolderImageView);
    startInfo2lab->setWordWrap(true);
    startInfo2lab->setAlignment(Qt::AlignHCenter);
    startInfo3lab = new QLabel(tr("Then view them by kind, preview them, and rename, move or classify them in batches."),
                               openFolderImageView);
    startInfo3lab->setWordWrap(true);
    startInfo3lab->setAlignment(Qt::AlignHCenter);
    openFolderButton = new PRButton(nc, openFolderImageView);
    openFolderButton->setText(tr("Go to the Main Window"));
    openFolderButton->setToolTip(tr("Open the main window; drop a folder there or choose File > Open Folder"));
    openFolderButton->setMinimumHeight(34);
    openFolderButton->setDefault(true);
    inner->addWidget(logo);
    inner->addWidget(startInfo1lab);
    inner->addWidget(startInfo2lab);
    inner->addWidget(startInfo3lab);
    inner->addStretch(1);
    inner->addWidget(openFolderButton, 0, Qt::AlignHCenter);
}

void StartWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    Q_EMIT closeRequested();
}

void StartWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (NSDragImageBrowserView::offersFiles(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void StartWindow::dropEvent(QDropEvent *event)
{
    if (NSDragImageBrowserView::offersFiles(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        Q_EMIT filesDropped(event->mimeData());
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    const bool view = watched == fodlerfileBroswerView || watched == fileListTableview;
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == filterField && key->key() == Qt::Key_Escape) {
            filterField->clear();
            return true;
        }
        // A printable key typed in a file view starts the filter with it.
        const QString typed = key->text();
        if (view && typed.size() == 1 && typed.front().isPrint() && !typed.front().isSpace() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            filterField->setFocus(Qt::ShortcutFocusReason);
            filterField->setText(typed);
            return true;
        }
    }
    if (view && event->type() == QEvent::KeyPress && m_actions[OpenSelection]) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Delete) {
            m_actions[key == Qt::Key_Delete ? MoveToTrash : OpenSelection]->trigger();
            return true;
        }
    } else if ((watched == fodlerfileBroswerView->viewport() || watched == fileListTableview->viewport()) &&
               event->type() == QEvent::ContextMenu && m_actions[OpenSelection]) {
        const auto *owner = static_cast<QAbstractItemView *>(watched->parent());
        if (owner->selectionModel()->selectedRows().isEmpty())
            return false;
        QMenu menu;
        menu.addAction(tr("Open"), m_actions[OpenSelection], &QAction::trigger)->setShortcut(Qt::Key_Return);
        menu.addAction(tr("Show in File Manager"), m_actions[ShowInFileManager], &QAction::trigger);
        menu.addAction(tr("Copy"), m_actions[CopySelection], &QAction::trigger)->setShortcut(QKeySequence::Copy);
        menu.addAction(tr("Copy Path"), m_actions[CopySelectionPaths], &QAction::trigger)
            ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
        menu.addSeparator();
        menu.addAction(tr("Move to Trash"), m_actions[MoveToTrash], &QAction::trigger)->setShortcut(Qt::Key_Delete);
        menu.exec(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::setFileModel(QAbstractItemModel *model)
{
    fodlerfileBroswerView->setModel(model);
    fileListTableview->setModel(model);
    QHeaderView *header = fileListTableview->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(ShownListModel::PathColumn, QHeaderView::Stretch); // the path takes what is left
    header->resizeSection(ShownListModel::NameColumn, 220);
    header->resizeSection(ShownListModel::SizeColumn, 90);
    header->resizeSection(ShownListModel::TypeColumn, 110);
    header->resizeSection(ShownListModel::DateColumn, fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 24);
    header->setSortIndicatorShown(false);
    header->setSectionsClickable(true);
}

void MainWindow::buildMenus()
{
    for (QObject *watched : std::initializer_list<QObject *>{fodlerfileBroswerView, fileListTableview,
                                                             fodlerfileBroswerView->viewport(), fileListTableview->viewport()})
        watched->installEventFilter(this);
    const auto add = [this](QMenu *menu, Command command, const QString &title, const QKeySequence &keys = {},
                            const QString &tip = {}) {
        QAction *action = menu->addAction(title);
        action->setShortcut(keys);
        action->setStatusTip(tip);
        m_actions[command] = action;
    };
    QMenu *fileMenu = menuBar()->addMenu(tr("&File"));
    add(fileMenu, OpenFolder, tr("&Open Folder…"), QKeySequence::Open, tr("Empty the lists and choose a new main folder"));
    add(fileMenu, ImportFolder, tr("&Import Folder…"), QKeySequence(Qt::CTRL | Qt::Key_I),
        tr("Add the files of another folder to those shown"));
    add(fileMenu, ClearLists, tr("&Clear"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K), tr("Empty the lists"));
    add(fileMenu, ClassifyMainFolder, tr("Cl&assify Main Folder…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Y),
        tr("Sort every file of the main folder into kind or date folders"));
    fileMenu->addSeparator();
    fileMenu->addAction(tr("&Quit"), QKeySequence::Quit, qApp, &QApplication::quit);

    // Undo's text names the batch it would undo; the controller keeps it current.
    QMenu *editMenu = menuBar()->addMenu(tr("&Edit"));
    add(editMenu, UndoLastBatch, tr("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), tr("Move back the files of the last batch"));
    add(editMenu, ShowHistory, tr("&History…"), QKeySequence(Qt::CTRL | Qt::Key_H),
        tr("The batches done so far, and their undo"));
    action(UndoLastBatch)->setEnabled(false);

    QMenu *viewMenu = menuBar()->addMenu(tr("&View"));
    add(viewMenu, AsIcons, tr("As &Icons"), QKeySequence(Qt::CTRL | Qt::Key_1));
    add(viewMenu, AsList, tr("As &List"), QKeySequence(Qt::CTRL | Qt::Key_2));
    add(viewMenu, AsFolders, tr("As &Folders"), QKeySequence(Qt::CTRL | Qt::Key_3));
    refreshAction = viewMenu->addAction(tr("&Refresh"));
    refreshAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    refreshAction->setStatusTip(tr("Scan the main folders again"));
    viewMenu->addSeparator();
    viewMenu->addMenu(showFilesMenu);
    showFilesMenu->setTitle(tr("Show"));
    QAction *find = viewMenu->addAction(tr("&Filter"), QKeySequence::Find, this, [this] {
        filterField->setFocus(Qt::ShortcutFocusReason);
        filterField->selectAll();
    });
    find->setStatusTip(tr("Type a part of the names to show"));
    QMenu *sortMenu = viewMenu->addMenu(tr("S&ort By"));
    add(sortMenu, SortByName, tr("Name"));
    add(sortMenu, SortByKind, tr("Kind"));
    add(sortMenu, SortByDate, tr("Date (newest first)"));
    add(sortMenu, SortByPath, tr("Path"));
    add(sortMenu, SortBySize, tr("Size (largest first)"));

    QMenu *selectionMenu = menuBar()->addMenu(tr("&Selection"));
    add(selectionMenu, OpenSelection, tr("&Open"), {},
        tr("Open the selected files with their default applications (Enter)"));
    add(selectionMenu, ShowInFileManager, tr("Show in &File Manager"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R));
    add(selectionMenu, MoveToTrash, tr("Move to &Trash"), {}, tr("Move the selected files to the Trash (Delete)"));
    add(selectionMenu, CopySelection, tr("&Copy"), QKeySequence::Copy,
        tr("Put the selected files on the clipboard, to paste them in a file manager"));
    add(selectionMenu, CopySelectionPaths, tr("Copy &Path"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
        tr("Put the paths of the selected files on the clipboard as text"));
    selectionMenu->addSeparator();
    add(selectionMenu, RenameSelection, tr("&Rename…"), QKeySequence(Qt::Key_F2),
        tr("Rename the selected files from their folders' names or a text"));
    selectionMenu->addSeparator();
    findDuplicatesAction = selectionMenu->addAction(tr("Find &Duplicates"));
    findDuplicatesAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    findDuplicatesAction->setStatusTip(tr("List the files that have the same content, group by group"));
    selectCopiesMenu = selectionMenu->addMenu(tr("Select &Copies"));

    add(showFilesMenu, ShowAllFiles, tr("All Files"));
    add(showFilesMenu, ShowImages, tr("Images"));
    add(showFilesMenu, ShowVideos, tr("Videos"));
    add(showFilesMenu, ShowAudios, tr("Audios"));
    add(showFilesMenu, ShowDocuments, tr("Documents"));
    add(showFilesMenu, ShowArchives, tr("Archives"));
    add(showFilesMenu, ShowOthers, tr("Others"));

    add(moveToMenu, MoveUpOneLevel, tr("Up One Level"), {}, tr("Move the selected files into the folder above their own"));
    add(moveToMenu, MoveUpTwoLevels, tr("Up Two Levels"));
    add(moveToMenu, MoveUpThreeLevels, tr("Up Three Levels"));
    moveToMenu->addSeparator();
    add(moveToMenu, MoveToFolder, tr("To a Folder…"));
    add(moveToMenu, MoveToMainFolder, tr("To the Main Folder"));

    renameFeatureBtn->setToolTip(renameFeatureBtn->toolTip() + tr(" (F2)"));
    classifyFeatureBtn->setToolTip(classifyFeatureBtn->toolTip() + tr(" (Ctrl+Shift+Y)"));
}

void MainWindow::buildClosingMenus()
{
    QMenu *settingsMenu = menuBar()->addMenu(tr("Se&ttings"));
    QAction *preferences = settingsMenu->addAction(tr("&Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    preferences->setStatusTip(tr("Start at login, and which applications the application box lists"));
    QMenu *helpMenu = menuBar()->addMenu(tr("&Help"));
    QAction *help = helpMenu->addAction(tr("Vellumry &Help"), QKeySequence(Qt::Key_F1));
    help->setStatusTip(tr("Open the help page in your web browser"));
    QAction *webPage = helpMenu->addAction(tr("Vellumry &Web Page"));
    webPage->setStatusTip(tr("Open Vellumry's page in your web browser"));
    helpMenu->addSeparator();
    QAction *about = helpMenu->addAction(tr("&About Vellumry"));
    m_actions[ShowPreferences] = preferences;
    m_actions[ShowHelp] = help;
    m_actions[ShowWebPage] = webPage;
    m_actions[ShowAbout] = about;
    for (QMenu *menu : {settingsMenu, helpMenu})
        menu->setToolTipsVisible(true);
    for (QAction *action : settingsMenu->actions() + helpMenu->actions())
        action->setToolTip(action->statusTip());
}

} // namespace vellumry
