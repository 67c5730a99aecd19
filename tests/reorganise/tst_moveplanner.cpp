// Where an up-level, chosen-folder or main-folder move sends each file, and what it refuses.
#include "reorganise/MovePlanner.h"

#include <QTest>

using namespace vellumry;

class TestMovePlanner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void upLevels_data();
    void upLevels();
    void intoAFolder();
};

void TestMovePlanner::upLevels_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("removals");
    QTest::addColumn<QByteArray>("target"); // empty: skipped
    QTest::newRow("one up") << QByteArray("/M/A/B/f.txt") << 2 << QByteArray("/M/A/f.txt");
    QTest::newRow("two up") << QByteArray("/M/A/B/f.txt") << 3 << QByteArray("/M/f.txt");
    QTest::newRow("three up reaches the root: refused") << QByteArray("/M/A/B/f.txt") << 4 << QByteArray();
    QTest::newRow("out of the main folder") << QByteArray("/home/u/M/f.txt") << 2 << QByteArray("/home/u/f.txt");
    QTest::newRow("odd bytes kept") << QByteArray("/M/\xff/x/\xe9.txt") << 2 << QByteArray("/M/\xff/\xe9.txt");
}

void TestMovePlanner::upLevels()
{
    QFETCH(QByteArray, path);
    QFETCH(int, removals);
    QFETCH(QByteArray, target);
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    const Plan plan = planMoveUp({{path, name, 7, false}, {path, name, 8, true}}, removals);
    QCOMPARE(plan.size(), 2);
    QCOMPARE(plan.first().itemIndex, 7);
    QCOMPARE(plan.first().skipped(), target.isEmpty());
    QCOMPARE(plan.first().target, target);
    QVERIFY(plan.last().skipped()); // folder items never move
}

void TestMovePlanner::intoAFolder()
{
    const QList<MoveSource> sources{{"/M/A/f.txt", "f.txt", 0, false},
                                    {"/M/B/f.txt", "f.txt", 1, false},
                                    {"/M/link/g.txt", "g.txt", 2, false, true}};
    const Plan plan = planMoveInto(sources, "/M");
    QCOMPARE(plan.at(0).target, QByteArray("/M/f.txt"));
    QCOMPARE(plan.at(1).target, QByteArray("/M/f.txt")); // the second clashes when it runs and stays
    QCOMPARE(plan.at(2).skipReason, QStringLiteral("reached through a link")); // it lies elsewhere
    for (const QByteArray &nowhere : {QByteArray(), QByteArray("/")}) {
        for (const PlanStep &step : planMoveInto(sources, nowhere))
            QVERIFY(step.skipped() && step.target.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestMovePlanner)
#include "tst_moveplanner.moc"
