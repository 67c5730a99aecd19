// vellumry-cli as scripts see it: exact lines, escapes, exit statuses.
#include "model/ItemTexts.h"
#include "platform/ChildProcess.h"
#include "platform/NativePath.h"
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;

namespace {

QByteArray cliPath() { return qgetenv("VELLUMRY_CLI"); }

ProcessResult cli(const QList<QByteArray> &arguments) { return runProcess(cliPath(), arguments, 60000); }

// The date text the scan gives an entry: its birth time, else its modification time.
QByteArray createdText(const QByteArray &path)
{
    struct statx st;
    if (::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_MTIME, &st) != 0)
        return {};
    const qint64 created = (st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : st.stx_mtime.tv_sec;
    return dateText(created).toUtf8();
}

QByteArrayList sortedLines(const QByteArray &out)
{
    QByteArrayList lines = out.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void scanLinesAreExact();
    void namesAreEscaped();
    void listsAndFolderLines();
    void foldersAreScannedInOrder();
    void unreadableFoldersPrintNothing();
    void sortedFiles();
    void kindAndSize();
    void trashReportsEachPath();
    void usageErrors_data();
    void usageErrors();
    void writeFailureIsReported();
};

void TestCli::initTestCase() { QVERIFY2(!cliPath().isEmpty(), "VELLUMRY_CLI names the program under test"); }

void TestCli::scanLinesAreExact()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    const QByteArray photo = tree.file("sub/photo.JPG", 1536);
    const QByteArray empty = tree.file("empty", 0);
    tree.file(".hidden.jpg", 1);

    const ProcessResult run = cli({"scan", tree.root()});
    QVERIFY(run.succeeded());
    QCOMPARE(sortedLines(run.standardOutput),
             sortedLines("Image\t1536\t1.54 KB\t" + createdText(photo) + '\t' + photo + '\n' + "Other\t0\t0 bytes\t" +
                         createdText(empty) + '\t' + empty + '\n'));
}

void TestCli::namesAreEscaped()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    const QByteArray weird = tree.file("tab\there new\nline back\\slash caf\xc3\xa9 r\xe9sum\xe9.txt", 2);

    const ProcessResult run = cli({"scan", tree.root()});
    QVERIFY(run.succeeded());
    QCOMPARE(run.standardOutput, "Document\t2\t2 bytes\t" + createdText(weird) + '\t' + tree.root() +
                                     "/tab\\there new\\nline back\\\\slash caf\xc3\xa9 r\\xe9sum\\xe9.txt\n");
}

void TestCli::listsAndFolderLines()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    tree.file("inner/song.mp3", 3);
    const QByteArray pkg = tree.file("setup.pkg", 4);

    ProcessResult run = cli({"scan", "--list", "current", tree.root()});
    QVERIFY(run.succeeded());
    QCOMPARE(sortedLines(run.standardOutput),
             sortedLines("Folder\t0\t\t\tinner\nInstall Package\t4\t4 bytes\t" + createdText(pkg) + '\t' + pkg + '\n'));

    run = cli({"scan", "--list=audio", tree.root()});
    QVERIFY(run.succeeded());
    QVERIFY(run.standardOutput.startsWith("Audio\t3\t3 bytes\t"));
    QCOMPARE(run.standardOutput.count('\n'), 1);

    run = cli({"scan", "--list", "image", tree.root()});
    QVERIFY(run.succeeded());
    QCOMPARE(run.standardOutput, QByteArray());
}

void TestCli::foldersAreScannedInOrder()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    const QByteArray b = tree.file("B/b.txt");
    const QByteArray a = tree.file("A/a.txt");
    const ProcessResult run = cli({"scan", "--", tree.path("B"), tree.path("missing"), tree.path("A")});
    QVERIFY(run.succeeded());
    const QByteArrayList lines = run.standardOutput.split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).endsWith(QByteArray('\t' + b)));
    QVERIFY(lines.at(1).endsWith(QByteArray('\t' + a)));
}

// A folder the user may not read contributes its folder item and nothing inside it; the walk goes on.
void TestCli::unreadableFoldersPrintNothing()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path() + "/tree");
    tree.file("locked/secret.txt", 1);
    const QByteArray open = tree.file("open/visible.txt", 1);
    tree.chmod("locked", 0);
    ::chmod(tmp.path().constData(), 0755);

    QList<QByteArray> command{cliPath(), "scan", "--list", "files", tree.root()};
    QByteArray program = cliPath();
    if (::geteuid() == 0) {
        // Root reads everything: run the scan as an ordinary user instead.
        if (::access("/usr/bin/setpriv", X_OK) != 0)
            QSKIP("needs setpriv to drop root's rights");
        program = "/usr/bin/setpriv";
        // The build folder may be closed to other users: run a copy from the open temporary folder.
        const QByteArray copy = tmp.path() + "/vellumry-cli";
        QVERIFY(runProcess("/bin/cp", {cliPath(), copy}).succeeded());
        command.replace(0, copy);
        command.prepend("--clear-groups");
        command.prepend("--regid=65534");
        command.prepend("--reuid=65534");
    } else {
        command.removeFirst();
    }
    ProcessResult run = runProcess(program, command, 60000);
    QVERIFY(run.succeeded());
    QCOMPARE(run.standardOutput.count('\n'), 1);
    QVERIFY(run.standardOutput.endsWith(QByteArray('\t' + open + '\n')));

    command.replace(command.indexOf("files"), "current");
    run = runProcess(program, command, 60000);
    QVERIFY(run.succeeded());
    QVERIFY(sortedLines(run.standardOutput).contains("Folder\t0\t\t\tlocked"));

    run = cli({"scan", tree.path("open/visible.txt")}); // a file is not a folder: nothing, success
    QVERIFY(run.succeeded());
    QCOMPARE(run.standardOutput, QByteArray());
}

