// Thumbnails from real files: scaled pictures, the freedesktop cache, PDF pages and icons on failure.
#include "MediaFiles.h"
#include "support/TempDir.h"
#include "support/TempHome.h"

#include "model/IKImageItem.h"
#include "platform/NativePath.h"
#include "views/ui/FileIcons.h"
#include "views/ui/ThumbnailLoader.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <sys/stat.h> // mkfifo
#include <unistd.h>

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
    while (pixmap.isNull()) {
        if (!ready.wait(10000))
            return {};
        pixmap = loader.thumbnail(item);
    }
    return pixmap;
}

QColor colorAt(const QPixmap &pixmap, double fx, double fy)
{
    const QImage image = pixmap.toImage();
    return image.pixelColor(qMin(image.width() - 1, int(image.width() * fx)),
                            qMin(image.height() - 1, int(image.height() * fy)));
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40 && qAbs(a.blue() - b.blue()) < 40;
}

} // namespace

class TestThumbnailLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cachePathFollowsTheStandard_data();
    void cachePathFollowsTheStandard();
    void pictureIsScaledDown_data();
    void pictureIsScaledDown();
    void cacheEntryIsPreferredWhenCurrent_data();
    void cacheEntryIsPreferredWhenCurrent();
    void pdfShowsItsFirstPage();
    void failuresGetAnIcon_data();
    void failuresGetAnIcon();
    void contentTypesGetTheirOwnIcons();
    void foldersAndApplicationsAnswerAtOnce();
    void eachPathIsQueuedOnce();
    void clearedAndDroppedRequestsCanComeBack_data();
    void clearedAndDroppedRequestsCanComeBack();
    void destroyedWhileBusy();

private:
    std::unique_ptr<TempHome> m_home;
};

void TestThumbnailLoader::initTestCase()
{
    // A private home, so neither the real thumbnail cache is read nor a test entry left behind. The
    // system's MIME database and icon themes are linked in: content types need them.
    m_home = std::make_unique<TempHome>();
    for (const char *shared : {"mime", "icons"}) {
        const QByteArray target = QByteArray("/usr/share/") + shared;
        const QByteArray link = toNativePath(m_home->dataDirs()) + '/' + shared;
        QVERIFY(::symlink(target.constData(), link.constData()) == 0);
    }
}

void TestThumbnailLoader::cachePathFollowsTheStandard_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("large");
    QTest::addColumn<QByteArray>("uri");

    QTest::newRow("plain") << QByteArray("/home/jens/photos/me.png") << false
                           << QByteArray("file:///home/jens/photos/me.png");
    QTest::newRow("large folder") << QByteArray("/home/jens/photos/me.png") << true
                                  << QByteArray("file:///home/jens/photos/me.png");
    QTest::newRow("space and hash") << QByteArray("/data/a b#1.png") << false
                                    << QByteArray("file:///data/a%20b%231.png");
    QTest::newRow("byte that is not UTF-8")
        << QByteArray("/data/raw\xff.png") << false << QByteArray("file:///data/raw%FF.png");
    QTest::newRow("percent sign") << QByteArray("/data/100%.png") << true
                                  << QByteArray("file:///data/100%25.png");
}

void TestThumbnailLoader::cachePathFollowsTheStandard()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, large);
    QFETCH(QByteArray, uri);

    const QByteArray md5 = QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex();
    const QString expected = m_home->cacheHome() +
                             (large ? u"/thumbnails/large/"_s : u"/thumbnails/normal/"_s) +
                             QString::fromLatin1(md5) + u".png"_s;
    QCOMPARE(thumbnailCachePath(path, large), expected);
    if (QTest::currentDataTag() == QByteArray("plain")) // the example the standard itself gives
        QCOMPARE(md5, QByteArray("c6ee772d9e49320e97ec29a7eb5b1697"));
}

void TestThumbnailLoader::pictureIsScaledDown_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<bool>("turned"); // EXIF orientation: a quarter turn clockwise
    QTest::addColumn<QSize>("expected");

    QTest::newRow("wide PNG") << QByteArray("wide.png") << QSize(400, 200) << false << QSize(80, 40);
    QTest::newRow("tall PNG") << QByteArray("tall.png") << QSize(90, 300) << false << QSize(24, 80);
    QTest::newRow("small PNG is not enlarged")
        << QByteArray("small.png") << QSize(40, 30) << false << QSize(40, 30);
    QTest::newRow("EXIF-turned JPEG") << QByteArray("turned.jpg") << QSize(400, 200) << true << QSize(40, 80);
}

void TestThumbnailLoader::pictureIsScaledDown()
{
    QFETCH(QByteArray, name);
    QFETCH(QSize, stored);
    QFETCH(bool, turned);
    QFETCH(QSize, expected);

    TempDir dir;
    const QByteArray path = dir.path() + '/' + name;
    if (turned)
        writeTurnedJpeg(path, stored, Qt::red, stored.width() / 10, Qt::blue);
    else
        writePicture(path, stored, Qt::red);

    ThumbnailLoader loader(80);
    const auto item = fileItem(path, FileKind::Image);
    const QPixmap pixmap = waitForThumbnail(loader, *item);
    QVERIFY(!pixmap.isNull());
    QCOMPARE(pixmap.deviceIndependentSize().toSize(), expected);
    QVERIFY(near(colorAt(pixmap, 0.5, 0.7), Qt::red));
    if (turned) // the stripe that was on the left is now on top
        QVERIFY(near(colorAt(pixmap, 0.5, 0.02), Qt::blue));
    QCOMPARE(loader.pendingCount(), 0);
}

