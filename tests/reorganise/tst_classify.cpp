// Classification end to end: the real command-line tool on built trees, with every file's content
// accounted for afterwards, and faults injected along the way: a writer beside the run, a kill, a file
// system that keeps the originals.
#include "platform/ChildProcess.h"
#include "reorganise/ClassifyExecutor.h"
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;

namespace {

constexpr qint64 july4th2019 = 1562241600; // 2019-07-04 12:00 UTC

ProcessResult classify(const QByteArrayList &arguments)
{
    return runProcess(qgetenv("VELLUMRY_CLI"), QByteArrayList{"classify"} + arguments, 60000);
}

// The checksums of every file below `folder` (none when it does not exist).
QList<QByteArray> contents(const QByteArray &folder)
{
    struct stat st;
    if (::stat(folder.constData(), &st) != 0)
        return {};
    return TreeBuilder::fileChecksums(TreeBuilder(folder).snapshot());
}

QByteArrayList lines(const ProcessResult &run)
{
    QByteArrayList out = run.standardOutput.split('\n');
    out.removeLast();
    return out;
}

} // namespace

class TestClassify : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TempHome>();
        m_tmp = std::make_unique<TempDir>();
        m_tree = std::make_unique<TreeBuilder>(m_tmp->path() + "/M");
    }
    void cleanup()
    {
        m_tree.reset();
        m_tmp.reset();
        m_home.reset();
    }

    // Nothing is lost: every file is afterwards in the main folder, byte for byte, and only folders left
    // holding nothing but folders are removed. Hidden entries are never touched, nor the folders that hold one.
    void byKindMovesEveryFileAndRemovesEmptiedFolders()
    {
        TreeBuilder &t = *m_tree;
        t.file("a/x.jpg", 10);
        t.file("a/b/y.mp3", 20);
        t.file("z.pdf", 30);
        t.file(".directory", 5);      // hidden at the top: kept as it is
        t.file("a/.thumbs", 7);       // hidden deeper: keeps its folder
        t.file("a/b/r\xe9sum\xe9.JPG", 8); // not UTF-8: moved byte-exactly
        t.file("c/x.jpg", 11);        // the same name again: numbered
        t.file("h/Tool.app/bin/tool", 9); // a bundle moves whole
        t.dir("h/empty/deeper");
        for (const char *folder : {"Install Package", "Audio & Music", "2019"}) // a kind folder, and names that are none
            t.dir(folder);
        const QList<QByteArray> before = contents(t.root());

        const ProcessResult run = classify({"--by", "kind", t.root()});
        QVERIFY(run.succeeded());
        const QByteArrayList out = lines(run);
        QCOMPARE(out.last(), "6 moved, 0 skipped, 4 removed");
        QVERIFY(out.contains("moved\t" + t.path("a/b/r\\xe9sum\\xe9.JPG") + '\t' + t.path("Image/r\\xe9sum\\xe9.JPG")));
        QVERIFY(out.contains("kept\t" + t.path(".directory") + "\thidden"));
        QVERIFY(out.contains("kept\t" + t.path("a") + "\tholds a hidden entry: a/.thumbs"));
        QVERIFY(out.contains("removed\t" + t.path("h")));
        QVERIFY(out.contains("kept\t" + t.path("Audio& Music") + "\ta kind folder"));

        QCOMPARE(t.snapshot().keys(),
                 (QList<QByteArray>{".directory", "Application", "Application/Tool.app", "Application/Tool.app/bin",
                                    "Application/Tool.app/bin/tool", "Audio& Music", "Audio& Music/y.mp3",
                                    "Document", "Document/z.pdf", "Image", "Image/r\xe9sum\xe9.JPG",
                                    "Image/x 1.jpg", "Image/x.jpg", "Install Package", "a", "a/.thumbs", "a/b"}));
        QCOMPARE(contents(t.root()), before);
        QVERIFY(contents(QFile::encodeName(m_home->dataHome()) + "/Trash").isEmpty());
    }

    // Year folders in range (1801 to 2499) and hidden entries stay; the emptied folders and the out-of-range
    // years go, also one too large for any integer.
    void byDateKeepsYearsAndHiddenEntries()
    {
        TreeBuilder &t = *m_tree;
        for (const char *folder : {"1800", "1801", "2499", "2500", "20190000000000000000", "2019 Trips", "Photos"})
            t.dir(folder);
        t.file("Photos/day.jpg", 10, july4th2019);
        t.file("2019 Trips/t.jpg", 10, july4th2019 + 86400);
        t.file(".hidden", 3);
        const ProcessResult run = classify({"--by", "date", t.root()});
        QVERIFY(run.succeeded());
        QCOMPARE(lines(run).last(), "2 moved, 0 skipped, 4 removed");
        QCOMPARE(t.snapshot().keys(), (QList<QByteArray>{".hidden", "1801", "2019", "2019 Trips", "2019/7", "2019/7/4",
                                                         "2019/7/4/day.jpg", "2019/7/5", "2019/7/5/t.jpg", "2499"}));
    }

    // Kind, then date, then kind twice: the second kind run finds every file in place and changes nothing.
    void classifyingAgainKeepsEveryFile()
    {
        TreeBuilder &t = *m_tree;
        t.file("a/x.jpg", 10, july4th2019);
        t.file("b/y.txt", 20, july4th2019);
        t.file("b/c/z.zip", 30, july4th2019);
        const QList<QByteArray> before = contents(t.root());
        QVERIFY(classify({"--by", "kind", t.root()}).succeeded());
        QVERIFY(classify({"--by", "date", t.root()}).succeeded());
        QCOMPARE(t.snapshot().keys(), (QList<QByteArray>{"2019", "2019/7", "2019/7/4", "2019/7/4/x.jpg",
                                                         "2019/7/4/y.txt", "2019/7/4/z.zip"}));
        QVERIFY(classify({"--by", "kind", t.root()}).succeeded());
        const TreeBuilder::Snapshot once = t.snapshot();
        const ProcessResult again = classify({"--by", "kind", t.root()});
        QCOMPARE(lines(again).last(), "0 moved, 3 skipped, 0 removed");
        QCOMPARE(t.snapshot(), once);
        QCOMPARE(contents(t.root()), before);
    }

    // Files below a link to a folder lie elsewhere: they stay where they are, and so does the link.
    void filesReachedThroughALinkStay()
    {
        TreeBuilder &t = *m_tree;
        TreeBuilder elsewhere(m_tmp->path() + "/elsewhere");
        elsewhere.file("report.pdf", 10);
        elsewhere.file("sub/photo.jpg", 10);
        t.symlink("docs", elsewhere.root());
        t.file("a/x.jpg", 10);
        const TreeBuilder::Snapshot outside = elsewhere.snapshot();
        const ProcessResult run = classify({"--by", "kind", t.root()});
        QVERIFY(run.succeeded());
        const QByteArrayList out = lines(run);
        QVERIFY(out.contains("skipped\t" + t.path("docs/report.pdf") + "\treached through a link"));
        QVERIFY(out.contains("kept\t" + t.path("docs") + "\tholds a link that was not moved: docs"));
        QCOMPARE(out.last(), "1 moved, 2 skipped, 1 removed");
        QCOMPARE(elsewhere.snapshot(), outside);
    }

    // A name taken after the plan was made: the move fails, the file stays, and its folder is kept.
    void targetAppearingAfterThePlanKeepsTheFolder()
    {
        TreeBuilder &t = *m_tree;
        const QByteArray x = t.file("a/x.jpg", 10);
        const ItemList files{IKImageItem::makeEntry(ScanFolderRef(new ScanFolder(t.path("a"))), "x.jpg",
                                                    FileKind::Image, 10, qint64(0))};
        const ClassifyPlan plan = planClassification(files, t.root(), ClassifyBy::Kind);
        QCOMPARE(plan.cleanUp, QList<QByteArray>{t.path("a")});
        t.file("Image/x.jpg", 99);
        const BatchOutcome outcome = executeClassification(plan, t.root(), ClassifyBy::Kind, nullptr);
        QVERIFY(!outcome.moves.first().moved);
        QVERIFY(TreeBuilder::fileChecksums(t.snapshot()).size() == 2 && QFile::exists(QFile::decodeName(x)));
        QVERIFY(classifySummaryText(outcome).contains(QStringLiteral("kept: a (holds a file that was not moved: a/x.jpg)")));
    }

    // A writer keeps filling a folder while the clean-up removes the emptied ones: every file it wrote
    // is still where it wrote it (a folder that is not empty cannot be removed).
    void aFileWrittenDuringTheCleanUpStays()
    {
        TreeBuilder &t = *m_tree;
        for (int i = 0; i < 300; ++i)
            t.file(QByteArray("w/d" + QByteArray::number(i % 30) + "/f" + QByteArray::number(i) + ".txt"), 4);
        const QByteArray script = "cd '" + t.root() + "' && i=0; while [ $i -lt 1500 ]; do "
                                  "d=w/d$((i % 30)); mkdir -p $d 2>/dev/null; "
                                  "echo $i 2>/dev/null > $d/new$i && echo $d/new$i; i=$((i+1)); done";
        QProcess writer;
        writer.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromUtf8(script)});
        QVERIFY(writer.waitForStarted());
        const ProcessResult run = classify({"--by", "kind", t.root()});
        QVERIFY(writer.waitForFinished(60000));
        QVERIFY(run.succeeded());
        const TreeBuilder::Snapshot after = t.snapshot();
        const QByteArrayList written = writer.readAllStandardOutput().split('\n');
        QVERIFY(written.size() > 100);
        for (const QByteArray &rel : written) // where it was written, or classified when the scan saw it
            QVERIFY2(rel.isEmpty() || after.contains(rel) || after.contains("Other/" + rel.mid(rel.lastIndexOf('/') + 1)),
                     rel.constData());
    }

    // Killed anywhere in its moves, a classification leaves a journal that names every file no longer
    // at its old place, and the file is at the place the journal names.
    void aKilledRunIsJournaled()
    {
        TreeBuilder &t = *m_tree;
        QList<QByteArray> files;
        for (int i = 0; i < 5000; ++i)
            files.append(t.file(QByteArray("d" + QByteArray::number(i % 50) + "/f" + QByteArray::number(i) + ".jpg")));
        const QString journals = m_home->dataHome() + QStringLiteral("/Vellumry/journal");
        for (const int killAfter : {1, int(QRandomGenerator::global()->bounded(2, 4000)), 4000}) {
            QProcess child;
            child.start(QString::fromLocal8Bit(qgetenv("VELLUMRY_CLI")),
                        {QStringLiteral("classify"), QStringLiteral("--by"), QStringLiteral("date"),
                         QFile::decodeName(t.root())});
            int seen = 0;
            while (seen < killAfter && child.waitForReadyRead(30000)) {
                while (child.canReadLine())
                    seen += child.readLine().startsWith("moved") ? 1 : 0;
            }
            child.kill(); // SIGKILL: no chance to finish the step or the journal
            child.waitForFinished(30000);
            QCOMPARE(child.state(), QProcess::NotRunning);
        }
        QHash<QByteArray, QByteArray> named; // source -> target, from every journal's intentions
        for (const QString &name : QDir(journals).entryList(QDir::Files)) {
            QFile log(journals + u'/' + name);
            QVERIFY(log.open(QIODevice::ReadOnly));
            for (const QByteArray &line : log.readAll().split('\n')) {
                const QByteArrayList f = line.split('\t');
                if (f.size() >= 5 && f.at(1) == "intent" && f.at(2) == "move")
                    named.insert(QByteArray::fromPercentEncoding(f.at(3)), QByteArray::fromPercentEncoding(f.at(4)));
            }
        }
        int gone = 0;
        for (QByteArray path : files) {
            for (int hop = 0; hop < 3 && !QFile::exists(QFile::decodeName(path)); ++hop, ++gone) {
                QVERIFY2(named.contains(path), path.constData());
                path = named.value(path);
            }
            QVERIFY2(QFile::exists(QFile::decodeName(path)), path.constData());
        }
        QVERIFY(gone > 0);
    }

    // Across file systems, a copy whose original cannot be removed is no move: the original and the folder
    // holding it stay, and the line says so.
    void aCopyWhoseOriginalStaysIsNoMove()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to mount a file system");
        TreeBuilder &t = *m_tree;
        const QByteArray mount = t.dir("a");
        if (::mount("tmpfs", mount.constData(), "tmpfs", 0, "size=1m") != 0)
            QSKIP("cannot mount a file system here");
        t.file("a/x.jpg", 100);
        const bool readOnly = ::mount(nullptr, mount.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
        const ProcessResult run = classify({"--by", "kind", t.root()});
        const TreeBuilder::Snapshot after = t.snapshot();
        ::umount2(mount.constData(), MNT_DETACH);
        QVERIFY(readOnly);
        QCOMPARE(lines(run), (QByteArrayList{"copied\t" + t.path("a/x.jpg") + '\t' + t.path("Image/x.jpg") +
                                                 "\tcopied, the original stays: read-only file system",
                                             "kept\t" + t.path("Image") + "\ta kind folder",
                                             "kept\t" + t.path("a") + "\tholds a file that was not moved: a/x.jpg",
                                             "0 moved, 1 skipped, 0 removed"}));
        QVERIFY(after.contains("a/x.jpg") && after.value("Image/x.jpg") == after.value("a/x.jpg"));
    }

    // As an ordinary user, a kind folder that cannot be written: nothing moves into it, nothing is lost.
    void readOnlyDestinationAsAnOrdinaryUser()
    {
        if (::geteuid() != 0 || ::access("/usr/bin/setpriv", X_OK) != 0)
            QSKIP("needs root and setpriv to run as another user");
        TreeBuilder &t = *m_tree;
        t.file("a/x.jpg", 10);
        t.file("a/n.txt", 10);
        t.dir("Image");
        const QByteArray home = m_tmp->path() + "/nobody";
        TreeBuilder(home).dir(".local/share");
        const QByteArray copy = m_tmp->path() + "/vellumry-cli";
        QVERIFY(runProcess("/bin/cp", {qgetenv("VELLUMRY_CLI"), copy}).succeeded());
        QVERIFY(runProcess("/bin/chown", {"-R", "65534:65534", m_tmp->path()}).succeeded());
        QVERIFY(::chmod(m_tmp->path().constData(), 0755) == 0);
        QVERIFY(::chmod(t.path("Image").constData(), 0555) == 0);
        const ProcessResult run =
            runProcess("/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/env",
                                            "HOME=" + home, "XDG_DATA_HOME=" + home + "/.local/share", copy,
                                            "classify", "--by", "kind", t.root()},
                       60000);
        QVERIFY(run.succeeded());
        const QByteArrayList out = lines(run);
        QVERIFY(out.contains("skipped\t" + t.path("a/x.jpg") + "\tpermission denied"));
        QVERIFY(out.contains("kept\t" + t.path("a") + "\tholds a file that was not moved: a/x.jpg"));
        QCOMPARE(out.last(), "1 moved, 1 skipped, 0 removed");
        const TreeBuilder::Snapshot after = t.snapshot();
        QVERIFY(after.contains("a/x.jpg") && after.contains("Document/n.txt"));
    }

private:
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TempDir> m_tmp;
    std::unique_ptr<TreeBuilder> m_tree;
};

QTEST_GUILESS_MAIN(TestClassify)
#include "tst_classify.moc"
