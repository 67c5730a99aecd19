// The preview pane.
#include "views/ui/PreviewPane.h"

#include "model/ItemTexts.h"
#include "model/MediaInfo.h"
#include "model/ScanWalker.h"
#include "platform/NativePath.h"
#include "views/Thumbnailers.h"
#include "views/ui/FileIcons.h"
#include "views/ui/PictureFiles.h"

#include <QAudioOutput>
#include <QFile>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMediaPlayer>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfView>
#include <QScrollArea>
#include <QSlider>
#include <QStackedLayout>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoSink>
#include <QVideoWidget>
#include <QtConcurrent/QtConcurrentRun>

#include <fcntl.h>
#include <sys/stat.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

constexpr int kDocumentIconSize = 128;
constexpr int kLargeIconSize = 512;
constexpr int kMinPictureSide = 1024; // decode at least this much, so a later, larger window stays sharp
constexpr int kMaxPictureSide = 4096;

// "m:ss", or "h:mm:ss" from an hour on.
QString timeText(qint64 ms)
{
    const qint64 secs = qMax<qint64>(0, ms) / 1000;
    if (secs >= 3600)
        return u"%1:%2:%3"_s.arg(secs / 3600)
            .arg(secs / 60 % 60, 2, 10, QChar(u'0'))
            .arg(secs % 60, 2, 10, QChar(u'0'));
    return u"%1:%2"_s.arg(secs / 60).arg(secs % 60, 2, 10, QChar(u'0'));
}

// "4032 × 3024 · Canon EOS 5D" and "Taken 2021-03-04 23:30:00" on a line of its own, "3:05",
// "1:23 · 1920 × 1080".
QString detailsText(const MediaInfo &info, FileKind kind)
{
    QStringList parts;
    if (kind != FileKind::Image && info.lengthSeconds >= 0)
        parts.append(timeText(qint64(info.lengthSeconds * 1000 + 0.5)));
    if (kind != FileKind::Audio && info.width > 0 && info.height > 0)
        parts.append(u"%1 × %2"_s.arg(info.width).arg(info.height));
    if (!info.camera.isEmpty())
        parts.append(info.camera);
    QString text = parts.join(u" · "_s);
    if (kind != FileKind::Audio && info.taken.isValid()) // the pane is narrow: a date is not cut in two
        text += (text.isEmpty() ? QString() : u"\n"_s)
                + PreviewPane::tr("Taken %1").arg(info.taken.toString(u"yyyy-MM-dd HH:mm:ss"_s));
    return text;
}

// A file URL from exact path bytes: fromLocalFile() would need a QString the bytes survive in.
QUrl fileUrl(const QByteArray &nativePath)
{
    return QUrl::fromEncoded(fileUri(nativePath), QUrl::StrictMode);
}

} // namespace

// ---- PreviewImageView -------------------------------------------------------------------------------

PreviewImageView::PreviewImageView(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PreviewImageView::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_icon = QIcon();
    m_iconSize = 0;
    update();
}

void PreviewImageView::setIcon(const QIcon &icon, int size)
{
    m_picture = QImage();
    m_icon = icon;
    m_iconSize = size;
    update();
}

QRect PreviewImageView::contentRect() const
{
    const QRect area = rect();
    QSize shown;
    if (!m_picture.isNull()) {
        const QSize natural = (QSizeF(m_picture.size()) / m_picture.devicePixelRatio()).toSize();
        shown = natural.scaled(area.size(), Qt::KeepAspectRatio);
        if (shown.width() > natural.width()) {
            // Enlarging: no further than the longer side reaching the cap (or the natural size, if larger).
            const int cap = qMax(kMaxEnlargedSide, qMax(natural.width(), natural.height()));
            shown = shown.boundedTo(natural.scaled(cap, cap, Qt::KeepAspectRatio));
        }
    } else if (!m_icon.isNull()) {
        shown = QSize(m_iconSize, m_iconSize).boundedTo(area.size());
        const int side = qMin(shown.width(), shown.height());
        shown = QSize(side, side);
    }
    QRect target(QPoint(), shown);
    target.moveCenter(area.center());
    return target;
}

void PreviewImageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect target = contentRect();
    if (target.isEmpty())
        return;
    if (!m_picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_picture);
    } else if (!m_icon.isNull()) {
        m_icon.paint(&painter, target, Qt::AlignCenter);
    }
}

// ---- PreviewPlayerView ------------------------------------------------------------------------------

// Lays its one child out at the largest size of the given aspect ratio, centred; the whole box while
// the ratio is unknown.
class PreviewAspectBox : public QWidget
{
public:
    explicit PreviewAspectBox(QWidget *parent) : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    void setChild(QWidget *child)
    {
        m_child = child;
        child->setParent(this);
        place();
        child->show();
    }
    void setAspect(QSize aspect)
    {
        if (aspect.isEmpty() || aspect == m_aspect)
            return;
        m_aspect = aspect;
        place();
    }

protected:
    void resizeEvent(QResizeEvent *) override { place(); }

private:
    void place()
    {
        if (!m_child)
            return;
        QRect area(QPoint(), m_aspect.isEmpty() ? size() : m_aspect.scaled(size(), Qt::KeepAspectRatio));
        area.moveCenter(rect().center());
        m_child->setGeometry(area);
    }

    QWidget *m_child = nullptr;
    QSize m_aspect;
};

namespace {

// A white triangle on a dark translucent disc: readable over any frame, in both looks.
QIcon posterPlayIcon()
{
    constexpr int side = 64;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 2));
    painter.setBrush(QColor(0, 0, 0, 150));
    painter.drawEllipse(QRectF(2, 2, side - 4, side - 4));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const QPointF triangle[3] = {
        {side * 0.40, side * 0.30}, {side * 0.40, side * 0.70}, {side * 0.72, side * 0.50}};
    painter.drawPolygon(triangle, 3);
    return QIcon(pixmap);
}

} // namespace

PreviewPlayerView::PreviewPlayerView(QWidget *parent)
    : QWidget(parent), m_poster(new PreviewImageView(this)), m_posterPlay(new QToolButton(m_poster)),
      m_videoBox(new PreviewAspectBox(this)), m_playButton(new QToolButton(this)),
      m_seek(new QSlider(Qt::Horizontal, this)), m_time(new QLabel(this))
{
    m_posterPlay->setIcon(posterPlayIcon());
    m_posterPlay->setIconSize(QSize(64, 64));
    m_posterPlay->setAutoRaise(true);
    m_posterPlay->setCursor(Qt::PointingHandCursor);
    m_posterPlay->setToolTip(tr("Play"));
    auto *overPoster = new QGridLayout(m_poster);
    overPoster->addWidget(m_posterPlay, 0, 0, Qt::AlignCenter);

    m_playButton->setAutoRaise(true);
    m_playButton->setToolTip(tr("Play or pause"));
    m_seek->setRange(0, 0);
    m_seek->setToolTip(tr("Position"));
    m_time->setTextFormat(Qt::PlainText);
    m_time->setText(timeText(0) + u" / "_s + timeText(0));

    auto *controls = new QHBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(m_playButton);
    controls->addWidget(m_seek, 1);
    controls->addWidget(m_time);
    m_screen = new QStackedLayout;
    m_screen->addWidget(m_poster);
    m_screen->addWidget(m_videoBox);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addLayout(m_screen, 1);
    layout->addLayout(controls);

    const auto playOrPause = [this] {
        if (!m_player) {
            Q_EMIT playRequested();
            return;
        }
        if (m_player->playbackState() == QMediaPlayer::PlayingState)
            m_player->pause();
        else
            m_player->play();
    };
    connect(m_playButton, &QToolButton::clicked, this, playOrPause);
    connect(m_posterPlay, &QToolButton::clicked, this, playOrPause);
    connect(m_seek, &QSlider::sliderMoved, this, [this](int ms) {
        if (m_player)
            m_player->setPosition(ms);
    });
    updateButton();
}

