// vellumry-cli as scripts see it: exact lines, escapes, exit statuses.
#include "model/ItemTexts.h"
#include "platform/ChildProcess.h"
#include "platform/LoginItems.h"
#include "platform/NativePath.h"
#include "platform/Settings.h"
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray cliPath()
{
    return qgetenv("VELLUMRY_CLI");
}

ProcessResult cli(const QList<QByteArray> &arguments)
{
    return runProcess(cliPath(), arguments, 60000);
}

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
    void initTestCase() { QVERIFY2(!cliPath().isEmpty(), "VELLUMRY_CLI names the program under test"); }

    // Exact lines; names escaped, hidden entries left out.
    void scanLinesAreExact()
    {
        TempDir tmp;
        TreeBuilder tree(tmp.path());
        const QByteArray photo = tree.file("sub/photo.JPG", 1536);
        const QByteArray empty = tree.file("empty", 0);
        tree.file(".hidden.jpg", 1);
        const QByteArray odd = tree.file("tab\there new\nline back\\slash caf\xc3\xa9 r\xe9sum\xe9.txt", 2);

        const ProcessResult run = cli({"scan", tree.root()});
        QVERIFY(run.succeeded());
        QCOMPARE(sortedLines(run.standardOutput),
                 sortedLines("Image\t1536\t1.54 KB\t" + createdText(photo) + '\t' + photo + '\n' +
                             "Other\t0\t0 bytes\t" + createdText(empty) + '\t' + empty + '\n' +
                             "Document\t2\t2 bytes\t" + createdText(odd) + '\t' + tree.root() +
                             "/tab\\there new\\nline back\\\\slash caf\xc3\xa9 r\\xe9sum\\xe9.txt\n"));
    }

    void listsAndFolderLines()
    {
        TempDir tmp;
        TreeBuilder tree(tmp.path());
        tree.file("inner/song.mp3", 3);
        const QByteArray pkg = tree.file("setup.pkg", 4);

        ProcessResult run = cli({"scan", "--list", "current", tree.root()});
        QVERIFY(run.succeeded());
        QCOMPARE(sortedLines(run.standardOutput),
                 sortedLines("Folder\t0\t\t\tinner\nInstall Package\t4\t4 bytes\t" + createdText(pkg) + '\t' +
                             pkg + '\n'));

        run = cli({"scan", "--list=audio", tree.root()});
        QVERIFY(run.succeeded());
        QVERIFY(run.standardOutput.startsWith("Audio\t3\t3 bytes\t"));
        QCOMPARE(run.standardOutput.count('\n'), 1);
    }

    // A folder the user may not read contributes its folder item and nothing inside it; the walk goes on.
    void unreadableFoldersPrintNothing()
    {
        TempDir tmp;
        TreeBuilder tree(tmp.path() + "/tree");
        tree.file("locked/secret.txt", 1);
        const QByteArray open = tree.file("open/visible.txt", 1);
        tree.chmod("locked", 0);
        ::chmod(tmp.path().constData(), 0755);

        QByteArrayList command{"scan", "--list", "files", tree.root()};
        QByteArray program = cliPath();
        if (::geteuid() == 0) { // root reads everything: scan as an ordinary user instead
            if (::access("/usr/bin/setpriv", X_OK) != 0)
                QSKIP("needs setpriv to drop root's rights");
            // The build folder may be closed to other users: run a copy from the open temporary folder.
            const QByteArray copy = tmp.path() + "/vellumry-cli";
            QVERIFY(runProcess("/bin/cp", {cliPath(), copy}).succeeded());
            command = QByteArrayList{"--reuid=65534", "--regid=65534", "--clear-groups", copy} + command;
            program = "/usr/bin/setpriv";
        }
        ProcessResult run = runProcess(program, command, 60000);
        QVERIFY(run.succeeded());
        QCOMPARE(run.standardOutput.count('\n'), 1);
        QVERIFY(run.standardOutput.endsWith(QByteArray('\t' + open + '\n')));

        command.replace(command.indexOf("files"), "current");
        run = runProcess(program, command, 60000);
        QVERIFY(run.succeeded());
        QVERIFY(sortedLines(run.standardOutput).contains("Folder\t0\t\t\tlocked"));
    }

    // Folders are scanned in the order given; --sort reorders the files list only, not the per-kind lists.
    void order_data()
    {
        QTest::addColumn<QByteArrayList>("arguments"); // "@" stands for the tree's root
        QTest::addColumn<QByteArrayList>("paths");
        QTest::newRow("folders as given") << QByteArrayList{"scan", "--", "@/b", "@/missing", "@/a"}
                                          << QByteArrayList{"b/small.txt", "a/large.txt"};
        QTest::newRow("by size") << QByteArrayList{"scan", "--sort", "size", "@"}
                                 << QByteArrayList{"a/large.txt", "_c/middle.txt", "b/small.txt"};
        QTest::newRow("by path") << QByteArrayList{"scan", "--sort=path", "@"} // '_' precedes letters
                                 << QByteArrayList{"_c/middle.txt", "a/large.txt", "b/small.txt"};
        QTest::newRow("kind list unsorted")
            << QByteArrayList{"scan", "--list", "document", "--sort", "size", "@/b", "@/a"}
            << QByteArrayList{"b/small.txt", "a/large.txt"};
    }
    void order()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArrayList, paths);
        TempDir tmp;
        TreeBuilder tree(tmp.path());
        tree.file("b/small.txt", 1);
        tree.file("a/large.txt", 300);
        tree.file("_c/middle.txt", 20);
        for (QByteArray &argument : arguments)
            argument.replace('@', tree.root());
        const ProcessResult run = cli(arguments);
        QVERIFY(run.succeeded());
        QByteArrayList printed = run.standardOutput.split('\n');
        QCOMPARE(printed.takeLast(), QByteArray());
        for (QByteArray &line : printed)
            line = line.mid(line.lastIndexOf('\t') + 1);
        for (QByteArray &path : paths)
            path = tree.path(path);
        QCOMPARE(printed, paths);
    }

    // Nine folders that all link to one another: each real folder is listed once, whether the links stay
    // inside the main folder or lead out of it, in far less memory than a walk of every route would take.
    void mutualLinksListEachFolderOnce_data()
    {
        QTest::addColumn<QByteArray>("scanned"); // relative to the tree
        QTest::newRow("links inside the main folder") << QByteArray();
        QTest::newRow("links leading out of it") << "f0"_ba;
    }
    void mutualLinksListEachFolderOnce()
    {
        QFETCH(QByteArray, scanned);
        TempDir tmp;
        TreeBuilder tree(tmp.path());
        for (int i = 0; i < 9; ++i) {
            const QByteArray folder = 'f' + QByteArray::number(i);
            tree.file(QByteArray(folder + "/file.txt"), 1);
            for (int j = 0; j < 9; ++j) {
                if (j != i)
                    tree.symlink(QByteArray(folder + "/to" + QByteArray::number(j)),
                                 tree.path(QByteArray('f' + QByteArray::number(j))));
            }
        }
        const ProcessResult run = runProcess(
            "/bin/sh", {"-c", "ulimit -v 1000000 && exec \"$0\" scan \"$1\"", cliPath(), tree.path(scanned)},
            60000);
        QVERIFY(run.succeeded());
        QCOMPARE(run.standardOutput.count('\n'), 9);
    }

    // One line per path in order; a missing file fails with its reason and the next is still trashed.
    void trashReportsEachPath()
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

    // A dry run predicts, the run moves, a taken name and the file-system root are refused, all journaled.
    void moveReportsEachStep()
    {
        TempHome home; // the journal goes to this home
        TreeBuilder tree(toNativePath(home.home()) + "/M");
        const QByteArray f = tree.file("A/B/f\tx.txt", 1);
        const QByteArray g = tree.file("A/B/g.txt", 1);
        tree.file("A/g.txt", 1);
        const QByteArray planLines = "plan\t" + tree.path("A/B/f\\tx.txt") + '\t' + tree.path("A/f\\tx.txt") +
                                     "\nskipped\t" + g + "\tname taken\n";
        ProcessResult run = cli({"move", "--up", "1", "--dry-run", f, g});
        QCOMPARE(run.standardOutput, planLines + "0 moved, 1 skipped, 0 trashed\n");
        QVERIFY(::access(f.constData(), F_OK) == 0);

        run = cli({"move", "--up", "1", f, g});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardOutput, "moved\t" + tree.path("A/B/f\\tx.txt") + '\t' + tree.path("A/f\\tx.txt") +
                                         "\nskipped\t" + g + "\tname taken\n1 moved, 1 skipped, 0 trashed\n");
        QVERIFY(::access(tree.path("A/f\tx.txt").constData(), F_OK) == 0 && ::access(g.constData(), F_OK) == 0);
        QCOMPARE(QDir(home.dataHome() + u"/Vellumry/journal"_s).entryList(QDir::Files).size(), 1);

        run = cli({"move", "--to", "/", g});
        QCOMPARE(run.standardOutput, "skipped\t" + g + "\tnothing is moved to the file-system root\n0 moved, 1 skipped, 0 trashed\n");
    }

    // Renames from the parent folder, with the numbered form for a taken name; a dry run touches nothing.
    void renameReportsEachStep()
    {
        TempHome home;
        TreeBuilder tree(toNativePath(home.home()) + "/Trips");
        const QByteArray a = tree.file("Rome/a.jpg", 1);
        const QByteArray b = tree.file("Rome/b.jpg", 1);
        tree.file("Rome/Rome_a.jpg", 1);
        const QByteArray lines = '\t' + a + '\t' + tree.path("Rome/Rome_a 0.jpg") + "\n" + '\t' + b + '\t' +
                                 tree.path("Rome/Rome_b.jpg") + "\n";
        const QList<QByteArray> args{"rename", "--mode", "parent", "--variant", "begin", a, b};
        ProcessResult run = cli(QList<QByteArray>(args).mid(0, 5) + QList<QByteArray>{"--dry-run", a, b});
        QCOMPARE(run.standardOutput, QByteArray(lines).replace("\n\t", "\nplan\t").prepend("plan") +
                                         "0 moved, 0 skipped, 0 trashed\n");
        run = cli(args);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardOutput, QByteArray(lines).replace("\n\t", "\nmoved\t").prepend("moved") +
                                         "2 moved, 0 skipped, 0 trashed\n");
        QVERIFY(::access(tree.path("Rome/Rome_a 0.jpg").constData(), F_OK) == 0);
    }

    // Whole answers; usage errors (exit status 2) print nothing, so a script never reads half an answer.
    void commands_data()
    {
        QTest::addColumn<QByteArrayList>("arguments"); // "@" stands for a folder that holds song.mp3
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("kind")
            << QByteArrayList{"kind",     "a.JPG",    "x.app",       "setup.pkg",   "README",    "report.",
                              "a.tar.gz", "song.Mp3", "clip.dvr-ms", "notes.plist", "dir.d/file"}
            << 0
            << "Image\nDocument\nInstall Package\nOther\nOther\nArchive\nAudio\nVideo\nDocument\nOther\n"_ba;
        QTest::newRow("size")
            << QByteArrayList{"size",
                              "0",
                              "1",
                              "999",
                              "1000",
                              "999999",
                              "1000000000000",
                              "18446744073709551615"}
            << 0 << "0 bytes\n1 bytes\n999 bytes\n1.00 KB\n1000.00 KB\n1.00 TB\n18446744.00 TB\n"_ba;
        QTest::newRow("empty list") << QByteArrayList{"scan", "--list", "image", "@"} << 0 << QByteArray();
        QTest::newRow("a file is no folder") << QByteArrayList{"scan", "@/song.mp3"} << 0 << QByteArray();
        const auto usage = [](const char *tag, const QByteArrayList &arguments) {
            QTest::newRow(tag) << arguments << 2 << QByteArray();
        };
        usage("no command", {});
        usage("unknown command", {"scna", "/tmp"});
        usage("unknown option", {"scan", "--lsit", "image", "/tmp"});
        usage("unknown list", {"scan", "--list", "pictures", "/tmp"});
        usage("list without value", {"scan", "--list"});
        usage("unknown sort order", {"scan", "--sort", "bogus", "/tmp"});
        usage("sort without value", {"scan", "/tmp", "--sort"});
        usage("scan without folder", {"scan"});
        usage("size too large", {"size", "18446744073709551616"});
        usage("size negative", {"size", "-1"});
        usage("size not a number", {"size", "12x"});
        usage("size empty", {"size", ""});
        usage("size without count", {"size"});
        usage("kind without name", {"kind"});
        usage("trash without path", {"trash"});
        usage("trash unknown option", {"trash", "--force", "/tmp/x"});
        usage("trash empty path", {"trash", "/tmp/x", ""});
        usage("move without destination", {"move", "/tmp/x"});
        usage("move too far up", {"move", "--up", "4", "/tmp/x"});
        usage("move two destinations", {"move", "--up", "1", "--to", "/tmp", "/tmp/x"});
        usage("move without file", {"move", "--up", "1"});
        usage("move into empty folder", {"move", "--to", "", "/tmp/x"});
        usage("rename without mode", {"rename", "--variant", "end", "/tmp/x"});
        usage("rename unknown mode", {"rename", "--mode", "bogus", "--variant", "end", "/tmp/x"});
        usage("rename depth out of range", {"rename", "--mode", "components", "--variant", "end", "--depth", "6", "/tmp/x"});
        usage("login without action", {"login"});
        usage("login unknown action", {"login", "on"});
        usage("login extra argument", {"login", "add", "now"});
    }

    void commands()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        TempHome home; // nothing reaches the user's own files, whatever the command does
        TempDir tmp;
        TreeBuilder tree(tmp.path());
        tree.file("song.mp3", 3);
        for (QByteArray &argument : arguments)
            argument.replace('@', tree.root());
        const ProcessResult run = cli(arguments);
        QVERIFY(run.started && run.exitedNormally);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.standardOutput, output);
    }

    // Paths typed in a working folder (~/w of a throw-away home) name what the kernel would, and the home,
    // the folders above it and the root are never reorganised. `output` is standard output and error
    // together: "~" is the home folder, "^" the folder holding it. `made` names a file the command must
    // have made (relative to the home); without one, nothing in the home may change.
    void pathOperands_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QByteArray>("made");
        const auto row = [](const char *tag, const QByteArrayList &arguments, int exitCode,
                            const QByteArray &output, const QByteArray &made = {}) {
            QTest::newRow(tag) << arguments << exitCode << output << made;
        };
        const QByteArray cannot = "vellumry-cli: cannot ";
        const QByteArray dots = "\trefusing to trash \".\" or \"..\"\n";
        row("classify empty", {"classify", "--by", "kind", ""}, 2,
            "vellumry-cli: an empty path names no file or folder\n"
            "Try 'vellumry-cli --help' for more information.\n");
        row("classify home", {"classify", "--by", "kind", "~"}, 1, cannot + "classify ~: the home folder\n");
        row("classify above home", {"classify", "--by", "date", "~/.."}, 1,
            cannot + "classify ^: a folder holding the home folder\n");
        // A dry run: should the guard ever fail, the whole disk is only read.
        row("classify root", {"classify", "--by", "kind", "--dry-run", "/."}, 1,
            cannot + "classify /: the file-system root\n");
        row("classify a file", {"classify", "--by", "kind", "a.jpg"}, 1,
            cannot + "classify ~/w/a.jpg: not a folder\n");
        row("move into home", {"move", "--to-main", "..", "a.jpg"}, 1,
            cannot + "move into ~: the home folder\n");
        row("rename a bare name",
            {"rename", "--mode", "text", "--variant", "begin", "--text", "new", "a.jpg"}, 0,
            "moved\t~/w/a.jpg\t~/w/new a.jpg\n1 moved, 0 skipped, 0 trashed\n", "w/new a.jpg");
        row("move a bare name up", {"move", "--up", "1", "a.jpg"}, 0,
            "moved\t~/w/a.jpg\t~/a.jpg\n1 moved, 0 skipped, 0 trashed\n", "a.jpg");
        row("trash dot", {"trash", "."}, 1, "failed\t." + dots);
        row("trash dot dot", {"trash", "p/.."}, 1, "failed\tp/.." + dots);
    }

    void pathOperands()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, made);
        TempHome home;
        const QByteArray homePath = QFile::encodeName(QFileInfo(home.home()).canonicalFilePath());
        TreeBuilder tree(homePath);
        tree.file("w/a.jpg", 1);
        tree.file("w/p/z.jpg", 2);
        tree.file("keep/b.txt", 3);
        const TreeBuilder::Snapshot before = tree.snapshot();
        for (QByteArray &argument : arguments)
            argument.replace('~', homePath);
        const QByteArray parent = homePath.left(homePath.lastIndexOf('/'));
        output.replace('~', homePath).replace('^', parent);

        const ProcessResult run = runProcess(
            "/bin/sh",
            QByteArrayList{"-c", "cd \"$0\" && exec \"$@\" 2>&1", tree.path("w"), cliPath()} + arguments,
            60000);
        QVERIFY(run.started && run.exitedNormally);
        QCOMPARE(run.standardOutput, output);
        QCOMPARE(run.exitCode, exitCode);
        if (made.isEmpty()) {
            TreeBuilder::Snapshot after = tree.snapshot();
            after.removeIf([](const auto &entry) { return entry.key().startsWith(".local/share/Vellumry"); });
            QCOMPARE(after, before); // the journal of a refused step aside
        } else
            QVERIFY(::access(tree.path(made).constData(), F_OK) == 0);
    }

    // One word on standard output; the autostart entry starts the window program and the preference follows.
    void loginAddStatusRemove()
    {
        TempHome home; // the child writes this home's autostart folder and settings
        const LoginItems items(qgetenv("VELLUMRY_APP"));
        const auto stored = [] { return Settings().string(u"BAutoLogin"_s); };
        const QList<std::pair<QByteArray, QByteArray>> steps{
            {"status", "disabled\n"}, {"add", "enabled\n"},     {"add", "enabled\n"},
            {"status", "enabled\n"},  {"remove", "disabled\n"}, {"remove", "disabled\n"},
        };
        for (const auto &[command, output] : steps) {
            const ProcessResult run = cli({"login", command});
            QVERIFY(run.succeeded());
            QCOMPARE(run.standardOutput, output);
            QCOMPARE(items.isEnabled(), output == "enabled\n");
            if (command != "status")
                QCOMPARE(stored(), output == "enabled\n" ? u"YES"_s : u"NO"_s);
        }
        // An autostart folder whose place is taken by a file: a failure, and no word printed.
        QVERIFY(QDir(home.configHome() + u"/autostart"_s).removeRecursively());
        QFile blocker(home.configHome() + u"/autostart"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        const ProcessResult run = cli({"login", "add"});
        QVERIFY(run.exitedNormally);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.standardOutput, QByteArray());
    }

    void writeFailureIsReported()
    {
        if (::access("/dev/full", W_OK) != 0)
            QSKIP("needs /dev/full");
        const ProcessResult run =
            runProcess("/bin/sh", {"-c", "\"$0\" size 1 >/dev/full 2>/dev/null; echo $?", cliPath()}, 60000);
        QCOMPARE(run.standardOutput.trimmed(), QByteArray("1"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
