// The date texts of items, and the item record that keeps them with its path bytes.
#include "model/IKImageItem.h"
#include "model/ItemTexts.h"
#include "platform/NativePath.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTest>

#include <cstring>
#include <limits>

using namespace vellumry;
using namespace Qt::StringLiterals;

namespace {

QString dateTextByQt(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(u"yyyy-MM-dd HH:mm:ss");
}

constexpr qint64 kFirstSecond = -62135596800; // 0001-01-01 00:00:00
constexpr qint64 kLastSecond = 253402300799;  // 9999-12-31 23:59:59

} // namespace

class TestItemTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Calendar edges, and times outside the years shown, which keep the text's width and its buffer.
    void dateTexts_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("epoch") << Q_INT64_C(0) << u"1970-01-01 00:00:00"_s;
        QTest::newRow("one second before") << Q_INT64_C(-1) << u"1969-12-31 23:59:59"_s;
        QTest::newRow("one day and a second before") << Q_INT64_C(-86401) << u"1969-12-30 23:59:59"_s;
        QTest::newRow("after leap day 2000") << Q_INT64_C(951868800) << u"2000-03-01 00:00:00"_s;
        QTest::newRow("no leap day 1900") << Q_INT64_C(-2203891200) << u"1900-03-01 00:00:00"_s;
        QTest::newRow("before 1900-03-01") << Q_INT64_C(-2203891201) << u"1900-02-28 23:59:59"_s;
        QTest::newRow("leap day 1600") << Q_INT64_C(-11670976800) << u"1600-02-29 06:00:00"_s;
        QTest::newRow("first second") << kFirstSecond << u"0001-01-01 00:00:00"_s;
        QTest::newRow("last second") << kLastSecond << u"9999-12-31 23:59:59"_s;
        QTest::newRow("one second early") << kFirstSecond - 1 << u"0001-01-01 00:00:00"_s;
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << u"0001-01-01 00:00:00"_s;
        QTest::newRow("one second late") << kLastSecond + 1 << u"9999-12-31 23:59:59"_s;
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << u"9999-12-31 23:59:59"_s;
    }

    void dateTexts()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        if (seconds >= kFirstSecond && seconds <= kLastSecond)
            QCOMPARE(dateTextByQt(seconds), text); // the table itself is right
        char buffer[24];
        std::memset(buffer, 'x', sizeof buffer);
        QCOMPARE(formatDateText(seconds, buffer), 19);
        QCOMPARE(QLatin1StringView(buffer), text);
        QCOMPARE(QByteArray(buffer + 20, 4), "xxxx"_ba);
        QCOMPARE(dateText(seconds), text);
    }

    // Random times over all the years shown, and the seconds around midnight of those days, against Qt.
    void dateTextsAgreeWithQtAcrossTheYears()
    {
        QRandomGenerator random(20240229);
        for (int i = 0; i < 5000; ++i) {
            const qint64 seconds = random.bounded(kFirstSecond, kLastSecond + 1);
            const qint64 midnight = (seconds / 86400) * 86400;
            for (qint64 s : {seconds, midnight - 1, midnight}) {
                if (s >= kFirstSecond && s <= kLastSecond)
                    QCOMPARE(dateText(s), dateTextByQt(s));
            }
        }
    }

    // An entry whose times could not be read shows no date; only a file of the exact kind name "Image"
    // previews from its path, a folder by its quick-look picture.
    void scannedEntries()
    {
        const ScanFolderRef folder(new ScanFolder("/data/photos"));
        const auto undated = IKImageItem::makeEntry(folder, "gone", FileKind::Image, 0, std::nullopt);
        QCOMPARE(undated->modifDate(), QString());
        QCOMPARE(undated->imageRepresentationType(), RepresentationType::Path);
        const auto sub = IKImageItem::makeFolder(folder, "a");
        QCOMPARE(sub->filePath(), folderIconPath());
        QCOMPARE(sub->nativeEntryPath(), "/data/photos/a"_ba);
        sub->setFileType(u"image"_s);
        QCOMPARE(sub->imageRepresentationType(), RepresentationType::QuickLookPath);
    }

    // A batch move writes the path first and the name after; neither may be rebuilt from the other, and
    // writing back the texts an item gave keeps its bytes.
    void pathIsKeptApartFromTheName()
    {
        const auto item = IKImageItem::makeEntry(ScanFolderRef(new ScanFolder("/t/\xff\xfe")), "r\xe9sum\xe9.doc",
                                                 FileKind::Document, 1, qint64(0));
        QCOMPARE(item->nativeFilePath(), "/t/\xff\xfe/r\xe9sum\xe9.doc"_ba);
        QCOMPARE(toNativePath(item->filePath()), item->nativeFilePath());
        item->setFilePath(item->filePath());
        item->setFileName(item->fileName());
        QCOMPARE(item->nativeFilePath(), "/t/\xff\xfe/r\xe9sum\xe9.doc"_ba);
        QCOMPARE(item->nativeFileName(), "r\xe9sum\xe9.doc"_ba);
        item->setFileName(u"new.txt"_s);
        QCOMPARE(item->nativeFilePath(), "/t/\xff\xfe/r\xe9sum\xe9.doc"_ba);
        item->setFilePath(u"/p//y.txt"_s);
        QCOMPARE(item->nativeEntryPath(), "/p//y.txt"_ba);
        QCOMPARE(item->fileName(), u"new.txt"_s);
    }
};

QTEST_GUILESS_MAIN(TestItemTexts)
#include "tst_itemtexts.moc"
