// The folder walk: lists a tree into items, in depth-first order, on one or more threads.
#pragma once

#include "model/IKImageItem.h"

#include <atomic>
#include <functional>
#include <optional>
#include <unordered_set>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>

namespace vellumry {

// A real folder, whatever path leads to it.
struct FolderId
{
    dev_t dev = 0;
    ino_t ino = 0;
    friend bool operator==(const FolderId &, const FolderId &) = default;
};

// Which lists one walked item joins, in walk order. The main thread applies records one after another,
// so every list ends up in the order a one-file-at-a-time hand-over would give.
struct ScanRecord
{
    enum : quint8 {
        ToFiles = 1,       // filesItemArray
        ToKindList = 2,    // the kind's own list (application bundles: the "Other" list)
        ToCurrentView = 4, // the top-level list of the scanned folder
    };
    IKImageItemRef item;
    quint8 lists = 0;
};
using ScanBatch = std::vector<ScanRecord>;

// Symbolic links and repeated folders. One walk enters each real folder (device and inode) at most once:
// a folder met again by any route (a second link to it, a bind mount, a link back up the descent) is
// listed as a folder item without children. Which of the routes enters it is the first one in
// depth-first order, whatever the timing of the listing threads.
// A link to a folder that lies inside a main folder (the walked folder, or one `isMainFolder` names)
// is listed as a folder item and never followed: its files are listed where the walk meets them under
// their real path. A link to a folder outside them is walked under the link's own path, and every item
// below it answers true to IKImageItem::isReachedThroughLink().
// Only folders are opened, and only for listing: no file, FIFO or device is ever opened.
class ScanWalker
{
public:
    struct Options
    {
        // Called on the walking thread with each batch, in walk order.
        std::function<void(ScanBatch &&)> deliver;
        // Set by another thread to stop the walk early; the walk then returns without a final batch.
        const std::atomic<bool> *cancelled = nullptr;
        // Size in bytes of an application bundle (a folder whose name ends in ".app").
        std::function<quint64(const QByteArray &path)> bundleSize;
        // Whether a folder is one of the other main folders of this scan session, so that links into it
        // are not followed. Called on any listing thread; may be empty (only the walked folder counts).
        std::function<bool(FolderId)> isMainFolder;
        // Called on the listing thread just before a folder's entries are read, once per real folder the
        // walk reads (the walked folder first), with its path and whether it lies below a followed link.
        // What changes in the folder after this call returns is not in the walk's items. May be empty.
        std::function<void(const QByteArray &path, bool throughLink)> beforeListing;
        int threads = 0;      // listing threads in all, this one included; 0: one per core, at most 4
        int flushMs = 30;     // a batch goes out at the latest this long after the previous one
        size_t maxBatch = 1 << 16;
    };

    explicit ScanWalker(Options options);
    ~ScanWalker();
    ScanWalker(const ScanWalker &) = delete;
    ScanWalker &operator=(const ScanWalker &) = delete;

    // Walks the folder at `path` (exact bytes) and delivers every item below it. A path that is not a
    // readable folder delivers nothing. Returns when the walk is complete or cancelled. Each call is a
    // walk of its own: folders entered by an earlier call are entered again.
    void startScanCurrentFolderwithFolderPath(const QByteArray &path);

    struct Task; // one folder to list
    struct FolderIdHash
    {
        size_t operator()(const FolderId &id) const noexcept;
    };
    using FolderSet = std::unordered_set<FolderId, FolderIdHash>;

private:
    // Lists one folder into its entries and its father's children. `entered` (the emitting thread's
    // own set) leaves a folder already entered unread; without it (a helper listing ahead) a folder
    // that any thread has already listed is left unread and handed back as still queued.
    void ScanFileInFolderWithFilePath(Task &task, const FolderSet *entered);
    void ensureListed(Task &task, const FolderSet &entered);
    bool leadsIntoMainFolder(int folderFd, const char *name) const;
    void leaveUnentered(Task &task);
    void helperLoop();
    bool isCancelled() const;

    Options m_options;
    struct Queue;
    std::unique_ptr<Queue> m_queue;
};

// Birth time where the file system records one, else the modification time; none without either.
std::optional<qint64> creationSeconds(const struct statx &st);

// Opens a folder for listing, also when its path is longer than the system's path limit.
int openFolderForListing(const QByteArray &path);

} // namespace vellumry
