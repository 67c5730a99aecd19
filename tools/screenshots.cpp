// Takes the screenshots of the README and of design reviews: the real windows, driven as a user would.
//
//   vellumry-screenshots OUTDIR FOLDER [NAME...]
//
// Writes OUTDIR/start.png, main-light.png, main-dark.png, list.png, filter-light.png and filter-dark.png (the
// first NAME's first three letters typed into the filter) and preview-<NAME>.png for every file
// NAME (a file name inside FOLDER's tree) selected in turn; then applications.png (this desktop's default
// applications), app-files.png (the extension sheet of the first one, its first row ticked),
// applications-{default,installed,hidden}-{light,dark}.png, app-files-{light,dark}.png and
// app-grant-{light,dark}.png (the extension and the folder-grant sheets over the window) and app-box.png (the
// box of favourite applications over the window); then, for a small tree of its own, rename-preview-{dark,light}.png
// (the rename sheet's live preview) and classify-preview-{dark,light}.png (the classification's preview sheet),
// and classified.png after that classification; then that classification is undone from Edit > Undo and
// history-{light,dark}.png show the History window; last FOLDER is opened again and duplicates-{light,dark}.png
// show its duplicates view, the copies of each group selected (the oldest file kept). Last, videos-{light,dark}.png:
// a folder of short videos made with ffmpeg, their frames in the grid (through the desktop's thumbnailer) and the
// first one previewed, and video-playing.png once it is played.
#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "appmanager/AppInventory.h"
#include "appmanager/ui/AppFileSheet.h"
#include "appmanager/ui/AppTableModel.h"
#include "appmanager/ui/ApplicationsPage.h"
#include "appmanager/ui/PSTableCellView.h"
#include "appmanager/ui/SHTableCellView.h"
#include "defaultapps/ui/ConnectUserSheet.h"
#include "platform/DesktopServices.h"
#include "platform/ChildProcess.h"
#include "platform/NativePath.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "reorganise/ui/ClassifySheet.h"
#include "reorganise/ui/HistoryWindow.h"
#include "reorganise/ui/PlanPreviewSheet.h"
#include "reorganise/ui/RenameSheet.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/PreviewPane.h"
#include "views/ui/ShownListModel.h"

#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleFactory>
#include <QTableView>
#include <QTabWidget>
#include <QToolButton>
#include <QTemporaryDir>

using namespace vellumry;

