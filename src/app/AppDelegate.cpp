// The controller: launch, folder loading, view modes, preview, look and sheets.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "model/FolderScanner.h"
#include "platform/NativePath.h"
#include "platform/DesktopServices.h"
#include "platform/Logging.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "reorganise/MovePlanner.h"
#include "reorganise/ui/RenameSheet.h"
#include "views/Comparators.h"
#include "views/ui/BackgroundImageView.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/PRButton.h"
#include "views/ui/PreviewPane.h"
#include "views/ui/ShownListModel.h"
#include "views/ui/ThumbnailLoader.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>
#include <QGraphicsOpacityEffect>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QUrl>

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

const QColor kDarkWindow(29, 30, 31), kLightWindow(243, 246, 250);
const QColor kDarkBrowser(42, 43, 54), kLightBrowser(251, 251, 251);
const QColor kDarkText(250, 250, 250), kLightText(74, 74, 74);

// The show-files button's image for each kind filter, light and dark, in the order the look swap tries them.
const std::pair<const char *, const char *> kShowFilesImages[] = {
    {"showallfilesbtn.png", "showallfileblackbtn.png"}, {"showimagesbtn.png", "showimageblackbtn.png"},
    {"archivebtn.png", "showarchiveblackbtn.png"},      {"showdocumentsbtn.png", "showdocumentsblackbtn.png"},
    {"showvideosbtn.png", "showvideoblackbtn.png"},     {"showaudiosbtn.png", "showaudioblackbtn.png"},
    {"otherbtn.png", "showotherblackbtn.png"},
};

// "1 file", "2 files", with the count grouped for reading ("12,345 files").
QString fileCount(qsizetype n)
{
    const QString number = QLocale().toString(qlonglong(n));
    return n == 1 ? AppDelegate::tr("%1 file").arg(number) : AppDelegate::tr("%1 files").arg(number);
}

QIcon namedIcon(const QString &name) { return QIcon(u":/images/"_s + name); }

void setButtonImage(QPushButton *button, const QString &name)
{
    const QPixmap pixmap(u":/images/"_s + name);
    button->setIcon(QIcon(pixmap));
    if (!pixmap.isNull()) {
        const QSize size = pixmap.deviceIndependentSize().toSize();
        button->setIconSize(size);
        button->setFixedSize(size + QSize(4, 4));
        button->setText(QString());
    }
    button->setProperty("imageName", name);
}

QPalette lookPalette(bool dark)
{
    QPalette palette = QApplication::style()->standardPalette();
    const QColor window = dark ? kDarkWindow : kLightWindow;
    const QColor base = dark ? kDarkBrowser : kLightBrowser;
    const QColor text = dark ? kDarkText : QColor(34, 36, 40);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, dark ? base.lighter(112) : QColor(243, 245, 248));
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Button, dark ? QColor(52, 54, 60) : QColor(236, 239, 244));
    palette.setColor(QPalette::Highlight, dark ? QColor(64, 156, 160) : QColor(26, 118, 124));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, dark ? QColor(52, 54, 60) : QColor(255, 255, 240));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, dark ? QColor(150, 150, 155) : QColor(130, 130, 135));
    palette.setColor(QPalette::Disabled, QPalette::Text, dark ? QColor(120, 120, 125) : QColor(160, 160, 165));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, dark ? QColor(120, 120, 125) : QColor(160, 160, 165));
    return palette;
}

void setLabelColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

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
    // A batch still running stops between two files; the step under way finishes, so no file is left
    // half moved, and a stopped classification sends nothing to the Trash.
    if (m_batch)
        m_batch->cancelled = true;
    delete openFolderWindow;
    delete window;
}

AppDelegate *AppDelegate::GetAppControllor() { return g_controller; }

bool AppDelegate::LoadFirstItem() const { return m_scanner && m_scanner->LoadFirstItem(); }

