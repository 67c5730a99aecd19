// The controller driven as a user drives it: launches, drops, scans, view modes, selection, looks.
#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "model/FolderScanner.h"
#include "platform/NativePath.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "reorganise/ui/RenameSheet.h"
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/PRButton.h"
#include "views/ui/ShownListModel.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QThreadPool>
#include <QUrl>

#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

// One launched program in a temporary home, with a look the test can switch and a record of opened files.
struct Launched
{
    TempHome home;
    Settings settings{home.configHome() + QStringLiteral("/Vellumry/Vellumry.conf")};
    NotificationCenter nc;
    QString style;
    QList<QByteArray> opened;
    QList<QByteArray> revealed;
    std::unique_ptr<AppDelegate> app;

    explicit Launched(bool laterStart = false, bool suppressed = false)
    {
        if (laterStart)
            settings.setValue(QStringLiteral("FirstStartData"), QStringLiteral("YES"));
        if (suppressed)
            settings.setValue(QStringLiteral("ExampleAlertSuppress"), true);
        settings.synchronize();
    }
    AppDelegate &launch()
    {
        AppDelegate::Services services;
        services.settings = &settings;
        services.nc = &nc;
        services.interfaceStyle = [this] { return style; };
        services.openFile = [this](const QByteArray &path) {
            opened.append(path);
            return true;
        };
        services.reveal = [this](const QByteArray &path) { revealed.append(path); };
        app = std::make_unique<AppDelegate>(services);
        app->awakeFromNib();
        app->applicationDidFinishLaunching();
        return *app;
    }
    bool dropAndWait(const QList<QByteArray> &paths)
    {
        QSignalSpy finished(app.get(), &AppDelegate::scanFinished);
        QMimeData data;
        QList<QUrl> urls;
        for (const QByteArray &path : paths) // as a file manager offers them: percent-encoded bytes
            urls.append(QUrl::fromEncoded("file://" + path.toPercentEncoding("/")));
        data.setUrls(urls);
        if (!app->window->fodlerfileBroswerView->performDragOperation(&data))
            return false;
        return finished.wait(30000);
    }
    QList<int> selectedGridRows() const
    {
        QList<int> rows;
        for (const QModelIndex &index : app->window->fodlerfileBroswerView->selectionModel()->selectedRows())
            rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

void makeFiles(TreeBuilder &tree, const QByteArray &folder, int count)
{
    for (int i = 0; i < count; ++i)
        tree.file(QByteArray(folder + "/f" + QByteArray::number(i) + ".txt"), 10 + i);
}

} // namespace

class TestAppDelegate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstStartShowsTheStartWindowThenTheMainWindow();
    void laterStartHint_data();
    void laterStartHint();
    void selectionDuringScan_data();
    void selectionDuringScan();
    void viewModesShowTheirLists();
    void dropsOfSeveralFoldersAndOfAFile();
    void clearDuringScanLeavesNothingBehind();
    void previewAndOpenFollowTheSelection();
    void kindButtonShowsItsListAndMenu();
    void headerClicksSortAllFiles();
    void sortDuringAScanKeepsEveryFile();
    void trashTakesTheVisibleSelection();
    void movesUpAndTheItemsFollow();
    void movesAreRefusedWhileScanningOrWithoutAMainFolder();
    void typedFoldersResolveAndTheHomeIsNoMainFolder();
    void renameActsOnTheShownSelection();
    void classifySheetSortsEveryFileAndKeepsTheRest();
    void quittingDuringAClassificationLosesNothing();
};

void TestAppDelegate::firstStartShowsTheStartWindowThenTheMainWindow()
{
    for (const bool viaButton : {false, true}) {
        Launched run;
        AppDelegate &app = run.launch();
        QVERIFY(app.openFolderWindow->isVisible() && !app.window->isVisible() && !app.startupHint);
        QCOMPARE(Settings(run.settings.filePath()).string(u"FirstStartData"_s), u"YES"_s);
        if (viaButton)
            QTest::mouseClick(app.openFolderWindow->openFolderButton, Qt::LeftButton);
        else
            QVERIFY(app.openFolderWindow->close());
        QVERIFY(app.window->isVisible() && !app.openFolderWindow->isVisible());
    }
}

