// The controller driven as a user drives it: launches, drops, scans, view modes, selection, looks.
#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "app/PRButton.h"
#include "model/FolderScanner.h"
#include "platform/NativePath.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "reorganise/ui/RenameSheet.h"
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "views/ui/BackgroundImageView.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/ShownListModel.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
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
    void firstStartShowsTheStartWindowAlone();
    void laterStartShowsTheHintUntilSuppressed();
    void closingTheStartWindowShowsTheMainWindow();
    void selectionDuringScan_data();
    void selectionDuringScan();
    void viewModesShowTheirLists();
    void dropsOfSeveralFoldersAndOfAFile();
    void clearDuringScanLeavesNothingBehind();
    void previewAndOpenFollowTheSelection();
    void looksFollowTheDesktop();
    void menusPopUpBelowTheirButtons();
    void modelKeepsItsRulesWhileScanning();
    void filtersShowTheirListAndPlaceTheButton_data();
    void filtersShowTheirListAndPlaceTheButton();
    void headerClicksSortAllFiles();
    void sortDuringAScanKeepsEveryFile();
    void trashTakesTheVisibleSelection();
    void movesUpAndTheItemsFollow();
    void movesAreRefusedWhileScanningOrWithoutAMainFolder();
    void renameSheetShowsWhatEachModeNeeds();
    void renameActsOnTheShownSelection();
    void classifySheetSortsEveryFileAndKeepsTheRest();
    void quittingDuringAClassificationLosesNothing();
};

void TestAppDelegate::firstStartShowsTheStartWindowAlone()
{
    Launched run;
    AppDelegate &app = run.launch();
    QVERIFY(app.openFolderWindow->isVisible());
    QVERIFY(!app.window->isVisible());
    QVERIFY(!app.startupHint);
    Settings reread(run.settings.filePath());
    QCOMPARE(reread.string(QStringLiteral("FirstStartData")), QStringLiteral("YES"));
    QVERIFY(!app.window->loadItemProgressor->isVisible());
    QVERIFY(app.window->folderView->isVisibleTo(app.window));
    QVERIFY(!app.window->folderListView->isVisibleTo(app.window));
}

void TestAppDelegate::laterStartShowsTheHintUntilSuppressed()
{
    {
        Launched run(true);
        AppDelegate &app = run.launch();
        QVERIFY(app.window->isVisible());
        QVERIFY(app.startupHint);
        QMessageBox *hint = app.startupHint;
        QCOMPARE(hint->text(), QStringLiteral("Drag & drop a main folder here to start"));
        QCOMPARE(hint->informativeText(),
                 QStringLiteral("Drag & drop a main folder here to start managing files in multilevel folders and "
                                "subfolders."));
        QCOMPARE(hint->buttons().size(), 1);
        QCOMPARE(hint->buttons().first()->text(), QStringLiteral(" Ok "));
        QCOMPARE(hint->windowModality(), Qt::WindowModal);
        QCOMPARE(hint->geometry().top(), app.window->geometry().top() + 60);
        // Closing it without the box ticked changes nothing.
        hint->buttons().first()->click();
        QVERIFY(!Settings(run.settings.filePath()).boolean(QStringLiteral("ExampleAlertSuppress")));
    }
    {
        Launched run(true);
        AppDelegate &app = run.launch();
        QVERIFY(app.startupHint);
        app.startupHint->checkBox()->setChecked(true);
        app.startupHint->buttons().first()->click();
        QVERIFY(Settings(run.settings.filePath()).boolean(QStringLiteral("ExampleAlertSuppress")));
    }
    {
        Launched run(true, true);
        QTest::ignoreMessage(QtInfoMsg, "ExampleAlert suppressed");
        AppDelegate &app = run.launch();
        QVERIFY(!app.startupHint);
        QVERIFY(app.window->isVisible());
    }
}

