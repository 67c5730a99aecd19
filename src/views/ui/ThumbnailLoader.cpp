// Thumbnails: the shared cache, scaled pictures, PDF pages, the desktop's thumbnailers and type icons.
#include "views/ui/ThumbnailLoader.h"

#include "model/ItemTexts.h"
#include "platform/NativePath.h"
#include "platform/ThumbnailCache.h"
#include "views/ThumbnailQueue.h"
#include "views/Thumbnailers.h"
#include "views/ui/FileIcons.h"
#include "views/ui/PictureFiles.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>

#include <gio/gio.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kQueueCapacity = 400; // a few screens of cells
constexpr int kCacheEntries = 3000;

// A thumbnail the shared cache holds for the file as it is now: of the size that fits, else the other.
QImage readEitherCachedSize(const ThumbnailKey &key, int pixelSize)
{
    const ThumbnailSize preferred = thumbnailSizeFor(pixelSize);
    const ThumbnailSize other =
        preferred == ThumbnailSize::Large ? ThumbnailSize::Normal : ThumbnailSize::Large;
    for (const ThumbnailSize size : {preferred, other}) {
        const QImage image = readCachedThumbnail(key, size);
        if (!image.isNull())
            return image;
    }
    return {};
}

QImage fitted(const QImage &image, int pixelSize)
{
    if (image.width() > pixelSize || image.height() > pixelSize)
        return image.scaled(pixelSize, pixelSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

// What a worker hands back: a picture, or else the content type whose icon the GUI thread draws.
struct ThumbnailLoader::Result
{
    QString filePath;
    QImage image;
    QString contentType;
    QStringList iconNames;
};

ThumbnailLoader::ThumbnailLoader(int size, QObject *parent)
    : QObject(parent), m_size(qMax(1, size)), m_pixelRatio(qGuiApp ? qGuiApp->devicePixelRatio() : 1.0),
      m_queue(std::make_shared<ThumbnailQueue>(kQueueCapacity)), m_cache(kCacheEntries)
{
    m_pool.setMaxThreadCount(qMin(2, qMax(1, QThread::idealThreadCount())));
    m_pool.setObjectName(u"ThumbnailLoader"_s);
}

ThumbnailLoader::~ThumbnailLoader()
{
    m_queue->clear();
    m_pool.clear();
    m_pool.waitForDone();
}

QPixmap ThumbnailLoader::thumbnail(const IKImageItem &item)
{
    const QString type = item.fileType();
    if (type == u"Folder" || item.isFolderItem()) {
        if (m_folderPixmap.isNull())
            m_folderPixmap = iconPixmap(folderIcon());
        return m_folderPixmap;
    }
    if (type == u"Application") {
        if (m_applicationPixmap.isNull())
            m_applicationPixmap = iconPixmap(applicationIcon());
        return m_applicationPixmap;
    }

    const QString path = item.filePath();
    if (const QPixmap *cached = m_cache.object(path))
        return *cached;
    if (m_pending.contains(path))
        return {};

    ThumbnailJob job{path, toNativePath(path), ThumbnailRoute::Other};
    if (type == u"Image")
        job.route = ThumbnailRoute::Picture;
    else if (type == u"Document" && hasPdfExtension(path))
        job.route = ThumbnailRoute::Pdf;
    m_pending.insert(path);
    for (const QString &dropped : m_queue->push(std::move(job)))
        m_pending.remove(dropped);

    // Each task makes whichever request is newest when a worker gets to it.
    const int pixelSize = qRound(m_size * m_pixelRatio);
    m_pool.start([this, queue = m_queue, pixelSize] {
        std::optional<ThumbnailJob> next = queue->takeNewest();
        if (!next)
            return; // dropped or cleared meanwhile
        Result result;
        result.filePath = next->filePath;
        const std::optional<ThumbnailKey> key = thumbnailKeyOf(next->nativePath);
        if (key)
            result.image = fitted(readEitherCachedSize(*key, pixelSize), pixelSize);
        if (result.image.isNull() && next->route == ThumbnailRoute::Picture)
            result.image = readScaledPicture(next->nativePath, QSize(pixelSize, pixelSize));
        else if (result.image.isNull() && next->route == ThumbnailRoute::Pdf)
            result.image = renderPdfFirstPage(next->nativePath, QSize(pixelSize, pixelSize));
        else if (result.image.isNull() && key && next->route == ThumbnailRoute::Other)
            result.image = fitted(sharedThumbnailMaker()
                                      ->make(key->nativePath, thumbnailSizeFor(pixelSize),
                                             ThumbnailMaker::Sources::ThumbnailersOnly)
                                      .image,
                                  pixelSize);
        struct stat st;
        if (result.image.isNull() && ::stat(next->nativePath.constData(), &st) == 0) {
            // A file that is gone keeps the empty content type: the plain file icon.
            ContentTypeIcon icon = contentTypeIconOf(lastPathComponent(next->nativePath));
            result.contentType = std::move(icon.contentType);
            result.iconNames = std::move(icon.iconNames);
        }
        // The destructor waits for this task, so `this` outlives the post; a post still queued when
        // the loader goes away is discarded with it.
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)] { deliver(result); }, Qt::QueuedConnection);
    });
    return {};
}

void ThumbnailLoader::clear()
{
    m_pool.clear();
    for (const QString &path : m_queue->clear())
        m_pending.remove(path);
}

void ThumbnailLoader::deliver(const Result &result)
{
    m_pending.remove(result.filePath);
    QPixmap pixmap;
    if (!result.image.isNull()) {
        pixmap = QPixmap::fromImage(result.image);
        pixmap.setDevicePixelRatio(m_pixelRatio);
    } else {
        pixmap = contentTypePixmap({result.contentType, result.iconNames});
    }
    m_cache.insert(result.filePath, new QPixmap(pixmap));
    Q_EMIT thumbnailReady(result.filePath);
}

QPixmap ThumbnailLoader::iconPixmap(const QIcon &icon) const
{
    QPixmap pixmap = icon.pixmap(QSize(m_size, m_size), m_pixelRatio);
    if (pixmap.isNull())
        pixmap = fallbackFileIcon().pixmap(QSize(m_size, m_size), m_pixelRatio);
    return pixmap;
}

QPixmap ThumbnailLoader::contentTypePixmap(const ContentTypeIcon &type)
{
    const auto found = m_typePixmaps.constFind(type.contentType);
    if (found != m_typePixmaps.constEnd())
        return *found;
    const QPixmap pixmap = iconPixmap(iconForContentType(type));
    m_typePixmaps.insert(type.contentType, pixmap);
    return pixmap;
}

} // namespace vellumry
