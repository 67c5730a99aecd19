// The size and date texts of items, and the item record that keeps them with its path bytes.
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
    void sizeTexts_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("most bytes") << Q_UINT64_C(999) << u"999 bytes"_s;
        QTest::newRow("one KB") << Q_UINT64_C(1000) << u"1.00 KB"_s;
        // The float 1.065000057 rounds up; in double precision 1.065 would be 1.06499... and round down.
        QTest::newRow("float not double") << Q_UINT64_C(1065) << u"1.07 KB"_s;
        QTest::newRow("most KB") << Q_UINT64_C(999999) << u"1000.00 KB"_s;
        QTest::newRow("one MB") << Q_UINT64_C(1000000) << u"1.00 MB"_s;
        // Two divisions by 1000 give 256.00497; one division by a million would give 256.005 and "256.01".
        QTest::newRow("one step at a time, MB") << Q_UINT64_C(256004984) << u"256.00 MB"_s;
        QTest::newRow("most MB") << Q_UINT64_C(999999999) << u"1000.00 MB"_s;
        QTest::newRow("one GB") << Q_UINT64_C(1000000000) << u"1.00 GB"_s;
        // Three float steps give 2.2149999; double precision or a single division would give "2.22".
        QTest::newRow("one step at a time, GB") << Q_UINT64_C(2215000032) << u"2.21 GB"_s;
        // The third quotient 6245 / 1000 is the float 6.2449999, which a double 6.245 would not be.
        QTest::newRow("last step in float, GB") << Q_UINT64_C(6245000160) << u"6.24 GB"_s;
        // As a float this is 10^12, so the unit must be chosen from the integer.
        QTest::newRow("just under one TB") << Q_UINT64_C(999999995904) << u"1000.00 GB"_s;
        QTest::newRow("one TB") << Q_UINT64_C(1000000000000) << u"1.00 TB"_s;
        // The fourth quotient 2165 / 1000 is the float 2.1649999.
        QTest::newRow("last step in float, TB") << Q_UINT64_C(2164999871850) << u"2.16 TB"_s;
        // 2^64 - 1 rounds up to the float 2^64. The quotient 18446744.07 lies between 2^24 and 2^25, where
        // floats are even whole numbers, so it becomes 18446744.
        QTest::newRow("largest") << std::numeric_limits<quint64>::max() << u"18446744.00 TB"_s;
    }

    void sizeTexts()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        char buffer[100] = {};
        QCOMPARE(size_to_unit(bytes, buffer), buffer);
        QCOMPARE(QLatin1StringView(buffer), text);
        QCOMPARE(sizeText(bytes), text);
    }

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

    // An entry whose times could not be read, and a folder: what the scan leaves blank. How each previews.
    void scannedEntries()
    {
        const ScanFolderRef folder(new ScanFolder("/data/photos"));
        const auto undated = IKImageItem::makeEntry(folder, "gone", FileKind::Image, 0, std::nullopt);
        QCOMPARE(undated->fileSize(), u"0 bytes"_s);
        QCOMPARE(undated->modifDate(), QString());
        QCOMPARE(undated->imageRepresentationType(), RepresentationType::Path);
        const auto sub = IKImageItem::makeFolder(folder, "a");
        QCOMPARE(sub->fileType(), u"Folder"_s);
        QCOMPARE(sub->filePath(), folderIconPath());
        QCOMPARE(sub->fileSize(), QString());
        QCOMPARE(sub->nativeEntryPath(), "/data/photos/a"_ba);
        QCOMPARE(sub->imageRepresentationType(), RepresentationType::QuickLookPath);
        sub->setFileType(u"image"_s); // the kind's exact name only
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
