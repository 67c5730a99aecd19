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

dev_t deviceOf(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 ? st.st_dev : dev_t(-1);
}

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// Names of our own temporary copies left in a folder.
int leftovers(const QByteArray &folder)
{
    return int(QDir(QFile::decodeName(folder), QStringLiteral(".vellumry-moving-*"), QDir::NoSort,
                    QDir::AllEntries | QDir::Hidden | QDir::System)
                   .count());
}

// A folder with the awkward cases: nesting, a link, a hidden file, a name that is not UTF-8.
void makeAwkwardTree(TreeBuilder &tree)
{
    tree.file("album/a.jpg", 70000, 1000000000);
    tree.file("album/deeper/r\xe9sum\xe9.txt", 5, 1200000000);
    tree.file("album/.hidden", 3);
    tree.symlink("album/link", "deeper/r\xe9sum\xe9.txt");
    tree.chmod("album/a.jpg", 0640);
}

} // namespace

class TestFileMover : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void neverReplacesAnExistingTarget_data();
    void neverReplacesAnExistingTarget();
    void movesWithinOneFileSystem();
    void movesAcrossFileSystems();
    void aFailedCopyLeavesTheSourceAndNoTrace();
};

void TestFileMover::neverReplacesAnExistingTarget_data()
{
    QTest::addColumn<QByteArray>("otherRoot"); // empty: the same file system
    QTest::newRow("same file system") << QByteArray();
    QTest::newRow("across file systems") << QByteArray("/dev/shm");
}

void TestFileMover::neverReplacesAnExistingTarget()
{
    QFETCH(QByteArray, otherRoot);
    TempDir tmp;
    TreeBuilder here(tmp.path());
    std::unique_ptr<TempDir> elsewhere;
    QByteArray targetRoot = tmp.path();
    if (!otherRoot.isEmpty()) {
        if (!QFile::exists(QFile::decodeName(otherRoot)) || deviceOf(otherRoot) == deviceOf(tmp.path()))
            QSKIP("needs a second file system at /dev/shm");
        qputenv("TMPDIR", otherRoot);
        elsewhere = std::make_unique<TempDir>();
        qunsetenv("TMPDIR");
        targetRoot = elsewhere->path();
    }
    TreeBuilder there(targetRoot);
    here.file("src/file.txt", 100);
    here.dir("src/folder");
    there.file("dst/file.txt", 7);
    there.file("dst/folder/keep.txt", 9);
    const auto before = here.snapshot();
    const auto targetBefore = there.snapshot();

    for (const char *name : {"file.txt", "folder"}) {
        const MoveResult result = moveItemAtPath(here.path(QByteArray(QByteArray("src/") + name)),
                                                   there.path(QByteArray(QByteArray("dst/") + name)));
        QVERIFY(!result.ok);
        QCOMPARE(result.error, EEXIST);
        QCOMPARE(result.reason, QStringLiteral("name taken"));
    }
    QCOMPARE(here.snapshot(), before);
    QCOMPARE(there.snapshot(), targetBefore);
    QCOMPARE(leftovers(there.path("dst")), 0);
}

void TestFileMover::movesWithinOneFileSystem()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    makeAwkwardTree(tree);
    tree.dir("into");
    const auto before = tree.snapshot();
    QVERIFY(moveItemAtPath(tree.path("album"), tree.path("into/album")).ok);
    const auto after = tree.snapshot();
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.key().startsWith("album"))
            QCOMPARE(after.value("into/" + it.key()), it.value());
    }
    QVERIFY(!exists(tree.path("album")));
    QCOMPARE(moveItemAtPath(tree.path("missing"), tree.path("x")).error, ENOENT);
}

void TestFileMover::movesAcrossFileSystems()
{
    if (!QFile::exists(QStringLiteral("/dev/shm")) || deviceOf("/dev/shm") == deviceOf(QFile::encodeName(QDir::tempPath())))
        QSKIP("needs a second file system at /dev/shm");
    TempDir tmp;
    TreeBuilder source(tmp.path());
    makeAwkwardTree(source);
    source.file("single.bin", 300000, 1100000000);
    qputenv("TMPDIR", "/dev/shm");
    TempDir other;
    qunsetenv("TMPDIR");
    TreeBuilder target(other.path());

    const auto before = source.snapshot();
    QVERIFY(moveItemAtPath(source.path("single.bin"), target.path("single.bin")).ok);
    const MoveResult folder = moveItemAtPath(source.path("album"), target.path("album"));
    QVERIFY2(folder.ok, qPrintable(folder.reason));
    QVERIFY(folder.reason.isEmpty());
    // Contents, sizes, link targets, modes and times arrived; nothing is left at the source.
    QCOMPARE(target.snapshot(), before);
    QVERIFY(!exists(source.path("album")) && !exists(source.path("single.bin")));
    struct stat st;
    QCOMPARE(::lstat(target.path("album/a.jpg").constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    QCOMPARE(st.st_mtim.tv_sec, 1000000000);
    QCOMPARE(::lstat(target.path("single.bin").constData(), &st), 0);
    QCOMPARE(st.st_mtim.tv_sec, 1100000000);
    QCOMPARE(leftovers(target.root()), 0);
}

void TestFileMover::aFailedCopyLeavesTheSourceAndNoTrace()
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
    const int traces = leftovers(small);
    ::umount(small.constData());
    QCOMPARE(traces, 0);
    QCOMPARE(source.snapshot(), before);
}

QTEST_GUILESS_MAIN(TestFileMover)
#include "tst_filemover.moc"
