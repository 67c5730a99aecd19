// Moves never overwrite and never lose a byte, on one file system and across two.
#include "platform/FileMover.h"
#include "support/TempDir.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QScopeGuard>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;

namespace {

struct stat statOf(const QByteArray &path)
{
    struct stat st = {};
    st.st_dev = dev_t(-1);
    ::lstat(path.constData(), &st);
    return st;
}

bool exists(const QByteArray &path) { return statOf(path).st_dev != dev_t(-1); }

// Names of our own temporary copies left in a folder.
qsizetype leftovers(const QByteArray &folder)
{
    return QDir(QFile::decodeName(folder), QStringLiteral(".vellumry-moving-*"), QDir::NoSort,
                QDir::AllEntries | QDir::Hidden | QDir::System)
        .count();
}

// A temporary folder on /dev/shm when that is another file system than the usual temporary folder's.
std::unique_ptr<TempDir> onAnotherFileSystem()
{
    if (!exists("/dev/shm") || statOf("/dev/shm/.").st_dev == statOf(QFile::encodeName(QDir::tempPath())).st_dev)
        return nullptr;
    qputenv("TMPDIR", "/dev/shm");
    auto dir = std::make_unique<TempDir>();
    qunsetenv("TMPDIR");
    return dir;
}

} // namespace

class TestFileMover : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A name taken at the target is refused with both sides left as they were; everything else arrives
    // whole (contents, sizes, link targets, modes and times), with nothing left at the source or behind;
    // a copy that runs out of space leaves the source as it was and no trace at the target.
    void moves_data()
    {
        QTest::addColumn<int>("target"); // 0: the same file system, 1: another, 2: another that is too small
        QTest::newRow("same file system") << 0;
        QTest::newRow("across file systems") << 1;
        QTest::newRow("across, out of space") << 2;
    }
    void moves()
    {
        QFETCH(int, target);
        TempDir tmp;
        const std::unique_ptr<TempDir> elsewhere = target == 1 ? onAnotherFileSystem() : nullptr;
        if (target == 1 && !elsewhere)
            QSKIP("needs a second file system at /dev/shm");
        const QByteArray there = elsewhere ? elsewhere->path() : tmp.path() + "/there";
        if (target == 2 && (::geteuid() != 0 || ::mkdir(there.constData(), 0755) != 0 ||
                            ::mount("tmpfs", there.constData(), "tmpfs", 0, "size=64k") != 0))
            QSKIP("needs root to mount a small file system");
        const auto unmount = qScopeGuard([&] {
            if (target == 2)
                ::umount(there.constData());
        });
        TreeBuilder kept(tmp.path() + "/kept"), source(tmp.path() + "/src");
        TreeBuilder taken(there + "/taken"), moved(there + "/moved");
        kept.file("file.txt", 100);
        kept.dir("folder");
        taken.file("file.txt", 7);
        taken.file("folder/keep.txt", 9);
        // Nesting, a link, a hidden file, a name that is not UTF-8; each item larger than the small target.
        source.file("album/a.jpg", 70000, 1000000000);
        source.file("album/deeper/r\xe9sum\xe9.txt", 5, 1200000000);
        source.file("album/.hidden", 3);
        source.symlink("album/link", "deeper/r\xe9sum\xe9.txt");
        source.chmod("album/a.jpg", 0640);
        source.file("single.bin", 300000, 1100000000);
        const auto before = source.snapshot(), keptBefore = kept.snapshot(), takenBefore = taken.snapshot();
        for (const QByteArray name : {"file.txt", "folder"}) {
            const MoveResult result = moveItemAtPath(kept.path(name), taken.path(name));
            QVERIFY(!result.ok);
            QCOMPARE(result.error, EEXIST);
            QCOMPARE(result.reason, QStringLiteral("name taken"));
        }
        for (const QByteArray name : {"single.bin", "album"}) {
            const MoveResult result = moveItemAtPath(source.path(name), moved.path(name));
            QCOMPARE(result.reason, target == 2 ? QStringLiteral("no space left on the device") : QString());
            QCOMPARE(result.ok, target != 2);
            QCOMPARE(result.error, target == 2 ? ENOSPC : 0);
        }
        QCOMPARE(kept.snapshot(), keptBefore);
        QCOMPARE(taken.snapshot(), takenBefore);
        QCOMPARE(source.snapshot(), target == 2 ? before : TreeBuilder::Snapshot());
        QCOMPARE(moved.snapshot(), target == 2 ? TreeBuilder::Snapshot() : before);
        QCOMPARE(leftovers(taken.root()) + leftovers(moved.root()), 0);
        if (target != 2) {
            QCOMPARE(statOf(moved.path("album/a.jpg")).st_mode & 07777, mode_t(0640));
            QCOMPARE(statOf(moved.path("album/a.jpg")).st_mtim.tv_sec, 1000000000);
            QCOMPARE(statOf(moved.path("single.bin")).st_mtim.tv_sec, 1100000000);
        }
    }

    // Where the file system cannot rename without replacing: a file or link to a free name arrives (the
    // same inode, nothing left behind); a taken name is refused with both entries as they were; a folder
    // is refused rather than risk replacing one.
    void withoutNoReplaceRename_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("reason"); // empty: moved
        QTest::newRow("file, free name") << QByteArray("a.txt") << QByteArray("free.txt") << QString();
        QTest::newRow("link, free name") << QByteArray("link") << QByteArray("free") << QString();
        QTest::newRow("file onto a file") << QByteArray("a.txt") << QByteArray("taken.txt") << QStringLiteral("name taken");
        QTest::newRow("file onto a folder") << QByteArray("a.txt") << QByteArray("empty") << QStringLiteral("name taken");
        QTest::newRow("file onto a link") << QByteArray("a.txt") << QByteArray("link") << QStringLiteral("name taken");
        QTest::newRow("folder onto an empty one") << QByteArray("dir") << QByteArray("empty")
                                                  << QStringLiteral("this file system cannot move it without the risk of replacing an entry");
        QTest::newRow("folder, free name") << QByteArray("dir") << QByteArray("free")
                                           << QStringLiteral("this file system cannot move it without the risk of replacing an entry");
    }
    void withoutNoReplaceRename()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, reason);
        TempDir tmp;
        TreeBuilder t(tmp.path() + "/t");
        t.file("a.txt", 10);
        t.file("taken.txt", 20);
        t.file("dir/inside.txt", 5);
        t.dir("empty");
        t.symlink("link", "a.txt");
        const TreeBuilder::Snapshot before = t.snapshot();
        const ino_t inode = statOf(t.path(from)).st_ino;
        simulateNoReplaceRenameUnsupported(true);
        const MoveResult result = moveItemAtPath(t.path(from), t.path(to));
        simulateNoReplaceRenameUnsupported(false);
        QCOMPARE(result.reason, reason);
        QCOMPARE(result.ok, reason.isEmpty());
        TreeBuilder::Snapshot expected = before;
        if (result.ok) {
            expected.insert(to, expected.take(from));
            QCOMPARE(statOf(t.path(to)).st_ino, inode);
        }
        QCOMPARE(t.snapshot(), expected);
    }
};

QTEST_GUILESS_MAIN(TestFileMover)
#include "tst_filemover.moc"
