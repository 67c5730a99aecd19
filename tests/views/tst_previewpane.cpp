// The preview pane on real files: which viewer each kind gets, the player's life, the labels' texts.
#include "MediaFiles.h"
#include "support/TempDir.h"
#include "support/TreeBuilder.h"

#include "model/IKImageItem.h"
#include "model/ItemTexts.h"
#include "platform/NativePath.h"
#include "views/ui/PreviewPane.h"

#include <QDir>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QPdfDocument>
#include <QPdfView>
#include <QPointer>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QVideoWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(vellumry::PreviewPane::Viewer)

namespace {

enum class Content
{
    Picture,
    Video,
    Audio,
    Pdf,
    Bytes,
    Folder,
    Bundle
};

IKImageItemRef fileItem(const QByteArray &path, FileKind kind)
{
    const qsizetype slash = path.lastIndexOf('/');
    return IKImageItem::makeEntry(ScanFolderRef(new ScanFolder(path.left(slash))), path.mid(slash + 1), kind,
                                  0, std::nullopt);
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40 && qAbs(a.blue() - b.blue()) < 40;
}

QColor centreOf(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// Waits for the pane to report the picture of this path; false when it never does.
bool waitForPicture(QSignalSpy &loaded, const QString &path, bool *ok = nullptr)
{
    for (;;) {
        for (const QList<QVariant> &signal : std::as_const(loaded)) {
            if (signal.at(0).toString() == path) {
                if (ok)
                    *ok = signal.at(1).toBool();
                return true;
            }
        }
        if (!loaded.wait(20000))
            return false;
    }
}

// True while this process has the file open (a worker reading it, for instance).
bool isOpenHere(const QByteArray &path)
{
    const QFileInfoList fds =
        QDir(u"/proc/self/fd"_s).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    return std::any_of(fds.cbegin(), fds.cend(), [&path](const QFileInfo &fd) {
        return fd.symLinkTarget() == QString::fromUtf8(path);
    });
}

struct FileTimes
{
    std::optional<qint64> birth;
    qint64 mtime = 0;
};

FileTimes timesOf(const QByteArray &path)
{
    struct statx st;
    if (::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_MTIME, &st) != 0)
        qFatal("cannot stat %s", path.constData());
    FileTimes times;
    if (st.stx_mask & STATX_BTIME)
        times.birth = st.stx_btime.tv_sec;
    times.mtime = st.stx_mtime.tv_sec;
    return times;
}

} // namespace

class TestPreviewPane : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void viewerFollowsKind_data();
    void viewerFollowsKind();
    void newMediaReplacesThePlayer();
    void otherKindsOnlyHideThePlayer();
    void labelsShowTheFileAsItIsNow_data();
    void labelsShowTheFileAsItIsNow();
    void vanishedFileKeepsTheDates();
    void unreadablePictureKeepsTheLastOne();
    void unreadablePdfKeepsTheLastDocument();
    void stalePictureIsDropped_data();
    void stalePictureIsDropped();
    void largePictureIsDecodedScaledOffTheGuiThread();
};

void TestPreviewPane::viewerFollowsKind_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("content");
    QTest::addColumn<PreviewPane::Viewer>("viewer");
    QTest::addColumn<int>("iconSize"); // in the image view; 0 for a picture or another viewer

    using V = PreviewPane::Viewer;
    auto row = [](const char *tag, const char *name, FileKind kind, Content content, V viewer, int icon) {
        QTest::newRow(tag) << QByteArray(name) << int(kind) << int(content) << viewer << icon;
    };
    row("picture", "photo.png", FileKind::Image, Content::Picture, V::Image, 0);
    row("video", "clip.avi", FileKind::Video, Content::Video, V::Player, 0);
    row("audio", "tone.wav", FileKind::Audio, Content::Audio, V::Player, 0);
    row("PDF named in capitals", "REPORT.PDF", FileKind::Document, Content::Pdf, V::Pdf, 0);
    row("word-processor document", "letter.docx", FileKind::Document, Content::Bytes, V::Image, 128);
    row("text document", "notes.txt", FileKind::Document, Content::Bytes, V::Image, 128);
    row("archive", "bundle.zip", FileKind::Archive, Content::Bytes, V::Image, 512);
    row("install package", "setup.deb", FileKind::InstallPackage, Content::Bytes, V::Image, 512);
    row("other", "data.xyz", FileKind::Other, Content::Bytes, V::Image, 512);
    row("application", "Tool.app", FileKind::Application, Content::Bundle, V::Image, 512);
    row("folder", "Holidays", FileKind::Folder, Content::Folder, V::Image, 512);
}

