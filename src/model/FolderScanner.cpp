// The scan engine's main-thread side and its worker thread.
#include "model/FolderScanner.h"

#include "model/FolderSize.h"
#include "model/ScanFolders.h"
#include "platform/NativePath.h"

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

FolderScanner::FolderScanner(FileLists &lists, QObject *parent) : QObject(parent), m_lists(lists)
{
    m_worker = std::thread([this] { workerLoop(); });
}

FolderScanner::~FolderScanner()
{
    {
        std::scoped_lock lock(m_hookMutex, m_mutex);
        m_quit = true;
        m_requests.clear();
        if (m_runningCancel)
            m_runningCancel->store(true);
    }
    m_wake.notify_all();
    m_worker.join();
}

void FolderScanner::startScanCurrentFolder(const QString &path)
{
    startScanCurrentFolders({path});
}

void FolderScanner::startScanCurrentFolders(const QStringList &paths)
{
    m_pending += int(paths.size());
    std::vector<FolderId> ids;
    for (const QString &path : paths) {
        const int fd = openFolderForListing(toNativePath(path));
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0)
            ids.push_back(FolderId{st.st_dev, st.st_ino});
        ::close(fd);
    }
    {
        // All of them are main folders before the first walk can meet a link into one of them.
        std::lock_guard lock(m_mutex);
        m_mainFolders.insert(m_mainFolders.end(), ids.begin(), ids.end());
        for (const QString &path : paths)
            m_requests.push_back({m_generation, path, std::make_shared<std::atomic<bool>>(false)});
    }
    m_wake.notify_all();
}

void FolderScanner::cancelAll()
{
    {
        std::scoped_lock lock(m_hookMutex, m_mutex); // no hook call of the cancelled scan runs after this
        m_requests.clear();
        m_mainFolders.clear();
        if (m_runningCancel)
            m_runningCancel->store(true);
    }
    ++m_generation;
    const bool wasScanning = m_pending > 0;
    m_pending = 0;
    if (wasScanning)
        Q_EMIT idle();
}

void FolderScanner::workerLoop()
{
    for (;;) {
        Request request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_requests.empty(); });
            if (m_quit)
                return;
            request = std::move(m_requests.front());
            m_requests.pop_front();
            m_runningCancel = request.cancelled;
        }
        startScanCurrentFolderThreader(request);
        std::lock_guard lock(m_mutex);
        m_runningCancel.reset();
    }
}

// The worker's body for one folder: walk it, hand the items over in batches, then end the scan.
void FolderScanner::startScanCurrentFolderThreader(const Request &request)
{
    const quint64 generation = request.generation;
    const QString path = request.path;
    QMetaObject::invokeMethod(
        this, [this, generation, path] { scanStartedOnMainThread(generation, path); }, Qt::QueuedConnection);

    ScanWalker::Options options;
    options.cancelled = request.cancelled.get();
    options.threads = m_walkThreads;
    options.bundleSize = &fastFolderSizeAtFilePath;
    options.isMainFolder = [this](FolderId id) {
        std::lock_guard lock(m_mutex);
        return std::find(m_mainFolders.cbegin(), m_mainFolders.cend(), id) != m_mainFolders.cend();
    };
    if (m_listingHook) {
        options.beforeListing = [this, scanned = withoutTrailingSlashes(toNativePath(path)),
                                 cancelled = request.cancelled.get()](const QByteArray &folder, bool throughLink) {
            std::shared_lock lock(m_hookMutex);
            if (!cancelled->load())
                m_listingHook(scanned, folder, throughLink);
        };
    }
    options.deliver = [this, generation](ScanBatch &&batch) {
        auto shared = std::make_shared<ScanBatch>(std::move(batch));
        QMetaObject::invokeMethod(
            this, [this, generation, shared] { LoadFileItemFoldOnMainThread(generation, *shared); },
            Qt::QueuedConnection);
    };
    ScanWalker walker(std::move(options));
    walker.startScanCurrentFolderwithFolderPath(toNativePath(path));

    if (!request.cancelled->load()) {
        QMetaObject::invokeMethod(
            this, [this, generation, path] { startScanCurrentFolderOnMainThread(generation, path); },
            Qt::QueuedConnection);
    }
}

void FolderScanner::scanStartedOnMainThread(quint64 generation, const QString &path)
{
    if (generation != m_generation)
        return;
    m_loadFirstItem = false;
    Q_EMIT scanStarted(path);
}

void FolderScanner::LoadFileItemFoldOnMainThread(quint64 generation, ScanBatch &batch)
{
    if (generation != m_generation)
        return;
    const qsizetype first = m_lists.filesItemArray.size();
    appendScanBatch(m_lists, batch);
    const qsizetype count = m_lists.filesItemArray.size() - first;
    if (count > 0)
        Q_EMIT filesAppended(first, count);
    if (!m_loadFirstItem && m_lists.filesItemArray.size() >= 3) {
        m_loadFirstItem = true;
        Q_EMIT selectFirstItem();
    }
}

void FolderScanner::startScanCurrentFolderOnMainThread(quint64 generation, const QString &path)
{
    if (generation != m_generation)
        return;
    Q_EMIT scanFinished(path);
    if (!m_lists.filesItemArray.isEmpty())
        Q_EMIT selectFirstItem();
    if (m_pending > 0 && --m_pending == 0)
        Q_EMIT idle();
}

} // namespace vellumry
