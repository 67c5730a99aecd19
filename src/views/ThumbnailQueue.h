// The waiting list of thumbnail requests: newest first, bounded, shared by the GUI thread and workers.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <deque>
#include <mutex>
#include <optional>

namespace vellumry {

// How a worker makes a thumbnail once the freedesktop thumbnail cache had none.
enum class ThumbnailRoute : quint8
{
    Picture, // decode the file as an image
    Pdf,     // render page 1
    Other,   // the desktop's thumbnailer for its type (stored in the shared cache), else its type's icon
};

struct ThumbnailJob
{
    QString filePath;      // the item's path, the key the result is reported under
    QByteArray nativePath; // the same path as bytes, for the file system
    ThumbnailRoute route = ThumbnailRoute::Other;
};

// A stack with a cap. The view asks for the cells on screen last, so the newest request is served
// first; when the user scrolls through thousands of cells, the oldest requests (for cells long gone)
// are dropped rather than delaying the ones now visible. All members are thread-safe.
class ThumbnailQueue
{
public:
    explicit ThumbnailQueue(qsizetype capacity);

    // Adds a job as the newest. Returns the paths of the oldest jobs dropped to stay within the cap.
    QList<QString> push(ThumbnailJob job);
    // The newest job, removed from the queue; nothing when the queue is empty.
    std::optional<ThumbnailJob> takeNewest();
    // Empties the queue and returns the paths it held.
    QList<QString> clear();
    qsizetype size() const;
    qsizetype capacity() const { return m_capacity; }

private:
    const qsizetype m_capacity;
    mutable std::mutex m_mutex;
    std::deque<ThumbnailJob> m_jobs; // oldest at the front
};

} // namespace vellumry