void TestPreviewPane::viewerFollowsKind()
{
    QFETCH(QByteArray, name);
    QFETCH(int, kind);
    QFETCH(int, content);
    QFETCH(PreviewPane::Viewer, viewer);
    QFETCH(int, iconSize);

    TempDir dir;
    const QByteArray path = dir.path() + '/' + name;
    IKImageItemRef item = fileItem(path, FileKind(kind));
    switch (Content(content)) {
    case Content::Picture:
        writePicture(path, QSize(120, 90), Qt::red);
        break;
    case Content::Video:
        writeAvi(path, QSize(32, 24), 10, Qt::green);
        break;
    case Content::Audio:
        writeWav(path, 500);
        break;
    case Content::Pdf:
        writePdf(path, 2, Qt::white);
        break;
    case Content::Bytes:
        writeBytes(path, "some bytes");
        break;
    case Content::Bundle:
        QVERIFY(::mkdir(path.constData(), 0755) == 0);
        break;
    case Content::Folder:
        QVERIFY(::mkdir(path.constData(), 0755) == 0);
        item = IKImageItem::makeFolder(ScanFolderRef(new ScanFolder(dir.path())), name);
        break;
    }

    PreviewPane pane;
    pane.resize(480, 640);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    QSignalSpy loaded(&pane, &PreviewPane::pictureLoaded);
    pane.previewItem(*item);

    QCOMPARE(pane.visibleViewer(), viewer);
    const QList<QWidget *> viewers{pane.previewImageView(), pane.previewPlayerView(), pane.previewPdfView()};
    QCOMPARE(std::count_if(viewers.cbegin(), viewers.cend(),
                           [&pane](QWidget *w) { return w->isVisibleTo(&pane); }),
             1);
    QVERIFY(viewers.at(int(viewer))->isVisibleTo(&pane));
    QVERIFY(!pane.quickTextScrollView()->isVisibleTo(&pane));
    QCOMPARE(pane.previewFileNamelab()->text(), QString::fromUtf8(name));

    if (viewer == PreviewPane::Viewer::Player) {
        QMediaPlayer *player = pane.player();
        QVERIFY(player);
        QCOMPARE(player->source(), QUrl::fromLocalFile(QString::fromUtf8(path)));
        // Loaded (or found unplayable here), but never started by itself.
        QTRY_VERIFY_WITH_TIMEOUT(player->mediaStatus() != QMediaPlayer::LoadingMedia &&
                                     player->mediaStatus() != QMediaPlayer::NoMedia,
                                 20000);
        QCOMPARE(player->playbackState(), QMediaPlayer::StoppedState);
    } else {
        QVERIFY(!pane.player());
    }

    if (viewer == PreviewPane::Viewer::Pdf)
        QCOMPARE(pane.previewPdfView()->document()->pageCount(), 2);

    if (iconSize) {
        QVERIFY(pane.previewImageView()->showsIcon());
        QVERIFY(!pane.previewImageView()->icon().isNull());
        QCOMPARE(pane.previewImageView()->iconSize(), iconSize);
    }
    if (Content(content) == Content::Picture) {
        QVERIFY(waitForPicture(loaded, item->filePath()));
        QVERIFY(!pane.previewImageView()->showsIcon());
        QCOMPARE(pane.previewImageView()->picture().size(), QSize(120, 90));
        QVERIFY(near(centreOf(pane.previewImageView()->picture()), Qt::red));
    }
    if (Content(content) == Content::Folder) {
        QCOMPARE(pane.previewFilePathlab()->text(), u"Where: "_s + QString::fromUtf8(path));
        QCOMPARE(pane.previewFileTypelab()->text(), QString());
    } else {
        QCOMPARE(pane.previewFilePathlab()->text(), u"Where: "_s + QString::fromUtf8(path));
    }
}