namespace {

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: vellumry-screenshots OUTDIR FOLDER [NAME...]\n");
        return 2;
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path())); // the journal of the classification below
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path())); // thumbnails made here are thrown away
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    const QString out = QString::fromLocal8Bit(argv[1]);

    Settings settings(home.path() + QStringLiteral("/Vellumry.conf"));
    NotificationCenter nc;
    // The real desktop, but the look is the one this tool asks for.
    struct ChosenLook : DesktopServices
    {
        QString style;
        QString interfaceStyle() override { return style; }
    } desktop;
    QString &style = desktop.style;
    AppDelegate::Services services;
    services.settings = &settings;
    services.nc = &nc;
    services.desktop = &desktop;
    AppDelegate controller(services);
    controller.awakeFromNib();
    controller.applicationDidFinishLaunching();
    settle(300);
    controller.openFolderWindow->grab().save(out + QStringLiteral("/start.png"));

    controller.window->resize(1180, 740);
    QEventLoop loop;
    QObject::connect(&controller, &AppDelegate::scanFinished, &loop, &QEventLoop::quit);
    controller.openFoldersAsDrop({fromNativePath(argv[2])});
    loop.exec();
    settle(1500); // thumbnails
    controller.window->grab().save(out + QStringLiteral("/main-light.png"));

    ShownListModel *model = controller.FileListController;
    auto *grid = controller.window->fodlerfileBroswerView;
    for (int i = 3; i < argc; ++i) {
        const QString name = QString::fromLocal8Bit(argv[i]);
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->itemAt(row)->fileName() == name) {
                grid->selectionModel()->select(model->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                          QItemSelectionModel::Rows);
                settle(1200);
                controller.window->grab().save(out + QStringLiteral("/preview-") + name + QStringLiteral(".png"));
            }
        }
    }
    // The two batch sheets over the window, as the screen shows them.
    const auto screenShot = [&](const QString &file) {
        settle(400);
        QGuiApplication::primaryScreen()->grabWindow(0).save(out + file);
    };
    grid->selectionModel()->select(model->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    controller.RenameFolderAction();
    controller.renameSheet->renameTypeBtn->setCurrentIndex(1);
    controller.ChangeRenameTypeAction();
    screenShot(QStringLiteral("/rename-sheet.png"));
    controller.CancelRenameFolderAction();
    controller.ClassfyFolderAction();
    screenShot(QStringLiteral("/classify-sheet.png"));
    controller.CancelClassfyFolder();

    style = QStringLiteral("Dark");
    controller.BMakeModeTimer_hander();
    settle(500);
    controller.window->grab().save(out + QStringLiteral("/main-dark.png"));
    style.clear();
    controller.BMakeModeTimer_hander();
    controller.ChangetoListViewModeAction();
    settle(500);
    controller.window->grab().save(out + QStringLiteral("/list.png"));
    // The quick filter narrowing the list, with the totals in the status line, in both looks.
    if (argc > 3) {
        controller.window->filterField->setText(QString::fromLocal8Bit(argv[3]).left(3));
        controller.window->fileListTableview->selectAll();
        settle(500);
        controller.window->grab().save(out + QStringLiteral("/filter-light.png"));
        style = QStringLiteral("Dark");
        controller.BMakeModeTimer_hander();
        settle(500);
        controller.window->grab().save(out + QStringLiteral("/filter-dark.png"));
        style.clear();
        controller.BMakeModeTimer_hander();
        controller.window->filterField->clear();
        settle(300);
    }

    QEventLoop apps;
    QObject::connect(&controller, &AppDelegate::appScanFinished, &apps, &QEventLoop::quit);
    controller.appTabs->setCurrentWidget(controller.appsPage);
    apps.exec();
    settle(500);
    controller.window->grab().save(out + QStringLiteral("/applications.png"));
    if (controller.appController->rowCount() > 0) {
        settings.setValue(QStringLiteral("KestrowUserData"), home.path()); // as if granted before
        QEventLoop rows;
        QObject::connect(&controller, &AppDelegate::appFileRowsFinished, &rows, &QEventLoop::quit);
        controller.appsPage->cellAt(0)->relatedBtn()->click();
        rows.exec();
        if (SHTableCellView *cell = controller.AppFileWindow->cellAt(0, AppFileListModel::NameColumn))
            cell->relatedBtn()->click();
        settle(500);
        controller.AppFileWindow->grab().save(out + QStringLiteral("/app-files.png"));
        controller.CloseAppFileWindow();
    }
    // The Applications tab in both looks: the default applications, the extension sheet of the first over the
    // window, then the installed applications with the names and icons of the desktop's menus. A desktop that
    // names no default application gets two of its menus' applications as defaults in this tool's own home.
    if (controller.appController->rowCount() == 0) {
        QByteArrayList ids;
        for (const QString &path : installedDesktopEntries()) {
            const std::optional<DesktopEntry> entry = loadDesktopEntry(path);
            if (ids.size() < 2 && entry && !entry->noDisplay && desktopEntryLoadsInGio(path))
                ids.append(QFile::encodeName(QFileInfo(path).fileName()));
        }
        QFile list(home.path() + QStringLiteral("/mimeapps.list"));
        if (!ids.isEmpty() && !list.exists() && list.open(QIODevice::WriteOnly))
            list.write("[Default Applications]\ntext/plain=" + ids.first() + "\nimage/png=" + ids.first() +
                       "\nimage/jpeg=" + ids.first() + "\napplication/pdf=" + ids.last() +
                       "\napplication/zip=" + ids.last() + "\n");
        list.close();
        settle(500);
        settings.setValue(QStringLiteral("KestrowUserData"), home.path()); // as if granted before
    }
    for (const bool dark : {false, true}) {
        const QString suffix = dark ? QStringLiteral("-dark.png") : QStringLiteral("-light.png");
        style = dark ? QStringLiteral("Dark") : QString();
        controller.BMakeModeTimer_hander();
        controller.CheckDarkTimer_hander();
        controller.StartScanAppInformation();
        apps.exec();
        settle(500);
        controller.window->grab().save(out + QStringLiteral("/applications-default") + suffix);
        if (controller.appController->rowCount() > 0) {
            QEventLoop rows;
            QObject::connect(&controller, &AppDelegate::appFileRowsFinished, &rows, &QEventLoop::quit);
            controller.appsPage->cellAt(0)->relatedBtn()->click();
            rows.exec();
            screenShot(QStringLiteral("/app-files") + suffix);
            controller.CloseAppFileWindow();
        }
        controller.askForUserFolderGrant(); // the sheet that asks for a folder before the first change
        screenShot(QStringLiteral("/app-grant") + suffix);
        controller.connectUserWindow->reject();
        controller.scanAllApplicationFolder();
        apps.exec();
        settle(800);
        controller.window->grab().save(out + QStringLiteral("/applications-installed") + suffix);
        controller.applications->setShowHiddenEntries(true); // the entries the menus leave out, greyed
        settle(300);
        controller.window->grab().save(out + QStringLiteral("/applications-hidden") + suffix);
        controller.applications->setShowHiddenEntries(false);
    }
    style.clear();
    controller.BMakeModeTimer_hander();
    controller.CheckDarkTimer_hander();
    // The box of favourite applications, popped up from the main window's button.
    controller.appTabs->setCurrentIndex(0);
    controller.ClickStateBanner(controller.window->appBoxBtn);
    screenShot(QStringLiteral("/app-box.png"));

    // A classification of a small throw-away tree: hidden entries and what they keep, in the status line.
    controller.ClickStateBanner(controller.window->appBoxBtn);
    controller.ChangetoIconViewModeAction();
    const QString tree = home.path() + QStringLiteral("/Holiday");
    for (const char *file : {"/beach/sea.jpg", "/beach/.picasa.ini", "/music/song.mp3", "/notes.txt"}) {
        QDir().mkpath(QFileInfo(tree + QLatin1StringView(file)).path());
        QFile(tree + QLatin1StringView(file)).open(QIODevice::WriteOnly);
    }
    QDir().mkpath(tree + QStringLiteral("/empty/deeper"));
    controller.openFoldersAsDrop({tree});
    loop.exec();
    // The batch previews, dark then light: the rename sheet's live new names, then the classification's
    // preview sheet (cancelled in the dark, run in the light).
    QEventLoop batch;
    QObject::connect(&controller, &AppDelegate::batchFinished, &batch, &QEventLoop::quit);
    for (const bool dark : {true, false}) {
        const QString suffix = dark ? QStringLiteral("-dark.png") : QStringLiteral("-light.png");
        style = dark ? QStringLiteral("Dark") : QString();
        controller.BMakeModeTimer_hander();
        settle(300);
        grid->selectAll();
        controller.RenameFolderAction();
        controller.renameSheet->renameTypeBtn->setCurrentIndex(2);
        controller.ChangeRenameTypeAction();
        controller.renameSheet->addTextField->setText(QStringLiteral("2024"));
        screenShot(QStringLiteral("/rename-preview") + suffix);
        controller.CancelRenameFolderAction();
        controller.ClassfyFolderAction();
        controller.classifySheet->classifyButton->click();
        while (!controller.previewSheet->isVisible())
            settle(50);
        screenShot(QStringLiteral("/classify-preview") + suffix);
        if (dark)
            controller.previewSheet->cancelButton->click();
    }
    controller.previewSheet->runButton->click();
    batch.exec();
    settle(800);
    controller.window->grab().save(out + QStringLiteral("/classified.png"));

    // The classification undone, then the History window over the window, light and dark.
    controller.window->action(MainWindow::UndoLastBatch)->trigger();
    while (!controller.previewSheet->isVisible())
        settle(50);
    controller.previewSheet->runButton->click();
    batch.exec();
    settle(300);
    for (const bool dark : {false, true}) {
        style = dark ? QStringLiteral("Dark") : QString();
        controller.BMakeModeTimer_hander();
        controller.ShowHistoryAction();
        controller.historyWindow->table->selectRow(1);
        screenShot(dark ? QStringLiteral("/history-dark.png") : QStringLiteral("/history-light.png"));
    }

    // The duplicates view of FOLDER, the copies selected, light and dark.
    controller.historyWindow->close();
    controller.openFoldersAsDrop({fromNativePath(argv[2])});
    loop.exec();
    QEventLoop found;
    QObject::connect(controller.duplicates(), &DuplicatesView::searchEnded, &found, &QEventLoop::quit);
    controller.window->findDuplicatesAction->trigger();
    found.exec();
    controller.SelectCopiesAction(DuplicatesView::Keep::Oldest);
    for (const bool dark : {false, true}) {
        style = dark ? QStringLiteral("Dark") : QString();
        controller.BMakeModeTimer_hander();
        settle(500);
        controller.window->grab().save(out + (dark ? QStringLiteral("/duplicates-dark.png") : QStringLiteral("/duplicates-light.png")));
    }

    // Videos of three shapes: the grid shows their frames, the preview pane the first one's, both looks.
    const QByteArray films = QFile::encodeName(home.path()) + "/Films";
    QDir().mkpath(QString::fromUtf8(films));
    const char *const videos[][2] = {{"beach.mp4", "testsrc2=duration=20:size=640x360:rate=25"},
                                     {"phone.mp4", "testsrc=duration=2:size=360x640:rate=25"},
                                     {"bars.mkv", "smptebars=duration=2:size=640x480:rate=25"}};
    for (const auto &video : videos)
        runProcess("/usr/bin/ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", video[1], "-pix_fmt",
                                       "yuv420p", films + '/' + video[0]});
    controller.openFoldersAsDrop({fromNativePath(films)});
    loop.exec();
    controller.ChangetoIconViewModeAction(); // the duplicates view above left the list shown
    settle(3000); // the thumbnailer's frames
    for (const bool dark : {false, true}) {
        style = dark ? QStringLiteral("Dark") : QString();
        controller.BMakeModeTimer_hander();
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->itemAt(row)->fileName() == QStringLiteral("beach.mp4"))
                grid->selectionModel()->select(model->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                          QItemSelectionModel::Rows);
        settle(2000);
        controller.window->grab().save(out + (dark ? QStringLiteral("/videos-dark.png") : QStringLiteral("/videos-light.png")));
    }
    // Played: the player takes the video's shape.
    controller.window->previewPane->previewPlayerView()->posterPlayButton()->click();
    settle(2600);
    screenShot(QStringLiteral("/video-playing.png")); // the surface is a window of its own: the screen shows it
    return 0;
}