void AppDelegate::awakeFromNib()
{
    window = new MainWindow(m_services.nc);
    openFolderWindow = new StartWindow(m_services.nc);
    renameSheet = new RenameSheet(window);
    classifySheet = new ClassifySheet(window);
    m_scanner = new FolderScanner(lists, this);
    m_thumbnails = new ThumbnailLoader(80, this);
    FileListController = new ShownListModel(this);
    FileListController->setThumbnailSource([this](const IKImageItem &item) { return m_thumbnails->thumbnail(item); });

    // Background images.
    window->groundImageView->setImageNamed(u"whiteground.png"_s);
    window->groundFolderImageView->setImageNamed(u"grayimage.png"_s);
    openFolderWindow->openFolderImageView->setImageNamed(u"grayimage.png"_s);
    renameSheet->renameImageView->setImageNamed(u"grayimage.png"_s);
    classifySheet->classifyImageView->setImageNamed(u"grayimage.png"_s);

    // The rename sheet's option lists.
    const auto fill = [](QComboBox *box, const QStringList &items) {
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(0);
    };
    fill(renameSheet->renameTypeBtn, {u"Parent Folder Name"_s, u"Path Components"_s, u"Text"_s});
    fill(renameSheet->renameActBtn,
         {u"Add parent folder name to beginning"_s, u"Add parent folder name to end"_s,
          u"Replace current name with parent folder name"_s});
    fill(renameSheet->renameLevelParentBtn,
         {u"1 level of parent folder"_s, u"2 levels of parent folders"_s, u"3 levels of parent folders"_s,
          u"4 levels of parent folders"_s, u"5 levels of parent folders"_s});
    const QList<QWidget *> optional{renameSheet->addLevelLab,          renameSheet->addtextLab,
                                    renameSheet->replacetext1Lab,      renameSheet->replacetext2Lab,
                                    renameSheet->replaceStrText,       renameSheet->replaceWithStrLabText,
                                    renameSheet->renameLevelParentBtn, renameSheet->addTextField};
    for (QWidget *w : optional)
        w->hide();

    // The look at load: backgrounds and colours only; the watcher applies the rest.
    const bool dark = m_services.interfaceStyle && m_services.interfaceStyle() == u"Dark"_s;
    window->groundFolderImageView->setImageNamed(dark ? u"blackground.png"_s : u"grayimage.png"_s);
    window->groundImageView->setImageNamed(dark ? u"blackground.png"_s : u"whiteground.png"_s);
    openFolderWindow->openFolderImageView->setImageNamed(dark ? u"blackground.png"_s : u"grayimage.png"_s);
    for (QLabel *label : {openFolderWindow->startInfo1lab, openFolderWindow->startInfo2lab, openFolderWindow->startInfo3lab})
        setLabelColor(label, dark ? kDarkText : kLightText);
    QApplication::setPalette(lookPalette(dark));
    window->setPalette(lookPalette(dark));
    openFolderWindow->setPalette(lookPalette(dark));
    applyFeatureImages(false);
    setShowFilesImage(u"showallfilesbtn.png"_s);

    // Views and their signals.
    window->fodlerfileBroswerView->setModel(FileListController);
    window->fileListTableview->setModel(FileListController);
    QHeaderView *header = window->fileListTableview->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(ShownListModel::PathColumn, QHeaderView::Stretch); // the path takes what is left
    header->resizeSection(ShownListModel::NameColumn, 220);
    header->resizeSection(ShownListModel::SizeColumn, 90);
    header->resizeSection(ShownListModel::TypeColumn, 110);
    header->resizeSection(ShownListModel::DateColumn, window->fontMetrics().horizontalAdvance(u"0000-00-00 00:00:00"_s) + 24);
    connect(window->fodlerfileBroswerView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AppDelegate::imageBrowserSelectionDidChange);
    connect(window->fileListTableview->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AppDelegate::tableViewSelectionDidChange);
    connect(window->fodlerfileBroswerView, &NSDragImageBrowserView::itemDoubleClicked, this,
            &AppDelegate::imageBrowserCellWasDoubleClickedAtIndex);
    header->setSortIndicatorShown(false);
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        tableViewDidClickTableColumn(
            FileListController->headerData(section, Qt::Horizontal, ShownListModel::IdentifierRole).toString());
    });
    window->showFilesButton->setStyleSheet(u"QPushButton { border: none; padding: 0; background: transparent; }"_s);
    for (QObject *watched : std::initializer_list<QObject *>{
             window->fodlerfileBroswerView, window->fileListTableview, window->fodlerfileBroswerView->viewport(),
             window->fileListTableview->viewport(), window->renameFeatureBtn})
        watched->installEventFilter(this);
    connect(m_thumbnails, &ThumbnailLoader::thumbnailReady, window->fodlerfileBroswerView->viewport(),
            qOverload<>(&QWidget::update));

    connect(window->iconViewModeBtn, &QPushButton::clicked, this, &AppDelegate::ChangetoIconViewModeAction);
    connect(window->listViewModeBtn, &QPushButton::clicked, this, &AppDelegate::ChangetoListViewModeAction);
    connect(window->folderViewModeBtn, &QPushButton::clicked, this, &AppDelegate::ChangetoFolderViewModeAction);
    connect(window->stopButton, &QPushButton::clicked, this, &AppDelegate::stopScanAction);
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
        if (!m_shownIsAllFiles || FileListController->items().size() != lists.filesItemArray.size())
            reloadShownList(lists.filesItemArray, true);
    });
    connect(m_scanner, &FolderScanner::idle, this, [this] {
        window->loadItemProgressor->hide();
        window->stopButton->hide();
        updateStatus();
        Q_EMIT scanFinished();
    });

    // Menus.
    QMenu *fileMenu = window->menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(tr("&Open Folder…"), QKeySequence::Open, this, &AppDelegate::ClearAndOpenNewFolderAction)
        ->setStatusTip(tr("Empty the lists and choose a new main folder"));
    fileMenu->addAction(tr("&Import Folder…"), QKeySequence(Qt::CTRL | Qt::Key_I), this,
                        &AppDelegate::ImportNewFolderAction)
        ->setStatusTip(tr("Add the files of another folder to those shown"));
    fileMenu->addAction(tr("&Clear"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K), this,
                        &AppDelegate::ClearCurrentFilesandFolderAction)
        ->setStatusTip(tr("Empty the lists"));
    fileMenu->addSeparator();
    fileMenu->addAction(tr("&Quit"), QKeySequence::Quit, qApp, &QApplication::quit);
    QMenu *viewMenu = window->menuBar()->addMenu(tr("&View"));
    viewMenu->addAction(tr("As &Icons"), QKeySequence(Qt::CTRL | Qt::Key_1), this,
                        &AppDelegate::ChangetoIconViewModeAction);
    viewMenu->addAction(tr("As &List"), QKeySequence(Qt::CTRL | Qt::Key_2), this,
                        &AppDelegate::ChangetoListViewModeAction);
    viewMenu->addAction(tr("As &Folders"), QKeySequence(Qt::CTRL | Qt::Key_3), this,
                        &AppDelegate::ChangetoFolderViewModeAction);
    viewMenu->addSeparator();
    viewMenu->addMenu(window->showFilesMenu)->setText(tr("&Show"));
    QMenu *sortMenu = viewMenu->addMenu(tr("S&ort By"));
    sortMenu->addAction(tr("Name"), this, &AppDelegate::SortFileinFolderByNameAction);
    sortMenu->addAction(tr("Kind"), this, &AppDelegate::SortFileinFolderByTypeAction);
    sortMenu->addAction(tr("Date (newest first)"), this, &AppDelegate::SortFileinFolderByDateAction);
    sortMenu->addAction(tr("Path"), this, &AppDelegate::SortFileinFolderByPathAction);
    sortMenu->addAction(tr("Size (largest first)"), this, &AppDelegate::SortFileinFolderBySizeAction);
    QMenu *filesMenu = window->menuBar()->addMenu(tr("&Selection"));
    filesMenu->addAction(tr("&Open"), this, &AppDelegate::OpenSelectedFileAction)
        ->setStatusTip(tr("Open the selected files with their default applications (Enter)"));
    filesMenu->addAction(tr("Show in &File Manager"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R), this,
                         &AppDelegate::ShowFilesinFinderAction);
    filesMenu->addAction(tr("Move to &Trash"), this, &AppDelegate::MoveFilesToTrashAction)
        ->setStatusTip(tr("Move the selected files to the Trash (Delete)"));

    QMenu *show = window->showFilesMenu;
    show->setTitle(tr("Show"));
    show->addAction(namedIcon(u"showallfilesbtn.png"_s), tr("All Files"), this, &AppDelegate::ShowAllFilesBtnAction);
    show->addAction(tr("Images"), this, &AppDelegate::ShowAllImagesBtnAction);
    show->addAction(tr("Videos"), this, &AppDelegate::ShowAllVideosBtnAction);
    show->addAction(tr("Audios"), this, &AppDelegate::ShowAllAudiosBtnAction);
    show->addAction(tr("Documents"), this, &AppDelegate::ShowAllDocumentsBtnAction);
    show->addAction(tr("Archives"), this, &AppDelegate::ShowAllArchiveBtnAction);
    show->addAction(tr("Others"), this, &AppDelegate::ShowAllOthersBtnAction);
    for (QAction *a : show->actions())
        a->setIcon(QIcon());

    // Batch features arrive with the reorganisation engines; until then their buttons say so.
    QMenu *move = window->moveToMenu;
    move->addAction(tr("Up One Level"), this, &AppDelegate::MoveToleve2ParentFolderAction)
        ->setStatusTip(tr("Move the selected files into the folder above their own"));
    move->addAction(tr("Up Two Levels"), this, &AppDelegate::MoveToleve3ParentFolderAction);
    move->addAction(tr("Up Three Levels"), this, &AppDelegate::MoveToleve4ParentFolderAction);
    move->addSeparator();
    move->addAction(tr("To a Folder…"), this, &AppDelegate::MoveToCustomFolderAction);
    move->addAction(tr("To the Main Folder"), this, &AppDelegate::MoveToRootFolderAction);

    // Renaming and classifying, each through its sheet.
    connect(window->renameFeatureBtn, &QPushButton::clicked, this, &AppDelegate::RenameFolderAction);
    connect(window->classifyFeatureBtn, &QPushButton::clicked, this, &AppDelegate::ClassfyFolderAction);
    connect(renameSheet->renameTypeBtn, &QComboBox::activated, this, &AppDelegate::ChangeRenameTypeAction);
    connect(renameSheet->renameActBtn, &QComboBox::activated, this, &AppDelegate::ChangeTextTypeAction);
    connect(renameSheet->renameButton, &QPushButton::clicked, this, &AppDelegate::SaveRenameFolderAction);
    connect(renameSheet, &QDialog::rejected, this, &AppDelegate::CancelRenameFolderAction);
    connect(classifySheet->selectClassfiyTypeButton, &QCheckBox::clicked, this, &AppDelegate::SelectReclassTypeAction);
    connect(classifySheet->selectClassfiyDateButton, &QCheckBox::clicked, this, &AppDelegate::SelectReclassDateAction);
    connect(classifySheet->classifyButton, &QPushButton::clicked, this, &AppDelegate::ClassifyFolderHandle);
    connect(classifySheet, &QDialog::rejected, this, &AppDelegate::CancelClassfyFolder);
    filesMenu->addSeparator();
    filesMenu->addAction(tr("&Rename…"), QKeySequence(Qt::Key_F2), this, &AppDelegate::RenameFolderAction)
        ->setStatusTip(tr("Rename the selected files from their folders' names or a text"));
    fileMenu->insertAction(fileMenu->actions().at(3), new QAction(tr("Cl&assify Main Folder…"), fileMenu));
    QAction *classify = fileMenu->actions().at(3);
    classify->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Y));
    classify->setStatusTip(tr("Sort every file of the main folder into kind or date folders"));
    connect(classify, &QAction::triggered, this, &AppDelegate::ClassfyFolderAction);
    window->renameFeatureBtn->setToolTip(window->renameFeatureBtn->toolTip() + tr(" (F2)"));
    window->classifyFeatureBtn->setToolTip(window->classifyFeatureBtn->toolTip() + tr(" (Ctrl+Shift+Y)"));

    setUpAppBox();
    setupApplications();
    setUpPreferences(); // last: its Settings and Help menus close the menu bar
}