void TestPreviewPane::newMediaReplacesThePlayer()
{
    TempDir dir;
    const QByteArray video = dir.path() + "/clip.avi";
    const QByteArray audio = dir.path() + "/tone.wav";
    writeAvi(video, QSize(32, 24), 20, Qt::blue);
    writeWav(audio, 800);

    PreviewPane pane;
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    pane.previewItem(*fileItem(video, FileKind::Video));
    QPointer<QMediaPlayer> first = pane.player();
    QVERIFY(first);
    QCOMPARE(first->videoOutput(), pane.previewPlayerView()->videoWidget());
    // Playing needs no sound device here (it may fail without one); if it plays, it must be paused.
    first->play();
    const bool wasPlaying = first->playbackState() == QMediaPlayer::PlayingState;

    pane.previewItem(*fileItem(audio, FileKind::Audio));
    QMediaPlayer *second = pane.player();
    QVERIFY(second);
    QVERIFY(second != first);
    QCOMPARE(second->source(), QUrl::fromLocalFile(QString::fromUtf8(audio)));
    QCOMPARE(second->videoOutput(), pane.previewPlayerView()->videoWidget());
    QVERIFY(first); // deleted later, not while it may still be reporting
    QVERIFY(first->playbackState() != QMediaPlayer::PlayingState);
    if (wasPlaying)
        QCOMPARE(first->playbackState(), QMediaPlayer::PausedState);
    QVERIFY(!first->videoOutput());
    QTRY_VERIFY(first.isNull());
    QCOMPARE(pane.visibleViewer(), PreviewPane::Viewer::Player);
    QCOMPARE(second->playbackState(), QMediaPlayer::StoppedState);
}

void TestPreviewPane::otherKindsOnlyHideThePlayer()
{
    TempDir dir;
    const QByteArray video = dir.path() + "/clip.avi";
    const QByteArray picture = dir.path() + "/photo.png";
    const QByteArray pdf = dir.path() + "/paper.pdf";
    writeAvi(video, QSize(32, 24), 20, Qt::blue);
    writePicture(picture, QSize(40, 40), Qt::yellow);
    writePdf(pdf, 1, Qt::white);

    PreviewPane pane;
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    pane.previewItem(*fileItem(video, FileKind::Video));
    QPointer<QMediaPlayer> player = pane.player();
    QVERIFY(player);
    player->play();
    const QMediaPlayer::PlaybackState state = player->playbackState();

    pane.previewItem(*fileItem(picture, FileKind::Image));
    QCOMPARE(pane.visibleViewer(), PreviewPane::Viewer::Image);
    QVERIFY(!pane.previewPlayerView()->isVisibleTo(&pane));
    pane.previewItem(*fileItem(pdf, FileKind::Document));
    QCOMPARE(pane.visibleViewer(), PreviewPane::Viewer::Pdf);

    // Still attached, untouched.
    QCOMPARE(pane.player(), player.data());
    QCOMPARE(player->playbackState(), state);
    QCOMPARE(player->videoOutput(), pane.previewPlayerView()->videoWidget());
    player->stop();
}

void TestPreviewPane::labelsShowTheFileAsItIsNow_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("mtime");
    QTest::addColumn<QString>("shownName");
    QTest::addColumn<QString>("sizeText");
    QTest::addColumn<QString>("modified");

    QTest::newRow("kilobytes") << QByteArray("report.txt") << qint64(1536) << qint64(1614834367)
                               << u"report.txt"_s << u"1.54 KB"_s << u"Modified: 2021-03-04 05:06:07"_s;
    QTest::newRow("one byte") << QByteArray("a.bin") << qint64(1) << qint64(0) << u"a.bin"_s << u"1 bytes"_s
                              << u"Modified: 1970-01-01 00:00:00"_s;
    QTest::newRow("zero bytes: no size") << QByteArray("empty.log") << qint64(0) << qint64(951782400)
                                         << u"empty.log"_s << QString() << u"Modified: 2000-02-29 00:00:00"_s;
    QTest::newRow("name that is not UTF-8")
        << QByteArray("caf\xe9 list.txt") << qint64(2000000) << qint64(1700000000) << u"caf\uFFFD list.txt"_s
        << u"2.00 MB"_s << u"Modified: 2023-11-14 22:13:20"_s;
}

