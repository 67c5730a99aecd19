// Follows scanned folder trees on disk, so the lists change when files are created, deleted, renamed or
// rewritten by other programs.
//
// Threading: every public function but addWatchForScan() is called on the thread that owns the watcher
// (the main thread); addWatchForScan() may be called on any thread. The events are read on a thread of
// the watcher's own. Changes are gathered there and handed to the owning thread as one `changed` signal
// per burst, at most every `coalesceMs` milliseconds.
//
// A tree is followed in one of two ways:
// - During its scan (what the window does): the scan calls addWatchForScan() for each folder just
//   before listing it, so what changes in a folder after its listing comes as an event. Those changes
//   are held back until scanDelivered() says the lists hold the scan's items, then handed over. A
//   change to a path the scan listed as well says what is there now, so the lists update that item.
// - After it: watchTree() walks the tree again (see `since` below).
//
// Guarantees:
// - One inotify watch per folder of a followed tree; hidden entries (names starting with '.') are
//   ignored, as the scan ignores them. Folders reached through a symbolic link below the root are not
//   followed; a root that is a link to a folder is. Paths are exact bytes.
// - A change names a path and what is there now (checked when the burst is handed over, not when the
//   event came): an entry that exists with its size and time, or an entry that is gone together with
//   everything below it. A folder that appears is followed at once and its files are reported too.
// - When the system (or setMaxWatches) allows no more watches, `watchLimitReached` is emitted once per
//   watchTree() or scan that met the limit (for a scan, when it is delivered); the folders already
//   watched keep being followed.
// - No change is missed silently. A folder watched during its scan is watched before it is listed.
//   Changes made between a tree's scan and watchTree(root, since) are caught by `since`: a folder
//   changed at or after it is listed again once its watch is in place and handed over whole
//   (`relisted`), a file changed since then is handed over as a change. When the system drops events
//   (its queue overflowed), `changesMissed` is emitted once until clear().
// - Nothing of a tree followed before clear() is handed over after it, and nothing of a scan dropped
//   by dropUnfinishedScans().
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace vellumry {

struct TreeChange
{
    QByteArray path;     // exact bytes, no trailing slash
    bool exists = false; // false: the entry and everything below it are gone
    bool isFolder = false;
    quint64 size = 0;
    std::optional<qint64> birthSeconds; // birth time where recorded, else modification time
};
using TreeChanges = std::vector<TreeChange>;

class TreeWatcher : public QObject
{
    Q_OBJECT
public:
    explicit TreeWatcher(QObject *parent = nullptr);
    ~TreeWatcher() override;

    // Starts following the folder at `root` and every folder below it. With `sinceSeconds` (the time,
    // in seconds since the epoch, the tree's scan started), what changed from then until each folder's
    // watch was added is handed over too.
    void watchTree(const QByteArray &root, std::optional<qint64> sinceSeconds = std::nullopt);
    // Stops following every tree; changes not yet handed over are dropped.
    void clear();

    // Watches `folder` for the scan of `scanned` (both exact bytes, no trailing slash); the call for
    // `scanned` itself begins a walk of it. Thread-safe: called from the scan's listing threads just
    // before `folder` is listed. A walk begun before clear() adds nothing after it.
    void addWatchForScan(const QByteArray &scanned, const QByteArray &folder);
    // Every item of a walk of `scanned` is in the lists now: what changed below it during the walk is
    // handed over (once no other walk of it is under way).
    void scanDelivered(const QByteArray &scanned);
    // The walks not delivered were stopped: their watches are removed and what changed below them is
    // dropped, but for changes in folders that other trees still follow.
    void dropUnfinishedScans();

    // The number of watches this watcher may hold; by default the system's limit
    // (/proc/sys/fs/inotify/max_user_watches). Lowering it is the tests' way to meet the limit.
    void setMaxWatches(int maxWatches) { m_maxWatches.store(maxWatches); }
    void setCoalesceMs(int ms) { m_coalesceMs.store(ms); }
    int watchCount() const { return m_watchCount.load(); }
    bool isValid() const; // false when inotify could not be set up: nothing is followed
    static int systemWatchLimit();

Q_SIGNALS:
    void changed(const vellumry::TreeChanges &changes);
    void watchLimitReached();
    // `entries` holds every entry now in each of `folders`; what the lists hold there besides is gone.
    void relisted(const vellumry::TreeChanges &entries, const QList<QByteArray> &folders);
    // The system dropped events: the lists may differ from the disk until the trees are scanned again.
    void changesMissed();

private:
    struct Worker;
    void deliver(quint64 generation, std::shared_ptr<TreeChanges> changes);
    void deliverListing(quint64 generation, std::shared_ptr<TreeChanges> entries,
                        std::shared_ptr<QList<QByteArray>> folders);

    std::unique_ptr<Worker> m_worker;
    quint64 m_generation = 1; // bumped by clear(); hand-overs of older generations are dropped
    std::atomic<int> m_maxWatches;
    std::atomic<int> m_coalesceMs{250};
    std::atomic<int> m_watchCount{0};
};

} // namespace vellumry