void PreviewPlayerView::setPlayer(QMediaPlayer *player)
{
    if (m_player)
        m_player->disconnect(this);
    m_player = player;
    m_seek->setRange(0, 0);
    if (player && !m_video) {
        // Made with the first player: a video surface starts the media back end.
        m_video = new QVideoWidget;
        m_video->setAspectRatioMode(Qt::KeepAspectRatio);
        m_videoBox->setChild(m_video);
        // The video's own size, once it is decoded, sets the surface's shape. Queued: the sink reports
        // the change while it holds the lock that videoSize() takes.
        connect(
            m_video->videoSink(), &QVideoSink::videoSizeChanged, this,
            [this] { m_videoBox->setAspect(m_video->videoSink()->videoSize()); }, Qt::QueuedConnection);
    }
    if (player) {
        connect(player, &QMediaPlayer::durationChanged, this, [this](qint64 ms) {
            m_seek->setRange(0, int(qMin<qint64>(ms, std::numeric_limits<int>::max())));
            updateTime();
        });
        connect(player, &QMediaPlayer::positionChanged, this, [this](qint64 ms) {
            if (!m_seek->isSliderDown())
                m_seek->setValue(int(qMin<qint64>(ms, std::numeric_limits<int>::max())));
            updateTime();
        });
        connect(player, &QMediaPlayer::playbackStateChanged, this, &PreviewPlayerView::updateButton);
        connect(player, &QMediaPlayer::errorOccurred, this,
                [this] { m_time->setText(tr("Cannot play this file")); });
        // A sound keeps its poster; a video's pictures replace it.
        connect(player, &QMediaPlayer::hasVideoChanged, this, [this](bool video) {
            m_screen->setCurrentWidget(video ? static_cast<QWidget *>(m_videoBox) : m_poster);
        });
    } else {
        m_screen->setCurrentWidget(m_poster);
    }
    updateTime();
    updateButton();
}

void PreviewPlayerView::setPosterFrame(const QImage &frame)
{
    m_poster->setPicture(frame);
    m_videoBox->setAspect(frame.size());
}

void PreviewPlayerView::setPosterIcon(const QIcon &icon, int size)
{
    m_poster->setIcon(icon, size);
}

bool PreviewPlayerView::showsPoster() const
{
    return m_screen->currentWidget() == m_poster;
}

void PreviewPlayerView::updateTime()
{
    const qint64 position = m_player ? m_player->position() : 0;
    const qint64 duration = m_player ? m_player->duration() : 0;
    m_time->setText(timeText(position) + u" / "_s + timeText(duration));
}

void PreviewPlayerView::updateButton()
{
    const bool playing = m_player && m_player->playbackState() == QMediaPlayer::PlayingState;
    m_playButton->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_posterPlay->setVisible(!m_player);
}

// ---- ElidedLabel ------------------------------------------------------------------------------------

