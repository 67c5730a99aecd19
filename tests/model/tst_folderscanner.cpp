// The scan engine on real trees: lists, orders, fields, links, byte names, refresh and cancellation.
#include "model/FileKinds.h"
#include "model/FolderScanner.h"
#include "platform/NativePath.h"
#include "support/TempDir.h"
#include "support/TreeBuilder.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;
using vellumry::test::TreeBuilder;
using namespace Qt::StringLiterals;

namespace {

// A plain one-thread, one-file-at-a-time walk (readdir order, links followed for the folder test, a
// link resolving into the main folder not followed, a real folder entered once) giving the lists the
// engine must match.
struct ExpectedLists
{
    QList<QByteArray> files, current, throughLink;
    QMap<FileKind, QList<QByteArray>> byKind;     // the "Other" list under FileKind::Other
    QMap<QByteArray, QList<QByteArray>> children; // folder path -> entry names
    QByteArray mainReal;                          // realpath() of the main folder
    std::set<std::pair<dev_t, ino_t>> entered;
};

QByteArray realPath(const QByteArray &path)
{
    char *real = ::realpath(path.constData(), nullptr);
    const QByteArray out(real);
    ::free(real);
    return out;
}

void referenceWalk(const QByteArray &folder, bool top, bool viaLink, ExpectedLists &out)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    QList<QByteArray> &names = out.children[folder];
    while (const dirent *d = ::readdir(dir)) {
        const QByteArray name(d->d_name);
        if (name.startsWith('.'))
            continue;
        const QByteArray path = folder + '/' + name;
        names.append(name);
        struct stat st, own;
        const bool isFolder = ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        const bool isLink = ::lstat(path.constData(), &own) == 0 && S_ISLNK(own.st_mode);
        const bool isFile = !isFolder || name.toLower().endsWith(".app");
        if (isFile) {
            const FileKind kind = isFolder ? FileKind::Other : kindForFileName(name.toStdString());
            out.byKind[kind == FileKind::InstallPackage ? FileKind::Other : kind].append(path);
            out.files.append(path);
            if (viaLink)
                out.throughLink.append(path);
        } else {
            const QByteArray real = realPath(path);
            const bool intoMain =
                isLink && (real == out.mainReal || real.startsWith(QByteArray(out.mainReal + '/')));
            if (!intoMain && out.entered.emplace(st.st_dev, st.st_ino).second)
                referenceWalk(path, false, viaLink || isLink, out);
        }
        if (top)
            out.current.append(isFile ? path : name);
    }
    ::closedir(dir);
}

ExpectedLists referenceScan(const QByteArray &mainFolder)
{
    ExpectedLists out;
    struct stat st;
    if (::stat(mainFolder.constData(), &st) == 0)
        out.entered.emplace(st.st_dev, st.st_ino);
    out.mainReal = realPath(mainFolder);
    referenceWalk(mainFolder, true, false, out);
    return out;
}

// The paths of the items (names for folder items); with throughLink, only of those reached through a link.
QList<QByteArray> paths(const ItemList &items, bool throughLink = false)
{
    QList<QByteArray> out;
    for (const IKImageItemRef &item : items) {
        if (!throughLink || item->isReachedThroughLink())
            out.append(item->bDir() ? item->nativeFileName() : item->nativeFilePath());
    }
    return out;
}

void collectChildren(const ItemList &items, QMap<QByteArray, QList<QByteArray>> &out)
{
    for (const IKImageItemRef &item : items) {
        if (!item->bDir())
            continue;
        QList<QByteArray> &names = out[item->nativeEntryPath()];
        for (const IKImageItemRef &child : item->childrenArray())
            names.append(child->nativeFileName());
        collectChildren(item->childrenArray(), out);
    }
}

// Runs one scanner over the folders and waits until it is idle.
struct ScanRun
{
    FileLists lists;
    FolderScanner scanner{lists};

    explicit ScanRun(int threads = 0) { scanner.setWalkThreads(threads); }
    bool scan(const QList<QByteArray> &folders)
    {
        QSignalSpy idle(&scanner, &FolderScanner::idle);
        QStringList paths; // one request, as a drop of several folders makes
        for (const QByteArray &folder : folders)
            paths.append(fromNativePath(folder));
        scanner.startScanCurrentFolders(paths);
        return idle.wait(60000);
    }
};

