// Following scanned trees: another process changes a real tree, and the lists follow.
#include "model/FileLists.h"
#include "model/FolderScanner.h"
#include "model/ScanFolders.h"
#include "model/TreeWatcher.h"
#include "platform/NativePath.h"
#include "support/TempDir.h"
#include "support/TreeBuilder.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace vellumry;
using vellumry::test::TreeBuilder;
using namespace Qt::StringLiterals;

class TreeWatcherTest : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        test::TempDir temp;
        TreeBuilder tree{temp.path()};
        FileLists lists;
        TreeWatcher watcher;
        int batches = 0;
        QByteArray main() const { return tree.path("m"); }

        // Without `atListing`, the tree is scanned and then watched; with it, watched as a FolderScanner
        // lists it, and `atListing` runs in a shell just before the folder `listed` is listed.
        explicit Fixture(int maxWatches = 0, const QByteArray &listed = {}, const QString &atListing = {},
                         bool stopped = false)
        {
            tree.file("m/a.txt", 10);
            tree.file("m/sub/b.jpg", 3);
            tree.file("m/sub/deep/c.mp3", 4);
            tree.file("m/.hidden/h.txt", 1);
            tree.file("out/x.pdf", 5);
            tree.file("out/newdir/y.png", 7);
            if (maxWatches > 0)
                watcher.setMaxWatches(maxWatches);
            QObject::connect(&watcher, &TreeWatcher::changed, [this](const TreeChanges &changes) {
                ++batches;
                lists.applyTreeChanges(changes, {main()});
            });
            if (atListing.isEmpty()) {
                scanFolders(lists, {main()});
                watcher.watchTree(main());
                return;
            }
            FolderScanner scanner(lists);
            scanner.setListingHook([&](const QByteArray &scanned, const QByteArray &folder, bool) {
                watcher.addWatchForScan(scanned, folder);
                if (folder == tree.path(listed))
                    run(atListing, false); // after the watch, before the listing
            });
            QSignalSpy finished(&scanner, &FolderScanner::scanFinished);
            QObject::connect(&scanner, &FolderScanner::scanFinished, [this, stopped](const QString &path) {
                if (stopped)
                    watcher.dropUnfinishedScans(); // as if stopped before its items were all in
                else
                    watcher.scanDelivered(toNativePath(path));
            });
            scanner.startScanCurrentFolder(fromNativePath(main()));
            QVERIFY(finished.wait(10000));
            QCOMPARE(batches, 0); // nothing before the scan's items are in
        }
        void run(const QString &command, bool onThisThread = true) const
        {
            if (!onThisThread) { // a listing thread has no event loop for QProcess
                const QByteArray line = "cd '" + temp.path() + "' && " + command.toLocal8Bit();
                QCOMPARE(std::system(line.constData()), 0);
                return;
            }
            QProcess shell;
            shell.setWorkingDirectory(fromNativePath(temp.path()));
            shell.start(u"sh"_s, {u"-c"_s, command});
            QVERIFY(shell.waitForFinished(30000));
            QCOMPARE(shell.exitCode(), 0);
        }
        // Every file with its size and the first letter of the kind list holding it, then the top level.
        QByteArray state() const
        {
            QByteArrayList files, top;
            const std::pair<const ItemList *, char> kinds[] = {
                {&lists.imageFilesItemArray, 'i'}, {&lists.audioFilesItemArray, 'a'},
                {&lists.videoFilesItemArray, 'v'}, {&lists.documentFilesItemArray, 'd'},
                {&lists.archiveFilesItemArray, 'z'}, {&lists.otherFilesItemArray, 'o'}};
            for (const IKImageItemRef &item : lists.filesItemArray) {
                QByteArray text = item->nativeEntryPath().mid(temp.path().size() + 1) + '='
                                  + QByteArray::number(item->filesizenum());
                for (const auto &[list, letter] : kinds)
                    text += list->contains(item) ? QByteArray(1, letter) : QByteArray();
                files.append(text);
            }
            for (const IKImageItemRef &item : lists.currentViewItemArray)
                top.append(item->nativeFileName() + (item->bDir() ? "/" : ""));
            std::sort(files.begin(), files.end());
            std::sort(top.begin(), top.end());
            return files.join(' ') + " | " + top.join(' ');
        }
    };