void AppDelegate::applicationDidFinishLaunching()
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
    if (settings.string(u"FirstStartData"_s) == u"YES"_s) {
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

    detectTimer = new QTimer(this);
    detectTimer->setInterval(1000);
    connect(detectTimer, &QTimer::timeout, this, &AppDelegate::BMakeModeTimer_hander);
    detectTimer->start();
    BMakeModeTimer_hander(); // a dark desktop gets its whole look now rather than a second later

    // The media back end takes a few hundred milliseconds to start: start it now, while nothing else happens,
    // rather than at the first song or film previewed in the middle of a scan.
    QTimer::singleShot(0, window->previewPane, &PreviewPane::warmUpPlayer);

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
    lists.clear();
    m_thumbnails->clear();
}

void AppDelegate::startScanCurrentFolder(const QString &path)
{
    openFolderWindow->hide();
    window->show();
    window->loadItemProgressor->show();
    window->stopButton->show();
    m_stopped = false;
    m_scanner->startScanCurrentFolder(path);
    updateStatus();
}

void AppDelegate::PRDragOperationImageNoteHandle(QObject *)
{
    if (m_batch) { // the files are being moved: a new scan would walk a tree in motion
        m_actionStatus = tr("Wait until the batch is over");
        updateStatus();
        return;
    }
    const QList<QUrl> urls = window->fodlerfileBroswerView->geturlArray();
    clearLists();
    reloadShownList(lists.filesItemArray, true);
    bool first = true;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        // The URL's path is percent-encoded bytes; decoding it as text would lose names that are not UTF-8.
        const QString path = folderToOpen(
            fromNativePath(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())));
        if (path.isEmpty())
            continue;
        if (first) // the first dropped folder becomes the main folder of the batch operations
            currentSelectFolder = path;
        first = false;
        startScanCurrentFolder(path);
    }
}

