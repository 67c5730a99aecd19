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

    // Commands from the owning thread.
    std::mutex mutex;
    std::vector<std::pair<QByteArray, std::optional<qint64>>> newRoots;
    quint64 generation = 1;
    bool clearRequested = false;
    bool quit = false;

    // The watch thread's own state.
    std::unordered_map<int, QByteArray> pathOfWatch;
    std::map<QByteArray, int> watchOfPath; // ordered, so a folder's descendants follow it
    std::set<QByteArray> touched;
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

    bool addWatch(const QByteArray &path)
    {
        if (watchOfPath.contains(path))
            return true;
        if (int(watchOfPath.size()) >= owner->m_maxWatches.load()) {
            limitMet = true;
            return false;
        }
        const int wd = ::inotify_add_watch(inotifyFd, path.constData(), kWatchMask);
        if (wd < 0) {
            if (errno == ENOSPC)
                limitMet = true;
            return false;
        }
        // The same folder under another path (a bind mount) keeps one path: the first one.
        if (const auto it = pathOfWatch.find(wd); it != pathOfWatch.end())
            return true;
        pathOfWatch.emplace(wd, path);
        watchOfPath.emplace(path, wd);
        owner->m_watchCount.store(int(watchOfPath.size()));
        return true;
    }

    // Watches the folder and the folders below it; with `report`, every entry found is a change. With
    // `since` as well, only what changed at or after it: the whole of a folder changed since (which is
    // then added to `relisted`), and files changed since in the other folders.
    void watchFolder(const QByteArray &path, TreeChanges *report, std::optional<qint64> since = std::nullopt,
                     QList<QByteArray> *relisted = nullptr)
    {
        const auto changedSince = [since](const struct stat &st) {
            return std::max(st.st_mtim.tv_sec, st.st_ctim.tv_sec) >= *since;
        };
        std::vector<QByteArray> stack{path};
        while (!stack.empty()) {
            const QByteArray folder = std::move(stack.back());
            stack.pop_back();
            if (!addWatch(folder))
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

    // Forgets the watches of the folder and of every folder below it.
    void unwatchBelow(const QByteArray &path)
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
                touch(joinNativePath(it->second, QByteArray(event->name)));
            }
        }
    }

    void touch(QByteArray path)
    {
        const auto now = Clock::now();
        if (touched.empty())
            firstTouch = now;
        lastTouch = now;
        touched.insert(std::move(path));
    }

    // Looks at every touched path again and hands the result over.
    void flush(quint64 generation)
    {
        auto changes = std::make_shared<TreeChanges>();
        changes->reserve(touched.size());
        for (const QByteArray &path : touched) {
            TreeChange change = describe(path);
            const bool watched = watchOfPath.contains(path);
            if (!change.exists || !change.isFolder) {
                if (watched)
                    unwatchBelow(path); // gone, or a folder replaced by a file
                changes->push_back(std::move(change));
            } else if (!watched) {
                changes->push_back(std::move(change));
                watchFolder(path, changes.get()); // a new folder: its content is picked up too
            }
        }
        touched.clear();
        if (!changes->empty()) {
            QMetaObject::invokeMethod(
                owner, [owner = owner, generation, changes] { owner->deliver(generation, changes); },
                Qt::QueuedConnection);
        }
        sayLimit(generation);
    }

    void sayOverflow(quint64 generation)
    {
        if (!overflowed || overflowSaid)
            return;
        overflowSaid = true;
        QMetaObject::invokeMethod(
            owner,
            [owner = owner, generation] {
                if (generation == owner->m_generation)
                    Q_EMIT owner->changesMissed();
            },
            Qt::QueuedConnection);
    }

    void sayLimit(quint64 generation)
    {
        if (!limitMet || limitSaid)
            return;
        limitSaid = true;
        QMetaObject::invokeMethod(
            owner,
            [owner = owner, generation] {
                if (generation == owner->m_generation)
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
                if (clearRequested) {
                    clearRequested = false;
                    for (const auto &[wd, path] : pathOfWatch)
                        ::inotify_rm_watch(inotifyFd, wd);
                    pathOfWatch.clear();
                    watchOfPath.clear();
                    touched.clear();
                    limitMet = limitSaid = overflowed = overflowSaid = false;
                    owner->m_watchCount.store(0);
                }
                roots.swap(newRoots);
            }
            for (const auto &[root, since] : roots) {
                limitSaid = false;
                auto entries = std::make_shared<TreeChanges>();
                auto relisted = std::make_shared<QList<QByteArray>>();
                watchFolder(root, since ? entries.get() : nullptr, since, relisted.get());
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
            if (!touched.empty()) {
                // Handed over once quiet for a tenth of the period, and at least once per period.
                const auto now = Clock::now();
                const auto period = std::chrono::milliseconds(owner->m_coalesceMs.load());
                const auto due = std::min(firstTouch + period, lastTouch + period / 10 + std::chrono::milliseconds(20));
                if (now >= due) {
                    flush(current);
                    continue;
                }
                timeout = int(std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count()) + 1;
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

void TreeWatcher::clear()
{
    ++m_generation;
    if (!isValid())
        return;
    {
        std::lock_guard lock(m_worker->mutex);
        m_worker->generation = m_generation;
        m_worker->newRoots.clear();
        m_worker->clearRequested = true;
    }
    m_worker->wake();
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
