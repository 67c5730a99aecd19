// The five sort orders: the text rule, dates in both forms, sizes, and sortItems agreeing with the
// comparators on random lists.
#include "views/Comparators.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QTimeZone>

#include <algorithm>

using namespace vellumry;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(vellumry::SortOrder)

namespace {

const ScanFolderRef kFolder(new ScanFolder("/data"));

IKImageItemRef entry(const QString &name, quint64 size = 0)
{
    return IKImageItem::makeEntry(kFolder, name.toUtf8(), FileKind::Other, size, qint64(0));
}

// An item whose order key (name, kind or path) is `key`.
IKImageItemRef itemWithKey(SortOrder order, const QString &key)
{
    IKImageItemRef item = entry(u"x"_s);
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
    switch (order) {
    case SortOrder::Name:
        return item.fileName();
    case SortOrder::Kind:
        return item.fileType();
    case SortOrder::Path:
        return item.filePath();
    case SortOrder::Date:
        return item.modifDate();
    case SortOrder::Size:
        return QString::number(item.filesizenum());
    }
    return {};
}

int compareBy(SortOrder order, const IKImageItem &a, const IKImageItem &b)
{
    switch (order) {
    case SortOrder::Name:
        return compareByName(a, b);
    case SortOrder::Kind:
        return compareByKind(a, b);
    case SortOrder::Path:
        return compareByPath(a, b);
    case SortOrder::Date:
        return compareByDate(a, b);
    case SortOrder::Size:
        return compareBySize(a, b);
    }
    return 0;
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

class TestSorting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textKeys_data();
    void textKeys();
    void sortedKeys_data();
    void sortedKeys();
    void dateTexts_data();
    void dateTexts();
    void sizes();
    void orderNames();
    void randomListsSortConsistently();
};

void TestSorting::textKeys_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("underscore first") << u"_notes.txt"_s << u"apple.txt"_s << -1;
    QTest::newRow("hyphen first") << u"zeta"_s << u"-alpha"_s << 1;
    QTest::newRow("parenthesis first") << u"(draft)"_s << u"a"_s << -1;
    QTest::newRow("bracket first") << u"[1]"_s << u"0"_s << -1;
    QTest::newRow("full stop first") << u".config"_s << u"a"_s << -1;
    QTest::newRow("number sign first") << u"#tag"_s << u"a"_s << -1;
    QTest::newRow("curly quote first") << u"\u201Cquoted\u201D"_s << u"a"_s << -1;
    QTest::newRow("dollar is a symbol") << u"$cash"_s << u"apple"_s << -1; // '$' < 'a' by code unit
    QTest::newRow("dollar after punctuation") << u"$cash"_s << u"_a"_s << 1;
    QTest::newRow("plus after punctuation") << u"+plus"_s << u"-minus"_s << 1;
    QTest::newRow("tilde by code unit") << u"~tilde"_s << u"apple"_s << 1;
    QTest::newRow("both punctuation by text") << u"_b"_s << u"-a"_s << 1;
    QTest::newRow("only the first unit counts") << u"a_"_s << u"ab"_s << -1;
    QTest::newRow("case ignored") << u"apple.txt"_s << u"Banana.txt"_s << -1;
    QTest::newRow("case equal") << u"README"_s << u"readme"_s << 0;
    QTest::newRow("accents equal") << u"R\u00E9sum\u00E9"_s << u"resume"_s << 0;
    QTest::newRow("decomposed accents equal") << u"Re\u0301sume\u0301"_s << u"r\u00C9SUME"_s << 0;
    QTest::newRow("accent does not move a letter") << u"\u00E9clair"_s << u"dog"_s << 1;
    QTest::newRow("no numeric comparison") << u"file10.txt"_s << u"file2.txt"_s << -1;
    QTest::newRow("prefix first") << u"file"_s << u"file.txt"_s << -1;
    QTest::newRow("empty first") << QString() << u"a"_s << -1;
    QTest::newRow("greek case") << u"\u03A3\u03B9\u03B3\u03BC\u03B1"_s << u"\u03C3\u03B9\u03B3\u03BC\u03B1"_s
                                << 0;
}