// --sort reorders the files list only; the per-kind lists keep the scan order.
void TestCli::sortedFiles()
{
    TempDir tmp;
    TreeBuilder tree(tmp.path());
    const QByteArray small = tree.file("b/small.txt", 1);
    const QByteArray large = tree.file("a/large.txt", 300);
    const QByteArray middle = tree.file("_c/middle.txt", 20);
    const auto paths = [](const QByteArray &out) {
        QByteArrayList result;
        for (const QByteArray &line : out.split('\n'))
            if (!line.isEmpty())
                result.append(line.mid(line.lastIndexOf('\t') + 1));
        return result;
    };

    ProcessResult run = cli({"scan", "--sort", "size", tree.root()});
    QVERIFY(run.succeeded());
    QCOMPARE(paths(run.standardOutput), (QByteArrayList{large, middle, small}));

    run = cli({"scan", "--sort=path", tree.root()});
    QVERIFY(run.succeeded());
    QCOMPARE(paths(run.standardOutput), (QByteArrayList{middle, large, small})); // '_' precedes letters

    const QByteArray unsorted = cli({"scan", "--list", "document", tree.root()}).standardOutput;
    run = cli({"scan", "--list", "document", "--sort", "size", tree.root()});
    QVERIFY(run.succeeded());
    QCOMPARE(run.standardOutput, unsorted);
}

void TestCli::kindAndSize()
{
    ProcessResult run = cli({"kind", "a.JPG", "x.app", "setup.pkg", "README", "report.", "a.tar.gz", "song.Mp3",
                             "clip.dvr-ms", "notes.plist", "dir.d/file"});
    QVERIFY(run.succeeded());
    QCOMPARE(run.standardOutput,
             QByteArray("Image\nDocument\nInstall Package\nOther\nOther\nArchive\nAudio\nVideo\nDocument\nOther\n"));

    run = cli({"size", "0", "1", "999", "1000", "999999", "1000000000000", "18446744073709551615"});
    QVERIFY(run.succeeded());
    QCOMPARE(run.standardOutput,
             QByteArray("0 bytes\n1 bytes\n999 bytes\n1.00 KB\n1000.00 KB\n1.00 TB\n18446744.00 TB\n"));
}

// One line per path in order; a missing file fails with its reason and the next is still trashed.
void TestCli::trashReportsEachPath()
{
    TempHome home; // the child trashes into this home's Trash
    TreeBuilder tree(toNativePath(home.home()) + "/files");
    const QByteArray first = tree.file("tab\there", 1);
    const QByteArray last = tree.file("last", 1);

    const ProcessResult run = cli({"trash", first, tree.path("missing"), last});
    QVERIFY(run.started && run.exitedNormally);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.standardOutput, "trashed\t" + tree.root() + "/tab\\there\nfailed\t" + tree.root() +
                                     "/missing\tno such file\ntrashed\t" + last + '\n');
    QVERIFY(::access(last.constData(), F_OK) != 0);
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::newRow("no command") << QByteArrayList{};
    QTest::newRow("unknown command") << QByteArrayList{"scna", "/tmp"};
    QTest::newRow("unknown option") << QByteArrayList{"scan", "--lsit", "image", "/tmp"};
    QTest::newRow("unknown list") << QByteArrayList{"scan", "--list", "pictures", "/tmp"};
    QTest::newRow("list without value") << QByteArrayList{"scan", "--list"};
    QTest::newRow("unknown sort order") << QByteArrayList{"scan", "--sort", "bogus", "/tmp"};
    QTest::newRow("sort without value") << QByteArrayList{"scan", "/tmp", "--sort"};
    QTest::newRow("scan without folder") << QByteArrayList{"scan"};
    QTest::newRow("size too large") << QByteArrayList{"size", "18446744073709551616"};
    QTest::newRow("size negative") << QByteArrayList{"size", "-1"};
    QTest::newRow("size not a number") << QByteArrayList{"size", "12x"};
    QTest::newRow("size empty") << QByteArrayList{"size", ""};
    QTest::newRow("size without count") << QByteArrayList{"size"};
    QTest::newRow("kind without name") << QByteArrayList{"kind"};
    QTest::newRow("trash without path") << QByteArrayList{"trash"};
    QTest::newRow("trash unknown option") << QByteArrayList{"trash", "--force", "/tmp/x"};
}

void TestCli::usageErrors()
{
    QFETCH(QByteArrayList, arguments);
    const ProcessResult run = cli(arguments);
    QVERIFY(run.started && run.exitedNormally);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.standardOutput, QByteArray()); // a script never reads half an answer
}

void TestCli::writeFailureIsReported()
{
    if (::access("/dev/full", W_OK) != 0)
        QSKIP("needs /dev/full");
    const ProcessResult run =
        runProcess("/bin/sh", {"-c", "\"$0\" size 1 >/dev/full 2>/dev/null; echo $?", cliPath()}, 60000);
    QCOMPARE(run.standardOutput.trimmed(), QByteArray("1"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
