// The preview to the right of the file views: the selected file's picture, player or PDF pages, with its
// name, size, dates and folder below.
#pragma once

#include "model/IKImageItem.h"
#include "platform/Background.h"

#include <QColor>
#include <QFuture>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QThreadPool>
#include <QWidget>

class QMediaPlayer;
class QPdfDocument;
class QPdfView;
class QScrollArea;
class QSlider;
class QStackedLayout;
class QToolButton;
class QVideoWidget;

namespace vellumry {

// Shows one picture or one icon centred and fitted to the widget, keeping the aspect ratio. Pictures
// larger than the widget are shrunk; small ones are enlarged, but not past 512 pixels, where they would
// only turn blurry. Icons are drawn at their requested size or smaller.
class PreviewImageView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxEnlargedSide = 512;

    explicit PreviewImageView(QWidget *parent = nullptr);

    void setPicture(const QImage &picture);
    void setIcon(const QIcon &icon, int size);

    QImage picture() const { return m_picture; } // null while an icon shows
    QIcon icon() const { return m_icon; }        // null while a picture shows
    int iconSize() const { return m_iconSize; }  // 0 while a picture shows
    bool showsIcon() const { return !m_icon.isNull(); }
    // Where the content is drawn, in widget coordinates.
    QRect contentRect() const;

    QSize sizeHint() const override { return {320, 320}; }
    QSize minimumSizeHint() const override { return {64, 64}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
    QIcon m_icon;
    int m_iconSize = 0;
};

class PreviewAspectBox;

// The video surface with play/pause, a seek slider and "position / duration" text. Until a player is
// set it shows a poster instead: a video's frame (or the file's icon) with a play control over it, and
// pressing play asks for a player with playRequested(). The video surface keeps the video's aspect
// ratio: the frame's until the video itself reports its size.
class PreviewPlayerView : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewPlayerView(QWidget *parent = nullptr);

    // Follows this player (or none); the previous one is no longer followed or drawn into. The surface
    // replaces the poster once the player reports a picture; without a player the poster shows again.
    void setPlayer(QMediaPlayer *player);
    // What the poster shows: a frame (whose shape the surface takes too) or an icon.
    void setPosterFrame(const QImage &frame);
    void setPosterIcon(const QIcon &icon, int size);

    // The video surface: made with the first player, nullptr before.
    QVideoWidget *videoWidget() const { return m_video; }
    PreviewImageView *posterView() const { return m_poster; }
    QToolButton *posterPlayButton() const { return m_posterPlay; }
    bool showsPoster() const;
    QToolButton *playButton() const { return m_playButton; }
    QSlider *seekSlider() const { return m_seek; }
    QLabel *timeLabel() const { return m_time; }

Q_SIGNALS:
    // Play was pressed while no player was set.
    void playRequested();

private:
    void updateTime();
    void updateButton();

    QPointer<QMediaPlayer> m_player;
    QStackedLayout *m_screen;
    PreviewImageView *m_poster;
    QToolButton *m_posterPlay;
    PreviewAspectBox *m_videoBox;
    QVideoWidget *m_video = nullptr;
    QToolButton *m_playButton;
    QSlider *m_seek;
    QLabel *m_time;
};

// A one-line label that elides the middle of a long text and shows the whole text as its tooltip;
// text() stays the whole text.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

class PreviewPane : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewPane(QWidget *parent = nullptr);
    ~PreviewPane() override;

    // The whole preview: the viewer for the item's kind, then the labels from the file as it is now.
    void previewItem(const IKImageItem &item);
    // Shows nothing: the previewed file is gone.
    void clearPreview();

    enum class Viewer
    {
        Image,
        Player,
        Pdf
    };
    Viewer visibleViewer() const;
    // The attached player, or nullptr. A sound or video file gets one only when the user presses play,
    // so selecting one never waits for the media back end to start.
    QMediaPlayer *player() const { return m_player; }
    // The text colour of the six labels, set by the theme.
    void setLabelColor(const QColor &color);

    QWidget *previewContentView() const { return m_contentView; }
    PreviewImageView *previewImageView() const { return m_imageView; }
    PreviewPlayerView *previewPlayerView() const { return m_playerView; }
    QPdfView *previewPdfView() const { return m_pdfView; }
    QScrollArea *quickTextScrollView() const { return m_quickTextView; }
    QLabel *previewFileNamelab() const { return m_nameLabel; }
    QLabel *previewFileTypelab() const { return m_sizeLabel; }
    QLabel *previewFilePathlab() const { return m_pathLabel; }
    QLabel *previewFileCreatedDatelab() const { return m_createdLabel; }
    QLabel *previewFileModiyDatelab() const { return m_modifiedLabel; }
    QLabel *previewFileInfolab() const { return m_infoLabel; }
    // What the file is, read from its header off the GUI thread: a picture's dimensions, camera and date
    // taken, a sound's length, a video's length and dimensions. Empty until the read is back.
    QLabel *previewFileDetailslab() const { return m_detailsLabel; }

Q_SIGNALS:
    // A picture started by previewItem() was decoded (ok) or could not be (the view kept what it showed);
    // for a video, its frame was made through the thumbnail cache or could not be (its icon stays).
    // Not emitted for a picture whose item was no longer the one previewed when it was ready.
    void pictureLoaded(const QString &filePath, bool ok);
    // The details of the file previewed were read and shown.
    void detailsShown(const QString &filePath);

private:
    void showViewer(Viewer viewer);
    void loadPicture(const QString &filePath);
    void loadVideoFrame(const QString &filePath);
    void attachPlayer(const QString &filePath);
    void detachPlayer();
    void openPdf(const QString &filePath);
    void showIcon(const QIcon &icon, int size);
    void updateLabels(const QString &name, const QByteArray &statPath, const QString &where, bool folder);
    // Starts reading the details of a picture, sound or video; any other kind empties the label.
    void readDetails(const QString &filePath, FileKind kind);
    QSize pictureBound() const;

    QWidget *m_contentView;
    QStackedLayout *m_stack;
    PreviewImageView *m_imageView;
    PreviewPlayerView *m_playerView;
    QPdfView *m_pdfView;
    QScrollArea *m_quickTextView;
    QLabel *m_nameLabel;
    QLabel *m_sizeLabel;
    QLabel *m_pathLabel;
    QLabel *m_createdLabel;
    QLabel *m_modifiedLabel;
    QLabel *m_infoLabel;
    QLabel *m_detailsLabel;

    QMediaPlayer *m_player = nullptr;
    QString m_mediaPath; // the sound or video file previewed, played when the user asks
    QPdfDocument *m_pdfDocument = nullptr;
    QFuture<QImage> m_pictureTask;
    QThreadPool m_picturePool; // one thread: a newer picture waits for at most one older decode
    Cancellation m_detailsRead;
    quint64 m_detailsGeneration = 0; // a read started for an older selection is ignored when it ends
};

} // namespace vellumry