void TestAppDelegate::laterStartHint_data()
{
    QTest::addColumn<bool>("suppressed");
    QTest::addColumn<bool>("tick");
    QTest::newRow("closed unticked") << false << false;
    QTest::newRow("closed ticked") << false << true;
    QTest::newRow("suppressed before") << true << false;
}

void TestAppDelegate::laterStartHint()
{
    QFETCH(bool, suppressed);
    QFETCH(bool, tick);
    Launched run(true, suppressed);
    if (suppressed)
        QTest::ignoreMessage(QtInfoMsg, "ExampleAlert suppressed");
    AppDelegate &app = run.launch();
    QVERIFY(app.window->isVisible());
    QCOMPARE(app.startupHint != nullptr, !suppressed);
    if (suppressed)
        return;
    app.startupHint->checkBox()->setChecked(tick);
    app.startupHint->buttons().first()->click();
    QCOMPARE(Settings(run.settings.filePath()).boolean(u"ExampleAlertSuppress"_s), tick);
}

void TestAppDelegate::selectionDuringScan_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("selectedDuringScan");
    QTest::newRow("two files: only at the end") << 2 << false;
    QTest::newRow("five files: after the third") << 5 << true;
}

void TestAppDelegate::selectionDuringScan()
{
    QFETCH(int, files);
    QFETCH(bool, selectedDuringScan);
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    makeFiles(tree, "main", files);

    Launched run(true, true);
    AppDelegate &app = run.launch();
    QStringList events;
    connect(app.scanner(), &FolderScanner::scanFinished, this, [&] { events << QStringLiteral("finished"); });
    connect(app.window->fodlerfileBroswerView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [&] { events << QStringLiteral("selected"); });
    QVERIFY(run.dropAndWait({tree.path("main")}));
    QCOMPARE(run.selectedGridRows(), QList<int>{0});
    QVERIFY(events.contains(QStringLiteral("selected")));
    QCOMPARE(events.indexOf(QStringLiteral("selected")) < events.indexOf(QStringLiteral("finished")),
             selectedDuringScan);
    QCOMPARE(app.LoadFirstItem(), selectedDuringScan);
}

void TestAppDelegate::viewModesShowTheirLists()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    tree.file("main/top.jpg", 5);
    tree.file("main/sub/inner.mp3", 5);
    tree.file("main/sub/deeper/doc.pdf", 5);

    Launched run(true, true);
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("main")}));
    QCOMPARE(app.FileListController->rowCount(), 3);

    app.ChangetoFolderViewModeAction();
    QCOMPARE(app.FileListController->items(), app.lists.currentViewItemArray);
    QCOMPARE(app.FileListController->rowCount(), 2); // top.jpg and the folder "sub"
    QVERIFY(!app.isListMode());

    app.ChangetoListViewModeAction();
    QVERIFY(app.isListMode());
    QCOMPARE(app.FileListController->items(), app.lists.filesItemArray);

    app.ShowAllAudiosBtnAction();
    QCOMPARE(app.FileListController->rowCount(), 1);
    app.ChangetoIconViewModeAction(); // a switch drops the kind filter
    QVERIFY(!app.isListMode());
    QCOMPARE(app.FileListController->items(), app.lists.filesItemArray);
}