void TestPreviewPane::labelsShowTheFileAsItIsNow()
{
    QFETCH(QByteArray, name);
    QFETCH(qint64, size);
    QFETCH(qint64, mtime);
    QFETCH(QString, shownName);
    QFETCH(QString, sizeText);
    QFETCH(QString, modified);

    TempDir dir;
    TreeBuilder tree(dir.path());
    const QByteArray path = tree.file(name, size, mtime);
    const FileTimes times = timesOf(path);

    PreviewPane pane;
    pane.previewItem(*fileItem(path, FileKind::Other));
    QCOMPARE(pane.previewFileNamelab()->text(), shownName);
    QCOMPARE(pane.previewFileNamelab()->toolTip(), shownName);
    QCOMPARE(pane.previewFileTypelab()->text(), sizeText);
    QCOMPARE(pane.previewFileModiyDatelab()->text(), modified);
    QCOMPARE(pane.previewFilePathlab()->text(),
             u"Where: "_s + QString::fromUtf8(dir.path()) + u'/' + shownName);
    // Without a birth time from the file system the label keeps its text, empty in a new pane.
    QCOMPARE(pane.previewFileCreatedDatelab()->text(),
             times.birth ? u"Created: "_s + dateText(*times.birth) : QString());
    QCOMPARE(pane.previewFileInfolab()->text(), QString());
}

void TestPreviewPane::vanishedFileKeepsTheDates()
{
    TempDir dir;
    TreeBuilder tree(dir.path());
    const QByteArray kept = tree.file("kept.txt", 300, 1600000000);
    const QByteArray gone = tree.file("gone.txt", 700, 1650000000);
    QVERIFY(::unlink(gone.constData()) == 0);

    PreviewPane pane;
    pane.previewItem(*fileItem(kept, FileKind::Other));
    const QString created = pane.previewFileCreatedDatelab()->text();
    QCOMPARE(pane.previewFileModiyDatelab()->text(), u"Modified: 2020-09-13 12:26:40"_s);
    QCOMPARE(pane.previewFileTypelab()->text(), u"300 bytes"_s);

    pane.previewItem(*fileItem(gone, FileKind::Other));
    QCOMPARE(pane.previewFileNamelab()->text(), u"gone.txt"_s);
    QCOMPARE(pane.previewFilePathlab()->text(), u"Where: "_s + QString::fromUtf8(gone));
    QCOMPARE(pane.previewFileTypelab()->text(), QString());
    QCOMPARE(pane.previewFileModiyDatelab()->text(), u"Modified: 2020-09-13 12:26:40"_s);
    QCOMPARE(pane.previewFileCreatedDatelab()->text(), created);
    QCOMPARE(pane.visibleViewer(), PreviewPane::Viewer::Image);
}

void TestPreviewPane::unreadablePictureKeepsTheLastOne()
{
    TempDir dir;
    const QByteArray good = dir.path() + "/good.png";
    const QByteArray broken = dir.path() + "/broken.jpg";
    writePicture(good, QSize(64, 48), Qt::magenta);
    writeBytes(broken, "not a picture");

    PreviewPane pane;
    QSignalSpy loaded(&pane, &PreviewPane::pictureLoaded);
    pane.previewItem(*fileItem(good, FileKind::Image));
    bool ok = false;
    QVERIFY(waitForPicture(loaded, QString::fromUtf8(good), &ok));
    QVERIFY(ok);

    pane.previewItem(*fileItem(broken, FileKind::Image));
    QVERIFY(waitForPicture(loaded, QString::fromUtf8(broken), &ok));
    QVERIFY(!ok);
    QCOMPARE(pane.visibleViewer(), PreviewPane::Viewer::Image);
    QCOMPARE(pane.previewImageView()->picture().size(), QSize(64, 48));
    QVERIFY(near(centreOf(pane.previewImageView()->picture()), Qt::magenta));
}

