// The folder walk: lists a tree into items, in depth-first order, on one or more threads.
#pragma once

#include "model/IKImageItem.h"

#include <atomic>
#include <functional>
#include <vector>

namespace vellumry {

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
        int threads = 0;      // listing threads in all, this one included; 0: one per core, at most 4
        int flushMs = 30;     // a batch goes out at the latest this long after the previous one
        size_t maxBatch = 1 << 16;
    };

    explicit ScanWalker(Options options);
    ~ScanWalker();
    ScanWalker(const ScanWalker &) = delete;
    ScanWalker &operator=(const ScanWalker &) = delete;

    // Walks the folder at `path` (exact bytes) and delivers every item below it. A path that is not a
    // readable folder delivers nothing. Returns when the walk is complete or cancelled.
    void startScanCurrentFolderwithFolderPath(const QByteArray &path);

    struct Task; // one folder to list

private:
    void ScanFileInFolderWithFilePath(Task &task); // lists one folder into its entries and its father
    void ensureListed(Task &task);
    void helperLoop();
    bool isCancelled() const;

    Options m_options;
    struct Queue;
    std::unique_ptr<Queue> m_queue;
};

// Opens a folder for listing, also when its path is longer than the system's path limit.
int openFolderForListing(const QByteArray &path);

} // namespace vellumry
