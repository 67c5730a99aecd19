// The main window's and the start window's layouts.
#include "app/MainWindow.h"

#include "views/ui/BackgroundImageView.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/PRButton.h"
#include "views/ui/PreviewPane.h"
#include "views/ui/ShownListModel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
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

} // namespace vellumry