void TestPreviewPane::unreadablePdfKeepsTheLastDocument()
{
    TempDir dir;
    const QByteArray good = dir.path() + "/three.pdf";
    const QByteArray broken = dir.path() + "/broken.pdf";
    const QByteArray gone = dir.path() + "/gone.pdf";
    writePdf(good, 3, Qt::white);
    writeBytes(broken, "%PDF-1.4 but nothing more");

    PreviewPane pane;
    pane.previewItem(*fileItem(good, FileKind::Document));
    QPdfDocument *document = pane.previewPdfView()->document();
    QVERIFY(document);
    QCOMPARE(document->pageCount(), 3);

    for (const QByteArray &path : {broken, gone}) {
        pane.previewItem(*fileItem(path, FileKind::Document));
        QCOMPARE(pane.visibleViewer(), PreviewPane::Viewer::Pdf);
        QCOMPARE(pane.previewPdfView()->document(), document);
        QCOMPARE(document->pageCount(), 3);
    }
    // The kept document still renders: it reads from its own open file.
    QVERIFY(!document->render(2, QSize(60, 80)).isNull());
}

void TestPreviewPane::stalePictureIsDropped_data()
{
    QTest::addColumn<bool>("waitForDecodeToStart");
    QTest::newRow("still queued") << false;
    QTest::newRow("being decoded") << true;
}

void TestPreviewPane::stalePictureIsDropped()
{
    QFETCH(bool, waitForDecodeToStart);

    TempDir dir;
    const QByteArray first = dir.path() + "/first.png";
    const QByteArray second = dir.path() + "/second.png";
    writePicture(first, QSize(4000, 4000), Qt::red); // a PNG is decoded at full size: this takes a while
    writePicture(second, QSize(30, 20), Qt::blue);

    PreviewPane pane;
    QSignalSpy loaded(&pane, &PreviewPane::pictureLoaded);
    pane.previewItem(*fileItem(first, FileKind::Image));
    if (waitForDecodeToStart)
        QTRY_VERIFY(isOpenHere(first));
    const qsizetype before = loaded.count(); // the first picture, should it have been ready already
    pane.previewItem(*fileItem(second, FileKind::Image));
    QVERIFY(waitForPicture(loaded, QString::fromUtf8(second)));
    // One decoding thread: the first picture, if decoded at all, was ready before the second.
    QCOMPARE(loaded.count(), before + 1);
    QCOMPARE(pane.previewImageView()->picture().size(), QSize(30, 20));
    QVERIFY(near(centreOf(pane.previewImageView()->picture()), Qt::blue));
}

void TestPreviewPane::largePictureIsDecodedScaledOffTheGuiThread()
{
    TempDir dir;
    const QByteArray path = dir.path() + "/panorama.jpg";
    writePicture(path, QSize(6000, 4000), Qt::darkGreen);

    PreviewPane pane;
    pane.resize(500, 700);
    QSignalSpy loaded(&pane, &PreviewPane::pictureLoaded);
    pane.previewItem(*fileItem(path, FileKind::Image));
    // previewItem() returned without the picture: it is decoded elsewhere and handed over later.
    QVERIFY(pane.previewImageView()->picture().isNull());
    QVERIFY(waitForPicture(loaded, QString::fromUtf8(path)));
    const QImage picture = pane.previewImageView()->picture();
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() <= 4096 && picture.height() <= 4096);
    QVERIFY(picture.width() < 6000);
    QVERIFY(qAbs(double(picture.width()) / picture.height() - 1.5) < 0.01);
    QVERIFY(near(centreOf(picture), Qt::darkGreen));
}

QTEST_MAIN(TestPreviewPane)
#include "tst_previewpane.moc"
