// Thumbnails from real files: scaled pictures, the freedesktop cache, PDF pages and icons on failure.
#include "MediaFiles.h"
#include "support/TempDir.h"
#include "support/TempHome.h"

#include "model/IKImageItem.h"
#include "views/ui/FileIcons.h"
#include "views/ui/ThumbnailLoader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <sys/stat.h> // mkfifo

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

IKImageItemRef fileItem(const QByteArray &path, FileKind kind)
{
    const qsizetype slash = path.lastIndexOf('/');
    return IKImageItem::makeEntry(ScanFolderRef(new ScanFolder(path.left(slash))), path.mid(slash + 1), kind,
                                  0, std::nullopt);
}

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
    void thumbnails_data();
    void thumbnails();
    void eachPathIsQueuedOnce();

private:
    std::unique_ptr<TempHome> m_home;
};

void TestThumbnailLoader::thumbnails_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("content"); // "pic", "turned", "pdf", "-" (no file), "|" (a pipe) or bytes
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QString>("cached"); // a freedesktop cache entry: "", "current", "older", "other file"
    QTest::addColumn<QSize>("expected"); // invalid: an icon
    QTest::addColumn<QColor>("centre");

    const QColor red(Qt::red), blue(Qt::blue);
    QTest::newRow("wide PNG") << QByteArray("wide.png") << QByteArray("pic") << QSize(400, 200) << QString()
                              << QSize(80, 40) << red;
    QTest::newRow("tall PNG") << QByteArray("tall.png") << QByteArray("pic") << QSize(90, 300) << QString()
                              << QSize(24, 80) << red;
    QTest::newRow("small PNG is not enlarged")
        << QByteArray("small.png") << QByteArray("pic") << QSize(40, 30) << QString() << QSize(40, 30) << red;
    QTest::newRow("EXIF-turned JPEG") << QByteArray("turned.jpg") << QByteArray("turned") << QSize(400, 200)
                                      << QString() << QSize(40, 80) << red;
    QTest::newRow("PDF: its first A4 page")
        << QByteArray("Report.Pdf") << QByteArray("pdf") << QSize() << QString() << QSize(57, 80) << red;
    QTest::newRow("cache entry of this version") << QByteArray("a b#.png") << QByteArray("pic")
                                                 << QSize(300, 200) << u"current"_s << QSize(80, 53) << blue;
    QTest::newRow("cache entry of an older version") << QByteArray("a b#.png") << QByteArray("pic")
                                                     << QSize(300, 200) << u"older"_s << QSize(80, 53) << red;
    QTest::newRow("cache entry of another file")
        << QByteArray("a b#.png") << QByteArray("pic") << QSize(300, 200) << u"other file"_s << QSize(80, 53)
        << red;
    QTest::newRow("vanished picture")
        << QByteArray("gone.png") << QByteArray("-") << QSize() << QString() << QSize() << QColor();
    QTest::newRow("garbage JPEG") << QByteArray("broken.jpg") << QByteArray("not a picture") << QSize()
                                  << QString() << QSize() << QColor();
    QTest::newRow("garbage PDF") << QByteArray("broken.pdf") << QByteArray("%PDF-1.4 x") << QSize()
                                 << QString() << QSize() << QColor();
    QTest::newRow("named pipe called .png")
        << QByteArray("pipe.png") << QByteArray("|") << QSize() << QString() << QSize() << QColor();
}

void TestThumbnailLoader::thumbnails()
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

void TestThumbnailLoader::eachPathIsQueuedOnce()
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

QTEST_MAIN(TestThumbnailLoader)
#include "tst_thumbnailloader.moc"