void TestAppDelegate::closingTheStartWindowShowsTheMainWindow()
{
    Launched run;
    AppDelegate &app = run.launch();
    QVERIFY(app.openFolderWindow->close());
    QVERIFY(!app.openFolderWindow->isVisible());
    QVERIFY(app.window->isVisible());

    // The start window's button opens the main window the same way.
    Launched second;
    AppDelegate &again = second.launch();
    QTest::mouseClick(again.openFolderWindow->openFolderButton, Qt::LeftButton);
    QVERIFY(again.window->isVisible());
    QVERIFY(!again.openFolderWindow->isVisible());
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
    QCOMPARE(app.lists.currentViewItemArray.size(), 12);
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

void TestAppDelegate::looksFollowTheDesktop()
{
    Launched run(true, true);
    AppDelegate &app = run.launch();
    QVERIFY(!app.isDarkMode);
    QCOMPARE(app.showFilesImageName(), QStringLiteral("showallfilesbtn.png"));
    QCOMPARE(app.window->groundFolderImageView->imageName(), QStringLiteral("grayimage.png"));

    run.style = QStringLiteral("Dark");
    app.BMakeModeTimer_hander();
    QVERIFY(app.isDarkMode);
    QCOMPARE(app.showFilesImageName(), QStringLiteral("showallfileblackbtn.png"));
    QCOMPARE(app.window->groundFolderImageView->imageName(), QStringLiteral("blackground.png"));
    QCOMPARE(app.window->listViewModeBtn->property("imageName").toString(), QStringLiteral("listviewblackbtn.png"));
    QCOMPARE(app.window->renameFeatureBtn->property("imageName").toString(), QStringLiteral("renameblackbtn.png"));
    QCOMPARE(app.window->fodlerfileBroswerView->palette().color(QPalette::Base), QColor(42, 43, 54));
    QCOMPARE(app.window->palette().color(QPalette::Window), QColor(29, 30, 31));

    app.ShowAllImagesBtnAction(); // a filter in the dark look takes the dark image
    QCOMPARE(app.showFilesImageName(), QStringLiteral("showimageblackbtn.png"));
    run.style.clear();
    app.BMakeModeTimer_hander();
    QVERIFY(!app.isDarkMode);
    QCOMPARE(app.showFilesImageName(), QStringLiteral("showimagesbtn.png"));
    QCOMPARE(app.window->movetoFeatureBtn->property("imageName").toString(), QStringLiteral("whitemove.png"));
    QCOMPARE(app.window->palette().color(QPalette::Window), QColor(243, 246, 250));
}

void TestAppDelegate::menusPopUpBelowTheirButtons()
{
    Launched run(true, true);
    AppDelegate &app = run.launch();
    PRButton *button = app.window->showFilesButton;
    button->setFixedHeight(40);
    const QPoint expected = button->mapToGlobal(QPoint(0, 40)) + QPoint(0, 5);
    QCOMPARE(app.menuPointForButton(button), expected);
    // A press is announced, not clicked: the controller opens the kind menu.
    QSignalSpy posted(&run.nc, &NotificationCenter::posted);
    QTest::mousePress(button, Qt::LeftButton);
    QCOMPARE(posted.size(), 1);
    QCOMPARE(posted.first().first().toString(), QStringLiteral("MybuttonMouseDown"));
    QTRY_VERIFY(app.window->showFilesMenu->isVisible());
    app.window->showFilesMenu->close();
}

void TestAppDelegate::modelKeepsItsRulesWhileScanning()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    for (int d = 0; d < 10; ++d)
        makeFiles(tree, "main/d" + QByteArray::number(d), 50);
    Launched run(true, true);
    AppDelegate &app = run.launch();
    QAbstractItemModelTester tester(app.FileListController, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(run.dropAndWait({tree.path("main")}));
    QCOMPARE(app.FileListController->rowCount(), 500);
    app.ChangetoFolderViewModeAction();
    app.ClearCurrentFilesandFolderAction();
    QCOMPARE(app.FileListController->rowCount(), 0);
    QCOMPARE(app.FileListController->data(app.FileListController->index(0, 0), Qt::DisplayRole), QVariant());
}

void TestAppDelegate::filtersShowTheirListAndPlaceTheButton_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("light");
    QTest::addColumn<QString>("dark");
    QTest::addColumn<int>("count");
    QTest::newRow("all") << u"ShowAllFilesBtnAction"_s << 84 << u"showallfilesbtn.png"_s << u"showallfileblackbtn.png"_s << 7;
    QTest::newRow("images") << u"ShowAllImagesBtnAction"_s << 84 << u"showimagesbtn.png"_s << u"showimageblackbtn.png"_s << 2;
    QTest::newRow("videos") << u"ShowAllVideosBtnAction"_s << 84 << u"showvideosbtn.png"_s << u"showvideoblackbtn.png"_s << 1;
    QTest::newRow("audios") << u"ShowAllAudiosBtnAction"_s << 136 << u"showaudiosbtn.png"_s << u"showaudioblackbtn.png"_s << 1;
    QTest::newRow("documents") << u"ShowAllDocumentsBtnAction"_s << 108 << u"showdocumentsbtn.png"_s
                               << u"showdocumentsblackbtn.png"_s << 1;
    QTest::newRow("others") << u"ShowAllOthersBtnAction"_s << 72 << u"otherbtn.png"_s << u"showotherblackbtn.png"_s << 1;
    QTest::newRow("archives") << u"ShowAllArchiveBtnAction"_s << 84 << u"archivebtn.png"_s << u"showarchiveblackbtn.png"_s << 1;
}