void AppDelegate::openFoldersAsDrop(const QStringList &paths)
{
    if (m_batch) { // the files are being moved: a new scan would walk a tree in motion
        m_actionStatus = tr("Wait until the batch is over");
        updateStatus();
        return;
    }
    clearLists();
    reloadShownList(lists.filesItemArray, true);
    QStringList folders;
    for (const QString &path : paths) {
        if (const QString folder = folderToOpen(path); !folder.isEmpty())
            folders.append(folder);
    }
    if (!folders.isEmpty())
        currentSelectFolder = folders.first();
    for (const QString &folder : folders)
        startScanCurrentFolder(folder);
}

void AppDelegate::showOpenPanel(bool importing)
{
    if (m_batch) { // the files are being moved: a new scan would walk a tree in motion
        m_actionStatus = tr("Wait until the batch is over");
        updateStatus();
        return;
    }
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
    clearLists();
    reloadShownList(lists.filesItemArray, true);
    showOpenPanel(false);
}

void AppDelegate::openPanelDidEnd13(QFileDialog *panel, int returnCode)
{
    const QStringList chosen = panel->selectedFiles();
    if (returnCode != 1 || chosen.isEmpty())
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
    if (m_batch) { // the files are being moved: a new scan would walk a tree in motion
        m_actionStatus = tr("Wait until the batch is over");
        updateStatus();
        return;
    }
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
    if (!m_shownIsAllFiles || FileListController->items().size() != lists.filesItemArray.size())
        reloadShownList(lists.filesItemArray, true);
}