private Q_SLOTS:
    void followsChanges_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray rest = "m/sub/b.jpg=3i m/sub/deep/c.mp3=4a";
        QTest::newRow("create") << u"echo hello > m/new.txt"_s
                                << "m/a.txt=10d m/new.txt=6d " + rest + " | a.txt new.txt sub/";
        QTest::newRow("delete") << u"rm m/sub/b.jpg"_s << QByteArray("m/a.txt=10d m/sub/deep/c.mp3=4a | a.txt sub/");
        QTest::newRow("size") << u"printf 12345 >> m/sub/b.jpg"_s
                              << QByteArray("m/a.txt=10d m/sub/b.jpg=8i m/sub/deep/c.mp3=4a | a.txt sub/");
        QTest::newRow("rename file") << u"mv m/a.txt m/sub/a.png"_s << "m/sub/a.png=10i " + rest + " | sub/";
        QTest::newRow("rename folder") << u"mv m/sub m/s2"_s
                                       << QByteArray("m/a.txt=10d m/s2/b.jpg=3i m/s2/deep/c.mp3=4a | a.txt s2/");
        QTest::newRow("file in") << u"mv out/x.pdf m/sub/deep/"_s
                                 << "m/a.txt=10d " + rest + " m/sub/deep/x.pdf=5d | a.txt sub/";
        QTest::newRow("folder in, then a file in it")
            << u"mv out/newdir m/ && sleep 0.5 && echo 1 > m/newdir/z.zip"_s
            << "m/a.txt=10d m/newdir/y.png=7i m/newdir/z.zip=2z " + rest + " | a.txt newdir/ sub/";
        QTest::newRow("folder out") << u"mv m/sub out/"_s << QByteArray("m/a.txt=10d | a.txt");
        QTest::newRow("hidden ignored") << u"echo 1 > m/.h.txt; echo 1 > m/.hidden/i.txt; echo 22 > m/v.mp4"_s
                                        << "m/a.txt=10d " + rest + " m/v.mp4=3v | a.txt sub/ v.mp4";
    }
    void followsChanges()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, expected);
        Fixture f;
        QTRY_COMPARE(f.watcher.watchCount(), 3);
        f.run(command);
        QTRY_COMPARE_WITH_TIMEOUT(f.state(), expected, 5000);
    }

    // Changes made while the tree is scanned: in the folder about to be listed (the scan lists it and
    // an event comes too), or in folders listed before (only an event tells).
    void followsChangesDuringTheScan_data()
    {
        QTest::addColumn<int>("maxWatches");
        QTest::addColumn<QByteArray>("listed");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("watches");
        QTest::addColumn<bool>("stopped");
        const QByteArray deep = "m/sub/deep", rest = "m/sub/b.jpg=3i m/sub/deep/c.mp3=4a";
        QTest::newRow("created where listed") << 0 << deep << u"echo 1 > m/sub/deep/n.txt; sleep 0.3"_s
                                              << "m/a.txt=10d " + rest + " m/sub/deep/n.txt=2d | a.txt sub/" << 3 << false;
        QTest::newRow("created, grown, deleted where listed before")
            << 0 << deep << u"echo 1 > m/n.txt; printf 12 >> m/sub/b.jpg; rm m/a.txt"_s
            << QByteArray("m/n.txt=2d m/sub/b.jpg=5i m/sub/deep/c.mp3=4a | n.txt sub/") << 3 << false;
        QTest::newRow("folder in where listed before") << 0 << deep << u"mv out/newdir m/sub/"_s
                                                       << "m/a.txt=10d " + rest + " m/sub/newdir/y.png=7i | a.txt sub/" << 4 << false;
        QTest::newRow("limit met: the watched rest is followed")
            << 1 << deep << u"echo 1 > m/n.txt; echo 1 > m/sub/deep/d.txt"_s
            << "m/a.txt=10d m/n.txt=2d " + rest + " m/sub/deep/d.txt=2d | a.txt n.txt sub/" << 1 << false;
        QTest::newRow("stopped: its watches and changes dropped")
            << 0 << deep << u"echo 1 > m/n.txt"_s << "m/a.txt=10d " + rest + " | a.txt sub/" << 0 << true;
    }
    void followsChangesDuringTheScan()
    {
        QFETCH(int, maxWatches);
        QFETCH(QByteArray, listed);
        QFETCH(QString, command);
        QFETCH(QByteArray, expected);
        QFETCH(int, watches);
        QFETCH(bool, stopped);
        Fixture f(maxWatches, listed, command, stopped);
        QSignalSpy limit(&f.watcher, &TreeWatcher::watchLimitReached);
        QTRY_COMPARE_WITH_TIMEOUT(f.state(), expected, 5000);
        QTest::qWait(400);
        QCOMPARE(f.state(), expected); // nothing came twice
        QCOMPARE(limit.size(), maxWatches > 0 ? 1 : 0);
        QCOMPARE(f.watcher.watchCount(), watches);
    }

    void programMovesAreNotCountedTwice()
    {
        Fixture f;
        QTRY_COMPARE(f.watcher.watchCount(), 3);
        // The program moved the file and updated its item already; the watcher then sees the move.
        for (const IKImageItemRef &item : f.lists.filesItemArray)
            if (item->nativeFileName() == "a.txt")
                item->setFilePath(fromNativePath(f.tree.path("m/sub/a.txt")));
        f.run(u"mv m/a.txt m/sub/a.txt"_s);
        QTRY_VERIFY(f.batches > 0);
        QTest::qWait(400);
        QCOMPARE(f.state(), QByteArray("m/sub/a.txt=10d m/sub/b.jpg=3i m/sub/deep/c.mp3=4a | a.txt sub/"));
    }

    void burstIsCoalesced()
    {
        Fixture f;
        QTRY_COMPARE(f.watcher.watchCount(), 3);
        f.run(u"cd m/sub && seq -f n%g.txt 10000 | xargs touch"_s);
        QTRY_COMPARE_WITH_TIMEOUT(f.lists.filesItemArray.size(), 10003, 10000);
        QCOMPARE(f.lists.documentFilesItemArray.size(), 10001);
        QVERIFY2(f.batches <= 12, QByteArray::number(f.batches).constData());
    }

    void watchLimitIsSaidOnceAndTheRestIsFollowed()
    {
        Fixture f(2);
        QSignalSpy limit(&f.watcher, &TreeWatcher::watchLimitReached);
        QTRY_COMPARE(limit.size(), 1);
        QCOMPARE(f.watcher.watchCount(), 2);
        f.run(u"echo 1 > m/n.txt; mkdir m/more m/evenmore"_s);
        QTRY_VERIFY(f.state().contains("m/n.txt=2d"));
        QTest::qWait(400);
        QCOMPARE(limit.size(), 1); // said once, not again for the new folders
        QCOMPARE(f.watcher.watchCount(), 2);
    }
};

QTEST_GUILESS_MAIN(TreeWatcherTest)
#include "tst_treewatcher.moc"