void TestAppDelegate::dropsOfSeveralFoldersAndOfAFile()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    makeFiles(tree, "A", 3);
    makeFiles(tree, "B", 4);
    makeFiles(tree, "C", 5);
    const QByteArray plain = tree.file("plain.txt", 3);

    Launched run(true, true);
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("A"), tree.path("B"), tree.path("C")}));
    QCOMPARE(app.lists.filesItemArray.size(), 12);
    QCOMPARE(toNativePath(app.currentSelectFolder), tree.path("A"));
    QVERIFY(app.lists.filesItemArray.first()->nativeFilePath().startsWith(tree.path("A/")));
    QVERIFY(app.lists.filesItemArray.last()->nativeFilePath().startsWith(tree.path("C/")));

    // A folder whose name is not UTF-8 arrives as percent-encoded bytes and keeps them.
    const QByteArray odd = tree.dir("caf\xe9");
    tree.file("caf\xe9/x.txt");
    QVERIFY(run.dropAndWait({odd}));
    QCOMPARE(toNativePath(app.currentSelectFolder), odd);
    QCOMPARE(app.lists.filesItemArray.size(), 1);

    QVERIFY(run.dropAndWait({plain}));
    QCOMPARE(app.lists.filesItemArray.size(), 0);
    QCOMPARE(app.FileListController->rowCount(), 0);

    // Only file drags are taken.
    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QVERIFY(!app.window->fodlerfileBroswerView->performDragOperation(&text));
}

void TestAppDelegate::clearDuringScanLeavesNothingBehind()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    for (int d = 0; d < 30; ++d)
        makeFiles(tree, "big/d" + QByteArray::number(d), 100);
    makeFiles(tree, "small", 2);

    Launched run(true, true);
    AppDelegate &app = run.launch();
    QSignalSpy appended(app.scanner(), &FolderScanner::filesAppended);
    app.openFoldersAsDrop({fromNativePath(tree.path("big"))});
    QVERIFY(appended.wait(30000));
    app.ClearCurrentFilesandFolderAction();
    QCOMPARE(app.lists.filesItemArray.size(), 0);
    QCOMPARE(app.FileListController->rowCount(), 0);
    QVERIFY(!app.scanner()->isScanning());

    QSignalSpy finished(&app, &AppDelegate::scanFinished);
    app.startScanCurrentFolder(fromNativePath(tree.path("small")));
    QVERIFY(finished.wait(30000));
    QCOMPARE(app.lists.filesItemArray.size(), 2); // nothing of the cleared scan came in later
    QCOMPARE(app.FileListController->rowCount(), 2);
}