// ---- Shown list, view modes and filters ----------------------------------------------------------

void AppDelegate::reloadShownList(const ItemList &list, bool allFiles)
{
    m_refreshTimer->stop();
    m_actionStatus.clear();
    FileListController->setItems(list);
    m_shownIsAllFiles = allFiles;
    updateStatus();
}

void AppDelegate::onFilesAppended(qsizetype first, qsizetype count)
{
    // Every refresh shows all files: appended when that is what is shown, else the whole list again.
    if (!m_shownIsAllFiles || FileListController->items().size() > first) {
        reloadShownList(lists.filesItemArray, true);
        return;
    }
    Q_UNUSED(count);
    // The first items appear at once; after that the grid takes what arrived at most every 200 ms,
    // since each insertion lays the whole grid out again.
    if (FileListController->rowCount() == 0)
        catchUpShownList();
    else if (!m_refreshTimer->isActive())
        m_refreshTimer->start();
    updateStatus();
}

void AppDelegate::catchUpShownList()
{
    m_refreshTimer->stop();
    if (!m_shownIsAllFiles)
        return;
    const qsizetype shown = FileListController->items().size();
    if (shown < lists.filesItemArray.size())
        FileListController->appendItems(lists.filesItemArray, shown, lists.filesItemArray.size() - shown);
}

void AppDelegate::onSelectFirstItem()
{
    if (FileListController->rowCount() == 0)
        return;
    window->fodlerfileBroswerView->selectionModel()->select(FileListController->index(0, 0),
                                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

bool AppDelegate::isListMode() const { return window->folderView->isHidden(); }

void AppDelegate::ChangetoIconViewModeAction()
{
    window->folderView->show();
    window->folderListView->hide();
    reloadShownList(lists.filesItemArray, true);
}

void AppDelegate::ChangetoListViewModeAction()
{
    window->folderView->hide();
    window->folderListView->show();
    reloadShownList(lists.filesItemArray, true);
}

void AppDelegate::ChangetoFolderViewModeAction()
{
    window->folderView->show();
    window->folderListView->hide();
    reloadShownList(lists.currentViewItemArray, false);
}

void AppDelegate::showKind(const ItemList &list, int width, const QString &lightImage, const QString &darkImage)
{
    reloadShownList(list, &list == &lists.filesItemArray);
    m_showFilesWidth = width;
    placeShowFilesButton();
    setShowFilesImage(isDarkMode ? darkImage : lightImage);
}

void AppDelegate::placeShowFilesButton()
{
    // The button's right edge stays 5 points right of the grid's width; it is as wide as its kind's image.
    PRButton *button = window->showFilesButton;
    const int y = button->y() > 0 ? button->y() : (window->groundFolderImageView->height() - 24) / 2;
    button->setFixedSize(m_showFilesWidth, 24);
    // Never under the feature buttons on the right when the window is narrow.
    const int right = std::min(window->fodlerfileBroswerView->width() + 5, window->renameFeatureBtn->x() - 8);
    button->setGeometry(right - m_showFilesWidth, y, m_showFilesWidth, 24);
}

void AppDelegate::ShowAllFilesBtnAction()
{
    showKind(lists.filesItemArray, 84, u"showallfilesbtn.png"_s, u"showallfileblackbtn.png"_s);
}
void AppDelegate::ShowAllImagesBtnAction()
{
    showKind(lists.imageFilesItemArray, 84, u"showimagesbtn.png"_s, u"showimageblackbtn.png"_s);
}
void AppDelegate::ShowAllVideosBtnAction()
{
    showKind(lists.videoFilesItemArray, 84, u"showvideosbtn.png"_s, u"showvideoblackbtn.png"_s);
}
void AppDelegate::ShowAllAudiosBtnAction()
{
    showKind(lists.audioFilesItemArray, 136, u"showaudiosbtn.png"_s, u"showaudioblackbtn.png"_s);
}
void AppDelegate::ShowAllDocumentsBtnAction()
{
    showKind(lists.documentFilesItemArray, 108, u"showdocumentsbtn.png"_s, u"showdocumentsblackbtn.png"_s);
}
void AppDelegate::ShowAllOthersBtnAction()
{
    showKind(lists.otherFilesItemArray, 72, u"otherbtn.png"_s, u"showotherblackbtn.png"_s);
}
void AppDelegate::ShowAllArchiveBtnAction()
{
    showKind(lists.archiveFilesItemArray, 84, u"archivebtn.png"_s, u"showarchiveblackbtn.png"_s);
}

// ---- Sorting ---------------------------------------------------------------------------------------

void AppDelegate::sortFiles(int order)
{
    // filesItemArray is the main thread's: a running scan only hands batches over here, between sorts.
    catchUpShownList();
    sortItems(lists.filesItemArray, SortOrder(order));
    reloadShownList(lists.filesItemArray, true);
}

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
            revealInFileManager(item->nativeFilePath());
    }
}

