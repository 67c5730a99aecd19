// Classification end to end: the real command-line tool on built trees, with every file's content
// accounted for afterwards (in the main folder or in the Trash), and faults injected along the way.
#include "platform/ChildProcess.h"
#include "reorganise/ClassifyExecutor.h"
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QFile>
#include <QTest>

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

    // Nothing is lost: what was below the main folder is afterwards in it or in the Trash, byte for byte.
    void byKindMovesEveryFileAndTrashesTheRest()
    {
        TreeBuilder &t = *m_tree;
        t.file("a/x.jpg", 10);
        t.file("a/b/y.mp3", 20);
        t.file("z.pdf", 30);
        t.file(".directory", 5);      // hidden at the top: goes by kind
        t.file("a/.thumbs", 7);       // hidden deeper: goes with its folder
        t.file("a/b/r\xe9sum\xe9.JPG", 8); // not UTF-8: moved byte-exactly
        t.file("c/x.jpg", 11);        // the same name again: numbered
        t.file("h/Tool.app/bin/tool", 9); // a bundle moves whole
        const QList<QByteArray> before = contents(t.root());

        const ProcessResult run = classify({"--by", "kind", t.root()});
        QVERIFY(run.succeeded());
        const QByteArrayList out = lines(run);
        QCOMPARE(out.last(), "6 moved, 0 skipped, 4 trashed");
        QVERIFY(out.contains("moved\t" + t.path("a/b/r\\xe9sum\\xe9.JPG") + '\t' + t.path("Image/r\\xe9sum\\xe9.JPG")));
        QVERIFY(out.contains("trashed\t" + t.path(".directory")));
        QVERIFY(out.contains("kept\t" + t.path("Audio& Music") + "\ta kind folder"));

        QCOMPARE(t.snapshot().keys(),
                 (QList<QByteArray>{"Application", "Application/Tool.app", "Application/Tool.app/bin",
                                    "Application/Tool.app/bin/tool", "Audio& Music", "Audio& Music/y.mp3",
                                    "Document", "Document/z.pdf", "Image", "Image/r\xe9sum\xe9.JPG",
                                    "Image/x 1.jpg", "Image/x.jpg"}));
        const QByteArray trash = QFile::encodeName(m_home->dataHome()) + "/Trash/files";
        QList<QByteArray> now = contents(t.root()) + contents(trash);
        std::sort(now.begin(), now.end());
        QCOMPARE(now, before);
    }

    void byDateKeepsYearsAndHiddenEntries()
    {
        TreeBuilder &t = *m_tree;
        for (const char *folder : {"1800", "1801", "2499", "2500", "2019 Trips", "Photos"})
            t.dir(folder);
        t.file("Photos/day.jpg", 10, july4th2019);
        t.file("2019 Trips/t.jpg", 10, july4th2019 + 86400);
        t.file(".hidden", 3);
        const ProcessResult run = classify({"--by", "date", t.root()});
        QVERIFY(run.succeeded());
        const TreeBuilder::Snapshot after = t.snapshot();
        QVERIFY(after.contains("2019/7/4/day.jpg") && after.contains("2019/7/5/t.jpg"));
        for (const QByteArray kept : {"1801", "2499", "2019 Trips", ".hidden"})
            QVERIFY2(after.contains(kept), kept.constData());
        for (const QByteArray gone : {"1800", "2500", "Photos"})
            QVERIFY2(!after.contains(gone), gone.constData());
        QCOMPARE(lines(run).last(), "2 moved, 0 skipped, 3 trashed");
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
        QCOMPARE(lines(again).last(), "0 moved, 3 skipped, 0 trashed");
        QCOMPARE(t.snapshot(), once);
        QCOMPARE(contents(t.root()), before);
    }

    void dryRunTouchesNothing()
    {
        TreeBuilder &t = *m_tree;
        t.file("a/x.jpg", 10);
        t.dir("empty");
        const TreeBuilder::Snapshot before = t.snapshot();
        const ProcessResult run = classify({"--dry-run", "--by", "kind", t.root()});
        QVERIFY(run.succeeded());
        QCOMPARE(lines(run), (QByteArrayList{"plan\t" + t.path("a/x.jpg") + '\t' + t.path("Image/x.jpg"),
                                             "plan\t" + t.path("a") + "\t(Trash)",
                                             "plan\t" + t.path("empty") + "\t(Trash)",
                                             "0 moved, 0 skipped, 0 trashed"}));
        QCOMPARE(t.snapshot(), before);
    }

    void usageAndFailures_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("no mode") << QByteArrayList{"@"} << 2;
        QTest::newRow("unknown mode") << QByteArrayList{"--by", "size", "@"} << 2;
        QTest::newRow("two folders") << QByteArrayList{"--by", "kind", "@", "@"} << 2;
        QTest::newRow("missing folder") << QByteArrayList{"--by", "kind", "@/missing"} << 1;
        QTest::newRow("a file") << QByteArrayList{"--by", "kind", "@/f.txt"} << 1;
    }
    void usageAndFailures()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, status);
        m_tree->file("f.txt", 1);
        for (QByteArray &a : arguments)
            a.replace("@", m_tree->root());
        const ProcessResult run = classify(arguments);
        QVERIFY(run.exitedNormally);
        QCOMPARE(run.exitCode, status);
        QVERIFY(run.standardOutput.isEmpty());
        QVERIFY(QFile::exists(QFile::decodeName(m_tree->path("f.txt"))));
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
        const QByteArray intruder = t.file("Image/x.jpg", 99);
        QList<QByteArray> trashed;
        const ClassifyOutcome outcome =
            executeClassification(plan, t.root(), ClassifyBy::Kind, nullptr, nullptr, {}, [&](const QByteArray &p) {
                trashed.append(p);
                return ActionResult{true, {}};
            });
        QVERIFY(!outcome.moves.first().moved);
        QVERIFY(trashed.isEmpty());
        QCOMPARE(TreeBuilder::fileChecksums(t.snapshot()).size(), 2);
        QVERIFY(classifySummaryText(outcome).contains(QStringLiteral("kept: a (holds a file that was not moved: a/x.jpg)")));
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
        QCOMPARE(out.last(), "1 moved, 1 skipped, 0 trashed");
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
