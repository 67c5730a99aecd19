// The folder walk. One thread emits items in depth-first order; helper threads list folders that the
// walk will reach later, so the slow part (one getdents and one statx per entry) runs in parallel
// while every list keeps the sequential order. Whether a folder is entered is decided by the emitting
// thread alone, in that order; what helpers list is only a guess that it may throw away.
#include "model/ScanWalker.h"

#include "model/FileKinds.h"
#include "platform/NativePath.h"

#include <QElapsedTimer>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

namespace {

enum TaskState : int { Queued, Listing, Listed };

enum class EntryType : quint8 {
    File,
    Bundle,
    Folder,       // walked in its turn unless its real folder was entered before
    LinkedFolder, // a link into a main folder: listed, never walked
};

constexpr unsigned kFileMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_BTIME | STATX_MTIME;


bool endsWithAppIgnoringCase(const char *name, size_t len)
{
    if (len < 4)
        return false;
    const char *e = name + len - 4;
    return e[0] == '.' && (e[1] | 0x20) == 'a' && (e[2] | 0x20) == 'p' && (e[3] | 0x20) == 'p';
}

} // namespace

struct ScanWalker::Task
{
    struct Entry
    {
        IKImageItemRef item;
        Task *sub = nullptr; // the folder's own listing, for folder entries
        EntryType type;
    };

    const QByteArray &path() const { return folder->path; }

    ScanFolderRef folder;  // this folder's path, shared by the items listed here
    IKImageItemRef father; // the folder item whose children these are; none at the top
    FolderId id;           // set once the folder has been opened
    bool opened = false;
    std::atomic<int> state{Queued};
    std::vector<Entry> entries;
};

struct ScanWalker::Queue
{
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Task *> pending; // folders found and not yet claimed, oldest first
    // Every folder of the walk, kept to its end: a claimed folder may still stand in `pending`.
    std::vector<std::unique_ptr<Task>> all;
    // Real folders whose entries some thread has read; a helper does not read one a second time.
    ScanWalker::FolderSet listed;
    FolderId root; // the walked folder, set before any other folder is listed
    bool done = false;
};

size_t ScanWalker::FolderIdHash::operator()(const FolderId &id) const noexcept
{
    return std::hash<quint64>()(quint64(id.ino) * 0x9E3779B97F4A7C15ull ^ quint64(id.dev));
}

int openFolderForListing(const QByteArray &path)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    int fd = ::open(path.constData(), flags);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;
    // Too long for one call: descend one component at a time.
    fd = ::open(path.startsWith('/') ? "/" : ".", flags);
    for (const QByteArray &part : path.split('/')) {
        if (fd < 0)
            break;
        if (part.isEmpty())
            continue;
        const int next = ::openat(fd, part.constData(), flags);
        ::close(fd);
        fd = next;
    }
    return fd;
}

ScanWalker::ScanWalker(Options options) : m_options(std::move(options)), m_queue(std::make_unique<Queue>()) {}
ScanWalker::~ScanWalker() = default;

bool ScanWalker::isCancelled() const
{
    return m_options.cancelled && m_options.cancelled->load(std::memory_order_relaxed);
}

// Whether the folder that the link `name` in the open folder leads to lies inside (or is) a main
// folder: its ancestors are climbed through ".." and compared by device and inode, which also works
// for paths longer than the system's limit. Opened with O_PATH, nothing is read on the way.
bool ScanWalker::leadsIntoMainFolder(int folderFd, const char *name) const
{
    constexpr int flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    int fd = ::openat(folderFd, name, flags);
    bool inside = false;
    struct stat st;
    for (int depth = 0; fd >= 0 && depth < 4096 && ::fstat(fd, &st) == 0; ++depth) {
        const FolderId id{st.st_dev, st.st_ino};
        if (id == m_queue->root || (m_options.isMainFolder && m_options.isMainFolder(id))) {
            inside = true;
            break;
        }
        const int up = ::openat(fd, "..", flags);
        struct stat upSt;
        const bool top =
            up < 0 || (::fstat(up, &upSt) == 0 && upSt.st_dev == st.st_dev && upSt.st_ino == st.st_ino);
        ::close(fd);
        fd = up;
        if (top)
            break;
    }
    if (fd >= 0)
        ::close(fd);
    return inside;
}