void AppDelegate::MoveFilesToTrashAction()
{
    int trashed = 0;
    QStringList failures;
    std::optional<MoveJournal> journal; // opened with the first file: trashing is journaled like any batch
    for (int row : selectedRows()) {
        const IKImageItemRef item = FileListController->itemAt(row);
        if (!item || item->bDir())
            continue; // folder items are never trashed from here: their path is the folder icon
        if (!journal)
            journal.emplace(MoveJournal::defaultFolder(), u"trash"_s);
        if (!journal->isOpen()) {
            m_actionStatus = tr("Nothing moved to the Trash: the journal cannot be written (%1)").arg(journal->errorText());
            updateStatus();
            return;
        }
        const ActionResult result = trashJournaled(item->nativeFilePath(), &*journal);
        if (result.ok)
            ++trashed;
        else
            failures.append(displayPath(item->fileName()) + u": "_s + result.reason);
    }
    if (trashed == 0 && failures.isEmpty())
        return;
    QString text = tr("%1 moved to the Trash").arg(fileCount(trashed));
    if (!failures.isEmpty())
        text += tr(", %1 could not be moved (%2)")
                    .arg(QLocale().toString(qlonglong(failures.size())),
                         failures.size() == 1 ? failures.first() : failures.first() + u", …"_s);
    m_actionStatus = text;
    updateStatus();
}