QSize ElidedLabel::minimumSizeHint() const
{
    return {fontMetrics().horizontalAdvance(u"…"_s) * 4, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
    style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}

// ---- PreviewPane ------------------------------------------------------------------------------------

PreviewPane::PreviewPane(QWidget *parent)
    : QWidget(parent), m_contentView(new QWidget(this)), m_stack(new QStackedLayout(m_contentView)),
      m_imageView(new PreviewImageView(m_contentView)), m_playerView(new PreviewPlayerView(m_contentView)),
      m_pdfView(new QPdfView(m_contentView)), m_quickTextView(new QScrollArea(this)),
      m_nameLabel(new ElidedLabel(this)), m_sizeLabel(new QLabel(this)), m_pathLabel(new QLabel(this)),
      m_createdLabel(new QLabel(this)), m_modifiedLabel(new QLabel(this)), m_infoLabel(new QLabel(this)),
      m_detailsLabel(new QLabel(this))
{
    connect(m_playerView, &PreviewPlayerView::playRequested, this, [this] {
        if (m_mediaPath.isEmpty())
            return;
        attachPlayer(m_mediaPath);
        m_player->play();
    });
    m_picturePool.setMaxThreadCount(1);
    m_picturePool.setObjectName(u"PreviewPictures"_s);

    m_pdfView->setPageMode(QPdfView::PageMode::MultiPage);
    m_pdfView->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    m_pdfView->setFrameShape(QFrame::NoFrame);

    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_imageView);
    m_stack->addWidget(m_playerView);
    m_stack->addWidget(m_pdfView);
    m_stack->setCurrentWidget(m_imageView);
    m_contentView->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_quickTextView->hide(); // text files are shown by their icon; the view stays for later use

    for (QLabel *label :
         {m_nameLabel, m_sizeLabel, m_pathLabel, m_createdLabel, m_modifiedLabel, m_infoLabel, m_detailsLabel}) {
        label->setTextFormat(Qt::PlainText);
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    QFont bold = m_nameLabel->font();
    bold.setBold(true);
    if (bold.pointSizeF() > 0)
        bold.setPointSizeF(bold.pointSizeF() * 1.1);
    m_nameLabel->setFont(bold);
    m_nameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_nameLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_pathLabel->setWordWrap(true);
    m_pathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_pathLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_infoLabel->hide(); // nothing to say there yet
    m_detailsLabel->setWordWrap(true);
    m_detailsLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_detailsLabel->hide(); // shown for pictures, sound and video

    auto *texts = new QVBoxLayout;
    texts->setContentsMargins(4, 0, 4, 0);
    texts->setSpacing(3);
    texts->addWidget(m_nameLabel);
    texts->addWidget(m_sizeLabel);
    texts->addSpacing(4);
    texts->addWidget(m_createdLabel);
    texts->addWidget(m_modifiedLabel);
    texts->addWidget(m_detailsLabel);
    texts->addSpacing(4);
    texts->addWidget(m_pathLabel);
    texts->addWidget(m_infoLabel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);
    layout->addWidget(m_contentView, 1);
    layout->addLayout(texts);
    setMinimumWidth(200);
}

PreviewPane::~PreviewPane()
{
    // A decode still waiting for its turn is not wanted any more; one under way is waited for by the pool.
    m_pictureTask.cancel();
    m_detailsRead.cancel();
    if (m_player)
        m_player->stop();
}

PreviewPane::Viewer PreviewPane::visibleViewer() const
{
    QWidget *current = m_stack->currentWidget();
    if (current == m_playerView)
        return Viewer::Player;
    if (current == m_pdfView)
        return Viewer::Pdf;
    return Viewer::Image;
}

void PreviewPane::setLabelColor(const QColor &color)
{
    for (QLabel *label :
         {m_nameLabel, m_sizeLabel, m_pathLabel, m_createdLabel, m_modifiedLabel, m_infoLabel, m_detailsLabel}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        palette.setColor(QPalette::Text, color);
        label->setPalette(palette);
    }
}

void PreviewPane::showViewer(Viewer viewer)
{
    // Only the stack's current page is visible: a player left behind keeps its state, unseen.
    switch (viewer) {
    case Viewer::Image:
        m_stack->setCurrentWidget(m_imageView);
        break;
    case Viewer::Player:
        m_stack->setCurrentWidget(m_playerView);
        break;
    case Viewer::Pdf:
        m_stack->setCurrentWidget(m_pdfView);
        break;
    }
    m_quickTextView->hide();
}

void PreviewPane::previewItem(const IKImageItem &item)
{
    // A picture still waiting to be decoded is not wanted any more, nor one being decoded: a
    // cancelled task's result is discarded when it comes.
    m_pictureTask.cancel();
    const QString type = item.fileType();

    if (type == u"Folder" || item.isFolderItem()) {
        // The item's path is the folder icon's resource name; the folder itself is its entry path.
        const QByteArray folder = item.nativeEntryPath();
        showIcon(folderIcon(), kLargeIconSize);
        updateLabels(item.fileName(), folder, fromNativePath(folder), true);
        readDetails({}, FileKind::Folder);
        return;
    }

    const QString path = item.filePath();
    const QByteArray nativePath = toNativePath(path);
    if (type == u"Image") {
        showViewer(Viewer::Image);
        loadPicture(path);
    } else if (type == u"Video" || type == u"Audio") {
        // The player is made when the user presses play; until then the poster shows the file.
        detachPlayer();
        m_mediaPath = path;
        m_playerView->setPosterIcon(fileTypeIcon(lastPathComponent(nativePath)), kDocumentIconSize);
        showViewer(Viewer::Player);
        if (type == u"Video")
            loadVideoFrame(path);
    } else if (type == u"Document" && hasPdfExtension(path)) {
        openPdf(path);
        showViewer(Viewer::Pdf);
    } else if (type == u"Document") {
        showIcon(fileTypeIcon(lastPathComponent(nativePath)), kDocumentIconSize);
    } else if (type == u"Application") {
        showIcon(applicationIcon(), kLargeIconSize);
    } else {
        showIcon(fileTypeIcon(lastPathComponent(nativePath)), kLargeIconSize);
    }
    updateLabels(item.fileName(), nativePath, path, false);
    readDetails(path, kindFromName(type).value_or(FileKind::Other));
}

void PreviewPane::readDetails(const QString &filePath, FileKind kind)
{
    m_detailsRead.cancel();
    const quint64 generation = ++m_detailsGeneration;
    m_detailsLabel->clear();
    const bool media = kind == FileKind::Image || kind == FileKind::Video || kind == FileKind::Audio;
    m_detailsLabel->setVisible(media);
    if (!media)
        return;
    const QByteArray nativePath = toNativePath(filePath);
    m_detailsRead = runInBackground(
        this,
        [nativePath, kind](const Cancellation &cancellation) {
            return cancellation.isCancelled() ? QString() : detailsText(readMediaInfo(nativePath, kind), kind);
        },
        [this, generation, filePath](const QString &text) {
            if (generation != m_detailsGeneration)
                return; // another file was chosen meanwhile
            m_detailsLabel->setText(text);
            Q_EMIT detailsShown(filePath);
        });
}

void PreviewPane::showIcon(const QIcon &icon, int size)
{
    m_imageView->setIcon(icon, size);
    showViewer(Viewer::Image);
}

QSize PreviewPane::pictureBound() const
{
    const qreal ratio = devicePixelRatioF();
    const QSize view = (QSizeF(m_imageView->size()) * ratio).toSize();
    return view.expandedTo(QSize(kMinPictureSide, kMinPictureSide))
        .boundedTo(QSize(kMaxPictureSide, kMaxPictureSide));
}

void PreviewPane::loadPicture(const QString &filePath)
{
    const QByteArray nativePath = toNativePath(filePath);
    const QSize bound = pictureBound();
    const qreal ratio = devicePixelRatioF();
    m_pictureTask = QtConcurrent::run(&m_picturePool, [nativePath, bound, ratio] {
        QImage picture = readScaledPicture(nativePath, bound);
        picture.setDevicePixelRatio(ratio);
        return picture;
    });
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, filePath] {
        watcher->deleteLater();
        if (watcher->isCanceled() || watcher->future().resultCount() < 1)
            return; // another item was chosen meanwhile
        const QImage picture = watcher->result();
        if (!picture.isNull())
            m_imageView->setPicture(picture);
        Q_EMIT pictureLoaded(filePath, !picture.isNull());
    });
    watcher->setFuture(m_pictureTask);
}

