// The quick filter's rule, one table: folding, patterns, locations below the main folder, bad bytes.
#include "views/NameIndex.h"
#include "views/NameMatch.h"

#include <QTest>

using namespace vellumry;
using namespace Qt::StringLiterals;

class TestNameMatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matches_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("folder"); // the item's folder; main folders are /m and /m/deep/main
        QTest::addColumn<QByteArray>("name");   // bytes on disk
        QTest::addColumn<bool>("expected");
        const QByteArray day2 = "/m/holiday-2019/day2";
        QTest::newRow("empty keeps all") << QString() << day2 << "x"_ba << true;
        QTest::newRow("part, accents and case") << u"resume"_s << day2 << "Mon R\xc3\xa9sum\xc3\xa9.pdf"_ba << true;
        QTest::newRow("folded text") << u"RÉSUMÉ"_s << day2 << "resume.txt"_ba << true;
        QTest::newRow("part missing") << u"resumes"_s << day2 << "resume.txt"_ba << false;
        QTest::newRow("name only, not folder") << u"day2"_s << day2 << "a.jpg"_ba << false;
        QTest::newRow("bad bytes read as U+FFFD") << u"r\uFFFDsum"_s << day2 << "r\xe9sum\xe9.txt"_ba << true;
        QTest::newRow("bad bytes are not letters") << u"resum"_s << day2 << "r\xe9sum\xe9.txt"_ba << false;
        QTest::newRow("glob whole name") << u"*.JPG"_s << day2 << "a.jpg"_ba << true;
        QTest::newRow("capitals in the name") << u"b.j"_s << day2 << "AB.JPG"_ba << true;
        QTest::newRow("accented text, plain name") << u"é"_s << day2 << "E.txt"_ba << true;
        QTest::newRow("glob is anchored") << u"*.jpg"_s << day2 << "a.jpg.txt"_ba << false;
        QTest::newRow("ending, folded") << u"*É.TXT"_s << day2 << "caf\xc3\xa9.txt"_ba << true;
        QTest::newRow("question mark is one") << u"a?c"_s << day2 << "ac"_ba << false;
        QTest::newRow("glob folded") << u"caf?-*"_s << day2 << "CAF\xc3\x89-1.png"_ba << true;
        QTest::newRow("star over other letters") << u"*本.JPG"_s << day2 << "\xe6\x97\xa5\xe6\x9c\xac.jpg"_ba << true;
        QTest::newRow("question mark is a character") << u"?本.jpg"_s << day2 << "\xe6\x97\xa5\xe6\x9c\xac.jpg"_ba << true;
        QTest::newRow("glob backtracks") << u"*ab*abc"_s << day2 << "xabyabababc"_ba << true;
        QTest::newRow("location part") << u"day2/R"_s << day2 << "raw.cr2"_ba << true;
        QTest::newRow("location below main only") << u"m/holiday"_s << day2 << "x"_ba << false;
        QTest::newRow("location glob crosses folders") << u"holiday*/*.CR2"_s << day2 + "/raw" << "a.cr2"_ba << true;
        QTest::newRow("location glob anchored") << u"day2/*"_s << day2 << "a.cr2"_ba << false;
        QTest::newRow("innermost main folder") << u"main/x"_s << "/m/deep/main"_ba << "x"_ba << false;
        QTest::newRow("location, bad bytes") << u"\uFFFD/x"_s << "/m/\xff"_ba << "x"_ba << true;
    }
    void matches()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, name);
        QFETCH(bool, expected);
        const IKImageItemRef item = IKImageItem::makeEntry(ScanFolderRef(new ScanFolder(folder)), name,
                                                           FileKind::Other, 1, qint64(0));
        const NameMatcher matcher(text);
        QCOMPARE(matcher.matches(*item, {"/m/", "/m/deep/main"}), expected);
        // The long lists' way: the lowered name from the index, the item itself when the index has none.
        const NameIndex index = NameIndex::of({item});
        if (matcher.matchesLocations())
            return;
        if (!(index.isFoldedText(0) && matcher.countsCharacters()))
            QCOMPARE(matcher.matchesIndexed(index.name(0), index.isFoldedText(0)), expected);
        if (const QByteArrayView part = matcher.foldedPart(); !part.isNull()) {
            bool found = false;
            index.search(part, 0, 1, [&](qsizetype) { found = true; }, [](qsizetype) {});
            QCOMPARE(found, expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestNameMatch)
#include "tst_namematch.moc"
