// Checks the test fixtures themselves against plain POSIX calls and QStandardPaths.
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include "platform/NativePath.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <optional>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace vellumry;
using namespace vellumry::test;

namespace {

std::optional<QByteArray> currentValue(const char *name)
{
    return qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt;
}

void putBack(const char *name, const std::optional<QByteArray> &value)
{
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

struct stat lstatOf(const QByteArray &path)
{
    struct stat st = {};
    if (::lstat(path.constData(), &st) != 0)
        qFatal("lstat %s failed", path.constData());
    return st;
}

} // namespace

class TestTestSupport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tempHomeSetsAndRestores_data();
    void tempHomeSetsAndRestores();
    void tempHomeIsWhatQtSees();
    void treeBuilderMakesExactEntries();
    void fileContentDependsOnPathOnly();
    void snapshotRecordsEveryEntry();
};

void TestTestSupport::tempHomeSetsAndRestores_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<bool>("setBefore");

    const std::pair<const char *, QString> variables[] = {
        {"HOME", u"home"_s},
        {"XDG_CONFIG_HOME", u"home/.config"_s},
        {"XDG_DATA_HOME", u"home/.local/share"_s},
        {"XDG_CACHE_HOME", u"home/.cache"_s},
        {"XDG_STATE_HOME", u"home/.local/state"_s},
        {"XDG_DATA_DIRS", u"usr/share"_s},
        {"XDG_CONFIG_DIRS", u"etc/xdg"_s},
        {"XDG_RUNTIME_DIR", u"run"_s},
    };
    for (const auto &[name, relativePath] : variables) {
        for (bool setBefore : {true, false}) {
            QTest::addRow("%s %s", name, setBefore ? "was set" : "was unset")
                << QByteArray(name) << relativePath << setBefore;
        }
    }
}

void TestTestSupport::tempHomeSetsAndRestores()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, relativePath);
    QFETCH(bool, setBefore);

    const std::optional<QByteArray> original = currentValue(name.constData());
    const QByteArray sentinel = "/nonexistent/vellumry-sentinel";
    if (setBefore)
        qputenv(name.constData(), sentinel);
    else
        qunsetenv(name.constData());

    {
        TempHome home;
        const QString expected = home.root() + u'/' + relativePath;
        QCOMPARE(qEnvironmentVariable(name.constData()), expected);
        QVERIFY(QFileInfo(expected).isDir());
        {
            TempHome inner; // nested fixtures restore what they found, not the original environment
            QVERIFY(qEnvironmentVariable(name.constData()) != expected);
        }
        QCOMPARE(qEnvironmentVariable(name.constData()), expected);
    }
    const std::optional<QByteArray> after = currentValue(name.constData());
    putBack(name.constData(), original);
    QCOMPARE(after.has_value(), setBefore);
    if (setBefore)
        QCOMPARE(*after, sentinel);
}

void TestTestSupport::tempHomeIsWhatQtSees()
{
    QTest::failOnWarning(QRegularExpression(u".*"_s)); // e.g. about the runtime folder's permissions
    TempHome home;
    QCOMPARE(QDir::homePath(), home.home());
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), home.configHome());
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation), home.dataHome());
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation), home.cacheHome());
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation), home.runtimeDir());
    QCOMPARE(QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation),
             QStringList({home.dataHome(), home.dataDirs()}));
    QCOMPARE(QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation),
             QStringList({home.configHome(), home.configDirs()}));
    QCOMPARE(lstatOf(toNativePath(home.runtimeDir())).st_mode & 07777, mode_t(0700));
}

