// The numbered form of the batch rename for taken names, and what rename and move plans refuse that the
// command line cannot ask for (tst_cli's dry-run rows hold the new names and targets). Then how plans are
// carried out: in order, failures do not stop the loop, and every step is journaled before it is taken.
#include "reorganise/BatchExecutor.h"
#include "reorganise/MovePlanner.h"
#include "reorganise/RenamePlanner.h"
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(vellumry::RenameOptions)

namespace {

RenameOptions folders(RenameMode mode, RenameVariant variant, int depth = 1)
{
    return {mode, variant, depth, {}, {}, {}};
}

RenameOptions text(RenameVariant variant, const QString &text, const QString &find = {},
                   const QString &replace = {})
{
    return {RenameMode::Text, variant, 1, text, find, replace};
}

constexpr auto Parent = RenameMode::ParentFolderName;
constexpr auto Components = RenameMode::PathComponents;
constexpr auto Begin = RenameVariant::AddToBeginning;
constexpr auto End = RenameVariant::AddToEnd;
constexpr auto Replace = RenameVariant::Replace;

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

} // namespace

class TestRenamePlanner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void plans_data()
    {
        QTest::addColumn<QList<QByteArray>>("onDisk");   // files made before planning
        QTest::addColumn<QList<QByteArray>>("selected"); // the item index is 10 + the position
        QTest::addColumn<RenameOptions>("options");
        QTest::addColumn<QList<QByteArray>>("targets"); // empty: skipped

        using L = QList<QByteArray>;
        QTest::newRow("same name in two folders") << L{"A/x.jpg", "B/x.jpg"} << L{"A/x.jpg", "B/x.jpg"}
                                                  << text(Begin, u"n"_s) << L{"A/n x.jpg", "B/n x.jpg"};
        QTest::newRow("taken on disk") << L{"D/x.jpg", "D/D.jpg"} << L{"D/x.jpg"} << folders(Parent, Replace)
                                       << L{"D/D 10.jpg"};
        QTest::newRow("taken by an earlier step") << L{"D/x.jpg", "D/y.jpg"} << L{"D/x.jpg", "D/y.jpg"}
                                                  << folders(Parent, Replace) << L{"D/D.jpg", "D/D 11.jpg"};
        QTest::newRow("numbered form without extension")
            << L{"D/README", "D/D."} << L{"D/README"} << folders(Parent, Replace) << L{"D/D 10."};
        QTest::newRow("numbered form taken too") << L{"D/x.jpg", "D/D.jpg", "D/D 10.jpg"} << L{"D/x.jpg"}
                                                 << folders(Parent, Replace) << L{QByteArray()};
        QTest::newRow("name freed by an earlier step")
            << L{"D/x.txt", "D/xx.txt"} << L{"D/xx.txt", "D/x.txt"} << text(Replace, {}, u"x"_s, u"xx"_s)
            << L{"D/xxxx.txt", "D/xx.txt"};
        QTest::newRow("unchanged is not numbered")
            << L{"D/IMG.jpg"} << L{"D/IMG.jpg"} << text(Replace, {}, u"zzz"_s, u"y"_s) << L{QByteArray()};
    }

    void plans()
    {
        QFETCH(QList<QByteArray>, onDisk);
        QFETCH(QList<QByteArray>, selected);
        QFETCH(RenameOptions, options);
        QFETCH(QList<QByteArray>, targets);

        TempDir tmp;
        TreeBuilder tree(tmp.path());
        for (const QByteArray &rel : onDisk)
            tree.file(rel, 4);
        QList<RenameSource> sources;
        for (qsizetype i = 0; i < selected.size(); ++i)
            sources.append({tree.path(selected.at(i)), int(10 + i), false});
        sources.append({tree.path(selected.first()), 99, true}); // a folder item is never renamed

        const Plan plan = planRename(sources, options);
        QCOMPARE(plan.size(), targets.size() + 1);
        QVERIFY(plan.last().skipped());
        for (qsizetype i = 0; i < targets.size(); ++i) {
            const PlanStep &step = plan.at(i);
            QCOMPARE(step.itemIndex, int(10 + i));
            QCOMPARE(step.target, targets.at(i).isEmpty() ? QByteArray() : tree.path(targets.at(i)));
            QCOMPARE(step.skipped(), targets.at(i).isEmpty());
        }

        // Carried out in order, every planned move succeeds.
        for (const StepOutcome &outcome : executePlan(plan, nullptr))
            QCOMPARE(outcome.moved, !outcome.step.skipped());
    }

    // What only the window asks for (the command-line rows cover the rest): a bare name, a depth beyond 5,
    // folder items, and files reached through a link, which lie elsewhere.
    void windowOnlySources()
    {
        QVERIFY(!newNameFor("IMG.jpg", folders(Parent, Begin)).skipReason.isEmpty());
        QVERIFY(!newNameFor("/a/b/c/d/e/f/IMG.jpg", folders(Components, End, 6)).skipReason.isEmpty());
        const QList<MoveSource> sources{{"/M/A/B/f.txt", "f.txt", 0, true}, {"/M/A/g.txt", "g.txt", 1, false, true}};
        for (const Plan &plan : {planMoveUp(sources, 2), planMoveInto(sources, "/M")}) {
            QCOMPARE(plan.size(), 2);
            QCOMPARE(plan.at(0).skipReason, u"a folder, not a file"_s);
            QCOMPARE(plan.at(1).skipReason, u"reached through a link"_s);
        }
    }

    void carriesOutThePlanAndJournalsEachMove()
    {
        TempHome home;
        QCOMPARE(MoveJournal::defaultFolder(), home.dataHome() + QStringLiteral("/Vellumry/journal"));
        TempDir tmp;
        TreeBuilder tree(tmp.path());
        const QByteArray odd = tree.file("a/r\xe9sum\xe9.txt", 10);
        const QByteArray plain = tree.file("a/plain.txt", 10);
        const QByteArray clash = tree.file("a/clash.txt", 10);
        tree.dir("b");
        const Plan plan{
            {odd, tree.path("b/r\xe9sum\xe9.txt"), {}, 0},
            {tree.path("a/folder-item"), tree.path("b/plain.txt"), QStringLiteral("a folder item"), 1}, // claims nothing
            {clash, tree.path("b/clash.txt"), {}, 2},
            {tree.path("a/vanished.txt"), tree.path("b/vanished.txt"), {}, 3},
            {plain, tree.path("b/plain.txt"), {}, 4},
        };
        tree.file("b/clash.txt", 3); // the target appears between the plan and the move

        // What a run would do, foreseen: the target that exists now is taken, a vanished source is not seen.
        QStringList foreseen;
        for (const StepPreview &preview : previewPlan(plan))
            foreseen << (preview.skipped ? preview.reason : u"plan"_s);
        QCOMPARE(foreseen, (QStringList{u"plan"_s, u"a folder item"_s, u"name taken"_s, u"plan"_s, u"plan"_s}));

        MoveJournal journal(home.dataHome() + QStringLiteral("/Vellumry/journal"), QStringLiteral("move"));
        QVERIFY(journal.isOpen());
        QStringList steps; // as each step is reported: its item, its outcome, the count
        const QList<StepOutcome> outcomes = executePlan(plan, &journal, nullptr, [&](const StepOutcome &o, int done, int total) {
            steps << u"%1 %2 %3/%4"_s.arg(o.step.itemIndex).arg(o.moved ? u"moved"_s : o.reason).arg(done).arg(total);
        });
        QCOMPARE(steps, (QStringList{u"0 moved 1/5"_s, u"1 a folder item 2/5"_s, u"2 name taken 3/5"_s,
                                     u"3 no such file 4/5"_s, u"4 moved 5/5"_s}));
        QCOMPARE(outcomes.size(), 5);
        QVERIFY(exists(tree.path("b/r\xe9sum\xe9.txt")) && !exists(odd));
        QVERIFY(exists(clash)); // left where it was
        QCOMPARE(summaryText(outcomes), QStringLiteral("2 moved, 3 skipped: a folder item, name taken, …"));

        // Written ahead: each step's intention, then its outcome; a skipped step is not journaled.
        QFile log(journal.filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QByteArrayList lines;
        for (const QByteArray &line : log.readAll().split('\n'))
            lines.append(line.mid(line.indexOf('\t') + 1)); // without the time
        QCOMPARE(lines.takeFirst(), "version\t2\tmove");
        for (QByteArray &line : lines) { // a done move ends in the entry's identity: device:inode:size:time
            if (line.startsWith("done\tmove")) {
                QVERIFY2(QRegularExpression(u"^\\d+:\\d+:\\d+:\\d+$"_s).match(QString::fromLatin1(line.split('\t').last())).hasMatch(),
                         line.constData());
                line.truncate(line.lastIndexOf('\t'));
            }
        }
        const QByteArray oddText = odd.toPercentEncoding("/");
        QVERIFY(oddText.contains("%E9")); // readable as text whatever the bytes
        QCOMPARE(lines, (QByteArrayList{"intent\tmove\t" + oddText + '\t' + tree.path("b/r%E9sum%E9.txt"),
                                       "done\tmove\t" + oddText + '\t' + tree.path("b/r%E9sum%E9.txt"),
                                       "intent\tmove\t" + clash + '\t' + tree.path("b/clash.txt"),
                                       "failed\tmove\t" + clash + '\t' + tree.path("b/clash.txt") + "\tname taken",
                                       "intent\tmove\t" + tree.path("a/vanished.txt") + '\t' + tree.path("b/vanished.txt"),
                                       "failed\tmove\t" + tree.path("a/vanished.txt") + '\t' + tree.path("b/vanished.txt") +
                                           "\tno such file",
                                       "intent\tmove\t" + plain + '\t' + tree.path("b/plain.txt"),
                                       "done\tmove\t" + plain + '\t' + tree.path("b/plain.txt"), ""}));
    }

    // A copy across file systems that a kill cut short is removed by the next batch, when its journal names
    // it and its batch is over; a running batch's copies and anything not named as our copy stay.
    void abandonedCopiesAreRemovedByTheNextBatch()
    {
        TempDir tmp;
        TreeBuilder tree(tmp.path());
        const QString folder = QFile::decodeName(tmp.path() + "/journal");
        const QByteArray partial = tree.file("dst/.vellumry-moving-abc/x.jpg", 10);
        const QByteArray running = tree.file("dst/.vellumry-moving-run", 10);
        const QByteArray notOurs = tree.file("dst/photo.jpg", 10);
        const auto writeJournal = [&](const QString &path, const QByteArrayList &temporaries) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (const QByteArray &temporary : temporaries)
                file.write("2026-01-01T00:00:00.000Z\tintent\tcopy\t/src/x\t" + temporary.toPercentEncoding("/") + '\n');
        };
        MoveJournal live(folder, QStringLiteral("move")); // still running: its copy is in the making
        QVERIFY(live.isOpen());
        QVERIFY(live.intend(MoveJournal::Action::Copy, "/src/y", running));
        writeJournal(folder + QStringLiteral("/killed.log"), {tree.path("dst/.vellumry-moving-abc"), notOurs});

        MoveJournal next(folder, QStringLiteral("move"));
        QVERIFY(!exists(tree.path("dst/.vellumry-moving-abc")) && !exists(partial));
        QVERIFY(exists(running) && exists(notOurs));
        QFile killed(folder + QStringLiteral("/killed.log"));
        QVERIFY(killed.open(QIODevice::ReadOnly) && killed.readAll().endsWith("\trecovered\n"));
    }

    void cancelStopsBetweenTwoSteps()
    {
        TempDir tmp;
        TreeBuilder tree(tmp.path());
        Plan plan;
        for (int i = 0; i < 5; ++i) {
            const QByteArray name = "f" + QByteArray::number(i);
            plan.append({tree.file(QByteArray("a/" + name)), tree.path(QByteArray("b/" + name)), {}, i});
        }
        tree.dir("b");
        std::atomic<bool> cancelled{false};
        const QList<StepOutcome> outcomes = executePlan(plan, nullptr, &cancelled, [&](const StepOutcome &, int done, int) {
            if (done == 2)
                cancelled = true;
        });
        QCOMPARE(outcomes.size(), 2);
        QVERIFY(exists(tree.path("b/f1")) && exists(tree.path("a/f2")));
    }

    void summaries_data()
    {
        QTest::addColumn<QStringList>("reasons"); // one per step, empty when it moved
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << QStringList{} << u"0 moved"_s;
        QTest::newRow("all moved") << QStringList{{}, {}} << u"2 moved"_s;
        QTest::newRow("most frequent reason first") << QStringList{u"no such file"_s, {}, u"name taken"_s, u"name taken"_s}
                                                    << u"1 moved, 3 skipped: name taken, no such file"_s;
    }
    void summaries()
    {
        QFETCH(QStringList, reasons);
        QFETCH(QString, text);
        QList<StepOutcome> outcomes;
        for (const QString &reason : reasons)
            outcomes.append({PlanStep{}, reason.isEmpty(), reason});
        QCOMPARE(summaryText(outcomes), text);
    }
};

QTEST_GUILESS_MAIN(TestRenamePlanner)
#include "tst_renameplanner.moc"
