// Previews of real files: thumbnails (scaled pictures, the freedesktop cache, PDF pages and icons on
// failure) and their request queue (newest first, the oldest dropped past the cap, cleared in one go);
// the preview pane (which viewer each kind gets, the player's life, the labels' texts).
#include "model/TakenFiles.h"
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include "model/IKImageItem.h"
#include "model/ItemTexts.h"
#include "views/ThumbnailQueue.h"
#include "views/ui/FileIcons.h"
#include "views/ui/PreviewPane.h"
#include "views/ui/ThumbnailLoader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMediaPlayer>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfView>
#include <QPdfWriter>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QToolButton>
#include <QVideoWidget>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(vellumry::PreviewPane::Viewer)

namespace {

// Small real media files, written from scratch so no tool is needed to make them. Each writer replaces
// the file at the path (plain ASCII) and ends the test program with qFatal() when it cannot, so a missing
// fixture never passes for a failing preview.

// An item for the file at `path`, as the scan would make it, without a date.
IKImageItemRef fileItem(const QByteArray &path, FileKind kind)
{
    const qsizetype slash = path.lastIndexOf('/');
    return IKImageItem::makeEntry(ScanFolderRef(new ScanFolder(path.left(slash))), path.mid(slash + 1), kind,
                                  0, std::nullopt);
}

void writeBytes(const QByteArray &path, const QByteArray &content)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.flush())
        qFatal("cannot write %s", path.constData());
}

// A red picture in the format the extension names ("png", "jpg", ...).
void writePicture(const QByteArray &path, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    if (!image.save(QFile::decodeName(path)))
        qFatal("cannot write %s", path.constData());
}

// A red JPEG stored at `stored` whose EXIF orientation says "turn a quarter clockwise to show it"; its
// leftmost tenth is blue, so that stripe belongs on top.
void writeTurnedJpeg(const QByteArray &path, QSize stored)
{
    QImage image(stored, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter(&image).fillRect(0, 0, stored.width() / 10, stored.height(), Qt::blue);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "jpg"))
        qFatal("cannot encode %s", path.constData());
    // Right after the start marker, an APP1 segment of 34 bytes: the EXIF mark, a little-endian TIFF
    // header, one field directory holding Orientation (0x0112) = 6 as a SHORT, and no further directory.
    jpeg.insert(2, QByteArray("\xFF\xE1\x00\x22"
                              "Exif\0\0II*\0\x08\0\0\0"
                              "\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0",
                              36));
    writeBytes(path, jpeg);
}

// A PDF of two A4 pages; page 1 is red.
void writePdf(const QByteArray &path)
{
    QPdfWriter writer(QFile::decodeName(path));
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    if (!painter.isActive())
        qFatal("cannot write %s", path.constData());
    painter.fillRect(QRect(0, 0, writer.width(), writer.height()), Qt::red);
    writer.newPage();
}

// Silent 16-bit mono PCM WAV at 8000 Hz; the player takes it whatever the file is called.
void writeWav(const QByteArray &path, int milliseconds)
{
    const quint32 dataSize = 16 * quint32(milliseconds); // 8000 frames of 2 bytes a second
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << 36 + dataSize;
    out.writeRawData("WAVEfmt ", 8);
    // The format chunk: PCM, mono, 8000 Hz, 16000 bytes a second, 2-byte frames of 16 bits.
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataSize;
    writeBytes(path, wav + QByteArray(dataSize, '\0'));
}

// Whether the pixel at the fractions fx, fy of the image is close to colour b.
bool near(const QImage &image, double fx, double fy, const QColor &b)
{
    const QColor a = image.pixelColor(qMin(image.width() - 1, int(image.width() * fx)),
                                      qMin(image.height() - 1, int(image.height() * fy)));
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40 && qAbs(a.blue() - b.blue()) < 40;
}

} // namespace