void TestAppDelegate::previewAndOpenFollowTheSelection()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    makeFiles(tree, "main", 4);
    tree.file("main/sub/x.txt");

    Launched run(true, true);
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("main")}));
    QSignalSpy previewed(&app, &AppDelegate::previewed);

    QItemSelectionModel *grid = app.window->fodlerfileBroswerView->selectionModel();
    grid->select(app.FileListController->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(previewed.last().first().toInt(), 0); // several selected: the lowest index is previewed
    app.imageBrowserCellWasDoubleClickedAtIndex(3);
    QCOMPARE(run.opened.last(), app.FileListController->itemAt(0)->nativeFilePath());

    app.ChangetoListViewModeAction();
    QItemSelectionModel *table = app.window->fileListTableview->selectionModel();
    app.DoubleClickTableViewBookMarkAction(); // nothing selected: nothing opens
    QCOMPARE(run.opened.size(), 1);
    table->setCurrentIndex(app.FileListController->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->setCurrentIndex(app.FileListController->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(previewed.last().first().toInt(), 2); // the row selected last
    app.DoubleClickTableViewBookMarkAction();
    QCOMPARE(run.opened.last(), app.FileListController->itemAt(2)->nativeFilePath());

    // A folder item opens the folder itself, never the icon it is drawn with.
    app.ChangetoFolderViewModeAction();
    int folderRow = -1;
    for (int r = 0; r < app.FileListController->rowCount(); ++r) {
        if (app.FileListController->itemAt(r)->bDir())
            folderRow = r;
    }
    QVERIFY(folderRow >= 0);
    grid->select(app.FileListController->index(folderRow, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    app.imageBrowserCellWasDoubleClickedAtIndex(folderRow);
    QCOMPARE(run.opened.last(), tree.path("main/sub"));
}

// Each kind button shows its kind with its own picture, which follows a change of look; a press on the
// button opens the kind menu.
void TestAppDelegate::kindButtonShowsItsListAndMenu()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    for (const char *name : {"a.jpg", "b.png", "c.mov", "d.mp3", "e.pdf", "f.zip", "g.pkg"})
        tree.file(QByteArray(QByteArray("main/") + name), 3);
    Launched run(true, true);
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("main")}));
    const struct
    {
        void (AppDelegate::*action)();
        int count;
        QString light, dark;
    } kinds[] = {
        {&AppDelegate::ShowAllFilesBtnAction, 7, u"showallfilesbtn.png"_s, u"showallfileblackbtn.png"_s},
        {&AppDelegate::ShowAllImagesBtnAction, 2, u"showimagesbtn.png"_s, u"showimageblackbtn.png"_s},
        {&AppDelegate::ShowAllVideosBtnAction, 1, u"showvideosbtn.png"_s, u"showvideoblackbtn.png"_s},
        {&AppDelegate::ShowAllAudiosBtnAction, 1, u"showaudiosbtn.png"_s, u"showaudioblackbtn.png"_s},
        {&AppDelegate::ShowAllDocumentsBtnAction, 1, u"showdocumentsbtn.png"_s, u"showdocumentsblackbtn.png"_s},
        {&AppDelegate::ShowAllOthersBtnAction, 1, u"otherbtn.png"_s, u"showotherblackbtn.png"_s},
        {&AppDelegate::ShowAllArchiveBtnAction, 1, u"archivebtn.png"_s, u"showarchiveblackbtn.png"_s},
    };
    for (const auto &kind : kinds) {
        (app.*kind.action)();
        QCOMPARE(app.FileListController->rowCount(), kind.count);
        for (const QString &style : {u"Dark"_s, QString()}) {
            run.style = style;
            app.BMakeModeTimer_hander();
            QCOMPARE(app.isDarkMode, !style.isEmpty());
            QCOMPARE(app.showFilesImageName(), style.isEmpty() ? kind.light : kind.dark);
        }
    }
    QTest::mousePress(app.window->showFilesButton, Qt::LeftButton);
    QTRY_VERIFY(app.window->showFilesMenu->isVisible());
    app.window->showFilesMenu->close();
}

void TestAppDelegate::headerClicksSortAllFiles()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    tree.file("main/small.jpg", 10);
    tree.file("main/big.txt", 3000);
    tree.file("main/middle.jpg", 500);

    Launched run(true, true);
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("main")}));
    app.ChangetoListViewModeAction();
    app.ShowAllImagesBtnAction();
    QHeaderView *header = app.window->fileListTableview->horizontalHeader();
    for (int click = 0; click < 2; ++click) { // the same order each time
        header->sectionClicked(ShownListModel::SizeColumn);
        QCOMPARE(app.FileListController->rowCount(), 3); // the filter is dropped
        QCOMPARE(app.FileListController->itemAt(0)->fileName(), QStringLiteral("big.txt"));
        QCOMPARE(app.FileListController->itemAt(2)->fileName(), QStringLiteral("small.jpg"));
    }
    QCOMPARE(app.showFilesImageName(), QStringLiteral("showimagesbtn.png")); // the button keeps its picture
    header->sectionClicked(ShownListModel::NameColumn);
    QCOMPARE(app.lists.filesItemArray.first()->fileName(), QStringLiteral("big.txt"));
    QCOMPARE(app.lists.imageFilesItemArray.first()->fileName(), QStringLiteral("small.jpg")); // kind lists keep scan order
}

void TestAppDelegate::sortDuringAScanKeepsEveryFile()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    for (int d = 0; d < 20; ++d)
        makeFiles(tree, "main/d" + QByteArray::number(d), 100);

    Launched run(true, true);
    AppDelegate &app = run.launch();
    QAbstractItemModelTester tester(app.FileListController, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy finished(&app, &AppDelegate::scanFinished);
    connect(app.scanner(), &FolderScanner::filesAppended, &app, &AppDelegate::SortFileinFolderByNameAction,
            Qt::SingleShotConnection);
    app.openFoldersAsDrop({fromNativePath(tree.path("main"))});
    QVERIFY(finished.wait(30000));
    QCOMPARE(app.lists.filesItemArray.size(), 2000);
    QSet<const IKImageItem *> distinct;
    for (const IKImageItemRef &item : app.lists.filesItemArray)
        distinct.insert(item.data());
    QCOMPARE(distinct.size(), 2000);
    QCOMPARE(app.FileListController->items(), app.lists.filesItemArray);
    app.ChangetoFolderViewModeAction();
    app.ClearCurrentFilesandFolderAction();
    QCOMPARE(app.FileListController->rowCount(), 0);
}

