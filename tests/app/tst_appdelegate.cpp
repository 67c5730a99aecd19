// The controller driven as a user drives it: launches, drops, scans, views, looks, batches, preferences;
// the images it shows.
#include "app/LaunchedApp.h"
#include "app/MainWindow.h"
#include "app/PreferencesWindow.h"
#include "model/FolderScanner.h"
#include "platform/Background.h"
#include "platform/LoginItems.h"
#include "platform/NativePath.h"
#include "reorganise/ui/ClassifySheet.h"
#include "reorganise/ui/HistoryWindow.h"
#include "reorganise/ui/PlanPreviewModel.h"
#include "reorganise/ui/PlanPreviewSheet.h"
#include "reorganise/ui/RenameSheet.h"
#include "support/TreeBuilder.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/PRButton.h"
#include "views/ui/PreviewPane.h"
#include "views/ui/ShownListModel.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QTableView>
#include <QTest>

#include <tuple>

#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

bool exists(const QByteArray &path) { return ::access(path.constData(), F_OK) == 0; }

// One launched program in a temporary home, with a tree to scan there.
struct Launched : LaunchedApp
{
    using LaunchedApp::LaunchedApp;
    TreeBuilder tree{QFile::encodeName(home().home()) + "/work"};

    bool dropAndWait(const QList<QByteArray> &paths)
    {
        QSignalSpy finished(app.get(), &AppDelegate::scanFinished);
        QMimeData data;
        QList<QUrl> urls;
        for (const QByteArray &path : paths) // as a file manager offers them: percent-encoded bytes
            urls.append(QUrl::fromEncoded("file://" + path.toPercentEncoding("/")));
        data.setUrls(urls);
        return app->window->fodlerfileBroswerView->performDragOperation(&data) && finished.wait(30000);
    }
    void select(QItemSelectionModel *view, const std::function<bool(const IKImageItem &)> &wanted) const
    {
        view->clearSelection();
        for (int r = 0; r < app->FileListController->rowCount(); ++r)
            if (wanted(*app->FileListController->itemAt(r)))
                view->select(app->FileListController->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QItemSelectionModel *grid() const { return app->window->fodlerfileBroswerView->selectionModel(); }
    QAction *menuAction(const QKeySequence &keys) const
    {
        for (QAction *menu : app->window->menuBar()->actions())
            for (QAction *action : menu->menu()->actions())
                if (action->shortcut() == keys)
                    return action;
        return nullptr;
    }
};

// The light image (and its dark twin, when named) at `size`, buttons also at twice the size; the dark one is
// darker on average, so it cannot be the light one under another name.
void checkImages(const QString &light, const QString &dark, QSize size)
{
    int lightness[2] = {};
    for (int i = 0; i < (dark.isEmpty() ? 1 : 2); ++i) {
        const QString name = u":/images/"_s + (i ? dark : light);
        const QImage image(name + u".png"_s);
        QVERIFY2(image.size() == size, qPrintable(name));
        QVERIFY2(size.height() > 32 || QImage(name + u"@2x.png"_s).size() == size * 2, qPrintable(name));
        const QImage average = image.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        lightness[i] = qGray(average.convertToFormat(QImage::Format_ARGB32).pixel(0, 0));
    }
    QVERIFY2(dark.isEmpty() || lightness[0] - lightness[1] > 100, qPrintable(light));
}

// The moves every journal of `home` records as done: "source -> target", in order.
QByteArrayList journaledMoves(const QString &dataHome)
{
    QByteArrayList moves;
    QDir journals(dataHome + u"/Vellumry/journal"_s);
    for (const QString &name : journals.entryList(QDir::Files, QDir::Name)) {
        QFile journal(journals.filePath(name));
        if (!journal.open(QIODevice::ReadOnly))
            return {"unreadable " + name.toUtf8()};
        for (const QByteArray &line : journal.readAll().split('\n')) {
            const QByteArrayList fields = line.split('\t');
            if (fields.size() >= 5 && fields[1] == "done" && fields[2] == "move")
                moves.append(QByteArray::fromPercentEncoding(fields[3]) + " -> " + QByteArray::fromPercentEncoding(fields[4]));
        }
    }
    return moves;
}

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
    // The first start shows the start window, which leads to the main window; later starts show the main
    // window with a hint whose tick box is remembered.
    void startWindows_data()
    {
        QTest::addColumn<bool>("laterStart");
        QTest::addColumn<bool>("suppressed");
        QTest::addColumn<bool>("tickOrButton"); // later: tick the box; first: leave by the button
        QTest::addColumn<bool>("named");        // folders named on the command line: no hint, no start window
        QTest::newRow("first, closed") << false << false << false << false;
        QTest::newRow("first, button") << false << false << true << false;
        QTest::newRow("later, unticked") << true << false << false << false;
        QTest::newRow("later, ticked") << true << false << true << false;
        QTest::newRow("later, suppressed before") << true << true << false << false;
        QTest::newRow("later, folders named") << true << false << false << true;
        QTest::newRow("first, folders named") << false << false << false << true;
    }

    void startWindows()
    {
        QFETCH(bool, laterStart);
        QFETCH(bool, suppressed);
        QFETCH(bool, tickOrButton);
        QFETCH(bool, named);
        Launched run(laterStart, suppressed);
        if (suppressed)
            QTest::ignoreMessage(QtInfoMsg, "ExampleAlert suppressed");
        AppDelegate &app = run.launch(named);
        QCOMPARE(run.stored(u"FirstStartData"_s), u"YES"_s);
        QCOMPARE(app.openFolderWindow->isVisible(), !laterStart && !named);
        QCOMPARE(app.startupHint != nullptr, laterStart && !suppressed && !named);
        if (named)
            laterStart = true; // nothing to close
        if (!laterStart && tickOrButton)
            QTest::mouseClick(app.openFolderWindow->openFolderButton, Qt::LeftButton);
        else if (!laterStart)
            QVERIFY(app.openFolderWindow->close());
        QVERIFY(app.window->isVisible() && !app.openFolderWindow->isVisible());
        if (!app.startupHint)
            return;
        app.startupHint->checkBox()->setChecked(tickOrButton);
        app.startupHint->buttons().first()->click();
        QCOMPARE(Settings(run.settings.filePath()).boolean(u"ExampleAlertSuppress"_s), tickOrButton);
    }

    // A key typed in the grid starts the filter; the list narrows by name, then by location below the
    // main folder (the Path column shows that folder); the status counts both; Esc shows all again.
    void typingFilters()
    {
        Launched run;
        run.tree.file("M/holiday/day2/Beach.JPG", 10);
        run.tree.file("M/holiday/notes.txt", 5);
        run.tree.file("M/b\xc3\xa9" "ach.png", 3);
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({run.tree.path("M")}));
        QVERIFY2(app.statusText().startsWith(u"3 files, 18 bytes"_s), qPrintable(app.statusText()));
        QTest::keyClick(app.window->fodlerfileBroswerView, Qt::Key_B);
        QTest::keyClicks(app.window->filterField, u"EACH"_s);
        QCOMPARE(app.FileListController->rowCount(), 2);
        QVERIFY2(app.statusText().startsWith(u"2 of 3 files, 13 bytes"_s), qPrintable(app.statusText()));
        app.window->filterField->setText(u"day2/"_s);
        QCOMPARE(app.FileListController->rowCount(), 1);
        QCOMPARE(app.FileListController->index(0, ShownListModel::PathColumn).data().toString(), u"holiday/day2"_s);
        QTest::keyClick(app.window->filterField, Qt::Key_Escape);
        QCOMPARE(app.FileListController->rowCount(), 3);

        // Matched in the background, as a long list is: the older text's late result is dropped.
        app.FileListController->setBackgroundThreshold(0);
        app.window->filterField->setText(u"notes"_s);
        app.window->filterField->setText(u"each"_s);
        QTRY_VERIFY(!app.FileListController->isFiltering());
        QTest::qWait(50);
        QCOMPARE(app.FileListController->rowCount(), 2);
        QVERIFY2(app.statusText().startsWith(u"2 of 3 files, 13 bytes"_s), qPrintable(app.statusText()));
        // Typing on matches only the rows shown; a letter taken back matches the whole list again.
        for (const auto &[text, rows] : {std::pair{u"ach.j"_s, 1}, {u"ach"_s, 2}, {u"ach.p"_s, 1}, {u"a"_s, 2}}) {
            app.window->filterField->setText(text);
            QTRY_VERIFY(!app.FileListController->isFiltering());
            QCOMPARE(app.FileListController->rowCount(), rows);
        }
        QVERIFY2(app.statusText().startsWith(u"2 of 3 files, 13 bytes"_s), qPrintable(app.statusText()));
    }