void TestThumbnailLoader::cacheEntryIsPreferredWhenCurrent_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("large");
    QTest::addColumn<QString>("mtime"); // "file": the file's own; empty: no chunk; else this text
    QTest::addColumn<bool>("uriMatches");
    QTest::addColumn<bool>("used");

    const int image = int(FileKind::Image), video = int(FileKind::Video);
    QTest::newRow("normal, same mtime") << QByteArray("a.png") << image << false << u"file"_s << true << true;
    QTest::newRow("large, same mtime") << QByteArray("a.png") << image << true << u"file"_s << true << true;
    QTest::newRow("no mtime recorded") << QByteArray("a.png") << image << false << QString() << true << true;
    QTest::newRow("older mtime") << QByteArray("a.png") << image << false << u"1000000000"_s << true << false;
    QTest::newRow("made for another file")
        << QByteArray("a.png") << image << false << u"file"_s << false << false;
    QTest::newRow("video frame from the cache")
        << QByteArray("clip.avi") << video << false << u"file"_s << true << true;
}

void TestThumbnailLoader::cacheEntryIsPreferredWhenCurrent()
{
    QFETCH(QByteArray, name);
    QFETCH(int, kind);
    QFETCH(bool, large);
    QFETCH(QString, mtime);
    QFETCH(bool, uriMatches);
    QFETCH(bool, used);

    TempDir dir;
    const QByteArray path = dir.path() + '/' + name;
    if (FileKind(kind) == FileKind::Video)
        writeAvi(path, QSize(32, 24), 3, Qt::red);
    else
        writePicture(path, QSize(300, 200), Qt::red);

    // A thumbnail as another program would have left it: 128 pixels, with its text chunks.
    const QString cached = thumbnailCachePath(path, large);
    QVERIFY(QDir().mkpath(cached.section(u'/', 0, -2)));
    QImage entry(large ? 256 : 128, large ? 170 : 85, QImage::Format_RGB32);
    entry.fill(Qt::blue);
    if (!mtime.isEmpty())
        entry.setText(
            u"Thumb::MTime"_s,
            mtime == u"file"
                ? QString::number(QFileInfo(QString::fromUtf8(path)).lastModified().toSecsSinceEpoch())
                : mtime);
    const QByteArray uriPath = uriMatches ? path : QByteArray(path + ".old");
    entry.setText(u"Thumb::URI"_s, u"file://"_s + QString::fromUtf8(uriPath));
    QVERIFY(entry.save(cached, "png"));

    ThumbnailLoader loader(80);
    const auto item = fileItem(path, FileKind(kind));
    const QPixmap pixmap = waitForThumbnail(loader, *item);
    QVERIFY(!pixmap.isNull());
    QCOMPARE(near(colorAt(pixmap, 0.5, 0.5), Qt::blue), used);
    if (!used && FileKind(kind) == FileKind::Image)
        QVERIFY(near(colorAt(pixmap, 0.5, 0.5), Qt::red));
}

void TestThumbnailLoader::pdfShowsItsFirstPage()
{
    TempDir dir;
    const QByteArray path = dir.path() + "/Report.Pdf";
    writePdf(path, 2, Qt::red);

    ThumbnailLoader loader(80);
    const auto item = fileItem(path, FileKind::Document);
    const QPixmap pixmap = waitForThumbnail(loader, *item);
    QVERIFY(!pixmap.isNull());
    // An A4 page, upright: 80 high, 80 * 210 / 297 wide.
    QCOMPARE(pixmap.deviceIndependentSize().height(), 80);
    QVERIFY(qAbs(pixmap.deviceIndependentSize().width() - 57) <= 1);
    QVERIFY(near(colorAt(pixmap, 0.5, 0.5), Qt::red));
}

void TestThumbnailLoader::failuresGetAnIcon_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("content"); // "-": no file at all; "|": a named pipe

    QTest::newRow("vanished picture") << QByteArray("gone.png") << int(FileKind::Image) << QByteArray("-");
    QTest::newRow("garbage JPEG") << QByteArray("broken.jpg") << int(FileKind::Image)
                                  << QByteArray("this is not a picture at all");
    QTest::newRow("garbage PDF") << QByteArray("broken.pdf") << int(FileKind::Document)
                                 << QByteArray("%PDF-1.4 x");
    QTest::newRow("named pipe called .png")
        << QByteArray("pipe.png") << int(FileKind::Image) << QByteArray("|");
}