void PreviewPane::loadVideoFrame(const QString &filePath)
{
    const QByteArray nativePath = toNativePath(filePath);
    m_pictureTask = QtConcurrent::run(&m_picturePool, [nativePath] {
        return sharedThumbnailMaker()
            ->make(nativePath, ThumbnailSize::Large, ThumbnailMaker::Sources::ThumbnailersOnly)
            .image;
    });
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, filePath] {
        watcher->deleteLater();
        if (watcher->isCanceled() || watcher->future().resultCount() < 1)
            return; // another item was chosen meanwhile
        const QImage frame = watcher->result();
        if (!frame.isNull())
            m_playerView->setPosterFrame(frame);
        Q_EMIT pictureLoaded(filePath, !frame.isNull());
    });
    watcher->setFuture(m_pictureTask);
}

void PreviewPane::detachPlayer()
{
    if (!m_player)
        return;
    QMediaPlayer *old = m_player;
    m_player = nullptr;
    old->pause();
    m_playerView->setPlayer(nullptr);
    old->setVideoOutput(nullptr);
    old->deleteLater();
}

void PreviewPane::attachPlayer(const QString &filePath)
{
    detachPlayer();
    m_player = new QMediaPlayer(this);
    m_player->setAudioOutput(new QAudioOutput(m_player));
    m_playerView->setPlayer(m_player); // makes the video surface the first time
    m_player->setVideoOutput(m_playerView->videoWidget());
    m_player->setSource(fileUrl(toNativePath(filePath)));
}

