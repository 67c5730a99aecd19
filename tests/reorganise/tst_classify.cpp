// Classification end to end: the real command-line tool on built trees, with every file's content
// accounted for afterwards, and faults injected along the way: a writer beside the run, a kill, a file
// system that keeps the originals. Then the plan itself: numbered names, and what the clean-up keeps.
#include "model/TakenFiles.h"
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

#include <ctime>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

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

// The time zone of this process and of the tools it starts.
void setTimeZone(const QByteArray &zone)
{
    qputenv("TZ", zone);
    ::tzset();
}

// Items for files below `root`, given by relative paths.
ItemList entries(const QByteArray &root, const QList<QByteArray> &rels)
{
    ItemList items;
    for (const QByteArray &rel : rels) {
        const QByteArray path = root + '/' + rel, name = path.mid(path.lastIndexOf('/') + 1);
        const FileKind kind = kindForFileName(std::string_view(name.constData(), name.size()));
        items.append(IKImageItem::makeEntry(ScanFolderRef(new ScanFolder(path.chopped(name.size() + 1))), name,
                                            kind, 1, qint64(0)));
    }
    return items;
}

// The paths below `root`, relative to it; an empty path (a skipped step's target) stays empty.
QList<QByteArray> below(const QByteArray &root, const QList<QByteArray> &paths)
{
    QList<QByteArray> names;
    for (const QByteArray &path : paths)
        names.append(path.isEmpty() ? path : path.mid(root.size() + 1));
    return names;
}

QList<QByteArray> targets(const ClassifyPlan &plan)
{
    QList<QByteArray> out;
    for (const PlanStep &step : plan.moves)
        out.append(step.target);
    return out;
}