void TestAppDelegate::filtersShowTheirListAndPlaceTheButton()
{
    QFETCH(QString, action);
    QFETCH(int, width);
    QFETCH(QString, light);
    QFETCH(QString, dark);
    QFETCH(int, count);
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    for (const char *name : {"a.jpg", "b.png", "c.mov", "d.mp3", "e.pdf", "f.zip", "g.pkg"})
        tree.file(QByteArray(QByteArray("main/") + name), 3);

    Launched run(true, true);
    AppDelegate &app = run.launch();
    QVERIFY(run.dropAndWait({tree.path("main")}));
    for (const QString &style : {QString(), QStringLiteral("Dark")}) {
        run.style = style;
        app.BMakeModeTimer_hander();
        static const QMap<QString, void (AppDelegate::*)()> actions{
            {u"ShowAllFilesBtnAction"_s, &AppDelegate::ShowAllFilesBtnAction},
            {u"ShowAllImagesBtnAction"_s, &AppDelegate::ShowAllImagesBtnAction},
            {u"ShowAllVideosBtnAction"_s, &AppDelegate::ShowAllVideosBtnAction},
            {u"ShowAllAudiosBtnAction"_s, &AppDelegate::ShowAllAudiosBtnAction},
            {u"ShowAllDocumentsBtnAction"_s, &AppDelegate::ShowAllDocumentsBtnAction},
            {u"ShowAllOthersBtnAction"_s, &AppDelegate::ShowAllOthersBtnAction},
            {u"ShowAllArchiveBtnAction"_s, &AppDelegate::ShowAllArchiveBtnAction}};
        (app.*actions.value(action))();
        QCOMPARE(app.FileListController->rowCount(), count);
        QCOMPARE(app.showFilesImageName(), style.isEmpty() ? light : dark);
        const QRect frame = app.window->showFilesButton->geometry();
        QCOMPARE(frame.size(), QSize(width, 24));
        // Right-aligned 5 points past the grid, unless that would put it under the feature buttons.
        const int rename = app.window->renameFeatureBtn->x();
        QCOMPARE(frame.right() + 1, std::min(app.window->fodlerfileBroswerView->width() + 5, rename - 8));
    }
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

void TestAppDelegate::renameSheetShowsWhatEachModeNeeds()
{
    Launched run(true, true);
    AppDelegate &app = run.launch();
    RenameSheet *sheet = app.renameSheet;
    const auto shown = [sheet] {
        return QList<bool>{!sheet->addLevelLab->isHidden(), !sheet->renameLevelParentBtn->isHidden(),
                           !sheet->addtextLab->isHidden(), !sheet->addTextField->isHidden(),
                           !sheet->replacetext1Lab->isHidden(), !sheet->replaceStrText->isHidden()};
    };
    QCOMPARE(shown(), QList<bool>(6, false));
    const auto chooseMode = [&](int mode) {
        sheet->renameTypeBtn->setCurrentIndex(mode);
        Q_EMIT sheet->renameTypeBtn->activated(mode);
    };
    const auto chooseVariant = [&](int variant) {
        sheet->renameActBtn->setCurrentIndex(variant);
        Q_EMIT sheet->renameActBtn->activated(variant);
    };
    chooseMode(1);
    QCOMPARE(sheet->renameActBtn->itemText(0), u"Add path components to beginning"_s);
    QCOMPARE(shown(), (QList<bool>{true, true, false, false, false, false}));
    sheet->renameLevelParentBtn->setCurrentIndex(3);
    chooseMode(2);
    QCOMPARE(sheet->renameActBtn->currentText(), u"Add text to beginning"_s);
    QCOMPARE(shown(), (QList<bool>{false, false, true, true, false, false}));
    chooseVariant(2); // "Replace text"
    QCOMPARE(shown(), (QList<bool>{false, false, false, false, true, true}));
    chooseVariant(1);
    QCOMPARE(shown(), (QList<bool>{false, false, true, true, false, false}));
    chooseMode(0);
    QCOMPARE(sheet->renameActBtn->count(), 3);
    QCOMPARE(shown(), QList<bool>(6, false));
    QCOMPARE(sheet->renameLevelParentBtn->currentIndex(), 3); // the depth is kept through mode changes
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

    // The sheet opens as it was left.
    app.RenameFolderAction();
    QCOMPARE(sheet->replaceStrText->text(), u"IMG"_s);
    QVERIFY(!sheet->replaceStrText->isHidden());
    sheet->cancelButton->click();
    QVERIFY(!sheet->isVisible());
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
    tree.file("M/late/unlisted.txt", 6); // appears after the scan: never moved, so never trashed
    IKImageItemRef xItem;
    for (const IKImageItemRef &item : app.lists.filesItemArray) {
        if (item->nativeFilePath() == x)
            xItem = item;
    }
    QVERIFY(xItem);

    ClassifySheet *sheet = app.classifySheet;
    app.ClassfyFolderAction();
    QVERIFY(sheet->isVisible());
    QVERIFY(sheet->selectClassfiyTypeButton->isChecked() && !sheet->selectClassfiyDateButton->isChecked());
    sheet->selectClassfiyDateButton->click(); // the two act as a pair
    QVERIFY(!sheet->selectClassfiyTypeButton->isChecked());
    sheet->selectClassfiyDateButton->click();
    QVERIFY(sheet->selectClassfiyTypeButton->isChecked());
    QSignalSpy finished(&app, &AppDelegate::batchFinished);
    sheet->classifyButton->click();
    QVERIFY(finished.wait(30000));

    const TreeBuilder::Snapshot after = tree.snapshot();
    QVERIFY(after.contains("M/Image/x.jpg") && after.contains("M/Audio& Music/y.mp3") &&
            after.contains("M/Document/z.pdf") && after.contains("M/late/unlisted.txt"));
    QVERIFY2(!after.contains("M/a"), qPrintable(app.statusText()));
    QCOMPARE(xItem->nativeFilePath(), tree.path("M/Image/x.jpg"));
    QVERIFY2(app.statusText().startsWith(u"3 moved · 1 to the Trash, kept: late"_s), qPrintable(app.statusText()));
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
