// The preview pane on real files: which viewer each kind gets, the player's life, the labels' texts.
#include "MediaFiles.h"
#include "support/TempDir.h"
#include "support/TreeBuilder.h"

#include "model/IKImageItem.h"
#include "model/ItemTexts.h"
#include "views/ui/PreviewPane.h"

#include <QMediaPlayer>
#include <QPdfDocument>
#include <QPdfView>
#include <QPointer>
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

class TestPreviewPane : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
            writePicture(path, QSize(120, 90), Qt::red);
        else if (kind == FileKind::Video || kind == FileKind::Audio)
            writeWav(path, 500);
        else if (viewer == PreviewPane::Viewer::Pdf)
            writePdf(path, 2, Qt::white);
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

        QMediaPlayer *player = pane.player();
        QCOMPARE(player != nullptr, viewer == PreviewPane::Viewer::Player);
        if (player) {
            QCOMPARE(player->source(), QUrl::fromLocalFile(QString::fromUtf8(path)));
            // Loaded (or found unplayable here), but never started by itself.
            QTRY_VERIFY_WITH_TIMEOUT(player->mediaStatus() != QMediaPlayer::LoadingMedia &&
                                         player->mediaStatus() != QMediaPlayer::NoMedia,
                                     20000);
            QCOMPARE(player->playbackState(), QMediaPlayer::StoppedState);
        }
        if (viewer == PreviewPane::Viewer::Pdf)
            QCOMPARE(pane.previewPdfView()->document()->pageCount(), 2);
        QCOMPARE(pane.previewImageView()->iconSize(), iconSize);
        if (iconSize)
            QVERIFY(pane.previewImageView()->showsIcon() && !pane.previewImageView()->icon().isNull());
        if (kind == FileKind::Image) {
            QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 20000);
            QVERIFY(!pane.previewImageView()->showsIcon());
            const QImage picture = pane.previewImageView()->picture();
            QCOMPARE(picture.size(), QSize(120, 90));
            QCOMPARE(picture.pixelColor(60, 45), QColor(Qt::red));
        }
    }

    void newMediaReplacesThePlayer()
    {
        TempDir dir;
        const QByteArray video = dir.path() + "/clip.avi";
        const QByteArray audio = dir.path() + "/tone.wav";
        writeWav(video, 2000);
        writeWav(audio, 800);

        PreviewPane pane;
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.previewItem(*fileItem(video, FileKind::Video));
        QPointer<QMediaPlayer> first = pane.player();
        QVERIFY(first);
        // Playing needs no sound device here (it may fail without one); if it plays, it must be paused.
        first->play();
        const bool wasPlaying = first->playbackState() == QMediaPlayer::PlayingState;

        pane.previewItem(*fileItem(audio, FileKind::Audio));
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
        QCOMPARE(second->playbackState(), QMediaPlayer::StoppedState);
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
        // Without a birth time from the file system the label keeps its text, empty in a new pane.
        QCOMPARE(pane.previewFileCreatedDatelab()->text(),
                 (st.stx_mask & STATX_BTIME) ? u"Created: "_s + dateText(st.stx_btime.tv_sec) : QString());
        QCOMPARE(pane.previewFileInfolab()->text(), QString());

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
};

QTEST_MAIN(TestPreviewPane)
#include "tst_previewpane.moc"