class TestPreviews : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
            writePicture(path, stored);
        else if (content == "turned") // its left stripe belongs on top
            writeTurnedJpeg(path, stored);
        else if (content == "pdf")
            writePdf(path);
        else if (content == "|")
            QVERIFY(::mkfifo(path.constData(), 0600) == 0);
        else if (content != "-")
            writeBytes(path, content);

        if (!cached.isEmpty()) {
            // Where and how another program leaves it: named by the MD5 of the escaped URI, 128 pixels.
            const QByteArray uri = "file://" + dir.path() + "/a%20b%23.png";
            const QString folder = m_home.cacheHome() + u"/thumbnails/normal"_s;
            QVERIFY(QDir().mkpath(folder));
            QImage entry(128, 85, QImage::Format_RGB32);
            entry.fill(Qt::blue);
            const qint64 mtime = QFileInfo(QString::fromUtf8(path)).lastModified().toSecsSinceEpoch();
            entry.setText(u"Thumb::MTime"_s, QString::number(cached == u"older" ? mtime - 100 : mtime));
            entry.setText(u"Thumb::URI"_s, QString::fromUtf8(cached == u"other file" ? uri + "x" : uri));
            const QByteArray md5 = QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex();
            QVERIFY(entry.save(folder + u'/' + QString::fromLatin1(md5) + u".png"_s, "png"));
        }

        // Asked again while it waits, the path is still queued once; once made, it comes from memory.
        ThumbnailLoader loader(80);
        const auto item =
            fileItem(path, name.endsWith("png") || name.endsWith("jpg") ? FileKind::Image : FileKind::Document);
        QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
        for (int i = 0; i < 3; ++i)
            QVERIFY(loader.thumbnail(*item).isNull());
        QCOMPARE(loader.pendingCount(), 1);
        QVERIFY(ready.wait(10000));
        QCOMPARE(ready.at(0).at(0).toString(), item->filePath());
        const QPixmap pixmap = loader.thumbnail(*item);
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
        QVERIFY(!QTest::qWaitFor([&ready] { return ready.count() > 1; }, 200));
    }

    void queueServesNewestFirst_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("pushed");      // the paths "0", "1", ...
        QTest::addColumn<QString>("dropped"); // in the order they fell out
        QTest::addColumn<QString>("served");  // newest first
        QTest::newRow("under the cap") << 5 << 3 << QString() << u"210"_s;
        QTest::newRow("exactly the cap") << 3 << 3 << QString() << u"210"_s;
        QTest::newRow("past the cap") << 3 << 6 << u"012"_s << u"543"_s;
        QTest::newRow("a cap below one means one") << 0 << 2 << u"0"_s << u"1"_s;
    }
    void queueServesNewestFirst()
    {
        QFETCH(int, capacity);
        QFETCH(int, pushed);
        QFETCH(QString, dropped);
        QFETCH(QString, served);
        ThumbnailQueue queue(capacity);
        QString droppedPaths;
        for (int i = 0; i < pushed; ++i)
            droppedPaths += queue.push({QString::number(i), QByteArray::number(i), ThumbnailRoute::Picture}).join(QString());
        QCOMPARE(droppedPaths, dropped);
        QCOMPARE(queue.size(), served.size());
        QCOMPARE(queue.takeNewest().value_or(ThumbnailJob()).filePath, served.left(1));
        // Clearing hands back what was still waiting, oldest first, and leaves nothing behind.
        QString rest = served.mid(1);
        std::reverse(rest.begin(), rest.end());
        QCOMPARE(queue.clear().join(QString()), rest);
        QVERIFY(!queue.takeNewest());
    }

    void viewerFollowsKind_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<FileKind>("kind");
        QTest::addColumn<PreviewPane::Viewer>("viewer");
        QTest::addColumn<int>("iconSize"); // in the image view; 0 for a picture or another viewer

        using V = PreviewPane::Viewer;
        QTest::newRow("picture") << QByteArray("photo.png") << FileKind::Image << V::Image << 0;
        QTest::newRow("video") << QByteArray("clip.avi") << FileKind::Video << V::Player << 0;
        QTest::newRow("audio") << QByteArray("tone.wav") << FileKind::Audio << V::Player << 0;
        QTest::newRow("PDF named in capitals") << QByteArray("REPORT.PDF") << FileKind::Document << V::Pdf << 0;
        QTest::newRow("other document") << QByteArray("letter.docx") << FileKind::Document << V::Image << 128;
        QTest::newRow("archive") << QByteArray("bundle.zip") << FileKind::Archive << V::Image << 512;
        QTest::newRow("folder") << QByteArray("Holidays") << FileKind::Folder << V::Image << 512;
    }

    void viewerFollowsKind()
    {
        QFETCH(QByteArray, name);
        QFETCH(FileKind, kind);
        QFETCH(PreviewPane::Viewer, viewer);
        QFETCH(int, iconSize);

        TempDir dir;
        const QByteArray path = dir.path() + '/' + name;
        IKImageItemRef item = fileItem(path, kind);
        if (kind == FileKind::Image)
            writePicture(path, QSize(120, 90));
        else if (kind == FileKind::Video || kind == FileKind::Audio)
            writeWav(path, 500);
        else if (viewer == PreviewPane::Viewer::Pdf)
            writePdf(path);
        else if (kind != FileKind::Folder)
            writeBytes(path, "some bytes");
        else if (::mkdir(path.constData(), 0755) == 0)
            item = IKImageItem::makeFolder(ScanFolderRef(new ScanFolder(dir.path())), name);

        PreviewPane pane;
        pane.resize(480, 640);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        QSignalSpy loaded(&pane, &PreviewPane::pictureLoaded);
        pane.previewItem(*item);

        QCOMPARE(pane.visibleViewer(), viewer);
        const QList<QWidget *> viewers{pane.previewImageView(), pane.previewPlayerView(), pane.previewPdfView()};
        for (int i = 0; i < viewers.size(); ++i)
            QCOMPARE(viewers.at(i)->isVisibleTo(&pane), i == int(viewer));
        QCOMPARE(pane.previewFileNamelab()->text(), QString::fromUtf8(name));
        QCOMPARE(pane.previewFilePathlab()->text(), u"Where: "_s + QString::fromUtf8(path));

        // Selecting a sound or a video starts no media back end: pressing play makes the player, and plays.
        QVERIFY(!pane.player());
        if (viewer == PreviewPane::Viewer::Player) {
            QToolButton *play = pane.previewPlayerView()->posterPlayButton();
            QVERIFY(pane.previewPlayerView()->showsPoster() && play->isVisibleTo(&pane));
            play->click();
            QVERIFY(pane.player());
            QCOMPARE(pane.player()->source(), QUrl::fromLocalFile(QString::fromUtf8(path)));
            QVERIFY(!play->isVisibleTo(&pane));
        }
        if (viewer == PreviewPane::Viewer::Pdf)
            QCOMPARE(pane.previewPdfView()->document()->pageCount(), 2);
        QCOMPARE(pane.previewImageView()->iconSize(), iconSize);
        if (iconSize)
            QVERIFY(pane.previewImageView()->showsIcon() && !pane.previewImageView()->icon().isNull());
        if (kind == FileKind::Image) {
            QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 20000);
            QVERIFY(!pane.previewImageView()->showsIcon());
            QCOMPARE(pane.previewImageView()->picture().size(), QSize(120, 90));
            QCOMPARE(pane.previewImageView()->picture().pixelColor(60, 45), QColor(Qt::red));
        }
    }

    void newMediaReplacesThePlayer()
    {
        TempDir dir;
        const QByteArray video = dir.path() + "/clip.avi", audio = dir.path() + "/tone.wav";
        writeWav(video, 2000);
        writeWav(audio, 800);

        PreviewPane pane;
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.previewItem(*fileItem(video, FileKind::Video));
        pane.previewPlayerView()->playButton()->click();
        QPointer<QMediaPlayer> first = pane.player();
        QVERIFY(first);
        // Playing needs no sound device here (it may fail without one); if it plays, it must be paused.
        first->play();
        const bool wasPlaying = first->playbackState() == QMediaPlayer::PlayingState;

        pane.previewItem(*fileItem(audio, FileKind::Audio));
        QVERIFY(!pane.player());
        pane.previewPlayerView()->playButton()->click();
        QMediaPlayer *second = pane.player();
        QVERIFY(second && second != first);
        QCOMPARE(second->source(), QUrl::fromLocalFile(QString::fromUtf8(audio)));
        QCOMPARE(second->videoOutput(), pane.previewPlayerView()->videoWidget());
        QVERIFY(first); // deleted later, not while it may still be reporting
        QVERIFY(first->playbackState() != QMediaPlayer::PlayingState);
        if (wasPlaying)
            QCOMPARE(first->playbackState(), QMediaPlayer::PausedState);
        QVERIFY(!first->videoOutput());
        QTRY_VERIFY(first.isNull());
    }

    // One file's exact texts, then an empty file and a vanished one: no size, and the dates stay meaningful.
    void labelsShowTheFileAsItIsNow()
    {
        TempDir dir;
        TreeBuilder tree(dir.path());
        const QByteArray report = tree.file("report.txt", 1536, 1614834367);
        const QByteArray empty = tree.file("empty.log", 0, 951782400);
        const QByteArray gone = tree.file("gone.txt", 700, 1650000000);
        QVERIFY(::unlink(gone.constData()) == 0);
        struct statx st;
        QVERIFY(::statx(AT_FDCWD, report.constData(), 0, STATX_BTIME, &st) == 0);

        PreviewPane pane;
        pane.previewItem(*fileItem(report, FileKind::Other));
        QCOMPARE(pane.previewFileTypelab()->text(), u"1.54 KB"_s);
        QCOMPARE(pane.previewFileModiyDatelab()->text(), u"Modified: 2021-03-04 05:06:07"_s);
        // Without a birth time from the file system the label shows the modification time.
        QCOMPARE(pane.previewFileCreatedDatelab()->text(),
                 u"Created: "_s + dateText((st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : 1614834367));
        QCOMPARE(pane.previewFileInfolab()->text(), QString());
        // A file system that records no birth time (procfs): its modification time, not the last file's.
        pane.previewItem(*fileItem("/proc/version", FileKind::Other));
        QCOMPARE(pane.previewFileCreatedDatelab()->text(),
                 pane.previewFileModiyDatelab()->text().replace(u"Modified"_s, u"Created"_s));

        pane.previewItem(*fileItem(empty, FileKind::Other));
        QCOMPARE(pane.previewFileTypelab()->text(), QString());
        QCOMPARE(pane.previewFileModiyDatelab()->text(), u"Modified: 2000-02-29 00:00:00"_s);
        const QString created = pane.previewFileCreatedDatelab()->text();

        pane.previewItem(*fileItem(gone, FileKind::Other));
        QCOMPARE(pane.previewFileNamelab()->text(), u"gone.txt"_s);
        QCOMPARE(pane.previewFileTypelab()->text(), QString());
        QCOMPARE(pane.previewFileModiyDatelab()->text(), u"Modified: 2000-02-29 00:00:00"_s);
        QCOMPARE(pane.previewFileCreatedDatelab()->text(), created);
    }

    // A video's length and size come from the background; a read for an older selection is dropped.
    void detailsFollowTheSelection()
    {
        TempDir dir;
        const QByteArray first = dir.path() + "/v.mp4", second = dir.path() + "/w.mkv";
        QVERIFY(muxVideo(first, {}));
        QVERIFY(muxVideo(second, {"-vf", "scale=32:24"}));
        PreviewPane pane;
        QSignalSpy shown(&pane, &PreviewPane::detailsShown);
        pane.previewItem(*fileItem(first, FileKind::Video));
        pane.previewItem(*fileItem(second, FileKind::Video));
        QVERIFY(shown.wait(10000));
        backgroundPool()->waitForDone();
        QCoreApplication::processEvents();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(pane.previewFileDetailslab()->text(), u"0:01 · 32 × 24"_s);
    }

private:
    TempHome m_home; // no real thumbnail cache read or written
};

QTEST_MAIN(TestPreviews)
#include "tst_previews.moc"
