// Thumbnails for the file views, made on worker threads and kept in a memory cache.
#pragma once

#include "model/IKImageItem.h"

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <memory>

namespace vellumry {

class ThumbnailQueue;
struct ContentTypeIcon;

// Asked for an item's thumbnail, answers at once from its cache or queues the item for a worker, which
// tries in turn the desktop's shared thumbnail cache (a valid entry of the size that fits, then of the
// other size), the picture itself (images Qt reads), page 1 (PDFs), the desktop's thumbnailer for the
// file's type (videos and whatever else one is installed for; its result is stored in the shared cache,
// its failure recorded there), and the icon of the file's content type. thumbnailReady() then tells the
// view to ask again.
class ThumbnailLoader : public QObject
{
    Q_OBJECT
public:
    // Thumbnails fit in a square of `size` device-independent pixels.
    explicit ThumbnailLoader(int size = 80, QObject *parent = nullptr);
    // Drops the queue and waits for the workers to finish what they are making.
    ~ThumbnailLoader() override;

    // The thumbnail if it is ready; otherwise a null QPixmap, and the item is queued (each path once).
    // Requests are served newest first, so the cells the user is looking at now come before those
    // scrolled past. Call from the GUI thread only.
    QPixmap thumbnail(const IKImageItem &item);
    // Forgets the queued requests (when the shown list is replaced); keeps the cache.
    void clear();

    int size() const { return m_size; }
    // Requests queued or being made.
    qsizetype pendingCount() const { return m_pending.size(); }

Q_SIGNALS:
    // Queued from the workers; emitted on the GUI thread.
    void thumbnailReady(const QString &filePath);

private:
    struct Result;
    void deliver(const Result &result);
    QPixmap contentTypePixmap(const ContentTypeIcon &type);
    QPixmap iconPixmap(const QIcon &icon) const;

    const int m_size;
    const qreal m_pixelRatio;
    std::shared_ptr<ThumbnailQueue> m_queue;
    QThreadPool m_pool;
    QCache<QString, QPixmap> m_cache;
    QSet<QString> m_pending;                     // queued or being made, so each path is queued once
    QHash<QString, QPixmap> m_typePixmaps;       // by content type
    QPixmap m_folderPixmap, m_applicationPixmap; // made on first use
};

} // namespace vellumry
