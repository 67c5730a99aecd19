// Plans are carried out in order, failures do not stop the loop, and every step is journaled before it is taken.
#include "reorganise/BatchExecutor.h"
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {
bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}
} // namespace

class TestBatchExecutor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void carriesOutThePlanAndJournalsEachMove();
    void abandonedCopiesAreRemovedByTheNextBatch();
    void cancelStopsBetweenTwoSteps();
    void previewFindsASecondFileForOneTarget();
    void summaries_data();
    void summaries();
};

void TestBatchExecutor::carriesOutThePlanAndJournalsEachMove()
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
        {tree.path("a/folder-item"), tree.path("b/x"), QStringLiteral("a folder item"), 1},
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
void TestBatchExecutor::abandonedCopiesAreRemovedByTheNextBatch()
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

void TestBatchExecutor::cancelStopsBetweenTwoSteps()
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

// Two files for one free target: the first would move, the second finds the name taken; a skipped step
// claims no target.
void TestBatchExecutor::previewFindsASecondFileForOneTarget()
{
    const Plan plan{{"/s/a", "/nowhere-vellumry/x", u"a folder item"_s}, {"/s/b", "/nowhere-vellumry/x", {}},
                    {"/s/c", "/nowhere-vellumry/x", {}}};
    const QList<StepPreview> previews = previewPlan(plan);
    QCOMPARE(previews.size(), 3);
    QVERIFY(previews.at(0).skipped && !previews.at(1).skipped && previews.at(2).skipped);
    QCOMPARE(previews.at(2).reason, u"name taken"_s);
}

void TestBatchExecutor::summaries_data()
{
    QTest::addColumn<QList<bool>>("moved");
    QTest::addColumn<QStringList>("reasons");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing") << QList<bool>{} << QStringList{} << QStringLiteral("0 moved");
    QTest::newRow("all moved") << QList<bool>{true, true} << QStringList{{}, {}} << QStringLiteral("2 moved");
    QTest::newRow("most frequent reason first")
        << QList<bool>{false, true, false, false} << QStringList{u"no such file"_s, {}, u"name taken"_s, u"name taken"_s}
        << QStringLiteral("1 moved, 3 skipped: name taken, no such file");
}

void TestBatchExecutor::summaries()
{
    QFETCH(QList<bool>, moved);
    QFETCH(QStringList, reasons);
    QFETCH(QString, text);
    QList<StepOutcome> outcomes;
    for (qsizetype i = 0; i < moved.size(); ++i)
        outcomes.append({PlanStep{}, moved.at(i), reasons.at(i)});
    QCOMPARE(summaryText(outcomes), text);
}

QTEST_GUILESS_MAIN(TestBatchExecutor)
#include "tst_batchexecutor.moc"