QList<QByteArray> kept(const ClassifyPlan &plan)
{
    QList<QByteArray> out;
    for (const auto &entry : plan.kept)
        out.append(entry.first);
    return out;
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
        setTimeZone("UTC");
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
        for (const char *rel : {"a/v.mov", "a/b/z.zip", "setup.pkg", "README"}) // one of every other kind
            t.file(rel, 12);
        t.dir("h/empty/deeper");
        for (const char *folder : {"Install Package", "Audio & Music", "2019"}) // a kind folder, and names that are none
            t.dir(folder);
        const QList<QByteArray> before = contents(t.root());

        const ProcessResult run = classify({"--by", "kind", t.root()});
        QVERIFY(run.succeeded());
        const QByteArrayList out = lines(run);
        QCOMPARE(out.last(), "10 moved, 0 skipped, 4 removed");
        QVERIFY(out.contains("moved\t" + t.path("a/b/r\\xe9sum\\xe9.JPG") + '\t' + t.path("Image/r\\xe9sum\\xe9.JPG")));
        QVERIFY(out.contains("kept\t" + t.path(".directory") + "\thidden"));
        QVERIFY(out.contains("kept\t" + t.path("a") + "\tholds a hidden entry: a/.thumbs"));
        QVERIFY(out.contains("removed\t" + t.path("h")));
        QVERIFY(out.contains("kept\t" + t.path("Audio& Music") + "\ta kind folder"));

        QCOMPARE(t.snapshot().keys(),
                 (QList<QByteArray>{".directory", "Application", "Application/Tool.app", "Application/Tool.app/bin",
                                    "Application/Tool.app/bin/tool", "Archive", "Archive/z.zip", "Audio& Music",
                                    "Audio& Music/y.mp3", "Document", "Document/z.pdf", "Image",
                                    "Image/r\xe9sum\xe9.JPG", "Image/x 1.jpg", "Image/x.jpg", "Install Package",
                                    "Install Package/setup.pkg", "Other", "Other/README", "Video", "Video/v.mov", "a",
                                    "a/.thumbs", "a/b"}));
        QCOMPARE(contents(t.root()), before);
        QVERIFY(contents(QFile::encodeName(m_home->dataHome()) + "/Trash").isEmpty());
    }

    // Year folders in range (1801 to 2499) and hidden entries stay; the emptied folders and the out-of-range
    // years go, also one too large for any integer. Dates are local (here east of UTC), without leading zeros.
    void byDateKeepsYearsAndHiddenEntries()
    {
        TreeBuilder &t = *m_tree;
        for (const char *folder : {"1800", "1801", "2499", "2500", "20190000000000000000", "2019 Trips", "Photos"})
            t.dir(folder);
        t.file("Photos/day.jpg", 10, 946684799);                // 1999-12-31 23:59:59 UTC
        t.file("2019 Trips/t.jpg", 10, 946684799 - 9 * 3600); // the same local time in Tokyo
        t.file(".hidden", 3);
        setTimeZone("JST-9");
        const ProcessResult run = classify({"--by", "date", t.root()});
        QVERIFY(run.succeeded());
        QCOMPARE(lines(run).last(), "2 moved, 0 skipped, 4 removed");
        QCOMPARE(t.snapshot().keys(), (QList<QByteArray>{".hidden", "1801", "1999", "1999/12", "1999/12/31",
                                                         "1999/12/31/t.jpg", "2000", "2000/1", "2000/1/1",
                                                         "2000/1/1/day.jpg", "2019 Trips", "2499"}));
    }

    // By the date taken: a picture under the day it gives, a video under the local day of its UTC time, the
    // rest under their last change and counted apart; every file still there, byte for byte.
    void byDateTakenFilesUnderTheDayTaken()
    {
        TreeBuilder &t = *m_tree;
        setTimeZone("JST-9");
        QVERIFY(writeTaggedJpeg(t.dir("a") + "/p.jpg", {u"Exif.Photo.DateTimeOriginal=2021:03:04 23:30:00"_s}));
        QVERIFY(muxVideo(t.dir("b") + "/v.mp4", {"-metadata", "creation_time=2021-03-04T23:30:00Z"}));
        t.file("b/n.jpg", 10, july4th2019); // not a picture a reader knows: no date taken
        t.file("c.txt", 10, july4th2019);
        const QList<QByteArray> before = contents(t.root());
        QProcess run;
        run.start(qEnvironmentVariable("VELLUMRY_CLI"),
                  {u"classify"_s, u"--by"_s, u"date"_s, u"--date"_s, u"taken"_s, QFile::decodeName(t.root())});
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 0);
        QVERIFY(run.readAllStandardOutput().endsWith("\n4 moved, 0 skipped, 2 removed\n"));
        QCOMPARE(run.readAllStandardError(), "2 by modification time: no date taken\n");
        QCOMPARE(t.snapshot().keys(), (QList<QByteArray>{"2019", "2019/7", "2019/7/4", "2019/7/4/c.txt",
                                                         "2019/7/4/n.jpg", "2021", "2021/3", "2021/3/4",
                                                         "2021/3/4/p.jpg", "2021/3/5", "2021/3/5/v.mp4"}));
        QCOMPARE(contents(t.root()), before);
    }

    // Kind, then date (west of UTC), then kind twice: the second kind run finds every file in place and
    // changes nothing.
    void classifyingAgainKeepsEveryFile()
    {
        TreeBuilder &t = *m_tree;
        setTimeZone("EST5");
        const qint64 lateOnJuly3rd = july4th2019 - 12 * 3600 - 1; // 23:59:59 UTC, 18:59:59 local
        t.file("a/x.jpg", 10, lateOnJuly3rd);
        t.file("b/y.txt", 20, lateOnJuly3rd);
        t.file("b/c/z.zip", 30, lateOnJuly3rd);
        const QList<QByteArray> before = contents(t.root());
        QVERIFY(classify({"--by", "kind", t.root()}).succeeded());
        QVERIFY(classify({"--by", "date", t.root()}).succeeded());
        QCOMPARE(t.snapshot().keys(), (QList<QByteArray>{"2019", "2019/7", "2019/7/3", "2019/7/3/x.jpg",
                                                         "2019/7/3/y.txt", "2019/7/3/z.zip"}));
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
        const ClassifyPlan plan = planClassification(entries(t.root(), {"a/x.jpg"}), t.root(), ClassifyBy::Kind);
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

    // Taken on disk, then by earlier steps; a file already in its folder stays where it is.
    void takenNamesNumbered()
    {
        for (const char *rel : {"Image/x.jpg", "Image/x 1.jpg", "a/x.jpg", "b/x.jpg", "c/x 2.jpg"})
            m_tree->file(rel, 3);
        const QByteArray root = m_tree->root();
        const ClassifyPlan plan = planClassification(
            entries(root, {"a/x.jpg", "b/x.jpg", "c/x 2.jpg", "Image/x.jpg"}), root, ClassifyBy::Kind);
        QCOMPARE(below(root, targets(plan)), (QList<QByteArray>{"Image/x 2.jpg", "Image/x 3.jpg", "Image/x 2 1.jpg", {}}));
        QCOMPARE(plan.moves.last().skipReason, u"already in its folder"_s);
        for (const auto &[name, numbered] : QList<std::pair<QByteArray, QByteArray>>{
                 {"notes", "notes 2"}, {"a.tar.gz", "a.tar 2.gz"}, {".profile", ".profile 2"}, {"end.", "end. 2"}})
            QCOMPARE(numberedName(name, 2), numbered);
    }

    // Nothing unmoved is removed: a file the scan did not list, a move that failed, a folder the moves
    // fill even though its name is outside the year range (a date the file system may not hold).
    void failedMoveKeepsItsFolder()
    {
        TreeBuilder &t = *m_tree;
        for (const char *rel : {"a/x.jpg", "a/deep/unlisted.txt", "b/y.jpg", "c/z.txt"})
            t.file(rel, 2, july4th2019);
        t.file("loose.txt", 2);
        const QByteArray root = t.root();
        const ClassifyPlan plan =
            planClassification(entries(root, {"a/x.jpg", "b/y.jpg", "c/z.txt"}), root, ClassifyBy::Date);
        QCOMPARE(below(root, targets(plan)), (QList<QByteArray>{"2019/7/4/x.jpg", "2019/7/4/y.jpg", "2019/7/4/z.txt"}));
        QCOMPARE(below(root, plan.cleanUp), (QList<QByteArray>{"b", "c"}));
        QCOMPARE(below(root, kept(plan)), (QList<QByteArray>{"a", "loose.txt"}));
        QVERIFY(plan.kept.first().second.contains(u"deep/unlisted.txt"_s));

        Plan succeeded = plan.moves;
        succeeded[1].skipReason = u"name taken"_s;
        t.dir("2600");
        succeeded[2].target = root + "/2600/1/1/z.txt";
        const ClassifyPlan after = cleanUpAfter(succeeded, root, ClassifyBy::Date);
        QCOMPARE(below(root, after.cleanUp), QList<QByteArray>{"c"});
        QCOMPARE(below(root, kept(after)), (QList<QByteArray>{"2600", "a", "b", "loose.txt"}));
    }

    // The dry run says what the run will do, step by step: the same steps skipped, for the same reasons.
    void previewForeseesTheRun_data()
    {
        QTest::addColumn<QByteArrayList>("steps"); // "source>target" below the root; a leading '+': make its folder
        const QByteArray longName = QByteArray(251, 'n') + ".jpg"; // 255 bytes: numbered, it grows past the limit
        QTest::newRow("numbered name too long") << QByteArrayList{"classify:" + longName};
        QTest::newRow("name too long") << QByteArrayList{"a/x.jpg>" + QByteArray(256, 'y')};
        QTest::newRow("name freed by an earlier step") << QByteArrayList{"z.pdf>w.pdf", "a/x.jpg>z.pdf"};
        QTest::newRow("name taken by an earlier step") << QByteArrayList{"a/x.jpg>v", "a/y.txt>v"};
    }
    void previewForeseesTheRun()
    {
        QFETCH(QByteArrayList, steps);
        TreeBuilder &t = *m_tree;
        t.file("a/x.jpg", 1);
        t.file("a/y.txt", 1);
        t.file("z.pdf", 1);
        Plan plan;
        if (steps.first().startsWith("classify:")) {
            const QByteArray name = steps.first().mid(9);
            t.file(QByteArray("a/" + name), 1);
            t.file(QByteArray("b/" + name), 2);
            plan = planClassification(entries(t.root(), {"a/" + name, "b/" + name}), t.root(), ClassifyBy::Kind).moves;
        } else {
            for (QByteArray step : steps) {
                const bool make = step.startsWith('+');
                const QByteArrayList ends = step.mid(make ? 1 : 0).split('>');
                plan.append({t.path(ends.at(0)), t.path(ends.at(1)), {}, int(plan.size()), make});
            }
        }
        const QList<StepPreview> previews = previewPlan(plan);
        const QList<StepOutcome> outcomes = executePlan(plan, nullptr);
        QCOMPARE(previews.size(), outcomes.size());
        for (qsizetype i = 0; i < previews.size(); ++i) {
            QCOMPARE(previews.at(i).reason, outcomes.at(i).reason);
            QCOMPARE(previews.at(i).skipped, !outcomes.at(i).moved);
        }
    }

    void noMainFolder()
    {
        m_tree->file("x.jpg", 1);
        for (const char *mainFolder : {"", "/", "//"}) {
            for (ClassifyBy by : {ClassifyBy::Kind, ClassifyBy::Date}) {
                const ClassifyPlan plan = planClassification(entries(m_tree->root(), {"x.jpg"}), mainFolder, by);
                QVERIFY2(plan.moves.size() == 1 && plan.moves.first().skipped(), mainFolder);
                QVERIFY(plan.cleanUp.isEmpty() && plan.kept.isEmpty());
            }
        }
    }

private:
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TempDir> m_tmp;
    std::unique_ptr<TreeBuilder> m_tree;
};

QTEST_GUILESS_MAIN(TestClassify)
#include "tst_classify.moc"
