// The duplicate search: sizes, then the two ends of each file, then whole contents, each stage reading
// only what the stage before could not tell apart.
#include "duplicates/DuplicateFinder.h"

#include <xxhash.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

namespace {

constexpr std::size_t kEdgeBytes = 4096;            // hashed at each end of a file in the second stage
constexpr quint64 kWholeReadLimit = 2 * kEdgeBytes; // files up to this size are hashed whole at once
// Files up to this size are read in one call rather than one for each end: a copy of a few KiB costs
// less than a second system call.
constexpr std::size_t kOneReadLimit = 4 * kEdgeBytes;
constexpr std::size_t kReadBuffer = std::size_t(1) << 20;

enum class State : quint8
{
    Pending,
    Hashed,     // `hash` is known (of the ends, or of everything when `whole`)
    LinkOf,     // another path to an inode that a reader claimed first: not read again
    Dropped,    // a second path to an inode kept under its first path
    Unreadable, // could not be opened or read, or not a regular file
    Changed,    // its size (or its file) is not what the candidate list says any more
};

// One candidate that shares its size with another: all the engine keeps per file.
struct Entry
{
    std::size_t candidate = 0;
    dev_t device = 0;
    ino_t inode = 0;
    XXH128_hash_t hash{0, 0};
    State state = State::Pending;
    bool whole = false; // `hash` covers the whole content
};

struct InodeKey
{
    dev_t device;
    ino_t inode;
    bool operator==(const InodeKey &) const = default;
};

struct InodeKeyHash
{
    std::size_t operator()(const InodeKey &key) const noexcept
    {
        return std::hash<quint64>()(quint64(key.inode) * 0x9E3779B97F4A7C15ull ^ quint64(key.device));
    }
};

bool sameHash(const XXH128_hash_t &a, const XXH128_hash_t &b)
{
    return a.low64 == b.low64 && a.high64 == b.high64;
}

bool hashLess(const XXH128_hash_t &a, const XXH128_hash_t &b)
{
    return a.high64 != b.high64 ? a.high64 < b.high64 : a.low64 < b.low64;
}

// Closes the descriptor when it leaves scope.
struct FileHandle
{
    int fd = -1;
    ~FileHandle()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens a file for reading (`name` inside the folder `folder`, or a whole path with AT_FDCWD) without
// following a final link, without blocking on a FIFO or device and, where the caller may, without
// touching its access time.
int openForReading(int folder, const char *name)
{
    constexpr int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    int fd = ::openat(folder, name, flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::openat(folder, name, flags);
    return fd;
}

// What one reader keeps between files: its buffer, and the folder of the last file it opened, so that
// the next file of that folder is opened by name instead of by walking its whole path again.
struct Reader
{
    std::vector<char> buffer;
    QByteArray folderPath;
    FileHandle folder;

    // Opens `path`, through the kept folder when it is the same one.
    int open(const QByteArray &path)
    {
        const qsizetype slash = path.lastIndexOf('/');
        if (slash <= 0)
            return openForReading(AT_FDCWD, path.constData());
        const QByteArrayView folderPart(path.constData(), slash);
        if (folder.fd < 0 || folderPart != folderPath) {
            if (folder.fd >= 0)
                ::close(folder.fd);
            folderPath = folderPart.toByteArray();
            folder.fd = ::open(folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (folder.fd < 0)
                return openForReading(AT_FDCWD, path.constData());
        }
        return openForReading(folder.fd, path.constData() + slash + 1);
    }
};

// Reads exactly `size` bytes at `offset`; false on an error or an early end.
bool readFully(int fd, char *buffer, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buffer + done, size - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

// What one search shares between its readers.
class Search
{
public:
    Search(const std::vector<DuplicateCandidate> &candidates, const DuplicateSearch &options,
           const std::atomic_bool &cancelled, const std::function<void(const DuplicateProgress &)> &progress)
        : m_candidates(candidates), m_cancelled(cancelled), m_progress(progress)
    {
        const unsigned cores = std::thread::hardware_concurrency();
        m_threads = options.threads > 0 ? options.threads : int(std::max(2u, cores));
    }

    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    // Runs task(worker, i) for every i below count on the readers; stops handing out tasks once
    // cancelled.
    template <typename Task> void runPool(std::size_t count, const Task &task)
    {
        std::atomic<std::size_t> next{0};
        const auto work = [&](int worker) {
            for (;;) {
                if (cancelled())
                    return;
                const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
                if (i >= count)
                    return;
                task(worker, i);
                reportProgress(false);
            }
        };
        const int threads = int(std::min<std::size_t>(std::size_t(m_threads), count));
        if (threads <= 1) {
            work(0);
            return;
        }
        std::vector<std::thread> readers;
        readers.reserve(std::size_t(threads - 1));
        for (int t = 1; t < threads; ++t)
            readers.emplace_back(work, t);
        work(0);
        for (std::thread &reader : readers)
            reader.join();
    }

    int threads() const { return m_threads; }
    void forgetInodes() { std::unordered_set<InodeKey, InodeKeyHash>().swap(m_inodes); }

    void addToHash(quint64 bytes) { m_toHash.fetch_add(bytes, std::memory_order_relaxed); }
    void addHashed(quint64 bytes) { m_hashed.fetch_add(bytes, std::memory_order_relaxed); }

    // Calls the progress callback at most ten times a second (always when `force`).
    void reportProgress(bool force)
    {
        if (!m_progress)
            return;
        const qint64 now = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
        qint64 last = m_lastReport.load(std::memory_order_relaxed);
        if (!force && now - last < 100)
            return;
        if (!force && !m_lastReport.compare_exchange_strong(last, now))
            return; // another reader reports this time
        m_lastReport.store(now, std::memory_order_relaxed);
        DuplicateProgress p;
        p.bytesHashed = m_hashed.load(std::memory_order_relaxed);
        p.bytesToHash = std::max(p.bytesHashed, m_toHash.load(std::memory_order_relaxed));
        m_progress(p);
    }

    // Second stage for one entry: opens, checks and hashes the two ends (or everything when small).
    // What is not read after all leaves the bytes to hash.
    void hashEnds(Entry &entry, Reader &reader)
    {
        readEnds(entry, reader);
        if (entry.state != State::Hashed)
            m_toHash.fetch_sub(std::min<quint64>(m_candidates[entry.candidate].size, kWholeReadLimit));
    }

    // Third stage for one entry: the whole content, read in large sequential pieces.
    void hashWhole(Entry &entry, char *buffer)
    {
        const quint64 done = readWhole(entry, buffer);
        m_toHash.fetch_sub(m_candidates[entry.candidate].size - done);
    }

private:
    void readEnds(Entry &entry, Reader &reader)
    {
        const DuplicateCandidate &candidate = m_candidates[entry.candidate];
        FileHandle file{reader.open(candidate.path)};
        char *buffer = reader.buffer.data();
        struct stat st;
        if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            entry.state = State::Unreadable;
            return;
        }
        if (quint64(st.st_size) != candidate.size) {
            entry.state = State::Changed;
            return;
        }
        entry.device = st.st_dev;
        entry.inode = st.st_ino;
        if (st.st_nlink > 1) {
            // A later path to an inode already claimed is not read again.
            const std::lock_guard lock(m_inodesMutex);
            if (!m_inodes.insert(InodeKey{st.st_dev, st.st_ino}).second) {
                entry.state = State::LinkOf;
                return;
            }
        }
        const std::size_t size = std::size_t(candidate.size);
        if (size <= kOneReadLimit) {
            // All of it in one read. Asking for a byte more shows a file that grew since; a read that
            // stops at `size` is its end, so one call is enough.
            std::size_t done = 0;
            while (done < size) {
                const ssize_t n = ::pread(file.fd, buffer + done, size + 1 - done, off_t(done));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    entry.state = n < 0 ? State::Unreadable : State::Changed;
                    return;
                }
                done += std::size_t(n);
            }
            if (done != size) {
                entry.state = State::Changed;
                return;
            }
            // The same bytes the two reads of the ends would give, for files past the whole-read limit.
            if (size > kWholeReadLimit)
                std::memmove(buffer + kEdgeBytes, buffer + size - kEdgeBytes, kEdgeBytes);
            entry.hash = XXH3_128bits(buffer, std::min<std::size_t>(size, kWholeReadLimit));
            entry.whole = size <= kWholeReadLimit;
        } else {
            if (!readFully(file.fd, buffer, kEdgeBytes, 0) ||
                !readFully(file.fd, buffer + kEdgeBytes, kEdgeBytes, off_t(size - kEdgeBytes))) {
                entry.state = State::Changed; // shorter than its size said a moment ago
                return;
            }
            entry.hash = XXH3_128bits(buffer, 2 * kEdgeBytes);
        }
        entry.state = State::Hashed;
        addHashed(std::min<quint64>(candidate.size, kWholeReadLimit));
    }

    // Answers the bytes read and hashed.
    quint64 readWhole(Entry &entry, char *buffer)
    {
        const DuplicateCandidate &candidate = m_candidates[entry.candidate];
        FileHandle file{openForReading(AT_FDCWD, candidate.path.constData())};
        struct stat st;
        if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            entry.state = State::Unreadable;
            return 0;
        }
        if (quint64(st.st_size) != candidate.size || st.st_dev != entry.device || st.st_ino != entry.inode) {
            entry.state = State::Changed;
            return 0;
        }
        ::posix_fadvise(file.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        XXH3_state_t *state = XXH3_createState();
        if (!state) {
            entry.state = State::Unreadable;
            return 0;
        }
        XXH3_128bits_reset(state);
        quint64 done = 0;
        State failure = State::Hashed;
        while (done < candidate.size) {
            if (cancelled()) {
                failure = State::Pending; // dropped with the whole search
                break;
            }
            const std::size_t want = std::size_t(std::min<quint64>(kReadBuffer, candidate.size - done));
            const ssize_t n = ::read(file.fd, buffer, want);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                failure = n < 0 ? State::Unreadable : State::Changed; // an early end: cut short since
                break;
            }
            XXH3_128bits_update(state, buffer, std::size_t(n));
            done += quint64(n);
            addHashed(quint64(n));
            reportProgress(false);
        }
        entry.hash = XXH3_128bits_digest(state);
        XXH3_freeState(state);
        // A file that grew while it was read is not the one the candidate list described either.
        if (failure == State::Hashed && (::fstat(file.fd, &st) != 0 || quint64(st.st_size) != candidate.size))
            failure = State::Changed;
        if (failure != State::Hashed)
            entry.state = failure;
        else
            entry.whole = true;
        return done;
    }

    const std::vector<DuplicateCandidate> &m_candidates;
    const std::atomic_bool &m_cancelled;
    const std::function<void(const DuplicateProgress &)> &m_progress;
    int m_threads = 2;
    std::atomic<quint64> m_hashed{0};
    std::atomic<quint64> m_toHash{0};
    std::atomic<qint64> m_lastReport{0};
    std::mutex m_inodesMutex;
    std::unordered_set<InodeKey, InodeKeyHash> m_inodes;
};

// Calls `run(begin, end)` for every run of entries that `same` finds equal to the run's first entry.
template <typename Same, typename Run>
void forEachRun(std::vector<Entry> &entries, const Same &same, const Run &run)
{
    std::size_t begin = 0;
    while (begin < entries.size()) {
        std::size_t end = begin + 1;
        while (end < entries.size() && same(entries[begin], entries[end]))
            ++end;
        run(begin, end);
        begin = end;
    }
}

} // namespace

DuplicateResult findDuplicates(const std::vector<DuplicateCandidate> &candidates,
                               const DuplicateSearch &search, const std::atomic_bool &cancelled,
                               const std::function<void(const DuplicateProgress &)> &progress)
{
    DuplicateResult result;
    Search run(candidates, search, cancelled, progress);

    // First stage: sizes.
    std::vector<std::size_t> order;
    order.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (candidates[i].size > 0 || search.includeEmpty)
            order.push_back(i);
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return candidates[a].size < candidates[b].size; });
    std::vector<Entry> entries;
    for (std::size_t begin = 0; begin < order.size();) {
        std::size_t end = begin + 1;
        while (end < order.size() && candidates[order[end]].size == candidates[order[begin]].size)
            ++end;
        if (end - begin >= 2) {
            for (std::size_t k = begin; k < end; ++k) {
                entries.push_back(Entry{});
                entries.back().candidate = order[k];
                run.addToHash(std::min<quint64>(candidates[order[k]].size, kWholeReadLimit));
            }
        }
        begin = end;
    }
    std::vector<std::size_t>().swap(order);
    run.reportProgress(true);

    const auto finishCancelled = [&] {
        result.cancelled = true;
        run.reportProgress(true);
        return result;
    };
    const auto countFailures = [&](std::vector<Entry> &list) {
        for (const Entry &entry : list) {
            if (entry.state == State::Unreadable)
                ++result.unreadable;
            else if (entry.state == State::Changed)
                ++result.changed;
        }
    };

    // Second stage: the ends of each file (all of a small one), in path order and in runs of files per
    // reader, so that a reader mostly opens files of the folder it opened last.
    std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        return candidates[a.candidate].path < candidates[b.candidate].path;
    });
    std::vector<Reader> readers(std::size_t(run.threads()));
    constexpr std::size_t kRun = 32;
    run.runPool((entries.size() + kRun - 1) / kRun, [&](int worker, std::size_t chunk) {
        Reader &reader = readers[std::size_t(worker)];
        if (reader.buffer.empty())
            reader.buffer.resize(kOneReadLimit + 1);
        for (std::size_t i = chunk * kRun;
             i < std::min(entries.size(), (chunk + 1) * kRun) && !run.cancelled(); ++i)
            run.hashEnds(entries[i], reader);
    });
    readers.clear();
    if (run.cancelled())
        return finishCancelled();
    countFailures(entries);

    // Each inode is kept once, under its first path, with the hash its reader found.
    run.forgetInodes();
    if (std::any_of(entries.begin(), entries.end(),
                    [](const Entry &e) { return e.state == State::LinkOf; })) {
        std::unordered_set<InodeKey, InodeKeyHash> first;
        std::unordered_map<InodeKey, std::size_t, InodeKeyHash> reader;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].state == State::Hashed)
                reader.emplace(InodeKey{entries[i].device, entries[i].inode}, i);
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Entry &entry = entries[i];
            if (entry.state != State::Hashed && entry.state != State::LinkOf)
                continue;
            const InodeKey key{entry.device, entry.inode};
            const auto read = reader.find(key);
            if (read == reader.end()) {
                entry.state = State::Dropped; // its reader failed: the inode is counted there
                continue;
            }
            if (!first.insert(key).second) {
                entry.state = State::Dropped;
                continue;
            }
            if (read->second != i) {
                const Entry &source = entries[read->second];
                entry.hash = source.hash;
                entry.whole = source.whole;
                entry.state = State::Hashed;
            }
        }
    }
    std::erase_if(entries, [](const Entry &e) { return e.state != State::Hashed; });

    // Third stage: whole contents of the large files whose size and ends match another's.
    const auto sizeOf = [&](const Entry &e) { return candidates[e.candidate].size; };
    const auto byHashThenPath = [&](const Entry &a, const Entry &b) {
        if (sizeOf(a) != sizeOf(b))
            return sizeOf(a) > sizeOf(b);
        if (!sameHash(a.hash, b.hash))
            return hashLess(a.hash, b.hash);
        return candidates[a.candidate].path < candidates[b.candidate].path;
    };
    const auto sameKey = [&](const Entry &a, const Entry &b) {
        return sizeOf(a) == sizeOf(b) && sameHash(a.hash, b.hash);
    };
    std::sort(entries.begin(), entries.end(), byHashThenPath);
    std::vector<std::size_t> toRead;
    std::vector<Entry> kept;
    forEachRun(entries, sameKey, [&](std::size_t begin, std::size_t end) {
        if (end - begin < 2)
            return;
        for (std::size_t k = begin; k < end; ++k) {
            kept.push_back(entries[k]);
            if (!entries[k].whole) {
                toRead.push_back(kept.size() - 1);
                run.addToHash(sizeOf(entries[k]));
            }
        }
    });
    std::vector<Entry>().swap(entries);
    std::vector<std::vector<char>> buffers(std::size_t(run.threads()));
    run.reportProgress(true);
    run.runPool(toRead.size(), [&](int worker, std::size_t i) {
        std::vector<char> &buffer = buffers[std::size_t(worker)];
        if (buffer.empty())
            buffer.resize(kReadBuffer);
        run.hashWhole(kept[toRead[i]], buffer.data());
    });
    if (run.cancelled())
        return finishCancelled();
    countFailures(kept);
    std::erase_if(kept, [](const Entry &e) { return e.state != State::Hashed || !e.whole; });

    // The groups: equal size and whole-content hash, two members or more.
    std::sort(kept.begin(), kept.end(), byHashThenPath);
    forEachRun(kept, sameKey, [&](std::size_t begin, std::size_t end) {
        if (end - begin < 2)
            return;
        DuplicateGroup group;
        group.size = sizeOf(kept[begin]);
        for (std::size_t k = begin; k < end; ++k)
            group.members.push_back(kept[k].candidate);
        result.groups.push_back(std::move(group));
    });
    std::sort(result.groups.begin(), result.groups.end(),
              [&](const DuplicateGroup &a, const DuplicateGroup &b) {
                  if (a.wastedBytes() != b.wastedBytes())
                      return a.wastedBytes() > b.wastedBytes();
                  return candidates[a.members.front()].path < candidates[b.members.front()].path;
              });
    run.reportProgress(true);
    return result;
}

} // namespace vellumry
