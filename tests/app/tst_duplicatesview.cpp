// The duplicates view driven as a user drives it: the groups in the table, the way back to the flat view,
// the selection of the copies, and their Trash taken back by Undo.
#include "app/LaunchedApp.h"
#include "app/MainWindow.h"
#include "model/TreeWatcher.h"
#include "reorganise/ui/PlanPreviewSheet.h"
#include "support/TreeBuilder.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/ShownListModel.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

// Three sets of copies below M, each member with its creation date; and files alike only in size.
//   a (9000 bytes, 18 KB wasted): k/deep/er/a.bin 200, m/a.bin 100, n/a.bin 300
//   b (5000 bytes, 10 KB wasted): k/deep/er/b.bin 50, n/b2.bin 55, nn/b3.bin 60
//   c (4000 bytes, 4 KB wasted):  m/c.bin 10, nn/c2.bin 10
struct Copies : LaunchedApp
{
    // The test program's one home (GIO's Trash is the first home's), a tree of its own for each test.
    inline static int made = 0;
    TreeBuilder tree{QFile::encodeName(QDir::homePath()) + "/work" + QByteArray::number(++made) + "/M"};
    QHash<QByteArray, qint64> dates;

    Copies() : LaunchedApp(true, true, false)
    {
        const std::tuple<const char *, qint64, QList<std::pair<QByteArray, qint64>>> sets[] = {
            {"k/deep/er/a.bin", 9000, {{"k/deep/er/a.bin", 200}, {"m/a.bin", 100}, {"n/a.bin", 300}}},
            {"k/deep/er/b.bin", 5000, {{"k/deep/er/b.bin", 50}, {"n/b2.bin", 55}, {"nn/b3.bin", 60}}},
            {"m/c.bin", 4000, {{"m/c.bin", 10}, {"nn/c2.bin", 10}}}};
        for (const auto &[first, size, members] : sets) {
            QFile source(QFile::decodeName(tree.file(first, size)));
            QVERIFY(source.open(QIODevice::ReadOnly));
            const QByteArray content = source.readAll();
            for (const auto &[rel, date] : members) {
                QFile copy(QFile::decodeName(tree.path(rel)));
                QVERIFY(QDir().mkpath(QFileInfo(copy).path()) && copy.open(QIODevice::WriteOnly) &&
                        copy.write(content) == size);
                dates.insert(rel, date);
            }
        }
        tree.file("m/same-size.bin", 9000); // alike in size only
        tree.file("n/alone.txt", 10);
    }
    AppDelegate &launchAndFind()
    {
        AppDelegate &app = launch();
        QSignalSpy scanned(&app, &AppDelegate::scanFinished);
        // The tree is followed from its scan on, and nothing changes in it after: the dates set below stay.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QFile::decodeName(tree.root()))});
        app.window->fodlerfileBroswerView->performDragOperation(&data);
        [&] { QVERIFY(scanned.wait(30000)); }();
        for (const IKImageItemRef &item : std::as_const(app.lists.filesItemArray))
            if (const QByteArray rel = item->nativeFilePath().mid(tree.root().size() + 1);
                dates.contains(rel))
                item->updateFromDisk(item->filesizenum(), dates.value(rel));
        QSignalSpy ended(app.duplicates(), &DuplicatesView::searchEnded);
        app.window->findDuplicatesAction->trigger(); // Ctrl+D
        [&] { QVERIFY(ended.wait(30000)); }();
        return app;
    }
    // The table's rows as "group rel" lines, and the selected ones.
    QStringList rows(bool selectedOnly = false) const
    {
        QStringList lines;
        const ShownListModel &model = *app->FileListController;
        for (int r = 0; r < model.rowCount(); ++r)
            if (!selectedOnly || app->window->fileListTableview->selectionModel()->isRowSelected(r, {}))
                lines.append(u"%1 %2"_s.arg(
                    model.index(r, ShownListModel::GroupColumn).data().toString(),
                    QString::fromUtf8(model.itemAt(r)->nativeFilePath().mid(tree.root().size() + 1))));
        return lines;
    }
};

} // namespace