// A random tree with the hard cases sprinkled in: hidden entries, bundles, links in and out, a cycle.
void buildRandomTree(TreeBuilder &tree, quint32 seed, int folders)
{
    QRandomGenerator rng(seed);
    static const char *const exts[] = {".jpg", ".PNG", ".mp3", ".mov", ".pdf", ".zip", ".dmg", "", ".tar.gz"};
    QList<QByteArray> dirs{QByteArray()}; // each with its slash
    for (int i = 0; i < folders; ++i) {
        dirs.append(dirs.at(rng.bounded(int(dirs.size()))) + 'd' + QByteArray::number(i) + '/');
        tree.dir(dirs.last().chopped(1));
    }
    for (int n = 0; n < folders * 6; ++n) // every tenth file hidden
        tree.file(QByteArray(dirs.at(rng.bounded(int(dirs.size()))) + (n % 10 ? "f" : ".f") + QByteArray::number(n) +
                             exts[rng.bounded(int(std::size(exts)))]),
                  rng.bounded(0, 3000));
    tree.file(QByteArray(dirs.at(1) + "Inner Tool.app/Contents/bin"), 5000); // a bundle below the top
    tree.file("Top Tool.APP/Contents/bin", 100);
    tree.file(".git/objects/ab", 10);
    tree.symlink(QByteArray(dirs.at(2) + "link_to_folder"), tree.path(dirs.at(3).chopped(1)));
    tree.symlink(QByteArray(dirs.last() + "loop_to_root"), tree.root());
    tree.symlink("dangling.txt", "does/not/exist");
    // Outside the main folder: reached by two links and from above, with a link back inside.
    TreeBuilder outside(tree.root() + "-outside");
    outside.file("o1.jpg", 10);
    outside.file("sub/o2.mp3", 20);
    outside.file("sub/Out Tool.app/bin", 30);
    outside.symlink("sub/back_in", tree.path(dirs.at(1).chopped(1)));
    tree.symlink(QByteArray(dirs.at(4) + "out_a"), outside.root());
    tree.symlink(QByteArray(dirs.at(5) + "out_b"), outside.path("sub"));
    tree.symlink(QByteArray(dirs.at(6) + "above"), QByteArray(tree.root() + "/.."));
}

} // namespace