bool AppDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == window->fodlerfileBroswerView && event->type() == QEvent::Resize) ||
        (watched == window->renameFeatureBtn && event->type() == QEvent::Move)) {
        placeShowFilesButton();
    } else if ((watched == window->fodlerfileBroswerView || watched == window->fileListTableview) &&
               event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            OpenSelectedFileAction();
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            MoveFilesToTrashAction();
            return true;
        }
    } else if ((watched == window->fodlerfileBroswerView->viewport() ||
                watched == window->fileListTableview->viewport()) &&
               event->type() == QEvent::ContextMenu) {
        const auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        if (selectedRows().isEmpty())
            return false;
        QMenu menu;
        menu.addAction(tr("Open"), this, &AppDelegate::OpenSelectedFileAction)->setShortcut(Qt::Key_Return);
        menu.addAction(tr("Show in File Manager"), this, &AppDelegate::ShowFilesinFinderAction);
        menu.addSeparator();
        menu.addAction(tr("Move to Trash"), this, &AppDelegate::MoveFilesToTrashAction)->setShortcut(Qt::Key_Delete);
        menu.exec(menuEvent->globalPos());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// ---- Preview and opening ---------------------------------------------------------------------------

void AppDelegate::previewRow(int row)
{
    const IKImageItemRef item = FileListController->itemAt(row);
    if (!item)
        return;
    window->previewPane->previewItem(*item);
    Q_EMIT previewed(row);
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

void AppDelegate::openItem(const IKImageItem &item)
{
    // A folder item's path is the folder icon: open the folder itself instead, never the resource.
    const QByteArray path = item.bDir() ? item.nativeEntryPath() : item.nativeFilePath();
    if (m_services.openFile)
        m_services.openFile(path);
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

// ---- Moving files ----------------------------------------------------------------------------------

QList<MoveSource> AppDelegate::selectedMoveSources(QList<IKImageItemRef> &items) const
{
    QList<MoveSource> sources;
    for (int row : selectedRows()) {
        const IKImageItemRef item = FileListController->itemAt(row);
        if (!item)
            continue;
        sources.append({item->nativeFilePath(), item->nativeFileName(), int(items.size()), item->bDir(),
                        item->isReachedThroughLink()});
        items.append(item);
    }
    return sources;
}

bool AppDelegate::refuseBatch()
{
    if (m_scanner->isScanning()) {
        // The lists are still growing: acting now would act on a half-known tree.
        m_actionStatus = tr("Wait until the scan is over");
    } else if (m_batch) {
        m_actionStatus = tr("Another batch is still running");
    } else {
        return false;
    }
    updateStatus();
    return true;
}

void AppDelegate::moveSelection(int removals, const QByteArray &folder, const QByteArray &showAfterwards)
{
    if (refuseBatch())
        return;
    QList<IKImageItemRef> items;
    const QList<MoveSource> sources = selectedMoveSources(items);
    const Plan plan = removals > 0 ? planMoveUp(sources, removals) : planMoveInto(sources, folder);
    runPlan(plan, items, showAfterwards);
}

void AppDelegate::applyMoves(const QList<StepOutcome> &outcomes, const QList<IKImageItemRef> &items)
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
    FileListController->itemsChanged();
    // The preview shows the selected file where it lies now, not the place it left.
    if (isListMode())
        tableViewSelectionDidChange();
    else
        imageBrowserSelectionDidChange();
}

void AppDelegate::revealPath(const QByteArray &path)
{
    if (m_services.reveal)
        m_services.reveal(path);
    else
        revealInFileManager(path);
}

AppDelegate::BatchWork AppDelegate::planWork(const Plan &plan)
{
    return [plan](const std::atomic<bool> *cancelled, MoveJournal *journal,
                  const std::function<void(int, int)> &progress) {
        ClassifyOutcome outcome;
        outcome.moves = executePlan(plan, journal, cancelled, progress);
        outcome.cancelled = cancelled->load();
        return outcome;
    };
}

void AppDelegate::runPlan(const Plan &plan, const QList<IKImageItemRef> &items, const QByteArray &showAfterwards)
{
    runBatch(
        tr("Moving files…"), u"move"_s,
        planWork(plan),
        [this, items, showAfterwards](const ClassifyOutcome &outcome) {
            applyMoves(outcome.moves, items);
            m_actionStatus = summaryText(outcome.moves) + (outcome.cancelled ? tr(" (cancelled)") : QString());
            updateStatus();
            if (!showAfterwards.isEmpty() && m_services.openFile)
                m_services.openFile(showAfterwards);
        });
}

void AppDelegate::runBatch(const QString &label, const QString &operation, BatchWork work,
                           std::function<void(const ClassifyOutcome &)> finished)
{
    auto batch = std::make_shared<Batch>();
    batch->journal = std::make_unique<MoveJournal>(MoveJournal::defaultFolder(), operation);
    if (!batch->journal->isOpen()) { // every step is journaled before it is taken: no journal, no batch
        m_actionStatus = tr("Nothing was changed: the journal cannot be written (%1)").arg(batch->journal->errorText());
        updateStatus();
        return;
    }
    m_batch = batch;
    // Long batches run off the GUI thread with a progress dialog whose Cancel stops between two files.
    auto *progress = new QProgressDialog(label, tr("Cancel"), 0, 0, window);
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(400);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    connect(progress, &QProgressDialog::canceled, this, [batch] { batch->cancelled = true; });
    auto *watcher = new QFutureWatcher<ClassifyOutcome>(this);
    connect(watcher, &QFutureWatcher<ClassifyOutcome>::finished, this, [=, this] {
        const ClassifyOutcome outcome = watcher->result();
        watcher->deleteLater();
        progress->close();
        m_batch.reset();
        finished(outcome);
        Q_EMIT batchFinished();
    });
    MoveJournal *journal = batch->journal.get();
    watcher->setFuture(QtConcurrent::run([work, journal, batch, progress = QPointer<QProgressDialog>(progress)] {
        return work(&batch->cancelled, journal, [progress](int done, int total) {
            // About 200 updates a batch at most: one queued event per file would flood the GUI thread.
            if (done != total && done % std::max(1, total / 200) != 0)
                return;
            QMetaObject::invokeMethod(progress, [progress, done, total] {
                if (!progress)
                    return;
                progress->setMaximum(total);
                progress->setValue(done);
            });
        });
    }));
}

void AppDelegate::MoveToleve1ParentFolderAction() {} // level 1 is the folder that already holds the file
void AppDelegate::MoveToleve2ParentFolderAction() { moveSelection(2, {}, toNativePath(currentSelectFolder)); }
void AppDelegate::MoveToleve3ParentFolderAction() { moveSelection(3, {}, toNativePath(currentSelectFolder)); }
void AppDelegate::MoveToleve4ParentFolderAction() { moveSelection(4, {}, toNativePath(currentSelectFolder)); }
void AppDelegate::MoveDifferentFolderAction() {}

void AppDelegate::MoveToRootFolderAction()
{
    if (currentSelectFolder.isEmpty()) {
        m_actionStatus = tr("No main folder yet: open or drop one first");
        updateStatus();
        return;
    }
    const QByteArray main = toNativePath(currentSelectFolder);
    if (const QString reason = mainFolderRefusal(main); !reason.isEmpty()) {
        m_actionStatus = tr("Cannot move into %1: %2").arg(displayPath(currentSelectFolder), reason);
        updateStatus();
        return;
    }
    moveSelection(0, main, main);
}

void AppDelegate::MoveToCustomFolderAction()
{
    auto *panel = new QFileDialog(window, tr("Move the Selected Files To"), QDir::homePath());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setWindowModality(Qt::WindowModal);
    panel->setLabelText(QFileDialog::Accept, tr("Move Here"));
    connect(panel, &QFileDialog::finished, this,
            [this, panel](int result) { openPanelDidEnd16(panel, result == QDialog::Accepted ? 1 : 0); });
    openHomePanel = panel;
    panel->show();
    positionSheet(panel);
}

void AppDelegate::openPanelDidEnd16(QFileDialog *panel, int returnCode)
{
    const QStringList chosen = panel->selectedFiles();
    if (returnCode != 1 || chosen.isEmpty())
        return;
    const QByteArray folder = toNativePath(fromNativePath(QFile::encodeName(chosen.first())));
    moveSelection(0, folder, folder); // the selection as it is now that the panel has closed
}

// ---- Look, buttons --------------------------------------------------------------------------------

void AppDelegate::BMakeModeTimer_hander()
{
    const bool dark = m_services.interfaceStyle && m_services.interfaceStyle() == u"Dark"_s;
    if (dark && !isDarkMode) {
        applyLook(true);
        isDarkMode = true;
    } else if (!dark && isDarkMode) {
        applyLook(false);
        isDarkMode = false;
    }
}

void AppDelegate::applyFeatureImages(bool dark)
{
    setButtonImage(window->listViewModeBtn, dark ? u"listviewblackbtn.png"_s : u"listviewbtn.png"_s);
    setButtonImage(window->iconViewModeBtn, dark ? u"iconviewblackbtn.png"_s : u"iconviewbtn.png"_s);
    setButtonImage(window->renameFeatureBtn, dark ? u"renameblackbtn.png"_s : u"whiterename.png"_s);
    setButtonImage(window->classifyFeatureBtn, dark ? u"classifyblackbtn.png"_s : u"whiteclassify.png"_s);
    setButtonImage(window->appBoxBtn, dark ? u"appsblackbtn.png"_s : u"whiteapps.png"_s);
    setButtonImage(window->movetoFeatureBtn, dark ? u"movetoblackbtn.png"_s : u"whitemove.png"_s);
    setButtonImage(window->folderViewModeBtn, dark ? u"folderviewblackbtn.png"_s : u"folderviewbtn.png"_s);
}

void AppDelegate::applyLook(bool dark)
{
    const QColor text = dark ? kDarkText : kLightText;
    window->previewPane->setLabelColor(text);
    for (QLabel *label : {openFolderWindow->startInfo1lab, openFolderWindow->startInfo2lab, openFolderWindow->startInfo3lab})
        setLabelColor(label, text);
    applyFeatureImages(dark);
    window->groundFolderImageView->setImageNamed(dark ? u"blackground.png"_s : u"grayimage.png"_s);
    // The preview's panel darkens too, or its light labels would stand on white.
    window->groundImageView->setImageNamed(dark ? u"blackground.png"_s : u"whiteground.png"_s);
    // Window and grid backgrounds from the colour table; menus and dialogs follow the application's palette.
    QApplication::setPalette(lookPalette(dark));
    window->setPalette(lookPalette(dark));
    for (const auto &[light, darkImage] : kShowFilesImages) {
        const QString from = QString::fromLatin1(dark ? light : darkImage);
        if (m_showFilesImage == from) {
            setShowFilesImage(QString::fromLatin1(dark ? darkImage : light));
            break;
        }
    }
}

void AppDelegate::setShowFilesImage(const QString &name)
{
    m_showFilesImage = name;
    setButtonImage(window->showFilesButton, name);
    placeShowFilesButton();
}

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

void AppDelegate::updateStatus()
{
    const auto files = int(lists.filesItemArray.size());
    const auto shown = int(FileListController->rowCount());
    QString text;
    if (m_scanner->isScanning())
        text = tr("Scanning… %1 found").arg(fileCount(files));
    else if (files == 0 && lists.currentViewItemArray.isEmpty())
        text = tr("Drop a main folder here, or open one with Ctrl+O");
    else if (m_stopped)
        text = tr("Stopped: %1 found").arg(fileCount(files));
    else if (shown != files)
        text = tr("%1 of %2 shown").arg(QLocale().toString(shown), fileCount(files));
    else
        text = fileCount(files);
    if (!m_actionStatus.isEmpty())
        text = m_actionStatus + u"  ·  "_s + text;
    window->statusLabel->setText(text);
}

QString AppDelegate::statusText() const { return window->statusLabel->text(); }

} // namespace vellumry