void TestSorting::textKeys()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    QCOMPARE(sign(compareTextKeys(a, b)), expected);
    QCOMPARE(sign(compareTextKeys(b, a)), -expected);
}

void TestSorting::sortedKeys_data()
{
    QTest::addColumn<SortOrder>("order");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("names") << SortOrder::Name << QStringList{u"Banana.txt"_s, u"apple.txt"_s, u"$x"_s,
                                                             u"_notes.txt"_s, u"file2"_s,     u"file10"_s}
                           << QStringList{u"_notes.txt"_s, u"$x"_s,     u"apple.txt"_s,
                                          u"Banana.txt"_s, u"file10"_s, u"file2"_s};
    QTest::newRow("equal names keep their order")
        << SortOrder::Name << QStringList{u"resume"_s, u"b"_s, u"R\u00E9sum\u00E9"_s, u"RESUME"_s}
        << QStringList{u"b"_s, u"resume"_s, u"R\u00E9sum\u00E9"_s, u"RESUME"_s};
    QTest::newRow("kinds") << SortOrder::Kind
                           << QStringList{u"Video"_s, u"Install Package"_s, u"Audio"_s, u"(custom)"_s,
                                          u"image"_s}
                           << QStringList{u"(custom)"_s, u"Audio"_s, u"image"_s, u"Install Package"_s,
                                          u"Video"_s};
    QTest::newRow("paths") << SortOrder::Path
                           << QStringList{u"/b/a.txt"_s, u"/A/z.txt"_s, u"~/x"_s, u"/a/\u00E9.txt"_s,
                                          u"a/b"_s}
                           << QStringList{u"/a/\u00E9.txt"_s, u"/A/z.txt"_s, u"/b/a.txt"_s, u"a/b"_s,
                                          u"~/x"_s};
    QTest::newRow("dates") << SortOrder::Date
                           << QStringList{u"soon"_s,
                                          u"2023-05-01 10:00:00"_s,
                                          u"2024:01:02 09:00:00"_s,
                                          u""_s,
                                          u"2024-01-02 10:00:00"_s,
                                          u"2024-02-30 00:00:00"_s,
                                          u"2023:05:01 10:00:00"_s,
                                          u"1969-12-31 23:59:59"_s}
                           << QStringList{u"2024-01-02 10:00:00"_s,
                                          u"2024:01:02 09:00:00"_s,
                                          u"2023-05-01 10:00:00"_s,
                                          u"2023:05:01 10:00:00"_s,
                                          u"1969-12-31 23:59:59"_s,
                                          u"soon"_s,
                                          u""_s,
                                          u"2024-02-30 00:00:00"_s};
}

void TestSorting::sortedKeys()
{
    QFETCH(SortOrder, order);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, expected);
    ItemList items;
    for (const QString &key : keys)
        items.append(itemWithKey(order, key));
    sortItems(items, order);
    QStringList sorted;
    for (const IKImageItemRef &item : items)
        sorted.append(keyOf(order, *item));
    QCOMPARE(sorted, expected);
}

void TestSorting::dateTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected"); // invalid: the text names no date
    const auto utc = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone::utc());
    };
    QTest::newRow("scan form") << u"2024-03-31 02:30:00"_s << utc(2024, 3, 31, 2, 30, 0);
    QTest::newRow("camera form") << u"2019:12:31 23:59:59"_s << utc(2019, 12, 31, 23, 59, 59);
    QTest::newRow("leap day") << u"2024-02-29 00:00:00"_s << utc(2024, 2, 29, 0, 0, 0);
    QTest::newRow("first year") << u"0001-01-01 00:00:00"_s << utc(1, 1, 1, 0, 0, 0);
    QTest::newRow("no leap day") << u"2023-02-29 00:00:00"_s << QDateTime();
    QTest::newRow("hour 24") << u"2024-01-01 24:00:00"_s << QDateTime();
    QTest::newRow("mixed separators") << u"2024:01-01 00:00:00"_s << QDateTime();
    QTest::newRow("T separator") << u"2024-01-01T00:00:00"_s << QDateTime();
    QTest::newRow("date only") << u"2024-01-01"_s << QDateTime();
    QTest::newRow("Arabic-Indic digits") << u"\u0662\u0660\u0662\u0664-01-01 00:00:00"_s << QDateTime();
    QTest::newRow("empty") << QString() << QDateTime();
}

