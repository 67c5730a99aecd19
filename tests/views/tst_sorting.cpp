// The five sort orders: the text rule, dates in both forms, sizes, and sortItems agreeing with the
// comparators on random lists.
#include "views/Comparators.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace vellumry;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(vellumry::SortOrder)

namespace {

const ScanFolderRef kFolder(new ScanFolder("/data"));

// An item whose order key (name, kind, path, date text or size) is `key`.
IKImageItemRef itemWithKey(SortOrder order, const QString &key)
{
    IKImageItemRef item = IKImageItem::makeEntry(kFolder, "x", FileKind::Other, key.toULongLong(), qint64(0));
    if (order == SortOrder::Name)
        item->setFileName(key);
    else if (order == SortOrder::Kind)
        item->setFileType(key);
    else if (order == SortOrder::Path)
        item->setFilePath(key);
    else
        item->setModifDate(key);
    return item;
}

QString keyOf(SortOrder order, const IKImageItem &item)
{
    return order == SortOrder::Name   ? item.fileName()
           : order == SortOrder::Kind ? item.fileType()
           : order == SortOrder::Path ? item.filePath()
           : order == SortOrder::Date ? item.modifDate()
                                      : QString::number(item.filesizenum());
}

} // namespace

class TestSorting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sortedKeys_data()
    {
        QTest::addColumn<SortOrder>("order");
        QTest::addColumn<QString>("keys"); // separated by '|'
        QTest::addColumn<QString>("expected");
        // The punctuation set first, by text; then everything else by code unit, letters ignoring case.
        QTest::newRow("names") << SortOrder::Name
                               << u"~tilde|Banana.txt|file2|apple.txt|$cash|_notes|+plus|-alpha|(draft)|[1]|0|"
                                  u".config|#tag|\u201Cq\u201D|file10|file|file.txt|"_s
                               << u"#tag|(draft)|-alpha|.config|[1]|_notes|\u201Cq\u201D||$cash|+plus|0|"
                                  u"apple.txt|Banana.txt|file|file.txt|file10|file2|~tilde"_s;
        QTest::newRow("equal names keep their order")
            << SortOrder::Name << u"resume|b|R\u00E9sum\u00E9|RESUME"_s << u"b|resume|R\u00E9sum\u00E9|RESUME"_s;
        // Case and accents (composed or not, Greek too) do not count, an accented letter stays where its
        // letter is, and the punctuation rule looks at the first character only.
        QTest::newRow("text rule") << SortOrder::Name
                                   << u"ab|Re\u0301sume\u0301|dog|\u00E9clair|a_|\u03A3\u03B9\u03B3\u03BC\u03B1|"
                                      u"r\u00C9SUME|\u03C3\u03B9\u03B3\u03BC\u03B1"_s
                                   << u"a_|ab|dog|\u00E9clair|Re\u0301sume\u0301|r\u00C9SUME|"
                                      u"\u03A3\u03B9\u03B3\u03BC\u03B1|\u03C3\u03B9\u03B3\u03BC\u03B1"_s;
        QTest::newRow("kinds") << SortOrder::Kind << u"Video|Audio|(custom)|image"_s
                               << u"(custom)|Audio|image|Video"_s;
        QTest::newRow("paths") << SortOrder::Path << u"/b/a.txt|/A/z.txt|~/x|/a/\u00E9.txt|a/b"_s
                               << u"/a/\u00E9.txt|/A/z.txt|/b/a.txt|a/b|~/x"_s;
        // Newest first, both written forms alike; texts that name no real date last, in their first order.
        QTest::newRow("dates")
            << SortOrder::Date
            << u"soon|2023-05-01 10:00:00|0001-01-01 00:00:00|2024:01:02 09:00:00||"
               u"2024-01-02 10:00:00|2024-02-30 00:00:00|2024-02-29 00:00:00|2023:05:01 10:00:00|"
               u"2024-01-01 24:00:00|2024:01-01 00:00:00|2024-01-01T00:00:00|2024-01-01|"
               u"\u0662\u0660\u0662\u0664-01-01 00:00:00|1969-12-31 23:59:59"_s
            << u"2024-02-29 00:00:00|2024-01-02 10:00:00|2024:01:02 09:00:00|2023-05-01 10:00:00|"
               u"2023:05:01 10:00:00|1969-12-31 23:59:59|0001-01-01 00:00:00|soon||"
               u"2024-02-30 00:00:00|2024-01-01 24:00:00|2024:01-01 00:00:00|"
               u"2024-01-01T00:00:00|2024-01-01|\u0662\u0660\u0662\u0664-01-01 00:00:00"_s;
        QTest::newRow("sizes, largest first")
            << SortOrder::Size << u"0|5|18446744073709551615|1"_s << u"18446744073709551615|5|1|0"_s;
    }

    void sortedKeys()
    {
        QFETCH(SortOrder, order);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        ItemList items;
        for (const QString &key : keys.split(u'|'))
            items.append(itemWithKey(order, key));
        sortItems(items, order);
        QStringList sorted;
        for (const IKImageItemRef &item : items)
            sorted.append(keyOf(order, *item));
        QCOMPARE(sorted, expected.split(u'|'));
    }

    void orderNames()
    {
        // Saved settings say "Type", scripts say "kind"; neither accepts the other's word or another case.
        QVERIFY(sortOrderForIdentifier(u"Type") == SortOrder::Kind && sortOrderFromCliName("kind") == SortOrder::Kind);
        QVERIFY(!sortOrderForIdentifier(u"Kind") && !sortOrderForIdentifier(u"name") && !sortOrderFromCliName("Type"));
    }

    // Random lists full of ties, punctuation, accents and undated items: each sort gives a permutation in
    // which every neighbour pair satisfies the comparator and ties keep their first order.
    void randomListsSortConsistently()
    {
        QRandomGenerator random(20240607);
        const auto pick = [&](const QString &choices) {
            const QStringList list = choices.split(u'|');
            return list.at(random.bounded(int(list.size())));
        };
        const QString pieces = u"a|A|\u00E1|b|_|-|$|~|1|10|2|\u00C9|e|.|\u201C"_s;
        const ScanFolderRef folders[] = {ScanFolderRef(new ScanFolder("/a")), ScanFolderRef(new ScanFolder("/B")),
                                         ScanFolderRef(new ScanFolder("/\xc3\xa1"))};
        ItemList items;
        for (int i = 0; i < 3000; ++i) {
            const QString name = pick(pieces) + pick(pieces).left(random.bounded(2)) + pick(pieces);
            auto item = IKImageItem::makeEntry(folders[random.bounded(3)], name.toUtf8(), FileKind::Other,
                                               random.bounded(4), qint64(random.bounded(5)) * 86400);
            item->setFileType(pick(u"Image|Audio|Other|_x|image"_s));
            if (random.bounded(4) == 0)
                item->setModifDate(pick(u"never|2001:09:09 01:46:40"_s));
            items.append(item);
        }
        using Compare = int (*)(const IKImageItem &, const IKImageItem &);
        for (const auto &[order, compare] : {std::pair<SortOrder, Compare>{SortOrder::Name, compareByName},
                                             {SortOrder::Kind, compareByKind}, {SortOrder::Date, compareByDate},
                                             {SortOrder::Path, compareByPath}, {SortOrder::Size, compareBySize}}) {
            ItemList sorted = items;
            sortItems(sorted, order);
            QVERIFY(std::is_permutation(sorted.cbegin(), sorted.cend(), items.cbegin(), items.cend()));
            for (qsizetype i = 0; i + 1 < sorted.size(); ++i) {
                const int c = compare(*sorted.at(i), *sorted.at(i + 1));
                QVERIFY2(c < 0 || (c == 0 && items.indexOf(sorted.at(i)) < items.indexOf(sorted.at(i + 1))),
                         qPrintable(keyOf(order, *sorted.at(i)) + u" before "_s + keyOf(order, *sorted.at(i + 1))));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSorting)
#include "tst_sorting.moc"