    void dropsOfSeveralFoldersAndOfAFile()
    {
        Launched run;
        TreeBuilder &tree = run.tree;
        for (const auto &[folder, count] : {std::pair{"A", 3}, {"B", 4}, {"C", 5}})
            makeFiles(tree, folder, count);
        const QByteArray plain = tree.file("plain.txt", 3);
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({tree.path("A"), tree.path("B"), tree.path("C")}));
        QCOMPARE(app.lists.filesItemArray.size(), 12);
        QCOMPARE(toNativePath(app.currentSelectFolder), tree.path("A"));
        QVERIFY(app.lists.filesItemArray.first()->nativeFilePath().startsWith(tree.path("A/")) &&
                app.lists.filesItemArray.last()->nativeFilePath().startsWith(tree.path("C/")));
        QCOMPARE(run.grid()->selectedRows(), QModelIndexList{app.FileListController->index(0, 0)});

        // A folder whose name is not UTF-8 arrives as percent-encoded bytes and keeps them.
        const QByteArray odd = tree.dir("caf\xe9");
        tree.file("caf\xe9/x.txt");
        QVERIFY(run.dropAndWait({odd}));
        QCOMPARE(toNativePath(app.currentSelectFolder), odd);
        QCOMPARE(app.lists.filesItemArray.size(), 1);