void TestSorting::dateTexts()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    const std::optional<QDateTime> parsed = parseDateText(text);
    QCOMPARE(parsed.has_value(), expected.isValid());
    if (parsed) {
        QCOMPARE(*parsed, expected);
        QCOMPARE(parsed->offsetFromUtc(), 0);
    }
}

void TestSorting::sizes()
{
    const quint64 huge = ~quint64(0);
    ItemList items{entry(u"a"_s, 0), entry(u"b"_s, 5), entry(u"c"_s, huge), entry(u"d"_s, 5),
                   entry(u"e"_s, 1)};
    sortItems(items, SortOrder::Size);
    QStringList names;
    for (const IKImageItemRef &item : items)
        names.append(item->fileName());
    QCOMPARE(names, (QStringList{u"c"_s, u"b"_s, u"d"_s, u"e"_s, u"a"_s}));
}

void TestSorting::orderNames()
{
    QVERIFY(sortOrderForIdentifier(u"Type") == SortOrder::Kind);
    QVERIFY(!sortOrderForIdentifier(u"Kind"));
    QVERIFY(!sortOrderForIdentifier(u"name"));
    QVERIFY(sortOrderFromCliName("kind") == SortOrder::Kind);
    QVERIFY(!sortOrderFromCliName("Type"));
}

// Random lists full of ties, punctuation, accents and undated items: every sort must give a
// permutation in which each neighbour pair satisfies the comparator and ties keep their first order.
void TestSorting::randomListsSortConsistently()
{
    QRandomGenerator random(20240607);
    const QStringList pieces{u"a"_s, u"A"_s,  u"\u00E1"_s, u"b"_s,      u"_"_s, u"-"_s, u"$"_s,     u"~"_s,
                             u"1"_s, u"10"_s, u"2"_s,      u"\u00C9"_s, u"e"_s, u"."_s, u"\u201C"_s};
    const QStringList kinds{u"Image"_s, u"Audio"_s, u"Other"_s, u"_x"_s, u"image"_s};
    const auto pick = [&](const QStringList &list) { return list.at(random.bounded(int(list.size()))); };
    QList<ScanFolderRef> folders;
    for (const QString &name : {u"/a"_s, u"/B"_s, u"/_c"_s, u"/\u00E1"_s})
        folders.append(ScanFolderRef(new ScanFolder(name.toUtf8())));

    ItemList items;
    QHash<const IKImageItem *, int> firstPosition;
    for (int i = 0; i < 3000; ++i) {
        QString name;
        for (int n = random.bounded(1, 4); n > 0; --n)
            name += pick(pieces);
        auto item =
            IKImageItem::makeEntry(folders.at(random.bounded(int(folders.size()))), name.toUtf8(),
                                   FileKind::Other, random.bounded(4), qint64(random.bounded(5)) * 86400);
        item->setFileType(pick(kinds));
        if (random.bounded(4) == 0)
            item->setModifDate(random.bounded(2) ? u"never"_s : u"2001:09:09 01:46:40"_s);
        firstPosition.insert(item.data(), i);
        items.append(item);
    }

    for (SortOrder order :
         {SortOrder::Name, SortOrder::Kind, SortOrder::Date, SortOrder::Path, SortOrder::Size}) {
        ItemList sorted = items;
        sortItems(sorted, order);
        QCOMPARE(sorted.size(), items.size());
        QSet<const IKImageItem *> seen;
        for (const IKImageItemRef &item : sorted)
            seen.insert(item.data());
        QCOMPARE(seen.size(), items.size());
        for (qsizetype i = 0; i + 1 < sorted.size(); ++i) {
            const IKImageItem &a = *sorted.at(i);
            const IKImageItem &b = *sorted.at(i + 1);
            const int c = compareBy(order, a, b);
            QVERIFY2(c <= 0, qPrintable(keyOf(order, a) + u" before "_s + keyOf(order, b)));
            if (c == 0)
                QVERIFY(firstPosition.value(&a) < firstPosition.value(&b));
        }
    }
}

QTEST_GUILESS_MAIN(TestSorting)
#include "tst_sorting.moc"
