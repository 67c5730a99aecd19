// Moves never overwrite and never lose a byte, on one file system and across two.
#include "platform/FileMover.h"
#include "support/TempDir.h"
#include "support/TreeBuilder.h"

#include <QDir>
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
    void neverReplacesAnExistingTarget_data()
    {
        QTest::addColumn<bool>("acrossFileSystems");
        QTest::newRow("same file system") << false;
        QTest::newRow("across file systems") << true;
    }
    void neverReplacesAnExistingTarget()
    {
        QFETCH(bool, acrossFileSystems);
        TempDir tmp;
        const std::unique_ptr<TempDir> elsewhere = acrossFileSystems ? onAnotherFileSystem() : nullptr;
        if (acrossFileSystems && !elsewhere)
            QSKIP("needs a second file system at /dev/shm");
        TreeBuilder here(tmp.path()), there(elsewhere ? elsewhere->path() : tmp.path());
        here.file("src/file.txt", 100);
        here.dir("src/folder");
        there.file("dst/file.txt", 7);
        there.file("dst/folder/keep.txt", 9);
        const auto before = here.snapshot(), targetBefore = there.snapshot();
        for (const QByteArray name : {"file.txt", "folder"}) {
            const MoveResult result =
                moveItemAtPath(here.path(QByteArray("src/" + name)), there.path(QByteArray("dst/" + name)));
            QVERIFY(!result.ok);
            QCOMPARE(result.error, EEXIST);
            QCOMPARE(result.reason, QStringLiteral("name taken"));
        }
        QCOMPARE(here.snapshot(), before);
        QCOMPARE(there.snapshot(), targetBefore);
        QCOMPARE(leftovers(there.path("dst")), 0);
    }

    void movesAcrossFileSystems()
    {
        TempDir tmp;
        const std::unique_ptr<TempDir> other = onAnotherFileSystem();
        if (!other)
            QSKIP("needs a second file system at /dev/shm");
        TreeBuilder source(tmp.path()), target(other->path());
        // Nesting, a link, a hidden file, a name that is not UTF-8.
        source.file("album/a.jpg", 70000, 1000000000);
        source.file("album/deeper/r\xe9sum\xe9.txt", 5, 1200000000);
        source.file("album/.hidden", 3);
        source.symlink("album/link", "deeper/r\xe9sum\xe9.txt");
        source.chmod("album/a.jpg", 0640);
        source.file("single.bin", 300000, 1100000000);
        const auto before = source.snapshot();
        QVERIFY(moveItemAtPath(source.path("single.bin"), target.path("single.bin")).ok);
        const MoveResult folder = moveItemAtPath(source.path("album"), target.path("album"));
        QVERIFY2(folder.ok && folder.reason.isEmpty(), qPrintable(folder.reason));
        // Contents, sizes, link targets, modes and times arrived; nothing is left at the source.
        QCOMPARE(target.snapshot(), before);
        QVERIFY(!exists(source.path("album")) && !exists(source.path("single.bin")));
        QCOMPARE(statOf(target.path("album/a.jpg")).st_mode & 07777, mode_t(0640));
        QCOMPARE(statOf(target.path("album/a.jpg")).st_mtim.tv_sec, 1000000000);
        QCOMPARE(statOf(target.path("single.bin")).st_mtim.tv_sec, 1100000000);
        QCOMPARE(leftovers(target.root()), 0);
    }

    void aFailedCopyLeavesTheSourceAndNoTrace()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to mount a small file system");
        TempDir tmp;
        TreeBuilder source(tmp.path() + "/src");
        source.file("big.bin", 1 << 20);
        source.file("folder/small.txt", 10);
        source.file("folder/big.bin", 1 << 20);
        const QByteArray small = tmp.path() + "/small";
        QVERIFY(::mkdir(small.constData(), 0755) == 0);
        if (::mount("tmpfs", small.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("cannot mount a file system here");
        const auto before = source.snapshot();
        for (const char *name : {"big.bin", "folder"}) {
            const MoveResult result = moveItemAtPath(source.path(name), small + '/' + name);
            QVERIFY(!result.ok);
            QCOMPARE(result.error, ENOSPC);
            QCOMPARE(result.reason, QStringLiteral("no space left on the device"));
            QVERIFY(!exists(small + '/' + name));
        }
        const qsizetype traces = leftovers(small);
        ::umount(small.constData());
        QCOMPARE(traces, 0);
        QCOMPARE(source.snapshot(), before);
    }
};

QTEST_GUILESS_MAIN(TestFileMover)
#include "tst_filemover.moc"