        // A folder typed relative to the working folder, as `vellumry ../B/.` started in A.
        const QString workingFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QFile::decodeName(tree.path("A"))));
        QSignalSpy finished(&app, &AppDelegate::scanFinished);
        app.openFoldersAsDrop({u"../B/."_s});
        QVERIFY(QDir::setCurrent(workingFolder));
        QCOMPARE(app.currentSelectFolder, QFileInfo(QFile::decodeName(tree.path("B"))).canonicalFilePath());
        QVERIFY(finished.wait(30000));
        QCOMPARE(app.lists.filesItemArray.size(), 4);

        // Of a file dropped with folders, the first folder is the main folder.
        QVERIFY(run.dropAndWait({plain, tree.path("C"), tree.path("A")}));
        QCOMPARE(toNativePath(app.currentSelectFolder), tree.path("C"));

        QVERIFY(run.dropAndWait({plain}));
        QVERIFY(app.lists.filesItemArray.isEmpty() && app.FileListController->rowCount() == 0);
    }

    // The modes show their lists and a switch drops the kind filter; each kind shows its list with its own
    // picture, which follows the look; a header click sorts all files, drops the filter and keeps the picture,
    // while the kind lists keep the scan's order.
    void viewModesKindsSortsAndLooks()
    {
        Launched run;
        const std::pair<const char *, int> files[] = {{"a.jpg", 2000}, {"c.mov", 5}, {"d.mp3", 3000}, {"e.pdf", 7},
                                                      {"f.zip", 8},     {"g.pkg", 9}, {"sub/0.png", 1}};
        for (const auto &[name, size] : files)
            run.tree.file(QByteArray(QByteArray("main/") + name), size);
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({run.tree.path("main")}));
        ShownListModel *shown = app.FileListController;
        app.ChangetoFolderViewModeAction();
        QCOMPARE(shown->items(), app.lists.currentViewItemArray);
        QCOMPARE(shown->rowCount(), 7); // six files and the folder "sub"
        app.ChangetoListViewModeAction();
        QCOMPARE(shown->items(), app.lists.filesItemArray);
        const std::tuple<void (AppDelegate::*)(), int, QString, QString, int> kinds[] = { // count, pictures, width
            {&AppDelegate::ShowAllFilesBtnAction, 7, u"showallfilesbtn"_s, u"showallfileblackbtn"_s, 84},
            {&AppDelegate::ShowAllImagesBtnAction, 2, u"showimagesbtn"_s, u"showimageblackbtn"_s, 84},
            {&AppDelegate::ShowAllVideosBtnAction, 1, u"showvideosbtn"_s, u"showvideoblackbtn"_s, 84},
            {&AppDelegate::ShowAllDocumentsBtnAction, 1, u"showdocumentsbtn"_s, u"showdocumentsblackbtn"_s, 108},
            {&AppDelegate::ShowAllOthersBtnAction, 1, u"otherbtn"_s, u"showotherblackbtn"_s, 72},
            {&AppDelegate::ShowAllArchiveBtnAction, 1, u"archivebtn"_s, u"showarchiveblackbtn"_s, 84},
            {&AppDelegate::ShowAllAudiosBtnAction, 1, u"showaudiosbtn"_s, u"showaudioblackbtn"_s, 136},
        };
        for (const auto &[action, count, light, dark, width] : kinds) {
            (app.*action)();
            QCOMPARE(shown->rowCount(), count);
            for (const QString &style : {u"Dark"_s, QString()}) {
                run.desktop.style = style;
                app.BMakeModeTimer_hander();
                QCOMPARE(app.showFilesImageName(), (style.isEmpty() ? light : dark) + u".png"_s);
            }
            checkImages(light, dark, QSize(width, 24));
        }
        app.ChangetoIconViewModeAction();
        QCOMPARE(shown->items(), app.lists.filesItemArray);
        QTest::mousePress(app.window->showFilesButton, Qt::LeftButton);
        QTRY_VERIFY(app.window->showFilesMenu->isVisible());
        app.window->showFilesMenu->close();

        app.ChangetoListViewModeAction();
        app.ShowAllImagesBtnAction();
        const ItemList images = app.lists.imageFilesItemArray; // name and size orders differ: a sort would show
        QHeaderView *header = app.window->fileListTableview->horizontalHeader();
        for (int click = 0; click < 2; ++click) { // the same order each time
            header->sectionClicked(ShownListModel::SizeColumn);
            QCOMPARE(shown->rowCount(), 7);
            QCOMPARE(shown->itemAt(0)->fileName(), u"d.mp3"_s);
            QCOMPARE(shown->itemAt(6)->fileName(), u"0.png"_s);
        }
        QCOMPARE(app.showFilesImageName(), u"showimagesbtn.png"_s);
        QCOMPARE(app.lists.imageFilesItemArray, images);
        header->sectionClicked(ShownListModel::NameColumn);
        QCOMPARE(app.lists.filesItemArray.first()->fileName(), u"0.png"_s);
        QCOMPARE(app.lists.imageFilesItemArray, images);
    }

    // Cleared during a scan: nothing of it arrives later. Sorted during a scan: every file once, all shown.
    void clearOrSortDuringAScan()
    {
        Launched run;
        for (int d = 0; d < 20; ++d)
            makeFiles(run.tree, "big/d" + QByteArray::number(d), 100);
        makeFiles(run.tree, "small", 2);
        AppDelegate &app = run.launch();
        QAbstractItemModelTester tester(app.FileListController, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy appended(app.scanner(), &FolderScanner::filesAppended);
        QSignalSpy finished(&app, &AppDelegate::scanFinished);
        app.openFoldersAsDrop({fromNativePath(run.tree.path("big"))});
        QVERIFY(appended.wait(30000));
        app.ClearCurrentFilesandFolderAction();
        QVERIFY(app.lists.filesItemArray.isEmpty() && app.FileListController->rowCount() == 0 && !app.scanner()->isScanning());
        app.startScanCurrentFolder(fromNativePath(run.tree.path("small")));
        QVERIFY(finished.wait(30000));
        QCOMPARE(app.FileListController->items().size(), 2);

        connect(app.scanner(), &FolderScanner::filesAppended, &app, &AppDelegate::SortFileinFolderByNameAction,
                Qt::SingleShotConnection);
        app.openFoldersAsDrop({fromNativePath(run.tree.path("big"))});
        QVERIFY(finished.wait(30000));
        const ItemList &files = app.lists.filesItemArray;
        QCOMPARE(files.size(), 2000);
        QCOMPARE(QSet<IKImageItemRef>(files.cbegin(), files.cend()).size(), 2000);
        QCOMPARE(app.FileListController->items(), app.lists.filesItemArray);
    }

    void previewAndOpenFollowTheSelection()
    {
        Launched run;
        makeFiles(run.tree, "main", 4);
        run.tree.file("main/sub/x.txt");
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({run.tree.path("main")}));
        QSignalSpy previewed(&app, &AppDelegate::previewed);
        ShownListModel *shown = app.FileListController;
        run.grid()->select(shown->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(previewed.last().first().toInt(), 0); // several selected: the lowest index is previewed
        app.imageBrowserCellWasDoubleClickedAtIndex(3);
        QCOMPARE(run.desktop.opened, QByteArrayList{shown->itemAt(0)->nativeFilePath()});

        app.ChangetoListViewModeAction();
        QItemSelectionModel *table = app.window->fileListTableview->selectionModel();
        app.DoubleClickTableViewBookMarkAction(); // nothing selected: nothing opens
        QCOMPARE(run.desktop.opened.size(), 1);
        table->setCurrentIndex(shown->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        table->setCurrentIndex(shown->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(previewed.last().first().toInt(), 2); // the row selected last
        app.DoubleClickTableViewBookMarkAction();
        QCOMPARE(run.desktop.opened.last(), shown->itemAt(2)->nativeFilePath());
        app.ShowFilesinFinderAction();
        QCOMPARE(run.desktop.revealed, (QByteArrayList{shown->itemAt(1)->nativeFilePath(), shown->itemAt(2)->nativeFilePath()}));

        // A folder item opens the folder itself, never the icon it is drawn with.
        app.ChangetoFolderViewModeAction();
        run.select(run.grid(), [](const IKImageItem &item) { return item.bDir(); });
        app.imageBrowserCellWasDoubleClickedAtIndex(0);
        QCOMPARE(run.desktop.opened.last(), run.tree.path("main/sub"));
    }

    // Dragged or copied, the selected files leave as file URIs with their exact bytes (a name that is not
    // UTF-8 too), a folder item as its folder; the table offers each row once, whatever its columns.
    void filesLeaveAsTheirBytes_data()
    {
        QTest::addColumn<int>("mode"); // 0 icons, 1 list, 2 folders
        QTest::addColumn<QByteArray>("picked");
        QTest::addColumn<QByteArray>("uriTail");
        QTest::newRow("grid, a name not UTF-8") << 0 << QByteArray("r\xe9sum\xe9 100%.jpg") << QByteArray("/M/r%E9sum%E9%20100%25.jpg");
        QTest::newRow("table, a name not UTF-8") << 1 << QByteArray("r\xe9sum\xe9 100%.jpg") << QByteArray("/M/r%E9sum%E9%20100%25.jpg");
        QTest::newRow("folder item, its folder") << 2 << QByteArray("sub #1") << QByteArray("/M/sub%20%231");
    }

    void filesLeaveAsTheirBytes()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, picked);
        QFETCH(QByteArray, uriTail);
        Launched run;
        run.tree.file("M/r\xe9sum\xe9 100%.jpg", 2);
        run.tree.file("M/plain.txt", 2);
        run.tree.file("M/sub #1/x.txt", 2);
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({run.tree.path("M")}));
        void (AppDelegate::*const modes[])() = {&AppDelegate::ChangetoIconViewModeAction,
                                                &AppDelegate::ChangetoListViewModeAction,
                                                &AppDelegate::ChangetoFolderViewModeAction};
        (app.*modes[mode])();
        QAbstractItemView *view = mode == 1 ? static_cast<QAbstractItemView *>(app.window->fileListTableview)
                                            : app.window->fodlerfileBroswerView;
        run.select(view->selectionModel(), [&](const IKImageItem &item) { return item.nativeFileName() == picked; });
        const QByteArray path = run.tree.path(QByteArray("M/" + picked));
        const QByteArray uri = "file://" + run.tree.path("M").chopped(2) + uriTail;
        QVERIFY(!uri.contains(' ') && uri.startsWith("file:///"));

        // The drag: what the view hands to Qt for its selected indexes (every column of a table row).
        std::unique_ptr<QMimeData> drag(app.FileListController->mimeData(view->selectionModel()->selectedIndexes()));
        QVERIFY(drag && view->dragEnabled());
        QCOMPARE(drag->data(u"text/uri-list"_s), uri + "\r\n");
        QCOMPARE(drag->urls().size(), 1); // the grid's own drop check reads it as one local file

        run.menuAction(QKeySequence::Copy)->trigger();
        const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(copied->data(u"text/uri-list"_s), uri + "\r\n");
        QCOMPARE(copied->data(u"x-special/gnome-copied-files"_s), "copy\n" + uri);
        QCOMPARE(copied->text(), displayPath(fromNativePath(path)));
        QGuiApplication::clipboard()->clear();
        run.menuAction(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C))->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), displayPath(fromNativePath(path)));
    }

    // The preview's name and place follow the previewed item when a batch of the program moves or renames it.
    void previewLabelsFollowTheItem_data()
    {
        QTest::addColumn<bool>("listMode");
        QTest::addColumn<bool>("rename"); // else: up one level
        QTest::newRow("rename in list mode") << true << true;
        QTest::newRow("rename in the grid") << false << true;
        QTest::newRow("move in list mode") << true << false;
        QTest::newRow("move in the grid") << false << false;
    }

    void previewLabelsFollowTheItem()
    {
        QFETCH(bool, listMode);
        QFETCH(bool, rename);
        Launched run;
        run.tree.file("M/A/B/IMG_a.txt", 2);
        run.tree.file("M/A/B/IMG_b.txt", 2);
        run.tree.file("M/A/IMG_a.txt", 2); // a's name is taken above: only b moves up
        run.settings.setValue(u"ShowBatchPreview"_s, false);
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({run.tree.path("M")}));
        app.SortFileinFolderByNameAction();
        if (listMode)
            app.ChangetoListViewModeAction();
        QAbstractItemView *view = listMode ? static_cast<QAbstractItemView *>(app.window->fileListTableview)
                                           : app.window->fodlerfileBroswerView;
        QSignalSpy previewed(&app, &AppDelegate::previewed);
        ShownListModel *shown = app.FileListController;
        // b is previewed: selected alone in the grid (which previews the lowest row), last in the table.
        int b = -1, a = -1;
        for (int r = 0; r < shown->rowCount(); ++r) {
            if (shown->itemAt(r)->nativeFilePath().endsWith("B/IMG_b.txt"))
                b = r;
            else if (shown->itemAt(r)->nativeFilePath().endsWith("B/IMG_a.txt"))
                a = r;
        }
        for (int r : listMode ? QList<int>{a, b} : QList<int>{b})
            view->selectionModel()->setCurrentIndex(shown->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(previewed.last().first().toInt(), b);
        QSignalSpy finished(&app, &AppDelegate::batchFinished);
        if (rename) {
            app.RenameFolderAction();
            app.renameSheet->renameTypeBtn->setCurrentIndex(2);
            app.ChangeRenameTypeAction();
            app.renameSheet->renameActBtn->setCurrentIndex(2);
            app.ChangeTextTypeAction();
            app.renameSheet->replaceStrText->setText(u"IMG_b"_s);
            app.renameSheet->replaceWithStrLabText->setText(u"Photo"_s);
            app.renameSheet->renameButton->click();
        } else {
            app.MoveToleve2ParentFolderAction();
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        const QByteArray now = run.tree.path(rename ? "M/A/B/Photo.txt" : "M/A/IMG_b.txt");
        QVERIFY(exists(now));
        QCOMPARE(app.window->previewPane->previewFileNamelab()->text(), QString::fromUtf8(lastPathComponent(now)));
        QCOMPARE(app.window->previewPane->previewFilePathlab()->text(), u"Where: "_s + QString::fromUtf8(now));
    }

    // Trashing takes the selection of what is shown, and journals it.
    void trashTakesTheVisibleSelectionJournaled()
    {
        Launched run; // the files lie in the temporary home: its own Trash
        const QByteArray first = run.tree.file("main/1-doc.txt", 1), image1 = run.tree.file("main/2-pic.jpg", 1),
                         odd = run.tree.file("main/4 r\xe9sum\xe9 100%.jpg", 1);
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({run.tree.path("main")}));
        app.SortFileinFolderByNameAction();
        // Icon mode under the image filter: the second image is the second row of what is shown; a selection
        // left in the hidden table does not count.
        app.ShowAllImagesBtnAction();
        run.grid()->select(app.FileListController->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        app.window->fileListTableview->selectionModel()->select(app.FileListController->index(0, 0),
                                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(app.window->fodlerfileBroswerView, Qt::Key_Delete);
        QCOMPARE(run.desktop.trashed, QByteArrayList{odd});
        QVERIFY(exists(image1) && !exists(odd));
        QVERIFY(app.statusText().startsWith(u"1 file moved to the Trash"_s));

        // List mode: the table's rows, in ascending order; a file already gone fails without stopping the loop.
        app.ChangetoListViewModeAction();
        QItemSelectionModel *table = app.window->fileListTableview->selectionModel();
        run.select(table, [&](const IKImageItem &item) { return item.nativeFilePath() != image1; });
        app.MoveFilesToTrashAction();
        QCOMPARE(run.desktop.trashed, (QByteArrayList{odd, first, odd}));
        QVERIFY(!exists(first) && app.statusText().startsWith(u"1 file moved to the Trash, 1 could not be moved"_s));
        QCOMPARE(app.lists.filesItemArray.size(), 3); // trashed items stay listed
        // Each trashing is journaled: the intention, then the outcome.
        QDir journals(run.home().dataHome() + u"/Vellumry/journal"_s);
        QByteArray lines;
        for (const QString &name : journals.entryList(QDir::Files)) {
            QFile journal(journals.filePath(name));
            QVERIFY(journal.open(QIODevice::ReadOnly));
            lines += journal.readAll();
        }
        for (const char *line : {"\tintent\ttrash\t", "\tdone\ttrash\t", "\tfailed\ttrash\t"})
            QVERIFY2(lines.contains(line), line);
    }

    // What is refused says why in the status line, starts nothing and moves nothing; the home folder, however
    // it is spelled, is neither filled nor classified.
    void refusals_data()
    {
        QTest::addColumn<bool>("scanning");
        QTest::addColumn<QByteArray>("folder"); // the main folder below the tree; empty: none
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("said"); // %1: the main folder
        const QString home = u"%1: the home folder  ·  "_s;
        QTest::newRow("move during a scan") << true << QByteArray("big") << 0 << u"Wait until the scan is over"_s;
        QTest::newRow("classify during a scan") << true << QByteArray("big") << 2 << u"Wait until the scan is over"_s;
        QTest::newRow("into no main folder") << false << QByteArray() << 1 << u"No main folder yet"_s;
        QTest::newRow("classify no main folder") << false << QByteArray() << 2 << u"No main folder to classify"_s;
        QTest::newRow("rename nothing selected") << false << QByteArray("big") << 3 << u"Select the files to rename first"_s;
        QTest::newRow("into the home") << false << QByteArray("big/../..") << 1 << u"Cannot move into "_s + home;
        QTest::newRow("classify the home") << false << QByteArray("big/../..") << 4 << u"Cannot classify "_s + home;
    }

    void refusals()
    {
        QFETCH(bool, scanning);
        QFETCH(QByteArray, folder);
        QFETCH(int, action);
        QFETCH(QString, said);
        Launched run;
        for (int d = 0; d < (scanning ? 30 : 1); ++d)
            makeFiles(run.tree, "big/d" + QByteArray::number(d), 100);
        const TreeBuilder::Snapshot before = run.tree.snapshot();
        AppDelegate &app = run.launch();
        QSignalSpy finished(&app, &AppDelegate::scanFinished);
        app.openFoldersAsDrop({fromNativePath(run.tree.path("big"))});
        QVERIFY(app.scanner()->isScanning()); // from the request on, until the scan is over
        if (!scanning)
            QVERIFY(finished.wait(30000));
        app.currentSelectFolder = folder.isEmpty() ? QString() : fromNativePath(run.tree.path(folder));
        if (action == 3)
            run.grid()->clearSelection();
        else
            app.window->fodlerfileBroswerView->selectAll();
        using A = AppDelegate;
        void (A::*const actions[])() = {&A::MoveToleve2ParentFolderAction, &A::MoveToRootFolderAction, &A::ClassfyFolderAction,
                                        &A::RenameFolderAction, &A::ClassifyFolderHandle};
        (app.*actions[action])();
        if (said.contains(u"%1"_s))
            said = said.arg(app.currentSelectFolder);
        QVERIFY2(app.statusText().startsWith(said), qPrintable(app.statusText()));
        QVERIFY(!app.isBatchRunning() && !app.classifySheet->isVisible() && !app.renameSheet->isVisible());
        app.stopScanAction();
        QCOMPARE(run.tree.snapshot(), before);
    }

    // Each batch as the user starts it, on the selection shown: the files where they should be, every listed
    // item pointing at its file, the summary, and what the desktop shows afterwards. With the preview, the
    // steps it shows as carried out are exactly those the run journals, and "Show only problems" keeps the
    // skipped ones; without it, the batch runs at once.
    void batches_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<int>("batch");
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<QByteArrayList>("after");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QByteArray>("shown"); // the folder opened, or (rename) the start of the file revealed
        QTest::newRow("up one level, no preview")
            << false << 0 << QByteArrayList{"A/B/f.txt", "A/B/g.txt", "A/g.txt"}
            << QByteArrayList{"A/B/g.txt", "A/f.txt", "A/g.txt", "late/unlisted.txt"}
            << u"1 moved, 1 skipped: name taken"_s << QByteArray();
        QTest::newRow("up one level, a name taken")
            << true << 0 << QByteArrayList{"A/B/f.txt", "A/B/g.txt", "A/g.txt"}
            << QByteArrayList{"A/B/g.txt", "A/f.txt", "A/g.txt", "late/unlisted.txt"}
            << u"1 moved, 1 skipped: name taken"_s << QByteArray();
        QTest::newRow("rename the shown images")
            << true << 1 << QByteArrayList{"Trip/IMG_IMG.jpg", "Trip/notes.txt", "Trip/IMG.png"}
            << QByteArrayList{"Trip/Photo.png", "Trip/Photo_Photo.jpg", "Trip/notes.txt", "late/unlisted.txt"} << u"2 renamed"_s
            << QByteArray("Trip/Photo");
        QTest::newRow("classify by kind, a late folder kept")
            << true << 2 << QByteArrayList{"a/x.jpg", "a/b/y.mp3", "z.pdf"}
            << QByteArrayList{"Audio& Music/y.mp3", "Document/z.pdf", "Image/x.jpg", "late/unlisted.txt"}
            << u"3 moved · 1 empty folder removed, kept: late"_s << QByteArray();
    }

    void batches()
    {
        QFETCH(bool, preview);
        QFETCH(int, batch);
        QFETCH(QByteArrayList, files);
        QFETCH(QByteArrayList, after);
        QFETCH(QString, summary);
        QFETCH(QByteArray, shown);
        Launched run;
        for (const QByteArray &file : files)
            run.tree.file(QByteArray("M/" + file), 3);
        if (!preview)
            run.settings.setValue(u"ShowBatchPreview"_s, false);
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({run.tree.path("M")}));
        run.tree.file("M/late/unlisted.txt", 6); // appears after the scan: never moved, so its folder stays
        QSignalSpy finished(&app, &AppDelegate::batchFinished);
        if (batch == 0) {
            run.select(run.grid(), [](const IKImageItem &item) { return item.nativeFilePath().contains("/B/"); });
            app.MoveToleve2ParentFolderAction();
        } else if (batch == 1) {
            app.ShowAllImagesBtnAction(); // the filter decides which items the rows are
            app.window->fodlerfileBroswerView->selectAll();
            app.RenameFolderAction();
            QVERIFY(app.renameSheet->isVisible());
            app.renameSheet->renameTypeBtn->setCurrentIndex(2);
            app.ChangeRenameTypeAction();
            app.renameSheet->renameActBtn->setCurrentIndex(2);
            app.ChangeTextTypeAction();
            QVERIFY(app.renameSheet->replaceStrText->isVisible() && !app.renameSheet->addTextField->isVisible());
            app.renameSheet->replaceStrText->setText(u"IMG"_s);
            app.renameSheet->replaceWithStrLabText->setText(u"Photo"_s);
            const auto liveNames = [&app] { // the sheet's own preview follows the texts typed
                QStringList names;
                for (int r = 0; r < app.renameSheet->previewModel->rowCount(); ++r)
                    names.append(app.renameSheet->previewModel->index(r, PlanPreviewModel::NewNameColumn).data().toString());
                names.sort();
                return names;
            };
            QTRY_COMPARE(liveNames(), (QStringList{u"Photo.png"_s, u"Photo_Photo.jpg"_s}));
            app.renameSheet->renameButton->click();
        } else {
            app.ClassfyFolderAction();
            QVERIFY(app.classifySheet->isVisible() && app.classifySheet->selectClassfiyTypeButton->isChecked());
            app.classifySheet->classifyButton->click();
        }
        QVERIFY(!app.renameSheet->isVisible() && !app.classifySheet->isVisible());
        QByteArrayList shownMoves;
        if (preview) {
            QTRY_VERIFY_WITH_TIMEOUT(app.previewSheet->isVisible(), 30000);
            QCOMPARE(finished.size(), 0);
            const PlanPreviewModel &model = *app.previewSheet->model;
            for (const StepPreview &step : model.steps())
                if (!step.skipped)
                    shownMoves.append(step.step.source + " -> " + step.step.target);
            app.previewSheet->problemsOnlyBox->click();
            QCOMPARE(app.previewSheet->filter->rowCount(), model.skippedCount());
            for (int r = 0; r < app.previewSheet->filter->rowCount(); ++r)
                QVERIFY(app.previewSheet->filter->index(r, 0).data(PlanPreviewModel::ProblemRole).toBool());
            app.previewSheet->runButton->click();
            QVERIFY(!app.previewSheet->isVisible());
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000); // also when it ends in the progress dialog's own loop
        QVERIFY(!app.previewSheet->isVisible());
        if (preview)
            QCOMPARE(journaledMoves(run.home().dataHome()), shownMoves);
        QByteArrayList found;
        for (const auto &[path, entry] : run.tree.snapshot().asKeyValueRange())
            if (entry.type == 'f')
                found.append(path.mid(2));
        QCOMPARE(found, after);
        for (const IKImageItemRef &item : app.lists.filesItemArray)
            QVERIFY2(exists(item->nativeFilePath()), item->nativeFilePath().constData());
        QVERIFY2(app.statusText().startsWith(summary), qPrintable(app.statusText()));
        if (shown.isEmpty())
            QCOMPARE(run.desktop.opened, QByteArrayList{run.tree.path("M")});
        else
            QVERIFY(run.desktop.revealed.size() == 1 && run.desktop.revealed[0].startsWith(run.tree.path(QByteArray("M/" + shown))));
    }

    // Another program creates, deletes, renames and grows files after the scan: every list, the selection,
    // the preview and the status line follow within a few seconds; a batch's own moves are not added again.
    void followsTheDiskLive()
    {
        Launched run;
        run.tree.file("M/a.txt", 5);
        run.tree.file("M/b.png", 7);
        run.tree.file("M/c.txt", 9);
        run.tree.file("M/sub/d.txt", 11);
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({run.tree.path("M")}));
        const auto names = [&app](const ItemList &list) {
            QStringList found;
            for (const IKImageItemRef &item : list)
                found.append(QFile::decodeName(item->nativeFilePath()).section(u'/', -1));
            found.sort();
            return found;
        };
        const auto outside = [&run](const char *script) {
            QProcess shell;
            shell.setWorkingDirectory(QFile::decodeName(run.tree.path("M")));
            shell.start(u"/bin/sh"_s, {u"-c"_s, QString::fromLatin1(script)});
            return shell.waitForFinished() && shell.exitCode() == 0;
        };
        QLabel *previewName = app.window->previewPane->previewFileNamelab();
        run.select(run.grid(), [](const IKImageItem &item) { return item.nativeFilePath().endsWith("/a.txt"); });
        QCOMPARE(previewName->text(), u"a.txt"_s);
        QVERIFY(outside("rm a.txt && printf 1234567890 >> sub/d.txt && printf x > new.png && mkdir -p sub/e && printf y > sub/e/f.txt"));
        const QStringList after{u"b.png"_s, u"c.txt"_s, u"d.txt"_s, u"f.txt"_s, u"new.png"_s};
        QTRY_COMPARE_WITH_TIMEOUT(names(app.FileListController->items()), after, 5000);
        QCOMPARE(names(app.lists.filesItemArray), after);
        QCOMPARE(names(app.lists.imageFilesItemArray), (QStringList{u"b.png"_s, u"new.png"_s}));
        QVERIFY(run.grid()->selectedRows().isEmpty());
        QVERIFY(previewName->text().isEmpty());
        QVERIFY2(app.statusText().startsWith(QLocale().toString(5) + u' '), qPrintable(app.statusText()));
        for (const IKImageItemRef &item : app.lists.filesItemArray)
            QVERIFY(!item->nativeFilePath().endsWith("/d.txt") || item->filesizenum() == 21);

        run.select(run.grid(), [](const IKImageItem &item) { return item.nativeFilePath().endsWith("/c.txt"); });
        QVERIFY(outside("mv c.txt g.txt"));
        QTRY_COMPARE_WITH_TIMEOUT(previewName->text(), u"g.txt"_s, 5000);
        QCOMPARE(names(app.lists.filesItemArray), (QStringList{u"b.png"_s, u"d.txt"_s, u"f.txt"_s, u"g.txt"_s, u"new.png"_s}));

        // The program's own batch: sub's files move up a level; the watcher's burst adds nothing twice.
        QSignalSpy finished(&app, &AppDelegate::batchFinished);
        run.settings.setValue(u"ShowBatchPreview"_s, false);
        run.select(run.grid(), [](const IKImageItem &item) { return item.nativeFilePath().endsWith("/d.txt"); });
        app.MoveToleve2ParentFolderAction();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QTest::qWait(1000); // the burst of the batch's own moves is handed over
        QCOMPARE(app.lists.filesItemArray.size(), 5);
        QCOMPARE(app.FileListController->rowCount(), 5);
    }

    // Cancel in the preview moves nothing, writes no journal and leaves no batch behind: the next one starts.
    void previewCancelTouchesNothing()
    {
        Launched run;
        for (const char *file : {"M/a/x.jpg", "M/b/y.pdf"})
            run.tree.file(file, 3);
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({run.tree.path("M")}));
        const TreeBuilder::Snapshot before = run.tree.snapshot();
        const QString status = app.statusText();
        QSignalSpy finished(&app, &AppDelegate::batchFinished);
        app.ClassfyFolderAction();
        app.classifySheet->classifyButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(app.previewSheet->isVisible(), 30000);
        QCOMPARE(app.previewSheet->model->rowCount(), 4); // two moves, the two emptied folders
        app.previewSheet->cancelButton->click();
        QTest::qWait(50);
        QVERIFY(!app.previewSheet->isVisible() && !app.isBatchRunning());
        QCOMPARE(finished.size(), 0);
        QCOMPARE(app.statusText(), status);
        QCOMPARE(run.tree.snapshot(), before);
        QVERIFY(QDir(run.home().dataHome() + u"/Vellumry/journal"_s).entryList(QDir::Files).isEmpty());
        app.ClassfyFolderAction();
        QVERIFY(app.classifySheet->isVisible());
    }

    // Edit > Undo after a classification, through the preview: the tree exactly as before (the emptied
    // folders made again, the kind folders gone), the main folder read again, both batches in History.
    // With nothing to undo, Undo is disabled and refused.
    void undoAndHistory()
    {
        Launched run;
        for (const char *file : {"M/a/x.jpg", "M/a/b/y.mp3", "M/z.pdf"})
            run.tree.file(file, 3);
        AppDelegate &app = run.launch();
        QAction *undo = run.menuAction(QKeySequence(Qt::CTRL | Qt::Key_Z));
        QVERIFY(undo && !undo->isEnabled());
        app.UndoLastBatchAction();
        QVERIFY2(app.statusText().startsWith(u"Nothing to undo"_s), qPrintable(app.statusText()));
        QVERIFY(run.dropAndWait({run.tree.path("M")}));
        const TreeBuilder::Snapshot before = run.tree.snapshot();
        QSignalSpy finished(&app, &AppDelegate::batchFinished);
        app.ClassfyFolderAction();
        app.classifySheet->classifyButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(app.previewSheet->isVisible(), 30000);
        app.previewSheet->runButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QVERIFY(run.tree.snapshot() != before);
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), u"&Undo Classify"_s);

        QSignalSpy rescanned(&app, &AppDelegate::scanFinished);
        undo->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(app.previewSheet->isVisible(), 30000);
        QCOMPARE(app.previewSheet->countsLabel->text(), u"3 to move back, 2 folders to make again, 3 folders to remove when empty"_s);
        app.previewSheet->runButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 30000);
        QCOMPARE(run.tree.snapshot(), before);
        QTRY_VERIFY_WITH_TIMEOUT(!rescanned.isEmpty(), 30000);
        QCOMPARE(app.lists.filesItemArray.size(), 3);
        for (const IKImageItemRef &item : app.lists.filesItemArray)
            QVERIFY2(exists(item->nativeFilePath()), item->nativeFilePath().constData());
        QVERIFY2(app.statusText().startsWith(u"3 moved back  ·  3 files"_s), qPrintable(app.statusText()));
        QCOMPARE(undo->text(), u"&Undo Undo Classify"_s); // an undo is a batch: it can be undone in turn

        app.ShowHistoryAction();
        const HistoryModel &history = *app.historyWindow->model;
        QStringList rows;
        for (int r = 0; r < history.rowCount(); ++r)
            rows.append(history.index(r, HistoryModel::WhatColumn).data().toString() + u'|' +
                        history.index(r, HistoryModel::FilesColumn).data().toString() + u'|' +
                        history.index(r, HistoryModel::StateColumn).data().toString());
        QCOMPARE(rows, (QStringList{u"Undo Classify|3|Done"_s, u"Classify|3|Undone"_s}));
        app.historyWindow->table->selectRow(1);
        QVERIFY(!app.historyWindow->undoButton->isEnabled());
        app.historyWindow->table->selectRow(0);
        QVERIFY(app.historyWindow->undoButton->isEnabled());
    }

    // While a batch runs nothing rescans or empties the lists, and no second batch starts; quitting then
    // stops it between two files, with every file still below the main folder.
    void quittingDuringAClassificationLosesNothing()
    {
        Launched run;
        for (int d = 0; d < 30; ++d)
            makeFiles(run.tree, "M/d" + QByteArray::number(d), 100);
        const QList<QByteArray> before = TreeBuilder::fileChecksums(run.tree.snapshot());
        AppDelegate &app = run.launch();
        QVERIFY(run.dropAndWait({run.tree.path("M")}));
        app.ClassfyFolderAction();
        app.classifySheet->classifyButton->click();
        QVERIFY(app.isBatchRunning());
        if (app.showsBatchPreview()) { // the moves start once the preview's Run is pressed
            QTRY_VERIFY_WITH_TIMEOUT(app.previewSheet->isVisible(), 30000);
            app.previewSheet->runButton->click();
        }
        app.ClearCurrentFilesandFolderAction();
        QVERIFY(app.statusText().startsWith(u"Wait until the batch is over"_s));
        QCOMPARE(app.lists.filesItemArray.size(), 3000);
        run.menuAction(QKeySequence::Open)->trigger(); // refused before anything is emptied
        QVERIFY(app.statusText().startsWith(u"Wait until the batch is over"_s) && app.openHomePanel.isNull());
        QCOMPARE(app.lists.filesItemArray.size(), 3000);
        QCOMPARE(app.FileListController->rowCount(), 3000);
        app.MoveToRootFolderAction();
        QVERIFY(app.statusText().startsWith(u"Another batch is still running"_s));
        run.app.reset(); // the program quits with the batch under way
        backgroundPool()->waitForDone();
        QCOMPARE(TreeBuilder::fileChecksums(run.tree.snapshot()), before);
    }

    // Preferences and About: from the menu, one window each, keeping its place; the preferences read what is
    // stored each time they open and save what is set; F1 and About's button show the shipped pages, and a
    // refusal is said.
    void preferencesAboutAndPages()
    {
        Launched run;
        run.settings.setValue(u"BAutoLogin"_s, u"YES"_s);
        run.settings.synchronize();
        AppDelegate &app = run.launch();
        PreferencesWindow *window = app.perfereceWindow;
        QAction *preferences = run.menuAction(QKeySequence(u"Ctrl+,"_s));
        const std::pair<QWidget *, std::function<void()>> companions[] = {
            {window, [&] { preferences->trigger(); }}, {app.aboutWindow, [&] { app.ClickShowAboutWindow(); }}};
        for (const auto &[companion, show] : companions) {
            show();
            QVERIFY(QTest::qWaitForWindowExposed(companion));
            const QPoint moved = companion->pos() + QPoint(37, 23);
            companion->move(moved);
            show();
            companion->close();
            show();
            QCOMPARE(companion->pos(), moved);
        }
        QVERIFY(window->autoLunchBtn->isChecked());
        const LoginItems items(LoginItems::runningExecutable());
        for (const QString &stored : {u"NO"_s, u"YES"_s}) { // untick: the entry goes, "NO" is on disk; and back
            window->autoLunchBtn->click();
            QCOMPARE(items.isEnabled(), stored == u"YES"_s);
            QCOMPARE(run.stored(u"BAutoLogin"_s), stored);
        }
        window->usedCountlab->setText(u"12 apps"_s);
        window->closeButton->click();
        QCOMPARE(run.stored(u"usedNum"_s), u"12 apps"_s);
        QCOMPARE(app.getUsedAppCountSetting(), 12);
        run.settings.setValue(u"BAutoLogin"_s, u"NO"_s);
        run.settings.synchronize();
        app.ClickShowPereferenceWindow();
        QVERIFY(!window->autoLunchBtn->isChecked());
        window->close();
        QVERIFY(!items.isEnabled());

        run.menuAction(QKeySequence(Qt::Key_F1))->trigger();
        app.aboutWindow->productPageButton->click();
        QCOMPARE(run.desktop.urls.size(), 2);
        const QUrl product = QUrl::fromEncoded(run.desktop.urls[1]);
        QCOMPARE(QUrl::fromEncoded(run.desktop.urls[0]).fileName(), u"support.html"_s);
        QVERIFY2(product.fileName() == u"Vellumry.html"_s && QFileInfo(product.toLocalFile()).isFile(),
                 run.desktop.urls[1].constData());
        run.desktop.succeed = false;
        app.Gethelp();
        QVERIFY(app.statusText().startsWith(u"No web browser could open"_s));

        // The box's threshold: the leading number of the field as typed.
        constexpr int max = std::numeric_limits<int>::max(), min = std::numeric_limits<int>::min();
        const std::pair<QString, int> thresholds[] = {{QString(), 0}, {u"  12x"_s, 12}, {u"-3"_s, -3}, {u"- 5"_s, 0},
                                                      {u"2147483648"_s, max}, {u"-99999999999"_s, min}, {u"\u0663"_s, 0}};
        for (const auto &[text, expected] : thresholds) {
            window->usedCountlab->setText(text);
            QCOMPARE(app.getUsedAppCountSetting(), expected);
        }
    }

    // The named images are compiled in under the names the program asks for, at the sizes it lays out (the
    // show-files pictures are checked with their kinds above).
    void images()
    {
        const QSize feature(96, 32), picture(256, 256);
        const std::tuple<QString, QString, QSize> images[] = {
            {u"listviewbtn"_s, u"listviewblackbtn"_s, feature},   {u"iconviewbtn"_s, u"iconviewblackbtn"_s, feature},
            {u"whiterename"_s, u"renameblackbtn"_s, feature},     {u"whiteapps"_s, u"appsblackbtn"_s, feature},
            {u"whiteclassify"_s, u"classifyblackbtn"_s, feature}, {u"whitemove"_s, u"movetoblackbtn"_s, feature},
            {u"folderviewbtn"_s, u"folderviewblackbtn"_s, feature}, {u"whiteground"_s, u"blackground"_s, picture},
            {u"grayimage"_s, QString(), picture},                 {u"smartFolder"_s, QString(), picture},
            {u"fileimage"_s, QString(), picture},                 {u"vellumry"_s, QString(), picture}};
        for (const auto &[light, dark, size] : images)
            checkImages(light, dark, size);
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
