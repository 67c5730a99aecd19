// The main window.
#include "app/MainWindow.h"

#include "model/FolderScanner.h"
#include "platform/NativePath.h"
#include "views/ui/FileListModel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QStatusBar>
#include <QUrl>

namespace vellumry {

using namespace Qt::StringLiterals;

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), m_scanner(new FolderScanner(m_lists, this)), m_model(new FileListModel(this)),
      m_view(new QListView(this)), m_status(new QLabel(this)), m_progress(new QProgressBar(this))
{
    setWindowTitle(u"Vellumry"_s);
    setAcceptDrops(true);
    resize(960, 640);

    m_view->setModel(m_model);
    m_view->setViewMode(QListView::IconMode);
    m_view->setResizeMode(QListView::Adjust);
    m_view->setUniformItemSizes(true);
    m_view->setIconSize(QSize(48, 48));
    m_view->setGridSize(QSize(112, 88));
    m_view->setWordWrap(false);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setLayoutMode(QListView::Batched);
    setCentralWidget(m_view);

    m_progress->setRange(0, 0); // busy: a walk does not know its total in advance
    m_progress->setMaximumWidth(160);
    m_progress->hide();
    statusBar()->addWidget(m_status, 1);
    statusBar()->addPermanentWidget(m_progress);

    QMenu *fileMenu = menuBar()->addMenu(tr("&File"));
    QAction *open = fileMenu->addAction(tr("&Open Folder…"), this, &MainWindow::chooseFolder);
    open->setShortcut(QKeySequence::Open);
    open->setToolTip(tr("Choose a main folder and list every file below it"));
    fileMenu->addSeparator();
    QAction *quit = fileMenu->addAction(tr("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);

    connect(m_scanner, &FolderScanner::scanStarted, this, [this] { m_progress->show(); });
    connect(m_scanner, &FolderScanner::filesAppended, this, [this](qsizetype first, qsizetype count) {
        m_model->appendItems(m_lists.filesItemArray, first, count);
        updateStatus();
    });
    connect(m_scanner, &FolderScanner::selectFirstItem, this, [this] {
        if (m_model->rowCount() > 0)
            m_view->selectionModel()->select(m_model->index(0), QItemSelectionModel::Select);
    });
    connect(m_scanner, &FolderScanner::idle, this, [this] {
        m_progress->hide();
        updateStatus();
    });
    updateStatus();
}

MainWindow::~MainWindow() = default;

void MainWindow::openFolder(const QString &path)
{
    m_scanner->cancelAll();
    m_lists.clear();
    m_model->setItems(m_lists.filesItemArray);
    m_scanner->startScanCurrentFolder(path);
    updateStatus();
}

void MainWindow::chooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Choose a main folder"));
    if (!folder.isEmpty())
        openFolder(folder);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    m_scanner->cancelAll();
    m_lists.clear();
    m_model->setItems(m_lists.filesItemArray);
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            m_scanner->startScanCurrentFolder(url.toLocalFile());
    }
    event->acceptProposedAction();
}

void MainWindow::updateStatus()
{
    if (m_lists.filesItemArray.isEmpty() && !m_scanner->isScanning()) {
        m_status->setText(tr("Drop a main folder here, or open one with Ctrl+O"));
        return;
    }
    m_status->setText(m_scanner->isScanning() ? tr("Scanning… %n file(s)", nullptr, int(m_lists.filesItemArray.size()))
                                              : tr("%n file(s)", nullptr, int(m_lists.filesItemArray.size())));
}

} // namespace vellumry
