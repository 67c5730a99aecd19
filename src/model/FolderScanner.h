// The scan engine's main-thread side: queues folder scans, runs them on one worker thread, and
// appends the items the worker hands over, in batches, to the lists it was given.
//
// Links and repeated folders (see ScanWalker): one scan request enters each real folder at most once.
// The folders asked for since the last cancelAll() are this scanner's main folders: a symbolic link
// to a folder inside any of them is listed as a folder item and not followed; a link to a folder
// outside them is followed once, and the items below it are marked IKImageItem::isReachedThroughLink().
#pragma once

#include "model/FileLists.h"
#include "model/ScanWalker.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <thread>

namespace vellumry {

class FolderScanner : public QObject
{
    Q_OBJECT
public:
    // `lists` belongs to the caller, lives longer than the scanner and is written only on this thread.
    explicit FolderScanner(FileLists &lists, QObject *parent = nullptr);
    ~FolderScanner() override;

    // Queues a scan of the folder; scans run one after another in the order they were asked for, and
    // each appends to the lists (nothing is emptied here). The folder joins the main folders at once,
    // so links to it from a scan already running are no longer followed.
    void startScanCurrentFolder(const QString &path);
    // The same for several folders at once (a drop of several): each of them is a main folder for the link
    // rules from the start, whichever is walked first.
    void startScanCurrentFolders(const QStringList &paths);

    // Cancels the running scan and every queued one. Items already appended stay; nothing more arrives.
    // The set of main folders starts anew.
    void cancelAll();

    bool isScanning() const { return m_pending > 0; }
    // Whether the first item has been selected during the running scan.
    bool LoadFirstItem() const { return m_loadFirstItem; }

    // Listing threads of each walk (0: one per core); for benchmarks and tests.
    void setWalkThreads(int threads) { m_walkThreads = threads; }

    // Called on a listing thread just before each folder a scan reads is listed: the folder the scan
    // was asked for (exact bytes, as scanFinished names it; its own call comes first), the folder, and
    // whether the folder lies below a followed link. Never called for a scan once cancelAll() returned.
    // Set before the first scan.
    using ListingHook = std::function<void(const QByteArray &scanned, const QByteArray &folder, bool throughLink)>;
    void setListingHook(ListingHook hook) { m_listingHook = std::move(hook); }

Q_SIGNALS:
    void scanStarted(const QString &path);
    // The live refresh: rows [first, first + count) were appended to filesItemArray (the other lists
    // may have grown too).
    void filesAppended(qsizetype first, qsizetype count);
    // Item 0 of the shown list should be selected: at the first refresh of a scan that sees 3 or more
    // files, and again at the end of every scan that leaves at least one.
    void selectFirstItem();
    // The end of one scan; `path` as it was asked for.
    void scanFinished(const QString &path);
    // No scan is running or queued any more.
    void idle();

private:
    struct Request
    {
        quint64 generation;
        QString path;
        std::shared_ptr<std::atomic<bool>> cancelled;
    };

    void workerLoop();
    void startScanCurrentFolderThreader(const Request &request);
    void scanStartedOnMainThread(quint64 generation, const QString &path);
    void LoadFileItemFoldOnMainThread(quint64 generation, ScanBatch &batch);
    void startScanCurrentFolderOnMainThread(quint64 generation, const QString &path);

    FileLists &m_lists;
    quint64 m_generation = 1; // bumped by cancelAll(); hand-overs of older generations are dropped
    int m_pending = 0;        // requests queued or running, as seen from this thread
    bool m_loadFirstItem = false;
    int m_walkThreads = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Request> m_requests;
    std::vector<FolderId> m_mainFolders; // the folders asked for since the last cancelAll()
    std::shared_ptr<std::atomic<bool>> m_runningCancel;
    ListingHook m_listingHook;
    std::shared_mutex m_hookMutex; // shared by the hook calls, held by cancelAll() while it cancels
    bool m_quit = false;
    std::thread m_worker;
};

} // namespace vellumry