void PreviewPane::openPdf(const QString &filePath)
{
    auto *document = new QPdfDocument(this);
    // The document reads pages from the file as it renders them, so the file lives as long as it.
    auto *file = new QFile(document);
    if (openRegularFile(*file, toNativePath(filePath)))
        document->load(file);
    if (document->status() != QPdfDocument::Status::Ready) {
        delete document; // the view keeps the document it showed
        return;
    }
    m_pdfView->setDocument(document);
    delete m_pdfDocument;
    m_pdfDocument = document;
}

void PreviewPane::updateLabels(const QString &name, const QByteArray &statPath, const QString &where,
                               bool folder)
{
    const QString shownName = displayPath(name);
    m_nameLabel->setText(shownName);
    m_nameLabel->setToolTip(shownName);

    struct statx st = {};
    const bool found = ::statx(AT_FDCWD, statPath.constData(), AT_SYMLINK_NOFOLLOW,
                               STATX_SIZE | STATX_BTIME | STATX_MTIME, &st) == 0;
    const bool hasSize = found && !folder && (st.stx_mask & STATX_SIZE) && st.stx_size >= 1;
    m_sizeLabel->setText(hasSize ? sizeText(st.stx_size) : QString());
    // Without a birth time from the file system the creation date is the modification time, as the scan
    // and the list have it; a file gone keeps the last texts.
    if (const auto created = found ? creationSeconds(st) : std::nullopt)
        m_createdLabel->setText(tr("Created: %1").arg(dateText(*created)));
    if (found && (st.stx_mask & STATX_MTIME))
        m_modifiedLabel->setText(tr("Modified: %1").arg(dateText(st.stx_mtime.tv_sec)));

    m_pathLabel->setText(tr("Where: %1").arg(displayPath(where)));
    // A name with no place to break it is cut at the pane's edge; the tooltip still has all of it.
    m_pathLabel->setToolTip(m_pathLabel->text());
}

} // namespace vellumry

namespace vellumry {

void PreviewPane::clearPreview()
{
    m_pictureTask.cancel();
    readDetails({}, FileKind::Other);
    detachPlayer();
    m_mediaPath.clear();
    showIcon(QIcon(), kLargeIconSize);
    for (QLabel *label : {m_nameLabel, m_sizeLabel, m_pathLabel, m_createdLabel, m_modifiedLabel}) {
        label->clear();
        label->setToolTip({});
    }
}

} // namespace vellumry
