// The date taken as the headers give it: which tag wins, which dates are refused and why, and the time
// zone rule (a picture's time as written, a container's UTC time in local time). Then `info` on the files.
#include "model/MediaInfo.h"
#include "model/TakenFiles.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QTest>

#include <ctime>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

class TestMediaInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        qputenv("TZ", "UTC");
        ::tzset();
    }

    void dateTaken_data()
    {
        // A picture's tags, or after "video" the file name and ffmpeg's options; the computer's time zone;
        // the date taken, or after "!" the start of the reason there is none; its source.
        QTest::addColumn<QStringList>("made");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("taken");
        QTest::addColumn<QString>("source");
        const QString original = u"Exif.Photo.DateTimeOriginal="_s,
                      digitized = u"Exif.Photo.DateTimeDigitized="_s, create = u"Xmp.xmp.CreateDate="_s,
                      photoshop = u"Xmp.photoshop.DateCreated="_s;
        QTest::newRow("original before all")
            << QStringList{digitized + u"2020:01:01 00:00:00"_s, original + u"2021:03:04 10:00:00"_s,
                           create + u"2019-01-01"_s}
            << QByteArray("UTC") << u"2021-03-04 10:00:00"_s << u"exif"_s;
        QTest::newRow("digitized before xmp")
            << QStringList{create + u"2019-01-01"_s, digitized + u"2020:01:02 03:04:05"_s}
            << QByteArray("UTC") << u"2020-01-02 03:04:05"_s << u"exif"_s;
        QTest::newRow("create before photoshop")
            << QStringList{photoshop + u"2018-01-01"_s, create + u"2019-05-06T07:08:09"_s}
            << QByteArray("UTC") << u"2019-05-06 07:08:09"_s << u"xmp"_s;
        QTest::newRow("zero skipped")
            << QStringList{original + u"0000:00:00 00:00:00"_s, photoshop + u"2019-07-04"_s}
            << QByteArray("UTC") << u"2019-07-04 00:00:00"_s << u"xmp"_s;
        QTest::newRow("zero only") << QStringList{original + u"0000:00:00 00:00:00"_s} << QByteArray("UTC")
                                   << u"!unusable date: 0000:00:00"_s << QString();
        QTest::newRow("year 1700") << QStringList{original + u"1700:01:01 10:00:00"_s} << QByteArray("UTC")
                                   << u"!date outside 1801-2499"_s << QString();
        QTest::newRow("file time is no date taken")
            << QStringList{u"Exif.Image.DateTime=2021:03:04 10:00:00"_s} << QByteArray("UTC")
            << u"!no date taken"_s << QString();
        QTest::newRow("no tag") << QStringList{} << QByteArray("UTC") << u"!no date taken"_s << QString();
        QTest::newRow("exif offset not applied")
            << QStringList{original + u"2021:03:04 23:30:00"_s, u"Exif.Photo.OffsetTimeOriginal=+09:00"_s}
            << QByteArray("EST5") << u"2021-03-04 23:30:00"_s << u"exif"_s;
        QTest::newRow("xmp offset not applied") << QStringList{create + u"2021-03-04T23:30:00+09:00"_s}
                                                << QByteArray("EST5") << u"2021-03-04 23:30:00"_s << u"xmp"_s;
        QTest::newRow("video utc to local day")
            << QStringList{u"video"_s, u"v.mp4"_s, u"-metadata"_s, u"creation_time=2021-03-04T23:30:00Z"_s}
            << QByteArray("JST-9") << u"2021-03-05 08:30:00"_s << u"container"_s;
        QTest::newRow("quicktime local date wins")
            << QStringList{u"video"_s,     u"v.mov"_s,
                           u"-metadata"_s, u"creation_time=2021-03-04T14:30:00Z"_s,
                           u"-metadata"_s, u"com.apple.quicktime.creationdate=2021-03-04T23:30:00+0900"_s,
                           u"-movflags"_s, u"use_metadata_tags"_s}
            << QByteArray("EST5") << u"2021-03-04 23:30:00"_s << u"container"_s;
        QTest::newRow("video without date")
            << QStringList{u"video"_s, u"v.mkv"_s} << QByteArray("UTC") << u"!no date taken"_s << QString();
    }
    void dateTaken()
    {
        QFETCH(QStringList, made);
        QFETCH(QByteArray, zone);
        QFETCH(QString, taken);
        QFETCH(QString, source);
        TempDir dir;
        const bool video = made.value(0) == u"video";
        const QByteArray path = dir.path() + '/' + (video ? QFile::encodeName(made.at(1)) : "p.jpg");
        QByteArrayList options;
        for (const QString &option : made.mid(2))
            options.append(option.toUtf8());
        QVERIFY(video ? muxVideo(path, options) : writeTaggedJpeg(path, made));
        qputenv("TZ", zone);
        ::tzset();

        const MediaInfo info = readMediaInfo(path, video ? FileKind::Video : FileKind::Image);
        if (taken.startsWith(u'!')) {
            QVERIFY2(info.noDateReason.startsWith(taken.mid(1)), qPrintable(info.noDateReason));
            QVERIFY(!info.taken.isValid());
        } else {
            QCOMPARE(info.taken.toString(u"yyyy-MM-dd HH:mm:ss"_s), taken);
        }
        QCOMPARE(takenSourceName(info.source), source);
        if (video) {
            QCOMPARE(info.width, 64);
            QCOMPARE(info.height, 48);
            QVERIFY(qAbs(info.lengthSeconds - 1) < 0.1);
        }
    }

    // One line per file in order; a missing file is said on standard error and fails the run at the end.
    void infoPrintsEachFile()
    {
        TempDir dir;
        const QByteArray picture = dir.path() + "/a\tb.jpg";
        QVERIFY(writeTaggedJpeg(picture, {u"Exif.Photo.DateTimeOriginal=2021:03:04 23:30:00"_s}));
        QProcess cli;
        cli.start(qEnvironmentVariable("VELLUMRY_CLI"),
                  {u"info"_s, QFile::decodeName(dir.path() + "/gone.mov"), QFile::decodeName(picture)});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 1);
        QVERIFY(cli.readAllStandardError().contains("gone.mov"));
        const QByteArrayList fields = cli.readAllStandardOutput().chopped(1).split('\t');
        QCOMPARE(fields.size(), 9); // the tab in the name is written \t
        QCOMPARE(fields.mid(0, 2), (QByteArrayList{dir.path() + "/a\\tb.jpg", "Image"}));
        QCOMPARE(fields.mid(4), (QByteArrayList{"2021-03-04 23:30:00", "exif", "1", "1", ""}));
    }
};

QTEST_GUILESS_MAIN(TestMediaInfo)
#include "tst_mediainfo.moc"
