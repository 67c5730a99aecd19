// Plans are carried out in order, failures do not stop the loop, and every move is journaled at once.
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
    void cancelStopsBetweenTwoSteps();
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

    MoveJournal journal(home.dataHome() + QStringLiteral("/Vellumry/journal"), QStringLiteral("move"));
    QVERIFY(journal.isOpen());
    QList<int> progress;
    const QList<StepOutcome> outcomes =
        executePlan(plan, &journal, nullptr, [&](int done, int total) { progress.append(done * 10 + total); });

    QCOMPARE(outcomes.size(), 5);
    const QList<bool> moved{true, false, false, false, true};
    const QStringList reasons{QString(), QStringLiteral("a folder item"), QStringLiteral("name taken"),
                              QStringLiteral("no such file"), QString()};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(outcomes.at(i).moved, moved.at(i));
        QCOMPARE(outcomes.at(i).reason, reasons.at(i));
        QCOMPARE(outcomes.at(i).step.itemIndex, i);
    }
    QCOMPARE(progress, (QList<int>{15, 25, 35, 45, 55}));
    QVERIFY(exists(tree.path("b/r\xe9sum\xe9.txt")) && !exists(odd));
    QVERIFY(exists(clash)); // left where it was
    QCOMPARE(summaryText(outcomes), QStringLiteral("2 moved, 3 skipped: a folder item, name taken, …"));

    QFile log(journal.filePath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    QCOMPARE(lines.size(), 3); // two moves and the final newline
    const QList<QByteArray> first = lines.first().split('\t');
    QCOMPARE(first.size(), 3);
    QCOMPARE(QByteArray::fromPercentEncoding(first.at(1)), odd);
    QCOMPARE(QByteArray::fromPercentEncoding(first.at(2)), tree.path("b/r\xe9sum\xe9.txt"));
    QVERIFY(first.at(1).contains("%E9")); // readable as text whatever the bytes
    QCOMPARE(QByteArray::fromPercentEncoding(lines.at(1).split('\t').at(1)), plain);
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
    const QList<StepOutcome> outcomes = executePlan(plan, nullptr, &cancelled, [&](int done, int) {
        if (done == 2)
            cancelled = true;
    });
    QCOMPARE(outcomes.size(), 2);
    QVERIFY(exists(tree.path("b/f1")) && exists(tree.path("a/f2")));
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