void TestTestSupport::treeBuilderMakesExactEntries()
{
    TempDir temp;
    QVERIFY(temp.isValid());
    TreeBuilder tree(temp.path() + "/new/root");
    QCOMPARE(tree.path("x/y"), tree.root() + "/x/y");

    const QByteArray file = tree.file("a\xff/b\xfe\x01.bin", 3 * 1024 * 1024 + 5, 1234567890);
    QCOMPARE(file, tree.root() + "/a\xff/b\xfe\x01.bin");
    struct stat st = lstatOf(file);
    QVERIFY(S_ISREG(st.st_mode));
    QCOMPARE(st.st_size, 3 * 1024 * 1024 + 5);
    QCOMPARE(st.st_mtim.tv_sec, 1234567890);

    tree.file("a\xff/b\xfe\x01.bin", 7); // replaces the earlier file
    QCOMPARE(lstatOf(file).st_size, 7);

    const qint64 threeGiB = qint64(3) << 30;
    st = lstatOf(tree.sparseFile("big", threeGiB));
    QCOMPARE(st.st_size, threeGiB);
    QVERIFY(st.st_blocks * 512 < 1024 * 1024);

    const QByteArray target = "../\x80target \xc3";
    const QByteArray link = tree.symlink("links/l\xe9", target);
    QVERIFY(S_ISLNK(lstatOf(link).st_mode));
    char buffer[64];
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer);
    QCOMPARE(QByteArray(buffer, n), target);

    QVERIFY(S_ISDIR(lstatOf(tree.dir("d1/d2/\xe9")).st_mode));
    QCOMPARE(tree.dir("d1/d2/\xe9"), tree.root() + "/d1/d2/\xe9"); // existing folder is fine
    tree.setMtime("d1", 1000000000);
    QCOMPARE(lstatOf(tree.path("d1")).st_mtim.tv_sec, 1000000000);
    tree.chmod("a\xff/b\xfe\x01.bin", 0640);
    QCOMPARE(lstatOf(file).st_mode & 07777, mode_t(0640));
}

void TestTestSupport::fileContentDependsOnPathOnly()
{
    TempDir temp;
    QVERIFY(temp.isValid());
    TreeBuilder first(temp.path() + "/one");
    TreeBuilder second(temp.path() + "/two");

    const QByteArray sum = TreeBuilder::sha256OfFile(first.file("f/x", 100000));
    QCOMPARE(sum.size(), 64);
    QCOMPARE(TreeBuilder::sha256OfFile(second.file("f/x", 100000)), sum);
    QVERIFY(TreeBuilder::sha256OfFile(second.file("f/y", 100000)) != sum);
    QCOMPARE(TreeBuilder::sha256OfFile(first.file("empty")),
             QByteArray("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
}

void TestTestSupport::snapshotRecordsEveryEntry()
{
    TempDir temp;
    QVERIFY(temp.isValid());
    TreeBuilder tree(temp.path());
    tree.file(".hidden/.x", 10);
    tree.file("docs/r\xff", 5000);
    tree.symlink("docs/up", "..");
    tree.dir("empty");

    TreeBuilder::Snapshot before = tree.snapshot();
    QCOMPARE(before.keys(),
             QByteArrayList({".hidden", ".hidden/.x", "docs", "docs/r\xff", "docs/up", "empty"}));
    QCOMPARE(before.value(".hidden").type, 'd');
    QCOMPARE(before.value(".hidden/.x").type, 'f');
    QCOMPARE(before.value(".hidden/.x").size, 10);
    QCOMPARE(before.value("docs/r\xff").sha256, TreeBuilder::sha256OfFile(tree.path("docs/r\xff")));
    const TreeBuilder::Entry link = before.value("docs/up");
    QCOMPARE(link.type, 'l');
    QCOMPARE(link.linkTarget, QByteArray(".."));
    QVERIFY(link.sha256.isEmpty());

    // A move keeps the checksum multiset; losing bytes changes it.
    QCOMPARE(std::rename(tree.path("docs/r\xff").constData(), tree.path("empty/moved").constData()), 0);
    const TreeBuilder::Snapshot moved = tree.snapshot();
    QVERIFY(moved != before);
    QCOMPARE(TreeBuilder::fileChecksums(moved), TreeBuilder::fileChecksums(before));
    QCOMPARE(::truncate(tree.path("empty/moved").constData(), 4999), 0);
    QVERIFY(TreeBuilder::fileChecksums(tree.snapshot()) != TreeBuilder::fileChecksums(before));
}

QTEST_GUILESS_MAIN(TestTestSupport)
#include "tst_testsupport.moc"