void TestThumbnailLoader::failuresGetAnIcon()
{
    QFETCH(QByteArray, name);
    QFETCH(int, kind);
    QFETCH(QByteArray, content);

    TempDir dir;
    const QByteArray path = dir.path() + '/' + name;
    if (content == "|")
        QVERIFY(::mkfifo(path.constData(), 0600) == 0);
    else if (content != "-")
        writeBytes(path, content);

    ThumbnailLoader loader(80);
    const auto item = fileItem(path, FileKind(kind));
    const QPixmap pixmap = waitForThumbnail(loader, *item);
    QVERIFY(!pixmap.isNull());
    QVERIFY(pixmap.deviceIndependentSize().width() <= 80 && pixmap.deviceIndependentSize().height() <= 80);
    if (content == "-") // nothing to guess from: the plain file icon
        QCOMPARE(pixmap.toImage(), fallbackFileIcon().pixmap(QSize(80, 80)).toImage());
}

void TestThumbnailLoader::contentTypesGetTheirOwnIcons()
{
    ensureIconTheme();
    if (!QIcon::hasThemeIcon(u"package-x-generic"_s) || !QIcon::hasThemeIcon(u"text-x-generic"_s))
        QSKIP("no icon theme with generic content-type icons is installed");
    TempDir dir;
    writeBytes(dir.path() + "/a.zip", "PK");
    writeBytes(dir.path() + "/b.zip", "PK");
    writeBytes(dir.path() + "/notes.txt", "words");

    ThumbnailLoader loader(64);
    const QImage zipA =
        waitForThumbnail(loader, *fileItem(dir.path() + "/a.zip", FileKind::Archive)).toImage();
    const QImage zipB =
        waitForThumbnail(loader, *fileItem(dir.path() + "/b.zip", FileKind::Archive)).toImage();
    const QImage text =
        waitForThumbnail(loader, *fileItem(dir.path() + "/notes.txt", FileKind::Document)).toImage();
    QVERIFY(!zipA.isNull() && !text.isNull());
    QCOMPARE(zipA, zipB);
    QVERIFY(zipA != text);
}

void TestThumbnailLoader::foldersAndApplicationsAnswerAtOnce()
{
    TempDir dir;
    const ScanFolderRef parent(new ScanFolder(dir.path()));
    const auto folder = IKImageItem::makeFolder(parent, "Holidays");
    const auto app = IKImageItem::makeEntry(parent, "Tool.app", FileKind::Application, 0, std::nullopt);

    ThumbnailLoader loader(48);
    const QPixmap folderPixmap = loader.thumbnail(*folder);
    const QPixmap appPixmap = loader.thumbnail(*app);
    QVERIFY(!folderPixmap.isNull() && !appPixmap.isNull());
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
    QCOMPARE(ready.count(), 1);
    QCOMPARE(ready.at(0).at(0).toString(), item->filePath());
    QVERIFY(!loader.thumbnail(*item).isNull()); // from the cache now, without another round
    QCOMPARE(loader.pendingCount(), 0);
}

void TestThumbnailLoader::clearedAndDroppedRequestsCanComeBack_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("clearFirst");

    QTest::newRow("cleared") << 60 << true;
    QTest::newRow("dropped past the queue's cap") << 450 << false;
}

void TestThumbnailLoader::clearedAndDroppedRequestsCanComeBack()
{
    QFETCH(int, count);
    QFETCH(bool, clearFirst);

    TempDir dir;
    ItemList items;
    for (int i = 0; i < count; ++i) {
        const QByteArray path = dir.path() + '/' + QByteArray::number(i) + ".png";
        writePicture(path, QSize(16, 16), QColor::fromHsv(i % 360, 200, 200));
        items.append(fileItem(path, FileKind::Image));
    }

    ThumbnailLoader loader(16);
    for (const auto &item : std::as_const(items))
        loader.thumbnail(*item);
    if (clearFirst)
        loader.clear();
    // Every request is either made or forgotten; none stays pending for ever.
    QTRY_COMPARE_WITH_TIMEOUT(loader.pendingCount(), 0, 20000);

    // Asked again, each one arrives.
    for (const auto &item : std::as_const(items))
        loader.thumbnail(*item);
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(items.cbegin(), items.cend(),
                    [&loader](const IKImageItemRef &item) { return !loader.thumbnail(*item).isNull(); }),
        20000);
    QCOMPARE(loader.pendingCount(), 0);
}

void TestThumbnailLoader::destroyedWhileBusy()
{
    TempDir dir;
    ItemList items;
    for (int i = 0; i < 40; ++i) {
        const QByteArray path = dir.path() + '/' + QByteArray::number(i) + ".jpg";
        writePicture(path, QSize(800, 600), Qt::gray);
        items.append(fileItem(path, FileKind::Image));
    }
    auto loader = std::make_unique<ThumbnailLoader>(80);
    int delivered = 0;
    connect(loader.get(), &ThumbnailLoader::thumbnailReady, this, [&delivered] { ++delivered; });
    for (const auto &item : std::as_const(items))
        loader->thumbnail(*item);
    loader.reset(); // waits for the workers; their late results must go nowhere
    QCoreApplication::processEvents();
    QCOMPARE(delivered, 0);
}

QTEST_MAIN(TestThumbnailLoader)
#include "tst_thumbnailloader.moc"