void ScanWalker::ScanFileInFolderWithFilePath(Task &task, const FolderSet *entered)
{
    std::vector<std::unique_ptr<Task>> found;
    const int fd = isCancelled() ? -1 : openFolderForListing(task.path());
    if (fd >= 0) {
        struct stat self;
        bool read = true;
        if (::fstat(fd, &self) == 0) {
            task.id = {self.st_dev, self.st_ino};
            task.opened = true;
            if (!task.father)
                m_queue->root = task.id; // the walked folder itself, listed before anything else
            if (entered) {
                read = !entered->contains(task.id);
                if (read) {
                    std::lock_guard lock(m_queue->mutex);
                    m_queue->listed.insert(task.id);
                }
            } else {
                {
                    std::lock_guard lock(m_queue->mutex);
                    read = m_queue->listed.insert(task.id).second;
                }
                if (!read) {
                    // Another route to this folder is listed already: the emitting thread decides about
                    // this one when it gets here, and lists it itself if need be.
                    ::close(fd);
                    task.state.store(Queued, std::memory_order_release);
                    task.state.notify_all();
                    return;
                }
            }
        }
        if (read && m_options.beforeListing)
            m_options.beforeListing(task.path(), task.folder->reachedThroughLink);
        if (read) {
            alignas(8) char buffer[64 * 1024];
            for (;;) {
                const ssize_t n = ::getdents64(fd, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                for (ssize_t off = 0; off < n;) {
                    const auto *d = reinterpret_cast<const struct dirent64 *>(buffer + off);
                    off += d->d_reclen;
                    const char *name = d->d_name;
                    if (name[0] == '.')
                        continue; // hidden entries, "." and ".."
                    const size_t len = strlen(name);

                    struct statx st;
                    bool haveStat = false;
                    bool isFolder = d->d_type == DT_DIR;
                    bool isLink = false;
                    if (d->d_type == DT_UNKNOWN) {
                        haveStat = ::statx(fd, name, AT_SYMLINK_NOFOLLOW, kFileMask, &st) == 0;
                        isFolder = haveStat && S_ISDIR(st.stx_mode);
                    }
                    if (d->d_type == DT_LNK || (haveStat && S_ISLNK(st.stx_mode))) {
                        // The folder test follows the link.
                        struct statx target;
                        isFolder = ::statx(fd, name, 0, STATX_TYPE, &target) == 0 && S_ISDIR(target.stx_mode);
                        isLink = isFolder;
                    }

                    QByteArray nameBytes(name, qsizetype(len));
                    Task::Entry entry;
                    if (!isFolder) {
                        if (!haveStat)
                            haveStat = ::statx(fd, name, AT_SYMLINK_NOFOLLOW, kFileMask, &st) == 0;
                        const quint64 size = haveStat && (st.stx_mask & STATX_SIZE) ? st.stx_size : 0;
                        const auto birth = haveStat ? creationSeconds(st) : std::nullopt;
                        const FileKind kind = kindForFileName(std::string_view(name, len));
                        entry.item = IKImageItem::makeEntry(task.folder, std::move(nameBytes), kind, size, birth);
                        entry.type = EntryType::File;
                    } else if (endsWithAppIgnoringCase(name, len)) {
                        if (!haveStat)
                            haveStat = ::statx(fd, name, AT_SYMLINK_NOFOLLOW, kFileMask, &st) == 0;
                        const QByteArray full = joinNativePath(task.path(), nameBytes);
                        const quint64 size = m_options.bundleSize ? m_options.bundleSize(full) : 0;
                        const auto birth = haveStat ? creationSeconds(st) : std::nullopt;
                        entry.item = IKImageItem::makeEntry(task.folder, std::move(nameBytes), FileKind::Application,
                                                            size, birth);
                        entry.type = EntryType::Bundle;
                    } else if (isLink && leadsIntoMainFolder(fd, name)) {
                        entry.item = IKImageItem::makeFolder(task.folder, std::move(nameBytes));
                        entry.type = EntryType::LinkedFolder;
                    } else {
                        auto sub = std::make_unique<Task>();
                        const bool throughLink = isLink || task.folder->reachedThroughLink;
                        sub->folder =
                            ScanFolderRef(new ScanFolder(joinNativePath(task.path(), nameBytes), throughLink));
                        entry.item = IKImageItem::makeFolder(task.folder, std::move(nameBytes));
                        sub->father = entry.item;
                        entry.sub = sub.get();
                        entry.type = EntryType::Folder;
                        found.push_back(std::move(sub));
                    }
                    if (task.father)
                        task.father->appendChild(entry.item);
                    task.entries.push_back(std::move(entry));
                }
            }
        }
        ::close(fd);
    }
    if (!found.empty()) {
        std::lock_guard lock(m_queue->mutex);
        for (std::unique_ptr<Task> &sub : found) {
            m_queue->pending.push_back(sub.get());
            m_queue->all.push_back(std::move(sub));
        }
    }
    task.state.store(Listed, std::memory_order_release);
    task.state.notify_all();
    if (!found.empty())
        m_queue->wake.notify_all();
}

// The emitting thread needs this folder's listing now: list it here unless a helper already has, or
// is listing it (a helper may also hand it back unread).
void ScanWalker::ensureListed(Task &task, const FolderSet &entered)
{
    for (;;) {
        int state = task.state.load(std::memory_order_acquire);
        if (state == Listed)
            return;
        if (state == Queued) {
            if (task.state.compare_exchange_strong(state, Listing, std::memory_order_acq_rel)) {
                ScanFileInFolderWithFilePath(task, &entered);
                return;
            }
            continue;
        }
        task.state.wait(state, std::memory_order_acquire);
    }
}

void ScanWalker::helperLoop()
{
    for (;;) {
        Task *task = nullptr;
        {
            std::unique_lock lock(m_queue->mutex);
            m_queue->wake.wait(lock, [&] { return m_queue->done || !m_queue->pending.empty(); });
            if (m_queue->done)
                return;
            task = m_queue->pending.front();
            m_queue->pending.pop_front();
        }
        int expected = Queued;
        if (task->state.compare_exchange_strong(expected, Listing, std::memory_order_acq_rel))
            ScanFileInFolderWithFilePath(*task, nullptr);
    }
}

// A folder whose real folder the walk has entered before: its item stays, without children, and what
// a helper listed ahead inside it is dropped (its sub-folders are marked listed so no helper takes them).
void ScanWalker::leaveUnentered(Task &task)
{
    for (Task::Entry &entry : task.entries) {
        int state = Queued;
        if (entry.sub)
            entry.sub->state.compare_exchange_strong(state, Listed, std::memory_order_acq_rel);
    }
    std::vector<Task::Entry>().swap(task.entries);
    if (task.father && task.father->childCount() > 0)
        task.father->setChildrenArray({});
}

void ScanWalker::startScanCurrentFolderwithFolderPath(const QByteArray &path)
{
    const QByteArray rootPath = withoutTrailingSlashes(path);
    auto root = std::make_unique<Task>();
    root->folder = ScanFolderRef(new ScanFolder(rootPath));
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->done = false;
        m_queue->pending.clear();
        m_queue->all.clear();
        m_queue->listed.clear();
        m_queue->root = FolderId();
    }

    int threads = m_options.threads;
    if (threads <= 0)
        threads = int(qBound(1u, std::thread::hardware_concurrency(), 4u));
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i)
        helpers.emplace_back([this] { helperLoop(); });

    ScanBatch batch;
    QElapsedTimer sinceFlush;
    sinceFlush.start();
    auto flush = [&] {
        if (!batch.empty() && m_options.deliver) {
            m_options.deliver(std::move(batch));
            batch = ScanBatch();
        }
        sinceFlush.restart();
    };
    auto maybeFlush = [&] {
        if (batch.size() >= m_options.maxBatch || sinceFlush.elapsed() >= m_options.flushMs)
            flush();
    };

    // Depth-first emission: a folder's entries in listing order, each sub-folder's whole subtree
    // before the next sibling; a top-level folder item joins its list after its subtree.
    struct Frame
    {
        Task *task;
        size_t next;
    };
    std::vector<Frame> stack;
    FolderSet entered; // real folders this walk has entered, in depth-first order
    ensureListed(*root, entered);
    if (root->opened)
        entered.insert(root->id);
    stack.push_back({root.get(), 0});
    size_t sinceCheck = 0;
    bool cancelled = false;
    while (!stack.empty()) {
        if (++sinceCheck >= 256) {
            sinceCheck = 0;
            if (isCancelled()) {
                cancelled = true;
                break;
            }
            maybeFlush();
        }
        Frame &frame = stack.back();
        const bool top = frame.task == root.get();
        if (frame.next == frame.task->entries.size()) {
            stack.pop_back();
            if (stack.empty())
                break;
            Frame &up = stack.back();
            Task::Entry &done = up.task->entries[up.next++];
            if (up.task == root.get())
                batch.push_back({std::move(done.item), ScanRecord::ToCurrentView});
            std::vector<Task::Entry>().swap(done.sub->entries); // emitted: only the folder's identity stays
            maybeFlush();
            continue;
        }
        Task::Entry &entry = frame.task->entries[frame.next];
        if (entry.type == EntryType::Folder) {
            Task &sub = *entry.sub;
            ensureListed(sub, entered);
            if (sub.opened && !entered.insert(sub.id).second)
                leaveUnentered(sub);
            stack.push_back({&sub, 0});
            continue;
        }
        if (entry.type == EntryType::LinkedFolder) {
            if (top)
                batch.push_back({std::move(entry.item), ScanRecord::ToCurrentView});
            ++frame.next;
            continue;
        }
        quint8 lists = ScanRecord::ToFiles | ScanRecord::ToKindList;
        if (top)
            lists |= ScanRecord::ToCurrentView;
        batch.push_back({std::move(entry.item), lists});
        ++frame.next;
    }

    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->done = true;
        m_queue->pending.clear();
    }
    m_queue->wake.notify_all();
    for (std::thread &t : helpers)
        t.join();
    if (!cancelled && !isCancelled())
        flush();
    std::lock_guard lock(m_queue->mutex);
    m_queue->all.clear();
}

std::optional<qint64> creationSeconds(const struct statx &st)
{
    if (st.stx_mask & STATX_BTIME)
        return qint64(st.stx_btime.tv_sec);
    if (st.stx_mask & STATX_MTIME)
        return qint64(st.stx_mtime.tv_sec);
    return std::nullopt;
}

} // namespace vellumry