void TestAppDelegate::trashTakesTheVisibleSelection()
{
    Launched run(true, true);
    // Files inside the temporary home go to its own Trash.
    TreeBuilder tree(QFile::encodeName(run.home.home()) + "/work");
    const QByteArray first = tree.file("main/1-doc.txt", 1);
    const QByteArray image1 = tree.file("main/2-pic.jpg", 1);
    const QByteArray image2 = tree.file("main/3-pic.jpg", 1);
    const QByteArray odd = tree.file("main/4 r\xe9sum\xe9 100%.jpg", 1);
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("main")}));
    app.SortFileinFolderByNameAction();

    // Icon mode under the image filter: the third image is the third row of what is shown.
    app.ShowAllImagesBtnAction();
    QItemSelectionModel *grid = app.window->fodlerfileBroswerView->selectionModel();
    grid->clearSelection();
    grid->select(app.FileListController->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // A selection left in the hidden table does not count.
    app.window->fileListTableview->selectionModel()->select(app.FileListController->index(0, 0),
                                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QByteArray victim = app.FileListController->itemAt(2)->nativeFilePath();
    app.MoveFilesToTrashAction();
    for (const QByteArray &image : {image1, image2, odd})
        QCOMPARE((::access(image.constData(), F_OK) == 0), image != victim);
    QVERIFY(app.statusText().contains(QStringLiteral("1 file moved to the Trash")));

    // List mode: the table's rows, in ascending order; a file already gone fails without stopping the loop.
    app.ChangetoListViewModeAction();
    int victimRow = -1;
    for (int r = 0; r < app.FileListController->rowCount(); ++r) {
        if (app.FileListController->itemAt(r)->nativeFilePath() == victim)
            victimRow = r;
    }
    QItemSelectionModel *table = app.window->fileListTableview->selectionModel();
    table->select(app.FileListController->index(victimRow, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->select(app.FileListController->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    app.MoveFilesToTrashAction();
    QVERIFY(::access(first.constData(), F_OK) != 0);
    QVERIFY(app.statusText().contains(QStringLiteral("1 file moved to the Trash, 1 could not be moved")));
    QCOMPARE(app.lists.filesItemArray.size(), 4); // trashed items stay listed
}

void TestAppDelegate::movesUpAndTheItemsFollow()
{
    Launched run(true, true);
    TreeBuilder tree(QFile::encodeName(run.home.home()) + "/work");
    const QByteArray f = tree.file("main/A/B/f.txt", 1);
    const QByteArray g = tree.file("main/A/B/g.txt", 1);
    tree.file("main/A/g.txt", 2); // g's name is taken one level up
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("main")}));
    QItemSelectionModel *grid = app.window->fodlerfileBroswerView->selectionModel();
    grid->clearSelection();
    IKImageItemRef fItem, gItem;
    for (int r = 0; r < app.FileListController->rowCount(); ++r) {
        const IKImageItemRef item = app.FileListController->itemAt(r);
        if (item->nativeFilePath() == f || item->nativeFilePath() == g) {
            grid->select(app.FileListController->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
            (item->nativeFilePath() == f ? fItem : gItem) = item;
        }
    }
    QVERIFY(fItem && gItem);
    QSignalSpy finished(&app, &AppDelegate::batchFinished);
    app.MoveToleve2ParentFolderAction();
    QVERIFY(finished.wait(30000));
    QCOMPARE(fItem->nativeFilePath(), tree.path("main/A/f.txt")); // every list sees the new place
    QVERIFY(::access(tree.path("main/A/f.txt").constData(), F_OK) == 0 && ::access(f.constData(), F_OK) != 0);
    QCOMPARE(gItem->nativeFilePath(), g); // left where it was
    QVERIFY(::access(g.constData(), F_OK) == 0);
    QVERIFY(app.statusText().startsWith(QStringLiteral("1 moved, 1 skipped: name taken")));
    QCOMPARE(run.opened.last(), tree.path("main")); // the main folder is shown afterwards
}

void TestAppDelegate::movesAreRefusedWhileScanningOrWithoutAMainFolder()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    for (int d = 0; d < 30; ++d)
        makeFiles(tree, "big/d" + QByteArray::number(d), 100);
    Launched run(true, true);
    AppDelegate &app = run.launch();
    app.openFoldersAsDrop({fromNativePath(tree.path("big"))});
    QVERIFY(app.scanner()->isScanning()); // from the request on, until the scan is over
    app.MoveToleve2ParentFolderAction();
    QVERIFY(!app.isBatchRunning());
    QVERIFY(app.statusText().startsWith(QStringLiteral("Wait until the scan is over")));
    app.stopScanAction();
    app.currentSelectFolder.clear();
    app.MoveToRootFolderAction();
    QVERIFY(!app.isBatchRunning());
    QVERIFY(app.statusText().startsWith(QStringLiteral("No main folder yet")));
}

void TestAppDelegate::typedFoldersResolveAndTheHomeIsNoMainFolder()
{
    Launched run(true, true);
    const QByteArray home = QFile::encodeName(QFileInfo(run.home.home()).canonicalFilePath());
    TreeBuilder tree(home + "/work");
    tree.file("M/x.jpg", 1);
    AppDelegate &app = run.launch();
    const QString workingFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QFile::decodeName(tree.path("M"))));
    QSignalSpy finished(&app, &AppDelegate::scanFinished);
    app.openFoldersAsDrop({u"../M/."_s}); // as `vellumry ../M/.` started in M
    QVERIFY(QDir::setCurrent(workingFolder));
    QCOMPARE(toNativePath(app.currentSelectFolder), tree.path("M"));
    QVERIFY(finished.wait(30000));
    QCOMPARE(app.lists.filesItemArray.size(), 1);

    // The home folder, however it is spelled, is neither filled nor classified.
    const TreeBuilder::Snapshot before = tree.snapshot();
    app.currentSelectFolder = fromNativePath(tree.path("M/../.."));
    app.window->fodlerfileBroswerView->selectAll();
    app.MoveToRootFolderAction();
    const QString refused = u" %1: the home folder  ·  "_s.arg(app.currentSelectFolder);
    QVERIFY2(!app.isBatchRunning() && app.statusText().startsWith(u"Cannot move into"_s + refused),
             qPrintable(app.statusText()));
    app.classifySheet->selectClassfiyTypeButton->setChecked(true);
    app.ClassifyFolderHandle();
    QVERIFY2(!app.isBatchRunning() && app.statusText().startsWith(u"Cannot classify"_s + refused),
             qPrintable(app.statusText()));
    QCOMPARE(tree.snapshot(), before);
}

