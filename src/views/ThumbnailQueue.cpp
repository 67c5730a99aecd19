// The bounded newest-first request queue.
#include "views/ThumbnailQueue.h"

namespace vellumry {

ThumbnailQueue::ThumbnailQueue(qsizetype capacity) : m_capacity(qMax<qsizetype>(1, capacity)) {}

QList<QString> ThumbnailQueue::push(ThumbnailJob job)
{
    QList<QString> dropped;
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(std::move(job));
    while (qsizetype(m_jobs.size()) > m_capacity) {
        dropped.append(std::move(m_jobs.front().filePath));
        m_jobs.pop_front();
    }
    return dropped;
}

std::optional<ThumbnailJob> ThumbnailQueue::takeNewest()
{
    std::lock_guard lock(m_mutex);
    if (m_jobs.empty())
        return std::nullopt;
    ThumbnailJob job = std::move(m_jobs.back());
    m_jobs.pop_back();
    return job;
}

QList<QString> ThumbnailQueue::clear()
{
    QList<QString> paths;
    std::lock_guard lock(m_mutex);
    paths.reserve(qsizetype(m_jobs.size()));
    for (ThumbnailJob &job : m_jobs)
        paths.append(std::move(job.filePath));
    m_jobs.clear();
    return paths;
}

qsizetype ThumbnailQueue::size() const
{
    std::lock_guard lock(m_mutex);
    return qsizetype(m_jobs.size());
}

} // namespace vellumry
