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
#include <QSet>
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

    // Exact lines, names escaped, hidden entries left out; folders in the order given; --sort reorders the
    // files list only. Kinds by name, sizes (a link's own, a bundle's disk usage) and dates. "@" is the
    // tree, "D" a file's date, "U" a bundle's disk usage as du counts it.
    void scan_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<bool>("anyOrder");
        QTest::newRow("by size, every file")
            << QByteArrayList{"scan", "--sort", "size", "@"}
            << "Application\tU\tU\tD\t@/Tool.APP\nApplication\tU\tU\tD\t@/sub/Nested.app\n"
               "Image\t1536\t1.54 KB\tD\t@/sub/photo.JPG\nDocument\t300\t300 bytes\tD\t@/a/large.txt\n"
               "Document\t20\t20 bytes\tD\t@/_c/middle.txt\nImage\t18\t18 bytes\tD\t@/gone.jpg\n"
               "Image\t10\t10 bytes\tD\t@/r\\xe9\r\\xe2\\x82/\\xff\\xfe.jpg\nVideo\t8\t8 bytes\tD\t@/Thing.bundle/inside.mp4\n"
               "Document\t7\t7 bytes\tD\t@/x.app\nOther\t6\t6 bytes\tD\t@/report.\nOther\t5\t5 bytes\tD\t@/README\n"
               "Install Package\t4\t4 bytes\tD\t@/setup.pkg\nAudio\t3\t3 bytes\tD\t@/inner/song.mp3\nDocument\t2\t2 bytes\tD\t"
               "@/tab\\there new\\nline back\\\\slash caf\xc3\xa9 r\\xe9sum\\xe9.txt\n"
               "Document\t1\t1 bytes\tD\t@/b/small.txt\nOther\t0\t0 bytes\tD\t@/empty\n"_ba
            << false;
        QTest::newRow("by path") << QByteArrayList{"scan", "--sort=path", "@/b", "@/a", "@/_c"} // '_' first
                                 << "Document\t20\t20 bytes\tD\t@/_c/middle.txt\nDocument\t300\t300 bytes\tD\t"
                                    "@/a/large.txt\nDocument\t1\t1 bytes\tD\t@/b/small.txt\n"_ba
                                 << false;
        const QByteArray smallLarge = "Document\t1\t1 bytes\tD\t@/b/small.txt\nDocument\t300\t300 bytes\tD\t@/a/large.txt\n";
        QTest::newRow("folders as given") << QByteArrayList{"scan", "--", "@/b", "@/missing", "@/a"} << smallLarge << false;
        QTest::newRow("kind list unsorted")
            << QByteArrayList{"scan", "--list", "document", "--sort", "size", "@/b", "@/a"} << smallLarge << false;
        QTest::newRow("current") << QByteArrayList{"scan", "--list", "current", "@/inner"}
                                 << "Folder\t0\t\t\tdeeper\nAudio\t3\t3 bytes\tD\t@/inner/song.mp3\n"_ba << true;
        QTest::newRow("audio") << QByteArrayList{"scan", "--list=audio", "@"}
                               << "Audio\t3\t3 bytes\tD\t@/inner/song.mp3\n"_ba << false;
        QTest::newRow("empty list") << QByteArrayList{"scan", "--list", "image", "@/b"} << QByteArray() << false;
        QTest::newRow("a file is no folder") << QByteArrayList{"scan", "@/empty"} << QByteArray() << false;
        // --match: the window's filter rule (folding, patterns, locations below the folder, bad bytes).
        QTest::newRow("match folded") << QByteArrayList{"scan", "--match", "CAFE R", "@"}
                                      << "Document\t2\t2 bytes\tD\t@/tab\\there new\\nline back\\\\slash caf\xc3\xa9 "
                                         "r\\xe9sum\\xe9.txt\n"_ba << false;
        QTest::newRow("match pattern") << QByteArrayList{"scan", "--sort", "size", "--match=*.jp?", "@"}
                                       << "Image\t1536\t1.54 KB\tD\t@/sub/photo.JPG\nImage\t18\t18 bytes\tD\t@/gone.jpg\n"
                                          "Image\t10\t10 bytes\tD\t@/r\\xe9\r\\xe2\\x82/\\xff\\xfe.jpg\n"_ba << false;
        QTest::newRow("match location") << QByteArrayList{"scan", "--sort", "size", "--match", "?/*", "@"}
                                        << "Document\t300\t300 bytes\tD\t@/a/large.txt\nDocument\t1\t1 bytes\tD\t@/b/small.txt\n"_ba
                                        << false;
        QTest::newRow("match bad bytes") << QByteArrayList{"scan", "--match", "\xef\xbf\xbd\xef\xbf\xbd.", "@"}
                                         << "Image\t10\t10 bytes\tD\t@/r\\xe9\r\\xe2\\x82/\\xff\\xfe.jpg\n"_ba << false;
    }
    void scan()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArray, output);
        QFETCH(bool, anyOrder);
        TempDir tmp;
        TreeBuilder tree(tmp.path());
        QSet<QByteArray> dates;
        for (const auto &[name, size] : QList<std::pair<QByteArray, int>>{
                 {"sub/photo.JPG", 1536}, {"a/large.txt", 300}, {"_c/middle.txt", 20}, {"setup.pkg", 4},
                 {"inner/song.mp3", 3}, {"tab\there new\nline back\\slash caf\xc3\xa9 r\xe9sum\xe9.txt", 2},
                 {"b/small.txt", 1}, {"empty", 0}, {".hidden.jpg", 1}, {"README", 5}, {"report.", 6}, {"x.app", 7},
                 {"Thing.bundle/inside.mp4", 8}, {"r\xe9\r\xe2\x82/\xff\xfe.jpg", 10},
                 {"Tool.APP/Contents/MacOS/tool", 70000}, {"sub/Nested.app/Contents/Info.plist", 5000}})
            dates.insert(createdText(tree.file(name, size)));
        for (const QByteArray &made : {tree.symlink("gone.jpg", "nowhere/at/all.jpg"), tree.dir("inner/deeper"),
                                       tree.path("Tool.APP"), tree.path("sub/Nested.app")})
            dates.insert(createdText(made));
        for (QByteArray &argument : arguments)
            argument.replace('@', tree.root());
        const ProcessResult run = cli(arguments);
        QVERIFY(run.succeeded());
        QByteArrayList lines = run.standardOutput.split('\n');
        for (QByteArray &line : lines) { // each date is one of the files' dates, then written "D"
            QByteArrayList fields = line.split('\t');
            if (fields.size() < 5 || fields.at(3).isEmpty())
                continue;
            QVERIFY2(dates.contains(fields.at(3)), line.constData());
            fields[3] = "D";
            if (fields.at(0) == "Application") {
                const ProcessResult du = runProcess("/usr/bin/du", {"-k", "-d", "0", fields.at(4)});
                const quint64 usage = du.standardOutput.split('\t').first().toULongLong() * 1024;
                QVERIFY(du.succeeded() && usage > 0);
                QCOMPARE(fields.at(1), QByteArray::number(usage));
                QCOMPARE(fields.at(2), sizeText(usage).toUtf8());
                fields[1] = fields[2] = "U";
            }
            line = fields.join('\t');
        }
        const QByteArray printed = lines.join('\n');
        output.replace('@', tree.root());
        if (anyOrder)
            QCOMPARE(sortedLines(printed), sortedLines(output));
        else
            QCOMPARE(printed, output);
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

    // Every command as a script sees it: standard output and error together, the exit status, and what it
    // did, on paths typed in a working folder (~/w of a throw-away home). "~" is the home folder, "^" the
    // folder holding it. `made` names a file the command must have made (relative to the home), and a
    // journal must then be written; without one nothing in the home may change.
    void commands_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QByteArray>("made");
        const auto row = [](const char *tag, const QByteArrayList &arguments, int exitCode,
                            const QByteArray &output, const QByteArray &made = {}) {
            QTest::newRow(tag) << arguments << exitCode << output << made;
        };
        // Usage errors print nothing on standard output, so a script never reads half an answer.
        const auto usage = [&](const char *tag, const QByteArrayList &arguments, const QByteArray &message) {
            row(tag, arguments, 2, "vellumry-cli: " + message + "\nTry 'vellumry-cli --help' for more information.\n");
        };
        row("kind", {"kind", "a.JPG", "x.app", "setup.pkg", "README", "report.", "a.tar.gz", "song.Mp3",
                     "clip.dvr-ms", "notes.plist", "dir.d/file"},
            0, "Image\nDocument\nInstall Package\nOther\nOther\nArchive\nAudio\nVideo\nDocument\nOther\n");
        // Each unit step is one float division: 1065 B is the float 1.065000057 (a double would round down);
        // 256004984 B is 256.00497 after two steps (one division by a million rounds up); the third and fourth
        // quotients 2.2149999, 6.2449999 and 2.1649999 are floats; 999999995904 is the float 10^12, so the
        // unit comes from the integer; 2^64 - 1 becomes the float 2^64, whose last quotient is a whole number.
        row("size", {"size", "0", "1", "999", "1000", "1065", "999999", "1000000", "256004984", "999999999",
                     "1000000000", "2215000032", "6245000160", "999999995904", "1000000000000", "2164999871850",
                     "18446744073709551615"},
            0, "0 bytes\n1 bytes\n999 bytes\n1.00 KB\n1.07 KB\n1000.00 KB\n1.00 MB\n256.00 MB\n1000.00 MB\n"
               "1.00 GB\n2.21 GB\n6.24 GB\n1000.00 GB\n1.00 TB\n2.16 TB\n18446744.00 TB\n");
        const QByteArray count = "not a byte count from 0 to 18446744073709551615: '";
        usage("size too large", {"size", "18446744073709551616"}, count + "18446744073709551616'");
        usage("size negative", {"size", "-1"}, count + "-1'");
        usage("size not a number", {"size", "12x"}, count + "12x'");
        usage("size empty", {"size", ""}, count + "'");
        usage("size without count", {"size"}, "size needs at least one byte count");
        usage("kind without name", {"kind"}, "kind needs at least one name");
        usage("no command", {}, "no command given");
        usage("unknown command", {"scna", "p"}, "unknown command 'scna'");
        usage("unknown option", {"scan", "--lsit", "image", "p"}, "unknown option '--lsit'");
        usage("unknown list", {"scan", "--list", "pictures", "p"}, "unknown list 'pictures'");
        usage("list without value", {"scan", "--list"}, "option '--list' needs a value");
        usage("unknown sort order", {"scan", "--sort", "bogus", "p"}, "unknown sort order 'bogus'");
        usage("scan without folder", {"scan"}, "scan needs at least one folder");
        usage("trash without path", {"trash"}, "trash needs at least one path");
        usage("trash unknown option", {"trash", "--force", "a.jpg"}, "unknown option '--force'");
        usage("trash empty path", {"trash", "a.jpg", ""}, "an empty path names no file or folder");
        usage("move without destination", {"move", "a.jpg"}, "move needs --up N, --to FOLDER or --to-main MAINFOLDER");
        usage("move too far up", {"move", "--up", "4", "a.jpg"}, "--up takes 1, 2 or 3 (folders up)");
        usage("move two destinations", {"move", "--up", "1", "--to"}, "choose one of --up, --to and --to-main");
        usage("move value in one word", {"move", "--up=1", "a.jpg"}, "unknown option '--up=1'");
        usage("move without file", {"move", "--up", "1"}, "move needs at least one file");
        usage("move into empty folder", {"move", "--to", "", "a.jpg"}, "option '--to' needs a folder");
        usage("rename without mode", {"rename", "--variant", "end", "a.jpg"}, "rename needs --mode and --variant");
        usage("rename unknown mode", {"rename", "--mode", "bogus", "--variant", "end", "a.jpg"},
              "--mode takes parent, components or text");
        usage("rename depth out of range", {"rename", "--mode", "components", "--variant", "end", "--depth", "6", "a.jpg"},
              "--depth takes 1 to 5");
        usage("classify without mode", {"classify", "p"}, "classify needs --by kind or --by date");
        usage("classify unknown mode", {"classify", "--by", "size", "p"}, "--by takes kind or date");
        usage("classify two folders", {"classify", "--by", "kind", "p", "p"}, "classify takes exactly one main folder");
        usage("classify empty", {"classify", "--by", "kind", ""}, "an empty path names no file or folder");
        usage("classify unknown date", {"classify", "--by", "date", "--date", "birth", "p"}, "--date takes taken or modified");
        usage("classify date by kind", {"classify", "--by", "kind", "--date", "taken", "p"}, "--date goes with --by date");
        usage("info nothing", {"info"}, "info needs at least one file");
        usage("login unknown action", {"login", "on"}, "login takes one of add, remove and status");
        usage("login extra argument", {"login", "add", "now"}, "login takes one of add, remove and status");
        const QByteArray cannot = "vellumry-cli: cannot ";
        row("classify missing", {"classify", "--by", "kind", "missing"}, 1, cannot + "classify ~/w/missing: no such folder\n");
        row("classify home", {"classify", "--by", "kind", "~"}, 1, cannot + "classify ~: the home folder\n");
        row("classify above home", {"classify", "--by", "date", "~/.."}, 1,
            cannot + "classify ^: a folder holding the home folder\n");
        row("classify home by dot dot", {"classify", "--by", "kind", ".."}, 1, cannot + "classify ~: the home folder\n");
        row("classify a link to home", {"classify", "--by", "kind", "home"}, 1, cannot + "classify ~/w/home: the home folder\n");
        row("classify the Trash", {"classify", "--by", "kind", "~/.local/share/Trash/files/old"}, 1,
            cannot + "classify ~/.local/share/Trash/files/old: the Trash\n");
        row("classify a disk's trash", {"classify", "--by", "kind", "d/.Trash-1000"}, 1,
            cannot + "classify ~/w/d/.Trash-1000: the Trash\n");
        row("classify a shared trash", {"classify", "--by", "kind", "d/.Trash/1000/files"}, 1,
            cannot + "classify ~/w/d/.Trash/1000/files: the Trash\n");
        // A dry run: should the guard ever fail, the whole disk is only read.
        row("classify root", {"classify", "--by", "kind", "--dry-run", "/."}, 1, cannot + "classify /: the file-system root\n");
        row("classify root by dot dots", {"classify", "--by", "kind", "--dry-run", "../../../../../../../../../.."}, 1,
            cannot + "classify /: the file-system root\n");
        row("classify a file", {"classify", "--by", "kind", "a.jpg"}, 1, cannot + "classify ~/w/a.jpg: not a folder\n");
        row("classify dry run", {"classify", "--dry-run", "--by", "kind", "--", "p"}, 0,
            "plan\t~/w/p/q/z.jpg\t~/w/p/Image/z.jpg\nkept\t~/w/p/.h\thidden\nplan\t~/w/p/e\t(remove)\n"
            "plan\t~/w/p/q\t(remove)\n0 moved, 0 skipped, 0 removed\n");
        row("move into home", {"move", "--to-main", "..", "a.jpg"}, 1, cannot + "move into ~: the home folder\n");
        row("move dry run", {"move", "--up", "1", "--dry-run", "B/f\tx.txt", "B/g.txt"}, 0,
            "plan\t~/w/B/f\\tx.txt\t~/w/f\\tx.txt\nskipped\t~/w/B/g.txt\tname taken\n0 moved, 1 skipped, 0 trashed\n");
        row("move, a name taken", {"move", "--up", "1", "B/f\tx.txt", "B/g.txt"}, 0,
            "moved\t~/w/B/f\\tx.txt\t~/w/f\\tx.txt\nskipped\t~/w/B/g.txt\tname taken\n1 moved, 1 skipped, 0 trashed\n",
            "w/f\tx.txt");
        row("move into the root", {"move", "--to", "/", "g.txt"}, 0,
            "skipped\t~/w/g.txt\tnothing is moved to the file-system root\n0 moved, 1 skipped, 0 trashed\n");
        row("move a bare name up", {"move", "--up", "1", "a.jpg"}, 0,
            "moved\t~/w/a.jpg\t~/a.jpg\n1 moved, 0 skipped, 0 trashed\n", "a.jpg");
        const QByteArrayList parent{"rename", "--mode", "parent", "--variant", "begin"};
        const QByteArray renamed = "\t~/w/Rome/a.jpg\t~/w/Rome/Rome_a 0.jpg\n%\t~/w/Rome/b.jpg\t~/w/Rome/Rome_b.jpg\n";
        row("rename dry run", parent + QByteArrayList{"--dry-run", "Rome/a.jpg", "Rome/b.jpg"}, 0,
            "plan" + QByteArray(renamed).replace('%', "plan") + "0 moved, 0 skipped, 0 trashed\n");
        row("rename numbered", parent + QByteArrayList{"Rome/a.jpg", "Rome/b.jpg"}, 0,
            "moved" + QByteArray(renamed).replace('%', "moved") + "2 moved, 0 skipped, 0 trashed\n", "w/Rome/Rome_a 0.jpg");
        row("rename a bare name", {"rename", "--mode", "text", "--variant", "begin", "--text", "new", "a.jpg"}, 0,
            "moved\t~/w/a.jpg\t~/w/new a.jpg\n1 moved, 0 skipped, 0 trashed\n", "w/new a.jpg");
        // Dry runs on paths that need not exist, written as printed ("\\xff" a byte): each file's new name
        // (or new path), or "!" and the reason it stays.
        const auto dryRun = [&](const char *tag, const QByteArray &command,
                                const QList<std::pair<QByteArray, QByteArray>> &files) {
            QByteArrayList arguments = command.split(' ');
            arguments.insert(1, "--dry-run");
            QByteArray output;
            int skipped = 0;
            for (const auto &[path, result] : files) {
                arguments.append(QByteArray::fromPercentEncoding(QByteArray(path).replace("\\x", "%")));
                const QByteArray target = result.startsWith('/') ? result : QByteArray(path.left(path.lastIndexOf('/') + 1) + result);
                output += result.startsWith('!') ? QByteArray("skipped\t" + path + '\t' + result.mid(1) + '\n')
                                                 : QByteArray("plan\t" + path + '\t' + target + '\n');
                skipped += result.startsWith('!');
            }
            row(tag, arguments, 0, output + "0 moved, " + QByteArray::number(skipped) + " skipped, 0 trashed\n");
        };
        const QByteArray img = "/Users/u/Photos/Trip/Day1/IMG.jpg", readme = "/Users/u/Photos/Trip/Day1/README";
        const QByteArray few = "!too few folders above the file", same = "!the name is unchanged";
        dryRun("parent, beginning", "rename --mode parent --variant begin",
               {{img, "Day1_IMG.jpg"}, {readme, "Day1_README"}, {"/IMG.jpg", few}});
        dryRun("parent, end, depth ignored", "rename --mode parent --variant end --depth 3",
               {{img, "IMG_Day1.jpg"}, {readme, "README_Day1."}, {"/M/D/.profile", ".profile_D."},
                {"/M/\\xff\\xfe/f\\xe9.jpg", "f\\xe9_\\xff\\xfe.jpg"}});
        dryRun("parent, replace", "rename --mode parent --variant replace", {{img, "Day1.jpg"}, {readme, "Day1."}});
        dryRun("components, beginning 1", "rename --mode components --variant begin --depth 1", {{img, "Day1_IMG.jpg"}});
        dryRun("components, beginning 2", "rename --mode components --variant begin --depth 2",
               {{img, "Trip_Day1 IMG.jpg"}, {"/Day1/IMG.jpg", few}});
        dryRun("components, end 1", "rename --mode components --variant end --depth 1", {{img, "IMG_Day1.jpg"}});
        dryRun("components, end 2", "rename --mode components --variant end --depth 2", {{readme, "README Trip_Day1."}});
        dryRun("components, end 4", "rename --mode components --variant end --depth 4",
               {{img, "IMG u_Photos_Trip_Day1.jpg"}, {"/a/b/c/IMG.jpg", few}});
        dryRun("components, replace 1", "rename --mode components --variant replace --depth 1", {{img, "Day1.jpg"}});
        dryRun("components, replace 5", "rename --mode components --variant replace --depth 5",
               {{img, "Users_u_Photos_Trip_Day1.jpg"}});
        dryRun("text, beginning", "rename --mode text --variant begin --text new", {{img, "new IMG.jpg"}});
        dryRun("text, beginning, empty", "rename --mode text --variant begin --text ", {{img, " IMG.jpg"}});
        dryRun("text, odd bytes", "rename --mode text --variant begin --text caf\xc3\xa9",
               {{"/M/f\\xe9.jpg", "caf\xc3\xa9 f\\xe9.jpg"}});
        dryRun("text, end", "rename --mode text --variant end --text new", {{img, "IMG new.jpg"}, {readme, "README new."}});
        dryRun("text, replace in the base, by case", "rename --mode text --variant replace --find IMG --replace Photo",
               {{"/M/IMG_IMG.jpg.IMG", "Photo_Photo.jpg.IMG"}, {"/M/imgIMG.jpg", "imgPhoto.jpg"}});
        dryRun("text, dot dot", "rename --mode text --variant replace --find IMG --replace .",
               {{"/M/IMG", "!the new name would be \".\" or \"..\""}});
        dryRun("text, replace literally", "rename --mode text --variant replace --find . --replace -",
               {{"/M/a.b.c.jpg", "a-b-c.jpg"}});
        dryRun("text, nothing found", "rename --mode text --variant replace --find xyz --replace abc", {{img, same}});
        dryRun("text, empty find", "rename --mode text --variant replace --replace abc", {{img, same}});
        dryRun("text, slash", "rename --mode text --variant begin --text a/b",
               {{img, "!the new name would hold '/' or a NUL byte"}});
        dryRun("255 bytes", "rename --mode text --variant begin --text " + QByteArray(247, 'x'),
               {{img, QByteArray(247, 'x') + " IMG.jpg"}});
        dryRun("256 bytes", "rename --mode text --variant begin --text " + QByteArray(248, 'x'),
               {{img, "!the new name would be longer than 255 bytes"}});
        dryRun("move up 1", "move --up 1", {{"/M/A/B/f.txt", "/M/A/f.txt"}, {"/M/\\xff/x/\\xe9.txt", "/M/\\xff/\\xe9.txt"}});
        dryRun("move up 2", "move --up 2", {{"/M/A/B/f.txt", "/M/f.txt"}});
        dryRun("move up to the root", "move --up 3", {{"/M/A/B/f.txt", "!nothing is moved to the file-system root"}});
        dryRun("move two into one folder", "move --to /M", {{"/M/A/f.txt", "/M/f.txt"}, {"/M/B/f.txt", "!name taken"}});
        const QByteArray dots = "\trefusing to trash \".\" or \"..\"\n";
        // One line per path in order; a missing file fails with its reason and the next is still trashed.
        row("trash each path", {"trash", "B/f\tx.txt", "missing", "g.txt"}, 1,
            "trashed\tB/f\\tx.txt\nfailed\tmissing\tno such file\ntrashed\tg.txt\n", ".local/share/Trash/files/g.txt");
        row("trash dot", {"trash", "."}, 1, "failed\t." + dots);
        row("trash dot dot", {"trash", "p/.."}, 1, "failed\tp/.." + dots);
    }

    void commands()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, made);
        TempHome home;
        const QByteArray homePath = QFile::encodeName(QFileInfo(home.home()).canonicalFilePath());
        TreeBuilder tree(homePath);
        for (const char *name : {"w/a.jpg", "w/p/q/z.jpg", "w/p/.h", "keep/b.txt", "w/B/f\tx.txt", "w/B/g.txt",
                                 "w/g.txt", "w/Rome/a.jpg", "w/Rome/b.jpg", "w/Rome/Rome_a.jpg"})
            tree.file(name, 1);
        for (const char *folder : {"w/p/e", ".local/share/Trash/files/old", "w/d/.Trash-1000", "w/d/.Trash/1000/files"})
            tree.dir(folder);
        tree.symlink("w/home", "..");
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
        const QDir journals(home.dataHome() + u"/Vellumry/journal"_s);
        if (made.isEmpty()) {
            TreeBuilder::Snapshot after = tree.snapshot();
            after.removeIf([](const auto &entry) { return entry.key().startsWith(".local/share/Vellumry"); });
            QCOMPARE(after, before); // the journal of a refused step aside
        } else {
            QVERIFY(::access(tree.path(made).constData(), F_OK) == 0);
            QCOMPARE(journals.entryList(QDir::Files).size(), 1);
        }
    }

    // One word on standard output; the autostart entry starts the window program and the preference follows.
    void loginAddStatusRemove()
    {
        TempHome home; // the child writes this home's autostart folder and settings
        const LoginItems items(qgetenv("VELLUMRY_APP"));
        const auto stored = [] { return Settings().string(u"BAutoLogin"_s); };
        for (const QByteArray step : {"status disabled", "add enabled", "add enabled", "status enabled",
                                      "remove disabled", "remove disabled"}) {
            const QByteArray command = step.left(step.indexOf(' ')), state = step.mid(command.size() + 1);
            const ProcessResult run = cli({"login", command});
            QVERIFY(run.succeeded());
            QCOMPARE(run.standardOutput, state + '\n');
            QCOMPARE(items.isEnabled(), state == "enabled");
            if (command != "status")
                QCOMPARE(stored(), state == "enabled" ? u"YES"_s : u"NO"_s);
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
