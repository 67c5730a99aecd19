// The watch thread: inotify events are turned into a set of touched paths, which are looked at again
// and handed over once the burst has been quiet for a moment (or has lasted too long).
#include "model/TreeWatcher.h"

#include "model/ScanWalker.h"
#include "platform/NativePath.h"

#include <QFile>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

namespace {

constexpr uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB
                                | IN_MODIFY | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;

using Clock = std::chrono::steady_clock;

} // namespace

int TreeWatcher::systemWatchLimit()
{
    QFile file(QStringLiteral("/proc/sys/fs/inotify/max_user_watches"));
    if (!file.open(QIODevice::ReadOnly))
        return 8192;
    bool ok = false;
    const int value = file.readAll().trimmed().toInt(&ok);
    return ok && value > 0 ? value : 8192;
}

struct TreeWatcher::Worker
{
    TreeWatcher *owner = nullptr;
    int inotifyFd = -1;
    int wakeFd = -1;
    std::thread thread;

    // A tree being scanned: its folders are watched by the listing threads, and what changes below it
    // is held back until the lists hold the scan's items.
    struct Scan
    {
        int walks = 0;          // walks of the tree begun and not yet delivered
        bool limitMet = false;
        std::vector<int> added; // the watches these walks added, dropped with them if they stop
    };

    // Shared by the owning thread, the listing threads of scans and the watch thread.
    std::mutex mutex;
    std::vector<std::pair<QByteArray, std::optional<qint64>>> newRoots;
    quint64 generation = 1;
    bool quit = false;
    std::unordered_map<int, QByteArray> pathOfWatch;
    std::map<QByteArray, int> watchOfPath; // ordered, so a folder's descendants follow it
    std::map<QByteArray, Scan> scans;      // by scanned folder
    std::set<QByteArray> touched;
    std::set<QByteArray> held; // touched below a tree being scanned
    Clock::time_point firstTouch;
    Clock::time_point lastTouch;
    bool limitMet = false;
    bool limitSaid = false;
    bool overflowed = false;
    bool overflowSaid = false;

