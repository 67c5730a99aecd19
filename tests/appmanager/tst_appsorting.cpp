// The orders of the applications table.
#include "appmanager/AppSorting.h"

#include <QTest>
#include <QTimeZone>

Q_DECLARE_METATYPE(vellumry::AppSortOrder)

using namespace vellumry;
using namespace Qt::StringLiterals;

namespace {

// A record from a short description: name, 64-bit, use count and last-use day (0: never).
PMAppNodeRef app(const QString &name, bool x64, int count, int day)
{
    auto node = PMAppNodeRef::create();
    node->setAppName(name);
    node->setB64bit(x64);
    node->setUsedCount(count);
    if (day)
        node->setLastOpenDate(QDateTime(QDate(2024, 1, day), QTime(12, 0), QTimeZone::utc()));
    return node;
}

} // namespace

class TestAppSorting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void orders_data()
    {
        QTest::addColumn<AppSortOrder>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("32-bit first, each group in its order") << AppSortOrder::Architecture
                                                               << QStringList{u"Zebra"_s, u".hidden"_s, u"_Tool"_s, u"apple"_s, u"Éclair"_s};
        QTest::newRow("most used first, unreadable last") << AppSortOrder::UsedCount
                                                          << QStringList{u"Éclair"_s, u"_Tool"_s, u"Zebra"_s, u".hidden"_s, u"apple"_s};
        QTest::newRow("most recent first, ties kept, never last") << AppSortOrder::LastUsedDate
                                                                  << QStringList{u"Zebra"_s, u"_Tool"_s, u"apple"_s, u"Éclair"_s, u".hidden"_s};
        QTest::newRow("punctuation first, then ignoring case and accents")
            << AppSortOrder::Name << QStringList{u".hidden"_s, u"_Tool"_s, u"apple"_s, u"Éclair"_s, u"Zebra"_s};
    }
    void orders()
    {
        QFETCH(AppSortOrder, order);
        QFETCH(QStringList, expected);
        const PMAppNodeList apps{app(u"_Tool"_s, true, 5, 3), app(u"apple"_s, true, -1, 3), app(u"Zebra"_s, false, 5, 9),
                                 app(u"Éclair"_s, true, 12, 2), app(u".hidden"_s, false, 0, 0)};
        QStringList names;
        for (const PMAppNodeRef &node : sortedApps(apps, order))
            names << node->appName();
        QCOMPARE(names, expected);
    }

    void namelessCountsAsNoPunctuation()
    {
        QVERIFY(compareAppsByName(*app({}, false, 0, 0), *app(u"_a"_s, false, 0, 0)) > 0);
        QVERIFY(compareAppsByName(*app({}, false, 0, 0), *app(u"a"_s, false, 0, 0)) < 0);
        QCOMPARE(sortedApps({}, AppSortOrder::Name).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAppSorting)
#include "tst_appsorting.moc"