class TestDuplicatesView : public QObject
{
    Q_OBJECT
    std::unique_ptr<TempHome> m_home;
private Q_SLOTS:
    void initTestCase() { m_home = std::make_unique<TempHome>(); }
    // The groups replace the flat view in the table, largest waste first, each group's rows together and in
    // path order, every other group shaded; the way back shows the flat view exactly as it was.
    void groupsAndTheWayBack()
    {
        Copies run;
        AppDelegate &shown = run.launchAndFind();
        QCOMPARE(run.rows(),
                 (QStringList{u"1 k/deep/er/a.bin"_s, u"1 m/a.bin"_s, u"1 n/a.bin"_s, u"2 k/deep/er/b.bin"_s,
                              u"2 n/b2.bin"_s, u"2 nn/b3.bin"_s, u"3 m/c.bin"_s, u"3 nn/c2.bin"_s}));
        QVERIFY(shown.isListMode());
        const ShownListModel &model = *shown.FileListController;
        QCOMPARE(model.headerData(ShownListModel::GroupColumn, Qt::Horizontal, Qt::DisplayRole).toString(),
                 u"Group"_s);
        QCOMPARE(
            shown.window->fileListTableview->horizontalHeader()->visualIndex(ShownListModel::GroupColumn), 0);
        for (int r = 0; r < model.rowCount(); ++r) // group 2 shaded, 1 and 3 not
            QCOMPARE(model.index(r, 0).data(Qt::BackgroundRole).isValid(),
                     model.index(r, 0).data(ShownListModel::GroupRole) == 2);
        QVERIFY2(shown.statusText() == u"3 groups, 8 files, 32.00 KB could be freed"_s,
                 qPrintable(shown.statusText()));
        QCOMPARE(shown.window->findDuplicatesAction->text(), u"Show &All Files"_s);

        // Leaving: the grid, its filter, order, selection as they were before; no group column.
        shown.window->findDuplicatesAction->trigger();
        shown.ChangetoIconViewModeAction();
        shown.SortFileinFolderBySizeAction();
        shown.window->filterField->setText(u".bin"_s);
        QItemSelectionModel *grid = shown.window->fodlerfileBroswerView->selectionModel();
        grid->select(model.index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const ItemList before = model.items();
        QSignalSpy ended(shown.duplicates(), &DuplicatesView::searchEnded);
        shown.FindDuplicatesAction();
        QVERIFY(ended.wait(30000) && shown.duplicates()->isShown() &&
                shown.window->filterField->text().isEmpty());
        QVERIFY(QTest::qWaitForWindowActive(shown.window));
        QTest::keyClick(shown.window, Qt::Key_Escape); // the bar's button, clicked as a shortcut clicks it
        QTRY_VERIFY(!shown.duplicates()->isShown());
        QVERIFY(!shown.isListMode());
        QCOMPARE(shown.window->filterField->text(), u".bin"_s);
        QCOMPARE(model.items(), before);
        QCOMPARE(model.columnCount(), int(ShownListModel::ColumnCount));
        QCOMPARE(grid->selectedRows().size(), 1);
        QCOMPARE(grid->selectedRows().first().row(), 2);
    }

    // Each rule keeps one file of each group and selects the others; ties go to the first by path; a group
    // with nothing inside the folder (nn is not n) is left alone.
    void selectCopies_data()
    {
        QTest::addColumn<DuplicatesView::Keep>("rule");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("oldest") << DuplicatesView::Keep::Oldest
                                << QStringList{u"1 k/deep/er/a.bin"_s, u"1 n/a.bin"_s, u"2 n/b2.bin"_s,
                                               u"2 nn/b3.bin"_s, u"3 nn/c2.bin"_s};
        QTest::newRow("newest") << DuplicatesView::Keep::Newest
                                << QStringList{u"1 k/deep/er/a.bin"_s, u"1 m/a.bin"_s, u"2 k/deep/er/b.bin"_s,
                                               u"2 n/b2.bin"_s, u"3 nn/c2.bin"_s};
        QTest::newRow("shortest path")
            << DuplicatesView::Keep::ShortestPath
            << QStringList{u"1 k/deep/er/a.bin"_s, u"1 n/a.bin"_s, u"2 k/deep/er/b.bin"_s, u"2 nn/b3.bin"_s,
                           u"3 nn/c2.bin"_s};
        QTest::newRow("in folder n") << DuplicatesView::Keep::InFolder
                                     << QStringList{u"1 k/deep/er/a.bin"_s, u"1 m/a.bin"_s,
                                                    u"2 k/deep/er/b.bin"_s, u"2 nn/b3.bin"_s};
    }
    void selectCopies()
    {
        QFETCH(DuplicatesView::Keep, rule);
        QFETCH(QStringList, selected);
        Copies run;
        AppDelegate &app = run.launchAndFind();
        app.SelectCopiesAction(rule, run.tree.path("n"));
        QCOMPARE(run.rows(true), selected);
    }

    // The copies selected go through the ordinary Move to Trash: they leave the groups, a group left with
    // one file leaves; Undo brings every file back, byte for byte.
    void trashOfTheCopiesUndone()
    {
        Copies run;
        AppDelegate &app = run.launchAndFind();
        const TreeBuilder::Snapshot before = run.tree.snapshot();
        app.SelectCopiesAction(DuplicatesView::Keep::InFolder, run.tree.path("n"));
        QSignalSpy finished(&app, &AppDelegate::batchFinished);
        const auto runThroughPreview = [&](int batches) {
            QTRY_VERIFY_WITH_TIMEOUT(finished.size() == batches || app.previewSheet->isVisible(), 30000);
            if (app.previewSheet->isVisible())
                app.previewSheet->runButton->click();
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), batches, 30000);
        };
        app.MoveFilesToTrashAction();
        runThroughPreview(1);
        QCOMPARE(run.rows(), (QStringList{u"1 m/c.bin"_s, u"1 nn/c2.bin"_s}));
        QVERIFY2(app.statusText().contains(u"1 group, 2 files, 4.00 KB could be freed"_s),
                 qPrintable(app.statusText()));
        QVERIFY(!QFile::exists(QFile::decodeName(run.tree.path("m/a.bin"))));
        app.UndoLastBatchAction();
        runThroughPreview(2);
        QCOMPARE(run.tree.snapshot(), before);
    }
};

QTEST_MAIN(TestDuplicatesView)
#include "tst_duplicatesview.moc"