class TestFolderScanner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void walkOrderMatchesSequentialWalk_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("one thread") << 1 << 7u;
        QTest::newRow("four threads") << 4 << 13u;
    }

    void walkOrderMatchesSequentialWalk()
    {
        QFETCH(int, threads);
        QFETCH(quint32, seed);
        vellumry::test::TempDir tmp;
        TreeBuilder tree(tmp.path() + "/main");
        buildRandomTree(tree, seed, 120);

        const ExpectedLists expected = referenceScan(tree.root());

        ScanRun run(threads);
        QVERIFY(run.scan({tree.root()}));
        QCOMPARE(paths(run.lists.filesItemArray), expected.files);
        QCOMPARE(paths(run.lists.currentViewItemArray), expected.current);
        const FileLists &l = run.lists;
        for (const auto &[list, kind] : QList<std::pair<const ItemList *, FileKind>>{
                 {&l.imageFilesItemArray, FileKind::Image}, {&l.audioFilesItemArray, FileKind::Audio},
                 {&l.videoFilesItemArray, FileKind::Video}, {&l.documentFilesItemArray, FileKind::Document},
                 {&l.archiveFilesItemArray, FileKind::Archive}, {&l.otherFilesItemArray, FileKind::Other}})
            QCOMPARE(paths(*list), expected.byKind.value(kind));
        QCOMPARE(paths(run.lists.filesItemArray, true), expected.throughLink);

        QMap<QByteArray, QList<QByteArray>> children;
        collectChildren(run.lists.currentViewItemArray, children);
        for (auto it = children.cbegin(); it != children.cend(); ++it)
            QCOMPARE(it.value(), expected.children.value(it.key()));
    }

    void linksAndRepeatedFolders_data()
    {
        QTest::addColumn<QByteArrayList>("links");   // "link=target", both relative to the temporary folder
        QTest::addColumn<QByteArray>("alsoScanned"); // a second main folder, or none
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("viaLink");
        QTest::addColumn<QByteArray>("unwalked"); // a folder item listed without children, or none
        QTest::newRow("link into the main folder")
            << QByteArrayList{"main/a/in=main/b"} << QByteArray() << 2 << 0 << "main/a/in"_ba;
        QTest::newRow("link out, and back in from there")
            << QByteArrayList{"main/a/out=out/o", "out/o/back=main/b"} << QByteArray() << 4 << 2
            << "main/a/out/back"_ba;
        QTest::newRow("two links to one outside folder")
            << QByteArrayList{"main/a/out=out/o", "main/b/out=out/o"} << QByteArray() << 4 << 2 << QByteArray();
        QTest::newRow("link above the main folder")
            << QByteArrayList{"main/a/up=."} << QByteArray() << 4 << 2 << "main/a/up/main"_ba;
        QTest::newRow("link into another main folder")
            << QByteArrayList{"main/a/out=out/o"} << "out/o"_ba << 4 << 0 << "main/a/out"_ba;
    }

    // Each real folder is entered once, links into the main folders are listed and not followed, and an
    // item is marked as reached through a link exactly when its folder's path is not its real path.
    void linksAndRepeatedFolders()
    {
        QFETCH(QByteArrayList, links);
        QFETCH(QByteArray, alsoScanned);
        QFETCH(int, files);
        QFETCH(int, viaLink);
        QFETCH(QByteArray, unwalked);
        vellumry::test::TempDir tmp;
        TreeBuilder tree(realPath(tmp.path())); // so that only the tree's own links make a path unreal
        for (const char *file : {"main/a/x.jpg", "main/b/y.jpg", "out/o/z.jpg", "out/o/deep/w.jpg"})
            tree.file(file, 1);
        for (const QByteArray &link : std::as_const(links))
            tree.symlink(link.split('=').first(), tree.path(link.split('=').last()));

        ScanRun run;
        QVERIFY(run.scan(alsoScanned.isEmpty() ? QList{tree.path("main")}
                                               : QList{tree.path("main"), tree.path(alsoScanned)}));
        QCOMPARE(run.lists.filesItemArray.size(), files);
        QCOMPARE(paths(run.lists.filesItemArray, true).size(), viaLink);
        for (const IKImageItemRef &item : std::as_const(run.lists.filesItemArray)) {
            const QByteArray folder = item->nativeFilePath().chopped(item->nativeFileName().size() + 1);
            QCOMPARE(item->isReachedThroughLink(), realPath(folder) != folder);
        }
        if (!unwalked.isEmpty()) {
            QMap<QByteArray, QList<QByteArray>> children;
            collectChildren(run.lists.currentViewItemArray, children);
            QVERIFY(children.contains(tree.path(unwalked)));
            QVERIFY(children.value(tree.path(unwalked)).isEmpty());
        }
    }

    // A folder chain deeper than the system's path limit, made one component at a time.
    void longPaths()
    {
        vellumry::test::TempDir tmp;
        const QByteArray component(200, 'n');
        QByteArray deepPath = tmp.path();
        int fd = ::open(deepPath.constData(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < 25; ++i, deepPath += '/' + component) {
            QCOMPARE(::mkdirat(fd, component.constData(), 0755), 0);
            const int next = ::openat(fd, component.constData(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            QVERIFY((fd = next) >= 0);
        }
        const int file = ::openat(fd, "deep.txt", O_WRONLY | O_CREAT, 0644);
        QVERIFY(file >= 0 && ::close(file) == 0 && ::close(fd) == 0);
        QVERIFY(deepPath.size() > PATH_MAX);
        ScanRun run;
        QVERIFY(run.scan({tmp.path()}));
        QCOMPARE(paths(run.lists.filesItemArray), QList<QByteArray>{deepPath + "/deep.txt"});
    }

    void refreshAndFirstSelection_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("selections");
        QTest::newRow("empty folder") << 0 << 0;
        QTest::newRow("two files: only at the end") << 2 << 1;
        QTest::newRow("five files: during and at the end") << 5 << 2;
    }
    void refreshAndFirstSelection()
    {
        QFETCH(int, files);
        QFETCH(int, selections);
        vellumry::test::TempDir tmp;
        TreeBuilder tree(tmp.path());
        for (int i = 0; i < files; ++i)
            tree.file(QByteArray("f" + QByteArray::number(i) + ".txt"));
        tree.file(".hidden");
        ScanRun run;
        int selected = 0, finished = 0;
        qsizetype covered = 0;
        bool contiguous = true;
        connect(&run.scanner, &FolderScanner::filesAppended, this, [&](qsizetype first, qsizetype count) {
            contiguous = contiguous && first == covered && count > 0;
            covered += count;
        });
        connect(&run.scanner, &FolderScanner::selectFirstItem, this, [&] { ++selected; });
        connect(&run.scanner, &FolderScanner::scanFinished, this, [&] { ++finished; });
        QVERIFY(run.scan({tree.root()}));
        QVERIFY(contiguous);
        QCOMPARE(covered, qsizetype(files));
        QCOMPARE(selected, selections);
        QCOMPARE(finished, 1);
        QCOMPARE(run.scanner.LoadFirstItem(), files >= 3);
        QVERIFY(!run.scanner.isScanning());
    }

    // Queued scans run in request order, a missing folder and a plain file finishing like any other.
    void queuedScansKeepRequestOrder()
    {
        vellumry::test::TempDir tmp;
        TreeBuilder tree(tmp.path());
        for (int i = 0; i < 150; ++i)
            tree.file(QByteArray(QByteArray(1, "CAB"[i / 50]) + "/x" + QByteArray::number(i)));
        tree.file("plain-file.txt");
        ScanRun run;
        QSignalSpy finished(&run.scanner, &FolderScanner::scanFinished);
        QVERIFY(run.scan(
            {tree.path("C"), tree.path("missing"), tree.path("A"), tree.path("plain-file.txt"), tree.path("B")}));
        QCOMPARE(finished.size(), 5);
        QCOMPARE(run.lists.currentViewItemArray.size(), 150);
        const QList<QByteArray> found = paths(run.lists.filesItemArray);
        QCOMPARE(found.size(), 150);
        for (int i = 0; i < 150; ++i)
            QVERIFY(found.at(i).startsWith(tree.path(QByteArray(QByteArray(1, "CAB"[i / 50]) + '/'))));
    }

    void cancelStopsRunningAndQueuedScans()
    {
        vellumry::test::TempDir tmp;
        TreeBuilder tree(tmp.path());
        for (int i = 0; i < 4000; ++i)
            tree.file(QByteArray("big/d" + QByteArray::number(i / 100) + "/f" + QByteArray::number(i)));
        tree.file("small/one.txt");
        ScanRun run(1);
        QSignalSpy idle(&run.scanner, &FolderScanner::idle);
        run.scanner.startScanCurrentFolder(fromNativePath(tree.path("big")));
        run.scanner.startScanCurrentFolder(fromNativePath(tree.path("big")));
        QSignalSpy appended(&run.scanner, &FolderScanner::filesAppended);
        QVERIFY(appended.wait(30000));
        run.scanner.cancelAll();
        QVERIFY(!run.scanner.isScanning());
        QCOMPARE(idle.size(), 1);
        const qsizetype atCancel = run.lists.filesItemArray.size();
        QVERIFY(atCancel < 8000);
        QVERIFY(run.scan({tree.path("small")}));
        // Nothing of the cancelled scans arrived after the cancel; the new scan's file came after it.
        QCOMPARE(run.lists.filesItemArray.size(), atCancel + 1);
        QCOMPARE(run.lists.filesItemArray.last()->nativeFilePath(), tree.path("small/one.txt"));

        // A scanner destroyed while scanning stops cleanly; hand-overs still queued for it are dropped.
        FileLists lists;
        {
            FolderScanner scanner(lists);
            scanner.startScanCurrentFolder(fromNativePath(tree.path("big")));
            scanner.startScanCurrentFolder(fromNativePath(tree.path("big")));
        }
        QCoreApplication::processEvents();
        QVERIFY(lists.filesItemArray.size() <= 8000);
    }
};

QTEST_GUILESS_MAIN(TestFolderScanner)
#include "tst_folderscanner.moc"
