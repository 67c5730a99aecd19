// The thumbnail request queue: newest first, the oldest dropped past the cap, cleared in one go.
#include "views/ThumbnailQueue.h"

#include <QTest>

#include <algorithm>

using namespace vellumry;

namespace {

ThumbnailJob job(int n)
{
    const QString path = QStringLiteral("/pictures/%1.png").arg(n);
    return {path, path.toUtf8(), ThumbnailRoute::Picture};
}

} // namespace

class TestThumbnailQueue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void servesNewestFirst_data();
    void servesNewestFirst();
};

void TestThumbnailQueue::servesNewestFirst_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("pushed");
    QTest::addColumn<QList<int>>("dropped"); // in the order they fell out
    QTest::addColumn<QList<int>>("served");

    QTest::newRow("under the cap") << 5 << 3 << QList<int>{} << QList<int>{2, 1, 0};
    QTest::newRow("exactly the cap") << 3 << 3 << QList<int>{} << QList<int>{2, 1, 0};
    QTest::newRow("past the cap") << 3 << 6 << QList<int>{0, 1, 2} << QList<int>{5, 4, 3};
    QTest::newRow("cap of one") << 1 << 3 << QList<int>{0, 1} << QList<int>{2};
    QTest::newRow("a cap below one means one") << 0 << 2 << QList<int>{0} << QList<int>{1};
}

void TestThumbnailQueue::servesNewestFirst()
{
    QFETCH(int, capacity);
    QFETCH(int, pushed);
    QFETCH(QList<int>, dropped);
    QFETCH(QList<int>, served);

    ThumbnailQueue queue(capacity);
    QStringList droppedPaths;
    for (int i = 0; i < pushed; ++i)
        droppedPaths += queue.push(job(i));
    QCOMPARE(queue.size(), served.size());

    QStringList expectedDropped, expectedServed;
    for (int n : dropped)
        expectedDropped.append(job(n).filePath);
    for (int n : served)
        expectedServed.append(job(n).filePath);
    QCOMPARE(droppedPaths, expectedDropped);
    const auto newest = queue.takeNewest();
    QVERIFY(newest);
    QCOMPARE(newest->filePath, expectedServed.takeFirst());
    // Clearing hands back what was still waiting, oldest first, and leaves nothing behind.
    std::reverse(expectedServed.begin(), expectedServed.end());
    QCOMPARE(queue.clear(), expectedServed);
    QVERIFY(!queue.takeNewest());
}

QTEST_GUILESS_MAIN(TestThumbnailQueue)
#include "tst_thumbnailqueue.moc"