void TestAppDelegate::renameActsOnTheShownSelection()
{
    Launched run(true, true);
    TreeBuilder tree(QFile::encodeName(run.home.home()) + "/work");
    tree.file("main/Trip/IMG_IMG.jpg", 3);
    tree.file("main/Trip/notes.txt", 4);
    tree.file("main/Trip/IMG.png", 5);
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("main")}));
    app.ShowAllImagesBtnAction(); // the filter decides which items the rows are
    QCOMPARE(app.FileListController->rowCount(), 2);
    app.window->fodlerfileBroswerView->selectAll();

    RenameSheet *sheet = app.renameSheet;
    app.RenameFolderAction();
    QVERIFY(sheet->isVisible());
    sheet->renameTypeBtn->setCurrentIndex(2);
    app.ChangeRenameTypeAction();
    sheet->renameActBtn->setCurrentIndex(2);
    app.ChangeTextTypeAction();
    sheet->replaceStrText->setText(u"IMG"_s);
    sheet->replaceWithStrLabText->setText(u"Photo"_s);
    QSignalSpy finished(&app, &AppDelegate::batchFinished);
    sheet->renameButton->click();
    QVERIFY(!sheet->isVisible());
    QVERIFY(finished.wait(30000));
    QVERIFY(::access(tree.path("main/Trip/Photo_Photo.jpg").constData(), F_OK) == 0);
    QVERIFY(::access(tree.path("main/Trip/Photo.png").constData(), F_OK) == 0);
    QVERIFY(::access(tree.path("main/Trip/notes.txt").constData(), F_OK) == 0); // not shown, not renamed
    QStringList names;
    for (int r = 0; r < app.FileListController->rowCount(); ++r)
        names.append(app.FileListController->itemAt(r)->fileName());
    names.sort();
    QCOMPARE(names, (QStringList{u"Photo.png"_s, u"Photo_Photo.jpg"_s}));
    QCOMPARE(run.revealed.size(), 1);
    QVERIFY(run.revealed.last().startsWith(tree.path("main/Trip/Photo")));
    QVERIFY(app.statusText().startsWith(u"2 renamed"_s));
}