    void wake() const
    {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd, &one, sizeof one);
    }

    // Whether the folder is watched now (unless clear() came since `current`). A followed root may be
    // a link to a folder; no other link is followed.
    bool addWatch(const QByteArray &path, bool followLink, quint64 current)
    {
        std::lock_guard lock(mutex);
        if (current != generation)
            return false;
        if (watchOfPath.contains(path))
            return true;
        if (int(watchOfPath.size()) >= owner->m_maxWatches.load()) {
            limitMet = true;
            return false;
        }
        const int wd =
            ::inotify_add_watch(inotifyFd, path.constData(), followLink ? kWatchMask & ~IN_DONT_FOLLOW : kWatchMask);
        if (wd < 0) {
            if (errno == ENOSPC)
                limitMet = true;
            return false;
        }
        // The same folder under another path (a bind mount) keeps one path: the first one.
        if (pathOfWatch.contains(wd))
            return true;
        pathOfWatch.emplace(wd, path);
        watchOfPath.emplace(path, wd);
        owner->m_watchCount.store(int(watchOfPath.size()));
        return true;
    }

    void removeWatchLocked(int wd)
    {
        const auto it = pathOfWatch.find(wd);
        if (it == pathOfWatch.end())
            return;
        ::inotify_rm_watch(inotifyFd, wd);
        watchOfPath.erase(it->second);
        pathOfWatch.erase(it);
    }

    bool inScannedTree(const QByteArray &path) const
    {
        for (const auto &[root, scan] : scans) {
            if (path.startsWith(root)
                && (path.size() == root.size() || root.endsWith('/') || path.at(root.size()) == '/'))
                return true;
        }
        return false;
    }

    // Watches the folder and the folders below it; with `report`, every entry found is a change. With
    // `since` as well, only what changed at or after it: the whole of a folder changed since (which is
    // then added to `relisted`), and files changed since in the other folders.
    void watchFolder(const QByteArray &path, quint64 current, TreeChanges *report,
                     std::optional<qint64> since = std::nullopt, QList<QByteArray> *relisted = nullptr)
    {
        const auto changedSince = [since](const struct stat &st) {
            return std::max(st.st_mtim.tv_sec, st.st_ctim.tv_sec) >= *since;
        };
        std::vector<QByteArray> stack{path};
        while (!stack.empty()) {
            const QByteArray folder = std::move(stack.back());
            stack.pop_back();
            if (!addWatch(folder, folder == path, current))
                continue;
            // Listed after its watch is in place: what changes from now on comes as events.
            const int fd = openFolderForListing(folder);
            if (fd < 0)
                continue;
            bool whole = report && !since;
            if (report && since) {
                struct stat st;
                if (::fstat(fd, &st) != 0 || changedSince(st)) {
                    whole = true;
                    if (relisted)
                        relisted->append(folder);
                }
            }
            DIR *dir = ::fdopendir(fd);
            if (!dir) {
                ::close(fd);
                continue;
            }
            while (const struct dirent *d = ::readdir(dir)) {
                if (d->d_name[0] == '.')
                    continue;
                bool isFolder = d->d_type == DT_DIR;
                bool changed = whole;
                if ((report && !whole) || d->d_type == DT_UNKNOWN) {
                    struct stat st;
                    if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                        isFolder = S_ISDIR(st.st_mode);
                        changed = changed || (report && !isFolder && changedSince(st));
                    }
                }
                if (!isFolder && !changed)
                    continue; // most entries: a file nothing is reported of needs no path
                const QByteArray child = joinNativePath(folder, QByteArray(d->d_name));
                if (isFolder)
                    stack.push_back(child);
                if (changed)
                    report->push_back(describe(child));
            }
            ::closedir(dir);
        }
    }

    static TreeChange describe(const QByteArray &path)
    {
        TreeChange change;
        change.path = path;
        struct statx st;
        if (::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW,
                    STATX_TYPE | STATX_SIZE | STATX_BTIME | STATX_MTIME, &st) != 0)
            return change;
        change.exists = true;
        change.isFolder = S_ISDIR(st.stx_mode);
        if (!change.isFolder) {
            change.size = st.stx_size;
            change.birthSeconds = creationSeconds(st);
        }
        return change;
    }

    // With the mutex held: forgets the watches of the folder and of every folder below it.
    void unwatchBelowLocked(const QByteArray &path)
    {
        auto it = watchOfPath.lower_bound(path);
        while (it != watchOfPath.end()
               && (it->first == path || (it->first.startsWith(path) && it->first.at(path.size()) == '/'))) {
            ::inotify_rm_watch(inotifyFd, it->second);
            pathOfWatch.erase(it->second);
            it = watchOfPath.erase(it);
        }
        owner->m_watchCount.store(int(watchOfPath.size()));
    }

    void readEvents()
    {
        alignas(struct inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(inotifyFd, buffer, sizeof buffer);
            if (n <= 0)
                return;
            std::lock_guard lock(mutex);
            for (ssize_t off = 0; off < n;) {
                const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + off);
                off += ssize_t(sizeof(struct inotify_event) + event->len);
                if (event->mask & IN_Q_OVERFLOW) {
                    overflowed = true;
                    continue;
                }
                const auto it = pathOfWatch.find(event->wd);
                if (it == pathOfWatch.end())
                    continue;
                if (event->mask & IN_IGNORED) {
                    watchOfPath.erase(it->second);
                    pathOfWatch.erase(it);
                    owner->m_watchCount.store(int(watchOfPath.size()));
                    continue;
                }
                if (event->len == 0 || event->name[0] == '.')
                    continue; // the folder itself (its removal comes from its parent) or a hidden entry
                QByteArray path = joinNativePath(it->second, QByteArray(event->name));
                if (inScannedTree(path))
                    held.insert(std::move(path));
                else
                    touchLocked(std::move(path));
            }
        }
    }

    void touchLocked(QByteArray path)
    {
        const auto now = Clock::now();
        if (touched.empty())
            firstTouch = now;
        lastTouch = now;
        touched.insert(std::move(path));
    }

    // With the mutex held: what was held back and lies below no tree still being scanned is touched
    // now; with `inWatchedFolder`, only what lies in a folder still watched (the rest is dropped).
    void releaseHeldLocked(bool inWatchedFolder)
    {
        for (auto it = held.begin(); it != held.end();) {
            if (inScannedTree(*it)) {
                ++it;
                continue;
            }
            if (!inWatchedFolder || watchOfPath.contains(it->left(std::max<qsizetype>(it->lastIndexOf('/'), 1))))
                touchLocked(*it);
            it = held.erase(it);
        }
    }

    // Looks at every touched path again and hands the result over.
    void flush(quint64 current)
    {
        std::set<QByteArray> paths;
        {
            std::lock_guard lock(mutex);
            if (current != generation)
                return;
            paths.swap(touched);
        }
        auto changes = std::make_shared<TreeChanges>();
        changes->reserve(paths.size());
        for (const QByteArray &path : paths) {
            TreeChange change = describe(path);
            bool watched;
            {
                std::lock_guard lock(mutex);
                if (current != generation)
                    return;
                watched = watchOfPath.contains(path);
                if (watched && (!change.exists || !change.isFolder))
                    unwatchBelowLocked(path); // gone, or a folder replaced by a file
            }
            if (!change.exists || !change.isFolder) {
                changes->push_back(std::move(change));
            } else if (!watched) {
                changes->push_back(std::move(change));
                watchFolder(path, current, changes.get()); // a new folder: its content is picked up too
            }
        }
        if (!changes->empty()) {
            QMetaObject::invokeMethod(
                owner, [owner = owner, current, changes] { owner->deliver(current, changes); },
                Qt::QueuedConnection);
        }
        sayLimit(current);
    }

    void sayOverflow(quint64 current)
    {
        {
            std::lock_guard lock(mutex);
            if (!overflowed || overflowSaid || current != generation)
                return;
            overflowSaid = true;
        }
        QMetaObject::invokeMethod(
            owner,
            [owner = owner, current] {
                if (current == owner->m_generation)
                    Q_EMIT owner->changesMissed();
            },
            Qt::QueuedConnection);
    }

    void sayLimit(quint64 current)
    {
        {
            std::lock_guard lock(mutex);
            if (!limitMet || limitSaid || current != generation)
                return;
            limitSaid = true;
        }
        QMetaObject::invokeMethod(
            owner,
            [owner = owner, current] {
                if (current == owner->m_generation)
                    Q_EMIT owner->watchLimitReached();
            },
            Qt::QueuedConnection);
    }

    void run()
    {
        for (;;) {
            quint64 current;
            std::vector<std::pair<QByteArray, std::optional<qint64>>> roots;
            {
                std::lock_guard lock(mutex);
                if (quit)
                    return;
                current = generation;
                roots.swap(newRoots);
                if (!roots.empty())
                    limitSaid = false;
            }
            for (const auto &[root, since] : roots) {
                auto entries = std::make_shared<TreeChanges>();
                auto relisted = std::make_shared<QList<QByteArray>>();
                watchFolder(root, current, since ? entries.get() : nullptr, since, relisted.get());
                if (!entries->empty() || !relisted->isEmpty()) {
                    QMetaObject::invokeMethod(
                        owner,
                        [owner = owner, current, entries, relisted] {
                            owner->deliverListing(current, entries, relisted);
                        },
                        Qt::QueuedConnection);
                }
                sayLimit(current);
            }
            sayOverflow(current);

            int timeout = -1;
            bool due = false;
            {
                std::lock_guard lock(mutex);
                if (!touched.empty()) {
                    // Handed over once quiet for a tenth of the period, and at least once per period.
                    const auto now = Clock::now();
                    const auto period = std::chrono::milliseconds(owner->m_coalesceMs.load());
                    const auto at =
                        std::min(firstTouch + period, lastTouch + period / 10 + std::chrono::milliseconds(20));
                    due = now >= at;
                    timeout = int(std::chrono::duration_cast<std::chrono::milliseconds>(at - now).count()) + 1;
                }
            }
            if (due) {
                flush(current);
                continue;
            }
            struct pollfd fds[2] = {{inotifyFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
            if (::poll(fds, 2, timeout) < 0 && errno != EINTR)
                return;
            if (fds[1].revents & POLLIN) {
                uint64_t count;
                [[maybe_unused]] const ssize_t n = ::read(wakeFd, &count, sizeof count);
            }
            if (fds[0].revents & POLLIN) {
                readEvents();
                sayOverflow(current);
            }
        }
    }
};

TreeWatcher::TreeWatcher(QObject *parent)
    : QObject(parent), m_worker(std::make_unique<Worker>()), m_maxWatches(systemWatchLimit())
{
    m_worker->owner = this;
    m_worker->inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    m_worker->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (isValid())
        m_worker->thread = std::thread([worker = m_worker.get()] { worker->run(); });
}

TreeWatcher::~TreeWatcher()
{
    if (m_worker->thread.joinable()) {
        {
            std::lock_guard lock(m_worker->mutex);
            m_worker->quit = true;
        }
        m_worker->wake();
        m_worker->thread.join();
    }
    if (m_worker->inotifyFd >= 0)
        ::close(m_worker->inotifyFd);
    if (m_worker->wakeFd >= 0)
        ::close(m_worker->wakeFd);
}

bool TreeWatcher::isValid() const { return m_worker->inotifyFd >= 0 && m_worker->wakeFd >= 0; }

void TreeWatcher::watchTree(const QByteArray &root, std::optional<qint64> sinceSeconds)
{
    if (!isValid())
        return;
    {
        std::lock_guard lock(m_worker->mutex);
        m_worker->newRoots.emplace_back(withoutTrailingSlashes(root), sinceSeconds);
    }
    m_worker->wake();
}

void TreeWatcher::addWatchForScan(const QByteArray &scanned, const QByteArray &folder)
{
    if (!isValid())
        return;
    Worker &w = *m_worker;
    const bool first = folder == scanned;
    if (first) {
        std::lock_guard lock(w.mutex);
        ++w.scans[scanned].walks;
    }
    int wd = -1;
    int error = ENOSPC;
    // Added outside the lock, so that the listing threads wait on the system only. An event that the
    // watch thread reads before the watch is recorded is dropped; it tells of a change made before
    // the folder is listed, which the listing sees. A folder followed already gets its watch back.
    if (m_watchCount.load(std::memory_order_relaxed) < m_maxWatches.load(std::memory_order_relaxed)) {
        wd = ::inotify_add_watch(w.inotifyFd, folder.constData(), first ? kWatchMask & ~IN_DONT_FOLLOW : kWatchMask);
        error = errno;
    }
    std::lock_guard lock(w.mutex);
    const auto scan = w.scans.find(scanned);
    if (wd < 0) {
        if (error == ENOSPC && scan != w.scans.end())
            scan->second.limitMet = true;
        return;
    }
    if (w.pathOfWatch.contains(wd))
        return; // followed already, maybe under another path (a bind mount): it keeps its first path
    const bool over = int(w.watchOfPath.size()) >= m_maxWatches.load(); // other listing threads came first
    if (scan == w.scans.end() || over) {
        ::inotify_rm_watch(w.inotifyFd, wd); // or a walk begun before clear()
        if (scan != w.scans.end())
            scan->second.limitMet = true;
        return;
    }
    w.pathOfWatch.emplace(wd, folder);
    w.watchOfPath.emplace(folder, wd);
    m_watchCount.store(int(w.watchOfPath.size()), std::memory_order_relaxed);
    scan->second.added.push_back(wd);
}

void TreeWatcher::scanDelivered(const QByteArray &scanned)
{
    if (!isValid())
        return;
    Worker &w = *m_worker;
    bool sayLimit = false;
    {
        std::lock_guard lock(w.mutex);
        const auto scan = w.scans.find(withoutTrailingSlashes(scanned));
        if (scan == w.scans.end() || --scan->second.walks > 0)
            return;
        if (scan->second.limitMet) {
            sayLimit = true;
            w.limitMet = w.limitSaid = true; // said once, also for the folders that appear later
        }
        w.scans.erase(scan);
        w.releaseHeldLocked(false);
    }
    w.wake();
    if (sayLimit) { // after the scan's own end, as the watch thread's news come
        QMetaObject::invokeMethod(
            this,
            [this, generation = m_generation] {
                if (generation == m_generation)
                    Q_EMIT watchLimitReached();
            },
            Qt::QueuedConnection);
    }
}

void TreeWatcher::dropUnfinishedScans()
{
    if (!isValid())
        return;
    Worker &w = *m_worker;
    {
        std::lock_guard lock(w.mutex);
        if (w.scans.empty())
            return;
        for (const auto &[root, scan] : w.scans)
            for (const int wd : scan.added)
                w.removeWatchLocked(wd);
        w.scans.clear();
        m_watchCount.store(int(w.watchOfPath.size()));
        w.releaseHeldLocked(true); // what the trees followed before saw goes on
    }
    w.wake();
}

void TreeWatcher::clear()
{
    ++m_generation;
    if (!isValid())
        return;
    Worker &w = *m_worker;
    {
        std::lock_guard lock(w.mutex);
        w.generation = m_generation;
        w.newRoots.clear();
        for (const auto &[wd, path] : w.pathOfWatch)
            ::inotify_rm_watch(w.inotifyFd, wd);
        w.pathOfWatch.clear();
        w.watchOfPath.clear();
        w.scans.clear();
        w.touched.clear();
        w.held.clear();
        w.limitMet = w.limitSaid = w.overflowed = w.overflowSaid = false;
        m_watchCount.store(0);
    }
    w.wake();
}

void TreeWatcher::deliver(quint64 generation, std::shared_ptr<TreeChanges> changes)
{
    if (generation == m_generation)
        Q_EMIT changed(*changes);
}

} // namespace vellumry

namespace vellumry {

void TreeWatcher::deliverListing(quint64 generation, std::shared_ptr<TreeChanges> entries,
                                 std::shared_ptr<QList<QByteArray>> folders)
{
    if (generation != m_generation)
        return;
    if (folders->isEmpty())
        Q_EMIT changed(*entries);
    else
        Q_EMIT relisted(*entries, *folders);
}

} // namespace vellumry
