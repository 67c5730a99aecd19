// Thumbnails from real files: scaled pictures, the freedesktop cache, PDF pages and icons on failure;
// the request queue: newest first, the oldest dropped past the cap, cleared in one go.
#include "MediaFiles.h"
#include "support/TempDir.h"
#include "support/TempHome.h"

#include "model/IKImageItem.h"
#include "views/ui/FileIcons.h"
#include "views/ThumbnailQueue.h"
#include "views/ui/ThumbnailLoader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

#include <sys/stat.h> // mkfifo

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

// The thumbnail once its worker is done; null when it never comes.
QPixmap waitForThumbnail(ThumbnailLoader &loader, const IKImageItem &item)
{
    QPixmap pixmap = loader.thumbnail(item);
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    while (pixmap.isNull() && ready.wait(10000))
        pixmap = loader.thumbnail(item);
    return pixmap;
}

bool near(const QImage &image, double fx, double fy, const QColor &b)
{
    const QColor a = image.pixelColor(qMin(image.width() - 1, int(image.width() * fx)),
                                      qMin(image.height() - 1, int(image.height() * fy)));
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40 && qAbs(a.blue() - b.blue()) < 40;
}

} // namespace

class TestThumbnailLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_home = std::make_unique<TempHome>(); } // no real cache read or written
    void thumbnails_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("content"); // "pic", "turned", "pdf", "-" (no file), "|" (a pipe) or bytes
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QString>("cached"); // a freedesktop cache entry: "", "current", "older", "other file"
        QTest::addColumn<QSize>("expected"); // invalid: an icon
        QTest::addColumn<QColor>("centre");

        const auto row = [](const char *tag, const char *name, const QByteArray &content, QSize stored,
                            const QString &cached, QSize expected, const QColor &centre = {}) {
            QTest::newRow(tag) << QByteArray(name) << content << stored << cached << expected << centre;
        };
        const QColor red(Qt::red), blue(Qt::blue);
        row("wide PNG", "wide.png", "pic", {400, 200}, {}, {80, 40}, red);
        row("tall PNG", "tall.png", "pic", {90, 300}, {}, {24, 80}, red);
        row("small PNG is not enlarged", "small.png", "pic", {40, 30}, {}, {40, 30}, red);
        row("EXIF-turned JPEG", "turned.jpg", "turned", {400, 200}, {}, {40, 80}, red);
        row("PDF: its first A4 page", "Report.Pdf", "pdf", {}, {}, {57, 80}, red);
        row("cache entry of this version", "a b#.png", "pic", {300, 200}, u"current"_s, {80, 53}, blue);
        row("cache entry of an older version", "a b#.png", "pic", {300, 200}, u"older"_s, {80, 53}, red);
        row("cache entry of another file", "a b#.png", "pic", {300, 200}, u"other file"_s, {80, 53}, red);
        row("vanished picture", "gone.png", "-", {}, {}, {});
        row("garbage JPEG", "broken.jpg", "not a picture", {}, {}, {});
        row("garbage PDF", "broken.pdf", "%PDF-1.4 x", {}, {}, {});
        row("named pipe called .png", "pipe.png", "|", {}, {}, {});
    }

    void thumbnails()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, content);
        QFETCH(QSize, stored);
        QFETCH(QString, cached);
        QFETCH(QSize, expected);
        QFETCH(QColor, centre);

        TempDir dir;
        const QByteArray path = dir.path() + '/' + name;
        if (content == "pic")
            writePicture(path, stored, Qt::red);
        else if (content == "turned") // its left stripe belongs on top
            writeTurnedJpeg(path, stored, Qt::red, stored.width() / 10, Qt::blue);
        else if (content == "pdf")
            writePdf(path, 2, Qt::red);
        else if (content == "|")
            QVERIFY(::mkfifo(path.constData(), 0600) == 0);
        else if (content != "-")
            writeBytes(path, content);

        if (!cached.isEmpty()) {
            // Where and how another program leaves it: named by the MD5 of the escaped URI, 128 pixels.
            const QByteArray uri = "file://" + dir.path() + "/a%20b%23.png";
            const QString folder = m_home->cacheHome() + u"/thumbnails/normal"_s;
            QVERIFY(QDir().mkpath(folder));
            QImage entry(128, 85, QImage::Format_RGB32);
            entry.fill(Qt::blue);
            const qint64 mtime = QFileInfo(QString::fromUtf8(path)).lastModified().toSecsSinceEpoch();
            entry.setText(u"Thumb::MTime"_s, QString::number(cached == u"older" ? mtime - 100 : mtime));
            entry.setText(u"Thumb::URI"_s, QString::fromUtf8(cached == u"other file" ? uri + "x" : uri));
            const QByteArray md5 = QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex();
            QVERIFY(entry.save(folder + u'/' + QString::fromLatin1(md5) + u".png"_s, "png"));
        }

        ThumbnailLoader loader(80);
        const auto item =
            fileItem(path, name.endsWith("png") || name.endsWith("jpg") ? FileKind::Image : FileKind::Document);
        const QPixmap pixmap = waitForThumbnail(loader, *item);
        QVERIFY(!pixmap.isNull());
        const QSize size = pixmap.deviceIndependentSize().toSize();
        const QImage image = pixmap.toImage();
        if (expected.isValid()) {
            QCOMPARE(size.height(), expected.height());
            QVERIFY2(qAbs(size.width() - expected.width()) <= 1, qPrintable(QString::number(size.width())));
            QVERIFY(near(image, 0.5, 0.7, centre));
            if (content == "turned")
                QVERIFY(near(image, 0.5, 0.02, Qt::blue));
        } else {
            QVERIFY(size.width() <= 80 && size.height() <= 80);
            if (content == "-") // nothing to guess from: the plain file icon
                QCOMPARE(image, fallbackFileIcon().pixmap(QSize(80, 80)).toImage());
        }
        QCOMPARE(loader.pendingCount(), 0);
    }

    void eachPathIsQueuedOnce()
    {
        TempDir dir;
        const QByteArray path = dir.path() + "/once.png";
        writePicture(path, QSize(64, 64), Qt::green);
        const auto item = fileItem(path, FileKind::Image);

        ThumbnailLoader loader(32);
        QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
        for (int i = 0; i < 3; ++i)
            QVERIFY(loader.thumbnail(*item).isNull());
        QCOMPARE(loader.pendingCount(), 1);
        QVERIFY(ready.wait(10000));
        QVERIFY(!QTest::qWaitFor([&ready] { return ready.count() > 1; }, 300));
        QCOMPARE(ready.at(0).at(0).toString(), item->filePath());
        QVERIFY(!loader.thumbnail(*item).isNull()); // from memory now, without another round
        QCOMPARE(loader.pendingCount(), 0);
    }

    void queueServesNewestFirst_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("pushed");
        QTest::addColumn<QList<int>>("dropped"); // in the order they fell out
        QTest::addColumn<QList<int>>("served");
        QTest::newRow("under the cap") << 5 << 3 << QList<int>{} << QList<int>{2, 1, 0};
        QTest::newRow("exactly the cap") << 3 << 3 << QList<int>{} << QList<int>{2, 1, 0};
        QTest::newRow("past the cap") << 3 << 6 << QList<int>{0, 1, 2} << QList<int>{5, 4, 3};
        QTest::newRow("a cap below one means one") << 0 << 2 << QList<int>{0} << QList<int>{1};
    }
    void queueServesNewestFirst()
    {
        QFETCH(int, capacity);
        QFETCH(int, pushed);
        QFETCH(QList<int>, dropped);
        QFETCH(QList<int>, served);
        const auto path = [](int n) { return QStringLiteral("/pictures/%1.png").arg(n); };
        ThumbnailQueue queue(capacity);
        QStringList droppedPaths, expectedDropped, expectedServed;
        for (int i = 0; i < pushed; ++i)
            droppedPaths += queue.push({path(i), path(i).toUtf8(), ThumbnailRoute::Picture});
        QCOMPARE(queue.size(), served.size());
        for (int n : dropped)
            expectedDropped.append(path(n));
        for (int n : served)
            expectedServed.append(path(n));
        QCOMPARE(droppedPaths, expectedDropped);
        const auto newest = queue.takeNewest();
        QVERIFY(newest);
        QCOMPARE(newest->filePath, expectedServed.takeFirst());
        // Clearing hands back what was still waiting, oldest first, and leaves nothing behind.
        std::reverse(expectedServed.begin(), expectedServed.end());
        QCOMPARE(queue.clear(), expectedServed);
        QVERIFY(!queue.takeNewest());
    }

private:
    std::unique_ptr<TempHome> m_home;
};

QTEST_MAIN(TestThumbnailLoader)
#include "tst_thumbnailloader.moc"