void TestAppDelegate::classifySheetSortsEveryFileAndKeepsTheRest()
{
    Launched run(true, true);
    TreeBuilder tree(QFile::encodeName(run.home.home()) + "/work");
    const QByteArray x = tree.file("M/a/x.jpg", 3);
    tree.file("M/a/b/y.mp3", 4);
    tree.file("M/z.pdf", 5);
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("M")}));
    tree.file("M/late/unlisted.txt", 6); // appears after the scan: never moved, so its folder stays
    IKImageItemRef xItem;
    for (const IKImageItemRef &item : app.lists.filesItemArray) {
        if (item->nativeFilePath() == x)
            xItem = item;
    }
    QVERIFY(xItem);

    ClassifySheet *sheet = app.classifySheet;
    app.ClassfyFolderAction();
    QVERIFY(sheet->isVisible() && sheet->selectClassfiyTypeButton->isChecked());
    QSignalSpy finished(&app, &AppDelegate::batchFinished);
    sheet->classifyButton->click();
    QVERIFY(finished.wait(30000));

    const TreeBuilder::Snapshot after = tree.snapshot();
    QVERIFY(after.contains("M/Image/x.jpg") && after.contains("M/Audio& Music/y.mp3") &&
            after.contains("M/Document/z.pdf") && after.contains("M/late/unlisted.txt"));
    QVERIFY2(!after.contains("M/a"), qPrintable(app.statusText()));
    QCOMPARE(xItem->nativeFilePath(), tree.path("M/Image/x.jpg"));
    QVERIFY2(app.statusText().startsWith(u"3 moved · 1 empty folder removed, kept: late"_s), qPrintable(app.statusText()));
    QCOMPARE(run.opened.last(), tree.path("M"));

    // Without a main folder the sheet does not even open.
    app.currentSelectFolder.clear();
    app.ClassfyFolderAction();
    QVERIFY(!sheet->isVisible());
    QVERIFY(app.statusText().startsWith(u"No main folder to classify"_s));
}

void TestAppDelegate::quittingDuringAClassificationLosesNothing()
{
    Launched run(true, true);
    TreeBuilder tree(QFile::encodeName(run.home.home()) + "/work");
    for (int d = 0; d < 30; ++d)
        makeFiles(tree, "M/d" + QByteArray::number(d), 100);
    const QList<QByteArray> before = TreeBuilder::fileChecksums(tree.snapshot());
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("M")}));
    app.ClassfyFolderAction();
    app.classifySheet->classifyButton->click();
    QVERIFY(app.isBatchRunning());
    run.app.reset(); // the program quits with the batch under way
    QThreadPool::globalInstance()->waitForDone();
    QCOMPARE(TreeBuilder::fileChecksums(tree.snapshot()), before); // every file still below the main folder
}

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
